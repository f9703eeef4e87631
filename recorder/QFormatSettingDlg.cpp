#include "recorder/QFormatSettingDlg.h"

#include "app/AppGlobals.h"
#include "app/FormatSettingFile.h"
#include "recorder/CurrentFormat.h"
#include "recorder/FormHelpers.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZComboBox.h"
#include "toolkit/StyleHelpers.h"

#include <QLabel>
#include <QPainter>

namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), int(text.size()));
}

std::string toUtf8(const QString& text) {
    return text.toUtf8().toStdString();
}

// Makes the last row whose value (item data or shown text) equals `value` current;
// nothing when no row has it.
void selectRow(QRZComboBox* combo, const QString& value, bool byItemData) {
    int found = -1;
    for (int row = 0; row < combo->count(); ++row) {
        const QString rowValue = byItemData ? combo->itemData(row).toString() : combo->itemText(row);
        if (rowValue == value)
            found = row;
    }
    if (found >= 0)
        combo->setCurrentIndex(found);
}

// The first row whose value equals `value` becomes current (the catalogue's default).
void selectDefaultRow(QRZComboBox* combo, const QString& value, bool byItemData) {
    const int row = byItemData ? combo->findData(value) : combo->findText(value, Qt::MatchExactly);
    if (row >= 0)
        combo->setCurrentIndex(row);
}

} // namespace

QString QFormatSettingDlg::channelDisplayText(const QString& value) {
    if (value == QLatin1String("Auto") || value == QLatin1String("0"))
        return QStringLiteral("Auto");
    if (value == QLatin1String("1"))
        return QStringLiteral("Mono");
    if (value == QLatin1String("2"))
        return QStringLiteral("Stereo");
    if (value == QLatin1String("6"))
        return QStringLiteral("5.1 Surround");
    return value;
}

QFormatSettingDlg::QFormatSettingDlg(QWidget* parent) : QRZWidget(parent) {
    setObjectName(QStringLiteral("QFormatSettingDlg"));
    resize(659, 310);
    auto label = [this](const char* name) { return makeNamedChild<QLabel>(this, name); };
    auto combo = [this](const char* name) { return makeNamedChild<QRZComboBox>(this, name); };
    m_labBitRate = label("m_labBitRate");
    m_cmbVFrame = combo("m_cmbVFrame");
    m_cmbVBitRate = combo("m_cmbVBitRate");
    m_cmbVEncoder = combo("m_cmbVEncoder");
    m_cmbVResolution = combo("m_cmbVResolution");
    m_labCodec = label("m_labCodec");
    m_cmbASample = combo("m_cmbASample");
    m_labReslution = label("m_labReslution");
    m_labChannel = label("m_labChannel");
    m_labFrame = label("m_labFrame");
    m_cmbABitRate = combo("m_cmbABitRate");
    m_cmbAEncoder = combo("m_cmbAEncoder");
    m_labABitRate = label("m_labABitRate");
    m_labACodec = label("m_labACodec");
    m_cmbAChannel = combo("m_cmbAChannel");
    m_labSampleRate = label("m_labSampleRate");
    m_btnAudio = makeNamedChild<QRZBaseButton>(this, "m_btnAudio");
    m_btnVideo = makeNamedChild<QRZBaseButton>(this, "m_btnVideo");
    m_cmbVQuality = combo("m_cmbVQuality");
    m_labQuality = label("m_labQuality");

    setBackgroundColor(QColor(255, 0, 0));
    loadBackgroundImage(getAppDirPath() + QStringLiteral("/image/Format_Dlg/bg_setting.png"), true);
    setMinimumSize(0, 0);

    for (QLabel* l : {m_labCodec, m_labReslution, m_labFrame, m_labBitRate, m_labQuality, m_labACodec, m_labChannel,
                      m_labSampleRate, m_labABitRate})
        styleLabel(l);
    for (QRZComboBox* c : {m_cmbVEncoder, m_cmbVResolution, m_cmbVFrame, m_cmbVBitRate, m_cmbVQuality})
        styleComboBoxFlat(c, 100, 20);
    fillQualityItems();
    for (QRZComboBox* c : {m_cmbAEncoder, m_cmbAChannel, m_cmbASample, m_cmbABitRate})
        styleComboBoxFlat(c, 130, 20);
    for (QRZComboBox* c : {m_cmbVEncoder, m_cmbVResolution, m_cmbVFrame, m_cmbVBitRate, m_cmbVQuality, m_cmbAEncoder,
                           m_cmbAChannel, m_cmbASample, m_cmbABitRate})
        connect(c, QOverload<int>::of(&QComboBox::activated), this, &QFormatSettingDlg::CmbItemChange);

    const QColor light(250, 237, 237);
    m_btnVideo->setImage(getAppDirPath() + QStringLiteral("/image/Format_Dlg/btn_video.png"), true);
    m_btnAudio->setImage(getAppDirPath() + QStringLiteral("/image/Format_Dlg/btn_audio.png"), true);
    for (QRZBaseButton* b : {m_btnVideo, m_btnAudio}) {
        b->setCheckable(true);
        b->setTextColors(light, light, light, light);
        setWidgetFont(b, 12);
    }
    connect(m_btnVideo, &QAbstractButton::clicked, this, &QFormatSettingDlg::OnClickVideo);
    connect(m_btnAudio, &QAbstractButton::clicked, this, &QFormatSettingDlg::OnClickAudio);
    ShowVideoSet(true);

    m_btnAudio->setText(tr("Audio"));
    m_btnVideo->setText(tr("Video"));
    m_labCodec->setText(tr("Codec:"));
    m_labReslution->setText(tr("Resolution:"));
    m_labFrame->setText(tr("Frame Rate:"));
    m_labBitRate->setText(tr("Bit Rate:"));
    m_labQuality->setText(tr("Quality:"));
    m_labACodec->setText(tr("Codec:"));
    m_labChannel->setText(tr("Channel:"));
    m_labSampleRate->setText(tr("Sample Rate:"));
    m_labABitRate->setText(tr("Bit Rate:"));
}

QFormatSettingDlg::~QFormatSettingDlg() = default;

void QFormatSettingDlg::styleLabel(QLabel* label) {
    setWidgetFont(label, 12);
    setWidgetTextColor(label, QPalette::WindowText, QColor(250, 237, 237));
    label->resize(150, 20);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void QFormatSettingDlg::fillQualityItems() {
    m_cmbVQuality->addItem(QStringLiteral("Auto"));
    for (int percent = 10; percent <= 100; percent += 10)
        m_cmbVQuality->addItem(QStringLiteral("%1 %").arg(percent));
}

void QFormatSettingDlg::ShowVideoSet(bool video) {
    m_btnVideo->setChecked(video);
    m_btnVideo->setEnabled(!video);
    m_btnAudio->setChecked(!video);
    m_btnAudio->setEnabled(video);
    for (QWidget* w :
         std::initializer_list<QWidget*>{m_labCodec, m_cmbVEncoder, m_labReslution, m_cmbVResolution, m_labFrame,
                                         m_cmbVFrame, m_labBitRate, m_cmbVBitRate, m_labQuality, m_cmbVQuality})
        w->setVisible(video);
    for (QWidget* w : std::initializer_list<QWidget*>{m_labACodec, m_cmbAEncoder, m_labChannel, m_cmbAChannel,
                                                      m_labSampleRate, m_cmbASample, m_labABitRate, m_cmbABitRate})
        w->setVisible(!video);
}

void QFormatSettingDlg::OnClickVideo() {
    m_videoTabChosen = true;
    ShowVideoSet(true);
}

void QFormatSettingDlg::OnClickAudio() {
    m_videoTabChosen = false;
    ShowVideoSet(false);
}

void QFormatSettingDlg::setAudioDlgCtrl(bool audioOnly) {
    m_btnVideo->setVisible(!audioOnly);
    // Every codec, channel or preset choice reloads the profile: the user stays on the
    // tab they were working in.
    ShowVideoSet(!audioOnly && m_videoTabChosen);
    relayout();
}

void QFormatSettingDlg::clearProfile() {
    m_category.clear();
    m_profileId.clear();
    m_detail.reset();
    m_custom.reset();
}

void QFormatSettingDlg::setProfileDetail(const ProfileDetail* detail, bool reset) {
    if (!detail)
        return;
    if (reset)
        clearProfile();
    m_detail = std::make_unique<ProfileDetail>(*detail);
    const ProfileDetail& d = *m_detail;
    setAudioDlgCtrl(d.audioOnly);
    m_cmbVQuality->setEnabled(d.hasAuto);
    m_category = fromUtf8(d.category);
    m_profileId = fromUtf8(d.id);

    CProfileManager* catalogue = formatCatalogue();
    auto fillCodecs = [catalogue](QRZComboBox* combo, const std::vector<std::string>& names,
                                  const std::string& defaultName) {
        combo->clear();
        for (const std::string& name : names) {
            const std::string shown = catalogue->codecDisplayName(name);
            combo->addItem(fromUtf8(shown.empty() ? name : shown), fromUtf8(name));
        }
        selectDefaultRow(combo, fromUtf8(defaultName), true);
    };
    auto fillValues = [](QRZComboBox* combo, const std::vector<std::string>& values, const std::string& defaultValue) {
        combo->clear();
        for (const std::string& value : values)
            combo->addItem(fromUtf8(value));
        selectDefaultRow(combo, fromUtf8(defaultValue), false);
    };
    fillCodecs(m_cmbVEncoder, d.videoEncoders, d.videoEncoder);
    fillValues(m_cmbVResolution, d.resolutions, d.resolution);
    fillValues(m_cmbVFrame, d.frameRates, d.frameRateDefault);
    fillValues(m_cmbVBitRate, d.videoBitrates, d.videoBitrateHigh);
    fillCodecs(m_cmbAEncoder, d.audioEncoders, d.audioEncoder);
    m_cmbAChannel->clear();
    for (const std::string& value : d.channelList)
        m_cmbAChannel->addItem(channelDisplayText(fromUtf8(value)), fromUtf8(value));
    selectDefaultRow(m_cmbAChannel, fromUtf8(d.channels), true);
    fillValues(m_cmbASample, d.sampleRates, d.sampleRateDefault);
    fillValues(m_cmbABitRate, d.audioBitrates, d.audioBitrateHigh);
}

const ProfileDetail* QFormatSettingDlg::readShownDetail() const {
    return formatCatalogue()->readProfileDetail(
        toUtf8(m_category), toUtf8(m_profileId), toUtf8(m_cmbVEncoder->currentData().toString()),
        toUtf8(m_cmbVResolution->currentText()), toUtf8(m_cmbAEncoder->currentData().toString()),
        toUtf8(m_cmbAChannel->currentData().toString()));
}

void QFormatSettingDlg::setQualityMode(int mode) {
    if (mode == QualityCustomized) {
        if (applyCustomSetting(m_profileId))
            return;
        mode = QualityHigh;
    }
    if (!m_detail)
        return;
    const ProfileDetail* detail = readShownDetail();
    if (!detail)
        return;
    setProfileDetail(detail, false);
    if (m_detail->hasAuto) {
        resetToFirstItems();
    } else {
        selectRow(m_cmbVBitRate, fromUtf8(mode == QualityHigh ? m_detail->videoBitrateHigh : m_detail->videoBitrateLow),
                  false);
    }
}

bool QFormatSettingDlg::applyCustomSetting(const QString& id) {
    FormatSetting record;
    if (m_custom) {
        record = *m_custom;
    } else {
        const std::optional<FormatSetting> stored = readFormatSetting(id);
        if (!stored)
            return false;
        record = *stored;
    }
    const ProfileDetail* detail = formatCatalogue()->readProfileDetail(
        toUtf8(m_category), toUtf8(id), toUtf8(record.videoEncoder), toUtf8(record.videoResolution),
        toUtf8(record.audioEncoder), toUtf8(record.audioChannels));
    setProfileDetail(detail, false);
    selectCustomSetting(&record);
    collectCustomSetting();
    return true;
}

FormatSetting QFormatSettingDlg::currentSetting() const {
    FormatSetting setting;
    setting.onlyAudio = m_detail && m_detail->audioOnly;
    setting.videoEncoder = m_cmbVEncoder->currentData().toString();
    setting.videoResolution = m_cmbVResolution->currentText();
    setting.videoFrameRate = m_cmbVFrame->currentText();
    setting.videoBitRate = m_cmbVBitRate->currentText();
    setting.videoQuality = m_cmbVQuality->currentText();
    setting.audioEncoder = m_cmbAEncoder->currentData().toString();
    setting.audioChannels = m_cmbAChannel->currentData().toString();
    setting.audioSampleRate = m_cmbASample->currentText();
    setting.audioBitRate = m_cmbABitRate->currentText();
    return setting;
}

void QFormatSettingDlg::collectCustomSetting() {
    m_custom = std::make_unique<FormatSetting>(currentSetting());
}

void QFormatSettingDlg::selectCustomSetting(const FormatSetting* record) {
    if (!record)
        return;
    if (!(m_detail && m_detail->audioOnly)) {
        selectRow(m_cmbVEncoder, record->videoEncoder, true);
        selectRow(m_cmbVResolution, record->videoResolution, false);
        selectRow(m_cmbVFrame, record->videoFrameRate, false);
        selectRow(m_cmbVBitRate, record->videoBitRate, false);
        selectRow(m_cmbVQuality, record->videoQuality, false);
    }
    selectRow(m_cmbAEncoder, record->audioEncoder, true);
    selectRow(m_cmbAChannel, record->audioChannels, true);
    selectRow(m_cmbASample, record->audioSampleRate, false);
    selectRow(m_cmbABitRate, record->audioBitRate, false);
}

void QFormatSettingDlg::resetToFirstItems() {
    for (QRZComboBox* c : {m_cmbVEncoder, m_cmbVResolution, m_cmbVFrame, m_cmbVBitRate, m_cmbVQuality, m_cmbAEncoder,
                           m_cmbAChannel, m_cmbASample, m_cmbABitRate}) {
        if (c->count() > 0)
            c->setCurrentIndex(0);
    }
}

void QFormatSettingDlg::CmbItemChange(int) {
    if (!m_detail)
        return;
    QObject* from = sender();
    bool reread = false;
    // A codec, size or channel layout other than the one the choices were read for
    // changes the lists of the others.
    if (from == m_cmbVEncoder)
        reread = m_cmbVEncoder->currentData().toString() != fromUtf8(m_detail->videoEncoder);
    else if (from == m_cmbVResolution)
        reread = m_cmbVResolution->currentText() != fromUtf8(m_detail->resolution);
    else if (from == m_cmbAEncoder)
        reread = m_cmbAEncoder->currentData().toString() != fromUtf8(m_detail->audioEncoder);
    else if (from == m_cmbAChannel)
        reread = m_cmbAChannel->currentData().toString() != fromUtf8(m_detail->channels);
    else if (from == m_cmbVBitRate && m_cmbVQuality->count() > 0)
        m_cmbVQuality->setCurrentIndex(0);
    else if (from == m_cmbVQuality && m_cmbVBitRate->count() > 0)
        m_cmbVBitRate->setCurrentIndex(0);

    collectCustomSetting();
    if (reread) {
        // Every choice now shown takes part, so that the others are kept.
        setProfileDetail(readShownDetail(), false);
        selectCustomSetting(m_custom.get());
    }
    emit emitCustomized();
}

bool QFormatSettingDlg::saveCustomSetting() {
    if (!m_detail || m_profileId.isEmpty())
        return true;
    return writeFormatSetting(m_profileId, currentSetting());
}

void QFormatSettingDlg::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    paintBackground(event);
}

void QFormatSettingDlg::relayout() {
    const int W = width();
    if (m_detail && m_detail->audioOnly) {
        m_btnAudio->move((W - m_btnAudio->width()) / 2, 1);
    } else {
        m_btnVideo->move(W / 2 - m_btnVideo->width(), 1);
        m_btnAudio->move(W / 2, 1);
    }
    auto column = [](QLabel* label, QRZComboBox* combo, int x) {
        label->move(x, 25);
        combo->move(x, label->geometry().bottom() + 5);
    };
    column(m_labCodec, m_cmbVEncoder, 13);
    column(m_labReslution, m_cmbVResolution, W / 5 + 13);
    column(m_labFrame, m_cmbVFrame, 2 * W / 5 + 13);
    column(m_labBitRate, m_cmbVBitRate, 3 * W / 5 + 13);
    column(m_labQuality, m_cmbVQuality, 4 * W / 5 + 13);
    column(m_labACodec, m_cmbAEncoder, 18);
    column(m_labChannel, m_cmbAChannel, W / 4 + 18);
    column(m_labSampleRate, m_cmbASample, W / 2 + 18);
    column(m_labABitRate, m_cmbABitRate, (W / 4) * 3 + 18);
}
