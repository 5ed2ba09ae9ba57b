#pragma once
// Dialog: a window built from a dialog template of the program's resources, run modally or
// modelessly, with one static dialog procedure that finds the C++ object of the window and
// calls its handlers. The small fixed API on which every window of the program is built.
//
// Modal runs use a message loop of this layer (not DialogBox), so that modeless dialogs that
// are open at the same time still get their keyboard navigation (IsDialogMessage) while a
// modal one runs, and so that WM_QUIT ends every nested run in turn.

#include <windows.h>

#include <cstdint>

namespace velkaro::ui {

class DataExchange;

class Dialog {
public:
    // `module` holds the template `templateId`.
    Dialog(HINSTANCE module, UINT templateId);
    // Destroys a window that is still open. A derived class whose OnDestroy matters destroys
    // the window in its own destructor: here the derived part is already gone.
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Creates the window (owner disabled while it runs), shows it and dispatches messages
    // until EndDialog or WM_QUIT, then destroys it. Returns the EndDialog value; -1 when the
    // window could not be created; 0 when WM_QUIT ended the run (WM_QUIT is posted again when
    // another modal run is under way, so that it ends too).
    INT_PTR RunModal(HWND owner);
    // Creates the window modelessly (visible only if its template says so). False on failure.
    bool CreateModeless(HWND owner);
    // Ends a modal run with `result` once the current handler returns.
    void EndDialog(INT_PTR result);
    // Destroys the window now (modeless dialogs).
    void Destroy();

    HWND hwnd() const { return hwnd_; }
    HINSTANCE module() const { return module_; }
    HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

    // Copies between the controls and the fields through DoDataExchange: saving = true reads
    // the controls into the fields, false writes the fields into the controls. False when a
    // value read was refused (the exchange has then shown its message and focused the control).
    bool UpdateData(bool saving);

    // For the modal loops of this layer's other windows (the property sheet), so that they
    // keep the rules of RunModal: keyboard navigation for whichever open dialog a message is
    // meant for (true when it took the message), and a count of the modal runs under way.
    // LeaveModalRun answers true when another modal run is still under way outside the one
    // that ends: a WM_QUIT that ended it must then be posted again.
    static bool RouteDialogMessage(MSG& msg);
    static void EnterModalRun();
    static bool LeaveModalRun();

protected:
    // WM_INITDIALOG. The default writes the fields into the controls and returns TRUE (the
    // system puts the focus on the first control).
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(DataExchange& exchange);
    // IDOK and IDCANCEL (Enter, Esc, the close box). Defaults: UpdateData(true) and
    // EndDialog(IDOK); EndDialog(IDCANCEL).
    virtual void OnOK();
    virtual void OnCancel();
    // Every other WM_COMMAND (menu commands, control notifications). True when handled.
    virtual bool OnCommand(UINT id, UINT code, HWND control);
    // WM_NOTIFY; true with `result` when handled (it becomes DWLP_MSGRESULT).
    virtual bool OnNotify(const NMHDR& header, LRESULT& result);
    // WM_CTLCOLOR*: the brush for the dialog or a control, or null for the default colours.
    virtual HBRUSH OnControlColour(HDC dc, HWND control, UINT message);
    // WM_DESTROY, before the window's children go.
    virtual void OnDestroy();
    // Any other message. True when handled: the dialog procedure then returns `result`.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

private:
    static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

    HINSTANCE module_;
    UINT templateId_;
    HWND hwnd_ = nullptr;
    bool modal_ = false;
    bool ending_ = false;
    INT_PTR result_ = 0;
};

}  // namespace velkaro::ui
