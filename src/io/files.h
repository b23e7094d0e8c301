// SPDX-License-Identifier: GPL-3.0-or-later
// The file streams of a run: the one input stream and the elementary-stream outputs.
// Failures raise QuarnelError with the system's reason.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "io/mapped_window.h"
#include "io/write_queue.h"

namespace quarnel {

class QuarnelError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The system's reason for the last failed call, as a sentence.
std::string systemReason(int err);

// How InputFile::view() reaches the bytes.
enum class ViewAccess {
    // Where the kernel keeps them: nothing is copied, and a Demux writes them to its outputs
    // from there. Each line the processor touches first is fetched from memory, at the cost of
    // whoever touches it.
    Mapped,
    // Copied by the kernel into a buffer of the input's own, reused from view to view while
    // nothing else holds it: the copy leaves the bytes in the processor's cache, so a pass
    // that touches every video byte (a Read counting frames) reads them there.
    Copied,
};

class InputFile {
  public:
    InputFile() = default;
    ~InputFile() { close(); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Raises "Cannot open file "NAME". REASON" on failure.
    void open(const std::string& path);
    // Narrows the open file to [first, end): it is read from `first`, and its size is `end`
    // (or less, when the file is shorter). Called right after open().
    void narrow(uint64_t first, uint64_t end);
    void close();
    // Chosen before the views are taken; stays as it is when another file is opened.
    void setViewAccess(ViewAccess access) { access_ = access; }
    bool isOpen() const { return fd_ >= 0; }
    uint64_t size() const { return size_; }
    uint64_t position() const { return position_; }
    // Reads up to count bytes; returns the count read, 0 at the end of the file.
    size_t read(uint8_t* into, size_t count);
    // The next bytes from the position, up to `count`, seen where the file is mapped into
    // memory rather than copied; the position moves past them. They stay readable until the
    // next view(), read(), seek() or close(). Empty at the end of the file, also when the file
    // has become shorter than it was when opened. Raises "Cannot read file ..." on failure.
    std::span<const uint8_t> view(size_t count);
    // Raises "Cannot read file ..." when the file was cut short under the bytes of the last
    // view() (they then read as zeros): called once they have been used.
    void checkViewWhole() const;
    // Up to `count` mapped bytes after those of the last view(), without moving on (for a
    // look ahead); fewer at the end of its window, none when the views are Copied.
    std::span<const uint8_t> mappedAhead(size_t count) const;
    // The window the bytes of the last view() lie in (or were copied into); it stays mapped
    // while it is held.
    const std::shared_ptr<const MappedWindow>& window() const { return window_; }
    void seek(uint64_t to);
    const std::string& path() const { return path_; }

  private:
    static constexpr size_t kWindowBytes = size_t(4) << 20;  // mapped at a time

    int fd_ = -1;
    uint64_t size_ = 0;
    uint64_t position_ = 0;
    std::string path_;
    std::shared_ptr<const MappedWindow> window_;
    ViewAccess access_ = ViewAccess::Mapped;
    std::shared_ptr<MappedWindow> copied_;  // the buffer of the Copied views, while only this holds it

    std::span<const uint8_t> copiedView(size_t count, uint64_t end);
};

// An output file, written to a temporary file beside its final name (".NAME.partial-XXXXXX")
// and renamed onto that name by commit(): a file of that name stays as it was until then, and
// a link of that name is replaced, never followed. An output destroyed without commit()
// removes its temporary file. Its bytes pass through a buffer of its own, or are collected as
// batches that a WriteQueue writes.
class OutputFile {
  public:
    OutputFile() = default;
    ~OutputFile() { discard(); }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the temporary file, written through `queue` when one is given (it must outlive
    // the output). Raises "Cannot create file "NAME". REASON" on failure, also when NAME is a
    // folder or too long a name.
    void create(const std::string& path, WriteQueue* queue = nullptr);
    // Writes the buffered bytes (and waits for the queue to write them) and closes the
    // temporary file; raises on a failed write.
    void finish();
    // Renames the finished temporary file onto the final name; raises on failure.
    void commit();
    // Of a finished output not yet committed (a stream edited once its ends are known): its
    // bytes [from, to); the same stretch replaced by `bytes` (no longer than it), what follows
    // moved to follow them. Raise on failure.
    std::vector<uint8_t> readFinished(uint64_t from, uint64_t to) const;
    void replaceFinished(uint64_t from, uint64_t to, std::span<const uint8_t> bytes);
    // Closes and removes the temporary file, if any.
    void discard() noexcept;
    // Closes and keeps what was written as "NAME.partial"; false when nothing was kept.
    bool keepPartial() noexcept;
    bool isOpen() const { return fd_ >= 0; }
    // True between create() and commit() or discard(): a temporary file exists.
    bool pending() const { return !temporary_.empty(); }
    void write(std::span<const uint8_t> bytes) {
        if (bytes.size() <= capacity_ - used_) {
            std::copy(bytes.begin(), bytes.end(), buffer_ + used_);
            used_ += bytes.size();
        } else {
            writeLarge(bytes);
        }
    }
    // Writes bytes that lie in `window` of a mapped input: an output on a queue keeps the
    // window and writes the bytes from there, uncopied, until settle() or finish().
    void write(std::span<const uint8_t> bytes, const std::shared_ptr<const MappedWindow>& window);
    // The same, the bytes marked for the output's watch (mark != 0), which is shown them once
    // they are written (at once, by this call, for an output without a queue).
    void write(std::span<const uint8_t> bytes, const std::shared_ptr<const MappedWindow>& window,
               uint8_t mark);
    // Set before the first marked write; called on the thread that writes (see WrittenWatch).
    void watchWritten(WrittenWatch watch) { watch_ = std::move(watch); }

    // The input moves on to its next window: what this output holds of earlier ones is handed
    // to the queue when there is enough of it, else copied, so that no window stays mapped.
    void settle();
    // Overwrites bytes written before, at `offset` from the file's start (a header whose sizes
    // are known only at the end); raises on a failed write.
    void writeAt(uint64_t offset, std::span<const uint8_t> bytes);
    const std::string& path() const { return path_; }
    // The file being written until commit(): readable once finish() has run.
    const std::string& temporaryPath() const { return temporary_; }
    uint64_t written() const { return written_ + used_ + batch_.bytes; }

  private:
    friend class WriteQueue;
    static constexpr size_t kBufferSize = 512 * 1024;
    // The buffered bytes written, or handed to the queue as a batch.
    void flush();
    // Tells the queue how many copied bytes the batch holds now.
    void accountHeld();
    void writeLarge(std::span<const uint8_t> bytes);
    void writeAll(const uint8_t* p, size_t n);
    void closeQuietly() noexcept;

    int fd_ = -1;
    std::unique_ptr<uint8_t[]> own_;  // the buffer of an output without a queue
    uint8_t* buffer_ = nullptr;       // own_, or none for an output on a queue
    size_t capacity_ = 0;
    size_t used_ = 0;
    WriteQueue* queue_ = nullptr;
    WriteBatch batch_;        // an output on a queue: what it has not yet handed over
    size_t heldCounted_ = 0;  // the batch's copied bytes, as the queue counts them
    size_t queued_ = 0;       // batches handed to the queue, not yet written (under the queue's lock)
    bool writing_ = false;    // a thread is writing one of them (under the queue's lock)
    int failed_ = 0;          // the queue's failed write of this file, an errno (under its lock)
    uint64_t written_ = 0;
    std::string path_;       // the final name
    std::string temporary_;  // the file written, until it is renamed or removed
    WrittenWatch watch_;
};

// An output folder (a set of files that belong together), built under a temporary name beside
// its final one (".NAME.partial-XXXXXX") and swapped in whole by commit(): a folder of that
// name from an earlier run stays as it was until then. Destroyed uncommitted, the temporary
// folder is removed with what it holds.
class OutputFolder {
  public:
    OutputFolder() = default;
    ~OutputFolder() { discard(); }
    OutputFolder(const OutputFolder&) = delete;
    OutputFolder& operator=(const OutputFolder&) = delete;

    // Raises "Cannot create folder "NAME". REASON" on failure. A folder of that name that holds
    // anything `ours` does not name (a file this output does not write, a folder), or a file of
    // that name, is refused before anything is written: commit() would remove it.
    void create(const std::string& path, const std::function<bool(std::string_view name)>& ours);
    // Where the files are written until commit().
    const std::string& temporaryPath() const { return temporary_; }
    // Puts the folder in place of whatever had its name, which is then removed.
    void commit();
    void discard() noexcept;

  private:
    std::string path_, temporary_;
};

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed, so that no file the
// program creates takes one of them (and receives the log, or has it written over its bytes).
// Called first thing in main().
void openClosedStandardDescriptors() noexcept;

// Writes `text` as the whole of the file at `path` (through an OutputFile: the name is replaced
// only once the bytes are written); raises QuarnelError on failure.
void writeTextFile(const std::string& path, std::string_view text);

bool fileExists(const std::string& path);  // a regular file; a directory does not count
bool folderExists(const std::string& path);
// True when both names reach the same file on disk (or name the same absolute path).
bool sameFile(const std::string& a, const std::string& b);

}  // namespace quarnel
