#include "cli_options.h"

#include <cstdlib>
#include <cstring>

#include "string_ids.h"

namespace velkaro {
namespace {

const char* CommandName(CliCommand c) {
    switch (c) {
        case CliCommand::kSeal: return "seal";
        case CliCommand::kOpen: return "open";
        case CliCommand::kProbe: return "probe";
        case CliCommand::kNone: break;
    }
    return "";
}

bool Fail(OptionError& error, unsigned id, std::vector<std::string> args = {}) {
    error.id = id;
    error.args = std::move(args);
    return false;
}

bool ParseDescriptor(const std::string& text, int* fd) {
    if (text.empty() || text.size() > 9) return false;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
    }
    *fd = std::atoi(text.c_str());
    return true;
}

// Options that take a value.
bool TakesValue(const std::string& name) {
    return name == "--note-file" || name == "--password-file" || name == "--password-fd" ||
           name == "--charset";
}

bool IsPasswordOnCommandLine(const std::string& name) {
    if (name == "--password" || name == "--pass" || name == "--passphrase") return true;
    // "-p" and "-pSECRET": refused as a password without echoing the argument.
    return name.rfind("-p", 0) == 0;
}

// Which commands an option belongs to.
bool OptionFits(const std::string& name, CliCommand command) {
    if (name == "--note" || name == "--note-file") return command == CliCommand::kSeal;
    if (name == "--password-file" || name == "--password-fd") return command != CliCommand::kProbe;
    return true;
}

}  // namespace

bool CliOptionParser::Parse(int argc, const char* const* argv, CliOptions& options, OptionError& error) {
    options = CliOptions();
    std::vector<std::string> positional;
    std::vector<std::string> given;  // option names, checked against the command at the end
    bool optionsEnded = false;

    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            options.help = true;
            continue;
        }
        std::string name = arg;
        std::string value;
        bool hasValue = false;
        size_t equals = arg.find('=');
        if (arg.rfind("--", 0) == 0 && equals != std::string::npos) {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
            hasValue = true;
        }
        if (IsPasswordOnCommandLine(name)) return Fail(error, IDS_CLI_PASSWORD_ON_COMMAND_LINE);
        if (TakesValue(name)) {
            if (!hasValue) {
                if (i + 1 >= argc) return Fail(error, IDS_CLI_OPTION_NEEDS_VALUE, {name});
                value = argv[++i];
            }
        } else if (hasValue || (name != "--note" && name != "--lossy")) {
            return Fail(error, IDS_CLI_UNKNOWN_OPTION, {arg});
        }
        given.push_back(name);
        if (name == "--note") {
            options.note = true;
        } else if (name == "--lossy") {
            options.lossy = true;
        } else if (name == "--note-file") {
            options.hasNoteFile = true;
            options.noteFile = value;
        } else if (name == "--password-file") {
            options.hasPasswordFile = true;
            options.passwordFile = value;
        } else if (name == "--password-fd") {
            if (!ParseDescriptor(value, &options.passwordFd)) {
                return Fail(error, IDS_CLI_BAD_DESCRIPTOR, {value});
            }
        } else if (name == "--charset") {
            if (value.empty()) return Fail(error, IDS_CLI_OPTION_NEEDS_VALUE, {name});
            options.hasCharset = true;
            options.charset = value;
        }
    }
    if (options.help) return true;

    if (positional.empty()) return Fail(error, IDS_CLI_NO_COMMAND);
    const std::string& word = positional.front();
    if (word == "seal") options.command = CliCommand::kSeal;
    else if (word == "open") options.command = CliCommand::kOpen;
    else if (word == "probe") options.command = CliCommand::kProbe;
    else return Fail(error, IDS_CLI_UNKNOWN_COMMAND, {word});

    size_t files = positional.size() - 1;
    size_t allowed = options.command == CliCommand::kProbe ? 1 : 2;
    if (files > allowed) return Fail(error, IDS_CLI_EXTRA_ARGUMENT, {positional[allowed + 1]});
    if (files >= 1) options.input = positional[1];
    if (files >= 2) options.output = positional[2];

    for (const std::string& name : given) {
        if (!OptionFits(name, options.command)) {
            return Fail(error, IDS_CLI_OPTION_NOT_FOR_COMMAND, {name, CommandName(options.command)});
        }
    }
    if (options.note && options.hasNoteFile) {
        return Fail(error, IDS_CLI_CONFLICTING_OPTIONS, {"--note", "--note-file"});
    }
    if (options.hasPasswordFile && options.passwordFd >= 0) {
        return Fail(error, IDS_CLI_CONFLICTING_OPTIONS, {"--password-file", "--password-fd"});
    }
    return true;
}

}  // namespace velkaro
