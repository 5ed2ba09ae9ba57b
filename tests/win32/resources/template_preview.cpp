// Shows one of the program's window templates as the program dresses it, to look at it and to
// take screenshots; not a test. Prints the dialog's units in pixels and every control's place.
//
//   resources_template_preview [SECONDS [TEMPLATE]]
//
// closes itself after SECONDS (default 60), or on OK, Cancel, Esc or the close box. TEMPLATE is
// the template's number (default 102):
//   102  the main window as the password window: white, the "En" indicator, a typed password
//   136  the clipboard viewer: its toolbar and a letter in the edit
//   142  the about box on white
//   149  the cover-text chooser with ten templates, one selected
//   165, 166, 167  the settings sheet (a property sheet of the three pages) opened at that page
//   174  the note editor: its toolbar and a note
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>

#include "cp1251.h"
#include "dialog.h"
#include "handles.h"
#include "resource_ids.h"
#include "toolbar.h"
#include "white_brush.h"

namespace velkaro {
namespace {

constexpr UINT_PTR kCloseTimer = 1;

std::string Ansi(const char* utf8) { return Cp1251::FromUtf8(utf8); }

// The dialog units in pixels, the font and every control's place, for comparing with the template.
void Report(HWND dialog, const char* title) {
    RECT units = {0, 0, 4, 8};
    MapDialogRect(dialog, &units);
    RECT client;
    GetClientRect(dialog, &client);
    std::printf("%s: 4 x 8 dialog units = %ld x %ld pixels; client area %ld x %ld\n", title, units.right,
                units.bottom, client.right, client.bottom);
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
    std::printf("font \"%s\", height %ld\n", font.lfFaceName, font.lfHeight);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        char name[32] = {};
        GetClassNameA(child, name, sizeof name);
        // The width of the control's text in the control's own font, to see whether it fits.
        wchar_t text[128] = {};
        GetWindowTextW(child, text, 128);
        SIZE extent = {};
        HFONT own = reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0));
        if (own && text[0]) {
            HDC dc = GetDC(child);
            HGDIOBJ previous = SelectObject(dc, own);
            GetTextExtentPoint32W(dc, text, lstrlenW(text), &extent);
            SelectObject(dc, previous);
            ReleaseDC(child, dc);
        }
        std::printf("control %5d %-16s at %3ld,%3ld size %3ld x %3ld, text %3ld pixels%s\n", GetDlgCtrlID(child),
                    name, r.left, r.top, r.right - r.left, r.bottom - r.top, extent.cx,
                    IsWindowVisible(child) ? "" : " (hidden)");
    }
    std::fflush(stdout);
}

void CentreOnScreen(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    SetWindowPos(window, HWND_TOPMOST, GetSystemMetrics(SM_CXSCREEN) / 2 - w / 2,
                 GetSystemMetrics(SM_CYSCREEN) / 2 - h / 2, 0, 0, SWP_NOSIZE);
}

// Ten cover texts, as the default list of the settings holds them (not sorted: the list box sorts).
const char* const kCoverTexts[] = {
    "Привет! Как дела?", "Спасибо за письмо.", "Высылаю документы.", "Добрый день!",
    "Перезвоните мне, пожалуйста.", "С уважением, Иван.", "Встреча переносится на завтра.",
    "Жду ответа.", "Все в порядке.", "Hello, how are you?",
};

// ---- The windows that are dialogs of their own (all but the settings pages).
class TemplatePreview : public ui::Dialog {
public:
    TemplatePreview(HINSTANCE module, UINT templateId, UINT seconds)
        : Dialog(module, templateId), templateId_(templateId), seconds_(seconds) {}
    ~TemplatePreview() override { Destroy(); }

protected:
    BOOL OnInitDialog() override {
        switch (templateId_) {
            case IDD_MAIN: DressMain(); break;
            case IDD_CLIPBOARD: DressClipboard(); break;
            case IDD_ABOUT: break;  // white, below; the template holds the version
            case IDD_TEMPLATE: DressChooser(); break;
            case IDD_INFO_NOTE: DressNote(); break;
            default: break;
        }
        icon_.reset(static_cast<HICON>(LoadImageA(module(), MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON, 0, 0, 0)));
        SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_.get()));
        Report(hwnd(), "template");
        CentreOnScreen(hwnd());
        SetTimer(hwnd(), kCloseTimer, seconds_ * 1000, nullptr);
        return FALSE;
    }
    // The main window and the about box are white; the others keep the system's colours.
    HBRUSH OnControlColour(HDC dc, HWND, UINT) override {
        return templateId_ == IDD_MAIN || templateId_ == IDD_ABOUT ? white_.Paint(dc) : nullptr;
    }
    bool OnNotify(const NMHDR& header, LRESULT& result) override { return toolbar_.HandleNotify(header, result); }
    bool OnCommand(UINT id, UINT, HWND) override {
        if (id == ID_TB_EXIT) EndDialog(IDCANCEL);
        return true;
    }
    void OnDestroy() override {
        KillTimer(hwnd(), kCloseTimer);
        toolbar_.Destroy();
    }
    bool OnMessage(UINT message, WPARAM, LPARAM, INT_PTR& result) override {
        if (message != WM_TIMER) return false;
        EndDialog(IDCANCEL);
        result = 0;
        return true;
    }

private:
    void DressMain() {
        SetWindowTextA(hwnd(), Ansi("Velkaro Stego Версия 3.1").c_str());
        HWND indicator = Item(IDC_LAYOUT_INDICATOR);
        SetWindowLongPtrA(indicator, GWL_STYLE, GetWindowLongPtrA(indicator, GWL_STYLE) | SS_BITMAP | SS_CENTERIMAGE);
        picture_.reset(LoadBitmapA(module(), MAKEINTRESOURCEA(IDB_LAYOUT_EN)));
        SendMessageA(indicator, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture_.get()));
        SetDlgItemTextA(hwnd(), IDC_PASSWORD, "secret");
        CheckDlgButton(hwnd(), IDC_KEEP_PASSWORD, BST_CHECKED);
        SetFocus(Item(IDC_PASSWORD));
    }
    void DressClipboard() {
        if (!toolbar_.Create(hwnd(), module(), IDR_TOOLBAR_CLIPBOARD)) std::printf("toolbar 161 failed\n");
        const std::string letter = Ansi(
            "Добрый день!\r\n\r\nВысылаю договор и счёт, как договаривались.\r\n"
            "Оригиналы отправлю почтой в понедельник.\r\n\r\nС уважением,\r\nИван Петров\r\n");
        SetDlgItemTextA(hwnd(), IDC_CLIPBOARD_TEXT, letter.c_str());
    }
    void DressChooser() {
        HWND list = Item(IDC_TEMPLATE_LIST);
        for (const char* text : kCoverTexts)
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Ansi(text).c_str()));
        SendMessageA(list, LB_SETCURSEL, 2, 0);
        SetFocus(list);
    }
    void DressNote() {
        if (!toolbar_.Create(hwnd(), module(), IDR_TOOLBAR_NOTE)) std::printf("toolbar 162 failed\n");
        SetDlgItemTextA(hwnd(), IDC_INFO_NOTE_TEXT,
                        Ansi("Это письмо зашифровано программой Velkaro.\r\nПароль сообщу по телефону.").c_str());
    }

    UINT templateId_;
    UINT seconds_;
    ui::WhiteBrush white_;
    ui::UniqueBitmap picture_;
    ui::UniqueIcon icon_;
    ui::Toolbar toolbar_;
};

// ---- The settings sheet: the three pages in a property sheet, as the program shows them.
struct PageDressing {
    HINSTANCE module;
    ui::UniqueBitmap notePicture;
};

INT_PTR CALLBACK PageProcedure(HWND page, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG) return FALSE;
    const auto* sheetPage = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
    auto* dressing = reinterpret_cast<PageDressing*>(sheetPage->lParam);
    const UINT id = UINT(reinterpret_cast<UINT_PTR>(sheetPage->pszTemplate));
    if (id == IDD_CFG_MAIN) {
        CheckDlgButton(page, IDC_CFG_KEEP_PASSWORD, BST_CHECKED);
        CheckDlgButton(page, IDC_CFG_DESKTOP_LINK, BST_CHECKED);
    } else if (id == IDD_CFG_STEGO) {
        CheckDlgButton(page, IDC_STEGO_CTRL, BST_CHECKED);
        CheckDlgButton(page, IDC_STEGO_OFFER_LIST, BST_CHECKED);
        for (const char* text : kCoverTexts)
            SendDlgItemMessageA(page, IDC_STEGO_TEMPLATES, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Ansi(text).c_str()));
        SetDlgItemTextA(page, IDC_STEGO_OWN_TEMPLATE, ">");
    } else if (id == IDD_CFG_SHIFR_TXT) {
        CheckDlgButton(page, IDC_CFG_ADD_INFO_NOTE, BST_CHECKED);
        // Grey 192 of the picture becomes the button face.
        dressing->notePicture.reset(static_cast<HBITMAP>(
            LoadImageA(dressing->module, MAKEINTRESOURCEA(IDB_EDIT_NOTE), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS)));
        SendDlgItemMessageA(page, IDC_CFG_EDIT_NOTE, BM_SETIMAGE, IMAGE_BITMAP,
                            reinterpret_cast<LPARAM>(dressing->notePicture.get()));
    }
    Report(page, "page");
    return TRUE;
}

int ShowSettingsSheet(HINSTANCE module, UINT pageTemplate, UINT seconds) {
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_TAB_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&classes);
    PageDressing dressing = {module, {}};
    const UINT order[] = {IDD_CFG_MAIN, IDD_CFG_SHIFR_TXT, IDD_CFG_STEGO};
    PROPSHEETPAGEA pages[std::size(order)] = {};
    UINT start = 0;
    for (size_t i = 0; i < std::size(order); ++i) {
        pages[i].dwSize = sizeof pages[i];
        pages[i].hInstance = module;
        pages[i].pszTemplate = MAKEINTRESOURCEA(order[i]);
        pages[i].pfnDlgProc = PageProcedure;
        pages[i].lParam = reinterpret_cast<LPARAM>(&dressing);
        if (order[i] == pageTemplate) start = UINT(i);
    }
    const std::string caption = Ansi("Настройка");
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_MODELESS | PSH_NOAPPLYNOW;
    header.hInstance = module;
    header.pszCaption = caption.c_str();
    header.nPages = UINT(std::size(pages));
    header.nStartPage = start;
    header.ppsp = pages;
    HWND sheet = reinterpret_cast<HWND>(PropertySheetA(&header));
    if (!sheet) return 1;
    CentreOnScreen(sheet);
    Report(PropSheet_GetCurrentPageHwnd(sheet), "page as shown");
    const UINT_PTR timer = SetTimer(nullptr, 0, seconds * 1000, nullptr);
    MSG msg;
    // OK and Cancel leave the sheet without a current page; then it is destroyed.
    while (PropSheet_GetCurrentPageHwnd(sheet) && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr) break;
        if (!PropSheet_IsDialogMessage(sheet, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    KillTimer(nullptr, timer);
    DestroyWindow(sheet);
    return 0;
}

}  // namespace
}  // namespace velkaro

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    const UINT id = argc > 2 ? UINT(std::atoi(argv[2])) : IDD_MAIN;
    const UINT wait = seconds > 0 ? UINT(seconds) : 60;
    HINSTANCE module = GetModuleHandleA(nullptr);
    if (id == IDD_CFG_MAIN || id == IDD_CFG_STEGO || id == IDD_CFG_SHIFR_TXT)
        return velkaro::ShowSettingsSheet(module, id, wait);
    velkaro::TemplatePreview preview(module, id, wait);
    return preview.RunModal(nullptr) == -1 ? 1 : 0;
}
