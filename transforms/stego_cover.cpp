#include "stego_cover.h"

#include "string_ids.h"
#include "text_composer.h"
#include "text_limits.h"

namespace velkaro {

bool StegoCover::FormatAccepted(const DocumentTraits& traits) {
    return traits.isMailView != 0 && traits.isHtmlMail != 0;
}

bool StegoCover::CheckFormat(const AppState& app, const DocumentTraits& traits,
                             MessageSink& messages) {
    if (app.stegoRequested == 0 || FormatAccepted(traits)) return true;
    messages.ShowMessage(IDS_NOT_HTML, kStyleInformation);
    return false;
}

void StegoCover::ChooseCoverText(AppState& app, CoverTextChooser& chooser) {
    app.coverText = app.config.ownTemplate;
    // The chooser changes coverText only on OK, so Cancel leaves the own template in place.
    if (app.config.offerTemplateList != 0) chooser.Choose(app.config, app.coverText);
    if (app.coverText.empty()) app.coverText = kFallbackCover;
}

bool StegoCover::Compose(char* out, size_t capacity, std::string_view cover,
                         std::string_view block) {
    return ComposeText(out, capacity,
                       {cover, kCommentOpener, block, kClosingMarker, kCommentCloser});
}

}  // namespace velkaro
