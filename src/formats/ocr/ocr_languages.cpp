// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/ocr/ocr_languages.h"

#include <cctype>

namespace quarnel {
namespace {

const char* tesseractCodeOf(const std::string& iso639_1) {
    const OcrLanguage* l = languageOf(iso639_1);
    return l ? l->tesseract : nullptr;
}

}  // namespace

const OcrLanguage* languageOf(const std::string& iso639_1) {
    for (const OcrLanguage& l : kOcrLanguages)
        if (iso639_1 == l.iso639_1) return &l;
    return nullptr;
}

std::string ocrLanguageFor(const std::string& chosen, const std::string& streamLanguage) {
    if (!chosen.empty()) {
        const char* mapped = tesseractCodeOf(chosen);
        return mapped ? mapped : chosen;
    }
    const char* mapped = tesseractCodeOf(streamLanguage);
    return mapped ? mapped : kDefaultOcrLanguage;
}

bool validOcrLanguage(std::string_view code) {
    if (code.size() < 2 || code.size() > 16) return false;
    for (const char c : code)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    return true;
}

std::string ocrLanguagePackage(const std::string& code) {
    std::string name = "tesseract-ocr-";
    for (const char c : code) name += c == '_' ? '-' : char(std::tolower(static_cast<unsigned char>(c)));
    return name;
}

}  // namespace quarnel
