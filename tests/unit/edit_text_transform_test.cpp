// The plain-text transform over a fake edit control: what the probe sees, what an encrypted
// text looks like, what decryption leaves, and that every failure leaves the text alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app_state.h"
#include "block_probe.h"
#include "cp1251.h"
#include "edit_text_transform.h"
#include "edit_transform_fixture.h"
#include "fake_app_platform.h"
#include "fake_text_target.h"
#include "info_note.h"
#include "message_cipher.h"
#include "password_key.h"
#include "recording_sink.h"
#include "string_ids.h"
#include "temp_dir.h"
#include "text_limits.h"

namespace velkaro {
namespace {

const std::string kPassword = "correct horse";
const std::string kCrLf = "\r\n";

// n bytes the packer cannot shorten: a linear congruential sequence over 1..255.
std::string Incompressible(size_t n, uint32_t seed = 12345) {
    std::string text(n, '\0');
    uint32_t x = seed;
    for (char& c : text) {
        x = x * 1103515245u + 12345u;
        c = char(1 + (x >> 16) % 255);
    }
    return text;
}

// n characters of a repeated Russian sentence, CP1251: packs well.
std::string Compressible(size_t n) {
    const std::string sentence = Cp1251::FromUtf8("Съешь же ещё этих мягких французских булок. ");
    std::string text;
    while (text.size() < n) text += sentence;
    text.resize(n);
    return text;
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

bool StartsWith(const std::string& s, const std::string& head) { return s.compare(0, head.size(), head) == 0; }

uint32_t Load32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }

class EditTextTransformTest : public ::testing::Test, protected EditTransformFixture {
protected:
    void SetUp() override { ASSERT_TRUE(UsePassword(kPassword)); }

    ProbeResult Run(TextTarget* window, TransformMode mode) { return transform_.TransformEditText(window, mode); }

    // The encryption road: Probe answers PlainText, then Encrypt. The window's new text.
    std::string SealText(const std::string& plain) {
        FakeTextTarget window(plain);
        EXPECT_EQ(Run(&window, TransformMode::Probe), ProbeResult::PlainText);
        EXPECT_EQ(Run(&window, TransformMode::Encrypt), ProbeResult::NothingToDo);
        EXPECT_EQ(window.written.size(), 1u) << "messages: " << sink_.shown.size();
        return window.Text();
    }

    // The decryption road on `window`: Probe answers BlockFound, then Decrypt.
    void OpenWindow(FakeTextTarget& window) {
        ASSERT_EQ(Run(&window, TransformMode::Probe), ProbeResult::BlockFound);
        EXPECT_EQ(Run(&window, TransformMode::Decrypt), ProbeResult::NothingToDo);
    }

    std::string OpenText(const std::string& text) {
        FakeTextTarget window(text);
        OpenWindow(window);
        EXPECT_EQ(window.written.size(), 1u) << "messages: " << sink_.shown.size();
        return window.Text();
    }

    // Puts text into textBuffer as the clipboard viewer does, and marks the request as its.
    void FillFromClipboard(const std::string& text) {
        ASSERT_LT(text.size(), sizeof app_->textBuffer);
        std::memcpy(app_->textBuffer, text.c_str(), text.size() + 1);
        request_.clipboardSource = 1;
    }

};

// ---- Nothing to act on ----------------------------------------------------------------

class NothingToDoTest : public EditTextTransformTest, public ::testing::WithParamInterface<TransformMode> {};

TEST_P(NothingToDoTest, EmptyControlIsLeftSilently) {
    FakeTextTarget window;
    EXPECT_EQ(Run(&window, GetParam()), ProbeResult::NothingToDo);
    EXPECT_TRUE(window.written.empty());
    EXPECT_TRUE(sink_.shown.empty());
    EXPECT_EQ(request_.targetTextLength, 0u);
}

TEST_P(NothingToDoTest, NoWindowAndNoClipboardSource) {
    std::strcpy(app_->textBuffer, "left over from an earlier request");
    request_.targetTextLength = 77;
    EXPECT_EQ(Run(nullptr, GetParam()), ProbeResult::NothingToDo);
    EXPECT_TRUE(sink_.shown.empty());
    EXPECT_EQ(request_.targetTextLength, 77u);  // nothing was read
}

TEST_P(NothingToDoTest, EmptyClipboardText) {
    FillFromClipboard("");
    FakeTextTarget window("the viewer's edit");
    EXPECT_EQ(Run(&window, GetParam()), ProbeResult::NothingToDo);
    EXPECT_TRUE(window.written.empty());
    EXPECT_TRUE(window.reads.empty());
    EXPECT_TRUE(sink_.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(EveryMode, NothingToDoTest,
                         ::testing::Values(TransformMode::Probe, TransformMode::Encrypt, TransformMode::Decrypt),
                         [](const auto& tc) { return std::to_string(int(tc.param)); });

// ---- Probe --------------------------------------------------------------------------

TEST_F(EditTextTransformTest, ProbeReadsTwoThousandAndTheOtherModesAWholeBuffer) {
    FakeTextTarget window("Hello");
    EXPECT_EQ(Run(&window, TransformMode::Probe), ProbeResult::PlainText);
    EXPECT_EQ(Run(&window, TransformMode::Encrypt), ProbeResult::NothingToDo);
    std::string sealed = window.Text();
    EXPECT_EQ(Run(&window, TransformMode::Probe), ProbeResult::BlockFound);
    EXPECT_EQ(Run(&window, TransformMode::Decrypt), ProbeResult::NothingToDo);
    EXPECT_EQ(window.reads, (std::vector<uint32_t>{kProbeTextLimit, kTextBufferCapacity, kProbeTextLimit,
                                                   kTextBufferCapacity}));
    EXPECT_EQ(window.Text(), "Hello");
    EXPECT_EQ(request_.targetTextLength, uint32_t(sealed.size()));
}

TEST_F(EditTextTransformTest, ProbeDecodesTheHeaderTheKeyIsTestedAgainst) {
    const std::string plain = Cp1251::FromUtf8("Встретимся вечером, как договаривались.");
    std::string sealed = SealText(plain);
    FakeTextTarget window("Re: " + sealed);
    ASSERT_EQ(Run(&window, TransformMode::Probe), ProbeResult::BlockFound);
    EXPECT_EQ(app_->blockOffset, 4);
    EXPECT_EQ(std::memcmp(request_.blockHeader, "[!dgt_encry]", 12), 0);
    EXPECT_EQ(Load32(request_.blockHeader + 12), plain.size());  // plain length
    // Only bytes 12..71 come from 90 characters; the rest stays zero.
    for (uint32_t i = 72; i < kSealHeaderSize; ++i) EXPECT_EQ(request_.blockHeader[i], 0) << i;

    int32_t keyPresent = 0;
    RecordingSink keySink;
    EXPECT_TRUE(KeyMatchesHeader(request_.blockHeader, app_->currentKey, keyPresent, keySink));
    CipherKey sealedUnder = app_->currentKey;
    ASSERT_TRUE(UsePassword("another password"));
    EXPECT_FALSE(KeyMatchesHeader(request_.blockHeader, app_->currentKey, keyPresent, keySink));
    app_->currentKey = sealedUnder;
}

struct MarkerPlaceCase {
    const char* name;
    bool fromClipboard;
    uint32_t markerAt;  // characters of text before the marker
    ProbeResult expected;
};
// Failures name the case, not its bytes.
void PrintTo(const MarkerPlaceCase& c, std::ostream* os) { *os << c.name; }

class ProbeMarkerPlaceTest : public EditTextTransformTest,
                             public ::testing::WithParamInterface<MarkerPlaceCase> {};

// A window delivers 1999 characters to the probe (capacity 2000 with the terminator); the
// clipboard's text is cut to 2000 characters.
TEST_P(ProbeMarkerPlaceTest, OnlyAMarkerWithinTheExaminedStartIsSeen) {
    const MarkerPlaceCase& c = GetParam();
    const std::string block = SealText("a letter");
    const std::string text = std::string(c.markerAt, 'x') + block;
    FakeTextTarget window(text);
    if (c.fromClipboard) FillFromClipboard(text);
    app_->blockOffset = -7;
    EXPECT_EQ(Run(c.fromClipboard ? nullptr : &window, TransformMode::Probe), c.expected);
    EXPECT_EQ(app_->blockOffset, c.expected == ProbeResult::BlockFound ? int32_t(c.markerAt) : -7);
    const uint32_t delivered = c.fromClipboard ? uint32_t(text.size()) : kProbeTextLimit - 1;
    EXPECT_EQ(request_.targetTextLength, std::min(uint32_t(text.size()), delivered));
    EXPECT_TRUE(sink_.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProbeMarkerPlaceTest,
    ::testing::Values(MarkerPlaceCase{"WindowMarkerEndsAtCharacter1999", false, 1987, ProbeResult::BlockFound},
                      MarkerPlaceCase{"WindowMarkerLastCharacterNotRead", false, 1988, ProbeResult::PlainText},
                      MarkerPlaceCase{"WindowMarkerAfter1999Characters", false, 1999, ProbeResult::PlainText},
                      MarkerPlaceCase{"ClipboardMarkerEndsAtCharacter2000", true, 1988, ProbeResult::BlockFound},
                      MarkerPlaceCase{"ClipboardMarkerEndsPast2000", true, 1989, ProbeResult::PlainText},
                      MarkerPlaceCase{"AtTheStart", false, 0, ProbeResult::BlockFound}),
    [](const auto& tc) { return std::string(tc.param.name); });

struct BrokenMarkerCase {
    const char* name;
    size_t breakAfter;  // marker characters before the inserted bytes
    std::string inserted;
};
void PrintTo(const BrokenMarkerCase& c, std::ostream* os) { *os << c.name; }

class BrokenMarkerTest : public EditTextTransformTest, public ::testing::WithParamInterface<BrokenMarkerCase> {};

// Mail programs wrap and pad lines; the marker is found across such breaks, reported at its
// last character - 11, and the block opens from there.
TEST_P(BrokenMarkerTest, FoundAtLastCharacterMinusElevenAndOpens) {
    const BrokenMarkerCase& c = GetParam();
    const std::string plain = Cp1251::FromUtf8("Привет! Как у тебя дела?");
    std::string block = SealText(plain);
    block.insert(c.breakAfter, c.inserted);
    const std::string prefix = "> quoted\r\n";
    FakeTextTarget window(prefix + block);
    ASSERT_EQ(Run(&window, TransformMode::Probe), ProbeResult::BlockFound);
    const int32_t lastMarkerChar = int32_t(prefix.size() + kBlockMarkerLength + c.inserted.size() - 1);
    EXPECT_EQ(app_->blockOffset, lastMarkerChar - 11);
    EXPECT_EQ(Load32(request_.blockHeader + 12), plain.size());
    EXPECT_EQ(Run(&window, TransformMode::Decrypt), ProbeResult::NothingToDo);
    EXPECT_EQ(window.Text(), plain);
    EXPECT_TRUE(sink_.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, BrokenMarkerTest,
                         ::testing::Values(BrokenMarkerCase{"CrLf", 6, "\r\n"},
                                           BrokenMarkerCase{"Spaces", 3, "   "},
                                           BrokenMarkerCase{"NoBreakSpaceByte", 1, "\xA0"},
                                           BrokenMarkerCase{"BeforeTheLastCharacter", 11, " \r\n "}),
                         [](const auto& tc) { return std::string(tc.param.name); });

// ---- Encrypt ------------------------------------------------------------------------

// The lines of a block without its CR LFs, checking that every line but the last has 50
// characters and the last at most 50 (a block of a multiple of 50 ends with CR LF).
std::string Unwrapped(const std::string& block) {
    std::string flat;
    size_t start = 0;
    while (start < block.size()) {
        size_t end = block.find(kCrLf, start);
        if (end == std::string::npos) {
            EXPECT_LE(block.size() - start, kArmourLineLength);
            flat += block.substr(start);
            break;
        }
        EXPECT_EQ(end - start, kArmourLineLength) << "line at " << start;
        flat += block.substr(start, end - start);
        start = end + 2;
    }
    return flat;
}

struct SealCase {
    const char* name;
    std::string plain;
};
void PrintTo(const SealCase& c, std::ostream* os) { *os << c.name; }

class SealRoundTripTest : public EditTextTransformTest, public ::testing::WithParamInterface<SealCase> {};

TEST_P(SealRoundTripTest, BlockAndClosingMarkerReplaceTheTextAndOpenBack) {
    const std::string& plain = GetParam().plain;
    const std::string sealed = SealText(plain);
    ASSERT_TRUE(StartsWith(sealed, kBlockMarker));
    ASSERT_TRUE(EndsWith(sealed, kClosingMarker));
    const std::string block = sealed.substr(0, sealed.size() - kClosingMarkerLength);
    const std::string flat = Unwrapped(block);
    // Nothing but armour characters follows the marker.
    for (size_t i = kBlockMarkerLength; i < flat.size(); ++i) {
        EXPECT_TRUE(flat[i] == '#' || (flat[i] >= '?' && flat[i] <= '~' && flat[i] != '@')) << i;
    }
    EXPECT_EQ(request_.targetTextLength, plain.size());
    EXPECT_EQ(OpenText(sealed), plain);
    EXPECT_TRUE(sink_.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SealRoundTripTest,
    ::testing::Values(SealCase{"OneCharacter", "x"}, SealCase{"Ascii", "Meet me at noon."},
                      SealCase{"Cyrillic", Cp1251::FromUtf8("Пожалуйста, позвони мне!\r\nЁжик, щука, ЭЮЯ.")},
                      SealCase{"EveryByteButZero", Incompressible(255, 7)},
                      SealCase{"PacksWell", Compressible(5000)},
                      SealCase{"LargestUnpackedBody", Incompressible(kMaxStoredBody)}),
    [](const auto& tc) { return std::string(tc.param.name); });

struct ClosingLineCase {
    uint32_t plainLength;  // of a text stored unpacked
    bool ownLine;
};

class ClosingMarkerLineTest : public EditTextTransformTest,
                              public ::testing::WithParamInterface<ClosingLineCase> {};

// The block has 12 + 3 * ceil((68 + n) / 2) characters before its line breaks: a multiple of
// 50 for ceil((68 + n) / 2) = 46 or 96 (n = 23, 24, 123, 124), and then it ends with CR LF.
TEST_P(ClosingMarkerLineTest, OnItsOwnLineOnlyAfterAFullLastLine) {
    const ClosingLineCase& c = GetParam();
    const std::string sealed = SealText(Incompressible(c.plainLength, c.plainLength));
    ASSERT_EQ(sealed.size(), ArmouredLength(c.plainLength) + kClosingMarkerLength) << "the text was packed";
    const std::string beforeMarker = sealed.substr(0, sealed.size() - kClosingMarkerLength);
    EXPECT_EQ(EndsWith(beforeMarker, kCrLf), c.ownLine);
    const std::string lastLine = sealed.substr(sealed.rfind(kCrLf) + 2);
    if (c.ownLine) {
        EXPECT_EQ(lastLine, kClosingMarker);
    } else {
        EXPECT_GT(lastLine.size(), kClosingMarkerLength);
        EXPECT_LT(lastLine.size(), kArmourLineLength + kClosingMarkerLength);
    }
}

INSTANTIATE_TEST_SUITE_P(Lengths, ClosingMarkerLineTest,
                         ::testing::Values(ClosingLineCase{22, false}, ClosingLineCase{23, true},
                                           ClosingLineCase{24, true}, ClosingLineCase{25, false},
                                           ClosingLineCase{124, true}, ClosingLineCase{126, false}),
                         [](const auto& tc) { return std::to_string(tc.param.plainLength); });

TEST_F(EditTextTransformTest, NoteComesFirstAndDecryptionLeavesOnlyThePlainText) {
    app_->config.addInfoNote = 1;
    app_->infoNoteText = InfoNotePlainForm(Cp1251::FromUtf8("Сообщение зашифровано.\r\nНе отвечайте."));
    const std::string plain = Cp1251::FromUtf8("Во сколько у нас встреча?");
    const std::string sealed = SealText(plain);
    const std::string expectedStart = Cp1251::FromUtf8("Сообщение зашифровано.\r\nНе отвечайте.") + kCrLf +
                                      std::string(50, '_') + kCrLf + kBlockMarker;
    EXPECT_TRUE(StartsWith(sealed, expectedStart)) << sealed.substr(0, 120);
    EXPECT_TRUE(EndsWith(sealed, kClosingMarker));
    EXPECT_EQ(OpenText(sealed), plain);
    EXPECT_TRUE(sink_.shown.empty());
}

// The largest block with the longest note and its closing marker fits a buffer, and is read
// back whole for opening although it is far longer than 64000 characters.
TEST_F(EditTextTransformTest, LargestBlockWithLongestNoteOpensBack) {
    app_->config.addInfoNote = 1;
    app_->infoNoteText = InfoNotePlainForm(std::string(kInfoNoteReadLimit, 'N'));
    ASSERT_EQ(app_->infoNoteText.size(), kMaxInfoNoteText);
    const std::string plain = Incompressible(kMaxStoredBody, 99);
    const std::string sealed = SealText(plain);
    EXPECT_EQ(sealed.size(), kMaxInfoNoteText + ArmouredLength(kMaxStoredBody) + kClosingMarkerLength);
    // The probe sees the marker behind a 1078-character note.
    EXPECT_EQ(OpenText(sealed), plain);
    EXPECT_EQ(app_->blockOffset, int32_t(kMaxInfoNoteText));
    EXPECT_TRUE(sink_.shown.empty());
}

// 64000 characters arrive whole (a limit of 64000 with the terminator would drop the last
// one), are sealed whole and come back whole.
TEST_F(EditTextTransformTest, SixtyFourThousandCharactersSealAndOpenWhole) {
    std::string plain = Compressible(kMaxPlainText - 1) + "!";
    const std::string sealed = SealText(plain);
    EXPECT_EQ(request_.targetTextLength, kMaxPlainText);
    FakeTextTarget window(sealed);
    OpenWindow(window);
    ASSERT_EQ(window.written.size(), 1u);
    EXPECT_EQ(window.Text().size(), plain.size());
    EXPECT_EQ(window.Text(), plain);
    EXPECT_TRUE(sink_.shown.empty());
}

struct SealFailureCase {
    const char* name;
    std::string plain;
    bool fromClipboard;
    uint32_t message;
};
void PrintTo(const SealFailureCase& c, std::ostream* os) { *os << c.name; }

class SealFailureTest : public EditTextTransformTest, public ::testing::WithParamInterface<SealFailureCase> {};

TEST_P(SealFailureTest, OneStopMessageAndTheTextStays) {
    const SealFailureCase& c = GetParam();
    FakeTextTarget window(c.plain);
    if (c.fromClipboard) FillFromClipboard(c.plain);
    EXPECT_EQ(Run(&window, TransformMode::Encrypt), ProbeResult::NothingToDo);
    EXPECT_TRUE(window.written.empty());
    EXPECT_EQ(window.Text(), c.plain);
    ASSERT_EQ(sink_.shown.size(), 1u);
    EXPECT_EQ(sink_.shown[0].id, c.message);
    EXPECT_EQ(sink_.shown[0].style, uint32_t(kStyleStop));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SealFailureTest,
    ::testing::Values(
        // 46001 bytes that do not pack: a body longer than the format carries.
        SealFailureCase{"BodyOver46000", Incompressible(kMaxStoredBody + 1), false, IDS_TEXT_DAMAGED},
        SealFailureCase{"WindowTextOver64000", Compressible(kMaxPlainText + 1), false, IDS_TEXT_TOO_LONG},
        // Longer than a buffer: what arrives is cut, and a cut text is never sealed.
        SealFailureCase{"WindowTextLongerThanABuffer", Compressible(100000), false, IDS_TEXT_TOO_LONG},
        SealFailureCase{"ClipboardTextOver64000", Compressible(kMaxPlainText + 1), true, IDS_TEXT_TOO_LONG}),
    [](const auto& tc) { return std::string(tc.param.name); });

// A note too long for a buffer beside the block is refused, never written past the buffer;
// one byte shorter, note, block, closing marker and terminator fill the buffer exactly.
class CompositionRoomTest : public EditTextTransformTest, public ::testing::WithParamInterface<bool> {};

TEST_P(CompositionRoomTest, NoteBlockAndMarkerFitTheBufferOrAreRefused) {
    const bool fits = GetParam();
    const std::string plain = "short letter";  // 12 bytes that do not pack
    const uint32_t composed = ArmouredLength(uint32_t(plain.size())) + kClosingMarkerLength;
    app_->config.addInfoNote = 1;
    app_->infoNoteText = std::string(kTextBufferCapacity - composed - (fits ? 1 : 0), 'n');
    FakeTextTarget window(plain);
    EXPECT_EQ(Run(&window, TransformMode::Encrypt), ProbeResult::NothingToDo);
    if (fits) {
        ASSERT_EQ(window.written.size(), 1u);
        EXPECT_EQ(window.Text().size(), kTextBufferCapacity - 1);
        EXPECT_TRUE(sink_.shown.empty());
    } else {
        EXPECT_TRUE(window.written.empty());
        EXPECT_EQ(sink_.Ids(), (std::vector<uint32_t>{IDS_TEXT_TOO_LONG}));
    }
}

INSTANTIATE_TEST_SUITE_P(Room, CompositionRoomTest, ::testing::Values(true, false),
                         [](const auto& tc) { return std::string(tc.param ? "FillsTheBuffer" : "OneByteTooMany"); });

// ---- Decrypt ------------------------------------------------------------------------

TEST_F(EditTextTransformTest, OnlyTheFirstOfTwoBlocksOpensAndReplacesEverything) {
    const std::string first = SealText("first message");
    const std::string second = SealText("second message");
    const std::string text = "Hi,\r\n" + first + "\r\nand more:\r\n" + second + "\r\n-- \r\nSignature";
    EXPECT_EQ(OpenText(text), "first message");
    EXPECT_TRUE(sink_.shown.empty());
}

TEST_F(EditTextTransformTest, SealedTextCarriesNoHtmlModeOfItsOwn) {
    cipher_.htmlMode = 1;  // left by an earlier HTML request
    const std::string sealed = SealText("plain");
    cipher_.htmlMode = 0;
    EXPECT_EQ(OpenText(sealed), "plain");
    EXPECT_EQ(cipher_.htmlMode, 1);  // taken from the header by Open
}

struct OpenFailureCase {
    const char* name;
    // Runs between the probe and the decryption: the user edits, another key is chosen.
    std::function<void(EditTextTransformTest&, FakeTextTarget&)> meanwhile;
    uint32_t message;
};
void PrintTo(const OpenFailureCase& c, std::ostream* os) { *os << c.name; }

class OpenFailureTest : public EditTextTransformTest, public ::testing::WithParamInterface<OpenFailureCase> {
public:
    void SetKeyFrom(const std::string& password) { ASSERT_TRUE(UsePassword(password)); }
    AppState& App() { return *app_; }
};

TEST_P(OpenFailureTest, OneStopMessageAndTheTextStays) {
    const std::string text = "Dear friend,\r\n" + SealText(Cp1251::FromUtf8("Я задержусь."));
    FakeTextTarget window(text);
    ASSERT_EQ(Run(&window, TransformMode::Probe), ProbeResult::BlockFound);
    GetParam().meanwhile(*this, window);
    const std::string before = window.Text();
    EXPECT_EQ(Run(&window, TransformMode::Decrypt), ProbeResult::NothingToDo);
    EXPECT_TRUE(window.written.empty());
    EXPECT_EQ(window.Text(), before);
    ASSERT_EQ(sink_.shown.size(), 1u);
    EXPECT_EQ(sink_.shown[0].id, GetParam().message);
    EXPECT_EQ(sink_.shown[0].style, uint32_t(kStyleStop));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OpenFailureTest,
    ::testing::Values(
        OpenFailureCase{"WrongKey",
                        [](EditTextTransformTest& fixture, FakeTextTarget&) {
                            static_cast<OpenFailureTest&>(fixture).SetKeyFrom("not the password");
                        },
                        IDS_TEXT_DAMAGED_OR_WRONG_KEY},
        OpenFailureCase{"TextNowEndsBeforeTheMarker",
                        [](EditTextTransformTest&, FakeTextTarget& w) { w.SetUserText("Dear"); },
                        IDS_TEXT_DAMAGED},
        OpenFailureCase{"TextNowEndsInsideTheMarker",
                        [](EditTextTransformTest&, FakeTextTarget& w) {
                            w.SetUserText("Dear friend,\r\n[!dgt_encr");
                        },
                        IDS_TEXT_DAMAGED},
        OpenFailureCase{"NegativeOffset",
                        [](EditTextTransformTest& fixture, FakeTextTarget&) {
                            static_cast<OpenFailureTest&>(fixture).App().blockOffset = -1;
                        },
                        IDS_TEXT_DAMAGED},
        OpenFailureCase{"BlockCutShort",
                        [](EditTextTransformTest&, FakeTextTarget& w) {
                            w.SetUserText(w.Text().substr(0, w.Text().size() - 40));
                        },
                        IDS_TEXT_DAMAGED},
        OpenFailureCase{"ArmourCharacterChanged",
                        [](EditTextTransformTest&, FakeTextTarget& w) {
                            std::string edited = w.Text();
                            size_t at = edited.size() - kClosingMarkerLength - 3;
                            edited[at] = edited[at] == 'A' ? 'B' : 'A';
                            w.SetUserText(edited);
                        },
                        IDS_TEXT_DAMAGED_OR_WRONG_KEY}),
    [](const auto& tc) { return std::string(tc.param.name); });

// ---- The clipboard viewer's text ------------------------------------------------------

// With clipboardSource the text is taken from textBuffer, never from the window; the new
// text goes to the window (the viewer's edit) when there is one.
TEST_F(EditTextTransformTest, ClipboardTextWithTheViewersEdit) {
    const std::string plain = Cp1251::FromUtf8("У нас дождь!");
    FakeTextTarget edit("what the edit shows is not read");
    FillFromClipboard(plain);
    EXPECT_EQ(Run(&edit, TransformMode::Probe), ProbeResult::PlainText);
    EXPECT_EQ(Run(&edit, TransformMode::Encrypt), ProbeResult::NothingToDo);
    ASSERT_EQ(edit.written.size(), 1u);
    const std::string sealed = edit.Text();
    EXPECT_TRUE(StartsWith(sealed, kBlockMarker));

    FillFromClipboard(sealed);
    EXPECT_EQ(Run(&edit, TransformMode::Probe), ProbeResult::BlockFound);
    EXPECT_EQ(Run(&edit, TransformMode::Decrypt), ProbeResult::NothingToDo);
    EXPECT_EQ(edit.Text(), plain);
    EXPECT_TRUE(edit.reads.empty());
    EXPECT_TRUE(sink_.shown.empty());
}

TEST_F(EditTextTransformTest, ClipboardTextWithoutWindowLeavesTheResultInItsBuffer) {
    const std::string plain = Cp1251::FromUtf8("Когда мы можем встретиться?");
    FillFromClipboard(plain);
    EXPECT_EQ(Run(nullptr, TransformMode::Probe), ProbeResult::PlainText);
    EXPECT_EQ(Run(nullptr, TransformMode::Encrypt), ProbeResult::NothingToDo);
    const std::string sealed = std::string(app_->resultBuffer);
    ASSERT_TRUE(EndsWith(sealed, kClosingMarker));

    FillFromClipboard(sealed);
    EXPECT_EQ(Run(nullptr, TransformMode::Probe), ProbeResult::BlockFound);
    EXPECT_EQ(Run(nullptr, TransformMode::Decrypt), ProbeResult::NothingToDo);
    EXPECT_EQ(std::string(app_->resultBuffer), plain);
    EXPECT_TRUE(sink_.shown.empty());
}

// A textBuffer without a terminator is measured up to the buffer's end, never past it.
TEST_F(EditTextTransformTest, UnterminatedClipboardTextIsBoundedByTheBuffer) {
    std::memset(app_->textBuffer, 'z', sizeof app_->textBuffer);
    request_.clipboardSource = 1;
    EXPECT_EQ(Run(nullptr, TransformMode::Probe), ProbeResult::PlainText);
    EXPECT_EQ(request_.targetTextLength, kTextBufferCapacity - 1);
    EXPECT_EQ(Run(nullptr, TransformMode::Encrypt), ProbeResult::NothingToDo);
    EXPECT_EQ(sink_.Ids(), (std::vector<uint32_t>{IDS_TEXT_TOO_LONG}));
}

}  // namespace
}  // namespace velkaro
