#pragma once
// How portable code reports a failure to the user: a string id and a message-box style.
// The Win32 layer shows a message box; the CLI prints the text; tests record the calls.

#include <cstdint>

namespace velkaro {

// Style bits with the values of the Windows message box, so the Win32 layer passes them on.
enum MessageStyle : uint32_t {
    kStyleStop = 0x00000010u | 0x00010000u,         // MB_ICONHAND | MB_SETFOREGROUND
    kStyleInformation = 0x00000040u | 0x00010000u,  // MB_ICONINFORMATION | MB_SETFOREGROUND
    kStyleQuestion = 0x00000001u | 0x00000020u | 0x00010000u,  // MB_OKCANCEL | MB_ICONQUESTION | MB_SETFOREGROUND
};

// The answers ShowMessage returns, with the values of the Windows message box.
enum MessageAnswer : int {
    kAnswerOk = 1,      // IDOK
    kAnswerCancel = 2,  // IDCANCEL
};

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // Shows the text of string id `id` with `style`; returns the user's answer (IDOK = 1 for a plain box).
    virtual int ShowMessage(uint32_t id, uint32_t style) = 0;
};

}  // namespace velkaro
