#include "editor/QAudioOperationForm.h"

#include "editor/EditorStyle.h"
#include "editor/EditorTabLayout.h"
#include "editor/QCommonButtonForm.h"
#include "editor/QHorizontalListFrom.h"
#include "editor/QVideoEditingSettings.h"
#include "editor/VEEffectPack.h"
#include "toolkit/QRZBaseProgress.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZCheckBox.h"
#include "toolkit/QRZComboBox.h"
#include "toolkit/QRZLineEdit.h"
#include "toolkit/QRZScrollBar.h"

#include <QFileDialog>
#include <QLabel>
#include <QPainter>

#include <vector>

namespace {

const int kSliderWidth = 120; // built widths of the sliders and the path box
const int kPathWidth = 110;

// Patterns in both cases: the file dialog may match case-sensitively.
QString patterns(const QStringList& suffixes) {
    QStringList all;
    for (const QString& suffix : suffixes) {
        all << QStringLiteral("*.") + suffix;
    }
    for (const QString& suffix : suffixes) {
        all << QStringLiteral("*.") + suffix.toUpper();
    }
    return all.join(QLatin1Char(' '));
}

} // namespace

QAudioOperationForm::QAudioOperationForm(QWidget* parent)
    : QWidget(parent), m_lblTrack(new QLabel(this)), m_cbbAudioList(new QRZComboBox(this)),
      m_lblVolume(new QLabel(this)), m_sliderVolume(new QRZBaseSlider(this)), m_leVolumeValue(new QRZLineEdit(this)),
      m_lblFile(new QLabel(this)), m_leBgVoicePath(new QRZLineEdit(this)), m_btnSetBgVoice(new QRZBaseButton(this)),
      m_cbxRepeat(new QRZCheckBox(this)), m_lblWeight(new QLabel(this)), m_sliderBgVoice(new QRZBaseSlider(this)),
      m_leBgVoiceValue(new QRZLineEdit(this)), m_lblSoundEffects(new QLabel(this)),
      m_effectsList(new QHorizontalListFrom(this)), m_buttonFrom(new QCommonButtonForm(this)) {
    setObjectName(QStringLiteral("QAudioOperationForm"));
    resize(1040, 160);
    m_cbbAudioList->setObjectName(QStringLiteral("m_cbbAudioList"));
    m_sliderVolume->setObjectName(QStringLiteral("m_sliderVolume"));
    m_leVolumeValue->setObjectName(QStringLiteral("m_leVolumeValue"));
    m_leBgVoicePath->setObjectName(QStringLiteral("m_leBgVoicePath"));
    m_btnSetBgVoice->setObjectName(QStringLiteral("m_btnSetBgVoice"));
    m_cbxRepeat->setObjectName(QStringLiteral("m_cbxRepeat"));
    m_sliderBgVoice->setObjectName(QStringLiteral("m_sliderBgVoice"));
    m_leBgVoiceValue->setObjectName(QStringLiteral("m_leBgVoiceValue"));
    m_effectsList->setObjectName(QStringLiteral("m_effectsList"));
    m_buttonFrom->setObjectName(QStringLiteral("m_buttonFrom"));

    setEditorLabelFitted(m_lblTrack, tr("Track:"), 12);
    setEditorLabelFitted(m_lblVolume, tr("Volume:"), 12);
    setEditorLabelFitted(m_lblFile, tr("File:"), 12);
    setEditorLabelFitted(m_lblWeight, tr("Weight:"), 12);
    setEditorLabelFitted(m_lblSoundEffects, tr("Sound effects:"), 12);
    for (QLabel* label : {m_lblTrack, m_lblVolume, m_lblFile, m_lblWeight, m_lblSoundEffects}) {
        label->resize(label->width(), 16); // one line
    }
    setEditorComboStyle(m_cbbAudioList);
    m_cbbAudioList->resize(164, 22);
    const struct {
        QRZBaseSlider* slider;
        double maximum;
        double start;
    } sliders[] = {{m_sliderVolume, 200, 100}, {m_sliderBgVoice, 100, 100}};
    for (const auto& entry : sliders) {
        entry.slider->resize(kSliderWidth, 22);
        setEditorSliderStyle(entry.slider);
        entry.slider->setRange(0, entry.maximum);
        entry.slider->setValue(entry.start);
        connect(entry.slider, &QRZBaseSlider::sendProgressValue, this, &QAudioOperationForm::progressValue);
    }
    for (QRZLineEdit* edit : {m_leVolumeValue, m_leBgVoiceValue}) {
        setEditorLineEditStyle(edit);
        edit->resize(46, 22);
        connect(edit, &QLineEdit::textEdited, this, &QAudioOperationForm::valuetextEdited);
    }
    setEditorLineEditStyle(m_leBgVoicePath);
    m_leBgVoicePath->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_leBgVoicePath->setReadOnly(true);
    m_leBgVoicePath->resize(kPathWidth, 22);
    m_btnSetBgVoice->resize(31, 23);
    m_btnSetBgVoice->setImage(editorImagePath(QStringLiteral("/VEditSource/btn_family.png")), false);
    m_btnSetBgVoice->setToolTip(tr("Open File"));
    m_cbxRepeat->setText(tr("Repeat"));
    setEditorCheckBoxStyle(m_cbxRepeat);
    m_cbxRepeat->resize(70, 22);

    connect(m_cbxRepeat, &QAbstractButton::clicked, this, &QAudioOperationForm::onRepeat);
    connect(m_btnSetBgVoice, &QPushButton::clicked, this, &QAudioOperationForm::onSetBgVoice);
    connect(m_effectsList, &QHorizontalListFrom::currentIndexChanged, this,
            &QAudioOperationForm::effectsCurrentIndexChanged);
    connect(m_buttonFrom, &QCommonButtonForm::emitReset, this, &QAudioOperationForm::reset);
    connect(m_buttonFrom, &QCommonButtonForm::emitApplyToAll, this, &QAudioOperationForm::emitApplyToAll);

    m_effectManager = new QAudioEffectManager;
    for (VEEffectPack* pack : m_effectManager->packs()) {
        m_effectsList->addItem(pack->thumbnailPath(), pack->Name);
    }
    m_effectsList->setBackgroundColor(EditorColors::panel());
    m_listScrollBar = new QRZScrollBar(Qt::Horizontal);
    setEditorScrollBarStyle(m_listScrollBar);
    m_effectsList->setHorizontalScrollBar(m_listScrollBar);
}

// The scroll bar belongs to the list's scroll area, which deletes it.
QAudioOperationForm::~QAudioOperationForm() {
    delete m_effectManager;
}

void QAudioOperationForm::setVideoEditingSettings(QVideoEditingSettings* settings) {
    m_settings = settings;
    m_loaded = false;
    disconnect(m_cbbAudioList, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
               &QAudioOperationForm::audioSelectedChanged);
}

void QAudioOperationForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_loaded) {
        m_loaded = true;
        loadingSetting();
    }
}

void QAudioOperationForm::loadingSetting() {
    if (!m_settings) {
        return;
    }
    VEAudioSettings audio;
    m_settings->getAudioSettings(audio);
    m_sliderBgVoice->setValue(double(audio.weight));
    m_leBgVoiceValue->setText(QString::number(audio.weight));
    m_cbxRepeat->setChecked(audio.repeat != 0);
    m_leBgVoicePath->setText(QString::fromStdString(audio.backgroundPath));

    VEAudioEffect effect;
    m_settings->getAudioEffect(effect);
    m_sliderVolume->setValue(double(effect.volume));
    m_leVolumeValue->setText(QString::number(effect.volume));
    // No curve and the normal rate: no pack applies, and none shows as chosen, so that
    // every pack (the first one too) can be chosen by a click.
    if (effect.curves.count == 0 && effect.rate == 100) {
        m_effectsList->clearSelection();
    } else {
        m_effectsList->setCurrentIndex(effect.effectIndex);
    }

    QStringList tracks;
    m_settings->getStringList(tracks);
    // Filling the list is no choice of the user's, on the first load or a later one.
    disconnect(m_cbbAudioList, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
               &QAudioOperationForm::audioSelectedChanged);
    m_cbbAudioList->clear();
    m_cbbAudioList->addItems(tracks);
    VESubtitleTrack track;
    m_settings->getSubtitleTrack(track);
    m_cbbAudioList->setCurrentIndex(track.audioTrack);
    connect(m_cbbAudioList, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &QAudioOperationForm::audioSelectedChanged, Qt::UniqueConnection);
}

void QAudioOperationForm::storeVolume(int volume) {
    VEAudioEffect effect;
    m_settings->getAudioEffect(effect);
    if (effect.volume != volume) {
        effect.volume = volume;
        m_settings->setAudioEffect(effect);
    }
    VEAudioSettings audio;
    m_settings->getAudioSettings(audio);
    if (audio.volume != volume) {
        audio.volume = volume;
        m_settings->setAudioSettings(audio, false);
    }
}

void QAudioOperationForm::valuetextEdited(const QString& text) {
    if (!m_settings) {
        return;
    }
    auto* edit = qobject_cast<QRZLineEdit*>(sender());
    const int typed = text.toInt();
    if (edit == m_leVolumeValue) {
        const int volume = qBound(0, typed, 200);
        if (volume != typed) {
            edit->setText(QString::number(volume));
        }
        m_sliderVolume->setValue(double(volume));
        storeVolume(volume);
    } else if (edit == m_leBgVoiceValue) {
        const int weight = qBound(0, typed, 100);
        if (weight != typed) {
            edit->setText(QString::number(weight));
        }
        m_sliderBgVoice->setValue(double(weight));
        VEAudioSettings audio;
        m_settings->getAudioSettings(audio);
        audio.weight = weight;
        m_settings->setAudioSettings(audio, false);
    }
}

void QAudioOperationForm::progressValue(double fraction) {
    if (!m_settings) {
        return;
    }
    if (sender() == m_sliderVolume) {
        const int volume = static_cast<int>(fraction * 200);
        m_leVolumeValue->setText(QString::number(volume));
        storeVolume(volume);
    } else if (sender() == m_sliderBgVoice) {
        const int weight = static_cast<int>(fraction * 100);
        m_leBgVoiceValue->setText(QString::number(weight));
        VEAudioSettings audio;
        m_settings->getAudioSettings(audio);
        if (audio.weight != weight) {
            audio.weight = weight;
            m_settings->setAudioSettings(audio, false);
        }
    }
}

void QAudioOperationForm::onRepeat() {
    if (!m_settings) {
        return;
    }
    VEAudioSettings audio;
    m_settings->getAudioSettings(audio);
    audio.repeat = m_cbxRepeat->isChecked() ? 1 : 0;
    m_settings->setAudioSettings(audio, false);
}

void QAudioOperationForm::onSetBgVoice() {
    if (!m_settings) {
        return;
    }
    const QString filter =
        tr("audio files(%1);;video files(%2);;all files(*)")
            .arg(patterns({"wav", "mp3", "aac", "m4a", "wma", "ogg", "ape", "flac"}),
                 patterns({"avi", "mp4", "mov", "3gp", "flv", "mkv", "rmvb", "wmv", "mpg", "mpeg", "ts", "trp"}));
    const QString chosen = QFileDialog::getOpenFileName(this, tr("Open Audio File"), QStringLiteral("/home"), filter);
    if (chosen.isEmpty() || chosen == m_leBgVoicePath->text()) {
        return;
    }
    setBackgroundFile(chosen);
}

void QAudioOperationForm::setBackgroundFile(const QString& path) {
    VEAudioSettings audio;
    m_settings->getAudioSettings(audio);
    audio.backgroundPath = path.toStdString();
    m_leBgVoicePath->setText(path);
    m_settings->setAudioSettings(audio, true);
}

void QAudioOperationForm::audioSelectedChanged(int index) {
    if (!m_settings) {
        return;
    }
    VESubtitleTrack track;
    m_settings->getSubtitleTrack(track);
    if (index != track.audioTrack) {
        track.audioTrack = index;
        m_settings->setSubtitleTrack(track);
    }
}

void QAudioOperationForm::effectsCurrentIndexChanged(int index) {
    if (!m_settings) {
        return;
    }
    const VEEffectPack* pack = m_effectManager->packAt(index);
    if (!pack) {
        return;
    }
    std::vector<double> frequencies;
    std::vector<double> gains;
    for (auto it = pack->eq.cbegin(); it != pack->eq.cend(); ++it) {
        frequencies.push_back(it.key());
        gains.push_back(it.value());
    }
    VEAudioEffect effect;
    m_settings->getAudioEffect(effect);
    effect.curves.assign(frequencies.data(), gains.data(), int(frequencies.size()));
    effect.rate = pack->Rate;
    effect.effectIndex = index;
    m_settings->setAudioEffect(effect);
}

void QAudioOperationForm::reset() {
    if (!m_settings) {
        return;
    }
    VEAudioSettings audio;
    m_settings->getAudioSettings(audio);
    audio = VEAudioSettings();
    m_leBgVoicePath->clear();
    m_settings->setAudioSettings(audio, true);
    m_settings->setAudioEffect(VEAudioEffect());
    loadingSetting();
    m_effectsList->clearSelection();
}

void QAudioOperationForm::paintEvent(QPaintEvent*) {
    paintTabPanels(this,
                   {{0, 189}, {192, width() - 380}, {width() - 377, width() - 137}, {width() - 134, width() - 1}});
}

void QAudioOperationForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_lblTrack->move(13, 12);
    m_cbbAudioList->move(13, bottomOf(m_lblTrack) + 10);
    m_lblVolume->move(13, bottomOf(m_cbbAudioList) + 10);
    m_sliderVolume->move(7, bottomOf(m_lblVolume) + 10);
    m_leVolumeValue->move(rightOf(m_sliderVolume) + 6, bottomOf(m_lblVolume) + 10);

    // The file column's panel ends 380 pixels from the right. Where the row of path,
    // open button and repeat box would pass it (8 pixels inside), the path gives up width
    // and the repeat box takes a line of its own, the rows closing up to stay in the tab.
    const int fileEnd = width() - 380 - 8;
    const int pathRoom = fileEnd - 205 + 1 - m_btnSetBgVoice->width() - 1;
    const bool repeatBeside = pathRoom >= kPathWidth + 6 + m_cbxRepeat->width();
    const int gap = repeatBeside ? 10 : 3;
    m_lblFile->move(205, 12);
    m_leBgVoicePath->setGeometry(205, bottomOf(m_lblFile) + gap, qBound(40, pathRoom, kPathWidth),
                                 m_leBgVoicePath->height());
    m_btnSetBgVoice->move(rightOf(m_leBgVoicePath) + 1, m_leBgVoicePath->y());
    if (repeatBeside) {
        m_cbxRepeat->move(rightOf(m_btnSetBgVoice) + 6, m_leBgVoicePath->y());
    } else {
        m_cbxRepeat->move(205, bottomOf(m_btnSetBgVoice) + gap);
    }
    m_lblWeight->move(205, qMax(bottomOf(m_leBgVoicePath), bottomOf(m_cbxRepeat)) + gap);
    placeSliderRow(m_sliderBgVoice, m_leBgVoiceValue, 199, bottomOf(m_lblWeight) + gap, fileEnd, kSliderWidth);

    m_lblSoundEffects->move(width() - 366, 12);
    m_effectsList->resize(231, qMax(60, height() - bottomOf(m_lblSoundEffects) - 8 - 6));
    m_effectsList->move(width() - 371, bottomOf(m_lblSoundEffects) + 8);
    m_buttonFrom->resize(134, height());
    m_buttonFrom->move(width() - 134, 0);
}
