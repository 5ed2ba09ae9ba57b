// MessageBoxSink: the texts of the program's string table as its boxes show them, cut to 59
// characters by the 60-byte buffer; the box's owner, its caption read at every call, its
// style and the answer passed back.

#include "message_box_sink.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "cp1251.h"
#include "handles.h"
#include "message_box_watcher.h"
#include "message_sink.h"
#include "string_ids.h"
#include "string_table.h"

namespace velkaro {
namespace {

std::string Table(uint32_t id) { return Cp1251::FromUtf8(LookupString(id)); }

class MessageBoxSinkTest : public ::testing::Test {
protected:
    std::string caption_ = "Velkaro Stego";
    MessageBoxSink sink_{GetModuleHandleW(nullptr), caption_};
};

TEST_F(MessageBoxSinkTest, TextsAreCutTo59Characters) {
    struct Case {
        uint32_t id;
        std::string expected;
    } cases[] = {
        {IDS_TEXT_DAMAGED, Table(IDS_TEXT_DAMAGED)},                     // short: whole
        {IDS_SETTINGS_MISSING, Table(IDS_SETTINGS_MISSING).substr(0, 59)},  // 72: cut
        {IDS_SIZE_QUESTION, Table(IDS_SIZE_QUESTION).substr(0, 59)},
        {39999, ""},  // no such string
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sink_.MessageText(c.id), c.expected) << "string " << c.id;
        EXPECT_LE(sink_.MessageText(c.id).size(), 59u);
    }
    ASSERT_GT(Table(IDS_SETTINGS_MISSING).size(), 59u) << "a text that is really cut";
}

TEST_F(MessageBoxSinkTest, ShowsTheCutTextUnderTheCurrentCaptionWithItsOwner) {
    ui::UniqueWindow owner(CreateWindowExW(0, L"STATIC", L"main", WS_POPUP, 0, 0, 10, 10, nullptr,
                                           nullptr, nullptr, nullptr));
    ASSERT_TRUE(owner);
    sink_.SetOwner(owner.get());
    caption_ += " \xc2\xe5\xf0\xf1\xe8\xff 3.1";  // appended after the sink was made
    MessageBoxWatcher watcher(caption_, IDCANCEL);
    EXPECT_EQ(sink_.ShowMessage(IDS_SETTINGS_MISSING, kStyleQuestion), kAnswerCancel);
    const MessageBoxWatcher::Seen seen = watcher.Result();
    ASSERT_TRUE(seen.found) << "no box captioned with the current caption";
    EXPECT_EQ(seen.text, Table(IDS_SETTINGS_MISSING).substr(0, 59));
    EXPECT_EQ(seen.owner, owner.get());
    EXPECT_TRUE(seen.hasOk && seen.hasCancel);
    EXPECT_EQ(seen.icon, LoadIconA(nullptr, IDI_QUESTION));
}

TEST_F(MessageBoxSinkTest, WithoutOwnerTheBoxHasNone) {
    EXPECT_EQ(sink_.Owner(), nullptr);
    MessageBoxWatcher watcher(caption_, IDOK);
    EXPECT_EQ(sink_.ShowMessage(IDS_TEXT_DAMAGED, kStyleStop), kAnswerOk);
    const MessageBoxWatcher::Seen seen = watcher.Result();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.text, Table(IDS_TEXT_DAMAGED));
    EXPECT_EQ(seen.owner, nullptr);
    EXPECT_FALSE(seen.hasCancel);
    EXPECT_EQ(seen.icon, LoadIconA(nullptr, IDI_HAND));
}

}  // namespace
}  // namespace velkaro
