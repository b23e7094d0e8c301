// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/ocr/ocr_pool.h"

#include <algorithm>
#include <system_error>

#include "formats/ocr/ocr_cleanup.h"
#include "formats/ocr/ocr_picture.h"
#include "io/files.h"
#include "io/thread_start.h"

namespace quarnel {
namespace {

constexpr size_t kJobsPerWorker = 2;  // events waiting per worker: enough to keep each busy
constexpr auto kProgressInterval = std::chrono::milliseconds(250);

// The recognised text of one line, cleaned, as lines of a cue (a cue's text has no empty
// line: that would end it).
void appendLines(const std::string& text, const std::string& language, std::vector<std::string>& into) {
    size_t from = 0;
    while (from <= text.size()) {
        size_t to = text.find('\n', from);
        if (to == std::string::npos) to = text.size();
        std::string line = cleanOcrLine(text.substr(from, to - from), language);
        line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
        while (!line.empty() && line.back() == ' ') line.pop_back();
        while (!line.empty() && line.front() == ' ') line.erase(line.begin());
        if (!line.empty()) into.push_back(line);
        from = to + 1;
    }
}

}  // namespace

OcrPool::OcrPool(const std::string& language, size_t total, MessageLog& log, OcrProgress progress)
    : language_(language), total_(total), log_(log), progress_(std::move(progress)) {
    std::unique_ptr<OcrEngine> first = makeOcrEngine(language);
    const size_t workers = std::max(1u, std::thread::hardware_concurrency());
    queueLimit_ = workers * kJobsPerWorker;
    // A thread that cannot be started leaves the work to those that were; without any, the
    // reading of text fails with the reason.
    try {
        workers_.push_back(startThread(&OcrPool::work, this, std::move(first)));
        for (size_t k = 1; k < workers; ++k) workers_.push_back(startThread(&OcrPool::work, this, nullptr));
    } catch (const std::system_error& e) {
        if (workers_.empty()) throw QuarnelError(std::string("Cannot start reading the text: ") + e.what());
    }
}

OcrPool::~OcrPool() {
    stop();
}

void OcrPool::stop() {
    {
        std::lock_guard lock(mutex_);
        closed_ = true;
        jobs_.clear();  // stopped early (a failed write): what waits is not read
    }
    jobsReady_.notify_all();
    for (std::thread& t : workers_)
        if (t.joinable()) t.join();
}

void OcrPool::add(const SubpictureEvent& e) {
    if (stopped_) return;
    std::unique_lock lock(mutex_);
    results_.push_back({e.start, e.stop, e.forced, {}});
    while (jobs_.size() >= queueLimit_ && !stopped_) {
        jobsTaken_.wait_for(lock, kProgressInterval);
        lock.unlock();
        showProgress();
        lock.lock();
    }
    if (stopped_) return;
    jobs_.push_back({results_.size() - 1, e});
    lock.unlock();
    jobsReady_.notify_one();
}

std::vector<OcrEventText> OcrPool::finish() {
    {
        std::unique_lock lock(mutex_);
        closed_ = true;
        jobsReady_.notify_all();
        while (done_ < results_.size() && !stopped_) {
            jobsTaken_.wait_for(lock, kProgressInterval);
            lock.unlock();
            showProgress();
            lock.lock();
        }
    }
    stop();
    if (stopped_) return {};
    showProgress();
    return std::move(results_);
}

void OcrPool::showProgress() {
    size_t done;
    {
        std::lock_guard lock(mutex_);
        done = done_;
    }
    if (progress_ && !progress_(done, std::max(total_, done))) stopped_ = true;
    if (done == shown_ && done != 0) return;
    shown_ = done;
    log_.slog("OCR " + std::to_string(done) + "/" + std::to_string(std::max(total_, done)) + " events", 1);
}

void OcrPool::work(std::unique_ptr<OcrEngine> engine) {
    if (!engine) {
        try {
            engine = makeOcrEngine(language_);
        } catch (const std::exception&) {
            return;  // the others do the work
        }
    }
    for (;;) {
        std::unique_lock lock(mutex_);
        jobsReady_.wait(lock, [&] { return !jobs_.empty() || closed_; });
        if (jobs_.empty()) return;
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        lock.unlock();
        jobsTaken_.notify_all();
        std::vector<std::string> lines;
        try {
            for (const GreyImage& line : prepareOcrLines(job.event))
                appendLines(engine->recognise(line), language_, lines);
        } catch (const std::exception&) {
            lines.clear();  // an event that cannot be read gets an empty cue, like one without text
        }
        lock.lock();
        results_[job.index].lines = std::move(lines);
        ++done_;
        lock.unlock();
        jobsTaken_.notify_all();
    }
}

}  // namespace quarnel
