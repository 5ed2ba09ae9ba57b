#include "dialog.h"

#include <algorithm>
#include <vector>

#include "data_exchange.h"

namespace velkaro::ui {
namespace {

// The dialogs of this thread that are open, for IsDialogMessage, and the depth of modal runs,
// to know whether a WM_QUIT must be passed on to an outer run. The program has one thread.
std::vector<HWND>& OpenDialogs() {
    static std::vector<HWND> dialogs;
    return dialogs;
}
int g_modalDepth = 0;

// Keyboard navigation (Tab, Enter, Esc) for whichever open dialog the message is meant for.
bool RouteToDialog(MSG& msg) {
    if (!msg.hwnd) return false;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    const std::vector<HWND>& dialogs = OpenDialogs();
    if (std::find(dialogs.begin(), dialogs.end(), root) == dialogs.end()) return false;
    return IsDialogMessageA(root, &msg) != FALSE;
}

}  // namespace

Dialog::Dialog(HINSTANCE module, UINT templateId) : module_(module), templateId_(templateId) {}

Dialog::~Dialog() { Destroy(); }

INT_PTR Dialog::RunModal(HWND owner) {
    if (hwnd_) return -1;
    modal_ = true;
    ending_ = false;
    result_ = 0;
    if (!CreateDialogParamA(module_, MAKEINTRESOURCEA(templateId_), owner, Procedure,
                            reinterpret_cast<LPARAM>(this))) {
        modal_ = false;
        return -1;
    }
    const bool ownerEnabled = owner && IsWindowEnabled(owner);
    if (ownerEnabled) EnableWindow(owner, FALSE);
    if (!ending_ && hwnd_) ShowWindow(hwnd_, SW_SHOW);

    ++g_modalDepth;
    bool quit = false;
    WPARAM quitCode = 0;
    MSG msg;
    while (!ending_ && hwnd_) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            quit = true;
            quitCode = got == 0 ? msg.wParam : 0;
            break;
        }
        if (!RouteToDialog(msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    --g_modalDepth;

    // The owner is enabled again before this window goes, so activation returns to it.
    if (ownerEnabled) EnableWindow(owner, TRUE);
    Destroy();
    modal_ = false;
    if (quit) {
        if (g_modalDepth > 0) PostQuitMessage(int(quitCode));
        return 0;
    }
    return result_;
}

bool Dialog::CreateModeless(HWND owner) {
    if (hwnd_) return false;
    modal_ = false;
    return CreateDialogParamA(module_, MAKEINTRESOURCEA(templateId_), owner, Procedure,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

void Dialog::EndDialog(INT_PTR result) {
    result_ = result;
    ending_ = true;
    // Wakes the loop should it be waiting for a message.
    if (hwnd_) PostMessageA(hwnd_, WM_NULL, 0, 0);
}

void Dialog::Destroy() {
    if (hwnd_) DestroyWindow(hwnd_);  // WM_NCDESTROY clears hwnd_
}

bool Dialog::RouteDialogMessage(MSG& msg) { return RouteToDialog(msg); }

void Dialog::EnterModalRun() { ++g_modalDepth; }

bool Dialog::LeaveModalRun() { return --g_modalDepth > 0; }

bool Dialog::UpdateData(bool saving) {
    DataExchange exchange(hwnd_, saving);
    DoDataExchange(exchange);
    return !exchange.failed();
}

BOOL Dialog::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void Dialog::DoDataExchange(DataExchange&) {}

void Dialog::OnOK() {
    if (UpdateData(true)) EndDialog(IDOK);
}

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

bool Dialog::OnCommand(UINT, UINT, HWND) { return false; }

bool Dialog::OnNotify(const NMHDR&, LRESULT&) { return false; }

HBRUSH Dialog::OnControlColour(HDC, HWND, UINT) { return nullptr; }

void Dialog::OnDestroy() {}

bool Dialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) { return false; }

INT_PTR CALLBACK Dialog::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog* self;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = window;
        OpenDialogs().push_back(window);
    } else {
        self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(window, DWLP_USER));
    }
    // Messages before WM_INITDIALOG (WM_SETFONT) and after WM_NCDESTROY get the defaults.
    if (!self) return FALSE;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, DWLP_USER, 0);
        std::vector<HWND>& dialogs = OpenDialogs();
        dialogs.erase(std::remove(dialogs.begin(), dialogs.end(), window), dialogs.end());
        self->hwnd_ = nullptr;
        return FALSE;
    }
    return self->Dispatch(message, wParam, lParam);
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND: {
        const UINT id = LOWORD(wParam);
        const UINT code = HIWORD(wParam);
        HWND control = reinterpret_cast<HWND>(lParam);
        if (OnCommand(id, code, control)) return TRUE;
        // Buttons, Enter and Esc send BN_CLICKED (0); the system menu's close sends IDCANCEL
        // with code 0 as well.
        if (code == BN_CLICKED && id == IDOK) {
            OnOK();
            return TRUE;
        }
        if (code == BN_CLICKED && id == IDCANCEL) {
            OnCancel();
            return TRUE;
        }
        return FALSE;
    }
    case WM_NOTIFY: {
        LRESULT result = 0;
        if (!OnNotify(*reinterpret_cast<const NMHDR*>(lParam), result)) return FALSE;
        SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, result);
        return TRUE;
    }
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORMSGBOX:
        return reinterpret_cast<INT_PTR>(OnControlColour(
            reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), message));
    case WM_DESTROY:
        OnDestroy();
        return TRUE;
    default: {
        INT_PTR result = 0;
        return OnMessage(message, wParam, lParam, result) ? result : FALSE;
    }
    }
}

}  // namespace velkaro::ui
