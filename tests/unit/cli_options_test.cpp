// The command line of velkaro-cli.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli_options.h"
#include "string_ids.h"

namespace velkaro {
namespace {

struct OptionsCase {
    const char* name;
    std::vector<const char*> args;  // without the program name
    unsigned errorId;               // 0: accepted
    CliOptions expected;
};

CliOptions With(CliCommand command, std::string in = "-", std::string out = "-") {
    CliOptions o;
    o.command = command;
    o.input = std::move(in);
    o.output = std::move(out);
    return o;
}

CliOptions Sealing(void (*adjust)(CliOptions&)) {
    CliOptions o = With(CliCommand::kSeal);
    adjust(o);
    return o;
}

class OptionsTest : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(OptionsTest, ParsesOrRefuses) {
    const OptionsCase& c = GetParam();
    std::vector<const char*> argv = {"velkaro-cli"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    CliOptions options;
    OptionError error;
    bool ok = CliOptionParser::Parse(int(argv.size()), argv.data(), options, error);
    EXPECT_EQ(ok, c.errorId == 0);
    EXPECT_EQ(error.id, c.errorId);
    if (!ok) return;
    const CliOptions& e = c.expected;
    EXPECT_EQ(options.command, e.command);
    EXPECT_EQ(options.help, e.help);
    EXPECT_EQ(options.input, e.input);
    EXPECT_EQ(options.output, e.output);
    EXPECT_EQ(options.note, e.note);
    EXPECT_EQ(options.hasNoteFile, e.hasNoteFile);
    EXPECT_EQ(options.noteFile, e.noteFile);
    EXPECT_EQ(options.hasPasswordFile, e.hasPasswordFile);
    EXPECT_EQ(options.passwordFile, e.passwordFile);
    EXPECT_EQ(options.passwordFd, e.passwordFd);
    EXPECT_EQ(options.hasCharset, e.hasCharset);
    EXPECT_EQ(options.charset, e.charset);
    EXPECT_EQ(options.lossy, e.lossy);
}

CliOptions Help() {
    CliOptions o;
    o.help = true;
    return o;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OptionsTest,
    ::testing::Values(
        OptionsCase{"SealFromStdinToStdout", {"seal"}, 0, With(CliCommand::kSeal)},
        OptionsCase{"OpenFileToFile", {"open", "in.txt", "out.txt"}, 0, With(CliCommand::kOpen, "in.txt", "out.txt")},
        OptionsCase{"DashesMeanStandardStreams", {"open", "-", "-"}, 0, With(CliCommand::kOpen)},
        OptionsCase{"ProbeFile", {"probe", "mail.txt"}, 0, With(CliCommand::kProbe, "mail.txt")},
        OptionsCase{"OptionsAnywhere",
                    {"--lossy", "seal", "a", "--note", "b"},
                    0,
                    Sealing([](CliOptions& o) { o.input = "a", o.output = "b", o.note = o.lossy = true; })},
        OptionsCase{"ValuesSeparateOrJoined",
                    {"seal", "--note-file", "n.txt", "--charset=KOI8-R", "--password-file=pw"},
                    0,
                    Sealing([](CliOptions& o) {
                        o.hasNoteFile = o.hasCharset = o.hasPasswordFile = true;
                        o.noteFile = "n.txt", o.charset = "KOI8-R", o.passwordFile = "pw";
                    })},
        OptionsCase{"PasswordDescriptor", {"seal", "--password-fd", "3"}, 0,
                    Sealing([](CliOptions& o) { o.passwordFd = 3; })},
        OptionsCase{"DoubleDashEndsOptions", {"open", "--", "--note"}, 0, With(CliCommand::kOpen, "--note")},
        OptionsCase{"HelpLong", {"--help"}, 0, Help()},
        OptionsCase{"HelpShortWinsOverErrors", {"nonsense", "-h"}, 0, Help()},
        OptionsCase{"NoCommand", {}, IDS_CLI_NO_COMMAND, {}},
        OptionsCase{"UnknownCommand", {"encrypt"}, IDS_CLI_UNKNOWN_COMMAND, {}},
        OptionsCase{"UnknownOption", {"seal", "--verbose"}, IDS_CLI_UNKNOWN_OPTION, {}},
        OptionsCase{"FlagWithValue", {"seal", "--note=yes"}, IDS_CLI_UNKNOWN_OPTION, {}},
        OptionsCase{"MissingValue", {"seal", "--charset"}, IDS_CLI_OPTION_NEEDS_VALUE, {}},
        OptionsCase{"ThirdFile", {"seal", "a", "b", "c"}, IDS_CLI_EXTRA_ARGUMENT, {}},
        OptionsCase{"ProbeHasNoOutput", {"probe", "a", "b"}, IDS_CLI_EXTRA_ARGUMENT, {}},
        OptionsCase{"PasswordOption", {"open", "--password", "secret"}, IDS_CLI_PASSWORD_ON_COMMAND_LINE, {}},
        OptionsCase{"PasswordJoined", {"open", "--password=secret"}, IDS_CLI_PASSWORD_ON_COMMAND_LINE, {}},
        OptionsCase{"PasswordShort", {"open", "-psecret"}, IDS_CLI_PASSWORD_ON_COMMAND_LINE, {}},
        OptionsCase{"BadDescriptor", {"open", "--password-fd", "x1"}, IDS_CLI_BAD_DESCRIPTOR, {}},
        OptionsCase{"NoteWithOpen", {"open", "--note"}, IDS_CLI_OPTION_NOT_FOR_COMMAND, {}},
        OptionsCase{"PasswordWithProbe", {"probe", "--password-file", "pw"}, IDS_CLI_OPTION_NOT_FOR_COMMAND, {}},
        OptionsCase{"TwoNotes", {"seal", "--note", "--note-file", "n"}, IDS_CLI_CONFLICTING_OPTIONS, {}},
        OptionsCase{"TwoPasswords", {"seal", "--password-file", "p", "--password-fd", "0"},
                    IDS_CLI_CONFLICTING_OPTIONS, {}}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace velkaro
