#include "edit_text_transform.h"

#include <cstring>
#include <string_view>

#include "block_probe.h"
#include "string_ids.h"
#include "text_composer.h"
#include "text_limits.h"

namespace velkaro {

namespace {

// Length of the zero-terminated text in buffer, never looking at more than `limit` bytes.
// The text is terminated at that limit, so later steps may treat it as a C string.
uint32_t MeasureBounded(char* buffer, uint32_t limit) {
    const void* end = std::memchr(buffer, '\0', limit);
    if (end == nullptr) {
        buffer[limit] = '\0';
        return limit;
    }
    return uint32_t(static_cast<const char*>(end) - buffer);
}

// Puts "[/!dgt_encry]" right behind the block in `block` (a buffer of kTextBufferCapacity
// bytes). False, with the block unchanged, when the buffer has no room left.
bool AppendClosingMarker(char* block) {
    const uint32_t length = MeasureBounded(block, kTextBufferCapacity - 1);
    if (length + kClosingMarkerLength + 1 > kTextBufferCapacity) return false;
    std::memcpy(block + length, kClosingMarker, kClosingMarkerLength + 1);
    return true;
}

}  // namespace

EditTextTransform::EditTextTransform(AppState& app, RequestContext& request, MessageCipher& cipher,
                                     MessageSink& messages)
    : app_(app), request_(request), cipher_(cipher), messages_(messages) {}

ProbeResult EditTextTransform::TransformEditText(TextTarget* window, TransformMode mode) {
    uint32_t length = 0;
    if (!ReadText(window, mode, &length)) return ProbeResult::NothingToDo;
    request_.targetTextLength = length;
    switch (mode) {
        case TransformMode::Probe:
            return Probe(length);
        case TransformMode::Encrypt:
            Encrypt(window, length);
            break;
        case TransformMode::Decrypt:
            Decrypt(window, length);
            break;
    }
    return ProbeResult::NothingToDo;
}

bool EditTextTransform::ReadText(TextTarget* window, TransformMode mode, uint32_t* length) {
    char* text = app_.textBuffer;
    if (request_.clipboardSource != 0) {
        // The clipboard viewer filled textBuffer; trust no terminator beyond the buffer.
        *length = MeasureBounded(text, kTextBufferCapacity - 1);
    } else {
        if (window == nullptr) return false;
        // The probe needs only the start of the text. The other modes read a whole buffer:
        // the longest plain text is 64000 characters, and the block sealed from it is longer,
        // so a limit of 64000 (terminator included) would cut the one and the other silently.
        const uint32_t capacity = mode == TransformMode::Probe ? kProbeTextLimit : kTextBufferCapacity;
        uint32_t copied = window->GetText(text, capacity);
        if (copied > capacity - 1) copied = capacity - 1;
        text[copied] = '\0';
        *length = MeasureBounded(text, copied);
    }
    return *length != 0;
}

ProbeResult EditTextTransform::Probe(uint32_t length) {
    if (ProbeForBlock(app_.textBuffer, length, request_.blockHeader, &app_.blockOffset)) {
        return ProbeResult::BlockFound;
    }
    return ProbeResult::PlainText;
}

void EditTextTransform::Encrypt(TextTarget* window, uint32_t length) {
    if (length > kMaxPlainText) {
        // Sealing a cut text and replacing the whole would lose its tail: refuse it whole.
        messages_.ShowMessage(IDS_TEXT_TOO_LONG, kStyleStop);
        return;
    }
    if (!cipher_.Seal(app_.textBuffer, app_.resultBuffer, length)) return;
    if (!AppendClosingMarker(app_.resultBuffer)) {
        messages_.ShowMessage(IDS_TEXT_TOO_LONG, kStyleStop);
        return;
    }
    const char* newText = app_.resultBuffer;
    if (app_.config.addInfoNote != 0) {
        if (!ComposeText(app_.scratchBuffer, kTextBufferCapacity,
                         {std::string_view(app_.infoNoteText), std::string_view(app_.resultBuffer)})) {
            messages_.ShowMessage(IDS_TEXT_TOO_LONG, kStyleStop);
            return;
        }
        newText = app_.scratchBuffer;
    }
    if (window != nullptr) window->SetText(newText);
}

void EditTextTransform::Decrypt(TextTarget* window, uint32_t length) {
    if (length > kMaxOpenedText) {
        messages_.ShowMessage(IDS_TEXT_TOO_LONG, kStyleStop);
        return;
    }
    // The probe found the marker in the text as it was then; a text edited since may end
    // before it. Open must not be handed a block that starts outside the text.
    const int32_t offset = app_.blockOffset;
    if (offset < 0 || uint32_t(offset) > length || length - uint32_t(offset) < kBlockMarkerLength) {
        messages_.ShowMessage(IDS_TEXT_DAMAGED, kStyleStop);
        return;
    }
    uint32_t n = length - uint32_t(offset);
    if (!cipher_.Open(app_.textBuffer + offset, app_.resultBuffer, &n)) return;
    if (window != nullptr) window->SetText(app_.resultBuffer);
}

}  // namespace velkaro
