#include "recorder/SelectRecordInputWgt.h"

#include "app/AppGlobals.h"
#include "app/QRecordAreaInfo.h"
#include "app/SettingsFile.h"
#include "platform/audiodev/audio_device.h"
#include "toolkit/QRZBaseProgress.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZComboBox.h"
#include "toolkit/QRZMessageBox.h"
#include "toolkit/StyleHelpers.h"

#include <QLabel>
#include <QLibrary>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace {

const QString kSection = QStringLiteral("XML_AUDIO_RECORD_TYPE");
const QString kSystemKey = QStringLiteral("BOOL_SYSTEM_AUDIO_");
const QString kMicrophoneKey = QStringLiteral("BOOL_MIC_AUDIO_");
constexpr int kRefreshMs = 200;

QString& libraryPathOverride() {
    static QString path;
    return path;
}

QString textOf(const char16_t* text) {
    return text ? QString::fromUtf16(text) : QString();
}

// A row's item data: the device in the high 16 bits, the line in the low ones.
int packLine(int device, int line) {
    return (device << 16) | (line & 0xFFFF);
}

void unpackLine(int data, int* device, int* line) {
    *device = data >> 16;
    *line = data & 0xFFFF;
}

void setLabelLook(QLabel* label, const QString& text) {
    label->setText(text);
    QFont font = label->font();
    font.setFamily(QStringLiteral("Tahoma"));
    font.setPixelSize(12);
    label->setFont(font);
    label->adjustSize();
    setWidgetTextColor(label, QPalette::WindowText, QColor(217, 106, 114));
}

} // namespace

QString SelectRecordInputWgt::deviceLibraryPath() {
    const QString& path = libraryPathOverride();
    return path.isEmpty() ? getAppDirPath() + QStringLiteral("/libcalvorine_audiodev.so") : path;
}

void SelectRecordInputWgt::setDeviceLibraryPath(const QString& path) {
    libraryPathOverride() = path;
}

SelectRecordInputWgt::SelectRecordInputWgt(QWidget* parent) : QRZWidget(parent) {
    setupForm();
    setResizeFlags(0);
    connect(m_btnSystemAudio, &QAbstractButton::clicked, this, &SelectRecordInputWgt::OnBtnSystemAudio);
    connect(m_btnMicDevice, &QAbstractButton::clicked, this, &SelectRecordInputWgt::OnBtnMicAudio);
    m_systemLevelBar = makeLevelBar(m_btnSystemAudio);
    m_microphoneLevelBar = makeLevelBar(m_btnMicDevice);

    QRecordAreaInfo* area = QRecordAreaInfo::instance();
    const QString yes = QStringLiteral("Y");
    area->setAudioSource(QRecordAreaInfo::SystemSound, readSettingValue(kSection, kSystemKey, yes) == yes);
    area->setAudioSource(QRecordAreaInfo::Microphone, readSettingValue(kSection, kMicrophoneKey, yes) == yes);
    SystemAudioChange();
    MicAudioChange();

    styleForm();
    loadDeviceLibrary();
    fillMicrophoneList();

    m_refreshTimer = new QTimer(this);
    connect(m_refreshTimer, &QTimer::timeout, this, &SelectRecordInputWgt::RefreshRecDevTimer);
    m_refreshTimer->start(kRefreshMs);

    m_btnSystemAudio->setToolTip(area->hasAudioSource(QRecordAreaInfo::SystemSound) ? tr("System Audio On")
                                                                                    : tr("System Audio Off"));
    m_btnMicDevice->setToolTip(area->hasAudioSource(QRecordAreaInfo::Microphone) ? tr("Microphone Audio On")
                                                                                 : tr("Microphone Audio Off"));
}

SelectRecordInputWgt::~SelectRecordInputWgt() {
    if (!m_choiceStoredAtExit) {
        writeSourceChoice();
    }
    if (m_library && m_library->isLoaded()) {
        auto destroy = reinterpret_cast<DestroyDeviceFunction>(m_library->resolve("DestroyDevice"));
        if (destroy && m_device) {
            destroy(m_device);
        }
        m_device = nullptr;
        m_library->unload();
    }
    delete m_library;
    m_library = nullptr;
    if (m_refreshTimer) {
        m_refreshTimer->stop();
        delete m_refreshTimer;
        m_refreshTimer = nullptr;
    }
}

void SelectRecordInputWgt::setupForm() {
    if (objectName().isEmpty()) {
        setObjectName(QStringLiteral("SelectRecordInputWgt"));
    }
    resize(451, 141);
    m_btnSystemAudio = new QRZBaseButton(this);
    m_btnSystemAudio->setObjectName(QStringLiteral("m_btnSystemAudio"));
    m_btnSystemAudio->setGeometry(50, 20, 81, 71);
    m_btnMicDevice = new QRZBaseButton(this);
    m_btnMicDevice->setObjectName(QStringLiteral("m_btnMicDevice"));
    m_btnMicDevice->setGeometry(160, 20, 81, 71);
    m_labSystemAudio = new QLabel(this);
    m_labSystemAudio->setObjectName(QStringLiteral("m_labSystemAudio"));
    m_labSystemAudio->setGeometry(40, 110, 111, 16);
    m_sliderVolume = new QRZBaseSlider(this);
    m_sliderVolume->setObjectName(QStringLiteral("m_sliderVolume"));
    m_sliderVolume->setGeometry(260, 20, 16, 80);
    m_cmbMicDevice = new QRZComboBox(this);
    m_cmbMicDevice->setObjectName(QStringLiteral("m_cmbMicDevice"));
    m_cmbMicDevice->setGeometry(160, 110, 111, 22);
    m_labMicDevice = new QLabel(this);
    m_labMicDevice->setObjectName(QStringLiteral("m_labMicDevice"));
    m_labMicDevice->setGeometry(270, 110, 111, 16);
    m_sliderSysVolume = new QRZBaseSlider(this);
    m_sliderSysVolume->setObjectName(QStringLiteral("m_sliderSysVolume"));
    m_sliderSysVolume->setGeometry(140, 10, 16, 80);
    setWindowTitle(tr("Form"));
    m_labSystemAudio->setText(tr("System Audio"));
    m_labMicDevice->setText(tr("No Mic Device"));
}

QRZBaseProgress* SelectRecordInputWgt::makeLevelBar(QWidget* button) {
    auto* bar = new QRZBaseProgress(button);
    bar->setProgressType(QRZBaseProgress::Circular);
    bar->setDisplayMode(QRZBaseProgress::Arc);
    bar->setTextFormat(QString());
    bar->move(0, 0);
    bar->setValue(0);
    bar->setUpdateInterval(40);
    // The button stays clickable through the bar drawn over it.
    bar->setAttribute(Qt::WA_TransparentForMouseEvents);
    return bar;
}

void SelectRecordInputWgt::styleForm() {
    const QString app = getAppDirPath();
    for (QRZBaseSlider* slider : {m_sliderVolume, m_sliderSysVolume}) {
        slider->setProgressType(QRZBaseProgress::VerticalBar);
        slider->setBackgroundImage(app + QStringLiteral("/image/slider_bottom.png"));
        slider->setChunkImage(app + QStringLiteral("/image/slider_top.png"));
        slider->setHandleImage(app + QStringLiteral("/image/slider_btn.png"));
        slider->setTextFormat(QString());
        connect(slider, &QRZBaseSlider::sendProgressValue, this, &SelectRecordInputWgt::recorderVulumeChange);
    }
    m_cmbMicDevice->setMaxVisibleItems(20);
    styleComboBox(m_cmbMicDevice, 85, 22);
    QFont font = m_cmbMicDevice->font();
    font.setFamily(QStringLiteral("Tahoma"));
    font.setPixelSize(12);
    m_cmbMicDevice->setFont(font);
    connect(m_cmbMicDevice, QOverload<int>::of(&QComboBox::activated), this, &SelectRecordInputWgt::MicDeviceChange);
    setLabelLook(m_labSystemAudio, tr("System Audio"));
    setLabelLook(m_labMicDevice, tr("No Mic Device"));
    m_labMicDevice->hide();
}

void SelectRecordInputWgt::loadDeviceLibrary() {
    m_library = new QLibrary(deviceLibraryPath());
    if (!m_library->load()) {
        return;
    }
    auto create = reinterpret_cast<CreateDeviceFunction>(m_library->resolve("CreateDevice"));
    if (create) {
        m_device = create();
    }
}

void SelectRecordInputWgt::fillMicrophoneList() {
    m_cmbMicDevice->clear();
    int selected = -1;
    if (m_device) {
        const int devices = m_device->deviceCount();
        int currentDevice = -1;
        int currentLine = -1;
        const int status = m_device->currentCaptureLine(&currentDevice, &currentLine);
        for (int i = 0; i < devices; ++i) {
            QString deviceName = textOf(m_device->deviceName(i));
            if (deviceName.isEmpty()) {
                deviceName = QStringLiteral("Noname Device");
            }
            const int lines = m_device->lineCount(i);
            for (int j = 0; j < lines; ++j) {
                QString lineName = textOf(m_device->lineName(i, j));
                if (lineName.isEmpty()) {
                    lineName = QStringLiteral("Noname Recorder");
                }
                if (status == 0 && currentDevice == i && currentLine == j) {
                    selected = m_cmbMicDevice->count();
                }
                m_cmbMicDevice->addItem(lineName + QStringLiteral(" (") + deviceName + QStringLiteral(")"),
                                        QVariant(packLine(i, j)));
            }
        }
    }
    m_cmbMicDevice->setCurrentIndex(selected);
    QRecordAreaInfo* area = QRecordAreaInfo::instance();
    area->setDevicePresent(QRecordAreaInfo::SystemSound, true);
    area->setDevicePresent(QRecordAreaInfo::Microphone, selected >= 0);
    const bool empty = m_cmbMicDevice->count() == 0;
    m_cmbMicDevice->setVisible(!empty);
    m_labMicDevice->setVisible(empty);
    refreshRecordVolume();
}

void SelectRecordInputWgt::showLineVolume(QRZBaseSlider* slider, int status, int volume, int mute) {
    if (status != 0) {
        slider->setValue(0);
        slider->setEnabled(false);
    } else if (volume < 0) {
        slider->setValue(100);
        slider->setEnabled(false);
    } else {
        slider->setValue(mute == 1 ? 0 : volume);
        slider->setEnabled(true);
    }
}

void SelectRecordInputWgt::refreshRecordVolume() {
    if (!m_device) {
        return;
    }
    int device = 0;
    int line = 0;
    int status = m_device->currentCaptureLine(&device, &line);
    if (status == 0) {
        const int mute = m_device->captureMute(device, line);
        showLineVolume(m_sliderVolume, 0, m_device->captureVolume(device, line), mute);
    } else {
        showLineVolume(m_sliderVolume, status, 0, 0);
    }
    status = m_device->currentPlaybackLine(&device, &line);
    if (status == 0) {
        const int mute = m_device->playbackMute(device, line);
        showLineVolume(m_sliderSysVolume, 0, m_device->playbackVolume(device, line), mute);
    } else {
        showLineVolume(m_sliderSysVolume, status, 0, 0);
    }
}

void SelectRecordInputWgt::recorderVulumeChange(double fraction) {
    const int volume = int(fraction * 100 + 0.5);
    if (!m_device) {
        return;
    }
    if (sender() == m_sliderVolume) {
        int device = 0;
        int line = 0;
        const QVariant data = m_cmbMicDevice->itemData(m_cmbMicDevice->currentIndex());
        if (!data.isValid()) {
            return;
        }
        unpackLine(data.toInt(), &device, &line);
        m_device->setCaptureMute(device, line, 0);
        m_device->setCaptureVolume(device, line, volume);
    } else if (sender() == m_sliderSysVolume) {
        int device = 0;
        int line = 0;
        if (m_device->currentPlaybackLine(&device, &line) != 0) {
            return;
        }
        m_device->setPlaybackMute(device, line, 0);
        m_device->setPlaybackVolume(device, line, volume);
    }
}

void SelectRecordInputWgt::MicDeviceChange(int row) {
    int device = 0;
    int line = 0;
    unpackLine(m_cmbMicDevice->itemData(row).toInt(), &device, &line);
    if (m_device) {
        m_device->selectCaptureLine(device, line);
    }
    fillMicrophoneList();
    emit emitMicDeviceChange();
}

void SelectRecordInputWgt::setDeviceRefresh(bool on) {
    if (on) {
        m_refreshTimer->start(kRefreshMs);
    } else {
        m_refreshTimer->stop();
    }
}

void SelectRecordInputWgt::RefreshRecDevTimer() {
    if (!m_device) {
        return;
    }
    if (m_device->devicesChanged()) {
        m_device->refreshDevices();
        fillMicrophoneList();
        emit emitMicDeviceChange();
        return;
    }
    refreshRecordVolume();
    int device = 0;
    int line = 0;
    if (m_device->currentCaptureLine(&device, &line) != 0) {
        m_cmbMicDevice->setCurrentIndex(-1);
        return;
    }
    const int row = m_cmbMicDevice->currentIndex();
    bool matches = false;
    if (row >= 0) {
        int rowDevice = 0;
        int rowLine = 0;
        unpackLine(m_cmbMicDevice->itemData(row).toInt(), &rowDevice, &rowLine);
        matches = rowDevice == device && rowLine == line;
    }
    if (!matches) {
        fillMicrophoneList();
        emit emitMicDeviceChange();
    }
}

bool SelectRecordInputWgt::writeSourceChoice() {
    QRecordAreaInfo* area = QRecordAreaInfo::instance();
    const QString yes = QStringLiteral("Y");
    const QString no = QStringLiteral("N");
    const bool system =
        writeSettingValue(kSection, kSystemKey, area->hasAudioSource(QRecordAreaInfo::SystemSound) ? yes : no);
    const bool microphone =
        writeSettingValue(kSection, kMicrophoneKey, area->hasAudioSource(QRecordAreaInfo::Microphone) ? yes : no);
    return system && microphone;
}

bool SelectRecordInputWgt::storeSourceChoiceAtExit() {
    m_choiceStoredAtExit = true;
    // Each click stored its choice already: only a key from which the next start would
    // read another choice (a click whose save failed) is written again.
    QRecordAreaInfo* area = QRecordAreaInfo::instance();
    const QString yes = QStringLiteral("Y");
    const QString no = QStringLiteral("N");
    bool saved = true;
    for (const auto& [key, source] : {std::pair{kSystemKey, QRecordAreaInfo::SystemSound},
                                      std::pair{kMicrophoneKey, QRecordAreaInfo::Microphone}}) {
        const QString value = area->hasAudioSource(source) ? yes : no;
        if (readSettingValue(kSection, key, yes) != value) {
            saved = writeSettingValue(kSection, key, value) && saved;
        }
    }
    return saved;
}

void SelectRecordInputWgt::storeSourceChoice() {
    if (!writeSourceChoice()) {
        tellNotSavedLater(this, tr("Your choice of sound sources could not be saved."));
    }
}

void SelectRecordInputWgt::OnBtnSystemAudio() {
    QRecordAreaInfo* area = QRecordAreaInfo::instance();
    const bool wasOn = area->hasAudioSource(QRecordAreaInfo::SystemSound);
    area->setAudioSource(QRecordAreaInfo::SystemSound, !wasOn);
    m_btnSystemAudio->setToolTip(wasOn ? tr("System Audio Off") : tr("System Audio On"));
    SystemAudioChange();
    // Stored at once: a crash must not lose the choice.
    storeSourceChoice();
}

void SelectRecordInputWgt::OnBtnMicAudio() {
    QRecordAreaInfo* area = QRecordAreaInfo::instance();
    const bool wasOn = area->hasAudioSource(QRecordAreaInfo::Microphone);
    area->setAudioSource(QRecordAreaInfo::Microphone, !wasOn);
    m_btnMicDevice->setToolTip(wasOn ? tr("Microphone Audio Off") : tr("Microphone Audio On"));
    MicAudioChange();
    storeSourceChoice();
}

void SelectRecordInputWgt::SystemAudioChange() {
    const bool on = QRecordAreaInfo::instance()->hasAudioSource(QRecordAreaInfo::SystemSound);
    const QString app = getAppDirPath();
    m_btnSystemAudio->setImage(
        app + (on ? QStringLiteral("/image/btn_system_on.png") : QStringLiteral("/image/btn_system_off.png")), false);
    setWidgetTextColor(m_systemLevelBar, QPalette::Highlight, on ? QColor(250, 237, 237) : QColor(253, 94, 105));
    m_btnSystemAudio->repaint();
}

void SelectRecordInputWgt::MicAudioChange() {
    const bool on = QRecordAreaInfo::instance()->hasAudioSource(QRecordAreaInfo::Microphone);
    const QString app = getAppDirPath();
    m_btnMicDevice->setImage(
        app + (on ? QStringLiteral("/image/btn_mic_on.png") : QStringLiteral("/image/btn_mic_off.png")), false);
    setWidgetTextColor(m_microphoneLevelBar, QPalette::Highlight, on ? QColor(250, 237, 237) : QColor(253, 94, 105));
    m_btnMicDevice->repaint();
}

void SelectRecordInputWgt::systemAudioVolume(int level) {
    if (!isVisible()) {
        return;
    }
    int d = level / 32;
    if (d < 0) {
        m_systemLevel = 0;
    } else {
        d = std::min(d, 100);
        m_systemLevel = (7 * m_systemLevel + d) / 8;
        // Any sound shows at least one step.
        if (m_systemLevel == 0 && d != 0) {
            m_systemLevel = 1;
        }
    }
    m_systemLevelBar->setValue(m_systemLevel);
}

void SelectRecordInputWgt::MicrophoneAudioVolume(int level) {
    if (isHidden()) {
        return;
    }
    int d = level / 64;
    if (d < 0) {
        m_microphoneLevel = 0;
    } else {
        d = std::min(d, 100);
        m_microphoneLevel = (7 * m_microphoneLevel + d) / 8;
    }
    m_microphoneLevelBar->setValue(m_microphoneLevel);
}

void SelectRecordInputWgt::relayout() {
    const int panelHeight = height();
    m_btnSystemAudio->move(26, 15);
    m_sliderSysVolume->move(m_btnSystemAudio->x() + m_btnSystemAudio->width() + 1, m_btnSystemAudio->y() - 2);
    m_btnMicDevice->move(m_btnSystemAudio->x() + m_btnSystemAudio->width() + 26, m_btnSystemAudio->y());
    m_systemLevelBar->resize(m_btnSystemAudio->size());
    m_microphoneLevelBar->resize(m_btnMicDevice->size());
    m_sliderVolume->move(m_btnMicDevice->x() + m_btnMicDevice->width() + 1, m_btnMicDevice->y() - 2);
    m_labSystemAudio->move(m_btnSystemAudio->x() + m_btnSystemAudio->width() / 2 - m_labSystemAudio->width() / 2,
                           panelHeight - 30);
    m_labMicDevice->move(m_btnMicDevice->x() + m_btnMicDevice->width() / 2 - m_labMicDevice->width() / 2,
                         panelHeight - 30);
    m_cmbMicDevice->move(m_btnMicDevice->x(), panelHeight - 33);
    m_systemLevelBar->repaint();
    m_btnMicDevice->repaint();
}

void SelectRecordInputWgt::paintEvent(QPaintEvent* event) {
    paintBackground(event);
    QPainter painter(this);
    painter.fillRect(rect(), QColor(74, 72, 72));
}
