// SPDX-License-Identifier: GPL-3.0-or-later
// Character recognition of one prepared line of text (formats/ocr_picture.h). The build makes
// recognisers with the Tesseract library when it was found, else none: then callers report
// the text format as unavailable.
#pragma once

#include <memory>
#include <string>

#include "formats/ocr/ocr_picture.h"

namespace quarnel {

class OcrEngine {
  public:
    virtual ~OcrEngine() = default;
    // The line's text in UTF-8, without a line end (touching lines: a line end between each
    // two); "" when nothing was read. One engine serves one thread at a time.
    virtual std::string recognise(const GreyImage& line) = 0;
};

// Whether this build recognises text at all (with the Tesseract library loadable), and why not.
bool ocrAvailable();
const char* ocrUnavailableReason();

// A recogniser for the language `language` (a code of formats/ocr_languages.h, "eng"); raises
// QuarnelError with the reason when there is none (no recognition built in, the language's
// data not installed).
std::unique_ptr<OcrEngine> makeOcrEngine(const std::string& language);

}  // namespace quarnel
