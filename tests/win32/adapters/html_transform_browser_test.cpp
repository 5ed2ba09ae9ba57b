// The portable HtmlTransform end to end over the Win32 adapters: a BrowserWindow on the fake
// browser control of another process, HtmlDocumentAccess with OLEACC's ObjectFromLresult and
// the system's ANSI codec. A probe, an encryption and a decryption of a mail body, as the
// main window runs them, leave the document as it was, with the background and click of an
// encryption, and no reference behind.

#include "html_transform.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app_state.h"
#include "browser_window.h"
#include "com.h"
#include "fake_app_platform.h"
#include "fake_html_document.h"
#include "html_document_access.h"
#include "html_page_client.h"
#include "html_server_window.h"
#include "message_cipher.h"
#include "oleacc_library.h"
#include "password_key.h"
#include "recording_sink.h"
#include "request_context.h"
#include "system_ansi_codec.h"
#include "target_host.h"
#include "temp_dir.h"
#include "text_limits.h"
#include "wait_until.h"

namespace velkaro {
namespace {

using PutKind = FakeHtmlPage::PutKind;

class HtmlTransformBrowserTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(apartment_.ok());
        ASSERT_TRUE(host_.ok());
        ASSERT_NE(oleacc_.ObjectFromLresult(), nullptr);
        app_->htmlAccessAvailable = 1;
        app_->config.colourBackground = 1;
        app_->config.addInfoNote = 0;
        char password[64] = "correct horse";
        ASSERT_TRUE(DeriveKey(password, app_->currentKey, app_->keyPresent, sink_));
        sink_.shown.clear();
    }
    void TearDown() override { EXPECT_EQ(host_.Finish(), DWORD(kHostOk)) << "references left"; }

    // One call as the main window makes it; the host's objects are all released after it.
    ProbeResult Run(TransformMode mode) {
        const ProbeResult result = transform_.TransformHtmlDocument(&window_, mode);
        EXPECT_EQ(PageWhen([](const FakeHtmlPage& p) { return p.liveObjects == 0; }).liveObjects, 0)
            << "an object of the document was not released (mode " << int(mode) << ")";
        return result;
    }

    template <typename Condition>
    FakeHtmlPage PageWhen(Condition condition) {
        FakeHtmlPage page;
        WaitUntil([&] { return client_.Get(page) && condition(page); });
        return page;
    }

    std::string Ansi(const std::u16string& text) const { return codec_.ToAnsi(text); }

    ui::ComApartment apartment_;
    OleaccLibrary oleacc_;
    TargetHost host_{L"html"};
    HWND server_ = host_.Child(HtmlServerWindow::kClassName);
    HtmlPageClient client_{server_};

    TempDir dir_;
    FakeAppPlatform platform_{dir_.File("velkaro.exe")};
    std::unique_ptr<AppState> app_ = std::make_unique<AppState>(platform_);
    RequestContext request_;
    RecordingSink sink_;
    SystemAnsiCodec codec_;
    ScriptedCoverChooser chooser_;
    MessageCipher cipher_{sink_, app_->currentKey, app_->senderTag,
                          reinterpret_cast<uint8_t*>(app_->scratchBuffer)};
    HtmlTransform transform_{*app_, request_, cipher_, sink_, codec_, chooser_};
    HtmlDocumentAccess access_{oleacc_.ObjectFromLresult()};
    BrowserWindow window_{server_, access_};
};

// A mail client's HTML editor (design mode, "</FONT>" in the body): the inner HTML is sealed
// and written back as HTML with the note's HTML form, the background turns "cornsilk" and the
// click is posted; opening it again restores the body exactly.
TEST_F(HtmlTransformBrowserTest, HtmlMailIsSealedAndOpenedInPlace) {
    const std::u16string body = u"<FONT color=red>\u041f\u0440\u0438\u0432\u0435\u0442, \u043c\u0438\u0440! \u20ac \u2116</FONT><BR>\u0401";
    FakeHtmlPage page;
    page.url = u"outbind://12-00000000/";
    page.designMode = u"On";
    page.SetBodyHtml(body);
    ASSERT_TRUE(client_.Put(page));
    app_->config.addInfoNote = 1;
    app_->infoNoteHtml = "\xc7\xe0\xec\xe5\xf2\xea\xe0<br>" + std::string(50, '_') + "<br>";

    ASSERT_EQ(Run(TransformMode::Probe), ProbeResult::PlainText);
    EXPECT_EQ(cipher_.htmlMode, 1);
    EXPECT_EQ(Run(TransformMode::Encrypt), ProbeResult::NothingToDo);
    page = PageWhen([](const FakeHtmlPage& p) { return !p.windowEvents.empty(); });
    ASSERT_EQ(page.puts.size(), 1u);
    EXPECT_EQ(page.puts[0].kind, PutKind::InnerHtml);
    const std::string sealed = Ansi(page.puts[0].text);
    EXPECT_EQ(sealed.substr(0, app_->infoNoteHtml.size() + kBlockMarkerLength),
              app_->infoNoteHtml + kBlockMarker);
    EXPECT_EQ(sealed.substr(sealed.size() - kClosingMarkerLength), kClosingMarker);
    EXPECT_EQ(page.bgColours, std::vector<std::u16string>{u"cornsilk"});
    EXPECT_EQ(page.windowEvents, std::vector<std::string>{"click"});

    ASSERT_EQ(Run(TransformMode::Probe), ProbeResult::BlockFound);
    EXPECT_EQ(Run(TransformMode::Decrypt), ProbeResult::NothingToDo);
    page = PageWhen([](const FakeHtmlPage& p) { return p.puts.size() >= 2; });
    ASSERT_EQ(page.puts.size(), 2u);
    EXPECT_EQ(page.puts[1].kind, PutKind::InnerHtml);
    EXPECT_TRUE(page.puts[1].text == body) << Ansi(page.puts[1].text);
    EXPECT_TRUE(page.innerHtml == body);
    // A compose window's URL ("OUTBI") counts as a mail view: decryption whitens it.
    EXPECT_EQ(page.bgColours, (std::vector<std::u16string>{u"cornsilk", u"white"}));
    EXPECT_EQ(page.documentsObtained, 4);
    EXPECT_TRUE(sink_.shown.empty());
}

// A web-mail TEXTAREA: its text is sealed and written back as text, the page keeps its
// colour. A character that CP1251 lacks passes the ANSI buffers as "?".
TEST_F(HtmlTransformBrowserTest, WebMailTextIsSealedAndOpenedAsText) {
    const std::u16string text = u"\u0421\u044a\u0435\u0448\u044c \u0436\u0435 \u0435\u0449\u0451\r\n<b> & \u65e5";
    FakeHtmlPage page;
    page.url = u"http://mail.example.com/compose";
    page.designMode = u"Inherit";
    page.tag = u"TEXTAREA";
    page.SetBodyText(text);
    ASSERT_TRUE(client_.Put(page));

    ASSERT_EQ(Run(TransformMode::Probe), ProbeResult::PlainText);
    EXPECT_EQ(Run(TransformMode::Encrypt), ProbeResult::NothingToDo);
    page = PageWhen([](const FakeHtmlPage& p) { return !p.windowEvents.empty(); });
    ASSERT_EQ(page.puts.size(), 1u);
    EXPECT_EQ(page.puts[0].kind, PutKind::InnerText);
    EXPECT_EQ(Ansi(page.puts[0].text).substr(0, kBlockMarkerLength), kBlockMarker);
    EXPECT_TRUE(page.bgColours.empty()) << "a web page keeps its colour";

    ASSERT_EQ(Run(TransformMode::Probe), ProbeResult::BlockFound);
    EXPECT_EQ(Run(TransformMode::Decrypt), ProbeResult::NothingToDo);
    page = PageWhen([](const FakeHtmlPage& p) { return p.puts.size() >= 2; });
    ASSERT_EQ(page.puts.size(), 2u);
    EXPECT_EQ(page.puts[1].kind, PutKind::InnerText);
    std::u16string expected = text;
    expected.back() = u'?';
    EXPECT_TRUE(page.puts[1].text == expected) << Ansi(page.puts[1].text);
    EXPECT_TRUE(page.bgColours.empty());
    EXPECT_TRUE(sink_.shown.empty());
}

// A browser control that gives no document: every mode does nothing, silently.
TEST_F(HtmlTransformBrowserTest, NoDocumentDoesNothing) {
    FakeHtmlPage page;
    page.hasDocument = false;
    ASSERT_TRUE(client_.Put(page));
    for (TransformMode mode : {TransformMode::Probe, TransformMode::Encrypt, TransformMode::Decrypt}) {
        EXPECT_EQ(Run(mode), ProbeResult::NothingToDo);
    }
    page = PageWhen([](const FakeHtmlPage&) { return true; });
    EXPECT_TRUE(page.puts.empty());
    EXPECT_TRUE(page.windowEvents.empty());
    EXPECT_TRUE(sink_.shown.empty());
}

}  // namespace
}  // namespace velkaro
