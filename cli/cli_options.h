#pragma once
// CliOptions: the command line of velkaro-cli, and its parser.

#include <string>
#include <vector>

namespace velkaro {

enum class CliCommand { kNone, kSeal, kOpen, kProbe };

struct CliOptions {
    CliCommand command = CliCommand::kNone;
    bool help = false;
    std::string input = "-";   // "-" is stdin
    std::string output = "-";  // "-" is stdout
    bool note = false;
    bool hasNoteFile = false;
    std::string noteFile;
    bool hasPasswordFile = false;
    std::string passwordFile;
    int passwordFd = -1;  // -1: none
    bool hasCharset = false;
    std::string charset;
    bool lossy = false;
};

// What went wrong with a command line: a string id and its arguments, ready for
// CliMessageSink::Report.
struct OptionError {
    unsigned id = 0;
    std::vector<std::string> args;
};

class CliOptionParser {
public:
    // Parses argv[1..argc). Options may come before or after the command and the file
    // names; "--name=value" and "--name value" are both accepted; "--" ends the options.
    // A request for help succeeds whatever else is on the line.
    static bool Parse(int argc, const char* const* argv, CliOptions& options, OptionError& error);
};

}  // namespace velkaro
