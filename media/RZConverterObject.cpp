#include "media/RZConverterObject.h"

#include "media/CAVConverter.h"
#include "media/ConvertParam.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QMetaType>
#include <QRegularExpression>

#include <algorithm>

ConvertConfig::ConvertConfig() {
    clear();
}

ConvertConfig::ConvertConfig(const ConvertConfig& other) {
    *this = other;
}

ConvertConfig& ConvertConfig::operator=(const ConvertConfig& other) {
    if (this == &other) {
        return *this;
    }
    clear();
    param = other.param != nullptr ? new ConvertParam(*other.param) : nullptr;
    outputFolder = other.outputFolder;
    sourcePath = other.sourcePath;
    extensionText = other.extensionText;
    displayName = other.displayName;
    edit = other.edit;
    outputPath = other.outputPath;
    extraText = other.extraText;
    return *this;
}

ConvertConfig::~ConvertConfig() {
    delete param;
}

void ConvertConfig::clear() {
    delete param;
    param = nullptr;
    edit = VEEditConfig();
    outputFolder.clear();
    sourcePath.clear();
    extensionText.clear();
    displayName.clear();
    outputPath.clear();
    extraText.clear();
}

RZConverterObject::RZConverterObject(QObject* parent) : QObject(parent) {
    qRegisterMetaType<convertState>("convertState");
    qRegisterMetaType<uint32_t>("uint32_t");
    connect(this, &RZConverterObject::seedConvertPro, this, &RZConverterObject::UpdataConverPro);
}

RZConverterObject::~RZConverterObject() {
    releaseConverter();
}

void RZConverterObject::releaseConverter() {
    if (m_converter != nullptr) {
        releaseAVConverter(m_converter);
        m_converter = nullptr;
    }
}

void RZConverterObject::setJob(const ConvertConfig& job) {
    m_job = job;
}

ConvertConfig RZConverterObject::job() const {
    ConvertConfig copy(m_job);
    copy.outputPath = m_outputPath;
    copy.displayName = m_outputName;
    return copy;
}

QString RZConverterObject::makeTrimOutputName(const QString& folder, const QString& sourceFileName, QString* fileName) {
    if (fileName != nullptr) {
        fileName->clear();
    }
    if (folder.trimmed().isEmpty() || sourceFileName.isEmpty()) {
        return QString();
    }
    QString base = sourceFileName;
    QString extension;
    const int dot = sourceFileName.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0) {
        base = sourceFileName.left(dot);
        extension = sourceFileName.mid(dot + 1);
    }
    // Only a suffix this job made is taken off: "my_Trimmed" keeps its name.
    static const QRegularExpression trimSuffix(QStringLiteral("_Trim_\\d+$"));
    base.remove(trimSuffix);
    const QString separator =
        folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')) ? QString() : QStringLiteral("/");
    QString path;
    QString name;
    for (int n = 1;; ++n) {
        const QString number = QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0'));
        name = dot >= 0 ? QStringLiteral("%1_Trim_%2.%3").arg(base, number, extension)
                        : QStringLiteral("%1_Trim_%2").arg(base, number);
        path = folder + separator + name;
        if (!QFileInfo::exists(path)) {
            break;
        }
    }
    if (fileName != nullptr) {
        *fileName = name;
    }
    return path;
}

void RZConverterObject::startConvert() {
    m_cancelled = false;
    m_outputPath = makeTrimOutputName(m_job.outputFolder, m_job.displayName, &m_outputName);
    const VEEditConfig& edit = m_job.edit;
    if (m_outputPath.isEmpty() || (edit.trimEnd != 0 && edit.trimEnd <= edit.trimStart)) {
        // No folder to write to, or a range that ends before it starts: nothing to make.
        emit emitConvertedFinish(false);
        return;
    }
    ConvertParam params = m_job.param != nullptr ? *m_job.param : ConvertParam();
    params.trimStartUs = int64_t(edit.trimStart);
    params.trimLengthUs = edit.trimEnd != 0 ? int64_t(edit.trimEnd - edit.trimStart) : 0;
    params.tags = edit.tags;

    releaseConverter();
    // The previous converter has been stopped and its worker joined, so every report it
    // made is already queued here; none of them is about the job starting now.
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
    m_converter = createAVConverter();
    emit emitConvertedStart();
    const QByteArray source = m_job.sourcePath.toUtf8();
    const QByteArray destination = m_outputPath.toUtf8();
    if (m_converter != nullptr && m_converter->startConvert(source.constData(), destination.constData(), &params, this,
                                                            &RZConverterObject::convertProgressCallback, false)) {
        m_running = true;
        return;
    }
    emit emitConvertedFinish(false);
}

void RZConverterObject::stopConvert() {
    m_cancelled = true;
    if (m_converter != nullptr) {
        m_converter->stopConvert();
        releaseConverter();
    }
    m_running = false;
}

void RZConverterObject::UpdataConverPro(uint32_t value, convertState state) {
    emit emitConvertProgress(value);
    if (state == ConvertFinished) {
        m_running = false;
        emit emitConvertedFinish(true);
    } else if (state != ConvertProgress && state != ConvertOpening) {
        m_running = false;
        emit emitConvertedFinish(false);
    }
}

void RZConverterObject::convertProgressCallback(int value, void* context, int state) {
    auto* self = static_cast<RZConverterObject*>(context);
    emit self->seedConvertPro(uint32_t(std::max(0, value)), static_cast<convertState>(state));
}
