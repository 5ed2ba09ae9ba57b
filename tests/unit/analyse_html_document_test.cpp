// The classification of a browser control's document: which URLs are mail windows, which
// element HTML marks HTML mail, a TEXTAREA, a frameset, a hidden block or a marker in the
// first table cell.

#include <gtest/gtest.h>

#include <string>

#include "cp1251_codec.h"
#include "fake_html_document.h"
#include "html_transform.h"

namespace velkaro {
namespace {

// The eight flags in declaration order as digits, e.g. "10010000" for a web page whose
// active element is a TEXTAREA.
std::string FlagsOf(const DocumentTraits& t) {
    std::string flags;
    for (int32_t flag : {t.isWebPage, t.hasFrameset, t.isMailView, t.activeIsTextArea,
                         t.cellMarker, t.nothingUsable, t.hasHiddenBlock, t.isHtmlMail}) {
        flags.push_back(flag != 0 ? '1' : '0');
    }
    return flags;
}

constexpr char16_t kWebUrl[] = u"http://mail.example.com/compose";
constexpr char16_t kMailViewUrl[] = u"mhtml:mid://00000042/";

struct AnalyseCase {
    const char* name;
    std::u16string url;
    std::u16string tag;        // of the active element
    std::u16string innerHtml;  // outer HTML is <tag> + inner + </tag>
    int answer;                // 1 only for HTML mail in a mail view
    const char* flags;         // web frame mail area cell nothing hidden html
};

class AnalyseHtmlDocumentCases : public ::testing::TestWithParam<AnalyseCase> {};

TEST_P(AnalyseHtmlDocumentCases, ClassifiesTheDocument) {
    const AnalyseCase& c = GetParam();
    FakeHtmlPage page;
    page.url = c.url;
    page.tag = c.tag;
    page.SetBodyHtml(c.innerHtml);
    Cp1251Codec codec;
    FakeHtmlDocument document(page);
    DocumentTraits traits;
    traits.cellMarker = traits.hasFrameset = 1;  // stale values of an earlier probe

    EXPECT_EQ(AnalyseHtmlDocument(document, traits, codec), c.answer);
    EXPECT_EQ(FlagsOf(traits), c.flags);
    EXPECT_EQ(page.liveObjects, 1) << "the active element is released, the document is not ours";
}

// The inner HTML of an element with the tag "X" that puts "TEXTAREA" at `index` of the
// outer HTML ("<X>" comes first). The element's own tag reaches up to index 19.
std::u16string TextAreaAt(size_t index) {
    return std::u16string(index - 3, u'x') + u"TEXTAREA";
}

INSTANTIATE_TEST_SUITE_P(
    Table, AnalyseHtmlDocumentCases,
    ::testing::Values(
        // Mail windows are known by the first five letters of their URL, in any case.
        AnalyseCase{"MhtmlUrlIsMailView", kMailViewUrl, u"BODY", u"hello", 0, "00100000"},
        AnalyseCase{"OutlookUrlIsMailView", u"OUTBIND://12-0000/", u"BODY", u"hello", 0,
                    "00100000"},
        AnalyseCase{"ShortUrlIsWebPage", u"mhtm", u"TEXTAREA", u"hello", 0, "10010000"},
        AnalyseCase{"EmptyUrlIsWebPage", u"", u"TEXTAREA", u"hello", 0, "10010000"},
        // Mail views: HTML mail by "</FONT>" or "CORNSILK" in the body, any case.
        AnalyseCase{"MailViewFontEndIsHtmlMail", kMailViewUrl, u"BODY",
                    u"<font color=red>hi</font>", 1, "00100001"},
        AnalyseCase{"MailViewCornsilkIsHtmlMail", kMailViewUrl, u"BODY",
                    u"<div style=\"background:Cornsilk\">hi</div>", 1, "00100001"},
        AnalyseCase{"MailViewFontStartAloneIsPlain", kMailViewUrl, u"BODY", u"<FONT>hi", 0,
                    "00100000"},
        AnalyseCase{"MailViewHiddenBlockIsHtmlMail", kMailViewUrl, u"BODY",
                    u">x<!--[!dgt_encry]abc[/!dgt_encry]-->", 1, "00100011"},
        AnalyseCase{"MailViewBrokenHiddenTagIsPlain", kMailViewUrl, u"BODY",
                    u"<!-- [!dgt_encry]abc", 0, "00100000"},
        AnalyseCase{"MailViewEmptyBodyIsNothing", kMailViewUrl, u"BODY", u"", 0, "00100100"},
        AnalyseCase{"MailViewIgnoresFrames", kMailViewUrl, u"BODY", u"<FRAME src=x>", 0,
                    "00100000"},
        // Web pages: the active element's outer HTML.
        AnalyseCase{"WebPageTextArea", kWebUrl, u"TEXTAREA", u"hello", 0, "10010000"},
        AnalyseCase{"WebPageTextAreaHoldingFrame", kWebUrl, u"TEXTAREA", u"&lt;frame&gt;", 0,
                    "10010000"},
        AnalyseCase{"WebPageTextAreaHoldingFrameTag", kWebUrl, u"TEXTAREA", u"<FRAME>", 0,
                    "11010000"},
        AnalyseCase{"WebPageTextAreaAtIndex19", kWebUrl, u"X", TextAreaAt(19), 0, "10010000"},
        AnalyseCase{"WebPageTextAreaAtIndex20IsInside", kWebUrl, u"X", TextAreaAt(20), 0,
                    "10000100"},
        AnalyseCase{"WebPageWithoutTextAreaIsNothing", kWebUrl, u"DIV", u"<P>Hello</P>", 0,
                    "10000100"},
        AnalyseCase{"WebPageFontIsNotHtmlMail", kWebUrl, u"DIV", u"<FONT>a</FONT>", 0,
                    "10000100"},
        AnalyseCase{"WebPageHiddenBlockIsUsable", kWebUrl, u"DIV",
                    u"a<!--[!dgt_encry]abc-->", 0, "10000010"},
        AnalyseCase{"FramesetWithoutBlockIsNothing", kWebUrl, u"FRAMESET", u"<FRAME src=a>", 0,
                    "11000100"},
        AnalyseCase{"FramesetWithHiddenBlock", kWebUrl, u"FRAMESET",
                    u"<FRAME src=a><!--[!dgt_encry]abc-->", 0, "11000010"},
        // The plain marker in the first table cell keeps the page usable.
        AnalyseCase{"MarkerInFirstCell", kWebUrl, u"TABLE",
                    u"<TR><TD>[!dgt_encry]abc</TD><TD>b</TD></TR>", 0, "10001000"},
        AnalyseCase{"MarkerInSecondCell", kWebUrl, u"TABLE",
                    u"<TR><TD>a</TD><TD>[!dgt_encry]abc</TD></TR>", 0, "10000100"},
        AnalyseCase{"MarkerInCellWithTextAreaFurtherOn", kWebUrl, u"TABLE",
                    u"<TR><TD>[!dgt_encry]abc</TD><TD><TEXTAREA></TEXTAREA></TD></TR>", 0,
                    "10000100"},
        AnalyseCase{"MarkerInUnclosedCell", kWebUrl, u"TABLE", u"<TR><TD>[!dgt_encry]abc", 0,
                    "10001000"},
        AnalyseCase{"MarkerWithoutCell", kWebUrl, u"DIV", u"[!dgt_encry]abc", 0, "10000100"}),
    [](const ::testing::TestParamInfo<AnalyseCase>& p) { return std::string(p.param.name); });

TEST(AnalyseHtmlDocument, MailViewReadsInnerHtmlWebPageOuterHtml) {
    Cp1251Codec codec;
    FakeHtmlPage page;
    page.SetBodyHtml(u"plain body");
    page.outerHtmlApart = u"<BODY class=\"</FONT>\"><TEXTAREA>plain body</BODY>";
    FakeHtmlDocument document(page);
    DocumentTraits traits;

    page.url = kMailViewUrl;
    EXPECT_EQ(AnalyseHtmlDocument(document, traits, codec), 0);
    EXPECT_EQ(traits.isHtmlMail, 0) << "the outer HTML's </FONT> is not the body's";

    page.url = kWebUrl;
    AnalyseHtmlDocument(document, traits, codec);
    EXPECT_EQ(traits.activeIsTextArea, 0) << "index 22 lies beyond the element's own tag";
    EXPECT_EQ(traits.nothingUsable, 1);
}

TEST(AnalyseHtmlDocument, NothingToReadIsNothingUsable) {
    struct Case {
        const char* why;
        void (*shape)(FakeHtmlPage&);
    } cases[] = {
        {"no active element", [](FakeHtmlPage& p) { p.hasElement = false; }},
        {"element gives no string", [](FakeHtmlPage& p) { p.elementGivesStrings = false; }},
        {"no URL, empty outer HTML", [](FakeHtmlPage& p) {
             p.givesUrl = false;
             p.outerHtmlApart = u"";
         }},
    };
    Cp1251Codec codec;
    for (const Case& c : cases) {
        FakeHtmlPage page;
        page.url = kMailViewUrl;
        page.SetBodyHtml(u"<FONT>x</FONT>");
        c.shape(page);
        FakeHtmlDocument document(page);
        DocumentTraits traits;
        EXPECT_EQ(AnalyseHtmlDocument(document, traits, codec), 0) << c.why;
        EXPECT_EQ(traits.nothingUsable, 1) << c.why;
        EXPECT_EQ(traits.isHtmlMail, 0) << c.why;
        EXPECT_EQ(page.liveObjects, 1) << c.why;
    }
}

}  // namespace
}  // namespace velkaro
