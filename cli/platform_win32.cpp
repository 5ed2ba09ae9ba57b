// Platform services on Windows: binary standard streams, a password read from the console
// without echo and descriptors of the C runtime.
#include <windows.h>
#include <conio.h>
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "platform.h"
#include "secure_wipe.h"
#include "utf8.h"

namespace velkaro {

void Platform::PrepareStandardStreams() {
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
}

Platform::TerminalResult Platform::ReadTerminalLine(const std::string& prompt, SecretBuffer& line,
                                                    std::string* charset) {
    HANDLE console = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    if (console == INVALID_HANDLE_VALUE) return TerminalResult::kNoTerminal;
    CloseHandle(console);
    *charset = "UTF-8";  // the UTF-16 the console delivers is passed on as UTF-8
    std::fwrite(prompt.data(), 1, prompt.size(), stderr);
    std::fflush(stderr);
    line.Clear();
    wchar_t high = 0;  // first half of a surrogate pair
    for (;;) {
        wchar_t unit = _getwch();
        if (unit == L'\r' || unit == L'\n') break;
        if (unit == 3) {  // Ctrl+C
            line.Clear();
            std::fputs("\n", stderr);
            return TerminalResult::kFailed;
        }
        if (unit == L'\b') {
            // Remove the last character: the bytes of its UTF-8 sequence.
            size_t n = line.size();
            while (n > 0 && (line.bytes()[n - 1] & 0xC0) == 0x80) --n;
            if (n > 0) --n;
            SecureWipe(line.bytes() + n, line.size() - n);
            line.Resize(n);
            continue;
        }
        char32_t cp = unit;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            high = unit;
            continue;
        }
        if (unit >= 0xDC00 && unit <= 0xDFFF) {
            if (high == 0) continue;
            cp = 0x10000 + ((char32_t(high) - 0xD800) << 10) + (char32_t(unit) - 0xDC00);
        }
        high = 0;
        uint8_t encoded[Utf8::kMaxSequence];
        size_t length = Utf8::Encode(cp, encoded);
        line.Append(encoded, length);
        SecureWipe(encoded, sizeof encoded);
    }
    std::fputs("\n", stderr);
    return TerminalResult::kRead;
}

long Platform::ReadDescriptor(int fd, void* p, size_t n) {
    return long(_read(fd, p, unsigned(n > 0x10000 ? 0x10000 : n)));
}

}  // namespace velkaro
