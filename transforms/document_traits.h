#pragma once
// DocumentTraits: how AnalyseHtmlDocument classified the document of the last probe. The
// Encrypt or Decrypt of the same request reads it again.

#include <cstdint>

namespace velkaro {

struct DocumentTraits {
    int32_t isWebPage = 0;         // URL begins with neither "MHTML" nor "OUTBI"
    int32_t hasFrameset = 0;       // the element's HTML holds "<FRAME"
    int32_t isMailView = 0;        // URL begins with "MHTML" or "OUTBI": a mail client's window
    int32_t activeIsTextArea = 0;  // the active element is a TEXTAREA
    int32_t cellMarker = 0;        // web page: the plain marker stands in the first table cell
    int32_t nothingUsable = 0;     // nothing to work on
    int32_t hasHiddenBlock = 0;    // the HTML holds "<!--[!DGT_ENCRY]"
    int32_t isHtmlMail = 0;        // a mail view whose body is HTML-formatted mail
};

}  // namespace velkaro
