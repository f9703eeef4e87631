#include "recorder/CurrentFormat.h"

#include "app/AppGlobals.h"
#include "app/FormatSettingFile.h"
#include "app/SettingsFile.h"
#include "media/CProfileManager.h"
#include "media/FormatTables.h"
#include "media/OutputFormatSetting.h"
#include "toolkit/QRZMessageBox.h"

#include <QApplication>
#include <QDebug>

#include <cmath>
#include <limits>
#include <optional>

namespace {

const QString kFormatSection = QStringLiteral("FormatSet");
const QString kDefaultVideoCategory = QStringLiteral("General Video");
const QString kDefaultVideoId = QStringLiteral("4000");
const QString kDefaultAudioCategory = QStringLiteral("General Audio");
const QString kDefaultAudioId = QStringLiteral("5000");

OutputFormatName* s_videoName = nullptr;
OutputFormatName* s_audioName = nullptr;

void showCatalogueProblem(const QString& message) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        qWarning("%s", qPrintable(message));
        return;
    }
    QRZMessageBox::showMessage(nullptr, message, QString(), QRZMessageBox::Warning, QRZMessageBox::OkButton);
}

std::function<void(const QString&)>& catalogueProblemHandler() {
    static std::function<void(const QString&)> handler = showCatalogueProblem;
    return handler;
}

// Choices the chooser shows for "let the encoder decide".
bool isNeutral(const QString& text) {
    return text == QLatin1String("Original") || text == QLatin1String("Auto") || text == QLatin1String("Smart Fit");
}

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), int(text.size()));
}

std::string toUtf8(const QString& text) {
    return text.toUtf8().toStdString();
}

// The text before the first `mark`, or nothing when there is no mark.
std::optional<QString> beforeMark(const QString& text, QChar mark) {
    const int at = text.indexOf(mark);
    if (at < 0)
        return std::nullopt;
    return text.left(at).trimmed();
}

// A decimal count that fits an int; 0 for anything else.
int unsignedValue(const QString& text) {
    bool ok = false;
    const uint value = text.trimmed().toUInt(&ok, 10);
    return ok && value <= uint(std::numeric_limits<int>::max()) ? int(value) : 0;
}

int codecCode(const QString& name) {
    return name.isEmpty() ? -1 : codecFourccFromName(toUtf8(name));
}

} // namespace

void initFormatNameGlobals() {
    if (!g_storedVideoFormat)
        g_storedVideoFormat = new OutputFormatSetting();
    if (!g_storedAudioFormat)
        g_storedAudioFormat = new OutputFormatSetting();
    if (!s_videoName)
        s_videoName = new OutputFormatName();
    if (!s_audioName)
        s_audioName = new OutputFormatName();
}

void freeFormatNameGlobals() {
    if (g_currentFormat == g_storedVideoFormat || g_currentFormat == g_storedAudioFormat)
        g_currentFormat = nullptr;
    delete g_storedVideoFormat;
    g_storedVideoFormat = nullptr;
    delete g_storedAudioFormat;
    g_storedAudioFormat = nullptr;
    delete s_videoName;
    s_videoName = nullptr;
    delete s_audioName;
    s_audioName = nullptr;
}

OutputFormatName* videoFormatName() {
    return s_videoName;
}

OutputFormatName* audioFormatName() {
    return s_audioName;
}

void setFormatCatalogueProblemHandler(std::function<void(const QString&)> handler) {
    catalogueProblemHandler() = handler ? std::move(handler) : showCatalogueProblem;
}

CProfileManager* formatCatalogue() {
    CProfileManager* catalogue =
        CProfileManager::instance(toUtf8(getAppDirPath() + QStringLiteral("/profile/profiles_win.plist")));
    // The reason goes to the log once; the user gets one plain sentence.
    if (!catalogue->takeLoadError().empty()) {
        catalogueProblemHandler()(QCoreApplication::translate(
            "QFormatDlg", "The list of output formats could not be read, so nothing can be recorded. "
                          "Please reinstall the program."));
    }
    return catalogue;
}

int readQualityMode(const QString& id) {
    const QString value = readFormatAttribute(id, QStringLiteral("QUALITY_VALUE"));
    if (value.isEmpty() || value == QLatin1String("0"))
        return QualityHigh;
    if (value == QLatin1String("1"))
        return QualitySmallSize;
    return QualityCustomized;
}

void resetFormat() {
    loadCurrentFormat(true);
    loadCurrentFormat(false);
}

void loadCurrentFormat(bool video) {
    QString category = readSettingValue(kFormatSection,
                                        video ? QStringLiteral("Video_Categories") : QStringLiteral("Audio_Categories"),
                                        video ? kDefaultVideoCategory : kDefaultAudioCategory);
    QString id = readSettingValue(kFormatSection, video ? QStringLiteral("Video_Id") : QStringLiteral("Audio_Id"),
                                  video ? kDefaultVideoId : kDefaultAudioId);
    // A stored profile that the catalogue no longer has would give no encoder at all:
    // the mode's default profile is used instead, and the log says so once.
    CProfileManager* catalogue = formatCatalogue();
    if (!catalogue->categories().empty() && catalogue->getBaseInfoValue(toUtf8(category), toUtf8(id), "id").empty()) {
        static bool s_toldVideo = false, s_toldAudio = false;
        bool& told = video ? s_toldVideo : s_toldAudio;
        if (!told) {
            told = true;
            qWarning().noquote() << QStringLiteral("The stored output format %1/%2 is not in the catalogue; "
                                                   "the default format %3/%4 is used.")
                                        .arg(category, id, video ? kDefaultVideoCategory : kDefaultAudioCategory,
                                             video ? kDefaultVideoId : kDefaultAudioId);
        }
        category = video ? kDefaultVideoCategory : kDefaultAudioCategory;
        id = video ? kDefaultVideoId : kDefaultAudioId;
    }
    buildFormatSetting(category, id, readQualityMode(id), video ? g_storedVideoFormat : g_storedAudioFormat);
    const QString title = fromUtf8(catalogue->getBaseInfoValue(toUtf8(category), toUtf8(id), "title"));
    if (OutputFormatName* name = video ? s_videoName : s_audioName)
        *name = OutputFormatName{category, id, title};
    qDebug() << (video ? "------------Video setting------------" : "------------Audio setting------------");
}

bool saveDefaultFormat() {
    struct Mode {
        bool video;
        OutputFormatName* name;
        QString category, id, categoryKey, idKey;
    };
    const Mode modes[] = {
        {true, s_videoName, kDefaultVideoCategory, kDefaultVideoId, QStringLiteral("Video_Categories"),
         QStringLiteral("Video_Id")},
        {false, s_audioName, kDefaultAudioCategory, kDefaultAudioId, QStringLiteral("Audio_Categories"),
         QStringLiteral("Audio_Id")},
    };
    bool saved = true;
    for (const Mode& mode : modes) {
        if (mode.name && mode.name->category == mode.category && mode.name->id == mode.id)
            continue; // already on its default: nothing written, nothing reloaded
        // Every write is tried: what could be saved is kept even when a part was not.
        saved = writeSettingValue(kFormatSection, mode.categoryKey, mode.category) && saved;
        saved = writeSettingValue(kFormatSection, mode.idKey, mode.id) && saved;
        saved = writeFormatAttribute(mode.id, QStringLiteral("QUALITY_VALUE"), QStringLiteral("1")) && saved;
        saved = writeFormatAttribute(mode.id, QStringLiteral("Video_Quality"), QStringLiteral("0")) && saved;
        loadCurrentFormat(mode.video);
    }
    return saved;
}

void buildFormatSetting(const QString& category, const QString& id, int mode, OutputFormatSetting* target) {
    if (!target)
        return;
    std::optional<FormatSetting> custom;
    if (mode == QualityCustomized) {
        custom = readFormatSetting(id);
        if (!custom)
            mode = QualityHigh;
    }
    std::string videoEncoder, resolution, audioEncoder, channels;
    if (custom) {
        videoEncoder = toUtf8(custom->videoEncoder);
        resolution = toUtf8(custom->videoResolution);
        audioEncoder = toUtf8(custom->audioEncoder);
        channels = toUtf8(custom->audioChannels);
    }
    const ProfileDetail* detail = formatCatalogue()->readProfileDetail(toUtf8(category), toUtf8(id), videoEncoder,
                                                                       resolution, audioEncoder, channels);
    fillFormatSetting(detail, mode, custom ? &*custom : nullptr, target);
}

void fillFormatSetting(const ProfileDetail* detail, int mode, const FormatSetting* custom,
                       OutputFormatSetting* target) {
    if (!detail || !target)
        return;
    OutputFormatSetting& format = *target;
    // A custom value, unless it leaves the choice to the encoder.
    auto customOr = [&](const QString* customValue, const std::string& fallback) {
        return customValue && !isNeutral(*customValue) ? *customValue : fromUtf8(fallback);
    };

    format.audioOnly = detail->audioOnly;
    format.container = fromUtf8(containerNameFromFormat(detail->ext));
    format.extension = fromUtf8(detail->ext);
    if (mode == QualityCustomized) {
        const QString quality = custom ? custom->videoQuality : QString();
        format.quality = parsePercent(quality.isEmpty() || isNeutral(quality) ? QStringLiteral("70 %") : quality);
    } else {
        format.quality = mode == QualityHigh ? 80 : 50;
    }

    if (format.audioOnly) {
        format.videoCodec.clear();
        format.videoCodecId = -1;
        format.width = 0;
        format.height = 0;
        format.frameRateNum = 0;
        format.frameRateDen = 1;
        format.videoBitRate = 0;
        format.quality = -1;
    } else {
        format.videoCodec = custom && !custom->videoEncoder.isEmpty() && !isNeutral(custom->videoEncoder)
                                ? custom->videoEncoder
                                : fromUtf8(detail->videoEncoder);
        format.videoCodecId = codecCode(format.videoCodec);

        // Without a fixed size the capture size is recorded.
        const QString resolution =
            custom ? custom->videoResolution : (detail->hasAuto ? QString() : fromUtf8(detail->resolution));
        parseResolution(resolution, &format.width, &format.height);

        const double fps =
            parseFrameRate(customOr(custom ? &custom->videoFrameRate : nullptr, detail->frameRateDefault));
        frameRateToRational(fps, &format.frameRateNum, &format.frameRateDen);

        QString bitRate;
        if (mode == QualityCustomized) {
            bitRate = customOr(custom ? &custom->videoBitRate : nullptr, detail->videoBitrateDefault);
            if (custom && !isNeutral(custom->videoBitRate))
                format.quality = -1; // a chosen bit rate rules over the quality
        } else {
            bitRate = fromUtf8(mode == QualityHigh ? detail->videoBitrateHigh : detail->videoBitrateLow);
        }
        format.videoBitRate = parseKilo(bitRate);
        if (!detail->hasAuto)
            format.quality = -1;
    }

    format.audioCodec = customOr(custom ? &custom->audioEncoder : nullptr, detail->audioEncoder);
    format.audioCodecId = codecCode(format.audioCodec);
    bool ok = false;
    format.channels = customOr(custom ? &custom->audioChannels : nullptr, detail->channels).trimmed().toInt(&ok, 10);
    if (!ok)
        format.channels = 0;
    format.sampleRate = parseHertz(customOr(custom ? &custom->audioSampleRate : nullptr, detail->sampleRateDefault));
    QString audioBitRate;
    if (mode == QualityCustomized)
        audioBitRate = customOr(custom ? &custom->audioBitRate : nullptr, detail->audioBitrateDefault);
    else
        audioBitRate = fromUtf8(mode == QualityHigh ? detail->audioBitrateHigh : detail->audioBitrateLow);
    format.audioBitRate = parseKilo(audioBitRate);
}

void parseResolution(const QString& text, int* width, int* height) {
    const int star = text.indexOf(QLatin1Char('*'));
    const int w = star < 0 ? 0 : unsignedValue(text.left(star));
    const int h = star < 0 ? 0 : unsignedValue(text.mid(star + 1));
    if (width)
        *width = w;
    if (height)
        *height = h;
}

double parseFrameRate(const QString& text) {
    const std::optional<QString> number = beforeMark(text, QLatin1Char('f'));
    if (!number)
        return 0.0;
    bool ok = false;
    const double value = number->toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

int parsePercent(const QString& text) {
    const std::optional<QString> number = beforeMark(text, QLatin1Char('%'));
    if (!number)
        return 0;
    bool ok = false;
    const int value = number->toInt(&ok, 10);
    return ok ? value : 0;
}

int parseKilo(const QString& text) {
    const std::optional<QString> number = beforeMark(text, QLatin1Char('k'));
    return number ? unsignedValue(*number) : 0;
}

int parseHertz(const QString& text) {
    const std::optional<QString> number = beforeMark(text, QLatin1Char('H'));
    return number ? unsignedValue(*number) : 0;
}
