#include "html_transform.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "block_probe.h"
#include "secure_wipe.h"
#include "stego_cover.h"
#include "string_ids.h"
#include "text_composer.h"
#include "text_limits.h"

namespace velkaro {
namespace {

constexpr char16_t kCornsilk[] = u"cornsilk";  // background of an encrypted HTML message
constexpr char16_t kWhite[] = u"white";        // background of a mail view after decryption
// The design mode of a mail client's read-only message view.
constexpr char16_t kReadOnlyDesignMode[] = u"Inherit";

// URL prefixes (upper case) of a mail client's message window.
constexpr char kMhtmlPrefix[] = "MHTML";
constexpr char kOutlookPrefix[] = "OUTBI";
constexpr size_t kUrlPrefixLength = 5;

// The searches of the classification, in the upper-cased HTML.
constexpr char kHiddenBlockTag[] = "<!--[!DGT_ENCRY]";
constexpr char kPlainMarkerUpper[] = "[!DGT_ENCRY]";
constexpr char kFontEnd[] = "</FONT>";
constexpr char kCornsilkUpper[] = "CORNSILK";
constexpr char kFrameTag[] = "<FRAME";
constexpr char kTextAreaName[] = "TEXTAREA";
constexpr char kCellStart[] = "<TD";
constexpr char kCellEnd[] = "</TD";
// "TEXTAREA" this early in the outer HTML belongs to the element's own start tag.
constexpr size_t kOwnTagReach = 20;

// Positions do not move: only the ASCII letters change, and those are all the searches need.
std::string UpperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    }
    return text;
}

bool Contains(const std::string& text, const char* what) {
    return text.find(what) != std::string::npos;
}

using ElementGetter = bool (HtmlElement::*)(std::u16string&);

// The element's string in the ANSI code page; empty when the element gives none.
std::string ReadAnsi(HtmlElement& element, ElementGetter getter, const AnsiCodec& codec) {
    std::u16string text;
    if (!(element.*getter)(text)) return std::string();
    return codec.ToAnsi(text);
}

// A web page is classified by its active element's outer HTML (so a TEXTAREA shows its own
// tag), a mail view by the body's inner HTML.
std::string ReadClassifiedHtml(HtmlDocument& document, bool mailView, const AnsiCodec& codec) {
    std::unique_ptr<HtmlElement> element = document.GetActiveElement();
    if (!element) return std::string();
    return ReadAnsi(*element, mailView ? &HtmlElement::GetInnerHtml : &HtmlElement::GetOuterHtml,
                    codec);
}

int ClassifyMailView(const std::string& html, DocumentTraits& traits) {
    if (Contains(html, kHiddenBlockTag)) {
        traits.hasHiddenBlock = 1;
        traits.isHtmlMail = 1;
        return 1;
    }
    if (Contains(html, kFontEnd) || Contains(html, kCornsilkUpper)) {
        traits.isHtmlMail = 1;
        return 1;
    }
    return 0;  // plain-text mail
}

int ClassifyWebPage(const std::string& html, DocumentTraits& traits) {
    if (Contains(html, kFrameTag)) traits.hasFrameset = 1;
    if (Contains(html, kHiddenBlockTag)) traits.hasHiddenBlock = 1;
    const size_t textArea = html.find(kTextAreaName);
    if (textArea != std::string::npos && textArea < kOwnTagReach) {
        traits.activeIsTextArea = 1;
        return 0;
    }
    const bool textAreaSeen = textArea != std::string::npos;
    if (Contains(html, kCellStart)) {
        // A cell left without its end tag runs to the end of the text.
        const size_t cellEnd = html.find(kCellEnd);
        const size_t marker = html.find(kPlainMarkerUpper);
        if (marker != std::string::npos && marker < cellEnd && !textAreaSeen) {
            traits.cellMarker = 1;
            return 0;
        }
    }
    if (traits.hasHiddenBlock == 0) traits.nothingUsable = 1;
    return 0;
}

// The document may only be decrypted, never encrypted: a mail client's read-only view, or
// a web page, unless the active element is a TEXTAREA (a web-mail form).
bool IsReadOnly(HtmlDocument& document, const DocumentTraits& traits) {
    std::u16string designMode;
    const bool inherit = document.GetDesignMode(designMode) && designMode == kReadOnlyDesignMode;
    if (traits.activeIsTextArea != 0) return false;
    return inherit || traits.isWebPage != 0;
}

// The longest text a mode takes. A 64000-character text seals into a longer block, which
// its own sender must be able to open again, so Decrypt takes a whole buffer.
uint32_t ReadLimit(TransformMode mode) {
    return mode == TransformMode::Decrypt ? kMaxOpenedText : kMaxPlainText;
}

// One call of the transform, from reading the element's text to writing the result back.
// The document and element it is given are released by the caller when it ends.
class HtmlRequestRun {
public:
    HtmlRequestRun(AppState& app, RequestContext& request, MessageCipher& cipher,
                   MessageSink& messages, const AnsiCodec& codec, CoverTextChooser& chooser,
                   HtmlWindow& window, HtmlDocument& document, HtmlElement& element)
        : app_(app),
          request_(request),
          cipher_(cipher),
          messages_(messages),
          codec_(codec),
          chooser_(chooser),
          window_(window),
          document_(document),
          element_(element) {}

    ProbeResult Run(TransformMode mode, bool readOnly) {
        const std::string text = ReadMessageText(ReadLimit(mode));
        request_.targetTextLength = LengthOf(text);
        if (text.empty()) return ProbeResult::NothingToDo;
        if (text.size() > kMaxPlainText && !UserGoesOnWithLongText()) {
            return ProbeResult::NothingToDo;
        }
        switch (mode) {
            case TransformMode::Probe:
                return Probe(text, readOnly);
            case TransformMode::Encrypt:
                Encrypt(text);
                break;
            case TransformMode::Decrypt:
                Decrypt(text);
                break;
        }
        return ProbeResult::NothingToDo;
    }

private:
    static uint32_t LengthOf(const std::string& text) {
        return text.size() > UINT32_MAX ? UINT32_MAX : uint32_t(text.size());
    }

    // A hidden block is read from the element's outer HTML just after its first comment
    // opener, so the block must sit in the element's first comment; that read is cut to
    // `limit`. The other texts are read whole: the size question decides what is kept.
    std::string ReadMessageText(uint32_t limit) {
        const DocumentTraits& traits = request_.traits;
        if (traits.hasHiddenBlock != 0) {
            const std::string outer = ReadAnsi(element_, &HtmlElement::GetOuterHtml, codec_);
            const size_t opener = outer.find(StegoCover::kCommentOpener);
            if (opener == std::string::npos) return std::string();
            return outer.substr(opener + sizeof StegoCover::kCommentOpener - 1, limit);
        }
        if (traits.isMailView != 0 && traits.isHtmlMail != 0) {
            return ReadAnsi(element_, &HtmlElement::GetInnerHtml, codec_);
        }
        return ReadAnsi(element_, &HtmlElement::GetInnerText, codec_);
    }

    bool UserGoesOnWithLongText() {
        return messages_.ShowMessage(IDS_SIZE_QUESTION, kStyleQuestion) == kAnswerOk;
    }

    // Only the first 2000 characters are searched; a read-only document offers nothing to
    // encrypt.
    ProbeResult Probe(const std::string& text, bool readOnly) {
        int32_t offset = 0;
        if (ProbeForBlock(text.data(), LengthOf(text), request_.blockHeader, &offset)) {
            app_.blockOffset = offset;
            return ProbeResult::BlockFound;
        }
        return readOnly ? ProbeResult::NothingToDo : ProbeResult::PlainText;
    }

    // textBuffer becomes the first `limit` characters of text, zero-terminated; answers the
    // length up to the first zero, as the engine will see it.
    uint32_t FillTextBuffer(const std::string& text, uint32_t limit) {
        SecureWipe(app_.textBuffer, sizeof app_.textBuffer);
        const size_t n = text.size() < limit ? text.size() : limit;
        std::memcpy(app_.textBuffer, text.data(), n);
        app_.textBuffer[n] = '\0';
        return uint32_t(std::strlen(app_.textBuffer));
    }

    void Encrypt(const std::string& text) {
        uint32_t length = FillTextBuffer(text, kMaxPlainText);
        if (length != 0 && cipher_.htmlMode != 0) {
            // HTML mail is sealed as HTML, whatever text the probe looked at.
            length = FillTextBuffer(ReadAnsi(element_, &HtmlElement::GetInnerHtml, codec_),
                                    kMaxPlainText);
        }
        if (length == 0) {
            messages_.ShowMessage(IDS_BUFFER_EMPTY, kStyleStop);
            return;
        }
        if (!cipher_.Seal(app_.textBuffer, app_.resultBuffer, length)) return;

        const bool hidden = app_.stegoRequested != 0;
        if (hidden) StegoCover::ChooseCoverText(app_, chooser_);
        if (!ComposeSealedMessage(hidden)) {
            messages_.ShowMessage(IDS_TEXT_TOO_LONG, kStyleStop);
            return;
        }
        const std::u16string content =
            codec_.FromAnsi(app_.scratchBuffer, std::strlen(app_.scratchBuffer));
        // A hidden block is always written as HTML, so that its comment stays a comment.
        if (cipher_.htmlMode != 0 || hidden) {
            element_.PutInnerHtml(content);
        } else {
            element_.PutInnerText(content);
        }
        if (request_.traits.isWebPage == 0 && !hidden && app_.config.colourBackground != 0) {
            document_.PutBgColor(kCornsilk);
        }
        window_.PostClick();
        if (hidden) {
            window_.PostSetFocus();
            window_.BringToForeground();
        }
    }

    // The new content in scratchBuffer: the hidden form, or the note (when asked for, in
    // the form matching how the content is written) before the block and its closing
    // marker. False when it does not fit: an HTML note can be four times its plain size.
    bool ComposeSealedMessage(bool hidden) {
        const std::string_view block(app_.resultBuffer);
        if (hidden) {
            return StegoCover::Compose(app_.scratchBuffer, sizeof app_.scratchBuffer,
                                       app_.coverText, block);
        }
        std::string_view note;
        if (app_.config.addInfoNote != 0) {
            note = cipher_.htmlMode != 0 ? app_.infoNoteHtml : app_.infoNoteText;
        }
        return ComposeText(app_.scratchBuffer, sizeof app_.scratchBuffer,
                           {note, block, kClosingMarker});
    }

    void Decrypt(const std::string& text) {
        const uint32_t length = FillTextBuffer(text, kMaxOpenedText);
        if (length == 0) {
            messages_.ShowMessage(IDS_BUFFER_EMPTY, kStyleStop);
            return;
        }
        if (request_.targetTextLength > kMaxOpenedText) {
            messages_.ShowMessage(IDS_TEXT_TOO_LONG, kStyleStop);
            return;
        }
        // The probe's offset no longer fits a text that changed since: nothing to open there.
        if (app_.blockOffset < 0 || uint32_t(app_.blockOffset) >= length) {
            messages_.ShowMessage(IDS_TEXT_DAMAGED, kStyleStop);
            return;
        }
        uint32_t plainLength = length - uint32_t(app_.blockOffset);
        if (!cipher_.Open(app_.textBuffer + app_.blockOffset, app_.resultBuffer, &plainLength)) {
            return;
        }
        if (request_.traits.isMailView != 0) document_.PutBgColor(kWhite);
        // Open took htmlMode from the header: the sender's HTML comes back as HTML.
        const std::u16string content = codec_.FromAnsi(app_.resultBuffer, plainLength);
        if (cipher_.htmlMode != 0) {
            element_.PutInnerHtml(content);
        } else {
            element_.PutInnerText(content);
        }
    }

    AppState& app_;
    RequestContext& request_;
    MessageCipher& cipher_;
    MessageSink& messages_;
    const AnsiCodec& codec_;
    CoverTextChooser& chooser_;
    HtmlWindow& window_;
    HtmlDocument& document_;
    HtmlElement& element_;
};

}  // namespace

int AnalyseHtmlDocument(HtmlDocument& document, DocumentTraits& traits, const AnsiCodec& codec) {
    traits = DocumentTraits{};
    std::u16string url;
    if (!document.GetUrl(url)) url.clear();
    const std::string prefix = UpperAscii(codec.ToAnsi(url).substr(0, kUrlPrefixLength));
    if (prefix == kMhtmlPrefix || prefix == kOutlookPrefix) {
        traits.isMailView = 1;
    } else {
        traits.isWebPage = 1;
    }
    const std::string html =
        UpperAscii(ReadClassifiedHtml(document, traits.isMailView != 0, codec));
    if (html.empty()) {
        traits.nothingUsable = 1;
        return 0;
    }
    return traits.isMailView != 0 ? ClassifyMailView(html, traits) : ClassifyWebPage(html, traits);
}

HtmlTransform::HtmlTransform(AppState& app, RequestContext& request, MessageCipher& cipher,
                             MessageSink& messages, const AnsiCodec& codec,
                             CoverTextChooser& chooser)
    : app_(app),
      request_(request),
      cipher_(cipher),
      messages_(messages),
      codec_(codec),
      chooser_(chooser) {}

ProbeResult HtmlTransform::TransformHtmlDocument(HtmlWindow* window, TransformMode mode) {
    if (app_.htmlAccessAvailable == 0 || window == nullptr) return ProbeResult::NothingToDo;
    // Declared before the element, so the element is released first.
    const std::unique_ptr<HtmlDocument> document = window->GetHtmlDocument();
    if (!document) return ProbeResult::NothingToDo;

    DocumentTraits& traits = request_.traits;
    if (mode == TransformMode::Probe) {
        cipher_.htmlMode = uint16_t(AnalyseHtmlDocument(*document, traits, codec_));
        if (traits.nothingUsable != 0) return ProbeResult::NothingToDo;
    }
    // Encrypt and Decrypt go on with the traits of the probe before them.
    if (!StegoCover::CheckFormat(app_, traits, messages_)) return ProbeResult::NothingToDo;
    const bool readOnly = IsReadOnly(*document, traits);
    if (traits.hasFrameset != 0 && traits.activeIsTextArea == 0) {
        messages_.ShowMessage(IDS_FRAMES_UNSUPPORTED, kStyleInformation);
        return ProbeResult::NothingToDo;
    }
    const std::unique_ptr<HtmlElement> element = document->GetActiveElement();
    if (!element) return ProbeResult::NothingToDo;
    HtmlRequestRun run(app_, request_, cipher_, messages_, codec_, chooser_, *window, *document,
                       *element);
    return run.Run(mode, readOnly);
}

}  // namespace velkaro
