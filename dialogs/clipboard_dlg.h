#pragma once
// CClipboardDlg: the clipboard viewer, a modeless window (template 136, "Буфер обмена") that
// shows the clipboard's text and lets the user encrypt or decrypt it there, copy a sealed
// result back, clear the clipboard, forget the kept key and save the text to a file.
//
// The main window reads the clipboard into textBuffer and probes it (clipboardState: 0 a
// block, 1 plain text, 2 nothing) before it creates the viewer; while the viewer is open the
// roads of a request work on textBuffer, and the transform writes its result into the
// viewer's edit. The viewer asks to be closed by posting ViewerClosed to the main window,
// which then deletes it. The window may hold a decrypted letter: its text and textBuffer are
// wiped when it goes.

#include <windows.h>

#include "app_state.h"
#include "dialog.h"
#include "handles.h"
#include "message_sink.h"
#include "request_roads.h"
#include "toolbar.h"

namespace velkaro {

class CClipboardDlg : public ui::Dialog {
public:
    // `mainWindow` receives the request to close the viewer.
    CClipboardDlg(HINSTANCE module, AppState& app, RequestRoads& roads, MessageSink& messages,
                  HWND mainWindow);
    ~CClipboardDlg() override;

    // The viewer asked to be closed or was destroyed: the main window deletes it.
    bool closed() const { return closed_; }
    // The main window: the user cancelled a password question of the viewer's request.
    void MarkCancelled() { cancelled_ = true; }
    bool cancelled() const { return cancelled_; }
    // Edit 1010: the main window makes it the transform's target window.
    HWND TextEdit() const;

private:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    bool OnNotify(const NMHDR& header, LRESULT& result) override;
    void OnDestroy() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

    void EncryptOrDecrypt();
    void ClearClipboard();
    void ForgetKey();
    void Save();
    void CopyAndClose();
    void RequestClose();
    void OpenHelp();
    // Moves the window to the rectangle it had when it was last closed; false when there is
    // none, or it lies on no screen.
    bool RestoreSavedRectangle();

    AppState& app_;
    RequestRoads& roads_;
    MessageSink& messages_;
    HWND mainWindow_;
    ui::Toolbar toolbar_;
    ui::UniqueIcon icon_, iconSmall_;
    // The last action started here was an encryption: only then does "copy" write the
    // edit's text to the clipboard, so a decrypted letter never lands there.
    bool encryptedFlag_ = false;
    bool closed_ = false;
    bool cancelled_ = false;
};

}  // namespace velkaro
