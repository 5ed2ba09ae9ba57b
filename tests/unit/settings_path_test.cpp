// DirectoryOfCommandLine and ReplaceExtension: the program's own path parsing.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "path_routines.h"

namespace velkaro {
namespace {

struct DirectoryCase {
    const char* name;
    std::string commandLine;
    std::string directory;
};

class DirectoryOfCommandLineTest : public ::testing::TestWithParam<DirectoryCase> {};

TEST_P(DirectoryOfCommandLineTest, SeparateBuffer) {
    char out[kPathCapacity];
    std::memset(out, 'Z', sizeof out);
    DirectoryOfCommandLine(GetParam().commandLine.c_str(), out);
    EXPECT_EQ(std::string(out), GetParam().directory);
}

// Tests that output and input can be the same buffer.
TEST_P(DirectoryOfCommandLineTest, InPlace) {
    char buffer[kPathCapacity] = {};
    ASSERT_LT(GetParam().commandLine.size(), sizeof buffer);
    std::memcpy(buffer, GetParam().commandLine.c_str(), GetParam().commandLine.size() + 1);
    DirectoryOfCommandLine(buffer, buffer);
    EXPECT_EQ(std::string(buffer), GetParam().directory);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, DirectoryOfCommandLineTest,
    ::testing::Values(
        DirectoryCase{"QuotedWithArguments", "\"C:\\Program Files\\Velkaro\\velkaro.exe\" -x",
                      "C:\\Program Files\\Velkaro\\"},
        // The last backslash anywhere decides, an argument's included.
        DirectoryCase{"ArgumentWithBackslash", "C:\\V\\velkaro.exe D:\\mail\\a.txt", "C:\\V\\velkaro.exe D:\\mail\\"},
        DirectoryCase{"PlainPath", "C:\\Velkaro\\velkaro.exe", "C:\\Velkaro\\"},
        DirectoryCase{"TrailingBackslashIsNotChosen", "C:\\Velkaro\\", "C:\\"},
        DirectoryCase{"OnlyATrailingBackslash", "velkaro\\", ""},
        DirectoryCase{"NoBackslash", "velkaro.exe", ""},
        DirectoryCase{"SlashIsNoSeparatorHere", "C:/Velkaro/velkaro.exe", ""},
        DirectoryCase{"BackslashAtIndexZero", "\\velkaro.exe", "\\"},
        DirectoryCase{"ControlBytesDropped", "C:\\V\tx\\\r\nvelkaro.exe", "C:\\Vx\\"},
        DirectoryCase{"Empty", "", ""},
        DirectoryCase{"SingleBackslash", "\\", ""},
        DirectoryCase{"Cp1251Kept", "\"C:\\\xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB\\v.exe\"",
                      "C:\\\xCF\xF0\xEE\xE3\xF0\xE0\xEC\xEC\xFB\\"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(DirectoryOfCommandLineLimitTest, LongResultIsCutToTheBuffer) {
    // A command line far longer than a path buffer; the guard bytes after it must survive.
    std::string commandLine = "C:\\" + std::string(400, 'd') + "\\velkaro.exe";
    char out[kPathCapacity + 8];
    std::memset(out, 'G', sizeof out);
    DirectoryOfCommandLine(commandLine.c_str(), out);
    EXPECT_EQ(std::strlen(out), kPathCapacity - 1);
    EXPECT_EQ(std::string(out), commandLine.substr(0, kPathCapacity - 1));
    EXPECT_EQ(std::string(out + kPathCapacity, 8), std::string(8, 'G'));
}

struct ExtensionCase {
    const char* name;
    std::string path;
    const char* extension;
    std::string result;
};

class ReplaceExtensionTest : public ::testing::TestWithParam<ExtensionCase> {};

TEST_P(ReplaceExtensionTest, InPlace) {
    char buffer[kPathCapacity] = {};
    std::memcpy(buffer, GetParam().path.c_str(), GetParam().path.size() + 1);
    ReplaceExtension(buffer, GetParam().extension);
    EXPECT_EQ(std::string(buffer), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ReplaceExtensionTest,
    ::testing::Values(
        ExtensionCase{"ModulePath", "C:\\Velkaro\\velkaro.exe", "ini", "C:\\Velkaro\\velkaro.ini"},
        ExtensionCase{"HelpFile", "C:\\Velkaro\\velkaro.exe", "CHM", "C:\\Velkaro\\velkaro.CHM"},
        ExtensionCase{"LastDotWins", "C:\\V\\a.b.exe", "ini", "C:\\V\\a.b.ini"},
        ExtensionCase{"NoDot", "C:\\Velkaro\\velkaro", "ini", "C:\\Velkaro\\velkaro.ini"},
        ExtensionCase{"DotInADirectoryName", "C:\\Velkaro.3\\velkaro", "ini", "C:\\Velkaro.ini"},
        ExtensionCase{"TrailingDot", "C:\\V\\velkaro.", "ini", "C:\\V\\velkaro.ini"},
        ExtensionCase{"DotAtIndexZeroNeverTested", ".velkaro", "ini", ".velkaro.ini"},
        ExtensionCase{"DotAtIndexOne", "a.", "ini", "a.ini"},
        ExtensionCase{"Empty", "", "ini", ".ini"}),
    [](const auto& p) { return std::string(p.param.name); });

struct PathCase {
    const char* name;
    const char* modulePath;
    const char* programDir;
    const char* helpPath;
};

class ModulePathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(ModulePathTest, HelpPathAndProgramDir) {
    char programDir[kPathCapacity];
    char helpPath[kPathCapacity];
    ProgramDirOf(GetParam().modulePath, programDir);
    HelpPathOf(GetParam().modulePath, helpPath);
    EXPECT_EQ(std::string(programDir), GetParam().programDir);
    EXPECT_EQ(std::string(helpPath), GetParam().helpPath);
}

INSTANTIATE_TEST_SUITE_P(
    ModulePaths, ModulePathTest,
    ::testing::Values(
        PathCase{"WindowsPath", "Z:\\no such dir\\Velkaro\\velkaro.exe", "Z:\\no such dir\\Velkaro\\",
                 "Z:\\no such dir\\Velkaro\\velkaro.CHM::/nazn.html"},
        PathCase{"DotInDirectoryOnly", "Z:\\no.such\\velkaro", "Z:\\no.such\\",
                 "Z:\\no.CHM::/nazn.html"},
        PathCase{"NoSeparator", "velkaro.exe", "", "velkaro.CHM::/nazn.html"},
        PathCase{"SeparatorOnlyAtIndexZero", "\\velkaro.exe", "", "\\velkaro.CHM::/nazn.html"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(ReplaceExtensionLimitTest, NeverWritesPastTheBuffer) {
    struct {
        size_t length;
        bool withDot;
    } cases[] = {{kPathCapacity - 1, false}, {kPathCapacity - 2, false}, {kPathCapacity - 3, true}};
    for (const auto& c : cases) {
        char buffer[kPathCapacity + 8];
        std::memset(buffer, 'G', sizeof buffer);
        std::string path(c.length, 'p');
        if (c.withDot) path[c.length - 2] = '.';
        std::memcpy(buffer, path.c_str(), path.size() + 1);
        ReplaceExtension(buffer, "LONGEXTENSION");
        EXPECT_EQ(std::strlen(buffer), kPathCapacity - 1) << c.length;
        EXPECT_EQ(std::string(buffer + kPathCapacity, 8), std::string(8, 'G')) << c.length;
    }
}

}  // namespace
}  // namespace velkaro
