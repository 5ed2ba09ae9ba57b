#include "toolbar.h"

#include <cstring>
#include <string>

#include "resource_strings.h"

namespace velkaro::ui {
namespace {

constexpr WORD kToolbarResourceType = 241;  // RT_TOOLBAR
constexpr WORD kToolbarVersion = 1;

}  // namespace

bool LoadToolbarLayout(HINSTANCE module, UINT id, ToolbarLayout& layout) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(kToolbarResourceType));
    if (!found) return false;
    HGLOBAL loaded = LoadResource(module, found);
    const auto* bytes = static_cast<const uint8_t*>(loaded ? LockResource(loaded) : nullptr);
    const DWORD size = SizeofResource(module, found);
    // version, width, height, count, then count words
    if (!bytes || size < 8) return false;
    auto word = [bytes](size_t index) {
        uint16_t value;
        std::memcpy(&value, bytes + 2 * index, sizeof value);
        return value;
    };
    const uint16_t count = word(3);
    if (word(0) != kToolbarVersion || size < 8u + 2u * count) return false;
    layout.buttonWidth = word(1);
    layout.buttonHeight = word(2);
    layout.commands.clear();
    for (uint16_t i = 0; i < count; ++i) layout.commands.push_back(word(4 + i));
    return true;
}

Toolbar::~Toolbar() {
    // A toolbar whose dialog has gone was destroyed with it; its handle must not be freed
    // a second time.
    if (window_ && !IsWindow(window_.get())) window_.release();
}

bool Toolbar::Create(HWND dialog, HINSTANCE module, UINT id) {
    Destroy();
    module_ = module;
    ToolbarLayout layout;
    if (!LoadToolbarLayout(module, id, layout)) return false;

    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);

    // The picture strip's background (its top-left pixel) is drawn transparent.
    images_.reset(ImageList_LoadImageA(module, MAKEINTRESOURCEA(id), layout.buttonWidth, 0,
                                       CLR_DEFAULT, IMAGE_BITMAP, LR_CREATEDIBSECTION));
    if (!images_) return false;

    RECT client = {};
    GetClientRect(dialog, &client);
    // The dialog places it: no alignment to the parent's edge and no resizing by itself.
    const DWORD style = WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP |
                        CCS_NOPARENTALIGN | CCS_NORESIZE | CCS_NODIVIDER;
    window_.reset(CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr, style, kLeft, kTop,
                                  client.right - client.left, kHeight, dialog, nullptr, module,
                                  nullptr));
    if (!window_) {
        images_.reset();
        return false;
    }
    HWND bar = window_.get();
    SendMessageA(bar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageA(bar, TB_SETBITMAPSIZE, 0, MAKELPARAM(layout.buttonWidth, layout.buttonHeight));
    SendMessageA(bar, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_.get()));

    std::vector<TBBUTTON> buttons;
    int picture = 0;
    for (uint16_t command : layout.commands) {
        TBBUTTON button = {};
        if (command == 0) {
            button.fsStyle = BTNS_SEP;
        } else {
            button.iBitmap = picture++;
            button.idCommand = command;
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = BTNS_BUTTON;
            button.iString = -1;
        }
        buttons.push_back(button);
    }
    SendMessageA(bar, TB_ADDBUTTONSA, WPARAM(buttons.size()),
                 reinterpret_cast<LPARAM>(buttons.data()));
    return true;
}

void Toolbar::Destroy() {
    if (window_ && !IsWindow(window_.get())) window_.release();
    window_.reset();
    images_.reset();
}

void Toolbar::SetTipText(UINT command, UINT stringId) {
    tipTexts_.emplace_back(command, stringId);
}

void Toolbar::EnableButton(UINT command, bool enable) {
    if (window_) SendMessageA(window_.get(), TB_ENABLEBUTTON, command, MAKELPARAM(enable ? TRUE : FALSE, 0));
}

bool Toolbar::IsButtonEnabled(UINT command) const {
    return window_ && SendMessageA(window_.get(), TB_ISBUTTONENABLED, command, 0) != 0;
}

bool Toolbar::IsOwnNotifier(HWND from) const {
    if (!window_ || !from) return false;
    if (from == window_.get()) return true;
    return from == reinterpret_cast<HWND>(SendMessageA(window_.get(), TB_GETTOOLTIPS, 0, 0));
}

bool Toolbar::HandleNotify(const NMHDR& header, LRESULT& result) {
    if (header.code != TTN_NEEDTEXTA && header.code != TTN_NEEDTEXTW) return false;
    if (!IsOwnNotifier(header.hwndFrom)) return false;
    UINT stringId = UINT(header.idFrom);
    for (const auto& [command, tip] : tipTexts_) {
        if (command == stringId) stringId = tip;
    }
    const std::string text = LoadAnsiString(module_, stringId, kTipCapacity);
    // The notification's own text field (80 characters) holds it: nothing has to outlive
    // the call. The dialog layer hands notifications on read-only, but the tooltip's record
    // is the sender's writable memory, meant to carry the answer back.
    if (header.code == TTN_NEEDTEXTA) {
        auto& info = const_cast<NMTTDISPINFOA&>(reinterpret_cast<const NMTTDISPINFOA&>(header));
        lstrcpynA(info.szText, text.c_str(), int(sizeof info.szText));
        info.lpszText = info.szText;
        info.hinst = nullptr;
    } else {
        // A notifier that asks in UTF-16 gets the same text converted from the ANSI code page.
        auto& info = const_cast<NMTTDISPINFOW&>(reinterpret_cast<const NMTTDISPINFOW&>(header));
        const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, info.szText,
                                          int(sizeof info.szText / sizeof info.szText[0]));
        if (n == 0) info.szText[0] = L'\0';
        info.lpszText = info.szText;
        info.hinst = nullptr;
    }
    result = 0;
    return true;
}

}  // namespace velkaro::ui
