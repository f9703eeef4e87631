#include "tags/bytestream.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace calvorine::tags {

namespace {

constexpr int64_t kCopyChunk = 1 << 16;
// The block a small read brings into the cache.
constexpr int64_t kReadBlock = 16 * 1024;

std::string directoryOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

// ---------------------------------------------------------------- PosixFileStream

PosixFileStream::PosixFileStream(const std::string& path) {
    // Rename replaces the name it is given; for a symbolic link that must be the file
    // the link points at, not the link. A relative name is made absolute, so that a
    // later change of directory does not move the rename elsewhere.
    struct stat link {};
    if (::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        char resolved[PATH_MAX];
        path_ = ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
    } else if (!path.empty() && path[0] != '/') {
        char directory[PATH_MAX];
        path_ = ::getcwd(directory, sizeof directory) ? std::string(directory) + "/" + path : path;
    } else {
        path_ = path;
    }
    fd_ = ::open(path_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd_ >= 0) {
        struct stat info {};
        if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
            ::close(fd_);
            fd_ = -1;
        } else {
            size_ = static_cast<int64_t>(info.st_size);
        }
    }
}

PosixFileStream::PosixFileStream(int fd, std::string path, ScratchTag)
    : fd_(fd), size_(0), path_(std::move(path)), unlinkOnClose_(true) {}

PosixFileStream::~PosixFileStream() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    if (unlinkOnClose_) {
        ::unlink(path_.c_str());
    }
}

bool PosixFileStream::readCached(void* buffer, int count, int& done) {
    int hit = -1;
    for (int i = 0; i < 2; ++i) {
        if (position_ >= cache_[i].offset && position_ + count <= cache_[i].end()) {
            hit = i;
        }
    }
    if (hit < 0) {
        if (count > kReadBlock / 2 || size_ < 0) {
            return false;
        }
        hit = 1 - lastUsed_;
        Block& block = cache_[hit];
        // Reads near the end of the file come from the tags kept there: take the whole
        // last block; elsewhere the block starts at the read.
        int64_t start = position_ + kReadBlock > size_ ? std::max<int64_t>(0, size_ - kReadBlock) : position_;
        start = std::min(start, position_);
        block.bytes.resize(static_cast<size_t>(kReadBlock));
        int64_t got = 0;
        while (got < kReadBlock) {
            const ssize_t n =
                ::pread(fd_, block.bytes.data() + got, static_cast<size_t>(kReadBlock - got), start + got);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                break;
            }
            got += n;
        }
        block.bytes.resize(static_cast<size_t>(got));
        block.offset = start;
    }
    lastUsed_ = hit;
    const Block& block = cache_[hit];
    const int64_t available = std::max<int64_t>(0, block.end() - position_);
    done = static_cast<int>(std::min<int64_t>(count, available));
    if (done > 0) {
        std::memcpy(buffer, block.bytes.data() + (position_ - block.offset), static_cast<size_t>(done));
        position_ += done;
    }
    return true;
}

int PosixFileStream::read(void* buffer, int count) {
    if (fd_ < 0 || count < 0) {
        return -1;
    }
    int done = 0;
    if (readCached(buffer, count, done)) {
        return done;
    }
    auto* out = static_cast<uint8_t*>(buffer);
    while (done < count) {
        const ssize_t got = ::pread(fd_, out + done, static_cast<size_t>(count - done), position_);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        done += static_cast<int>(got);
        position_ += got;
    }
    return done;
}

int PosixFileStream::write(const void* buffer, int count) {
    if (fd_ < 0 || count < 0) {
        return -1;
    }
    int done = 0;
    const auto* in = static_cast<const uint8_t*>(buffer);
    const int64_t start = position_;
    while (done < count) {
        const ssize_t put = ::pwrite(fd_, in + done, static_cast<size_t>(count - done), position_);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            break;
        }
        done += static_cast<int>(put);
        position_ += put;
    }
    // What was written replaces what the cache holds of that range.
    for (Block& block : cache_) {
        const int64_t from = std::max(start, block.offset);
        const int64_t to = std::min(position_, block.end());
        if (from < to) {
            std::memcpy(block.bytes.data() + (from - block.offset), in + (from - start),
                        static_cast<size_t>(to - from));
        }
    }
    if (size_ >= 0) {
        size_ = std::max(size_, position_);
    }
    return done;
}

int64_t PosixFileStream::size() {
    if (fd_ < 0) {
        return -1;
    }
    if (size_ >= 0) {
        return size_;
    }
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        return -1;
    }
    size_ = static_cast<int64_t>(info.st_size);
    return size_;
}

int64_t PosixFileStream::setSize(int64_t newSize) {
    if (fd_ < 0 || newSize < 0) {
        return -1;
    }
    if (::ftruncate(fd_, newSize) != 0) {
        size_ = -1;
        return -1;
    }
    size_ = newSize;
    for (Block& block : cache_) {
        if (block.end() > newSize) {
            block.bytes.resize(static_cast<size_t>(std::max<int64_t>(0, newSize - block.offset)));
        }
    }
    position_ = newSize;
    return newSize;
}

int64_t PosixFileStream::tell() {
    return fd_ < 0 ? -1 : position_;
}

int64_t PosixFileStream::seek(int64_t offset) {
    if (fd_ < 0 || offset < 0) {
        return -1;
    }
    position_ = offset;
    return position_;
}

std::unique_ptr<IByteStream> PosixFileStream::createScratch() {
    if (fd_ < 0) {
        return nullptr;
    }
    const std::string directory = directoryOf(path_);
    const auto slash = path_.rfind('/');
    const std::string name = slash == std::string::npos ? path_ : path_.substr(slash + 1);
    std::string pattern = directory + "/." + name + ".tags-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = ::mkostemp(buffer.data(), O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    // The new file takes the old one's permissions (and owner, where allowed).
    struct stat info {};
    if (::fstat(fd_, &info) == 0) {
        ::fchmod(fd, info.st_mode & 07777);
        if (::fchown(fd, info.st_uid, info.st_gid) != 0) {
            // Not ours to give away: the rewritten file keeps our ownership.
        }
    }
    return std::unique_ptr<IByteStream>(new PosixFileStream(fd, std::string(buffer.data()), ScratchTag{}));
}

int PosixFileStream::commitScratch(std::unique_ptr<IByteStream> scratch) {
    auto* file = dynamic_cast<PosixFileStream*>(scratch.get());
    if (fd_ < 0 || !file || file->fd_ < 0) {
        return -1;
    }
    if (::fsync(file->fd_) != 0) {
        return -1;
    }
    // The new contents are on disk before the name moves, so that after a crash the
    // name holds either the old file or the complete new one.
    if (::rename(file->path_.c_str(), path_.c_str()) != 0) {
        return -1;
    }
    ::close(fd_);
    fd_ = file->fd_;
    position_ = 0;
    size_ = file->size_;
    for (Block& block : cache_) {
        block.bytes.clear();
    }
    file->fd_ = -1;
    file->unlinkOnClose_ = false;
    return 0;
}

// ---------------------------------------------------------------- MemoryStream

int MemoryStream::read(void* buffer, int count) {
    if (count < 0) {
        return -1;
    }
    const int64_t available = std::max<int64_t>(0, size() - position_);
    const int n = static_cast<int>(std::min<int64_t>(count, available));
    if (n > 0) {
        std::memcpy(buffer, bytes_.data() + position_, static_cast<size_t>(n));
        position_ += n;
    }
    return n;
}

int MemoryStream::write(const void* buffer, int count) {
    if (count < 0) {
        return -1;
    }
    const int64_t end = position_ + count;
    if (end > size()) {
        bytes_.resize(static_cast<size_t>(end));
    }
    if (count > 0) {
        std::memcpy(bytes_.data() + position_, buffer, static_cast<size_t>(count));
    }
    position_ = end;
    return count;
}

int64_t MemoryStream::setSize(int64_t newSize) {
    if (newSize < 0) {
        return -1;
    }
    bytes_.resize(static_cast<size_t>(newSize));
    position_ = newSize;
    return newSize;
}

int64_t MemoryStream::seek(int64_t offset) {
    if (offset < 0) {
        return -1;
    }
    position_ = offset;
    return position_;
}

std::unique_ptr<IByteStream> MemoryStream::createScratch() {
    return std::make_unique<MemoryStream>();
}

int MemoryStream::commitScratch(std::unique_ptr<IByteStream> scratch) {
    auto* memory = dynamic_cast<MemoryStream*>(scratch.get());
    if (!memory) {
        return -1;
    }
    bytes_.swap(memory->bytes_);
    position_ = 0;
    return 0;
}

// ---------------------------------------------------------------- BufferedReadStream

int BufferedReadStream::read(void* buffer, int count) {
    if (!inner_ || count < 0) {
        return -1;
    }
    auto* out = static_cast<uint8_t*>(buffer);
    if (unread_ >= count) {
        std::memcpy(out, buffer_ + readPosition_, static_cast<size_t>(count));
        readPosition_ += count;
        unread_ -= count;
        return count;
    }
    const int buffered = unread_;
    if (buffered > 0) {
        std::memcpy(out, buffer_ + readPosition_, static_cast<size_t>(buffered));
    }
    readPosition_ = 0;
    unread_ = 0;
    const int wanted = count - buffered;
    if (wanted >= kCapacity) {
        const int got = inner_->read(out + buffered, wanted);
        return got > 0 ? buffered + got : buffered;
    }
    const int got = inner_->read(buffer_, kCapacity);
    if (got <= 0) {
        return buffered;
    }
    const int take = std::min(wanted, got);
    std::memcpy(out + buffered, buffer_, static_cast<size_t>(take));
    readPosition_ = take;
    unread_ = got - take;
    return buffered + take;
}

int64_t BufferedReadStream::tell() {
    if (!inner_) {
        return -1;
    }
    const int64_t position = inner_->tell();
    return position < 0 ? -1 : position - unread_;
}

int64_t BufferedReadStream::seek(int64_t offset) {
    if (!inner_ || offset < 0) {
        return -1;
    }
    const int64_t innerPosition = inner_->tell();
    const int validEnd = readPosition_ + unread_;
    if (innerPosition >= 0) {
        const int64_t back = innerPosition - offset;
        if (back >= 0 && back <= validEnd) {
            unread_ = static_cast<int>(back);
            readPosition_ = validEnd - unread_;
            return offset;
        }
    }
    readPosition_ = 0;
    unread_ = 0;
    return inner_->seek(offset);
}

// ---------------------------------------------------------------- WindowStream

int WindowStream::read(void* buffer, int count) {
    if (!inner_ || count < 0) {
        return -1;
    }
    const int64_t position = tell();
    if (position < 0) {
        return -1;
    }
    const int64_t left = std::max<int64_t>(0, length_ - position);
    return inner_->read(buffer, static_cast<int>(std::min<int64_t>(count, left)));
}

int64_t WindowStream::size() {
    if (!inner_) {
        return -1;
    }
    const int64_t innerSize = inner_->size();
    if (innerSize < 0 || innerSize < base_) {
        return -1;
    }
    return std::min(innerSize - base_, length_);
}

int64_t WindowStream::tell() {
    if (!inner_) {
        return -1;
    }
    const int64_t position = inner_->tell();
    return position < base_ ? -1 : position - base_;
}

int64_t WindowStream::seek(int64_t offset) {
    if (!inner_ || offset < 0) {
        return -1;
    }
    const int64_t position = inner_->seek(base_ + offset);
    return position < base_ ? -1 : position - base_;
}

// ---------------------------------------------------------------- helpers

bool readAt(IByteStream* stream, int64_t offset, void* buffer, int64_t count) {
    if (!stream || offset < 0 || count < 0 || count > INT_MAX) {
        return false;
    }
    if (stream->seek(offset) != offset) {
        return false;
    }
    return count == 0 || stream->read(buffer, static_cast<int>(count)) == count;
}

std::vector<uint8_t> readRange(IByteStream* stream, int64_t offset, int64_t count) {
    std::vector<uint8_t> bytes;
    if (count <= 0 || count > INT_MAX) {
        return bytes;
    }
    const int64_t total = stream ? stream->size() : -1;
    if (total < 0 || offset < 0 || offset > total || count > total - offset) {
        return bytes;
    }
    bytes.resize(static_cast<size_t>(count));
    if (!readAt(stream, offset, bytes.data(), count)) {
        bytes.clear();
    }
    return bytes;
}

StreamRewrite::StreamRewrite(IByteStream* target) : target_(target) {
    if (target_) {
        scratch_ = target_->createScratch();
    }
    ok_ = scratch_ != nullptr;
}

bool StreamRewrite::append(const void* data, int64_t length) {
    const auto* in = static_cast<const uint8_t*>(data);
    while (ok_ && length > 0) {
        const int piece = static_cast<int>(std::min<int64_t>(length, kCopyChunk));
        if (scratch_->write(in, piece) != piece) {
            ok_ = false;
        }
        in += piece;
        length -= piece;
    }
    return ok_;
}

bool StreamRewrite::copyFrom(int64_t offset, int64_t length) {
    std::vector<uint8_t> chunk(static_cast<size_t>(std::min<int64_t>(std::max<int64_t>(length, 0), kCopyChunk)));
    while (ok_ && length > 0) {
        const int piece = static_cast<int>(std::min<int64_t>(length, kCopyChunk));
        if (!readAt(target_, offset, chunk.data(), piece) || scratch_->write(chunk.data(), piece) != piece) {
            ok_ = false;
        }
        offset += piece;
        length -= piece;
    }
    return ok_;
}

int StreamRewrite::commit() {
    if (!ok_) {
        scratch_.reset();
        return -1;
    }
    ok_ = false;
    return target_->commitScratch(std::move(scratch_));
}

namespace {

// The edits (sorted, each keeping its length but the last, which ends the stream) written
// in place; what they overwrite is put back when a write fails.
int applyInPlace(IByteStream* stream, const std::vector<ByteEdit>& edits, int64_t fileSize) {
    // What is overwritten is kept, to be put back if a later write fails.
    std::vector<std::vector<uint8_t>> saved;
    saved.reserve(edits.size());
    for (const ByteEdit& edit : edits) {
        const int64_t overwritten = std::min<int64_t>(static_cast<int64_t>(edit.bytes.size()), edit.oldLength);
        saved.push_back(readRange(stream, edit.offset, overwritten));
        if (static_cast<int64_t>(saved.back().size()) != overwritten) {
            return -1;
        }
    }
    auto undo = [&](size_t written) {
        for (size_t j = 0; j < written; ++j) {
            if (!saved[j].empty() && stream->seek(edits[j].offset) == edits[j].offset) {
                stream->write(saved[j].data(), static_cast<int>(saved[j].size()));
            }
        }
        stream->setSize(fileSize);
        return -1;
    };
    // A growing end goes first: the bytes past the old end are written before any
    // old byte is touched, so that a full disk leaves the file as it was.
    const ByteEdit& last = edits.back();
    const int64_t lastLength = static_cast<int64_t>(last.bytes.size());
    const bool lastAtEnd = last.offset + last.oldLength == fileSize;
    const int64_t grown = lastAtEnd ? last.offset + lastLength - fileSize : 0;
    if (grown > 0) {
        const int64_t from = fileSize - last.offset;
        if (stream->seek(fileSize) != fileSize ||
            stream->write(last.bytes.data() + from, static_cast<int>(grown)) != grown) {
            return undo(0);
        }
    }
    for (size_t i = 0; i < edits.size(); ++i) {
        const ByteEdit& edit = edits[i];
        const int length = static_cast<int>(std::min<int64_t>(static_cast<int64_t>(edit.bytes.size()), edit.oldLength));
        if (length > 0 &&
            (stream->seek(edit.offset) != edit.offset || stream->write(edit.bytes.data(), length) != length)) {
            return undo(i + 1);
        }
    }
    if (grown < 0 && stream->setSize(fileSize + grown) != fileSize + grown) {
        return undo(edits.size());
    }
    return 0;
}

} // namespace

int applyByteEdits(IByteStream* stream, std::vector<ByteEdit> edits) {
    if (!stream) {
        return -1;
    }
    const int64_t fileSize = stream->size();
    if (fileSize < 0) {
        return -1;
    }
    std::sort(edits.begin(), edits.end(), [](const ByteEdit& a, const ByteEdit& b) { return a.offset < b.offset; });
    // In place when nothing has to move: every edit keeps its length, except that the
    // last one may change its length when it reaches the end of the file.
    bool inPlace = true;
    int64_t previousEnd = 0;
    for (size_t i = 0; i < edits.size(); ++i) {
        const ByteEdit& edit = edits[i];
        if (edit.offset < previousEnd || edit.oldLength < 0 || edit.offset > fileSize ||
            edit.oldLength > fileSize - edit.offset) {
            return -1;
        }
        previousEnd = edit.offset + edit.oldLength;
        const bool sameLength = static_cast<int64_t>(edit.bytes.size()) == edit.oldLength;
        const bool atEnd = i + 1 == edits.size() && previousEnd == fileSize;
        const bool fitsOneWrite = static_cast<int64_t>(edit.bytes.size()) <= INT_MAX;
        inPlace = inPlace && fitsOneWrite && (sameLength || atEnd);
    }
    if (edits.empty()) {
        return 0;
    }

    if (inPlace) {
        return applyInPlace(stream, edits, fileSize);
    }

    StreamRewrite rewrite(stream);
    int64_t position = 0;
    for (const ByteEdit& edit : edits) {
        rewrite.copyFrom(position, edit.offset - position);
        rewrite.append(edit.bytes);
        position = edit.offset + edit.oldLength;
    }
    rewrite.copyFrom(position, fileSize - position);
    return rewrite.commit();
}

int replaceFileRange(IByteStream* stream, int64_t offset, int64_t oldLength, const uint8_t* data, int64_t newLength) {
    if (newLength < 0 || (newLength > 0 && !data)) {
        return -1;
    }
    ByteEdit edit;
    edit.offset = offset;
    edit.oldLength = oldLength;
    edit.bytes.assign(data, data + newLength);
    std::vector<ByteEdit> edits;
    edits.push_back(std::move(edit));
    return applyByteEdits(stream, std::move(edits));
}

} // namespace calvorine::tags
