#pragma once
// The window of html_target.exe: a top-level window "Velkaro HTML target" hosting one
// HtmlServerWindow (class "Internet Explorer_Server", tests/win32/support), the stand-in for
// the browser control in which mail programs show and edit HTML mail. The control answers
// "WM_HTML_GETOBJECT" with a COM document over the page this window owns, so another process
// (the tray program) reads and writes the page as it would a real mail body.
//
// It reports the page and its own state as JSON to one file, replaced atomically, every 50 ms
// and at once after every write to the page:
//   seq, pid, main, server (window handles), client (the control's client area on the
//   screen), window (the frame), focus (the control holds the keyboard focus), foreground,
//   page: url, design_mode, tag, inner_html, inner_text, puts [{kind "innerHTML" or
//   "innerText", text}], bg_colours, window_events, live_objects, documents_obtained;
//   page_writes (puts and colours seen so far), counters of the mouse and focus messages that
//   reached the control (lbuttondown, lbuttonup, lbuttondblclk, setfocus).
// Texts are UTF-8.

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "fake_html_document.h"
#include "html_server_window.h"
#include "report_file.h"

namespace velkaro::e2e {

struct HtmlTargetOptions {
    std::wstring stateFile;   // the JSON state, rewritten on every tick and change
    int clientWidth = 560;    // the control's client area, in pixels
    int clientHeight = 360;
    int x = 40;               // the top-level window's position on the screen
    int y = 40;
};

class HtmlTargetWindow {
public:
    // `page` is the page the control starts with (document kind and content).
    HtmlTargetWindow(const FakeHtmlPage& page, const HtmlTargetOptions& options);
    ~HtmlTargetWindow();
    HtmlTargetWindow(const HtmlTargetWindow&) = delete;
    HtmlTargetWindow& operator=(const HtmlTargetWindow&) = delete;

    // Creates the frame and the control and writes the first state. Call it on a thread that
    // is a COM apartment and dispatches messages. False (with a reason on the debugger
    // output) when something could not be set up.
    bool Create(HINSTANCE instance);

    // Documents and elements that another process still holds.
    int LiveObjects() const { return page_.liveObjects; }

    static constexpr const wchar_t* kTitle = L"Velkaro HTML target";

private:
    static LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ServerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);
    LRESULT HandleMain(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleServer(HWND server, UINT message, WPARAM wParam, LPARAM lParam);

    void SizeFrameToClient();
    void OnPageWritten();
    void ReportState();
    void Count(const char* what) { ++counters_[what]; }

    HtmlTargetOptions options_;
    FakeHtmlPage page_;  // outlives the control, which refers to it
    HWND main_ = nullptr;
    std::unique_ptr<HtmlServerWindow> server_;
    bool subclassed_ = false;
    ReportFile stateReport_;
    uint64_t stateSequence_ = 0;
    uint64_t pageWrites_ = 0;
    std::map<std::string, uint64_t> counters_;
};

}  // namespace velkaro::e2e
