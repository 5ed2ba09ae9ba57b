#pragma once
// RequestContext: what ties the probe of one request to its Encrypt or Decrypt. The main
// window holds it; the transforms write it in the probe and read it afterwards.

#include <cstdint>

#include "document_traits.h"
#include "text_limits.h"

namespace velkaro {

struct RequestContext {
    // Set while the clipboard viewer is open: the text is already in textBuffer and is not
    // read from the target.
    int32_t clipboardSource = 0;
    // Length of the last text read.
    uint32_t targetTextLength = 0;
    // The decoded header of the block the last probe found ("[!dgt_encry]" and 60 decoded
    // bytes, zeros after them): what KeyMatchesHeader tests keys against.
    uint8_t blockHeader[kSealHeaderSize] = {};
    // The HTML probe's classification of the document.
    DocumentTraits traits;
};

}  // namespace velkaro
