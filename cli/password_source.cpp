#include "password_source.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform.h"
#include "secure_wipe.h"
#include "string_ids.h"
#include "text_codec.h"

namespace velkaro {
namespace {

// Drops a CR that ended the line (a file written on Windows).
void DropCarriageReturn(SecretBuffer& line) {
    if (line.size() > 0 && line.bytes()[line.size() - 1] == '\r') line.Resize(line.size() - 1);
}

}  // namespace

ExitStatus PasswordSource::TooLong(CliMessageSink& messages) {
    messages.Report(IDS_CLI_PASSWORD_TOO_LONG, {std::to_string(kPasswordCapacity - 1)});
    return kExitUsage;
}

ExitStatus PasswordSource::Convert(const SecretBuffer& line, const std::string& charset,
                                   SecretBuffer& password, CliMessageSink& messages) {
    std::unique_ptr<TextCodec> codec = TextCodec::Open(charset);
    if (!codec) {
        messages.Report(IDS_CLI_UNKNOWN_CHARSET, {charset});
        return kExitUsage;
    }
    ConversionFailure failure;
    if (codec->Import(line.bytes(), line.size(), false, password, failure)) return kExitSuccess;
    if (failure.kind == ConversionFailure::Kind::kTooLong) return TooLong(messages);
    {
        // The position is not named: it would tell something about the password.
        messages.Report(IDS_CLI_PASSWORD_NOT_IN_CP1251);
    }
    return kExitUsage;
}

ExitStatus FilePasswordSource::Read(SecretBuffer& password, CliMessageSink& messages) {
    std::FILE* file = std::fopen(path_.c_str(), "rb");
    if (file == nullptr) {
        messages.Report(IDS_CLI_CANNOT_READ, {path_, std::strerror(errno)});
        return kExitIoError;
    }
    // Unbuffered, so that no copy of the password stays in a stdio buffer.
    std::setvbuf(file, nullptr, _IONBF, 0);
    SecretBuffer line(kLineCapacity);
    bool failed = false;
    bool overflow = false;
    for (;;) {
        int c = std::fgetc(file);
        if (c == EOF) {
            failed = std::ferror(file) != 0;
            break;
        }
        if (c == '\n') break;
        if (!line.Append(uint8_t(c))) overflow = true;
    }
    int savedErrno = errno;
    std::fclose(file);
    if (failed) {
        messages.Report(IDS_CLI_CANNOT_READ, {path_, std::strerror(savedErrno)});
        return kExitIoError;
    }
    if (overflow) return TooLong(messages);
    DropCarriageReturn(line);
    return Convert(line, charset_, password, messages);
}

ExitStatus DescriptorPasswordSource::Read(SecretBuffer& password, CliMessageSink& messages) {
    SecretBuffer line(kLineCapacity);
    uint8_t byte = 0;
    bool overflow = false;
    for (;;) {
        long got = Platform::ReadDescriptor(fd_, &byte, 1);
        if (got < 0) {
            messages.Report(IDS_CLI_CANNOT_READ, {"fd " + std::to_string(fd_), std::strerror(errno)});
            return kExitIoError;
        }
        if (got == 0 || byte == '\n') break;
        if (!line.Append(byte)) overflow = true;
    }
    SecureWipe(&byte, sizeof byte);
    if (overflow) return TooLong(messages);
    DropCarriageReturn(line);
    return Convert(line, charset_, password, messages);
}

ExitStatus TerminalPasswordSource::Read(SecretBuffer& password, CliMessageSink& messages) {
    std::string terminal = Charset::TerminalName();
    std::unique_ptr<TextCodec> codec = TextCodec::Open(terminal);
    std::string prompt = CliMessageSink::Format(IDS_CLI_PASSWORD_PROMPT, {});
    if (codec) prompt = codec->ExportUtf8(prompt);
    SecretBuffer line(kLineCapacity);
    std::string charset;
    switch (Platform::ReadTerminalLine(prompt, line, &charset)) {
        case Platform::TerminalResult::kRead:
            return Convert(line, charset, password, messages);
        case Platform::TerminalResult::kNoTerminal:
            messages.Report(IDS_CLI_NO_TERMINAL);
            return kExitUsage;
        case Platform::TerminalResult::kFailed:
            break;
    }
    messages.Report(IDS_CLI_CANNOT_READ, {"terminal", std::strerror(errno)});
    return kExitIoError;
}

}  // namespace velkaro
