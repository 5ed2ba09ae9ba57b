#pragma once
// PropertySheet and PropertyPage: comctl32's property sheet over pages built from dialog
// templates of the program's resources. Each page is a C++ object with handlers like those of
// Dialog (data exchange, initialisation, commands) plus the sheet's page notifications: the
// page is shown (PSN_SETACTIVE), left or accepted (PSN_KILLACTIVE), OK (PSN_APPLY), Cancel
// (PSN_RESET).
//
// The sheet runs modally with a message loop of this layer over a modeless comctl32 sheet,
// under the rules of Dialog::RunModal: the owner is disabled, posted messages of other windows
// (the main window's requests) are dispatched while it is open, the open dialogs keep their
// keyboard navigation, and WM_QUIT ends the run and is passed on to an outer modal run.

#include <windows.h>
#include <commctrl.h>

// commctrl.h names the ANSI or wide function by this macro; the class below takes the name
// (the ANSI function is called by its own name, PropertySheetA).
#undef PropertySheet

#include <cstdint>
#include <string>
#include <vector>

namespace velkaro::ui {

class DataExchange;
class PropertySheet;

class PropertyPage {
public:
    // `module` holds the template `templateId`; its caption is the tab's title.
    PropertyPage(HINSTANCE module, UINT templateId);
    virtual ~PropertyPage();
    PropertyPage(const PropertyPage&) = delete;
    PropertyPage& operator=(const PropertyPage&) = delete;

    // The page's window: null until the page is first shown (a page is created then) and
    // after the sheet has gone.
    HWND hwnd() const { return hwnd_; }
    HINSTANCE module() const { return module_; }
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

    // As Dialog::UpdateData: true reads the controls into the fields, false writes them.
    bool UpdateData(bool saving);

protected:
    // WM_INITDIALOG, when the page is first shown. Default: UpdateData(false), TRUE.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(DataExchange& exchange);
    // PSN_SETACTIVE: the page is about to be shown. Default: nothing.
    virtual void OnSetActive();
    // PSN_KILLACTIVE: the page is left for another one, or OK was pressed. False keeps the
    // user on the page (a value was refused). Default: UpdateData(true).
    virtual bool OnKillActive();
    // PSN_APPLY with OK, after the current page's OnKillActive agreed. Default: nothing.
    virtual void OnApply();
    // PSN_RESET: Cancel, Esc or the close box. Default: nothing.
    virtual void OnReset();
    // WM_COMMAND of the page's controls. True when handled.
    virtual bool OnCommand(UINT id, UINT code, HWND control);
    // Every other WM_NOTIFY; true with `result` when handled.
    virtual bool OnNotify(const NMHDR& header, LRESULT& result);
    // WM_CTLCOLOR*: the brush, or null for the default colours.
    virtual HBRUSH OnControlColour(HDC dc, HWND control, UINT message);
    // WM_DESTROY, before the page's children go.
    virtual void OnDestroy();
    // Any other message. True when handled: the page procedure then returns `result`.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

private:
    friend class PropertySheet;

    // The description comctl32 builds the page from.
    PROPSHEETPAGEA Describe(PropertySheet& sheet);
    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    // A page notification; true with `result` when it was one.
    bool OnPageNotify(const NMHDR& header, LRESULT& result);

    HINSTANCE module_;
    UINT templateId_;
    HWND hwnd_ = nullptr;
    PropertySheet* sheet_ = nullptr;
};

class PropertySheet {
public:
    // `caption` (ANSI) titles the sheet; `firstPage` is the index of the page shown first.
    PropertySheet(HINSTANCE module, std::string caption, UINT firstPage = 0);
    // Destroys a sheet window that is still open.
    virtual ~PropertySheet();
    PropertySheet(const PropertySheet&) = delete;
    PropertySheet& operator=(const PropertySheet&) = delete;

    // Adds a page behind those added before; the page must outlive the sheet's run.
    void AddPage(PropertyPage& page);

    // Creates the sheet (owner `owner`, disabled while it runs), runs OnInitDialog, shows it
    // and dispatches messages until OK or Cancel ends it or WM_QUIT arrives, then destroys it.
    // Returns IDOK or IDCANCEL; 0 when WM_QUIT ended the run (posted again when another modal
    // run is under way, so that it ends too); -1 when the sheet could not be created.
    INT_PTR RunModal(HWND owner);

    HWND hwnd() const { return hwnd_; }
    HINSTANCE module() const { return module_; }
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

protected:
    // The sheet's initialisation: its window, its buttons and the first page exist, and it is
    // not shown yet. Default: nothing.
    virtual void OnInitDialog();

private:
    friend class PropertyPage;

    // Called by a page on PSN_APPLY: the sheet ends with OK.
    void Accept() { accepted_ = true; }
    // The sheet has ended (OK, Cancel, the close box) or its window is gone.
    bool Ended() const;
    // comctl32's callback: the sheet is created hidden, so that it appears initialised.
    static int CALLBACK Callback(HWND window, UINT message, LPARAM lParam);

    HINSTANCE module_;
    std::string caption_;
    UINT firstPage_;
    std::vector<PropertyPage*> pages_;
    HWND hwnd_ = nullptr;
    bool accepted_ = false;
};

}  // namespace velkaro::ui
