// The HTML adapters against the COM fake of a browser document: HtmlDocumentAccess with the
// real ObjectFromLresult of OLEACC.DLL, BrowserWindow, ComHtmlDocument and ComHtmlElement,
// with the fake's window in this process and in another one (where every call crosses the
// process boundary through the type-library marshaller). What is read and written keeps
// Cyrillic and characters outside CP1251 intact; strings the document refuses, windows that
// give no document, the message registered once, and every reference released.

#include <gtest/gtest.h>

#include <windows.h>
#include <mshtml.h>

#include <memory>
#include <string>
#include <vector>

#include "browser_window.h"
#include "com.h"
#include "com_html_document.h"
#include "fake_html_document.h"
#include "fake_html_document_com.h"
#include "handles.h"
#include "html_document_access.h"
#include "html_page_client.h"
#include "html_server_window.h"
#include "oleacc_library.h"
#include "target_host.h"
#include "wait_until.h"

namespace velkaro {
namespace {

const std::u16string kUrl = u"http://\u043f\u043e\u0447\u0442\u0430.example/\u65e5\u672c";
// Cyrillic, a character outside CP1251 and one outside the Basic Multilingual Plane.
const std::u16string kBody = u"<FONT>\u041f\u0440\u0438\u0432\u0435\u0442 \u65e5\u672c \U0001F600</FONT>";
const std::u16string kNewHtml = u"<B>\u0401\u0436 \u2603 \U0001F601</B>";
const std::u16string kNewText = u"\u0422\u0435\u043a\u0441\u0442\r\n\u2603 <&>";

void ShapePage(FakeHtmlPage& page) {
    page.url = kUrl;
    page.designMode = u"On";
    page.tag = u"BODY";
    page.SetBodyHtml(kBody);
}

// The document's answers as the transform reads them.
struct Reading {
    bool url = false, designMode = false, element = false;
    bool outer = false, inner = false, text = false;
    std::u16string urlValue = u"(unset)", modeValue = u"(unset)";
    std::u16string outerValue = u"(unset)", innerValue = u"(unset)", textValue = u"(unset)";
};

Reading Read(HtmlDocument& document) {
    Reading r;
    r.url = document.GetUrl(r.urlValue);
    r.designMode = document.GetDesignMode(r.modeValue);
    std::unique_ptr<HtmlElement> element = document.GetActiveElement();
    r.element = element != nullptr;
    if (element) {
        r.outer = element->GetOuterHtml(r.outerValue);
        r.inner = element->GetInnerHtml(r.innerValue);
        r.text = element->GetInnerText(r.textValue);
    }
    return r;
}

void ExpectFullReading(const Reading& r, const FakeHtmlPage& page) {
    EXPECT_TRUE(r.url);
    EXPECT_TRUE(r.urlValue == kUrl);
    EXPECT_TRUE(r.designMode);
    EXPECT_TRUE(r.modeValue == u"On");
    ASSERT_TRUE(r.element);
    EXPECT_TRUE(r.outer && r.outerValue == page.OuterHtml());
    EXPECT_TRUE(r.inner && r.innerValue == kBody);
    EXPECT_TRUE(r.text && r.textValue == FakeTextOfHtml(kBody));
}

// Writes through the adapters, then what the page must show.
void WriteThrough(HtmlDocument& document) {
    std::unique_ptr<HtmlElement> element = document.GetActiveElement();
    ASSERT_TRUE(element);
    element->PutInnerHtml(kNewHtml);
    element->PutInnerText(kNewText);
    element->PutInnerText(u"");
    document.PutBgColor(u"cornsilk");
    document.PutBgColor(u"white");
}

void ExpectWritten(const FakeHtmlPage& page) {
    using PutKind = FakeHtmlPage::PutKind;
    ASSERT_EQ(page.puts.size(), 3u);
    EXPECT_EQ(page.puts[0].kind, PutKind::InnerHtml);
    EXPECT_TRUE(page.puts[0].text == kNewHtml);
    EXPECT_EQ(page.puts[1].kind, PutKind::InnerText);
    EXPECT_TRUE(page.puts[1].text == kNewText);
    EXPECT_EQ(page.puts[2].kind, PutKind::InnerText);
    EXPECT_TRUE(page.puts[2].text.empty());
    EXPECT_TRUE(page.bgColours == (std::vector<std::u16string>{u"cornsilk", u"white"}));
}

class HtmlAdaptersTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(apartment_.ok());
        ASSERT_NE(oleacc_.ObjectFromLresult(), nullptr) << "OLEACC.DLL with ObjectFromLresult";
    }
    ui::ComApartment apartment_;
    OleaccLibrary oleacc_;
};

// ---------------------------------------------------------------------------------------------
// The browser control's window in this process

class HtmlInProcessTest : public HtmlAdaptersTest {
protected:
    void SetUp() override {
        HtmlAdaptersTest::SetUp();
        ShapePage(page_);
        ASSERT_TRUE(server_.ok());
    }
    FakeHtmlPage page_;
    HtmlServerWindow server_{page_};
};

TEST_F(HtmlInProcessTest, ReadsTheDocumentAndItsActiveElement) {
    HtmlDocumentAccess access(oleacc_.ObjectFromLresult());
    BrowserWindow window(server_.hwnd(), access);
    {
        std::unique_ptr<HtmlDocument> document = window.GetHtmlDocument();
        ASSERT_TRUE(document);
        ExpectFullReading(Read(*document), page_);
        EXPECT_GT(page_.liveObjects, 0);
    }
    EXPECT_EQ(page_.liveObjects, 0) << "a reference was not released";
    EXPECT_EQ(page_.documentsObtained, 1);
}

TEST_F(HtmlInProcessTest, WritesKeepEveryCharacter) {
    HtmlDocumentAccess access(oleacc_.ObjectFromLresult());
    {
        BrowserWindow window(server_.hwnd(), access);
        std::unique_ptr<HtmlDocument> document = window.GetHtmlDocument();
        ASSERT_TRUE(document);
        WriteThrough(*document);
    }
    ExpectWritten(page_);
    EXPECT_EQ(page_.liveObjects, 0);
}

// A string the document does not give answers false and leaves the caller's string alone,
// whether the call fails or succeeds with a null BSTR.
class HtmlRefusalCases : public HtmlInProcessTest,
                         public ::testing::WithParamInterface<FakeRefusal> {};

TEST_P(HtmlRefusalCases, RefusedStringsAnswerFalse) {
    server_.SetRefusal(GetParam());
    page_.givesUrl = false;
    page_.givesDesignMode = false;
    page_.elementGivesStrings = false;
    HtmlDocumentAccess access(oleacc_.ObjectFromLresult());
    {
        BrowserWindow window(server_.hwnd(), access);
        std::unique_ptr<HtmlDocument> document = window.GetHtmlDocument();
        ASSERT_TRUE(document);
        const Reading r = Read(*document);
        EXPECT_FALSE(r.url);
        EXPECT_TRUE(r.urlValue == u"(unset)");
        EXPECT_FALSE(r.designMode);
        EXPECT_TRUE(r.modeValue == u"(unset)");
        ASSERT_TRUE(r.element);
        EXPECT_FALSE(r.outer || r.inner || r.text);
        EXPECT_TRUE(r.outerValue == u"(unset)" && r.innerValue == u"(unset)" &&
                    r.textValue == u"(unset)");
    }
    EXPECT_EQ(page_.liveObjects, 0);
}

INSTANTIATE_TEST_SUITE_P(Both, HtmlRefusalCases,
                         ::testing::Values(FakeRefusal::FailedCall, FakeRefusal::NullString),
                         [](const ::testing::TestParamInfo<FakeRefusal>& p) {
                             return p.param == FakeRefusal::FailedCall ? "FailedCall" : "NullString";
                         });

TEST_F(HtmlInProcessTest, NoActiveElementGivesNone) {
    page_.hasElement = false;
    HtmlDocumentAccess access(oleacc_.ObjectFromLresult());
    {
        BrowserWindow window(server_.hwnd(), access);
        std::unique_ptr<HtmlDocument> document = window.GetHtmlDocument();
        ASSERT_TRUE(document);
        EXPECT_EQ(document->GetActiveElement(), nullptr);
    }
    EXPECT_EQ(page_.liveObjects, 0);
}

// The cases in which a window gives no document; none of them leaves a reference behind.
TEST_F(HtmlInProcessTest, WindowsThatGiveNoDocument) {
    HtmlDocumentAccess access(oleacc_.ObjectFromLresult());
    ui::UniqueWindow plain(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr,
                                           nullptr, nullptr));
    ASSERT_TRUE(plain);
    EXPECT_FALSE(access.GetHtmlDocument(plain.get())) << "a window that does not answer";

    HWND gone = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    EXPECT_FALSE(access.GetHtmlDocument(gone)) << "a destroyed window";
    EXPECT_FALSE(access.GetHtmlDocument(nullptr)) << "no window";

    page_.hasDocument = false;
    EXPECT_FALSE(access.GetHtmlDocument(server_.hwnd())) << "a control without document";
    BrowserWindow window(server_.hwnd(), access);
    EXPECT_EQ(window.GetHtmlDocument(), nullptr);
    EXPECT_EQ(page_.documentsObtained, 0);
    EXPECT_EQ(page_.liveObjects, 0);
}

TEST_F(HtmlInProcessTest, WithoutObjectFromLresultNoDocumentIsAskedFor) {
    RegisterMessageCalls() = 0;
    HtmlDocumentAccess access(nullptr, CountingRegisterMessage);
    EXPECT_FALSE(access.GetHtmlDocument(server_.hwnd()));
    BrowserWindow window(server_.hwnd(), access);
    EXPECT_EQ(window.GetHtmlDocument(), nullptr);
    EXPECT_EQ(page_.documentsObtained, 0) << "the window was not even asked";
    EXPECT_EQ(page_.liveObjects, 0);
}

TEST_F(HtmlInProcessTest, TheMessageIsRegisteredOncePerRun) {
    FakeHtmlPage otherPage;
    HtmlServerWindow other(otherPage);
    RegisterMessageCalls() = 0;
    HtmlDocumentAccess access(oleacc_.ObjectFromLresult(), CountingRegisterMessage);
    std::vector<ui::ComPtr<IHTMLDocument2>> held;
    for (int i = 0; i < 4; ++i) {
        held.push_back(access.GetHtmlDocument(server_.hwnd()));
        held.push_back(access.GetHtmlDocument(other.hwnd()));
    }
    for (const auto& document : held) EXPECT_TRUE(document);
    EXPECT_EQ(RegisterMessageCalls(), 1);
    EXPECT_EQ(access.RegisteredMessage(), RegisterWindowMessageA("WM_HTML_GETOBJECT"));
    EXPECT_EQ(access.RegisteredMessage(), HtmlServerWindow::GetObjectMessage());
    EXPECT_EQ(RegisterMessageCalls(), 1);
    EXPECT_EQ(page_.documentsObtained, 4);
    EXPECT_EQ(otherPage.documentsObtained, 4);
    held.clear();
    EXPECT_EQ(page_.liveObjects, 0);
    EXPECT_EQ(otherPage.liveObjects, 0);
}

TEST_F(HtmlInProcessTest, TheFakeAnswersForItsInterfacesOnly) {
    HtmlDocumentAccess access(oleacc_.ObjectFromLresult());
    {
        ui::ComPtr<IHTMLDocument2> document = access.GetHtmlDocument(server_.hwnd());
        ASSERT_TRUE(document);
        ui::ComPtr<IHTMLDocument> base;
        EXPECT_EQ(document->QueryInterface(IID_IHTMLDocument, base.put_void()), S_OK);
        ui::ComPtr<IDispatch> dispatch;
        ASSERT_EQ(document->QueryInterface(IID_IDispatch, dispatch.put_void()), S_OK);
        UINT count = 7;
        EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
        EXPECT_EQ(count, 0u);
        ui::ComPtr<IHTMLElement> wrong;
        EXPECT_EQ(document->QueryInterface(IID_IHTMLElement, wrong.put_void()), E_NOINTERFACE);
        EXPECT_FALSE(wrong);
        ui::ComPtr<IHTMLElementCollection> all;
        EXPECT_EQ(document->get_all(all.put()), E_NOTIMPL);
    }
    EXPECT_EQ(page_.liveObjects, 0);
}

TEST_F(HtmlInProcessTest, BrowserWindowPostsClickAndFocus) {
    HtmlDocumentAccess access(oleacc_.ObjectFromLresult());
    BrowserWindow window(server_.hwnd(), access);
    window.PostClick();
    window.PostSetFocus();
    EXPECT_TRUE(WaitUntil([&] { return page_.windowEvents.size() >= 2; }));
    EXPECT_EQ(page_.windowEvents, (std::vector<std::string>{"click", "setfocus"}));
}

TEST_F(HtmlInProcessTest, BrowserWindowBringsItsWindowToTheForeground) {
    ui::UniqueWindow other(CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50,
                                           50, nullptr, nullptr, nullptr, nullptr));
    SetForegroundWindow(other.get());
    ShowWindow(server_.hwnd(), SW_SHOW);
    HtmlDocumentAccess access(oleacc_.ObjectFromLresult());
    BrowserWindow window(server_.hwnd(), access);
    window.BringToForeground();
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == server_.hwnd(); }));
}

// ---------------------------------------------------------------------------------------------
// The browser control's window in another process

class HtmlOtherProcessTest : public HtmlAdaptersTest {
protected:
    void SetUp() override {
        HtmlAdaptersTest::SetUp();
        ASSERT_TRUE(host_.ok());
        server_ = host_.Child(HtmlServerWindow::kClassName);
        ASSERT_NE(server_, nullptr);
        FakeHtmlPage page;
        ShapePage(page);
        ASSERT_TRUE(client_.Put(page));
    }
    void TearDown() override { EXPECT_EQ(host_.Finish(), DWORD(kHostOk)) << "references left"; }

    // The host's page once the condition holds for it (or as it is at the time-out).
    template <typename Condition>
    FakeHtmlPage PageWhen(Condition condition) {
        FakeHtmlPage page;
        WaitUntil([&] { return client_.Get(page) && condition(page); });
        return page;
    }
    FakeHtmlPage Page() {
        FakeHtmlPage page;
        EXPECT_TRUE(client_.Get(page));
        return page;
    }

    TargetHost host_{L"html"};
    HWND server_ = nullptr;
    HtmlPageClient client_{host_.Child(HtmlServerWindow::kClassName)};
};

TEST_F(HtmlOtherProcessTest, ReadsAndWritesAcrossTheProcessBoundary) {
    HtmlDocumentAccess access(oleacc_.ObjectFromLresult());
    {
        BrowserWindow window(server_, access);
        std::unique_ptr<HtmlDocument> document = window.GetHtmlDocument();
        ASSERT_TRUE(document);
        ExpectFullReading(Read(*document), Page());
        WriteThrough(*document);
        EXPECT_GT(Page().liveObjects, 0);
    }
    const FakeHtmlPage page = PageWhen([](const FakeHtmlPage& p) { return p.liveObjects == 0; });
    ExpectWritten(page);
    EXPECT_EQ(page.liveObjects, 0) << "a reference was not released";
    EXPECT_EQ(page.documentsObtained, 1);
}

TEST_F(HtmlOtherProcessTest, RefusedStringsAnswerFalse) {
    FakeHtmlPage page = Page();
    page.givesUrl = false;
    page.elementGivesStrings = false;
    ASSERT_TRUE(client_.Put(page));
    HtmlDocumentAccess access(oleacc_.ObjectFromLresult());
    {
        ui::ComPtr<IHTMLDocument2> raw = access.GetHtmlDocument(server_);
        ASSERT_TRUE(raw);
        ComHtmlDocument document(std::move(raw));
        const Reading r = Read(document);
        EXPECT_FALSE(r.url);
        EXPECT_TRUE(r.designMode);
        ASSERT_TRUE(r.element);
        EXPECT_FALSE(r.outer || r.inner || r.text);
    }
    EXPECT_EQ(PageWhen([](const FakeHtmlPage& p) { return p.liveObjects == 0; }).liveObjects, 0);
}

TEST_F(HtmlOtherProcessTest, TheProxyAnswersForTheFakesInterfaces) {
    HtmlDocumentAccess access(oleacc_.ObjectFromLresult());
    {
        ui::ComPtr<IHTMLDocument2> document = access.GetHtmlDocument(server_);
        ASSERT_TRUE(document);
        ui::ComPtr<IDispatch> dispatch;
        ASSERT_EQ(document->QueryInterface(IID_IDispatch, dispatch.put_void()), S_OK);
        UINT count = 7;
        EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
        EXPECT_EQ(count, 0u);
        ui::ComPtr<IHTMLElement> wrong;
        EXPECT_NE(document->QueryInterface(IID_IHTMLElement, wrong.put_void()), S_OK);
        ui::Bstr title;
        EXPECT_EQ(document->get_title(title.put()), E_NOTIMPL) << "other calls cross and fail";
    }
    EXPECT_EQ(PageWhen([](const FakeHtmlPage& p) { return p.liveObjects == 0; }).liveObjects, 0);
}

TEST_F(HtmlOtherProcessTest, ClickAndFocusArriveInOrder) {
    HtmlDocumentAccess access(oleacc_.ObjectFromLresult());
    BrowserWindow window(server_, access);
    window.PostClick();
    window.PostSetFocus();
    const FakeHtmlPage page = PageWhen([](const FakeHtmlPage& p) { return p.windowEvents.size() >= 2; });
    EXPECT_EQ(page.windowEvents, (std::vector<std::string>{"click", "setfocus"}));
}

TEST_F(HtmlOtherProcessTest, NoDocumentAndNoFunctionGiveNone) {
    FakeHtmlPage page = Page();
    page.hasDocument = false;
    ASSERT_TRUE(client_.Put(page));
    HtmlDocumentAccess access(oleacc_.ObjectFromLresult());
    EXPECT_FALSE(access.GetHtmlDocument(server_));
    page.hasDocument = true;
    ASSERT_TRUE(client_.Put(page));
    HtmlDocumentAccess without(nullptr);
    EXPECT_FALSE(without.GetHtmlDocument(server_));
    EXPECT_EQ(Page().documentsObtained, 0);
}

// The host's thread stops answering: the request is given up after its time-out.
TEST_F(HtmlOtherProcessTest, AHungWindowGivesNoDocument) {
    HtmlDocumentAccess access(oleacc_.ObjectFromLresult());
    ASSERT_TRUE(host_.Hang());
    EXPECT_FALSE(access.GetHtmlDocument(server_));
    host_.Release();
    EXPECT_TRUE(WaitUntil([&] { return bool(access.GetHtmlDocument(server_)); }))
        << "the window answers again";
    EXPECT_EQ(PageWhen([](const FakeHtmlPage& p) { return p.liveObjects == 0; }).liveObjects, 0);
}

}  // namespace
}  // namespace velkaro
