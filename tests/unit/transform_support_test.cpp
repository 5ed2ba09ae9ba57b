// The pieces both transforms build on: ComposeText, which joins a new text into a buffer
// without ever passing its end, and ProbeForBlock, which finds a block in the start of a text
// and decodes its header without reading past the examined text.
//
// Texts handed to ProbeForBlock live in heap blocks of exactly their length and without a
// terminator, so that a read past the end is caught under AddressSanitizer.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "block_probe.h"
#include "text_composer.h"
#include "text_limits.h"

namespace velkaro {
namespace {

// ---- ComposeText --------------------------------------------------------------------

struct ComposeCase {
    const char* name;
    size_t capacity;
    std::vector<std::string> pieces;
    bool fits;
    std::string expected;  // when it fits
};
// Failures name the case, not its bytes.
void PrintTo(const ComposeCase& c, std::ostream* os) { *os << c.name; }

class ComposeTextTest : public ::testing::TestWithParam<ComposeCase> {};

TEST_P(ComposeTextTest, JoinsWhatFitsAndLeavesTheBufferAloneOtherwise) {
    const ComposeCase& c = GetParam();
    // A guard byte behind the capacity shows any write past the buffer.
    std::vector<char> out(c.capacity + 1, '#');
    std::vector<std::string_view> views(c.pieces.begin(), c.pieces.end());
    bool fits = false;
    switch (views.size()) {
        case 0: fits = ComposeText(out.data(), c.capacity, {}); break;
        case 1: fits = ComposeText(out.data(), c.capacity, {views[0]}); break;
        case 2: fits = ComposeText(out.data(), c.capacity, {views[0], views[1]}); break;
        default: fits = ComposeText(out.data(), c.capacity, {views[0], views[1], views[2]}); break;
    }
    ASSERT_EQ(fits, c.fits);
    if (c.fits) {
        EXPECT_EQ(std::string(out.data()), c.expected);
        EXPECT_EQ(out[c.expected.size()], '\0');
    } else {
        EXPECT_EQ(std::string(out.begin(), out.end()), std::string(c.capacity + 1, '#'));
    }
    EXPECT_EQ(out[c.capacity], '#');
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ComposeTextTest,
    ::testing::Values(ComposeCase{"FitsExactly", 10, {"note\r\n", "blk"}, true, "note\r\nblk"},
                      ComposeCase{"OneByteTooMany", 9, {"note\r\n", "blk"}, false, ""},
                      ComposeCase{"EmptyPieces", 4, {"", "abc", ""}, true, "abc"},
                      ComposeCase{"NothingAtAll", 1, {}, true, ""},
                      ComposeCase{"OnlyEmptyPiecesInOneByte", 1, {"", ""}, true, ""},
                      ComposeCase{"NoRoomForTheTerminator", 0, {""}, false, ""},
                      ComposeCase{"ThreePiecesExactly", 8, {"ab", "cd", "efg"}, true, "abcdefg"},
                      ComposeCase{"ThreePiecesOneTooMany", 7, {"ab", "cd", "efg"}, false, ""}),
    [](const auto& tc) { return std::string(tc.param.name); });

// ---- ProbeForBlock ------------------------------------------------------------------

// A text in a heap block of exactly its size, without a terminator.
class ExactText {
public:
    explicit ExactText(const std::string& text) : size_(text.size()), data_(new char[text.size() ? text.size() : 1]) {
        std::memcpy(data_.get(), text.data(), text.size());
    }
    const char* data() const { return data_.get(); }
    uint32_t size() const { return uint32_t(size_); }

private:
    size_t size_;
    std::unique_ptr<char[]> data_;
};

// Three armour characters "AAA" decode to w = 0x1041, the bytes 0x10 0x41.
std::string ArmourGroups(size_t groups) { return std::string(3 * groups, 'A'); }

struct ProbeCase {
    const char* name;
    std::string text;
    bool found;
    int32_t offset;
    uint32_t decodedBytes;  // header bytes from 12 on that decode to 0x10 0x41 pairs
};
void PrintTo(const ProbeCase& c, std::ostream* os) { *os << c.name; }

class ProbeForBlockTest : public ::testing::TestWithParam<ProbeCase> {};

TEST_P(ProbeForBlockTest, FindsTheMarkerAndDecodesOnlyWhatFollowsItInTheExaminedText) {
    const ProbeCase& c = GetParam();
    ExactText text(c.text);
    uint8_t header[kSealHeaderSize];
    std::memset(header, 0xEE, sizeof header);
    int32_t offset = -99;
    ASSERT_EQ(ProbeForBlock(text.data(), text.size(), header, &offset), c.found);
    if (!c.found) {
        EXPECT_EQ(offset, -99);
        for (uint8_t b : header) EXPECT_EQ(b, 0xEE);
        return;
    }
    EXPECT_EQ(offset, c.offset);
    EXPECT_EQ(std::memcmp(header, kBlockMarker, kBlockMarkerLength), 0);
    for (uint32_t i = kBlockMarkerLength; i < kSealHeaderSize; ++i) {
        const uint32_t k = i - kBlockMarkerLength;
        const uint8_t expected = k < c.decodedBytes ? (k % 2 == 0 ? 0x10 : 0x41) : 0;
        EXPECT_EQ(header[i], expected) << "header byte " << i;
    }
}

const std::string kMarker = kBlockMarker;

INSTANTIATE_TEST_SUITE_P(
    Cases, ProbeForBlockTest,
    ::testing::Values(
        ProbeCase{"MarkerIsTheWholeText", kMarker, true, 0, 0},
        ProbeCase{"MarkerInTheLast12Characters", "Hello " + kMarker, true, 6, 0},
        // Two characters are no complete group: nothing is decoded from them.
        ProbeCase{"OneGroupAndAHalfAfterTheMarker", kMarker + "AAAAA", true, 0, 2},
        ProbeCase{"MarkerBrokenAtTheEnd", "x" + kMarker.substr(0, 4) + "\r\n" + kMarker.substr(4), true, 3, 0},
        ProbeCase{"CutMarkerAtTheEnd", "text " + kMarker.substr(0, 11), false, 0, 0},
        ProbeCase{"ShorterThanTheMarker", "[!dgt", false, 0, 0},
        ProbeCase{"Empty", "", false, 0, 0},
        // Only 90 characters after the marker are decoded: header bytes 12..71.
        ProbeCase{"NinetyCharactersAtMost", kMarker + ArmourGroups(40), true, 0, 60},
        // The examined start ends where the 2000th character ends; the armour beyond it is
        // not decoded, though the text goes on.
        ProbeCase{"MarkerEndsAtTheExaminedLimit", std::string(1988, '.') + kMarker + ArmourGroups(30), true,
                  1988, 0},
        ProbeCase{"ArmourCutByTheExaminedLimit", std::string(1979, '.') + kMarker + ArmourGroups(30), true,
                  1979, 6},
        ProbeCase{"MarkerBeyondTheExaminedLimit", std::string(1989, '.') + kMarker + ArmourGroups(30), false,
                  0, 0}),
    [](const auto& tc) { return std::string(tc.param.name); });

}  // namespace
}  // namespace velkaro
