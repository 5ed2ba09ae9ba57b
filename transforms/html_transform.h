#pragma once
// HtmlTransform: probes, encrypts or decrypts the message of a browser control's document:
// the body of a mail editor or mail view, or the TEXTAREA of a web-mail form, in plain or
// hidden form (the block in an HTML comment behind a cover text).

#include "ansi_codec.h"
#include "app_state.h"
#include "cover_text_chooser.h"
#include "document_traits.h"
#include "html_document.h"
#include "message_cipher.h"
#include "message_sink.h"
#include "request_context.h"
#include "transform_types.h"

namespace velkaro {

// Classifies the document (clearing `traits` first). Answers 1 for an HTML-formatted mail
// view (the value the probe stores as htmlMode), else 0.
int AnalyseHtmlDocument(HtmlDocument& document, DocumentTraits& traits, const AnsiCodec& codec);

class HtmlTransform {
public:
    HtmlTransform(AppState& app, RequestContext& request, MessageCipher& cipher,
                  MessageSink& messages, const AnsiCodec& codec, CoverTextChooser& chooser);

    // The same modes and answers as the plain-text transform. window: the browser control's
    // window, or null.
    ProbeResult TransformHtmlDocument(HtmlWindow* window, TransformMode mode);

private:
    AppState& app_;
    RequestContext& request_;
    MessageCipher& cipher_;
    MessageSink& messages_;
    const AnsiCodec& codec_;
    CoverTextChooser& chooser_;
};

}  // namespace velkaro
