#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "charset.h"
#include "platform.h"
#include "secure_wipe.h"

namespace velkaro {
namespace {

bool WriteAll(int fd, const uint8_t* p, size_t n) {
    while (n > 0) {
        ssize_t written = write(fd, p, n);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += written;
        n -= size_t(written);
    }
    return true;
}

// Reads one line from fd into line (without the LF), byte by byte so that nothing after
// it is consumed.
bool ReadLine(int fd, SecretBuffer& line) {
    line.Clear();
    uint8_t byte = 0;
    for (;;) {
        ssize_t got = read(fd, &byte, 1);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0 || byte == '\n') break;
        if (!line.Append(byte)) {
            // Longer than the buffer: the rest of the line is read and dropped.
            continue;
        }
    }
    SecureWipe(&byte, 1);
    return true;
}

// The terminal's settings while echo is off, so that an interrupt does not leave the user's
// terminal silent.
int echoTerminal = -1;
termios echoSaved;

void RestoreEchoAndDie(int signal) {
    if (echoTerminal >= 0) tcsetattr(echoTerminal, TCSAFLUSH, &echoSaved);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

}  // namespace

void Platform::PrepareStandardStreams() {}

Platform::TerminalResult Platform::ReadTerminalLine(const std::string& prompt, SecretBuffer& line,
                                                    std::string* charset) {
    int tty = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (tty < 0) return TerminalResult::kNoTerminal;
    *charset = Charset::TerminalName();
    bool echoOff = false;
    if (tcgetattr(tty, &echoSaved) == 0) {
        termios quiet = echoSaved;
        quiet.c_lflag &= ~tcflag_t(ECHO | ECHOE | ECHOK | ECHONL);
        echoTerminal = tty;
        for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) std::signal(s, RestoreEchoAndDie);
        echoOff = tcsetattr(tty, TCSAFLUSH, &quiet) == 0;
    }
    WriteAll(tty, reinterpret_cast<const uint8_t*>(prompt.data()), prompt.size());
    bool read = ReadLine(tty, line);
    if (echoOff) tcsetattr(tty, TCSAFLUSH, &echoSaved);
    echoTerminal = -1;
    for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) std::signal(s, SIG_DFL);
    WriteAll(tty, reinterpret_cast<const uint8_t*>("\n"), 1);
    close(tty);
    if (line.size() > 0 && line.bytes()[line.size() - 1] == '\r') line.Resize(line.size() - 1);
    return read ? TerminalResult::kRead : TerminalResult::kFailed;
}

long Platform::ReadDescriptor(int fd, void* p, size_t n) {
    for (;;) {
        ssize_t got = read(fd, p, n);
        if (got < 0 && errno == EINTR) continue;
        return long(got);
    }
}

}  // namespace velkaro
