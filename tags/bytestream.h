// Byte streams the tag handlers read and rewrite files through, and the one routine
// that changes byte ranges of a stream safely.
//
// Every stream is used by one thread at a time; none is shared.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace calvorine::tags {

// A random-access byte stream with 64-bit offsets. Results: counts of bytes moved, or
// -1 on failure (size, setSize, tell, seek).
class IByteStream {
public:
    virtual ~IByteStream() = default;
    virtual int read(void* buffer, int count) = 0;
    virtual int write(const void* buffer, int count) = 0;
    virtual int64_t size() = 0;
    // Cuts or extends the stream to exactly that size; the position moves to the new end.
    virtual int64_t setSize(int64_t newSize) = 0;
    virtual int64_t tell() = 0;
    // Absolute positions only; returns the new position.
    virtual int64_t seek(int64_t offset) = 0;

    // Rewriting a stream whose size changes goes through a scratch copy that replaces
    // the original only once it is complete: createScratch gives an empty stream
    // beside this one (null when the stream cannot be rewritten), commitScratch makes
    // its contents this stream's contents in one step and returns 0, or -1 leaving this
    // stream as it was. The scratch is consumed either way.
    virtual std::unique_ptr<IByteStream> createScratch() { return nullptr; }
    virtual int commitScratch(std::unique_ptr<IByteStream> scratch) {
        (void)scratch;
        return -1;
    }
};

// A file opened for reading and writing through a POSIX descriptor.
class PosixFileStream : public IByteStream {
public:
    // Opens an existing file; isOpen() tells whether that worked.
    explicit PosixFileStream(const std::string& path);
    ~PosixFileStream() override;
    PosixFileStream(const PosixFileStream&) = delete;
    PosixFileStream& operator=(const PosixFileStream&) = delete;

    bool isOpen() const { return fd_ >= 0; }

    int read(void* buffer, int count) override;
    int write(const void* buffer, int count) override;
    int64_t size() override;
    int64_t setSize(int64_t newSize) override;
    int64_t tell() override;
    int64_t seek(int64_t offset) override;
    std::unique_ptr<IByteStream> createScratch() override;
    int commitScratch(std::unique_ptr<IByteStream> scratch) override;

private:
    struct ScratchTag {};
    PosixFileStream(int fd, std::string path, ScratchTag);

    // Serves a small read from the cached block, reading the block first when needed;
    // false when the read is not one for the cache.
    bool readCached(void* buffer, int count, int& done);

    int fd_ = -1;
    int64_t position_ = 0;
    // The file's size as this stream last set or saw it; -1 when unknown. Nobody else
    // writes the file while it is open for its tags.
    int64_t size_ = -1;
    // The last two blocks read (tags sit at both ends of a file), kept so that the many
    // small reads of a tag's fields cost one system call each; writes update them.
    struct Block {
        std::vector<uint8_t> bytes;
        int64_t offset = 0;
        int64_t end() const { return offset + static_cast<int64_t>(bytes.size()); }
    };
    Block cache_[2];
    int lastUsed_ = 0;
    std::string path_;
    bool unlinkOnClose_ = false; // a scratch file that was never committed
};

// A stream held in memory; used by the fuzzers and by tests.
class MemoryStream : public IByteStream {
public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    const std::vector<uint8_t>& bytes() const { return bytes_; }

    int read(void* buffer, int count) override;
    int write(const void* buffer, int count) override;
    int64_t size() override { return static_cast<int64_t>(bytes_.size()); }
    int64_t setSize(int64_t newSize) override;
    int64_t tell() override { return position_; }
    int64_t seek(int64_t offset) override;
    std::unique_ptr<IByteStream> createScratch() override;
    int commitScratch(std::unique_ptr<IByteStream> scratch) override;

private:
    std::vector<uint8_t> bytes_;
    int64_t position_ = 0;
};

// Read-only view with read-ahead over another stream (not owned), for parsers that
// read many small fields.
class BufferedReadStream : public IByteStream {
public:
    explicit BufferedReadStream(IByteStream* inner) : inner_(inner) {}

    int read(void* buffer, int count) override;
    int write(const void*, int) override { return -1; }
    int64_t size() override { return inner_ ? inner_->size() : -1; }
    int64_t setSize(int64_t newSize) override { return inner_ ? inner_->setSize(newSize) : -1; }
    int64_t tell() override;
    int64_t seek(int64_t offset) override;

private:
    static constexpr int kCapacity = 4096;
    IByteStream* inner_;
    uint8_t buffer_[kCapacity];
    int readPosition_ = 0;
    int unread_ = 0;
};

// The part [base, base + length) of another stream (not owned), seen as a stream of
// its own, so that a tag kept inside another structure parses as if it were a file.
// Read-only: nothing may write past the window.
class WindowStream : public IByteStream {
public:
    WindowStream(IByteStream* inner, int64_t base, int64_t length) : inner_(inner), base_(base), length_(length) {}

    int read(void* buffer, int count) override;
    int write(const void*, int) override { return -1; }
    int64_t size() override;
    int64_t setSize(int64_t) override { return -1; }
    int64_t tell() override;
    int64_t seek(int64_t offset) override;

private:
    IByteStream* inner_;
    int64_t base_;
    int64_t length_;
};

// Reads exactly count bytes at offset; false on a failed seek or a short read.
bool readAt(IByteStream* stream, int64_t offset, void* buffer, int64_t count);
// Reads [offset, offset + count) into a vector; empty on failure (or count 0).
std::vector<uint8_t> readRange(IByteStream* stream, int64_t offset, int64_t count);

// One change of a stream: [offset, offset + oldLength) becomes bytes.
struct ByteEdit {
    int64_t offset = 0;
    int64_t oldLength = 0;
    std::vector<uint8_t> bytes;
};

// Applies non-overlapping edits (in any order) so that either all of them land or the
// stream keeps its old contents. When nothing behind an edit has to move (every edit
// keeps its length, except that the last may grow or shrink when it reaches the end of
// the stream) the bytes are written in place, growth first, and what was overwritten is
// put back if a write fails; otherwise a complete new copy is written through the
// stream's scratch and swapped in. Returns 0, or -1 when an edit lies outside the stream, overlaps
// another, or a read or write failed.
int applyByteEdits(IByteStream* stream, std::vector<ByteEdit> edits);

// The same for one range: [offset, offset + oldLength) becomes newLength bytes of data.
int replaceFileRange(IByteStream* stream, int64_t offset, int64_t oldLength, const uint8_t* data, int64_t newLength);

// Builds a new copy of a stream piece by piece and swaps it in on commit. Used where a
// rewrite is more than a few edits (Ogg pages renumbered through the whole file).
class StreamRewrite {
public:
    explicit StreamRewrite(IByteStream* target);
    bool ok() const { return ok_; }
    bool append(const void* data, int64_t length);
    bool append(const std::vector<uint8_t>& bytes) { return append(bytes.data(), static_cast<int64_t>(bytes.size())); }
    // Copies [offset, offset + length) of the target's current contents.
    bool copyFrom(int64_t offset, int64_t length);
    // Swaps the copy in; 0, or -1 leaving the target unchanged.
    int commit();

private:
    IByteStream* target_;
    std::unique_ptr<IByteStream> scratch_;
    bool ok_ = false;
};

} // namespace calvorine::tags
