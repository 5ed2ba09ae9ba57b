#pragma once
// CMainDlg: the hidden main window of the tray program. It receives every request
// (WM_SHELL_REQUEST from the hooks and the tray icon), probes the target, runs the roads of
// the request, is itself the password window, owns the tray icon and its menu, and installs
// and removes the hooks.

#include <windows.h>

#include <cstdint>
#include <memory>

#include "about_dlg.h"
#include "app_state.h"
#include "browser_window.h"
#include "clipboard_dlg.h"
#include "dialog.h"
#include "edit_text_transform.h"
#include "handles.h"
#include "html_document_access.h"
#include "html_transform.h"
#include "key_cache.h"
#include "layout_indicator.h"
#include "message_box_sink.h"
#include "message_cipher.h"
#include "request_context.h"
#include "request_host.h"
#include "request_kind.h"
#include "request_roads.h"
#include "system_ansi_codec.h"
#include "template_dlg.h"
#include "tray_icon.h"
#include "white_brush.h"

namespace velkaro {

class CMainDlg : public ui::Dialog, private RequestHost {
public:
    CMainDlg(HINSTANCE module, AppState& app, KeyCache& cache, MessageBoxSink& messages,
             HtmlDocumentAccess& htmlAccess, const LayoutPictures& pictures);
    ~CMainDlg() override;

private:
    // --- ui::Dialog
    BOOL OnInitDialog() override;
    void DoDataExchange(ui::DataExchange& exchange) override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    HBRUSH OnControlColour(HDC dc, HWND control, UINT message) override;
    void OnDestroy() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

    // --- RequestHost
    bool ShowPasswordWindow() override;
    void HidePasswordWindow() override;
    void RefreshPasswordWindow() override;
    bool ClipboardViewerOpen() override;
    bool AskPasswordModal(char* password, size_t capacity) override;
    void RunTransform(TransformMode mode) override;
    bool FindTargetUnderCursor() override;

    void OnShellRequest(HWND target, RequestKind kind);
    void OnTrayNotify(UINT identifier, UINT mouseMessage);
    void OpenTrayMenu(POINT at);
    void OnMenuCommand(UINT id);
    // "Просмотр буфера обмена": probes the clipboard's text and opens the viewer over it.
    void OpenClipboardViewer();
    // Destroys the viewer and ends the clipboard road. While a road of the viewer is under
    // way (its password dialog runs a nested loop) the viewer is only hidden and stays
    // marked closed, to be destroyed at the next occasion: its handler is still running.
    void CloseClipboardViewer();
    // Destroys a viewer that has marked itself closed.
    void DropClosedViewer();
    void ToggleSleepMode();
    // The help file at its first topic, or a message that it could not be opened.
    void OpenHelp();
    // Lets the requests through the message filter of a process at a higher integrity level
    // than their senders (Vista and later; absent on XP, looked up at run time).
    void AllowRequestMessages();
    // Shows the window with the caret in the password field; false (and hidden again) when it
    // did not get the keyboard focus.
    bool ShowWithPasswordFocus();
    // Runs the transform of `window`'s kind in `mode`, telling the user when the window has
    // gone or does not answer.
    ProbeResult Transform(HWND window, bool html, TransformMode mode);

    AppState& app_;
    KeyCache& cache_;
    MessageBoxSink& messages_;
    HtmlDocumentAccess& htmlAccess_;
    const LayoutPictures& pictures_;

    RequestContext request_;
    MessageCipher cipher_;
    SystemAnsiCodec codec_;
    CTemplateDlg chooser_;
    CAboutDlg aboutBox_;
    EditTextTransform editTransform_;
    HtmlTransform htmlTransform_;
    RequestRoads roads_;

    CTrayIcon trayIcon_;
    LayoutIndicator indicator_;
    // Open while the user works in it; the clipboard road (clipboardSource) belongs to it.
    std::unique_ptr<CClipboardDlg> clipboardViewer_;
    ui::WhiteBrush brush_;
    ui::UniqueMenu trayMenu_;
    HMENU trayPopup_ = nullptr;
    ui::UniqueIcon appIcon_, appIconSmall_, sleepIcon_;
    UINT taskbarCreatedMessage_ = 0;

    HWND targetWindow_ = nullptr;
    int32_t htmlTarget_ = 0;
    bool hooksSet_ = false;
};

}  // namespace velkaro
