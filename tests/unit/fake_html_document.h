#pragma once
// A small model of a browser control for the HTML transform's tests: one document (URL,
// design mode, background colours written) with one active element (inner HTML, inner text
// and an outer HTML built from its tag unless set apart), a window that records the clicks,
// focus and foreground requests posted to it, a record of every write to the element, and a
// count of the live document and element objects, which proves that everything the
// transform obtained was released again. Also a cover-text chooser answering from a script.

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "config.h"
#include "cover_text_chooser.h"
#include "html_document.h"

namespace velkaro {

// Inner text of an HTML fragment, roughly as a browser derives it: comments and tags
// vanish, a <BR> becomes a line break, the three basic entities are decoded.
inline std::u16string FakeTextOfHtml(const std::u16string& html) {
    std::u16string text;
    size_t i = 0;
    while (i < html.size()) {
        if (html.compare(i, 4, u"<!--") == 0) {
            const size_t end = html.find(u"-->", i + 4);
            i = end == std::u16string::npos ? html.size() : end + 3;
        } else if (html[i] == u'<') {
            const size_t end = html.find(u'>', i);
            const std::u16string tag = html.substr(i, end == std::u16string::npos ? 0 : end - i + 1);
            if (tag == u"<BR>" || tag == u"<br>") text += u"\r\n";
            i = end == std::u16string::npos ? html.size() : end + 1;
        } else if (html.compare(i, 4, u"&lt;") == 0) {
            text += u'<';
            i += 4;
        } else if (html.compare(i, 4, u"&gt;") == 0) {
            text += u'>';
            i += 4;
        } else if (html.compare(i, 5, u"&amp;") == 0) {
            text += u'&';
            i += 5;
        } else {
            text += html[i++];
        }
    }
    return text;
}

// Inner HTML of a text written as inner text: markup characters escaped, line breaks as
// <BR>, as a browser stores it.
inline std::u16string FakeHtmlOfText(const std::u16string& text) {
    std::u16string html;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c == u'<') {
            html += u"&lt;";
        } else if (c == u'>') {
            html += u"&gt;";
        } else if (c == u'&') {
            html += u"&amp;";
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            html += u"<BR>";
            ++i;
        } else {
            html += c;
        }
    }
    return html;
}

// Everything the fake objects share: the page's content and what was done to it.
struct FakeHtmlPage {
    enum class PutKind { InnerHtml, InnerText };
    struct Put {
        PutKind kind;
        std::u16string text;
    };

    // --- the document
    bool hasDocument = true;  // false: the window gives no document
    bool givesUrl = true;
    std::u16string url = u"about:blank";
    bool givesDesignMode = true;
    std::u16string designMode = u"On";

    // --- the active element
    bool hasElement = true;        // false: the document has no active element
    bool elementGivesStrings = true;  // false: every getter of the element fails
    std::u16string tag = u"BODY";
    std::u16string innerHtml;
    std::u16string innerText;
    std::optional<std::u16string> outerHtmlApart;  // an outer HTML other than tag + inner

    // --- what the transform did
    std::vector<Put> puts;
    std::vector<std::u16string> bgColours;
    std::vector<std::string> windowEvents;  // "click", "setfocus", "foreground" in order
    int liveObjects = 0;                    // documents and elements not yet released
    int documentsObtained = 0;

    void SetBodyHtml(const std::u16string& html) {
        innerHtml = html;
        innerText = FakeTextOfHtml(html);
        outerHtmlApart.reset();
    }
    void SetBodyText(const std::u16string& text) {
        innerText = text;
        innerHtml = FakeHtmlOfText(text);
        outerHtmlApart.reset();
    }
    std::u16string OuterHtml() const {
        if (outerHtmlApart) return *outerHtmlApart;
        return u"<" + tag + u">" + innerHtml + u"</" + tag + u">";
    }
    // The content the transform wrote last (empty when it wrote nothing).
    const Put* LastPut() const { return puts.empty() ? nullptr : &puts.back(); }
};

class FakeHtmlElement : public HtmlElement {
public:
    explicit FakeHtmlElement(FakeHtmlPage& page) : page_(page) { ++page_.liveObjects; }
    ~FakeHtmlElement() override { --page_.liveObjects; }

    bool GetOuterHtml(std::u16string& html) override {
        return Give(page_.OuterHtml(), html);
    }
    bool GetInnerHtml(std::u16string& html) override { return Give(page_.innerHtml, html); }
    bool GetInnerText(std::u16string& text) override { return Give(page_.innerText, text); }
    void PutInnerHtml(const std::u16string& html) override {
        page_.puts.push_back({FakeHtmlPage::PutKind::InnerHtml, html});
        page_.SetBodyHtml(html);
    }
    void PutInnerText(const std::u16string& text) override {
        page_.puts.push_back({FakeHtmlPage::PutKind::InnerText, text});
        page_.SetBodyText(text);
    }

private:
    bool Give(const std::u16string& value, std::u16string& out) const {
        if (!page_.elementGivesStrings) return false;
        out = value;
        return true;
    }
    FakeHtmlPage& page_;
};

class FakeHtmlDocument : public HtmlDocument {
public:
    explicit FakeHtmlDocument(FakeHtmlPage& page) : page_(page) { ++page_.liveObjects; }
    ~FakeHtmlDocument() override { --page_.liveObjects; }

    bool GetUrl(std::u16string& url) override {
        if (!page_.givesUrl) return false;
        url = page_.url;
        return true;
    }
    std::unique_ptr<HtmlElement> GetActiveElement() override {
        if (!page_.hasElement) return nullptr;
        return std::make_unique<FakeHtmlElement>(page_);
    }
    bool GetDesignMode(std::u16string& mode) override {
        if (!page_.givesDesignMode) return false;
        mode = page_.designMode;
        return true;
    }
    void PutBgColor(const std::u16string& colour) override { page_.bgColours.push_back(colour); }

private:
    FakeHtmlPage& page_;
};

class FakeHtmlWindow : public HtmlWindow {
public:
    explicit FakeHtmlWindow(FakeHtmlPage& page) : page_(page) {}

    std::unique_ptr<HtmlDocument> GetHtmlDocument() override {
        if (!page_.hasDocument) return nullptr;
        ++page_.documentsObtained;
        return std::make_unique<FakeHtmlDocument>(page_);
    }
    void PostClick() override { page_.windowEvents.push_back("click"); }
    void PostSetFocus() override { page_.windowEvents.push_back("setfocus"); }
    void BringToForeground() override { page_.windowEvents.push_back("foreground"); }

private:
    FakeHtmlPage& page_;
};

// Answers every Choose from its script: OK with `chosen`, or Cancel.
class ScriptedCoverChooser : public CoverTextChooser {
public:
    bool Choose(const CConfig& /*config*/, std::string& coverText) override {
        ++calls;
        if (!answerOk) return false;
        coverText = chosen;
        return true;
    }

    bool answerOk = true;
    std::string chosen;  // ANSI (CP1251)
    int calls = 0;
};

}  // namespace velkaro
