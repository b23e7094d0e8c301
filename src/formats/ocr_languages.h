// SPDX-License-Identifier: GPL-3.0-or-later
// The languages of character recognition: the playlist's ISO 639-1 codes and the codes of
// Tesseract's language data (ISO 639-2/T, with a script where one language has several),
// and which language a subtitle stream is read in.
#pragma once

#include <string>
#include <string_view>

namespace quarnel {

struct OcrLanguage {
    const char* iso639_1;   // "fr", as a playlist's langcode gives it
    const char* tesseract;  // "fra": the name of its data, tessdata/fra.traineddata
};
constexpr OcrLanguage kOcrLanguages[] = {
    {"ar", "ara"}, {"bg", "bul"}, {"ca", "cat"},     {"cs", "ces"}, {"da", "dan"}, {"de", "deu"},
    {"el", "ell"}, {"en", "eng"}, {"es", "spa"},     {"et", "est"}, {"fi", "fin"}, {"fr", "fra"},
    {"he", "heb"}, {"hi", "hin"}, {"hr", "hrv"},     {"hu", "hun"}, {"id", "ind"}, {"is", "isl"},
    {"it", "ita"}, {"ja", "jpn"}, {"ko", "kor"},     {"lt", "lit"}, {"lv", "lav"}, {"ms", "msa"},
    {"nl", "nld"}, {"no", "nor"}, {"pl", "pol"},     {"pt", "por"}, {"ro", "ron"}, {"ru", "rus"},
    {"sk", "slk"}, {"sl", "slv"}, {"sr", "srp"},     {"sv", "swe"}, {"th", "tha"}, {"tr", "tur"},
    {"uk", "ukr"}, {"vi", "vie"}, {"zh", "chi_sim"},
};
constexpr const char* kDefaultOcrLanguage = "eng";

constexpr const char* kOcrUnavailable =
    "srt needs character recognition (OCR), which this build does not have (build it with libtesseract-dev)";
constexpr const char* kOcrLibraryMissing =
    "srt needs character recognition (OCR): the Tesseract library cannot be loaded (install the package "
    "libtesseract5)";

// The language a stream is read in: `chosen` (--ocr-lang: a Tesseract code, or an ISO 639-1
// code of the table) when given, else the playlist's language of the stream when the table
// knows it, else English.
std::string ocrLanguageFor(const std::string& chosen, const std::string& streamLanguage);

// Whether `code` can name language data: 2 to 16 letters, digits and '_' (it becomes part of
// a file name).
bool validOcrLanguage(std::string_view code);

// The Debian package that holds a language's data: "tesseract-ocr-chi-sim" for chi_sim.
std::string ocrLanguagePackage(const std::string& code);

}  // namespace quarnel
