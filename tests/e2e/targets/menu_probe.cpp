// menu_probe.dll: see menu_probe.h.

#include "menu_probe.h"

#include <cstring>
#include <cwchar>
#include <string>

#include "json_writer.h"

namespace velkaro::e2e {
namespace {

constexpr UINT kMenuGetHmenu = 0x01E1;  // MN_GETHMENU

MenuProbeData shared __attribute__((section(".mprobe"), shared)) = {};
UINT probeMessage = 0;  // per process

std::string DescribeMenu(HWND menuWindow) {
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, kMenuGetHmenu, 0, 0));
    int count = menu ? GetMenuItemCount(menu) : -1;
    JsonWriter json;
    json.BeginArray();
    for (int position = 0; position < count; ++position) {
        wchar_t text[256] = {};
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE | MIIM_STRING | MIIM_SUBMENU;
        info.dwTypeData = text;
        info.cch = 255;
        if (!GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info)) continue;
        RECT rect = {};
        bool hasRect = GetMenuItemRect(menuWindow, menu, static_cast<UINT>(position), &rect) != FALSE;
        json.BeginObject();
        json.Key("position").Int(position);
        json.Key("id").UInt(info.wID);
        json.Key("separator").Bool((info.fType & MFT_SEPARATOR) != 0);
        json.Key("text").String(text, wcslen(text));
        json.Key("checked").Bool((info.fState & MFS_CHECKED) != 0);
        json.Key("grayed").Bool((info.fState & MFS_GRAYED) != 0);
        json.Key("highlighted").Bool((info.fState & MFS_HILITE) != 0);
        json.Key("submenu").Bool(info.hSubMenu != nullptr);
        json.Key("rect");
        if (hasRect) {
            json.Rect(rect.left, rect.top, rect.right, rect.bottom);
        } else {
            json.Null();
        }
        json.EndObject();
    }
    json.EndArray();
    return json.text();
}

}  // namespace
}  // namespace velkaro::e2e

extern "C" __declspec(dllexport) velkaro::e2e::MenuProbeData* MenuProbeSharedData() {
    return &velkaro::e2e::shared;
}

extern "C" __declspec(dllexport) LRESULT CALLBACK MenuProbeHook(int code, WPARAM wParam, LPARAM lParam) {
    using namespace velkaro::e2e;
    if (code == HC_ACTION) {
        const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (probeMessage == 0) probeMessage = RegisterWindowMessageW(kMenuProbeMessage);
        if (call->message == probeMessage && call->wParam == kMenuProbeMagic) {
            std::string items = DescribeMenu(call->hwnd);
            if (items.size() > sizeof shared.json) items = "null";  // cannot happen for a real menu
            std::memcpy(shared.json, items.data(), items.size());
            shared.length = static_cast<LONG>(items.size());
            InterlockedExchange(&shared.answered, static_cast<LONG>(call->lParam));
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
