#include "tagtestsupport.h"

#include "tests/support/RunTool.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>

#include <algorithm>
#include <memory>
#include <vector>

using namespace calvorine::tags;

namespace tagtest {

namespace {

QString checker() {
    return qEnvironmentVariable("CALVORINE_SOURCE_DIR") + "/tests/tags/tagcheck.py";
}

} // namespace

int run(const QString& program, const QStringList& arguments, QByteArray* output, QByteArray* errors) {
    const runtool::Result result = runtool::run(program, arguments, 300000);
    if (output) {
        *output = result.out;
    }
    if (errors) {
        *errors = result.err;
    }
    return result.exitCode;
}

int runChecker(const QStringList& arguments, QByteArray* output, QByteArray* errors) {
    return run("/usr/bin/python3", QStringList{checker()} + arguments, output, errors);
}

bool makeFixture(const QString& path) {
    if (path.endsWith(".ape")) {
        return runChecker({"make-ape", path}) == 0;
    }
    QStringList arguments{"-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=440:duration=2", "-ac", "2"};
    if (path.endsWith(".ogg")) {
        arguments << "-c:a"
                  << "libvorbis";
    } else if (path.endsWith(".mp3")) {
        arguments << "-c:a"
                  << "libmp3lame";
    }
    arguments << path;
    return run("ffmpeg", arguments) == 0;
}

bool enrichFixture(const QString& path) {
    QByteArray errors;
    const bool ok = run("/usr/bin/python3", {checker(), "enrich", path}, nullptr, &errors) == 0;
    if (!ok) {
        qWarning("%s", errors.constData());
    }
    return ok;
}

QByteArray makeCover(const QString& directory) {
    const QString path = directory + "/cover.jpg";
    run("ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=64x48", "-frames:v", "1", path});
    return readFile(path);
}

QByteArray audioDigest(const QString& path) {
    return audioDigests({path}).first();
}

QList<QByteArray> audioDigests(const QStringList& paths) {
    std::vector<std::unique_ptr<QProcess>> decoders;
    for (const QString& path : paths) {
        decoders.push_back(std::make_unique<QProcess>());
        if (!path.endsWith(".ape")) {
            decoders.back()->setStandardErrorFile(QProcess::nullDevice());
            decoders.back()->start("ffmpeg", {"-v", "error", "-i", path, "-map", "0:a", "-f", "md5", "-"});
        }
    }
    QList<QByteArray> digests;
    for (int i = 0; i < paths.size(); ++i) {
        QProcess& decoder = *decoders[size_t(i)];
        if (paths[i].endsWith(".ape")) {
            // The synthetic stream: descriptor, header and 4096 bytes of frames.
            digests << sha1Hex(readFile(paths[i]).left(52 + 24 + 4096));
        } else if (!decoder.waitForFinished(300000) || decoder.exitStatus() != QProcess::NormalExit ||
                   decoder.exitCode() != 0) {
            decoder.kill();
            decoder.waitForFinished(2000);
            digests << QByteArray();
        } else {
            digests << decoder.readAllStandardOutput().trimmed();
        }
    }
    return digests;
}

bool holdsSound(const QByteArray& digest) {
    return !digest.isEmpty() && digest != "MD5=d41d8cd98f00b204e9800998ecf8427e";
}

QJsonObject independentTags(const QString& path) {
    QByteArray output;
    QByteArray errors;
    if (run("/usr/bin/python3", {checker(), "read", path}, &output, &errors) != 0) {
        qWarning("independent reader failed: %s", errors.constData());
        return {};
    }
    return QJsonDocument::fromJson(output).object();
}

QJsonObject independentRiffLayout(const QString& path) {
    QByteArray output;
    if (run("/usr/bin/python3", {checker(), "riff", path}, &output) != 0) {
        return {};
    }
    return QJsonDocument::fromJson(output).object();
}

QByteArray sha1Hex(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
}

QByteArray littleEndian(quint64 value, int bytes) {
    QByteArray out(bytes, 0);
    for (int i = 0; i < bytes; ++i) {
        out[i] = char(value >> (8 * i));
    }
    return out;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

std::u16string utf16Path(const QString& path) {
    return std::u16string(reinterpret_cast<const char16_t*>(path.utf16()), static_cast<size_t>(path.size()));
}

namespace {

void addFields(IAudioTagFile* file, const QMap<int, QString>& fields, const QByteArray& cover) {
    file->clearAll();
    for (int field = 0; field <= FieldDisc; ++field) {
        if (field == FieldPicture) {
            if (!cover.isEmpty()) {
                file->addItem(-1, FieldPicture, TagValueBinary, cover.size(), cover.constData());
            }
            continue;
        }
        const QString text = fields.value(field);
        if (!text.isEmpty()) {
            file->addItem(-1, field, TagValueText, text.size() * 2, text.utf16());
        }
    }
}

} // namespace

namespace {

// Opens a tag file with `open`, adds the fields and saves: open's failure code, or the
// save's result.
template <typename Open> int writeTagsThrough(Open open, const QMap<int, QString>& fields, const QByteArray& cover) {
    IAudioTagFile* file = createAudioTagFile();
    int result = open(file);
    if (result == 0) {
        addFields(file, fields, cover);
        result = file->save();
        file->close();
    }
    releaseAudioTagFile(file);
    return result;
}

} // namespace

int writeTags(const QString& path, const QMap<int, QString>& fields, const QByteArray& cover) {
    const std::u16string name = utf16Path(path);
    return writeTagsThrough([&name](IAudioTagFile* file) { return file->open(name.c_str()); }, fields, cover);
}

int writeTags(IByteStream* stream, const QMap<int, QString>& fields, const QByteArray& cover) {
    return writeTagsThrough([stream](IAudioTagFile* file) { return file->attach(stream); }, fields, cover);
}

QMap<int, QString> readTags(const QString& path, int* fileType) {
    QMap<int, QString> fields;
    IAudioTagFile* file = createAudioTagFile();
    const std::u16string name = utf16Path(path);
    if (file->open(name.c_str()) == 0) {
        if (fileType) {
            *fileType = file->fileType();
        }
        for (int i = 0; i < file->itemCount(); ++i) {
            const TagItem item = file->getItem(i);
            if (fields.contains(item.field)) {
                continue;
            }
            if (item.type == TagValueBinary) {
                fields.insert(item.field, QString::fromLatin1(sha1Hex(
                                              QByteArray(reinterpret_cast<const char*>(item.data), item.length))));
            } else {
                fields.insert(item.field,
                              QString::fromUtf16(reinterpret_cast<const char16_t*>(item.data), item.length / 2));
            }
        }
    } else if (fileType) {
        *fileType = -1;
    }
    releaseAudioTagFile(file);
    return fields;
}

FailingStream::FailingStream(IByteStream* inner, int64_t budget, bool failOnce)
    : inner_(inner), state_(std::make_shared<State>(State{budget, failOnce})) {}

FailingStream::FailingStream(std::unique_ptr<IByteStream> owned, std::shared_ptr<State> state)
    : owned_(std::move(owned)), inner_(owned_.get()), state_(std::move(state)) {}

int FailingStream::write(const void* buffer, int count) {
    if (state_->budget >= count) {
        state_->budget -= count;
        return inner_->write(buffer, count);
    }
    const int allowed = static_cast<int>(std::max<int64_t>(0, state_->budget));
    const int written = allowed > 0 ? inner_->write(buffer, allowed) : 0;
    state_->budget = state_->failOnce ? INT64_MAX : 0;
    ++state_->failures;
    return written;
}

std::unique_ptr<IByteStream> FailingStream::createScratch() {
    std::unique_ptr<IByteStream> scratch = inner_->createScratch();
    if (!scratch) {
        return nullptr;
    }
    return std::unique_ptr<IByteStream>(new FailingStream(std::move(scratch), state_));
}

int FailingStream::commitScratch(std::unique_ptr<IByteStream> scratch) {
    auto* failing = dynamic_cast<FailingStream*>(scratch.get());
    if (!failing || !failing->owned_) {
        return -1;
    }
    return inner_->commitScratch(std::move(failing->owned_));
}

} // namespace tagtest
