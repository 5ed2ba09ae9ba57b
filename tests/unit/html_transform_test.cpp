// The HTML transform over a model of the browser control: what the probe answers for each
// kind of document, what Encrypt and Decrypt write back and how, the hidden form, the size
// question, the failures that must leave the document alone, and that every document and
// element obtained is released before a call returns.

#include "html_transform.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app_state.h"
#include "cp1251_codec.h"
#include "fake_app_platform.h"
#include "fake_html_document.h"
#include "password_key.h"
#include "recording_sink.h"
#include "string_ids.h"
#include "temp_dir.h"
#include "text_limits.h"

namespace velkaro {
namespace {

using PutKind = FakeHtmlPage::PutKind;

// Records every message and answers the size question from its script; every other box
// answers OK.
class AnsweringSink : public RecordingSink {
public:
    int ShowMessage(uint32_t id, uint32_t style) override {
        RecordingSink::ShowMessage(id, style);
        return style == kStyleQuestion ? questionAnswer : kAnswerOk;
    }
    int questionAnswer = kAnswerOk;
};

// The kinds of document the transform meets.
enum class Page {
    WebPage,       // an ordinary page: the active element is a DIV
    WebMailForm,   // a web-mail form: the active element is a TEXTAREA
    MailView,      // a mail client's read-only message view
    HtmlCompose,   // a mail client's editor in design mode, HTML mail
    PlainCompose,  // the same editor with a plain-text mail
};

constexpr char16_t kWebUrl[] = u"http://mail.example.com/compose";
constexpr char16_t kMailViewUrl[] = u"mhtml:mid://00000042/";
constexpr char16_t kComposeUrl[] = u"outbind://12-00000000/";

// A text of n characters with none of the characters that would end it or be taken for
// markup or a comment, drawn from enough values that the packer cannot shrink it.
std::string IncompressibleText(size_t n, uint32_t seed) {
    std::mt19937 random(seed);
    std::string text;
    while (text.size() < n) {
        const char c = char(random() & 0xFF);
        if (c == '\0' || c == '<' || c == '>' || c == '&' || c == '-' || c == '[') continue;
        text.push_back(c);
    }
    return text;
}

class HtmlTransformTest : public ::testing::Test {
protected:
    HtmlTransformTest() : platform_(dir_.File("velkaro.exe")) {
        app_ = std::make_unique<AppState>(platform_);
        app_->htmlAccessAvailable = 1;
        UseKey("correct horse");
        cipher_ = std::make_unique<MessageCipher>(sink_, app_->currentKey, app_->senderTag,
                                                  reinterpret_cast<uint8_t*>(app_->scratchBuffer));
        transform_ = std::make_unique<HtmlTransform>(*app_, request_, *cipher_, sink_, codec_,
                                                     chooser_);
        app_->config.addInfoNote = 0;
        app_->config.colourBackground = 1;
        app_->infoNoteText = "Note\r\n" + std::string(50, '_') + "\r\n";
        app_->infoNoteHtml = "Note<br>" + std::string(50, '_') + "<br>";
        sink_.shown.clear();
    }

    void UseKey(const char* password) {
        char buffer[64] = {};
        std::strncpy(buffer, password, sizeof buffer - 1);
        ASSERT_TRUE(DeriveKey(buffer, app_->currentKey, app_->keyPresent, sink_));
    }

    void Shape(Page kind) {
        page_.url = kWebUrl;
        page_.designMode = u"Inherit";
        page_.tag = u"BODY";
        switch (kind) {
            case Page::WebPage:
                page_.tag = u"DIV";
                break;
            case Page::WebMailForm:
                page_.tag = u"TEXTAREA";
                break;
            case Page::MailView:
                page_.url = kMailViewUrl;
                break;
            case Page::HtmlCompose:
            case Page::PlainCompose:
                page_.url = kComposeUrl;
                page_.designMode = u"On";
                break;
        }
    }
    // The page and its content as HTML (for the HTML kinds) or text.
    void ShapeWithHtml(Page kind, const std::string& html) {
        Shape(kind);
        page_.SetBodyHtml(U16(html));
    }
    void ShapeWithText(Page kind, const std::string& text) {
        Shape(kind);
        page_.SetBodyText(U16(text));
    }

    std::u16string U16(const std::string& ansi) const {
        return codec_.FromAnsi(ansi.data(), ansi.size());
    }
    std::string Ansi(const std::u16string& text) const { return codec_.ToAnsi(text); }

    // Every call must leave no document or element behind.
    ProbeResult Run(TransformMode mode) {
        const ProbeResult result = transform_->TransformHtmlDocument(&window_, mode);
        EXPECT_EQ(page_.liveObjects, 0) << "an object of the document was not released";
        return result;
    }
    // The probe and, when it finds work of the expected kind, the Encrypt or Decrypt.
    void ProbeAndEncrypt() {
        ASSERT_EQ(Run(TransformMode::Probe), ProbeResult::PlainText);
        EXPECT_EQ(Run(TransformMode::Encrypt), ProbeResult::NothingToDo);
    }
    void ProbeAndDecrypt() {
        ASSERT_EQ(Run(TransformMode::Probe), ProbeResult::BlockFound);
        EXPECT_EQ(Run(TransformMode::Decrypt), ProbeResult::NothingToDo);
    }

    // A block with its closing marker, sealed under the current key as a sender with the
    // given htmlMode would send it.
    std::string Seal(const std::string& plain, uint16_t htmlMode) {
        cipher_->htmlMode = htmlMode;
        std::memcpy(app_->textBuffer, plain.data(), plain.size());
        app_->textBuffer[plain.size()] = '\0';
        EXPECT_TRUE(cipher_->Seal(app_->textBuffer, app_->resultBuffer, uint32_t(plain.size())));
        return std::string(app_->resultBuffer) + kClosingMarker;
    }

    // Opens the first block of an ANSI text under the current key: the plain text, and the
    // sender's htmlMode in *htmlMode.
    std::string OpenFirstBlock(const std::string& text, uint16_t* htmlMode = nullptr) {
        const size_t at = text.find(kBlockMarker);
        if (at == std::string::npos) return "(no block)";
        std::vector<char> out(kTextBufferCapacity);
        uint32_t n = uint32_t(text.size() - at);
        if (!cipher_->Open(text.c_str() + at, out.data(), &n)) return "(does not open)";
        if (htmlMode) *htmlMode = cipher_->htmlMode;
        return std::string(out.data(), n);
    }

    TempDir dir_;
    FakeAppPlatform platform_;
    std::unique_ptr<AppState> app_;
    RequestContext request_;
    AnsweringSink sink_;
    Cp1251Codec codec_;
    ScriptedCoverChooser chooser_;
    std::unique_ptr<MessageCipher> cipher_;
    std::unique_ptr<HtmlTransform> transform_;
    FakeHtmlPage page_;
    FakeHtmlWindow window_{page_};
};

// ---------------------------------------------------------------------------------------------
// The probe: what each kind of document offers

struct ProbeCase {
    const char* name;
    Page page;
    std::string html;  // the element's inner HTML
    ProbeResult expected;
    uint16_t htmlMode;
    std::vector<uint32_t> messages;
};

class HtmlProbeCases : public HtmlTransformTest,
                       public ::testing::WithParamInterface<ProbeCase> {};

TEST_P(HtmlProbeCases, AnswersForTheDocument) {
    const ProbeCase& c = GetParam();
    ShapeWithHtml(c.page, c.html);
    cipher_->htmlMode = 7;  // a stale value the probe must replace

    EXPECT_EQ(Run(TransformMode::Probe), c.expected);
    EXPECT_EQ(cipher_->htmlMode, c.htmlMode);
    EXPECT_EQ(sink_.Ids(), c.messages);
    EXPECT_TRUE(page_.puts.empty());
    EXPECT_TRUE(page_.bgColours.empty());
    EXPECT_TRUE(page_.windowEvents.empty());
}

const std::string kSomeBlock = "[!dgt_encry]ABCDEFGHIJ[/!dgt_encry]";

INSTANTIATE_TEST_SUITE_P(
    Table, HtmlProbeCases,
    ::testing::Values(
        ProbeCase{"WebPageWithoutTextArea", Page::WebPage, "<P>Hello</P>",
                  ProbeResult::NothingToDo, 0, {}},
        ProbeCase{"WebMailFormPlain", Page::WebMailForm, "Hello", ProbeResult::PlainText, 0,
                  {}},
        ProbeCase{"WebMailFormWithBlock", Page::WebMailForm, "Re: " + kSomeBlock,
                  ProbeResult::BlockFound, 0, {}},
        ProbeCase{"ReadOnlyMailViewWithoutMarker", Page::MailView, "<FONT>Hello</FONT>",
                  ProbeResult::NothingToDo, 1, {}},
        ProbeCase{"ReadOnlyMailViewWithMarker", Page::MailView,
                  "<FONT>" + kSomeBlock + "</FONT>", ProbeResult::BlockFound, 1, {}},
        ProbeCase{"ReadOnlyPlainMailView", Page::MailView, "Hello", ProbeResult::NothingToDo, 0,
                  {}},
        ProbeCase{"HtmlCompose", Page::HtmlCompose, "<FONT>Hello</FONT>",
                  ProbeResult::PlainText, 1, {}},
        ProbeCase{"PlainCompose", Page::PlainCompose, "Hello", ProbeResult::PlainText, 0, {}},
        ProbeCase{"HiddenBlockInMailView", Page::MailView, "&gt;<!--" + kSomeBlock + "-->",
                  ProbeResult::BlockFound, 1, {}},
        // A frameset is refused once the page is otherwise usable.
        ProbeCase{"FramesetWithHiddenBlock", Page::WebPage, "<FRAME src=a><!--" + kSomeBlock + "-->",
                  ProbeResult::NothingToDo, 0, {IDS_FRAMES_UNSUPPORTED}},
        ProbeCase{"FramesetWithoutBlockIsSilent", Page::WebPage, "<FRAME src=a>",
                  ProbeResult::NothingToDo, 0, {}},
        ProbeCase{"FrameInTextAreaWorks", Page::WebMailForm, "<FRAME src=a>Hello",
                  ProbeResult::PlainText, 0, {}},
        // A web page's table with the marker in its first cell can still be decrypted.
        ProbeCase{"MarkerInFirstCell", Page::WebPage, "<TR><TD>" + kSomeBlock + "</TD></TR>",
                  ProbeResult::BlockFound, 0, {}},
        // Only the first 2000 characters are searched.
        ProbeCase{"MarkerEndingAtCharacter2000", Page::PlainCompose,
                  std::string(1988, 'a') + kSomeBlock, ProbeResult::BlockFound, 0, {}},
        ProbeCase{"MarkerEndingAfterCharacter2000", Page::PlainCompose,
                  std::string(1989, 'a') + kSomeBlock, ProbeResult::PlainText, 0, {}},
        ProbeCase{"EmptyBody", Page::PlainCompose, "", ProbeResult::NothingToDo, 0, {}}),
    [](const ::testing::TestParamInfo<ProbeCase>& p) { return std::string(p.param.name); });

TEST_F(HtmlTransformTest, ProbeRecordsWhereTheBlockIsAndItsHeader) {
    const std::string block = Seal("Hello", 0);
    ShapeWithText(Page::WebMailForm, "Quoted:\r\n" + block);
    app_->blockOffset = -5;

    ASSERT_EQ(Run(TransformMode::Probe), ProbeResult::BlockFound);
    EXPECT_EQ(app_->blockOffset, 9);
    EXPECT_EQ(request_.targetTextLength, 9 + block.size());
    EXPECT_EQ(std::memcmp(request_.blockHeader, kBlockMarker, kBlockMarkerLength), 0);
    int32_t keyPresent = 0;
    EXPECT_TRUE(KeyMatchesHeader(request_.blockHeader, app_->currentKey, keyPresent, sink_))
        << "the decoded header identifies the key";
}

// ---------------------------------------------------------------------------------------------
// Nothing to act on: no message, nothing written

struct SilentCase {
    const char* name;
    std::function<void(FakeHtmlPage&, AppState&)> shape;
};

class HtmlSilentCases : public HtmlTransformTest,
                        public ::testing::WithParamInterface<SilentCase> {};

TEST_P(HtmlSilentCases, EveryModeDoesNothingSilently) {
    ShapeWithHtml(Page::HtmlCompose, "<FONT>" + kSomeBlock + "</FONT>");
    GetParam().shape(page_, *app_);
    for (TransformMode mode : {TransformMode::Probe, TransformMode::Encrypt, TransformMode::Decrypt}) {
        EXPECT_EQ(Run(mode), ProbeResult::NothingToDo) << int(mode);
    }
    EXPECT_TRUE(sink_.shown.empty());
    EXPECT_TRUE(page_.puts.empty());
    EXPECT_TRUE(page_.bgColours.empty());
    EXPECT_TRUE(page_.windowEvents.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, HtmlSilentCases,
    ::testing::Values(
        SilentCase{"HtmlAccessUnavailable",
                   [](FakeHtmlPage& p, AppState& a) {
                       a.htmlAccessAvailable = 0;
                       p.hasDocument = true;
                   }},
        SilentCase{"NoDocument", [](FakeHtmlPage& p, AppState&) { p.hasDocument = false; }},
        SilentCase{"NoActiveElement", [](FakeHtmlPage& p, AppState&) { p.hasElement = false; }},
        SilentCase{"ElementGivesNoString",
                   [](FakeHtmlPage& p, AppState&) { p.elementGivesStrings = false; }},
        SilentCase{"EmptyBody", [](FakeHtmlPage& p, AppState&) { p.SetBodyHtml(u""); }}),
    [](const ::testing::TestParamInfo<SilentCase>& p) { return std::string(p.param.name); });

TEST_F(HtmlTransformTest, WithoutHtmlAccessTheDocumentIsNotEvenAskedFor) {
    ShapeWithText(Page::PlainCompose, "Hello");
    app_->htmlAccessAvailable = 0;
    EXPECT_EQ(Run(TransformMode::Probe), ProbeResult::NothingToDo);
    EXPECT_EQ(page_.documentsObtained, 0);
    EXPECT_EQ(transform_->TransformHtmlDocument(nullptr, TransformMode::Probe),
              ProbeResult::NothingToDo);
}

// ---------------------------------------------------------------------------------------------
// Encrypt: what is sealed, how it is written, note and background

struct EncryptCase {
    const char* name;
    Page page;
    std::string body;  // HTML for HtmlCompose, text otherwise
    int32_t addInfoNote;
    int32_t colourBackground;
    PutKind put;
    const char* note;  // "text", "html" or "" (none)
    bool cornsilk;
    std::string sealed;  // what the block must open to
    uint16_t htmlMode;   // carried in the block's header
};

class HtmlEncryptCases : public HtmlTransformTest,
                         public ::testing::WithParamInterface<EncryptCase> {};

TEST_P(HtmlEncryptCases, WritesNoteBlockAndClosingMarker) {
    const EncryptCase& c = GetParam();
    if (c.page == Page::HtmlCompose) {
        ShapeWithHtml(c.page, c.body);
    } else {
        ShapeWithText(c.page, c.body);
    }
    app_->config.addInfoNote = c.addInfoNote;
    app_->config.colourBackground = c.colourBackground;

    ProbeAndEncrypt();

    EXPECT_TRUE(sink_.shown.empty());
    ASSERT_EQ(page_.puts.size(), 1u);
    EXPECT_EQ(page_.puts[0].kind, c.put);
    const std::string written = Ansi(page_.puts[0].text);
    const std::string note = std::string(c.note) == "text"   ? app_->infoNoteText
                             : std::string(c.note) == "html" ? app_->infoNoteHtml
                                                             : std::string();
    EXPECT_EQ(written.substr(0, note.size() + kBlockMarkerLength), note + kBlockMarker);
    ASSERT_GE(written.size(), kClosingMarkerLength);
    EXPECT_EQ(written.substr(written.size() - kClosingMarkerLength), kClosingMarker);
    uint16_t htmlMode = 99;
    EXPECT_EQ(OpenFirstBlock(written, &htmlMode), c.sealed);
    EXPECT_EQ(htmlMode, c.htmlMode);
    EXPECT_EQ(page_.bgColours, c.cornsilk ? std::vector<std::u16string>{u"cornsilk"}
                                          : std::vector<std::u16string>{});
    EXPECT_EQ(page_.windowEvents, std::vector<std::string>{"click"});
}

INSTANTIATE_TEST_SUITE_P(
    Table, HtmlEncryptCases,
    ::testing::Values(
        // A web-mail form takes the note's plain form and never a background colour.
        EncryptCase{"WebMailFormWithNote", Page::WebMailForm, "Hello <you>", 1, 1,
                    PutKind::InnerText, "text", false, "Hello <you>", 0},
        EncryptCase{"WebMailFormWithoutNote", Page::WebMailForm, "Hello", 0, 1,
                    PutKind::InnerText, "", false, "Hello", 0},
        // HTML mail is sealed and written as HTML, with the note's HTML form.
        EncryptCase{"HtmlComposeWithNote", Page::HtmlCompose, "<FONT color=red>Hi</FONT><BR>x",
                    1, 1, PutKind::InnerHtml, "html", true, "<FONT color=red>Hi</FONT><BR>x", 1},
        EncryptCase{"HtmlComposeColourOff", Page::HtmlCompose, "<FONT>Hi</FONT>", 0, 0,
                    PutKind::InnerHtml, "", false, "<FONT>Hi</FONT>", 1},
        // A plain-text mail in the editor: its text, written as text.
        EncryptCase{"PlainComposeWithNote", Page::PlainCompose, "Hi\r\nthere", 1, 1,
                    PutKind::InnerText, "text", true, "Hi\r\nthere", 0},
        EncryptCase{"PlainComposeColourOff", Page::PlainCompose, "Hi", 0, 0, PutKind::InnerText,
                    "", false, "Hi", 0}),
    [](const ::testing::TestParamInfo<EncryptCase>& p) { return std::string(p.param.name); });

TEST_F(HtmlTransformTest, EncryptReadsTheDocumentAfresh) {
    ShapeWithHtml(Page::HtmlCompose, "<FONT>first</FONT>");
    ASSERT_EQ(Run(TransformMode::Probe), ProbeResult::PlainText);
    page_.SetBodyHtml(u"<FONT>edited while the password was typed</FONT>");
    Run(TransformMode::Encrypt);
    ASSERT_EQ(page_.puts.size(), 1u);
    EXPECT_EQ(OpenFirstBlock(Ansi(page_.puts[0].text)),
              "<FONT>edited while the password was typed</FONT>");
}

TEST_F(HtmlTransformTest, EncryptOfAnEmptiedDocumentSaysTheBufferIsEmpty) {
    ShapeWithHtml(Page::HtmlCompose, "<FONT>first</FONT>");
    ASSERT_EQ(Run(TransformMode::Probe), ProbeResult::PlainText);
    // A text that ends at once for the engine (its first character is a zero).
    page_.SetBodyHtml(std::u16string(u"\0<FONT>x</FONT>", 15));
    Run(TransformMode::Encrypt);
    EXPECT_EQ(sink_.Ids(), std::vector<uint32_t>{IDS_BUFFER_EMPTY});
    EXPECT_EQ(sink_.shown[0].style, uint32_t(kStyleStop));
    EXPECT_TRUE(page_.puts.empty());
    EXPECT_TRUE(page_.windowEvents.empty());
}

// The largest block (a body that cannot be packed, 46000 bytes) with a note in its HTML
// form of some 4000 characters overflows the composition buffer: refused, nothing written.
// Without the note the same block fits.
TEST_F(HtmlTransformTest, CompositionThatDoesNotFitIsRefused) {
    const std::string body = "<FONT>" + IncompressibleText(kMaxStoredBody - 13, 1) + "</FONT>";
    app_->config.addInfoNote = 1;
    app_->infoNoteHtml.clear();
    for (int i = 0; i < 500; ++i) app_->infoNoteHtml += "&quot;<br>";

    ShapeWithHtml(Page::HtmlCompose, body);
    ProbeAndEncrypt();
    EXPECT_EQ(sink_.Ids(), std::vector<uint32_t>{IDS_TEXT_TOO_LONG});
    EXPECT_EQ(sink_.shown[0].style, uint32_t(kStyleStop));
    EXPECT_TRUE(page_.puts.empty());
    EXPECT_TRUE(page_.bgColours.empty());
    EXPECT_TRUE(page_.windowEvents.empty());

    sink_.shown.clear();
    app_->config.addInfoNote = 0;
    ProbeAndEncrypt();
    EXPECT_TRUE(sink_.shown.empty());
    ASSERT_EQ(page_.puts.size(), 1u);
    EXPECT_GT(page_.puts[0].text.size(), kTextBufferCapacity - 5000) << "a block near the largest";
    EXPECT_EQ(OpenFirstBlock(Ansi(page_.puts[0].text)), body);
}

// Seal refuses a body that cannot be packed into 46000 bytes; the hidden form does not even
// offer the cover texts then.
TEST_F(HtmlTransformTest, EngineFailureWritesNothing) {
    const std::string text = IncompressibleText(kMaxStoredBody + 1, 2);
    app_->config.offerTemplateList = 1;
    for (int32_t hidden : {0, 1}) {
        SCOPED_TRACE(hidden);
        app_->stegoRequested = hidden;
        ShapeWithHtml(Page::HtmlCompose, "<FONT>" + text + "</FONT>");
        sink_.shown.clear();
        ProbeAndEncrypt();
        EXPECT_FALSE(sink_.shown.empty());
        EXPECT_EQ(chooser_.calls, 0);
        EXPECT_TRUE(page_.puts.empty());
        EXPECT_TRUE(page_.bgColours.empty());
        EXPECT_TRUE(page_.windowEvents.empty());
    }
}

// ---------------------------------------------------------------------------------------------
// Decrypt: how the plain text comes back

struct DecryptCase {
    const char* name;
    Page page;
    uint16_t senderHtmlMode;
    std::string plain;
    std::string before, after;  // text around the block in the element's HTML
    PutKind put;
    bool white;
};

class HtmlDecryptCases : public HtmlTransformTest,
                         public ::testing::WithParamInterface<DecryptCase> {};

TEST_P(HtmlDecryptCases, ReplacesTheWholeContent) {
    const DecryptCase& c = GetParam();
    ShapeWithHtml(c.page, c.before + Seal(c.plain, c.senderHtmlMode) + c.after);
    cipher_->htmlMode = 0;

    ProbeAndDecrypt();

    EXPECT_TRUE(sink_.shown.empty());
    ASSERT_EQ(page_.puts.size(), 1u);
    EXPECT_EQ(page_.puts[0].kind, c.put);
    EXPECT_EQ(Ansi(page_.puts[0].text), c.plain);
    EXPECT_EQ(page_.bgColours, c.white ? std::vector<std::u16string>{u"white"}
                                       : std::vector<std::u16string>{});
    EXPECT_TRUE(page_.windowEvents.empty()) << "no click after a decryption";
}

INSTANTIATE_TEST_SUITE_P(
    Table, HtmlDecryptCases,
    ::testing::Values(
        DecryptCase{"HtmlMailInMailView", Page::MailView, 1, "<FONT>Hi</FONT>",
                    "<FONT>Note<BR>", "</FONT>", PutKind::InnerHtml, true},
        // Sealed from a plain-text editor: back as text, though the view holds HTML mail.
        DecryptCase{"PlainSenderInHtmlMailView", Page::MailView, 0, "a <b> c",
                    "<FONT face=Arial>", "</FONT>", PutKind::InnerText, true},
        DecryptCase{"PlainMailView", Page::MailView, 0, "Hi", "", "\r\nP.S.", PutKind::InnerText,
                    true},
        DecryptCase{"WebMailForm", Page::WebMailForm, 0, "Hi", "Re: ", "", PutKind::InnerText,
                    false},
        DecryptCase{"MarkerInFirstCellOfWebPage", Page::WebPage, 1, "<B>Hi</B>", "<TR><TD>",
                    "</TD></TR>", PutKind::InnerHtml, false},
        DecryptCase{"HiddenBlockInMailView", Page::MailView, 1, "<FONT>secret</FONT>",
                    "&gt;<!--", "-->", PutKind::InnerHtml, true}),
    [](const ::testing::TestParamInfo<DecryptCase>& p) { return std::string(p.param.name); });

TEST_F(HtmlTransformTest, WrongKeyWritesNothing) {
    ShapeWithHtml(Page::MailView, "<FONT>" + Seal("secret", 1) + "</FONT>");
    ASSERT_EQ(Run(TransformMode::Probe), ProbeResult::BlockFound);
    UseKey("wrong horse");
    sink_.shown.clear();
    Run(TransformMode::Decrypt);
    EXPECT_EQ(sink_.Ids(), std::vector<uint32_t>{IDS_TEXT_DAMAGED_OR_WRONG_KEY});
    EXPECT_TRUE(page_.puts.empty());
    EXPECT_TRUE(page_.bgColours.empty());
}

// The probe's offset is trusted no further than the text read now reaches.
TEST_F(HtmlTransformTest, DocumentShortenedSinceTheProbeIsDamaged) {
    const std::string block = Seal("secret", 0);
    ShapeWithText(Page::WebMailForm, std::string(500, ' ') + block);
    ASSERT_EQ(Run(TransformMode::Probe), ProbeResult::BlockFound);
    for (const char* now : {"short", ""}) {
        page_.SetBodyText(U16(now));
        sink_.shown.clear();
        Run(TransformMode::Decrypt);
        EXPECT_EQ(sink_.Ids(), std::string(now).empty() ? std::vector<uint32_t>{}
                                                        : std::vector<uint32_t>{IDS_TEXT_DAMAGED})
            << now;
        EXPECT_TRUE(page_.puts.empty()) << now;
    }
    app_->blockOffset = -1;
    page_.SetBodyText(U16(block));
    sink_.shown.clear();
    Run(TransformMode::Decrypt);
    EXPECT_EQ(sink_.Ids(), std::vector<uint32_t>{IDS_TEXT_DAMAGED});
    EXPECT_TRUE(page_.puts.empty());
}

TEST_F(HtmlTransformTest, BlockDamagedSinceTheProbeWritesNothing) {
    const std::string block = Seal("secret message", 0);
    ShapeWithText(Page::WebMailForm, block);
    ASSERT_EQ(Run(TransformMode::Probe), ProbeResult::BlockFound);
    std::string damaged = block;
    damaged[60] = damaged[60] == 'A' ? 'B' : 'A';
    page_.SetBodyText(U16(damaged));
    Run(TransformMode::Decrypt);
    EXPECT_FALSE(sink_.shown.empty());
    EXPECT_TRUE(page_.puts.empty());
}

// ---------------------------------------------------------------------------------------------
// Round trips between sender and recipient, through UTF-16

TEST_F(HtmlTransformTest, CyrillicRoundTripsThroughTheDocument) {
    struct Case {
        Page page;
        std::u16string body;
        bool html;
    } cases[] = {
        {Page::HtmlCompose, u"<FONT color=red>Привет, мир! Ёлка — №1</FONT>", true},
        {Page::PlainCompose, u"Привет,\r\nмир! €", false},
        {Page::WebMailForm, u"Съешь же ещё этих мягких французских булок", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Ansi(c.body));
        page_ = FakeHtmlPage{};
        Shape(c.page);
        if (c.html) {
            page_.SetBodyHtml(c.body);
        } else {
            page_.SetBodyText(c.body);
        }
        ProbeAndEncrypt();
        ASSERT_EQ(page_.puts.size(), 1u);
        const std::string written = Ansi(page_.puts[0].text);
        for (char ch : written) ASSERT_LT(uint8_t(ch), 0x80) << "the block is plain ASCII";

        // The recipient reads it in a mail view; the sender's mail client may have wrapped
        // it, and written line breaks come back as <BR> in the HTML.
        const std::u16string received = page_.innerHtml;
        Shape(c.page == Page::WebMailForm ? Page::WebMailForm : Page::MailView);
        page_.SetBodyHtml(c.page == Page::WebMailForm ? received : u"<FONT>" + received + u"</FONT>");
        page_.puts.clear();
        ProbeAndDecrypt();
        ASSERT_EQ(page_.puts.size(), 1u);
        EXPECT_EQ(page_.puts[0].kind, c.html ? PutKind::InnerHtml : PutKind::InnerText);
        EXPECT_EQ(page_.puts[0].text, c.body);
        EXPECT_TRUE(sink_.shown.empty());
    }
}

TEST_F(HtmlTransformTest, CharactersOutsideTheCodePageAreLost) {
    ShapeWithText(Page::PlainCompose, "");
    page_.SetBodyText(u"a\u4E2D\U0001F600b");
    ASSERT_EQ(Run(TransformMode::Probe), ProbeResult::PlainText);
    EXPECT_EQ(request_.targetTextLength, 4u) << "one character each, in the ANSI code page";
    Run(TransformMode::Encrypt);
    ASSERT_EQ(page_.puts.size(), 1u);
    EXPECT_EQ(OpenFirstBlock(Ansi(page_.puts[0].text)), "a??b");
}

// ---------------------------------------------------------------------------------------------
// Texts over 64000 characters: the question

TEST_F(HtmlTransformTest, SizeQuestionCancelChangesNothing) {
    ShapeWithText(Page::PlainCompose, std::string(kMaxPlainText + 1, 'x'));
    sink_.questionAnswer = kAnswerCancel;
    for (TransformMode mode : {TransformMode::Probe, TransformMode::Encrypt}) {
        sink_.shown.clear();
        EXPECT_EQ(Run(mode), ProbeResult::NothingToDo);
        ASSERT_EQ(sink_.Ids(), std::vector<uint32_t>{IDS_SIZE_QUESTION});
        EXPECT_EQ(sink_.shown[0].style, uint32_t(kStyleQuestion));
    }
    EXPECT_TRUE(page_.puts.empty());
    EXPECT_TRUE(page_.windowEvents.empty());
}

TEST_F(HtmlTransformTest, TextOf64000CharactersAsksNothing) {
    ShapeWithText(Page::PlainCompose, std::string(kMaxPlainText, 'x'));
    ProbeAndEncrypt();
    EXPECT_TRUE(sink_.shown.empty());
    ASSERT_EQ(page_.puts.size(), 1u);
    EXPECT_EQ(OpenFirstBlock(Ansi(page_.puts[0].text)), std::string(kMaxPlainText, 'x'));
}

TEST_F(HtmlTransformTest, SizeQuestionOkSealsTheFirst64000Characters) {
    const std::string text = std::string(kMaxPlainText, 'a') + std::string(500, 'b');
    ShapeWithText(Page::PlainCompose, text);
    ProbeAndEncrypt();
    EXPECT_EQ(sink_.Ids(), (std::vector<uint32_t>{IDS_SIZE_QUESTION, IDS_SIZE_QUESTION}));
    EXPECT_EQ(request_.targetTextLength, text.size());
    ASSERT_EQ(page_.puts.size(), 1u);
    EXPECT_EQ(OpenFirstBlock(Ansi(page_.puts[0].text)), text.substr(0, kMaxPlainText));
}

// A text near 64000 characters seals into a block longer than 64000 characters; its sender
// and recipient can open it, after the question, in the plain and the hidden form.
TEST_F(HtmlTransformTest, BlockLongerThan64000CharactersOpens) {
    const std::string plain = IncompressibleText(kMaxStoredBody - 2000, 3);
    for (bool hidden : {false, true}) {
        SCOPED_TRACE(hidden ? "hidden" : "plain");
        const std::string block = Seal(plain, 0);
        ASSERT_GT(block.size(), kMaxPlainText);
        ShapeWithHtml(Page::MailView, hidden ? "<FONT>:-)</FONT><!--" + block + "-->" : block);
        page_.puts.clear();
        sink_.shown.clear();
        ProbeAndDecrypt();
        ASSERT_EQ(page_.puts.size(), 1u);
        EXPECT_EQ(Ansi(page_.puts[0].text), plain);
        // The hidden form is cut to 64000 characters in the probe, where only its start
        // counts, so only the decryption asks.
        const std::vector<uint32_t> questions(hidden ? 1 : 2, IDS_SIZE_QUESTION);
        EXPECT_EQ(sink_.Ids(), questions);
    }
}

TEST_F(HtmlTransformTest, DecryptOfMoreThanABufferIsRefused) {
    const std::string block = Seal("Hi", 0);
    ShapeWithText(Page::WebMailForm, block + std::string(kMaxOpenedText, ' '));
    ProbeAndDecrypt();
    EXPECT_EQ(sink_.Ids(),
              (std::vector<uint32_t>{IDS_SIZE_QUESTION, IDS_SIZE_QUESTION, IDS_TEXT_TOO_LONG}));
    EXPECT_TRUE(page_.puts.empty());
}

// ---------------------------------------------------------------------------------------------
// The hidden form

struct StegoCase {
    const char* name;
    std::string ownTemplate;
    int32_t offerTemplateList;
    bool chooserOk;
    std::string chosen;
    std::string cover;  // expected
    int chooserCalls;
};

class HtmlStegoCases : public HtmlTransformTest,
                       public ::testing::WithParamInterface<StegoCase> {};

TEST_P(HtmlStegoCases, HidesTheBlockBehindTheCoverText) {
    const StegoCase& c = GetParam();
    app_->config.ownTemplate = c.ownTemplate;
    app_->config.offerTemplateList = c.offerTemplateList;
    app_->config.addInfoNote = 1;       // never in a hidden message
    app_->config.colourBackground = 1;  // nor a background colour
    chooser_.answerOk = c.chooserOk;
    chooser_.chosen = c.chosen;
    app_->stegoRequested = 1;
    ShapeWithHtml(Page::HtmlCompose, "<FONT>meet at six</FONT>");

    ProbeAndEncrypt();

    EXPECT_TRUE(sink_.shown.empty());
    EXPECT_EQ(chooser_.calls, c.chooserCalls);
    EXPECT_EQ(app_->coverText, c.cover);
    ASSERT_EQ(page_.puts.size(), 1u);
    EXPECT_EQ(page_.puts[0].kind, PutKind::InnerHtml);
    const std::string written = Ansi(page_.puts[0].text);
    const std::string head = c.cover + "<!--" + kBlockMarker;
    EXPECT_EQ(written.substr(0, head.size()), head);
    const std::string tail = std::string(kClosingMarker) + "-->";
    ASSERT_GE(written.size(), tail.size());
    EXPECT_EQ(written.substr(written.size() - tail.size()), tail);
    EXPECT_EQ(OpenFirstBlock(written), "<FONT>meet at six</FONT>");
    EXPECT_EQ(Ansi(page_.innerText), c.cover) << "the reader sees only the cover text";
    EXPECT_TRUE(page_.bgColours.empty());
    EXPECT_EQ(page_.windowEvents, (std::vector<std::string>{"click", "setfocus", "foreground"}));
}

INSTANTIATE_TEST_SUITE_P(
    Table, HtmlStegoCases,
    ::testing::Values(
        StegoCase{"OwnTemplateListOff", ">", 0, true, "unused", ">", 0},
        StegoCase{"EmptyOwnTemplateListOff", "", 0, true, "unused", ":-)", 0},
        StegoCase{"ChooserOk", ">", 1, true, "\xCF\xF0\xE8\xE2\xE5\xF2!", "\xCF\xF0\xE8\xE2\xE5\xF2!",
                  1},
        StegoCase{"ChooserCancelKeepsOwnTemplate", "Hello", 1, false, "unused", "Hello", 1},
        StegoCase{"ChooserCancelWithEmptyOwnTemplate", "", 1, false, "unused", ":-)", 1},
        StegoCase{"ChooserOkWithEmptyText", ">", 1, true, "", ":-)", 1}),
    [](const ::testing::TestParamInfo<StegoCase>& p) { return std::string(p.param.name); });

TEST_F(HtmlTransformTest, HiddenMessageOpensWithAnOrdinaryGesture) {
    app_->config.ownTemplate = "\xCF\xF0\xE8\xE2\xE5\xF2!";  // "Привет!"
    app_->config.offerTemplateList = 0;
    app_->stegoRequested = 1;
    ShapeWithHtml(Page::HtmlCompose, "<FONT>\xF1\xE5\xEA\xF0\xE5\xF2</FONT>");
    ProbeAndEncrypt();
    ASSERT_EQ(page_.puts.size(), 1u);

    // The recipient's read-only view, without the modifier key.
    const std::u16string received = page_.innerHtml;
    Shape(Page::MailView);
    page_.SetBodyHtml(received);
    page_.puts.clear();
    page_.windowEvents.clear();
    app_->stegoRequested = 0;
    ProbeAndDecrypt();

    EXPECT_TRUE(sink_.shown.empty());
    ASSERT_EQ(page_.puts.size(), 1u);
    EXPECT_EQ(page_.puts[0].kind, PutKind::InnerHtml);
    EXPECT_EQ(page_.innerHtml, u"<FONT>секрет</FONT>") << "the cover text is gone";
    EXPECT_EQ(page_.bgColours, std::vector<std::u16string>{u"white"});
    EXPECT_TRUE(page_.windowEvents.empty());
}

// The check runs in every mode, with the traits of the last probe.
TEST_F(HtmlTransformTest, HiddenFormOnlyInHtmlMail) {
    struct Case {
        const char* why;
        Page page;
        std::string html;
        TransformMode stegoFrom;  // stegoRequested is set from this mode on
    } cases[] = {
        {"plain-text mail compose", Page::PlainCompose, "Hello", TransformMode::Probe},
        {"web-mail form", Page::WebMailForm, "Hello", TransformMode::Probe},
        {"set after the probe", Page::PlainCompose, "Hello", TransformMode::Encrypt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ShapeWithHtml(c.page, c.html);
        page_.puts.clear();
        sink_.shown.clear();
        app_->stegoRequested = c.stegoFrom == TransformMode::Probe;
        EXPECT_EQ(Run(TransformMode::Probe), c.stegoFrom == TransformMode::Probe
                                                 ? ProbeResult::NothingToDo
                                                 : ProbeResult::PlainText);
        app_->stegoRequested = 1;
        EXPECT_EQ(Run(TransformMode::Encrypt), ProbeResult::NothingToDo);
        EXPECT_EQ(sink_.Ids(), c.stegoFrom == TransformMode::Probe
                                   ? (std::vector<uint32_t>{IDS_NOT_HTML, IDS_NOT_HTML})
                                   : std::vector<uint32_t>{IDS_NOT_HTML});
        EXPECT_EQ(sink_.shown.back().style, uint32_t(kStyleInformation));
        EXPECT_TRUE(page_.puts.empty());
        EXPECT_TRUE(page_.windowEvents.empty());
        EXPECT_EQ(chooser_.calls, 0);
    }
}

}  // namespace
}  // namespace velkaro
