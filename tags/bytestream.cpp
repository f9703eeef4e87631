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
    // the link points at, not the link.
    char resolved[PATH_MAX];
    path_ = ::realpath(path.c_str(), resolved) ? std::string(resolved) : path;
    fd_ = ::open(path_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd_ >= 0) {
        struct stat info {};
        if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
            ::close(fd_);
            fd_ = -1;
        }
    }
}

PosixFileStream::PosixFileStream(int fd, std::string path, ScratchTag)
    : fd_(fd), path_(std::move(path)), unlinkOnClose_(true) {}

PosixFileStream::~PosixFileStream() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
    if (unlinkOnClose_) {
        ::unlink(path_.c_str());
    }
}

int PosixFileStream::read(void* buffer, int count) {
    if (fd_ < 0 || count < 0) {
        return -1;
    }
    int done = 0;
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
    return done;
}

int64_t PosixFileStream::size() {
    if (fd_ < 0) {
        return -1;
    }
    struct stat info {};
    if (::fstat(fd_, &info) != 0) {
        return -1;
    }
    return static_cast<int64_t>(info.st_size);
}

int64_t PosixFileStream::setSize(int64_t newSize) {
    if (fd_ < 0 || newSize < 0 || ::ftruncate(fd_, newSize) != 0) {
        return -1;
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
    // last one may append to the end or cut the end off. Appending goes first, so that a
    // failure there is undone by cutting the file back to its old size.
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
        const bool append = atEnd && edit.oldLength == 0;
        const bool cut = atEnd && edit.bytes.empty();
        inPlace = inPlace && (sameLength || append || cut);
    }
    if (edits.empty()) {
        return 0;
    }

    if (inPlace) {
        ByteEdit tail;
        if (static_cast<int64_t>(edits.back().bytes.size()) != edits.back().oldLength) {
            tail = std::move(edits.back());
            edits.pop_back();
        }
        if (!tail.bytes.empty()) {
            const int length = static_cast<int>(tail.bytes.size());
            if (stream->seek(fileSize) != fileSize || stream->write(tail.bytes.data(), length) != length) {
                stream->setSize(fileSize);
                return -1;
            }
        }
        // Overwrite, keeping what was there to put back if a write fails.
        std::vector<std::vector<uint8_t>> saved;
        saved.reserve(edits.size());
        for (const ByteEdit& edit : edits) {
            saved.push_back(readRange(stream, edit.offset, edit.oldLength));
            if (static_cast<int64_t>(saved.back().size()) != edit.oldLength) {
                stream->setSize(fileSize);
                return -1;
            }
        }
        for (size_t i = 0; i < edits.size(); ++i) {
            const ByteEdit& edit = edits[i];
            const int length = static_cast<int>(edit.bytes.size());
            if (length > 0 &&
                (stream->seek(edit.offset) != edit.offset || stream->write(edit.bytes.data(), length) != length)) {
                for (size_t j = 0; j <= i; ++j) {
                    if (!saved[j].empty() && stream->seek(edits[j].offset) == edits[j].offset) {
                        stream->write(saved[j].data(), static_cast<int>(saved[j].size()));
                    }
                }
                stream->setSize(fileSize);
                return -1;
            }
        }
        if (tail.oldLength > 0 && stream->setSize(tail.offset) != tail.offset) {
            return -1;
        }
        return 0;
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
