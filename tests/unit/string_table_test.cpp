// The program loads its texts with LoadStringA into 60-byte buffers (message boxes, the cover-text
// templates), so a text longer than 59 CP1251 bytes would reach the user cut off. Two longer
// texts are loaded through an 80-byte buffer: the missing-settings message, and the start-up
// messages shown before any window exists (ObjectFromLresult missing: 61 bytes; the program's
// path too long).
#include <gtest/gtest.h>

#include <string>

#include "cp1251.h"
#include "string_table.h"

namespace velkaro {
namespace {

constexpr uint32_t kFirstCliId = 40100;  // ids from here on are the command-line tool's own

TEST(StringTableTest, ProgramTextsFitTheirLoadBuffers) {
    for (const StringEntry* e = StringTableBegin(); e != StringTableEnd(); ++e) {
        if (e->id >= kFirstCliId) continue;
        const bool wide = e->id == IDS_SETTINGS_MISSING ||
                          e->id == IDS_OBJECT_FROM_LRESULT_MISSING ||
                          e->id == IDS_PROGRAM_PATH_TOO_LONG;
        const size_t capacity = wide ? 80 : 60;
        EXPECT_LT(Cp1251::FromUtf8(e->utf8).size(), capacity) << "string " << e->id << ": " << e->utf8;
    }
}

TEST(StringTableTest, ProgramTextsAreWhollyInTheAnsiCodePage) {
    // FromUtf8 turns what CP1251 cannot hold into "?": a Russian text must not need it.
    for (const StringEntry* e = StringTableBegin(); e != StringTableEnd(); ++e) {
        if (e->id >= kFirstCliId) continue;
        const std::string utf8 = e->utf8;
        const std::string ansi = Cp1251::FromUtf8(utf8);
        size_t questionMarks = 0;
        for (char c : utf8) questionMarks += c == '?';
        size_t ansiQuestionMarks = 0;
        for (char c : ansi) ansiQuestionMarks += c == '?';
        EXPECT_EQ(ansiQuestionMarks, questionMarks) << "string " << e->id << ": " << e->utf8;
    }
}

}  // namespace
}  // namespace velkaro
