#pragma once
// Where velkaro-cli gets its password: a file's first line, a descriptor's first line, or the
// terminal without echo. Never the command line. The password is handed on as CP1251 (the
// engine's text), zero-terminated, in a buffer of kPasswordCapacity bytes; every buffer that
// held it on the way is wiped.

#include <cstddef>
#include <string>

#include "cli_message_sink.h"
#include "exit_status.h"
#include "secret_buffer.h"

namespace velkaro {

class PasswordSource {
public:
    // Room of the CP1251 password with its zero (DeriveKey needs at least 32 bytes).
    static constexpr size_t kPasswordCapacity = 256;
    // Longest line read from a file, descriptor or terminal.
    static constexpr size_t kLineCapacity = 1024;

    virtual ~PasswordSource() = default;
    // Fills password (capacity kPasswordCapacity) with the zero-terminated CP1251 password.
    // Failures are reported to messages and answered with their exit status.
    virtual ExitStatus Read(SecretBuffer& password, CliMessageSink& messages) = 0;

protected:
    // Converts a line in `charset` to the CP1251 password; characters CP1251 cannot hold
    // are refused (a replaced character would make a different key).
    static ExitStatus Convert(const SecretBuffer& line, const std::string& charset,
                              SecretBuffer& password, CliMessageSink& messages);
    static ExitStatus TooLong(CliMessageSink& messages);
};

// The first line of a file (CR and LF at its end dropped), in the text's charset.
class FilePasswordSource : public PasswordSource {
public:
    FilePasswordSource(std::string path, std::string charset)
        : path_(std::move(path)), charset_(std::move(charset)) {}
    ExitStatus Read(SecretBuffer& password, CliMessageSink& messages) override;

private:
    std::string path_;
    std::string charset_;
};

// The first line read from an open descriptor, in the text's charset.
class DescriptorPasswordSource : public PasswordSource {
public:
    DescriptorPasswordSource(int fd, std::string charset) : fd_(fd), charset_(std::move(charset)) {}
    ExitStatus Read(SecretBuffer& password, CliMessageSink& messages) override;

private:
    int fd_;
    std::string charset_;
};

// A line typed on the terminal without echo, in the terminal's charset.
class TerminalPasswordSource : public PasswordSource {
public:
    ExitStatus Read(SecretBuffer& password, CliMessageSink& messages) override;
};

}  // namespace velkaro
