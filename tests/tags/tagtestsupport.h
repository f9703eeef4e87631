// Shared helpers of the audio-tag tests: external tools, fixtures, and a stream that
// fails after a given number of written bytes.
#pragma once

#include "tags/audiotagfile.h"
#include "tags/bytestream.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>

namespace tagtest {

// Runs a program; its exit code (-1 when it could not start), standard output and error.
int run(const QString& program, const QStringList& arguments, QByteArray* output = nullptr,
        QByteArray* errors = nullptr);

// Runs a command of tagcheck.py (the mutagen helper) on its arguments; its exit code,
// standard output and error.
int runChecker(const QStringList& arguments, QByteArray* output = nullptr, QByteArray* errors = nullptr);

// A two-second stereo sine in the format the extension names (ape: a synthetic
// Monkey's Audio file). True on success.
bool makeFixture(const QString& path);
// Adds tags the library does not model (and a back cover) with mutagen.
bool enrichFixture(const QString& path);
// A small JPEG made by ffmpeg.
QByteArray makeCover(const QString& directory);
// Decoded-audio digest (ffmpeg md5 muxer); for ape the bytes of its synthetic stream.
QByteArray audioDigest(const QString& path);
// The same for several files, decoded side by side.
QList<QByteArray> audioDigests(const QStringList& paths);
// Whether a digest is one of decoded samples: not empty (ffmpeg failed) and not that of
// no samples at all. Two digests of nothing compare equal.
bool holdsSound(const QByteArray& digest);
// The tags as the independent reader sees them.
QJsonObject independentTags(const QString& path);
// A WAVE file as mutagen's RIFF reader sees it: {"chunks": [ids], "length": seconds};
// empty when it cannot read the file.
QJsonObject independentRiffLayout(const QString& path);
QByteArray sha1Hex(const QByteArray& bytes);
// `value` as `bytes` little-endian bytes.
QByteArray littleEndian(quint64 value, int bytes);
QByteArray readFile(const QString& path);
bool writeFile(const QString& path, const QByteArray& bytes);
std::u16string utf16Path(const QString& path);

// Writes the way the program does: open, clearAll, one addItem per field (text as
// UTF-16), the cover as field 9, save. Returns save's result, or open's when it fails.
int writeTags(const QString& path, const QMap<int, QString>& fields, const QByteArray& cover);
int writeTags(calvorine::tags::IByteStream* stream, const QMap<int, QString>& fields, const QByteArray& cover);
// Reads back with the library: text fields (first per field) and the cover's sha1 as field 9.
QMap<int, QString> readTags(const QString& path, int* fileType = nullptr);

// Passes everything to an inner stream until `budget` bytes have been written (over
// this stream and every scratch copy made through it); the write that crosses the
// budget comes up short. With failOnce the stream works again after that write.
class FailingStream : public calvorine::tags::IByteStream {
public:
    FailingStream(calvorine::tags::IByteStream* inner, int64_t budget, bool failOnce);

    int read(void* buffer, int count) override { return inner_->read(buffer, count); }
    int write(const void* buffer, int count) override;
    int64_t size() override { return inner_->size(); }
    int64_t setSize(int64_t newSize) override { return inner_->setSize(newSize); }
    int64_t tell() override { return inner_->tell(); }
    int64_t seek(int64_t offset) override { return inner_->seek(offset); }
    std::unique_ptr<calvorine::tags::IByteStream> createScratch() override;
    int commitScratch(std::unique_ptr<calvorine::tags::IByteStream> scratch) override;

    int failures() const { return state_->failures; }

private:
    struct State {
        int64_t budget;
        bool failOnce;
        int failures = 0;
    };
    FailingStream(std::unique_ptr<calvorine::tags::IByteStream> owned, std::shared_ptr<State> state);

    std::unique_ptr<calvorine::tags::IByteStream> owned_;
    calvorine::tags::IByteStream* inner_;
    std::shared_ptr<State> state_;
};

} // namespace tagtest
