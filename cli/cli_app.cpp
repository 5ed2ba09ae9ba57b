#include "cli_app.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "charset.h"
#include "cli_commands.h"
#include "cli_message_sink.h"
#include "cli_options.h"
#include "exit_status.h"
#include "file_replace.h"
#include "info_note.h"
#include "password_source.h"
#include "platform.h"
#include "string_ids.h"
#include "text_codec.h"
#include "text_limits.h"

namespace velkaro {
namespace {

constexpr char kStdName[] = "-";

bool IsStandardStream(const std::string& name) { return name == kStdName; }

std::string DisplayName(const std::string& name, bool input) {
    return IsStandardStream(name) ? (input ? "stdin" : "stdout") : name;
}

// Reads a whole file (or stdin) into buffer. More than buffer.capacity() - 1 bytes is
// refused as too long; the file is read unbuffered so that no stdio copy of it remains.
ExitStatus ReadInput(const std::string& name, SecretBuffer& buffer, CliMessageSink& messages) {
    std::FILE* file = IsStandardStream(name) ? stdin : std::fopen(name.c_str(), "rb");
    if (file == nullptr) {
        messages.Report(IDS_CLI_CANNOT_READ, {name, std::strerror(errno)});
        return kExitIoError;
    }
    if (file != stdin) std::setvbuf(file, nullptr, _IONBF, 0);  // stdin is unbuffered already
    buffer.Clear();
    bool tooLong = false;
    for (;;) {
        size_t room = buffer.capacity() - buffer.size();
        size_t got = std::fread(buffer.bytes() + buffer.size(), 1, room, file);
        buffer.Resize(buffer.size() + got);
        if (got == 0 || buffer.size() == buffer.capacity()) {
            tooLong = buffer.size() == buffer.capacity();
            break;
        }
    }
    bool failed = std::ferror(file) != 0;
    int savedErrno = errno;
    if (file != stdin) std::fclose(file);
    if (failed) {
        messages.Report(IDS_CLI_CANNOT_READ, {DisplayName(name, true), std::strerror(savedErrno)});
        return kExitIoError;
    }
    if (tooLong) {
        messages.Report(IDS_CLI_INPUT_TOO_LONG, {std::to_string(buffer.capacity() - 1)});
        return kExitUsage;
    }
    return kExitSuccess;
}

// The note file, read as the program reads its note file: at most the first 1024 bytes.
ExitStatus ReadNoteFile(const std::string& path, InfoNote& note, CliMessageSink& messages) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        messages.Report(IDS_CLI_CANNOT_READ, {path, std::strerror(errno)});
        return kExitIoError;
    }
    char bytes[InfoNote::kMaxFileBytes];
    size_t got = std::fread(bytes, 1, sizeof bytes, file);
    bool failed = std::ferror(file) != 0;
    int savedErrno = errno;
    std::fclose(file);
    if (failed) {
        messages.Report(IDS_CLI_CANNOT_READ, {path, std::strerror(savedErrno)});
        return kExitIoError;
    }
    note.LoadFileBytes(bytes, got);
    return kExitSuccess;
}

ExitStatus WriteOutput(const std::string& name, const uint8_t* data, size_t n, CliMessageSink& messages) {
    if (IsStandardStream(name)) {
        bool ok = std::fwrite(data, 1, n, stdout) == n;
        ok = std::fflush(stdout) == 0 && ok;
        if (!ok) {
            messages.Report(IDS_CLI_CANNOT_WRITE, {"stdout", std::strerror(errno)});
            return kExitIoError;
        }
        return kExitSuccess;
    }
    std::string error;
    if (!ReplaceFileContent(name, data, n, &error)) {
        messages.Report(IDS_CLI_CANNOT_WRITE, {name, error});
        return kExitIoError;
    }
    return kExitSuccess;
}

void PrintHelp(TextCodec& terminal) {
    const uint32_t kParagraphs[] = {IDS_CLI_HELP_USAGE,    IDS_CLI_HELP_FILES,   IDS_CLI_HELP_SEAL,
                                    IDS_CLI_HELP_OPEN,     IDS_CLI_HELP_PASSWORD, IDS_CLI_HELP_CHARSET,
                                    IDS_CLI_HELP_STATUS};
    std::string text;
    for (uint32_t id : kParagraphs) text += CliMessageSink::Format(id, {}) + "\n";
    std::string converted = terminal.ExportUtf8(text);
    std::fwrite(converted.data(), 1, converted.size(), stdout);
    std::fflush(stdout);
}

std::unique_ptr<PasswordSource> MakePasswordSource(const CliOptions& options, const std::string& charset) {
    if (options.hasPasswordFile) return std::make_unique<FilePasswordSource>(options.passwordFile, charset);
    if (options.passwordFd >= 0) return std::make_unique<DescriptorPasswordSource>(options.passwordFd, charset);
    return std::make_unique<TerminalPasswordSource>();
}

ExitStatus RunCommand(const CliOptions& options, TextCodec& codec, CliMessageSink& messages) {
    SecretBuffer input(TextCodec::ImportLimit(kTextBufferCapacity));
    ExitStatus status = ReadInput(options.input, input, messages);
    if (status != kExitSuccess) return status;

    CliCommands commands(messages, codec, options.lossy);
    if (options.command == CliCommand::kProbe) {
        BlockProbe probe;
        status = commands.Probe(input.bytes(), input.size(), probe);
        if (status != kExitSuccess) return status;
        std::string report = codec.ExportUtf8(CliCommands::DescribeProbe(probe));
        return WriteOutput(kStdName, reinterpret_cast<const uint8_t*>(report.data()), report.size(), messages);
    }

    std::unique_ptr<PasswordSource> password = MakePasswordSource(options, codec.Name());
    SecretBuffer output(CliCommands::OutputCapacity());
    if (options.command == CliCommand::kSeal) {
        InfoNote note;
        if (options.hasNoteFile) {
            status = ReadNoteFile(options.noteFile, note, messages);
            if (status != kExitSuccess) return status;
        }
        bool withNote = options.note || options.hasNoteFile;
        status = commands.Seal(input.bytes(), input.size(), withNote ? &note : nullptr, *password, output);
    } else {
        status = commands.Open(input.bytes(), input.size(), *password, output);
    }
    input.Clear();
    if (status != kExitSuccess) return status;
    return WriteOutput(options.output, output.bytes(), output.size(), messages);
}

}  // namespace

int RunCli(int argc, const char* const* argv) {
    // Unbuffered standard streams: texts go straight between our wiped buffers and the
    // system, leaving no copy in a stdio buffer. Every write is one large block anyway.
    std::setvbuf(stdin, nullptr, _IONBF, 0);
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    Platform::PrepareStandardStreams();
    std::string terminalName = Charset::TerminalName();
    std::unique_ptr<TextCodec> terminal = TextCodec::Open(terminalName);
    if (!terminal) terminal = TextCodec::Open("UTF-8");
    TextCodec* terminalCodec = terminal.get();
    CliMessageSink messages([terminalCodec](const std::string& utf8) {
        std::string line = "velkaro-cli: " + utf8 + "\n";
        if (terminalCodec) line = terminalCodec->ExportUtf8(line);
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
    });

    CliOptions options;
    OptionError error;
    if (!CliOptionParser::Parse(argc, argv, options, error)) {
        messages.Report(error.id, error.args);
        messages.Report(IDS_CLI_USAGE_HINT);
        return kExitUsage;
    }
    if (options.help) {
        if (terminalCodec) PrintHelp(*terminalCodec);
        return kExitSuccess;
    }
    std::unique_ptr<TextCodec> codec = options.hasCharset ? TextCodec::Open(options.charset) : TextCodec::Open(terminalName);
    if (!codec) {
        messages.Report(IDS_CLI_UNKNOWN_CHARSET, {options.hasCharset ? options.charset : terminalName});
        return kExitUsage;
    }
    return RunCommand(options, *codec, messages);
}

}  // namespace velkaro
