// SPDX-License-Identifier: GPL-3.0-or-later
// Character recognition of a stream's subtitle events on every core: events are independent,
// so each worker thread prepares and reads the events it takes with its own recogniser, while
// the caller goes on reading the .sup. Progress shows in the status line ("OCR 120/843
// events"); memory stays flat, as only a few events wait at a time.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "codecs/subpicture_event.h"
#include "formats/ocr/ocr_engine.h"
#include "report/message_log.h"

namespace quarnel {

// Called about four times a second while the text is read (on the caller's thread), with the
// events read so far and the events expected: lets the host show progress and run its events;
// false stops the reading (a Cancel, a signal).
using OcrProgress = std::function<bool(size_t done, size_t total)>;

// What recognition made of one event.
struct OcrEventText {
    uint64_t start = 0, stop = 0;  // 90 kHz ticks
    bool forced = false;
    std::vector<std::string> lines;  // cleaned, top to bottom; none when nothing was read
};

class OcrPool {
  public:
    // Starts the workers for `language` (a Tesseract code); `total` events are expected, for
    // the progress. Raises QuarnelError with the reason when no recogniser can be made.
    OcrPool(const std::string& language, size_t total, MessageLog& log, OcrProgress progress = {});
    ~OcrPool();
    OcrPool(const OcrPool&) = delete;
    OcrPool& operator=(const OcrPool&) = delete;

    // Hands on the next event; waits while the workers are behind.
    void add(const SubpictureEvent& e);
    // Waits for every event and gives their texts, in the order they were added; none when the
    // progress callback stopped the reading.
    std::vector<OcrEventText> finish();
    bool stopped() const { return stopped_; }

  private:
    struct Job {
        size_t index;
        SubpictureEvent event;
    };
    // One worker: takes jobs until the pool closes; `engine` null: makes its own.
    void work(std::unique_ptr<OcrEngine> engine);
    void showProgress();  // the caller's thread only
    void stop();

    std::string language_;
    size_t total_;
    MessageLog& log_;
    OcrProgress progress_;
    bool stopped_ = false;  // the caller's thread only
    std::mutex mutex_;
    std::condition_variable jobsReady_, jobsTaken_;
    std::deque<Job> jobs_;
    std::vector<OcrEventText> results_;
    size_t done_ = 0, shown_ = 0;
    size_t queueLimit_ = 1;
    bool closed_ = false;
    std::vector<std::thread> workers_;
};

}  // namespace quarnel
