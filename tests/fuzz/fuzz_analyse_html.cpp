// Fuzzes the classification and the probe of a browser control's document: arbitrary UTF-16
// HTML as the active element's content, in every kind of document, and the Decrypt (or
// Encrypt) that follows what the probe answered. Every document and element obtained must be
// released, and the probe's offset must lie in the text it searched.
//
// Input: byte 0 shapes the document, the rest is UTF-16LE.
//   bits 0-1  URL: 0 web page, 1 "mhtml:", 2 "outbind:", 3 none
//   bit 2     design mode "Inherit" (else "On")
//   bit 3     the active element is a TEXTAREA (else BODY)
//   bit 4     stegoRequested
//   bit 5     after PlainText, run Encrypt
//   bit 6     the second half of the text is the outer HTML, apart from the inner HTML
//   bit 7     the size question is answered with Cancel
// The seeds' blocks were sealed by velkaro-cli under the harness's password "fuzzing
// password" (plain text "<FONT color=red>Привет, мир</FONT>").
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "../unit/fake_app_platform.h"
#include "../unit/fake_html_document.h"
#include "../unit/temp_dir.h"
#include "app_state.h"
#include "cp1251_codec.h"
#include "html_transform.h"
#include "message_cipher.h"
#include "password_key.h"

namespace {

using namespace velkaro;

class ScriptedSink : public MessageSink {
public:
    int ShowMessage(uint32_t, uint32_t style) override {
        return style == kStyleQuestion ? questionAnswer : kAnswerOk;
    }
    int questionAnswer = kAnswerOk;
};

struct Harness {
    Harness() : platform(dir.File("velkaro.exe")) {
        app = std::make_unique<AppState>(platform);
        app->htmlAccessAvailable = 1;
        app->config.addInfoNote = 1;
        char password[32] = "fuzzing password";
        DeriveKey(password, app->currentKey, app->keyPresent, sink);
        cipher = std::make_unique<MessageCipher>(sink, app->currentKey, app->senderTag,
                                                 reinterpret_cast<uint8_t*>(app->scratchBuffer));
        transform = std::make_unique<HtmlTransform>(*app, request, *cipher, sink, codec, chooser);
        chooser.chosen = "cover";
    }
    TempDir dir;
    FakeAppPlatform platform;
    std::unique_ptr<AppState> app;
    RequestContext request;
    ScriptedSink sink;
    Cp1251Codec codec;
    ScriptedCoverChooser chooser;
    std::unique_ptr<MessageCipher> cipher;
    std::unique_ptr<HtmlTransform> transform;
};

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Harness harness;
    if (size < 1) return 0;
    const uint8_t shape = data[0];
    std::u16string text;
    for (size_t i = 1; i + 1 < size; i += 2) text.push_back(char16_t(data[i] | data[i + 1] << 8));

    FakeHtmlPage page;
    static const char16_t* const kUrls[] = {u"http://mail.example.com/", u"mhtml:mid://1/",
                                           u"outbind://1-0/", u""};
    page.url = kUrls[shape & 3];
    page.givesUrl = (shape & 3) != 3;
    page.designMode = (shape & 4) ? u"Inherit" : u"On";
    page.tag = (shape & 8) ? u"TEXTAREA" : u"BODY";
    if (shape & 64) {
        const size_t half = text.size() / 2;
        page.SetBodyHtml(text.substr(0, half));
        page.outerHtmlApart = text.substr(half);
    } else {
        page.SetBodyHtml(text);
    }
    harness.app->stegoRequested = (shape & 16) ? 1 : 0;
    harness.sink.questionAnswer = (shape & 128) ? kAnswerCancel : kAnswerOk;
    FakeHtmlWindow window(page);

    {
        FakeHtmlDocument document(page);
        DocumentTraits traits;
        const int kind = AnalyseHtmlDocument(document, traits, harness.codec);
        Require(page.liveObjects == 1);
        Require(kind == 0 || (kind == 1 && traits.isMailView && traits.isHtmlMail));
        Require(traits.isWebPage + traits.isMailView == 1);
    }

    const ProbeResult probe = harness.transform->TransformHtmlDocument(&window, TransformMode::Probe);
    Require(page.liveObjects == 0);
    Require(page.puts.empty());
    if (probe == ProbeResult::BlockFound) {
        Require(harness.app->blockOffset >= 0 && harness.app->blockOffset < 2000);
        harness.transform->TransformHtmlDocument(&window, TransformMode::Decrypt);
    } else if (probe == ProbeResult::PlainText && (shape & 32)) {
        harness.transform->TransformHtmlDocument(&window, TransformMode::Encrypt);
        Require(page.puts.size() <= 1);
    }
    Require(page.liveObjects == 0);
    return 0;
}
