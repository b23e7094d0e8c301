// SPDX-License-Identifier: GPL-3.0-or-later
// The recogniser maker of a build without the Tesseract library.
#include "formats/ocr/ocr_engine.h"
#include "formats/ocr/ocr_languages.h"
#include "io/files.h"

namespace quarnel {

bool ocrAvailable() {
    return false;
}

const char* ocrUnavailableReason() {
    return kOcrUnavailable;
}

std::unique_ptr<OcrEngine> makeOcrEngine(const std::string&) {
    throw QuarnelError(kOcrUnavailable);
}

}  // namespace quarnel
