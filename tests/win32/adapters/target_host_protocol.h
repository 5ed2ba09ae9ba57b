#pragma once
// What the target host program (target_host_main.cpp) and the tests that start it agree on.
//
//   adapters_target_host edit TITLE [TEXT]  a frame with a Unicode Edit control holding TEXT
//   adapters_target_host html TITLE         a frame with an HtmlServerWindow over a page
//   adapters_target_host clipboard TITLE    a frame that holds the clipboard open
//
// The frame (class kTargetHostClass) takes the title TITLE once everything is ready, so a
// test that finds it by class and title may use it at once. kHangMessage posted to the frame
// makes the program's only thread stop answering: it sets the event TITLE + kHungSuffix and
// waits for TITLE + kReleaseSuffix. WM_CLOSE ends it; the exit code tells how it went.

namespace velkaro {

constexpr wchar_t kTargetHostClass[] = L"VelkaroTargetHost";
constexpr wchar_t kTargetHostExe[] = L"adapters_target_host.exe";
constexpr unsigned kHangMessage = 0x8000 + 1;  // WM_APP + 1
constexpr wchar_t kHungSuffix[] = L".hung";
constexpr wchar_t kReleaseSuffix[] = L".release";

enum TargetHostExit : int {
    kHostOk = 0,
    kHostUsage = 2,
    kHostReferencesLeft = 3,  // html: a document or element was still alive at the end
    kHostNoWindow = 4,
    kHostNoClipboard = 5,
};

}  // namespace velkaro
