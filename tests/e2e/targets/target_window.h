#pragma once
// The window of edit_target.exe: a top-level window "Velkaro test target" holding one edit
// control like a mail editor's. It reports the control's whole text (raw ANSI bytes) to one file
// whenever the text changes, and its state (client rectangle on screen, focus, selection, which
// input messages reached the control) to another, both replaced atomically. With a tray icon
// it also reports the icon's clicks and the command chosen from the icon's popup menu.

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>

#include "handles.h"
#include "report_file.h"

namespace velkaro::e2e {

struct TargetOptions {
    std::wstring textFile;    // initial text, raw bytes in the ANSI code page; none: empty
    std::wstring reportFile;  // the control's text, rewritten on every change
    std::wstring stateFile;   // the JSON state, rewritten on every tick and change
    int clientWidth = 560;    // the control's client area, in pixels
    int clientHeight = 360;
    int x = 40;               // the top-level window's position on the screen
    int y = 40;
    bool richEdit = false;    // class RichEdit20A (riched20.dll) instead of Edit
    bool singleLine = false;  // no ES_MULTILINE, no scroll bar
    bool trayIcon = false;    // show a notification-area icon with a popup menu
    bool dialog = false;      // show a password dialog ("#32770") at start
};

class TargetWindow {
public:
    explicit TargetWindow(const TargetOptions& options);
    ~TargetWindow();
    TargetWindow(const TargetWindow&) = delete;
    TargetWindow& operator=(const TargetWindow&) = delete;

    // Creates the window and its control, loads the initial text, writes both reports.
    // False (with a reason on the debugger output) when something could not be set up.
    bool Create(HINSTANCE instance);

    static constexpr const wchar_t* kTitle = L"Velkaro test target";
    // Commands of the tray icon's popup menu.
    static constexpr UINT kFirstCommand = 201;   // "Первый пункт"
    static constexpr UINT kCheckedCommand = 202; // "Отмеченный пункт", checked
    static constexpr UINT kGrayedCommand = 203;  // "Недоступный пункт", greyed
    static constexpr UINT kCloseCommand = 204;   // "Закрыть меню"
    static constexpr UINT kMessageCommand = 205; // "Сообщение": a message box
    static constexpr const wchar_t* kDialogTitle = L"Velkaro test dialog";
    static constexpr int kPasswordId = 1002;     // ES_PASSWORD edit of the dialog
    static constexpr int kKeepId = 1003;         // auto check box of the dialog, checked at start

    // The dialog, for the message loop's IsDialogMessage (null when there is none).
    HWND dialog() const { return dialog_; }

private:
    static LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK EditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                     DWORD_PTR self);
    LRESULT HandleMain(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleEdit(UINT message, WPARAM wParam, LPARAM lParam);

    bool CreateEdit();
    void SizeToClient();
    void LoadInitialText();
    void AddTrayIcon();
    void RemoveTrayIcon();
    void OnTrayNotify(UINT mouseMessage);
    void ShowTrayMenu();
    bool CreateDialogWindow();
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnDialogCommand(int id);

    std::string ReadText() const;
    // Writes the text report when the text differs from the last one written (or always).
    void ReportText(bool always);
    void ReportState();
    void Count(const char* what) { ++counters_[what]; }

    TargetOptions options_;
    HWND main_ = nullptr;
    HWND edit_ = nullptr;
    WNDPROC editDefault_ = nullptr;
    ui::UniqueModule richEditLibrary_;
    ui::UniqueMenu trayMenu_;
    bool trayAdded_ = false;
    ReportFile textReport_;
    ReportFile stateReport_;
    std::string lastText_;
    // Set while this program reads or writes its own control, so that only other programs'
    // WM_GETTEXT / WM_SETTEXT are counted (InSendMessage is no help: under Wine it still answers
    // for the outer message when a sent message, like a tray notification, runs a nested loop).
    mutable bool ownAccess_ = false;
    int lineHeight_ = 0;
    uint64_t textReports_ = 0;
    uint64_t stateSequence_ = 0;
    UINT lastCommand_ = 0;
    HWND dialog_ = nullptr;
    // What the dialog held when it was last confirmed (a test password, not a secret).
    std::string dialogPassword_;
    bool dialogKeep_ = false;
    int messageBoxResult_ = 0;
    std::map<std::string, uint64_t> counters_;
};

}  // namespace velkaro::e2e
