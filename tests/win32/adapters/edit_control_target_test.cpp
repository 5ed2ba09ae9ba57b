// EditControlTarget on real Edit controls: an ANSI one of this process and a Unicode one of
// another process (the system converts its text to CP1251), read through small and large
// buffers and replaced; a target whose thread has stopped answering and a destroyed one
// give an empty text within the time-out and say that they did not respond.

#include "edit_control_target.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "handles.h"
#include "target_host.h"
#include "text_limits.h"

namespace velkaro {
namespace {

// "Привет, мир! Ёж" in UTF-16 and in CP1251.
const wchar_t kCyrillicWide[] = L"\u041f\u0440\u0438\u0432\u0435\u0442, \u043c\u0438\u0440! \u0401\u0436";
const std::string kCyrillic = "\xcf\xf0\xe8\xe2\xe5\xf2, \xec\xe8\xf0! \xa8\xe6";

// A text of n characters in lines of 50 with CR LF, as a sealed block is written. (Wine's
// Edit control lays out one line of 64000 characters so slowly that a single WM_SETTEXT
// takes minutes; letters and blocks have line breaks.)
std::string Lines(size_t n) {
    std::string text;
    for (size_t i = 0; i < n; ++i) {
        const size_t column = i % 52;
        text.push_back(column == 50 ? '\r' : column == 51 ? '\n' : char('a' + i % 26));
    }
    return text;
}

// Where the Edit control lives.
enum class Where { ThisProcess, OtherProcess };

class EditControlTargetTest : public ::testing::TestWithParam<Where> {
protected:
    void SetUp() override {
        if (GetParam() == Where::ThisProcess) {
            local_.reset(CreateWindowExA(0, "EDIT", kCyrillic.c_str(), ES_MULTILINE, 0, 0, 200, 100,
                                         nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
            edit_ = local_.get();
        } else {
            host_ = std::make_unique<TargetHost>(L"edit", kCyrillicWide);
            ASSERT_TRUE(host_->ok());
            edit_ = host_->Child(L"Edit");
        }
        ASSERT_NE(edit_, nullptr);
    }

    ui::UniqueWindow local_;
    std::unique_ptr<TargetHost> host_;
    HWND edit_ = nullptr;
};

// Buffers of every small size read the text's beginning, terminated, and never write past
// the capacity; the count is that of the characters in the buffer.
TEST_P(EditControlTargetTest, ReadsAtMostCapacityMinusOne) {
    EditControlTarget target(edit_);
    const uint32_t length = uint32_t(kCyrillic.size());
    for (uint32_t capacity : {0u, 1u, 2u, 5u, length, length + 1, length + 2, 200u}) {
        std::vector<char> buffer(capacity + 16, 'x');
        const uint32_t got = target.GetText(buffer.data(), capacity);
        const uint32_t expected = capacity == 0 ? 0 : std::min(length, capacity - 1);
        EXPECT_EQ(got, expected) << "capacity " << capacity;
        if (capacity > 0) {
            EXPECT_EQ(std::string(buffer.data()), kCyrillic.substr(0, expected)) << "capacity " << capacity;
        }
        EXPECT_EQ(std::string(buffer.data() + capacity, 16), std::string(16, 'x'))
            << "written past a capacity of " << capacity;
    }
    EXPECT_TRUE(target.Responded());
}

TEST_P(EditControlTargetTest, ReplacesTheWholeText) {
    EditControlTarget target(edit_);
    std::vector<char> buffer(kTextBufferCapacity, 'x');
    for (const std::string& text : {std::string("\xd2\xe5\xea\xf1\xf2 \x88 1"), std::string(),
                                    Lines(kMaxPlainText), Lines(kTextBufferCapacity - 1)}) {
        target.SetText(text.c_str());
        const uint32_t got = target.GetText(buffer.data(), kTextBufferCapacity);
        EXPECT_EQ(got, text.size());
        EXPECT_TRUE(std::string(buffer.data()) == text) << "a text of " << text.size() << " characters";
    }
    EXPECT_TRUE(target.Responded());
}

INSTANTIATE_TEST_SUITE_P(Both, EditControlTargetTest,
                         ::testing::Values(Where::ThisProcess, Where::OtherProcess),
                         [](const ::testing::TestParamInfo<Where>& p) {
                             return p.param == Where::ThisProcess ? "ThisProcess" : "OtherProcess";
                         });

// A Unicode control's characters that CP1251 lacks arrive as "?", as an ANSI program sees them.
TEST(EditControlTargetConversion, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    TargetHost host(L"edit", L"\u65e5\u672c \u0416");
    ASSERT_TRUE(host.ok());
    EditControlTarget target(host.Child(L"Edit"));
    char buffer[64] = {};
    EXPECT_EQ(target.GetText(buffer, sizeof buffer), 4u);
    EXPECT_EQ(std::string(buffer), "?? \xc6");
}

// The host's thread stops answering: both messages give up after the time-out instead of
// waiting for ever (the thread is released only after they returned), the text reads as
// empty, and the target says that it did not respond.
TEST(EditControlTargetFailure, AHungTargetGivesNothingAndDidNotRespond) {
    TargetHost host(L"edit", kCyrillicWide);
    ASSERT_TRUE(host.ok());
    EditControlTarget target(host.Child(L"Edit"));
    ASSERT_TRUE(host.Hang());

    std::vector<char> buffer(100, 'x');
    EXPECT_EQ(target.GetText(buffer.data(), 100), 0u);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_FALSE(target.Responded());
    target.SetText("lost");
    EXPECT_FALSE(target.Responded());

    host.Release();
    // Until its thread has taken up its messages again, the system may still count it hung.
    EXPECT_TRUE(WaitUntil([&] {
        EditControlTarget again(host.Child(L"Edit"));
        return again.GetText(buffer.data(), 100) > 0 && again.Responded();
    })) << "the host answers again";
    EXPECT_FALSE(target.Responded()) << "a target that once failed keeps saying so";
    EXPECT_EQ(host.Finish(), DWORD(kHostOk));
}

TEST(EditControlTargetFailure, ADestroyedWindowGivesNothingAndDidNotRespond) {
    HWND edit = CreateWindowExA(0, "EDIT", "text", 0, 0, 0, 100, 20, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    ASSERT_TRUE(DestroyWindow(edit));
    EditControlTarget target(edit);
    std::vector<char> buffer(100, 'x');
    EXPECT_EQ(target.GetText(buffer.data(), 100), 0u);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_FALSE(target.Responded());
}

TEST(EditControlTargetFailure, TheWindowOfAnEndedProcessGivesNothing) {
    TargetHost host(L"edit", kCyrillicWide);
    ASSERT_TRUE(host.ok());
    HWND edit = host.Child(L"Edit");
    ASSERT_EQ(host.Finish(), DWORD(kHostOk));
    EditControlTarget target(edit);
    std::vector<char> buffer(100, 'x');
    EXPECT_EQ(target.GetText(buffer.data(), 100), 0u);
    EXPECT_EQ(buffer[0], '\0');
    target.SetText("nobody");
    EXPECT_FALSE(target.Responded());
}

}  // namespace
}  // namespace velkaro
