#pragma once
// EditTextTransform: probes, encrypts or decrypts the whole text of a plain edit control,
// or the clipboard viewer's text (clipboardSource).
//
// An encrypted text is, with nothing between the pieces: infoNoteText (only with
// addInfoNote), the armoured block from Seal, and "[/!dgt_encry]" right behind the block's
// last character. Decryption replaces the whole text with the plain text.

#include "app_state.h"
#include "message_cipher.h"
#include "message_sink.h"
#include "request_context.h"
#include "text_target.h"
#include "transform_types.h"

namespace velkaro {

class EditTextTransform {
public:
    EditTextTransform(AppState& app, RequestContext& request, MessageCipher& cipher,
                      MessageSink& messages);

    // window: the target edit control, or null (then only with clipboardSource, the text
    // being in textBuffer already). Probe answers BlockFound, PlainText or NothingToDo and
    // records blockOffset, blockHeader and targetTextLength; Encrypt and Decrypt answer
    // NothingToDo and change the text only on success.
    ProbeResult TransformEditText(TextTarget* window, TransformMode mode);

private:
    // Reads the text into textBuffer (from the window, or measures what the clipboard viewer
    // put there) and answers its length in *length; false when there is nothing to act on.
    bool ReadText(TextTarget* window, TransformMode mode, uint32_t* length);
    ProbeResult Probe(uint32_t length);
    void Encrypt(TextTarget* window, uint32_t length);
    void Decrypt(TextTarget* window, uint32_t length);

    AppState& app_;
    RequestContext& request_;
    MessageCipher& cipher_;
    MessageSink& messages_;
};

}  // namespace velkaro
