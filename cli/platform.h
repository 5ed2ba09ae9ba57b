#pragma once
// The few services of velkaro-cli that differ between POSIX systems (platform_posix.cpp) and
// Windows (platform_win32.cpp): standard streams, the terminal, descriptors. Files are
// replaced through the settings layer's ReplaceFileContent (file_replace.h).

#include <cstddef>
#include <cstdint>
#include <string>

#include "secret_buffer.h"

namespace velkaro {

class Platform {
public:
    // Puts stdin and stdout into binary mode (Windows translates line ends otherwise).
    static void PrepareStandardStreams();

    enum class TerminalResult { kRead, kNoTerminal, kFailed };
    // Shows `prompt` (bytes in the terminal's charset) on the terminal and reads one line
    // there without echo, into `line` without its line end. *charset receives the charset
    // of the bytes read. The terminal is /dev/tty on POSIX and the console on Windows, so
    // it works while stdin and stdout carry text.
    static TerminalResult ReadTerminalLine(const std::string& prompt, SecretBuffer& line,
                                           std::string* charset);

    // Reads up to n bytes from descriptor fd. Returns the count, 0 at its end, -1 on error.
    static long ReadDescriptor(int fd, void* p, size_t n);
};

}  // namespace velkaro
