#include "control_reader.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace velkaro::e2e {
namespace {

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT timeoutMs, DWORD_PTR* result) {
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK, timeoutMs,
                               result) != 0;
}

// A rectangle in the control's client coordinates, written in screen coordinates.
void WriteScreenRect(JsonWriter& json, HWND control, RECT rect) {
    MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    json.Rect(rect.left, rect.top, rect.right, rect.bottom);
}

// Lists are read up to this many items: enough for every window tested, bounded for a snapshot.
constexpr DWORD_PTR kMaxItems = 200;

}  // namespace

RemoteBuffer::RemoteBuffer(HWND windowOfProcess, size_t size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(windowOfProcess, &pid);
    process_.reset(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (process_) address_ = VirtualAllocEx(process_.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

RemoteBuffer::~RemoteBuffer() {
    if (address_) VirtualFreeEx(process_.get(), address_, 0, MEM_RELEASE);
}

bool RemoteBuffer::Write(size_t offset, const void* data, size_t size) const {
    SIZE_T written = 0;
    return address_ && offset + size <= size_ &&
           WriteProcessMemory(process_.get(), static_cast<char*>(address_) + offset, data, size, &written) &&
           written == size;
}

bool RemoteBuffer::Read(size_t offset, void* data, size_t size) const {
    SIZE_T read = 0;
    return address_ && offset + size <= size_ &&
           ReadProcessMemory(process_.get(), static_cast<char*>(address_) + offset, data, size, &read) &&
           read == size;
}

void WriteToolbarButtons(JsonWriter& json, HWND toolbar, UINT timeoutMs) {
    DWORD_PTR count = 0;
    if (!Send(toolbar, TB_BUTTONCOUNT, 0, 0, timeoutMs, &count)) return;
    // Both programs are built for the same word size, so TBBUTTON has the same layout in both.
    constexpr size_t kRectAt = sizeof(TBBUTTON);
    RemoteBuffer remote(toolbar, sizeof(TBBUTTON) + sizeof(RECT));
    if (!remote) return;
    json.Key("buttons").BeginArray();
    for (DWORD_PTR i = 0; i < std::min(count, kMaxItems); ++i) {
        DWORD_PTR ok = 0;
        TBBUTTON button = {};
        if (!Send(toolbar, TB_GETBUTTON, i, remote.at(0), timeoutMs, &ok) || !ok ||
            !remote.Read(0, &button, sizeof button)) {
            continue;
        }
        RECT rect = {};
        bool hasRect = Send(toolbar, TB_GETITEMRECT, i, remote.at(kRectAt), timeoutMs, &ok) && ok &&
                       remote.Read(kRectAt, &rect, sizeof rect);
        json.BeginObject();
        json.Key("index").UInt(i);
        json.Key("id").Int(button.idCommand);
        json.Key("separator").Bool((button.fsStyle & BTNS_SEP) != 0);
        json.Key("enabled").Bool((button.fsState & TBSTATE_ENABLED) != 0);
        json.Key("checked").Bool((button.fsState & TBSTATE_CHECKED) != 0);
        json.Key("hidden").Bool((button.fsState & TBSTATE_HIDDEN) != 0);
        json.Key("rect");
        if (hasRect) {
            WriteScreenRect(json, toolbar, rect);
        } else {
            json.Null();
        }
        json.EndObject();
    }
    json.EndArray();
}

void WriteTabItems(JsonWriter& json, HWND tabs, UINT timeoutMs) {
    DWORD_PTR count = 0, selected = 0;
    if (!Send(tabs, TCM_GETITEMCOUNT, 0, 0, timeoutMs, &count)) return;
    if (Send(tabs, TCM_GETCURSEL, 0, 0, timeoutMs, &selected)) json.Key("selected").Int(static_cast<int>(selected));
    // The other process's memory: the item record, then its text, then a rectangle.
    constexpr size_t kTextChars = 128;
    constexpr size_t kTextAt = sizeof(TCITEMW);
    constexpr size_t kRectAt = kTextAt + kTextChars * sizeof(wchar_t);
    RemoteBuffer remote(tabs, kRectAt + sizeof(RECT));
    if (!remote) return;
    json.Key("tabs").BeginArray();
    for (DWORD_PTR i = 0; i < std::min(count, kMaxItems); ++i) {
        TCITEMW item = {};
        item.mask = TCIF_TEXT;
        item.pszText = reinterpret_cast<wchar_t*>(remote.at(kTextAt));
        item.cchTextMax = kTextChars;
        wchar_t text[kTextChars] = {};
        DWORD_PTR ok = 0;
        if (!remote.Write(0, &item, sizeof item) || !remote.Write(kTextAt, text, sizeof text) ||
            !Send(tabs, TCM_GETITEMW, i, remote.at(0), timeoutMs, &ok) || !ok ||
            !remote.Read(kTextAt, text, sizeof text)) {
            continue;
        }
        text[kTextChars - 1] = L'\0';
        RECT rect = {};
        bool hasRect = Send(tabs, TCM_GETITEMRECT, i, remote.at(kRectAt), timeoutMs, &ok) && ok &&
                       remote.Read(kRectAt, &rect, sizeof rect);
        json.BeginObject();
        json.Key("index").UInt(i);
        json.Key("text").String(text, wcslen(text));
        json.Key("rect");
        if (hasRect) {
            WriteScreenRect(json, tabs, rect);
        } else {
            json.Null();
        }
        json.EndObject();
    }
    json.EndArray();
}

void WriteListItems(JsonWriter& json, HWND list, UINT timeoutMs) {
    DWORD_PTR count = 0, selected = 0, top = 0;
    if (!Send(list, LB_GETCOUNT, 0, 0, timeoutMs, &count)) return;
    json.Key("count").UInt(count);
    if (Send(list, LB_GETCURSEL, 0, 0, timeoutMs, &selected)) json.Key("selected").Int(static_cast<int>(selected));
    if (Send(list, LB_GETTOPINDEX, 0, 0, timeoutMs, &top)) json.Key("top").Int(static_cast<int>(top));
    LONG style = GetWindowLongW(list, GWL_STYLE);
    if ((style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) && !(style & LBS_HASSTRINGS)) return;
    RECT client = {};
    GetClientRect(list, &client);
    // List box messages are below WM_USER: the system copies their data, so local buffers serve.
    json.Key("items").BeginArray();
    for (DWORD_PTR i = 0; i < std::min(count, kMaxItems); ++i) {
        DWORD_PTR length = 0;
        if (!Send(list, LB_GETTEXTLEN, i, 0, timeoutMs, &length) || length == static_cast<DWORD_PTR>(LB_ERR)) {
            continue;
        }
        std::vector<wchar_t> text(std::min<DWORD_PTR>(length, 4096) + 1, L'\0');
        DWORD_PTR copied = 0;
        if (length > 4096 ||
            !Send(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()), timeoutMs, &copied) ||
            copied == static_cast<DWORD_PTR>(LB_ERR)) {
            continue;
        }
        RECT rect = {}, visible = {};
        DWORD_PTR ok = 0;
        bool shown = Send(list, LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&rect), timeoutMs, &ok) &&
                     ok != static_cast<DWORD_PTR>(LB_ERR) && IntersectRect(&visible, &rect, &client);
        json.BeginObject();
        json.Key("text").String(text.data(), std::min<size_t>(copied, text.size() - 1));
        json.Key("rect");
        if (shown) {
            WriteScreenRect(json, list, visible);
        } else {
            json.Null();
        }
        json.EndObject();
    }
    json.EndArray();
}

}  // namespace velkaro::e2e
