#include "tags/audiotagfile.h"

#include "tags/apetag.h"
#include "tags/asftag.h"
#include "tags/flactag.h"
#include "tags/id3v1tag.h"
#include "tags/id3v2tag.h"
#include "tags/mp4tag.h"
#include "tags/oggvorbistag.h"
#include "tags/probes.h"
#include "tags/riffinfotag.h"

#include <algorithm>
#include <climits>
#include <functional>
#include <memory>
#include <new>

namespace calvorine::tags {

namespace {

template <typename Handler, typename... Extra>
std::unique_ptr<TagHandler> makeHandler(IByteStream* stream, Extra... extra) {
    int result = 0;
    std::unique_ptr<TagHandler> handler(new (std::nothrow) Handler(stream, result, extra...));
    if (handler && result < 0) {
        handler.reset();
    }
    return handler;
}

std::unique_ptr<TagHandler> createPrimaryTagHandler(int type, IByteStream* stream) {
    switch (type) {
    case FileWav:
        return makeHandler<RiffInfoTag>(stream);
    case FileWma:
        return makeHandler<AsfTag>(stream);
    case FileM4a:
        return makeHandler<Mp4Tag>(stream);
    case FileOgg:
        return makeHandler<OggVorbisTag>(stream);
    case FileFlac:
        return makeHandler<FlacTag>(stream);
    case FileMp3:
        return probeMpegAudio(stream) >= 0 ? makeHandler<ApeTag>(stream, type) : nullptr;
    case FileAac:
        return probeAdts(stream) >= 0 ? makeHandler<ApeTag>(stream, type) : nullptr;
    case FileApe:
        return probeMonkeysAudio(stream) >= 0 ? makeHandler<ApeTag>(stream, type) : nullptr;
    default:
        return nullptr;
    }
}

int mainSlot(int type) {
    switch (type) {
    case FileWav:
        return SlotRiffInfo;
    case FileWma:
        return SlotAsf;
    case FileM4a:
        return SlotMp4;
    case FileOgg:
        return SlotOggVorbis;
    case FileFlac:
        return SlotFlac;
    default:
        return SlotApe;
    }
}

// The type a stream opens as, and its main tag: the preferred type when its probe
// passes, else the first type in probe order whose probe does; -1 when none does.
std::unique_ptr<TagHandler> detectType(IByteStream* stream, int preferred, int& type) {
    type = -1;
    std::unique_ptr<TagHandler> handler;
    if (preferred >= 0) {
        handler = createPrimaryTagHandler(preferred, stream);
        type = preferred;
    }
    static const int kProbeOrder[] = {FileWav, FileWma, FileM4a, FileOgg, FileApe, FileFlac, FileMp3, FileAac};
    for (int candidate : kProbeOrder) {
        if (handler) {
            break;
        }
        if (candidate != preferred) {
            handler = createPrimaryTagHandler(candidate, stream);
            type = candidate;
        }
    }
    if (!handler) {
        type = -1;
    }
    return handler;
}

// The caller's stream as the handlers see it. While tags are being saved it keeps what
// each write overwrites, and holds back a rewritten copy until the whole save is done,
// so that a save which fails at any step, or which would make the file open as another
// kind of file (or as none), can be taken back with every byte as it was.
class GuardedStream final : public IByteStream {
public:
    void setInner(IByteStream* inner) {
        inner_ = inner;
        pending_.reset();
    }
    // What the file holds for the handlers now: the rewritten copy waiting to be swapped
    // in, or the caller's stream.
    IByteStream* current() const { return pending_ ? pending_.get() : inner_; }

    // Keeps what changes from here until end(); `accepts` judges a rewritten copy.
    void begin(std::function<bool(IByteStream*)> accepts) {
        journal_.clear();
        pending_.reset();
        accepts_ = std::move(accepts);
        refusedCopy_ = false;
        originalSize_ = inner_->size();
        journaling_ = originalSize_ >= 0;
        undoable_ = journaling_;
    }
    // Swaps in the rewritten copy, if any; false (with what was written in place taken
    // back) when that fails.
    bool end() {
        bool ok = true;
        if (pending_) {
            ok = inner_->commitScratch(std::move(pending_)) == 0;
            if (!ok) {
                undo();
            }
        }
        journal_.clear();
        accepts_ = nullptr;
        journaling_ = false;
        return ok;
    }
    // Whether `accepts` refused a rewritten copy since begin().
    bool refusedCopy() const { return refusedCopy_; }
    // Drops the rewritten copy and puts back what changed in place since begin(). False
    // when a write fails.
    bool undo() {
        pending_.reset();
        if (!undoable_) {
            return false;
        }
        journaling_ = false;
        bool ok = true;
        for (auto entry = journal_.rbegin(); entry != journal_.rend(); ++entry) {
            ok = ok && inner_->seek(entry->offset) == entry->offset &&
                 inner_->write(entry->bytes.data(), static_cast<int>(entry->bytes.size())) ==
                     static_cast<int>(entry->bytes.size());
        }
        journal_.clear();
        return inner_->setSize(originalSize_) == originalSize_ && ok;
    }

    int read(void* buffer, int count) override { return current()->read(buffer, count); }
    int write(const void* buffer, int count) override {
        if (journaling_ && !pending_ && count > 0) {
            const int64_t at = inner_->tell();
            const int64_t size = inner_->size();
            if (at < 0 || size < 0) {
                undoable_ = false;
            } else if (at < size) {
                keep(at, std::min<int64_t>(count, size - at));
                if (inner_->seek(at) != at) {
                    return -1;
                }
            }
        }
        return current()->write(buffer, count);
    }
    int64_t size() override { return current()->size(); }
    int64_t setSize(int64_t newSize) override {
        if (journaling_ && !pending_) {
            const int64_t size = inner_->size();
            if (size < 0) {
                undoable_ = false;
            } else if (newSize < size) {
                keep(newSize, size - newSize);
            }
        }
        return current()->setSize(newSize);
    }
    int64_t tell() override { return current()->tell(); }
    int64_t seek(int64_t offset) override { return current()->seek(offset); }
    std::unique_ptr<IByteStream> createScratch() override { return inner_->createScratch(); }
    int commitScratch(std::unique_ptr<IByteStream> scratch) override {
        if (!scratch) {
            return -1;
        }
        if (accepts_ && !accepts_(scratch.get())) {
            refusedCopy_ = true;
            return -1;
        }
        if (!journaling_) {
            return inner_->commitScratch(std::move(scratch));
        }
        // The copy becomes the file only when the whole save has worked.
        pending_ = std::move(scratch);
        pending_->seek(0);
        return 0;
    }

private:
    void keep(int64_t offset, int64_t length) {
        if (length > INT_MAX) {
            undoable_ = false;
            return;
        }
        std::vector<uint8_t> old = readRange(inner_, offset, length);
        if (static_cast<int64_t>(old.size()) != length) {
            undoable_ = false;
            return;
        }
        journal_.push_back({offset, std::move(old)});
    }

    struct Entry {
        int64_t offset;
        std::vector<uint8_t> bytes;
    };
    IByteStream* inner_ = nullptr;
    std::unique_ptr<IByteStream> pending_; // a rewritten copy, swapped in by end()
    std::vector<Entry> journal_;
    std::function<bool(IByteStream*)> accepts_;
    int64_t originalSize_ = -1;
    bool journaling_ = false;
    bool undoable_ = false;
    bool refusedCopy_ = false;
};

// UTF-16 path to the UTF-8 bytes the file system takes.
std::string pathFromUtf16(const char16_t* path) {
    std::u16string text;
    for (const char16_t* p = path; *p; ++p) {
        text.push_back(*p);
    }
    return utf16ToUtf8(text);
}

class AudioTagFile final : public IAudioTagFile {
public:
    ~AudioTagFile() override { close(); }

    int open(const char16_t* path) override {
        close();
        if (!path) {
            return -1;
        }
        auto stream = std::make_unique<PosixFileStream>(pathFromUtf16(path));
        if (!stream->isOpen()) {
            return -1;
        }
        pendingType_ = audioFileTypeFromPath(path);
        const int result = attach(stream.get());
        pendingType_ = -1;
        if (result == 0) {
            ownedStream_ = std::move(stream);
        }
        return result;
    }

    int attach(IByteStream* stream) override {
        const int pending = pendingType_;
        close();
        if (!stream) {
            return -1;
        }
        guard_.setInner(stream);
        int type = -1;
        std::unique_ptr<TagHandler> handler = detectType(&guard_, pending, type);
        if (!handler) {
            return -1;
        }
        fileType_ = type;
        preferredType_ = pending;
        handlers_[mainSlot(type)] = std::move(handler);
        if (type == FileMp3 || type == FileAac || type == FileApe || type == FileFlac) {
            int ignored = 0;
            handlers_[SlotId3v1].reset(new (std::nothrow) Id3v1Tag(&guard_, ignored, type));
            handlers_[SlotId3v2].reset(new (std::nothrow) Id3v2Tag(&guard_, ignored));
        }
        return 0;
    }

    int close() override {
        for (auto& handler : handlers_) {
            handler.reset();
        }
        for (bool& flag : dirty_) {
            flag = false;
        }
        ownedStream_.reset();
        guard_.setInner(nullptr);
        fileType_ = -1;
        preferredType_ = -1;
        return 0;
    }

    int fileType() const override { return fileType_; }

    int save() override {
        if (fileType_ < 0) {
            return -1;
        }
        // A save that fails at any step, or that would make the file open as another kind
        // of file or as none, is taken back whole: every byte stays as it was (a rewritten
        // copy is swapped in only once every tag is written) and the tags are read again.
        bool failed = false;
        guard_.begin([this](IByteStream* contents) { return keepsType(contents); });
        auto saveSlot = [this, &failed](int slot) {
            if (failed || !dirty_[slot] || !handlers_[slot]) {
                return 1;
            }
            const int saved = handlers_[slot]->save();
            if (saved < 0 || guard_.refusedCopy() || (saved == 0 && !keepsType(guard_.current()))) {
                failed = true;
                return -1;
            }
            return saved;
        };
        // Bytes between a FLAC file's ID3v2 tag and its stream go with any save.
        if (fileType_ == FileFlac && handlers_[SlotFlac] &&
            static_cast<const FlacTag*>(handlers_[SlotFlac].get())->hasStrayLead() &&
            std::find(std::begin(dirty_), std::end(dirty_), true) != std::end(dirty_)) {
            dirty_[SlotFlac] = true;
        }
        for (int slot : {SlotId3v1, SlotApe, SlotRiffInfo, SlotAsf, SlotMp4, SlotOggVorbis, SlotFlac}) {
            saveSlot(slot);
        }
        // The ID3v2 tag sits at the start: when it changes size every other tag moves.
        const bool movedTags = saveSlot(SlotId3v2) == 0;
        if (failed) {
            guard_.undo();
        }
        failed = !guard_.end() || failed;
        if (failed || movedTags) {
            for (int slot = 0; slot < SlotCount; ++slot) {
                if ((failed || slot != SlotId3v2) && handlers_[slot] && handlers_[slot]->reload() < 0) {
                    handlers_[slot].reset();
                }
            }
        }
        const int result = failed ? -1 : 0;
        for (bool& flag : dirty_) {
            flag = false;
        }
        return result;
    }

    int itemCount() const override {
        if (fileType_ < 0) {
            return -1;
        }
        int count = 0;
        for (const auto& handler : handlers_) {
            count += handler ? handler->items().count() : 0;
        }
        return count;
    }

    TagItem getItem(int index) const override {
        int slot = -1;
        int local = -1;
        if (!locateItem(index, slot, local)) {
            return TagItem{};
        }
        return handlers_[slot]->items().getItem(local);
    }

    int setItem(int index, const TagItem& item) override {
        int slot = -1;
        int local = -1;
        if (!locateItem(index, slot, local) || (item.slot != -1 && item.slot != slot)) {
            return -1;
        }
        if (handlers_[slot]->items().setItem(local, slot, item.field, item.type, item.length, item.data) != 0) {
            return -1;
        }
        dirty_[slot] = true;
        return 0;
    }

    int setItemsByField(int matchField, int slot, int newField, int type, int length, const void* data) override {
        if (fileType_ < 0 || matchField == -1 || slot != -1) {
            return -1;
        }
        for (int s = 0; s < SlotCount; ++s) {
            if (!handlers_[s]) {
                continue;
            }
            TagItemList& list = handlers_[s]->items();
            for (int i = 0; i < list.count(); ++i) {
                if (list.getItem(i).field == matchField && list.setItem(i, s, newField, type, length, data) == 0) {
                    dirty_[s] = true;
                }
            }
        }
        return 0;
    }

    int addItem(int slot, int field, int type, int length, const void* data) override {
        if (fileType_ < 0 || slot < -1 || slot >= SlotCount) {
            return -1;
        }
        if (slot == -1) {
            for (int candidate : locateOrder()) {
                if (handlers_[candidate]) {
                    slot = candidate;
                    break;
                }
            }
        }
        if (slot < 0 || !handlers_[slot]) {
            return -1;
        }
        if (handlers_[slot]->items().addItem(slot, field, type, length, data) != 0) {
            return -1;
        }
        dirty_[slot] = true;
        return 0;
    }

    int removeItem(int index) override {
        int slot = -1;
        int local = -1;
        if (!locateItem(index, slot, local)) {
            return -1;
        }
        handlers_[slot]->items().removeAt(local);
        dirty_[slot] = true;
        return 0;
    }

    int clearSlot(int slot) override {
        if (fileType_ < 0 || slot < 0 || slot >= SlotCount) {
            return -1;
        }
        if (handlers_[slot] && handlers_[slot]->items().count() > 0) {
            handlers_[slot]->items().clear();
            dirty_[slot] = true;
        }
        return 0;
    }

    int removeByField(int field) override {
        if (fileType_ < 0 || field == -1) {
            return -1;
        }
        for (int s = 0; s < SlotCount; ++s) {
            if (!handlers_[s]) {
                continue;
            }
            TagItemList& list = handlers_[s]->items();
            for (int i = list.count() - 1; i >= 0; --i) {
                if (list.getItem(i).field == field) {
                    list.removeAt(i);
                    dirty_[s] = true;
                }
            }
        }
        return 0;
    }

    int clearAll() override {
        if (fileType_ < 0) {
            return -1;
        }
        for (int s = 0; s < SlotCount; ++s) {
            clearSlot(s);
        }
        return 0;
    }

private:
    bool keepsType(IByteStream* contents) const {
        int type = -1;
        return detectType(contents, preferredType_, type) != nullptr && type == fileType_;
    }

    std::vector<int> locateOrder() const {
        if (fileType_ == FileMp3 || fileType_ == FileAac) {
            return {SlotId3v2, SlotApe, SlotId3v1};
        }
        return {SlotRiffInfo, SlotAsf, SlotMp4, SlotOggVorbis, SlotApe, SlotFlac, SlotId3v2, SlotId3v1};
    }

    bool locateItem(int index, int& slot, int& local) const {
        if (fileType_ < 0 || index < 0) {
            return false;
        }
        for (int candidate : locateOrder()) {
            if (!handlers_[candidate]) {
                continue;
            }
            const int count = handlers_[candidate]->items().count();
            if (index < count) {
                slot = candidate;
                local = index;
                return true;
            }
            index -= count;
        }
        return false;
    }

    std::unique_ptr<IByteStream> ownedStream_;
    GuardedStream guard_;
    std::unique_ptr<TagHandler> handlers_[SlotCount];
    bool dirty_[SlotCount] = {};
    int fileType_ = -1;
    int pendingType_ = -1;
    int preferredType_ = -1; // the type the path named, tried first when the file opened
};

} // namespace

int audioFileTypeFromPath(const char16_t* path) {
    if (!path) {
        return -1;
    }
    const char16_t* dot = nullptr;
    for (const char16_t* p = path; *p; ++p) {
        if (*p == u'.') {
            dot = p;
        } else if (*p == u'/') {
            dot = nullptr;
        }
    }
    if (!dot) {
        return -1;
    }
    std::string extension;
    for (const char16_t* p = dot + 1; *p; ++p) {
        if (*p > 0x7F) {
            return -1;
        }
        extension.push_back(static_cast<char>(*p));
    }
    static const char* const kExtensions[] = {"wav", "wma", "mp3", "aac", "m4a", "ogg", "ape", "flac"};
    for (int type = 0; type < 8; ++type) {
        if (equalsIgnoreCase(extension, kExtensions[type])) {
            return type;
        }
    }
    return -1;
}

IAudioTagFile* createAudioTagFile() {
    return new (std::nothrow) AudioTagFile();
}

void releaseAudioTagFile(IAudioTagFile* file) {
    delete file;
}

} // namespace calvorine::tags
