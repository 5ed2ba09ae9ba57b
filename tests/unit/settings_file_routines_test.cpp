// ReadFilePart and WriteWholeFile: their result codes, which are also message ids.
#include <gtest/gtest.h>

#include <string>

#include "file_routines.h"
#include "temp_dir.h"

namespace velkaro {
namespace {

const std::string kContent = "0123456789";  // 10 bytes

struct ReadCase {
    const char* name;
    size_t offset, count, size;
    int code;
    std::string read;  // the bytes that arrive in the buffer
};

class ReadFilePartTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadFilePartTest, CodeAndBytes) {
    TempDir dir;
    dir.Write("f.bin", kContent);
    std::string buffer(32, '#');
    EXPECT_EQ(ReadFilePart(dir.File("f.bin"), GetParam().offset, GetParam().count, GetParam().size, &buffer[0]),
              GetParam().code);
    EXPECT_EQ(buffer.substr(0, GetParam().read.size()), GetParam().read);
    EXPECT_EQ(buffer.substr(GetParam().read.size()), std::string(32 - GetParam().read.size(), '#'));
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, ReadFilePartTest,
    ::testing::Values(
        ReadCase{"Whole", 0, 10, 10, kFileOk, kContent},
        ReadCase{"Middle", 3, 4, 10, kFileOk, "3456"},
        ReadCase{"ShortenedToTheSize", 4, 10, 10, kFileTruncated, "456789"},
        ReadCase{"NoteEditorOnAShortFile", 0, 255, 8, kFileTruncated, "01234567"},
        ReadCase{"SizeLargerThanTheFile", 0, 20, 20, kFileReadError, kContent},
        ReadCase{"OffsetPastTheFile", 12, 2, 20, kFileReadError, ""},
        ReadCase{"OffsetBeyondTheSizeReadsNothing", 12, 4, 10, kFileTruncated, ""},
        ReadCase{"HugeCountDoesNotWrap", 2, size_t(-1), 10, kFileTruncated, "23456789"},
        ReadCase{"NothingAsked", 5, 0, 10, kFileOk, ""}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(ReadFilePartOpenTest, MissingFile) {
    TempDir dir;
    char buffer[4];
    EXPECT_EQ(ReadFilePart(dir.File("none"), 0, 4, 4, buffer), kFileOpenError);
}

TEST(WriteWholeFileTest, CreatesAndReplacesWholeContent) {
    TempDir dir;
    EXPECT_EQ(WriteWholeFile(dir.File("n.txt"), 6, "abc\r\nd"), kFileOk);
    EXPECT_EQ(dir.Read("n.txt"), "abc\r\nd");  // binary: CR LF stays as written
    EXPECT_EQ(WriteWholeFile(dir.File("n.txt"), 2, "xy"), kFileOk);
    EXPECT_EQ(dir.Read("n.txt"), "xy");  // a longer old content does not survive
    EXPECT_EQ(WriteWholeFile(dir.File("n.txt"), 0, ""), kFileOk);
    EXPECT_EQ(dir.Read("n.txt"), "");
}

TEST(WriteWholeFileTest, CannotCreate) {
    TempDir dir;
    dir.Write("plain", "x");
    dir.MakeDirectory("folder");
    EXPECT_EQ(WriteWholeFile(dir.File("plain") + "/under", 1, "a"), kFileOpenError);
    EXPECT_EQ(WriteWholeFile(dir.File("folder"), 1, "a"), kFileOpenError);
    EXPECT_EQ(dir.Read("plain"), "x");
}

#ifndef _WIN32
// A device that accepts the open but refuses every byte.
TEST(WriteWholeFileTest, ShortWrite) {
    EXPECT_EQ(WriteWholeFile("/dev/full", 4, "abcd"), kFileWriteError);
}
#endif

}  // namespace
}  // namespace velkaro
