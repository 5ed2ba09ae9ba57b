#include "clipboard_dlg.h"

#include <commdlg.h>

#include "clipboard_text.h"
#include "data_exchange.h"
#include "quiet_window_scope.h"
#include "request_kind.h"
#include "resource_ids.h"
#include "resource_strings.h"
#include "save_text_as.h"
#include "screen_centre.h"
#include "secure_wipe.h"
#include "string_ids.h"
#include "text_limits.h"
#include "transform_types.h"
#include "window_helpers.h"
#include "wiped_text.h"

namespace velkaro {
namespace {

// clipboardState: what the viewer's text is, or that the last action on it is done.
constexpr int32_t kStateBlock = int32_t(ProbeResult::BlockFound);
constexpr int32_t kStatePlain = int32_t(ProbeResult::PlainText);
constexpr int32_t kStateDone = int32_t(ProbeResult::NothingToDo);

// The proposed file name is read through a buffer of this size.
constexpr size_t kNameCapacity = 64;

HICON LoadIconSized(HINSTANCE module, int metricX, int metricY) {
    return static_cast<HICON>(LoadImageA(module, MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON,
                                         GetSystemMetrics(metricX), GetSystemMetrics(metricY), 0));
}

}  // namespace

CClipboardDlg::CClipboardDlg(HINSTANCE module, AppState& app, RequestRoads& roads,
                             MessageSink& messages, HWND mainWindow)
    : ui::Dialog(module, IDD_CLIPBOARD),
      app_(app),
      roads_(roads),
      messages_(messages),
      mainWindow_(mainWindow),
      icon_(LoadIconSized(module, SM_CXICON, SM_CYICON)),
      iconSmall_(LoadIconSized(module, SM_CXSMICON, SM_CYSMICON)) {}

CClipboardDlg::~CClipboardDlg() { Destroy(); }

HWND CClipboardDlg::TextEdit() const { return Item(IDC_CLIPBOARD_TEXT); }

// ---------------------------------------------------------------------------------------------
// Opening and closing

BOOL CClipboardDlg::OnInitDialog() {
    toolbar_.Create(hwnd(), module(), IDR_TOOLBAR_CLIPBOARD);
    HWND edit = TextEdit();
    // Typed and pasted text is limited to what can be sealed; the transform may still put a
    // longer block here (WM_SETTEXT is not limited).
    SendMessageA(edit, EM_LIMITTEXT, kMaxPlainText, 0);
    SetWindowTextA(edit, app_.textBuffer);
    SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_.get()));
    SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(iconSmall_.get()));
    // The first opening is in the middle of the screen, not in its corner.
    if (!RestoreSavedRectangle()) CentreOnScreen(hwnd());
    // The caret at the start and nothing selected: a key pressed by mistake must not replace
    // the whole text.
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 0, 0);
    return FALSE;  // the focus is set
}

bool CClipboardDlg::RestoreSavedRectangle() {
    if (!app_.clipboardViewerPositionSaved) return false;
    const int32_t* r = app_.clipboardViewerRect;
    RECT saved = {LONG(r[0]), LONG(r[1]), LONG(r[2]), LONG(r[3])};
    if (saved.right <= saved.left || saved.bottom <= saved.top) return false;
    // A rectangle on a screen that is no longer there would put the window out of reach.
    if (!MonitorFromRect(&saved, MONITOR_DEFAULTTONULL)) return false;
    MoveWindow(hwnd(), saved.left, saved.top, saved.right - saved.left, saved.bottom - saved.top,
               TRUE);
    return true;
}

void CClipboardDlg::OnDestroy() {
    // A minimised window's rectangle is the icon's, not a place to reopen at.
    RECT r = {};
    if (!IsIconic(hwnd()) && GetWindowRect(hwnd(), &r)) {
        app_.clipboardViewerRect[0] = r.left;
        app_.clipboardViewerRect[1] = r.top;
        app_.clipboardViewerRect[2] = r.right;
        app_.clipboardViewerRect[3] = r.bottom;
        app_.clipboardViewerPositionSaved = 1;
    }
    closed_ = true;
    // The viewer may show a decrypted letter: nothing of it stays behind in the edit's memory
    // or in the text buffer.
    ui::WipeControlText(TextEdit());
    SecureWipe(app_.textBuffer, sizeof app_.textBuffer);
    toolbar_.Destroy();
}

void CClipboardDlg::RequestClose() {
    closed_ = true;
    PostMessageA(mainWindow_, WM_SHELL_REQUEST, reinterpret_cast<WPARAM>(mainWindow_),
                 LPARAM(RequestKind::ViewerClosed));
}

// Enter outside the edit does nothing: the viewer has no default button.
void CClipboardDlg::OnOK() {}

// Esc and the close box close the viewer like its "Выход".
void CClipboardDlg::OnCancel() {
    if (!roads_.Busy()) RequestClose();
}

// ---------------------------------------------------------------------------------------------
// Commands

bool CClipboardDlg::OnCommand(UINT id, UINT, HWND) {
    switch (id) {
    case ID_TB_CRYPT:
    case ID_TB_CLEAR:
    case ID_TB_CLEAR_KEY:
    case ID_TB_SAVE:
    case ID_TB_COPY:
    case ID_TB_HELP:
    case ID_TB_EXIT:
        break;
    default:
        return false;
    }
    // A command of the viewer's own request may still be waiting for its password: nothing
    // may change the text or close the window under it.
    if (roads_.Busy()) return true;
    switch (id) {
    case ID_TB_CRYPT:
        EncryptOrDecrypt();
        break;
    case ID_TB_CLEAR:
        ClearClipboard();
        break;
    case ID_TB_CLEAR_KEY:
        ForgetKey();
        break;
    case ID_TB_SAVE:
        Save();
        break;
    case ID_TB_COPY:
        CopyAndClose();
        break;
    case ID_TB_HELP:
        OpenHelp();
        break;
    case ID_TB_EXIT:
        RequestClose();
        break;
    }
    return true;
}

void CClipboardDlg::EncryptOrDecrypt() {
    HWND edit = TextEdit();
    // Plain text the user has changed since it was shown is what the user means to seal: it
    // replaces the text read from the clipboard. A text typed into an emptied viewer is
    // always sealed, never probed.
    const bool edited = SendMessageA(edit, EM_GETMODIFY, 0, 0) != 0;
    if (app_.clipboardState == kStateDone || (app_.clipboardState == kStatePlain && edited)) {
        WipedText text(edit, kMaxPlainText);
        if (text.tooLong()) {
            QuietWindowScope quiet(hwnd());
            messages_.ShowMessage(IDS_TEXT_TOO_LONG, kStyleStop);
            return;
        }
        if (text.empty()) return;
        SecureWipe(app_.textBuffer, sizeof app_.textBuffer);
        text.CopyTo(app_.textBuffer);
        app_.clipboardState = kStatePlain;
    }
    if (app_.clipboardState == kStatePlain) {
        encryptedFlag_ = true;
        roads_.EncryptRequest();
    } else if (app_.clipboardState == kStateBlock) {
        encryptedFlag_ = false;
        roads_.DecryptRequest();
    }
    // Done (the request was finished): the text shown is the result, not to be sealed or
    // opened again. A cancelled password question leaves the button as it was.
    if (app_.clipboardState == kStateDone) toolbar_.EnableButton(ID_TB_CRYPT, false);
}

void CClipboardDlg::ClearClipboard() {
    if (!EmptyClipboardText()) {
        // Another program holds the clipboard: nothing is cleared here either.
        QuietWindowScope quiet(hwnd());
        messages_.ShowMessage(IDS_CLIPBOARD_BUSY, kStyleInformation);
        return;
    }
    ui::WipeControlText(TextEdit());
    SendMessageA(TextEdit(), EM_SETMODIFY, FALSE, 0);
    SecureWipe(app_.textBuffer, sizeof app_.textBuffer);
    app_.clipboardState = kStateDone;
    toolbar_.EnableButton(ID_TB_CRYPT, true);
}

void CClipboardDlg::ForgetKey() {
    // The next decryption must find its key in the cache again or ask for it. The key itself
    // is of no use without the flag, so it does not linger either; the cache keeps its keys.
    app_.keyPresent = 0;
    SecureWipe(&app_.currentKey, sizeof app_.currentKey);
}

void CClipboardDlg::Save() {
    // The whole text: a sealed block may be longer than the longest plain text, and a block
    // cut short could never be opened again.
    WipedText text(TextEdit(), kTextBufferCapacity - 1);
    const std::string name = ui::LoadAnsiString(module(), IDS_UNTITLED, kNameCapacity);
    int code;
    {
        // The save dialog runs its own message loop: the viewer must not close under it.
        QuietWindowScope quiet(hwnd());
        code = SaveTextAs(hwnd(), text.c_str(), name.c_str(), module());
    }
    if (code != 0 && code != 1) {
        QuietWindowScope quiet(hwnd());
        messages_.ShowMessage(uint32_t(code), kStyleStop);
    }
}

void CClipboardDlg::CopyAndClose() {
    if (encryptedFlag_) {
        WipedText text(TextEdit(), kTextBufferCapacity - 1);
        if (!WriteClipboardText(text.c_str())) {
            // The block is still here: the viewer stays open for another try.
            QuietWindowScope quiet(hwnd());
            messages_.ShowMessage(IDS_CLIPBOARD_BUSY, kStyleInformation);
            return;
        }
    }
    RequestClose();
}

void CClipboardDlg::OpenHelp() {
    if (ShowHelp(hwnd(), app_.helpPath)) return;
    QuietWindowScope quiet(hwnd());
    messages_.ShowMessage(IDS_HELP_MISSING, kStyleInformation);
}

// ---------------------------------------------------------------------------------------------
// Everything else

bool CClipboardDlg::OnNotify(const NMHDR& header, LRESULT& result) {
    return toolbar_.HandleNotify(header, result);
}

bool CClipboardDlg::OnMessage(UINT message, WPARAM, LPARAM, INT_PTR& result) {
    switch (message) {
    case WM_CLOSE:
        OnCancel();
        result = TRUE;
        return true;
    case WM_HELP:
        if (!roads_.Busy()) OpenHelp();
        result = TRUE;
        return true;
    default:
        break;
    }
    // The save dialog's help button asks its owner, this window, by a registered message.
    static const UINT saveDialogHelp = RegisterWindowMessageA(HELPMSGSTRINGA);
    if (message != saveDialogHelp || saveDialogHelp == 0) return false;
    OpenHelp();
    result = 0;
    return true;
}

}  // namespace velkaro
