// SPDX-License-Identifier: GPL-3.0-or-later
// The languages discs name: their ISO 639-1 codes, the codes of Tesseract's language data,
// ISO 639-2 codes and names, and which language a subtitle stream is read in.
#pragma once

#include <string>
#include <string_view>

namespace quarnel {

// A language as discs name it (ISO 639-1) with the code of Tesseract's data for it (ISO
// 639-2/T, with a script where one language has several), its ISO 639-2 code and its name.
struct OcrLanguage {
    const char* iso639_1;   // "fr", as a playlist's langcode or an IFO gives it
    const char* tesseract;  // "fra": the name of its data, tessdata/fra.traineddata
    const char* iso639_2;   // "fra", as BDN XML names it
    const char* name;       // "French", as track names show it
};
// clang-format off: one row per language
constexpr OcrLanguage kOcrLanguages[] = {
    {"ar", "ara", "ara", "Arabic"},      {"bg", "bul", "bul", "Bulgarian"},
    {"ca", "cat", "cat", "Catalan"},     {"cs", "ces", "ces", "Czech"},
    {"da", "dan", "dan", "Danish"},      {"de", "deu", "deu", "German"},
    {"el", "ell", "ell", "Greek"},       {"en", "eng", "eng", "English"},
    {"es", "spa", "spa", "Spanish"},     {"et", "est", "est", "Estonian"},
    {"fi", "fin", "fin", "Finnish"},     {"fr", "fra", "fra", "French"},
    {"he", "heb", "heb", "Hebrew"},      {"hi", "hin", "hin", "Hindi"},
    {"hr", "hrv", "hrv", "Croatian"},    {"hu", "hun", "hun", "Hungarian"},
    {"id", "ind", "ind", "Indonesian"},  {"is", "isl", "isl", "Icelandic"},
    {"it", "ita", "ita", "Italian"},     {"ja", "jpn", "jpn", "Japanese"},
    {"ko", "kor", "kor", "Korean"},      {"lt", "lit", "lit", "Lithuanian"},
    {"lv", "lav", "lav", "Latvian"},     {"ms", "msa", "msa", "Malay"},
    {"nl", "nld", "nld", "Dutch"},       {"no", "nor", "nor", "Norwegian"},
    {"pl", "pol", "pol", "Polish"},      {"pt", "por", "por", "Portuguese"},
    {"ro", "ron", "ron", "Romanian"},    {"ru", "rus", "rus", "Russian"},
    {"sk", "slk", "slk", "Slovak"},      {"sl", "slv", "slv", "Slovenian"},
    {"sr", "srp", "srp", "Serbian"},     {"sv", "swe", "swe", "Swedish"},
    {"th", "tha", "tha", "Thai"},        {"tr", "tur", "tur", "Turkish"},
    {"uk", "ukr", "ukr", "Ukrainian"},   {"vi", "vie", "vie", "Vietnamese"},
    {"zh", "chi_sim", "zho", "Chinese"},
};
// clang-format on
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

// The language of an ISO 639-1 code, or nullptr when the table does not know it.
const OcrLanguage* languageOf(const std::string& iso639_1);

// The Debian package that holds a language's data: "tesseract-ocr-chi-sim" for chi_sim.
std::string ocrLanguagePackage(const std::string& code);

}  // namespace quarnel
