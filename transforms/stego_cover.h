#pragma once
// StegoCover: the rules of the hidden form of a message. An encrypted block travels inside
// an HTML comment behind an innocent cover text, written as the element's inner HTML:
//
//   cover text, "<!--", the armoured block, "[/!dgt_encry]", "-->"
//
// with nothing between the pieces. The block's alphabet has no "-" and no ">", so the
// comment cannot end early. Neither the informational note nor a background colour is
// ever added to a hidden message. Only HTML mail in a mail client's window can carry one.

#include <cstddef>
#include <string>
#include <string_view>

#include "app_state.h"
#include "cover_text_chooser.h"
#include "document_traits.h"
#include "message_sink.h"

namespace velkaro {

class StegoCover {
public:
    // The cover text used when the chosen one is empty.
    static constexpr char kFallbackCover[] = ":-)";
    static constexpr char kCommentOpener[] = "<!--";
    static constexpr char kCommentCloser[] = "-->";

    // Can the document of the last probe carry a hidden message? Only a mail view holding
    // HTML mail can.
    static bool FormatAccepted(const DocumentTraits& traits);

    // The check at the start of every mode of the HTML transform: with stegoRequested set
    // and a document that cannot carry a hidden message, shows 32818 (information) and
    // answers false, and the transform ends. Otherwise true, silently.
    static bool CheckFormat(const AppState& app, const DocumentTraits& traits,
                            MessageSink& messages);

    // Sets app.coverText for one encryption: the own template; with offerTemplateList the
    // chooser is shown and its OK replaces it (Cancel keeps the own template); an empty
    // result becomes ":-)".
    static void ChooseCoverText(AppState& app, CoverTextChooser& chooser);

    // Composes cover, "<!--", block, closing marker, "-->" into out (capacity bytes with the
    // terminator). False, with out untouched, when they do not fit. `block` must not
    // overlap out.
    static bool Compose(char* out, size_t capacity, std::string_view cover,
                        std::string_view block);
};

}  // namespace velkaro
