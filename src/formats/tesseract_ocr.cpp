// SPDX-License-Identifier: GPL-3.0-or-later
// Recognisers made with the Tesseract library (its LSTM engine), one line at a time.
#include <fcntl.h>
#include <tesseract/baseapi.h>
#include <unistd.h>

#include <mutex>
#ifdef _OPENMP
#include <omp.h>
#endif

#include "formats/ocr_engine.h"
#include "formats/ocr_languages.h"

namespace quarnel {
namespace {

// Tesseract's own messages (a missing data file, a guessed resolution) would land on the
// terminal between our log lines; its failures are reported by what its calls return.
const std::vector<std::string> kQuietNames = {"debug_file"};
const std::vector<std::string> kQuietValues = {"/dev/null"};
constexpr int kLineResolution = 300;  // pixels per inch: text of our scaled size reads as print

class TesseractEngine : public OcrEngine {
  public:
    bool init(const std::string& language) {
        // A missing data file is reported on stderr before any setting applies: the standard
        // error goes to /dev/null while the language loads (one load at a time, so the real
        // one is always put back).
        static std::mutex loading;
        std::lock_guard lock(loading);
        const int saved = ::dup(STDERR_FILENO);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved >= 0 && null >= 0) ::dup2(null, STDERR_FILENO);
        const bool loaded = api_.Init(nullptr, language.c_str(), tesseract::OEM_LSTM_ONLY, nullptr, 0,
                                      &kQuietNames, &kQuietValues, false) == 0;
        if (saved >= 0 && null >= 0) ::dup2(saved, STDERR_FILENO);
        if (null >= 0) ::close(null);
        if (saved >= 0) ::close(saved);
        return loaded;
    }
    ~TesseractEngine() override { api_.End(); }

    std::string recognise(const GreyImage& line) override {
        if (line.width <= 0 || line.height <= 0) return {};
#ifdef _OPENMP
        // Every worker thread runs a recogniser of its own; Tesseract's parallel loops inside
        // each would only make the threads wait for one another (four times slower on two
        // cores). The setting belongs to the calling thread.
        omp_set_max_active_levels(0);
#endif
        api_.SetPageSegMode(tesseract::PSM_SINGLE_LINE);
        api_.SetImage(line.pixels.data(), line.width, line.height, 1, line.width);
        api_.SetSourceResolution(kLineResolution);
        const std::unique_ptr<char[]> text(api_.GetUTF8Text());
        api_.Clear();
        std::string s = text ? text.get() : "";
        while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
        return s;
    }

  private:
    tesseract::TessBaseAPI api_;
};

}  // namespace

bool ocrAvailable() {
    return true;
}

std::unique_ptr<OcrEngine> makeOcrEngine(const std::string& language, std::string& why) {
    if (!validOcrLanguage(language)) {
        why = "\"" + language + "\" is not an OCR language code (e.g. eng, fra, deu, chi_sim)";
        return nullptr;
    }
    auto engine = std::make_unique<TesseractEngine>();
    if (!engine->init(language)) {
        why = "The OCR language " + language + " is not installed (install the package " +
              ocrLanguagePackage(language) + ")";
        return nullptr;
    }
    return engine;
}

}  // namespace quarnel
