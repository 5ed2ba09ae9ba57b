// The clipboard's text: what ReadClipboardText accepts (1 to 64000 characters, measured
// within the clipboard memory's size), what it ignores as a whole, a clipboard without text,
// the write and read back of CP1251 text, a clipboard held open by another thread or
// process, and that every call closes the clipboard, unlocks its data and frees the memory
// of a failed write.

#include "clipboard_text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "clipboard_holder.h"
#include "clipboard_scope.h"
#include "handles.h"
#include "target_host.h"
#include "text_limits.h"

namespace velkaro {
namespace {

// Whether another thread can open the clipboard now (this one left it closed).
bool OpenableByAnotherThread() {
    bool opened = false;
    std::thread([&opened] {
        opened = OpenClipboard(nullptr) != FALSE;
        if (opened) CloseClipboard();
    }).join();
    return opened;
}

// Puts `bytes` and a terminator on the clipboard as CF_TEXT, as any program may. (Memory
// without a terminator cannot be offered here: Wine's clipboard turns the last byte of a
// CF_TEXT into its terminator.)
bool PutRawText(const std::string& bytes) {
    ui::UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, bytes.size() + 1));
    if (!memory) return false;
    {
        ui::GlobalLockScope lock(memory.get());
        if (lock.get() == nullptr) return false;
        std::memcpy(lock.get(), bytes.data(), bytes.size());
        static_cast<char*>(lock.get())[bytes.size()] = '\0';
    }
    ui::ClipboardScope clipboard;
    if (!clipboard.ok() || !EmptyClipboard() || !SetClipboardData(CF_TEXT, memory.get())) return false;
    memory.release();
    return true;
}

// Equality of two texts that may be long: a failure names the lengths and the first
// difference instead of printing them whole.
::testing::AssertionResult SameText(const std::string& got, const std::string& expected) {
    if (got == expected) return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < got.size() && at < expected.size() && got[at] == expected[at]) ++at;
    return ::testing::AssertionFailure() << "got " << got.size() << " characters, expected "
                                         << expected.size() << "; they differ from index " << at;
}

std::string Letters(size_t n) {
    std::string text;
    for (size_t i = 0; i < n; ++i) text.push_back(char('a' + i % 26));
    return text;
}

// "Привет, мир! Ёж" in CP1251.
const std::string kCyrillic = "\xcf\xf0\xe8\xe2\xe5\xf2, \xec\xe8\xf0! \xa8\xe6";

class ClipboardTextTest : public ::testing::Test {
protected:
    void SetUp() override { EmptyClipboardText(); }
    void TearDown() override { EmptyClipboardText(); }

    // The buffer starts full of garbage, so that an "empty text" answer is seen to be written.
    std::vector<char> buffer_ = std::vector<char>(kTextBufferCapacity, 'x');
};

// ---------------------------------------------------------------------------------------------
// What is read

struct ReadCase {
    const char* name;
    std::string bytes;
    bool accepted;
    std::string text;  // what the buffer holds afterwards
};

class ClipboardReadCases : public ClipboardTextTest,
                           public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ClipboardReadCases, ReadsOrIgnoresAsAWhole) {
    const ReadCase& c = GetParam();
    ASSERT_TRUE(PutRawText(c.bytes));
    EXPECT_EQ(ReadClipboardText(buffer_.data()), c.accepted);
    EXPECT_TRUE(SameText(buffer_.data(), c.text));
    EXPECT_TRUE(OpenableByAnotherThread()) << "the clipboard was left open";
}

INSTANTIATE_TEST_SUITE_P(
    Table, ClipboardReadCases,
    ::testing::Values(
        ReadCase{"OneCharacter", "a", true, "a"},
        ReadCase{"Cyrillic", kCyrillic, true, kCyrillic},
        ReadCase{"Exactly64000", Letters(64000), true, Letters(64000)},
        ReadCase{"Of64001Ignored", Letters(64001), false, ""},
        ReadCase{"EmptyIgnored", "", false, ""},
        ReadCase{"EndsAtTheFirstZero", std::string("ab\0cd", 5), true, "ab"}),
    [](const ::testing::TestParamInfo<ReadCase>& p) { return std::string(p.param.name); });

TEST_F(ClipboardTextTest, ReadLeavesTheClipboardDataUnlocked) {
    ASSERT_TRUE(PutRawText(kCyrillic));
    ASSERT_TRUE(ReadClipboardText(buffer_.data()));
    ui::ClipboardScope clipboard;
    ASSERT_TRUE(clipboard.ok());
    HANDLE data = GetClipboardData(CF_TEXT);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(GlobalFlags(data) & GMEM_LOCKCOUNT, 0u);
}

TEST_F(ClipboardTextTest, APictureAloneIsNoText) {
    ui::UniqueBitmap picture(CreateBitmap(8, 8, 1, 1, nullptr));
    ASSERT_TRUE(picture);
    {
        ui::ClipboardScope clipboard;
        ASSERT_TRUE(clipboard.ok());
        ASSERT_TRUE(EmptyClipboard());
        ASSERT_NE(SetClipboardData(CF_BITMAP, picture.get()), nullptr);
        picture.release();  // the clipboard's now
    }
    EXPECT_FALSE(ClipboardHasText());
    EXPECT_FALSE(ReadClipboardText(buffer_.data()));
    EXPECT_EQ(buffer_[0], '\0');
    EXPECT_TRUE(OpenableByAnotherThread());
}

TEST_F(ClipboardTextTest, AnEmptyClipboardHasNoText) {
    EXPECT_FALSE(ClipboardHasText());
    EXPECT_FALSE(ReadClipboardText(buffer_.data()));
    EXPECT_EQ(buffer_[0], '\0');
}

// ---------------------------------------------------------------------------------------------
// Write and read back

TEST_F(ClipboardTextTest, WrittenTextReadsBackByteForByte) {
    for (const std::string& text : {kCyrillic, Letters(64000), std::string("\x01\xff\x98\x80")}) {
        ASSERT_TRUE(WriteClipboardText(text.c_str()));
        EXPECT_TRUE(OpenableByAnotherThread()) << "the clipboard was left open";
        EXPECT_TRUE(ClipboardHasText());
        ASSERT_TRUE(ReadClipboardText(buffer_.data()));
        EXPECT_TRUE(SameText(buffer_.data(), text));
    }
}

TEST_F(ClipboardTextTest, WriteReplacesWhatWasThere) {
    ui::UniqueBitmap picture(CreateBitmap(8, 8, 1, 1, nullptr));
    {
        ui::ClipboardScope clipboard;
        ASSERT_TRUE(clipboard.ok() && EmptyClipboard());
        ASSERT_NE(SetClipboardData(CF_BITMAP, picture.get()), nullptr);
        picture.release();
    }
    ASSERT_TRUE(WriteClipboardText("new"));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
    ASSERT_TRUE(ReadClipboardText(buffer_.data()));
    EXPECT_STREQ(buffer_.data(), "new");
}

TEST_F(ClipboardTextTest, ALongerTextIsWrittenButNotReadForEncryption) {
    const std::string text = Letters(kTextBufferCapacity - 1);  // an opened block's size
    ASSERT_TRUE(WriteClipboardText(text.c_str()));
    EXPECT_TRUE(ClipboardHasText());
    EXPECT_FALSE(ReadClipboardText(buffer_.data()));
    EXPECT_EQ(buffer_[0], '\0');
}

TEST_F(ClipboardTextTest, EmptyClipboardTextRemovesTheText) {
    ASSERT_TRUE(WriteClipboardText(kCyrillic.c_str()));
    EXPECT_TRUE(EmptyClipboardText());
    EXPECT_FALSE(ClipboardHasText());
    EXPECT_TRUE(OpenableByAnotherThread());
}

// ---------------------------------------------------------------------------------------------
// Held open by another program

TEST_F(ClipboardTextTest, HeldOpenByAnotherThreadReadAndWriteFailQuietly) {
    ASSERT_TRUE(WriteClipboardText(kCyrillic.c_str()));
    {
        ClipboardHolder holder;
        ASSERT_TRUE(holder.opened());
        EXPECT_FALSE(ReadClipboardText(buffer_.data()));
        EXPECT_EQ(buffer_[0], '\0');
        EXPECT_FALSE(WriteClipboardText("other"));
        EXPECT_FALSE(EmptyClipboardText()) << "a held clipboard cannot be emptied";
    }
    ASSERT_TRUE(ReadClipboardText(buffer_.data())) << "the held clipboard kept its text";
    EXPECT_EQ(std::string(buffer_.data()), kCyrillic);
}

TEST_F(ClipboardTextTest, HeldOpenByAnotherProcessReadAndWriteFailQuietly) {
    ASSERT_TRUE(WriteClipboardText(kCyrillic.c_str()));
    TargetHost host(L"clipboard");
    ASSERT_TRUE(host.ok()) << "host ended with " << host.Finish();
    EXPECT_FALSE(ReadClipboardText(buffer_.data()));
    EXPECT_EQ(buffer_[0], '\0');
    EXPECT_FALSE(WriteClipboardText("other"));
    EXPECT_EQ(host.Finish(), DWORD(kHostOk));
    ASSERT_TRUE(ReadClipboardText(buffer_.data()));
    EXPECT_EQ(std::string(buffer_.data()), kCyrillic);
}

// Bytes in use in the process heap, where GlobalAlloc takes its memory (the C runtime's
// malloc has a heap of its own).
size_t BusyBytesOfProcessHeap() {
    HANDLE heap = GetProcessHeap();
    size_t busy = 0;
    HeapLock(heap);
    PROCESS_HEAP_ENTRY entry = {};
    while (HeapWalk(heap, &entry)) {
        if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) busy += entry.cbData;
    }
    HeapUnlock(heap);
    return busy;
}

// A write that cannot reach the clipboard frees its copy: 100 failed writes of the largest
// text would hold 6.4 MB if it did not.
TEST_F(ClipboardTextTest, AFailedWriteFreesItsMemory) {
    const std::string text = Letters(64000);
    ClipboardHolder holder;
    ASSERT_TRUE(holder.opened());
    ASSERT_FALSE(WriteClipboardText(text.c_str()));  // the first may set up what the heap needs
    const size_t before = BusyBytesOfProcessHeap();
    for (int i = 0; i < 100; ++i) ASSERT_FALSE(WriteClipboardText(text.c_str()));
    const size_t after = BusyBytesOfProcessHeap();
    EXPECT_LT(after, before + 64000) << before << " -> " << after;
}

}  // namespace
}  // namespace velkaro
