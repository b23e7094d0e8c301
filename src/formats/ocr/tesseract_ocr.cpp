// SPDX-License-Identifier: GPL-3.0-or-later
// Recognisers made with the Tesseract library (its LSTM engine), one line at a time. The
// library (and the thirty libraries it brings) is loaded when text is first to be read, not
// when the program starts: a run that reads no text starts faster and holds less memory.
#include <dlfcn.h>
#include <fcntl.h>
#include <tesseract/capi.h>
#include <unistd.h>

#include <mutex>

#include "formats/ocr/ocr_engine.h"
#include "formats/ocr/ocr_languages.h"
#include "io/files.h"

namespace quarnel {
namespace {

// Tesseract's own messages (a missing data file, a guessed resolution) would land on the
// terminal between our log lines; its failures are reported by what its calls return.
constexpr const char* kQuietName = "debug_file";
constexpr const char* kQuietValue = "/dev/null";
constexpr int kLineResolution = 300;  // pixels per inch: text of our scaled size reads as print

// The calls of the library's C interface, found once it is loaded.
struct TesseractCalls {
    decltype(&TessBaseAPICreate) create = nullptr;
    decltype(&TessBaseAPIDelete) destroy = nullptr;
    decltype(&TessBaseAPIInit4) init = nullptr;
    decltype(&TessBaseAPIEnd) end = nullptr;
    decltype(&TessBaseAPISetPageSegMode) setPageSegMode = nullptr;
    decltype(&TessBaseAPISetImage) setImage = nullptr;
    decltype(&TessBaseAPISetSourceResolution) setSourceResolution = nullptr;
    decltype(&TessBaseAPIGetUTF8Text) getText = nullptr;
    decltype(&TessDeleteText) deleteText = nullptr;
    decltype(&TessBaseAPIClear) clear = nullptr;
    void (*ompSetMaxActiveLevels)(int) = nullptr;  // in the OpenMP library Tesseract brings, if any
    bool loaded = false;
};

template <typename Call>
bool find(void* library, const char* name, Call& call) {
    call = reinterpret_cast<Call>(::dlsym(library, name));
    return call != nullptr;
}

const TesseractCalls& tesseract() {
    static TesseractCalls calls;
    static std::once_flag once;
    std::call_once(once, [] {
        void* const library = ::dlopen(QUARNEL_TESSERACT_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (!library) return;
        TesseractCalls c;
        c.loaded =
            find(library, "TessBaseAPICreate", c.create) && find(library, "TessBaseAPIDelete", c.destroy) &&
            find(library, "TessBaseAPIInit4", c.init) && find(library, "TessBaseAPIEnd", c.end) &&
            find(library, "TessBaseAPISetPageSegMode", c.setPageSegMode) &&
            find(library, "TessBaseAPISetImage", c.setImage) &&
            find(library, "TessBaseAPISetSourceResolution", c.setSourceResolution) &&
            find(library, "TessBaseAPIGetUTF8Text", c.getText) &&
            find(library, "TessDeleteText", c.deleteText) && find(library, "TessBaseAPIClear", c.clear);
        find(library, "omp_set_max_active_levels", c.ompSetMaxActiveLevels);
        calls = c;
    });
    return calls;
}

class TesseractEngine : public OcrEngine {
  public:
    explicit TesseractEngine(const TesseractCalls& calls) : calls_(calls), api_(calls.create()) {}
    ~TesseractEngine() override {
        calls_.end(api_);
        calls_.destroy(api_);
    }
    TesseractEngine(const TesseractEngine&) = delete;
    TesseractEngine& operator=(const TesseractEngine&) = delete;

    bool init(const std::string& language) {
        // A missing data file is reported on stderr before any setting applies: the standard
        // error goes to /dev/null while the language loads (one load at a time, so the real
        // one is always put back).
        static std::mutex loading;
        std::lock_guard lock(loading);
        const int saved = ::dup(STDERR_FILENO);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved >= 0 && null >= 0) ::dup2(null, STDERR_FILENO);
        char* names[] = {const_cast<char*>(kQuietName)};
        char* values[] = {const_cast<char*>(kQuietValue)};
        const bool loaded = calls_.init(api_, nullptr, language.c_str(), tesseract::OEM_LSTM_ONLY, nullptr, 0,
                                        names, values, 1, false) == 0;
        if (saved >= 0 && null >= 0) ::dup2(saved, STDERR_FILENO);
        if (null >= 0) ::close(null);
        if (saved >= 0) ::close(saved);
        return loaded;
    }

    std::string recognise(const GreyImage& line) override {
        if (line.width <= 0 || line.height <= 0) return {};
        // Every worker thread runs a recogniser of its own; Tesseract's parallel loops inside
        // each would only make the threads wait for one another (four times slower on two
        // cores). The setting belongs to the calling thread.
        if (calls_.ompSetMaxActiveLevels) calls_.ompSetMaxActiveLevels(0);
        calls_.setPageSegMode(api_,
                              line.touchingLines ? tesseract::PSM_SINGLE_BLOCK : tesseract::PSM_SINGLE_LINE);
        calls_.setImage(api_, line.pixels.data(), line.width, line.height, 1, line.width);
        calls_.setSourceResolution(api_, kLineResolution);
        char* const text = calls_.getText(api_);
        std::string s = text ? text : "";
        if (text) calls_.deleteText(text);
        calls_.clear(api_);
        while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
        return s;
    }

  private:
    const TesseractCalls& calls_;
    TessBaseAPI* const api_;
};

}  // namespace

bool ocrAvailable() {
    return tesseract().loaded;
}

const char* ocrUnavailableReason() {
    return kOcrLibraryMissing;
}

std::unique_ptr<OcrEngine> makeOcrEngine(const std::string& language) {
    if (!validOcrLanguage(language))
        throw QuarnelError("\"" + language + "\" is not an OCR language code (e.g. eng, fra, deu, chi_sim)");
    const TesseractCalls& calls = tesseract();
    if (!calls.loaded) throw QuarnelError(ocrUnavailableReason());
    auto engine = std::make_unique<TesseractEngine>(calls);
    if (!engine->init(language))
        throw QuarnelError("The OCR language " + language + " is not installed (install the package " +
                           ocrLanguagePackage(language) + ")");
    return engine;
}

}  // namespace quarnel
