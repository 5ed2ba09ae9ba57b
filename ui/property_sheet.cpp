#include "property_sheet.h"

#include "data_exchange.h"
#include "dialog.h"

namespace velkaro::ui {
namespace {

// DLGTEMPLATEEX starts with dlgVer 1 and the signature 0xFFFF; its style follows helpID and
// exStyle. A plain DLGTEMPLATE starts with its style.
DWORD* TemplateStyle(void* dialogTemplate) {
    auto* words = static_cast<WORD*>(dialogTemplate);
    if (words[0] == 1 && words[1] == 0xFFFF) {
        return reinterpret_cast<DWORD*>(static_cast<BYTE*>(dialogTemplate) + 12);
    }
    return reinterpret_cast<DWORD*>(dialogTemplate);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// PropertyPage

PropertyPage::PropertyPage(HINSTANCE module, UINT templateId)
    : module_(module), templateId_(templateId) {}

// The sheet destroys its pages' windows. Should a page go first, its window no longer
// reaches the object: the messages of its destruction get the defaults.
PropertyPage::~PropertyPage() {
    if (hwnd_) SetWindowLongPtrA(hwnd_, DWLP_USER, 0);
}

bool PropertyPage::UpdateData(bool saving) {
    DataExchange exchange(hwnd_, saving);
    DoDataExchange(exchange);
    return !exchange.failed();
}

BOOL PropertyPage::OnInitDialog() {
    UpdateData(false);
    return TRUE;
}

void PropertyPage::DoDataExchange(DataExchange&) {}

void PropertyPage::OnSetActive() {}

bool PropertyPage::OnKillActive() { return UpdateData(true); }

void PropertyPage::OnApply() {}

void PropertyPage::OnReset() {}

bool PropertyPage::OnCommand(UINT, UINT, HWND) { return false; }

bool PropertyPage::OnNotify(const NMHDR&, LRESULT&) { return false; }

HBRUSH PropertyPage::OnControlColour(HDC, HWND, UINT) { return nullptr; }

void PropertyPage::OnDestroy() {}

bool PropertyPage::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) { return false; }

PROPSHEETPAGEA PropertyPage::Describe(PropertySheet& sheet) {
    sheet_ = &sheet;
    PROPSHEETPAGEA page = {};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_DEFAULT;
    page.hInstance = module_;
    page.pszTemplate = MAKEINTRESOURCEA(templateId_);
    page.pfnDlgProc = Procedure;
    page.lParam = reinterpret_cast<LPARAM>(this);
    return page;
}

INT_PTR CALLBACK PropertyPage::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    PropertyPage* self;
    if (message == WM_INITDIALOG) {
        // lParam is comctl32's copy of the page's description.
        self = reinterpret_cast<PropertyPage*>(reinterpret_cast<const PROPSHEETPAGEA*>(lParam)->lParam);
        SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = window;
    } else {
        self = reinterpret_cast<PropertyPage*>(GetWindowLongPtrA(window, DWLP_USER));
    }
    if (!self) return FALSE;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, DWLP_USER, 0);
        self->hwnd_ = nullptr;
        return FALSE;
    }
    return self->Dispatch(message, wParam, lParam);
}

bool PropertyPage::OnPageNotify(const NMHDR& header, LRESULT& result) {
    switch (header.code) {
    case PSN_SETACTIVE:
        OnSetActive();
        result = 0;  // show this page
        return true;
    case PSN_KILLACTIVE:
        result = OnKillActive() ? FALSE : TRUE;  // TRUE keeps the page
        return true;
    case PSN_APPLY:
        OnApply();
        sheet_->Accept();
        result = PSNRET_NOERROR;
        return true;
    case PSN_RESET:
        OnReset();
        // After an Apply (the button is there even when hidden) the sheet still ends cancelled.
        sheet_->accepted_ = false;
        result = 0;
        return true;
    default:
        return false;
    }
}

INT_PTR PropertyPage::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return OnInitDialog();
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE : FALSE;
    case WM_NOTIFY: {
        const NMHDR& header = *reinterpret_cast<const NMHDR*>(lParam);
        LRESULT result = 0;
        if (!OnPageNotify(header, result) && !OnNotify(header, result)) return FALSE;
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

// ---------------------------------------------------------------------------------------------
// PropertySheet

PropertySheet::PropertySheet(HINSTANCE module, std::string caption, UINT firstPage)
    : module_(module), caption_(std::move(caption)), firstPage_(firstPage) {}

PropertySheet::~PropertySheet() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void PropertySheet::AddPage(PropertyPage& page) { pages_.push_back(&page); }

void PropertySheet::OnInitDialog() {}

int CALLBACK PropertySheet::Callback(HWND, UINT message, LPARAM lParam) {
    if (message == PSCB_PRECREATE && lParam) *TemplateStyle(reinterpret_cast<void*>(lParam)) &= ~DWORD(WS_VISIBLE);
    return 0;
}

bool PropertySheet::Ended() const {
    // A modeless sheet that OK or Cancel has ended has no current page any more.
    return !IsWindow(hwnd_) || SendMessageA(hwnd_, PSM_GETCURRENTPAGEHWND, 0, 0) == 0;
}

INT_PTR PropertySheet::RunModal(HWND owner) {
    if (hwnd_ || pages_.empty()) return -1;
    // The pages may hold any common control (the up-down control among them).
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&classes);

    std::vector<PROPSHEETPAGEA> descriptions;
    for (PropertyPage* page : pages_) descriptions.push_back(page->Describe(*this));
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof header;
    // Help is announced so that the sheet lays out its four buttons; a derived sheet may hide
    // those it does not use.
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_MODELESS | PSH_USECALLBACK | PSH_HASHELP | PSH_NOCONTEXTHELP;
    header.hwndParent = owner;
    header.hInstance = module_;
    header.pszCaption = caption_.c_str();
    header.nPages = UINT(descriptions.size());
    header.nStartPage = firstPage_ < descriptions.size() ? firstPage_ : 0;
    header.ppsp = descriptions.data();
    header.pfnCallback = Callback;

    accepted_ = false;
    const INT_PTR created = ::PropertySheetA(&header);
    if (created == 0 || created == -1) return -1;
    hwnd_ = reinterpret_cast<HWND>(created);

    const bool ownerEnabled = owner && IsWindowEnabled(owner);
    if (ownerEnabled) EnableWindow(owner, FALSE);
    OnInitDialog();
    ShowWindow(hwnd_, SW_SHOW);

    Dialog::EnterModalRun();
    bool quit = false;
    WPARAM quitCode = 0;
    MSG msg;
    while (!Ended()) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            quit = true;
            quitCode = got == 0 ? msg.wParam : 0;
            break;
        }
        if (SendMessageA(hwnd_, PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(&msg))) continue;
        if (Dialog::RouteDialogMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    const bool outerRun = Dialog::LeaveModalRun();

    // The owner is enabled again before the sheet goes, so activation returns to it.
    if (ownerEnabled) EnableWindow(owner, TRUE);
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
    hwnd_ = nullptr;
    if (quit) {
        if (outerRun) PostQuitMessage(int(quitCode));
        return 0;
    }
    return accepted_ ? IDOK : IDCANCEL;
}

}  // namespace velkaro::ui
