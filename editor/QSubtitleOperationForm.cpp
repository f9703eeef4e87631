#include "editor/QSubtitleOperationForm.h"

#include "app/Utilities.h"
#include "editor/EditorStyle.h"
#include "editor/EditorTabLayout.h"
#include "editor/QCommonButtonForm.h"
#include "editor/QVideoEditingSettings.h"
#include "toolkit/QRZBaseProgress.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZComboBox.h"
#include "toolkit/QRZLineEdit.h"
#include "toolkit/QRZRadioButton.h"
#include "toolkit/QRZScrollBar.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPainter>

#include <cmath>

namespace {

const int kSliderWidth = 155; // the sliders' built width
const int kPositionBottom = 0;
const int kPositionTop = 16;
const int kPositionMiddle = 32;

} // namespace

QSubtitleOperationForm::QSubtitleOperationForm(QWidget* parent)
    : QWidget(parent), m_lblTrack(new QLabel(this)), m_cbbSubtitleList(new QRZComboBox(this)),
      m_lblFile(new QLabel(this)), m_leFamilyPath(new QRZLineEdit(this)), m_btnSetFamily(new QRZBaseButton(this)),
      m_btnSetSubtitleFont(new QRZBaseButton(this)), m_lblPosition(new QLabel(this)),
      m_rbtnTop(new QRZRadioButton(this)), m_rbtnMiddle(new QRZRadioButton(this)),
      m_rbtnBottom(new QRZRadioButton(this)), m_lblMargin(new QLabel(this)), m_sliderPosition(new QRZBaseSlider(this)),
      m_lePositionValue(new QRZLineEdit(this)), m_lblTransparency(new QLabel(this)),
      m_sliderAlpha(new QRZBaseSlider(this)), m_leAlphaValue(new QRZLineEdit(this)), m_lblScale(new QLabel(this)),
      m_sliderScale(new QRZBaseSlider(this)), m_leScaleValue(new QRZLineEdit(this)),
      m_buttonFrom(new QCommonButtonForm(this)) {
    setObjectName(QStringLiteral("QSubtitleOperationForm"));
    setWindowTitle(QStringLiteral("Form"));
    resize(968, 233);
    nameChildren();
    fitLabels();
    setUpTrackAndFile();
    setUpPlacement();
    connect(m_btnSetSubtitleFont, &QPushButton::clicked, this, &QSubtitleOperationForm::emitSubtitleSetting);
    connect(m_btnSetFamily, &QPushButton::clicked, this, &QSubtitleOperationForm::onSetFamily);
    connect(m_buttonFrom, &QCommonButtonForm::emitReset, this, &QSubtitleOperationForm::reset);
    connect(m_buttonFrom, &QCommonButtonForm::emitApplyToAll, this, &QSubtitleOperationForm::emitApplyToAll);
}

// The object names callers and tests find the controls by.
void QSubtitleOperationForm::nameChildren() {
    m_cbbSubtitleList->setObjectName(QStringLiteral("m_cbbSubtitleList"));
    m_leFamilyPath->setObjectName(QStringLiteral("m_leFamilyPath"));
    m_btnSetFamily->setObjectName(QStringLiteral("m_btnSetFamily"));
    m_btnSetSubtitleFont->setObjectName(QStringLiteral("m_btnSetSubtitleFont"));
    m_rbtnTop->setObjectName(QStringLiteral("m_rbtnTop"));
    m_rbtnMiddle->setObjectName(QStringLiteral("m_rbtnMiddle"));
    m_rbtnBottom->setObjectName(QStringLiteral("m_rbtnBottom"));
    m_sliderPosition->setObjectName(QStringLiteral("m_sliderPosition"));
    m_lePositionValue->setObjectName(QStringLiteral("m_lePositionValue"));
    m_sliderAlpha->setObjectName(QStringLiteral("m_sliderAlpha"));
    m_leAlphaValue->setObjectName(QStringLiteral("m_leAlphaValue"));
    m_sliderScale->setObjectName(QStringLiteral("m_sliderScale"));
    m_leScaleValue->setObjectName(QStringLiteral("m_leScaleValue"));
    m_buttonFrom->setObjectName(QStringLiteral("m_buttonFrom"));
}

void QSubtitleOperationForm::fitLabels() {
    setEditorLabelFitted(m_lblTrack, tr("Track:"), 12);
    setEditorLabelFitted(m_lblFile, tr("File:"), 12);
    setEditorLabelFitted(m_lblPosition, tr("Position:"), 12);
    setEditorLabelFitted(m_lblMargin, tr("Margin:"), 12);
    setEditorLabelFitted(m_lblTransparency, tr("Transparency:"), 12);
    setEditorLabelFitted(m_lblScale, tr("Scale:"), 12);
    for (QLabel* label : {m_lblTrack, m_lblFile, m_lblPosition, m_lblMargin, m_lblTransparency, m_lblScale}) {
        label->resize(label->width(), 16); // the form's height: one line
    }
}

// The subtitle track list, and the file and font choosers beside it.
void QSubtitleOperationForm::setUpTrackAndFile() {
    setEditorComboStyle(m_cbbSubtitleList);
    m_cbbSubtitleList->resize(170, 22);
    if (QListWidget* popup = m_cbbSubtitleList->popupList()) {
        m_listScrollBar = new QRZScrollBar(Qt::Vertical);
        setEditorScrollBarStyle(m_listScrollBar);
        popup->setVerticalScrollBar(m_listScrollBar);
    }
    setEditorLineEditStyle(m_leFamilyPath);
    m_leFamilyPath->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_leFamilyPath->setReadOnly(true);
    m_leFamilyPath->resize(122, 22);
    m_btnSetFamily->resize(31, 23);
    m_btnSetFamily->setImage(editorImagePath(QStringLiteral("/VEditSource/btn_family.png")), false);
    m_btnSetFamily->setToolTip(tr("Open File"));
    m_btnSetSubtitleFont->resize(31, 23);
    m_btnSetSubtitleFont->setImage(editorImagePath(QStringLiteral("/VEditSource/btn_text_font.png")), false);
    m_btnSetSubtitleFont->setToolTip(tr("Set Font"));
}

// The position buttons, and the margin, transparency and scale sliders with their boxes.
void QSubtitleOperationForm::setUpPlacement() {
    m_rbtnTop->setText(tr("Top"));
    m_rbtnMiddle->setText(tr("Middle"));
    m_rbtnBottom->setText(tr("Bottom"));
    for (QRZRadioButton* button : {m_rbtnTop, m_rbtnMiddle, m_rbtnBottom}) {
        button->resize(60, 22);
        setEditorRadioStyle(button);
        connect(button, &QAbstractButton::toggled, this, &QSubtitleOperationForm::onRadioButton);
    }
    const struct {
        QRZBaseSlider* slider;
        double maximum;
        double start;
    } sliders[] = {{m_sliderPosition, 1000, 50}, {m_sliderAlpha, 255, 255}, {m_sliderScale, 4000, 2000}};
    for (const auto& entry : sliders) {
        entry.slider->resize(kSliderWidth, 22);
        setEditorSliderStyle(entry.slider);
        entry.slider->setRange(0, entry.maximum);
        entry.slider->setValue(entry.start);
        connect(entry.slider, &QRZBaseSlider::sendProgressValue, this, &QSubtitleOperationForm::progressValue);
    }
    for (QRZLineEdit* edit : {m_lePositionValue, m_leAlphaValue, m_leScaleValue}) {
        edit->setText(QStringLiteral("0"));
        setEditorLineEditStyle(edit);
        edit->resize(46, 22);
        connect(edit, &QLineEdit::textEdited, this, &QSubtitleOperationForm::valueTextEdited);
    }
}

// The scroll bar belongs to the view it was given to, which deletes it.
QSubtitleOperationForm::~QSubtitleOperationForm() = default;

void QSubtitleOperationForm::setVideoEditingSettings(QVideoEditingSettings* settings) {
    m_settings = settings;
    m_loaded = false;
    disconnect(m_cbbSubtitleList, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
               &QSubtitleOperationForm::subtitleSelectedChanged);
}

QString QSubtitleOperationForm::subtitleDisplayText(const QString& path) {
    const QFileInfo file(path);
    return QStringLiteral("(%2)[%1]").arg(file.suffix().toUpper(), file.completeBaseName());
}

double QSubtitleOperationForm::scaleSliderValue(double scalePercent) {
    return 1000 * std::log2(scalePercent / 100.0) + 2000;
}

double QSubtitleOperationForm::scaleFromFraction(double fraction) {
    double exponent = 0.0;
    if (fraction >= 0.51) {
        exponent = (fraction - 0.5) * 4000;
    } else if (fraction <= 0.49) {
        exponent = -(0.5 - fraction) * 4000;
    }
    return std::pow(2.0, exponent / 1000) * 100;
}

void QSubtitleOperationForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_loaded) {
        m_loaded = true;
        loadingSetting();
    }
}

void QSubtitleOperationForm::loadingSetting() {
    if (!m_settings) {
        return;
    }
    VETextStyle style;
    m_settings->getTextStyle(style);
    m_sliderAlpha->setValue(double(style.alpha));
    m_leAlphaValue->setText(QString::number(percentFromAlpha(style.alpha)));
    m_sliderPosition->setValue(style.margin * 1000);
    m_lePositionValue->setText(QString::number(static_cast<int>(style.margin * 100)));
    m_sliderScale->setValue(scaleSliderValue(style.scaleHorizontal));
    m_leScaleValue->setText(QString::number(style.scaleHorizontal));

    QRZRadioButton* checked = style.positionCode == kPositionBottom   ? m_rbtnBottom
                              : style.positionCode == kPositionTop    ? m_rbtnTop
                              : style.positionCode == kPositionMiddle ? m_rbtnMiddle
                                                                      : nullptr;
    for (QRZRadioButton* button : {m_rbtnTop, m_rbtnMiddle, m_rbtnBottom}) {
        // Loading shows the stored position; it stores nothing.
        const QSignalBlocker quiet(button);
        button->setAutoExclusive(false);
        button->setChecked(button == checked);
        button->setAutoExclusive(true);
    }

    QList<VEStringPair> tracks;
    m_settings->getStringPairs(tracks);
    if (tracks.isEmpty()) {
        return;
    }
    // Refilling the list is no choice of the user's: it stores nothing (a stored choice
    // of nothing, after Reset, would otherwise become the first file again).
    disconnect(m_cbbSubtitleList, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
               &QSubtitleOperationForm::subtitleSelectedChanged);
    m_cbbSubtitleList->clear();
    for (const VEStringPair& pair : tracks) {
        m_cbbSubtitleList->addItem(QString::fromStdString(pair.caption), QString::fromStdString(pair.data));
    }
    VESubtitleTrack track;
    m_settings->getSubtitleTrack(track);
    m_cbbSubtitleList->setCurrentIndex(track.data.empty() ? -1 : track.subtitleChoice);
    m_leFamilyPath->setText(QString::fromStdString(track.data));
    connect(m_cbbSubtitleList, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &QSubtitleOperationForm::subtitleSelectedChanged, Qt::UniqueConnection);
}

void QSubtitleOperationForm::subtitleSelectedChanged(int index) {
    if (!m_settings) {
        return;
    }
    VESubtitleTrack track;
    m_settings->getSubtitleTrack(track);
    if (index != track.subtitleChoice) {
        track.subtitleChoice = index;
        track.data = m_cbbSubtitleList->itemData(index).toString().toStdString();
    }
    m_settings->setSubtitleTrack(track);
    m_leFamilyPath->setText(QString::fromStdString(track.data));
}

void QSubtitleOperationForm::onSetFamily() {
    const QString chosen =
        QFileDialog::getOpenFileName(this, tr("Open Subtitle File"), QStringLiteral("/home"),
                                     tr("Subtitles (*.ASS *.SSA *.SRT *.SUB *.SMI *.SAMI *.SUP *.LRC *.WEBVTT "
                                        "*.ass *.ssa *.srt *.sub *.smi *.sami *.sup *.lrc *.webvtt)"));
    if (chosen.isEmpty() || chosen == m_leFamilyPath->text() || !m_settings) {
        return;
    }
    addSubtitleFile(chosen);
}

void QSubtitleOperationForm::addSubtitleFile(const QString& path) {
    QList<VEStringPair> tracks;
    m_settings->getStringPairs(tracks);
    for (int i = 0; i < tracks.size(); ++i) {
        if (QString::fromStdString(tracks[i].data) == path) {
            m_cbbSubtitleList->setCurrentIndex(i);
            m_leFamilyPath->setText(path);
            return;
        }
    }
    m_leFamilyPath->setText(path);
    const QString text = subtitleDisplayText(path);
    tracks.append(VEStringPair{text.toStdString(), path.toStdString()});
    m_settings->setStringPairs(tracks);
    // The added file becomes the selection the preview shows, also when no earlier load
    // found tracks to connect the list with.
    connect(m_cbbSubtitleList, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &QSubtitleOperationForm::subtitleSelectedChanged, Qt::UniqueConnection);
    m_cbbSubtitleList->addItem(text, path);
    m_cbbSubtitleList->setCurrentIndex(m_cbbSubtitleList->count() - 1);
    if (QListWidget* popup = m_cbbSubtitleList->popupList()) {
        popup->scrollToTop();
    }
    emit emitAddSubtitleToCmb(text, path);
}

void QSubtitleOperationForm::progressValue(double fraction) {
    if (!m_settings) {
        return;
    }
    VETextStyle style;
    m_settings->getTextStyle(style);
    QObject* from = sender();
    if (from == m_sliderAlpha) {
        if (fraction * 255 != style.alpha) {
            style.alpha = static_cast<int>(fraction * 255);
            m_leAlphaValue->setText(QString::number(static_cast<int>(fraction * 100)));
            m_settings->setTextStyle(style);
        }
    } else if (from == m_sliderPosition) {
        if (fraction != style.margin) {
            style.margin = fraction;
            m_lePositionValue->setText(QString::number(static_cast<int>(fraction * 100)));
            m_settings->setTextStyle(style);
        }
    } else if (from == m_sliderScale) {
        const double scale = scaleFromFraction(fraction);
        if (scale != style.scaleHorizontal) {
            style.scaleHorizontal = style.scaleVertical = static_cast<int>(scale);
            m_leScaleValue->setText(QString::number(scale, 'f', 0));
            m_settings->setTextStyle(style);
        }
    }
}

void QSubtitleOperationForm::valueTextEdited(const QString& text) {
    if (!m_settings) {
        return;
    }
    auto* edit = qobject_cast<QRZLineEdit*>(sender());
    int value = text.toInt();
    VETextStyle style;
    m_settings->getTextStyle(style);
    if (edit == m_leAlphaValue) {
        value = qBound(0, value, 100);
        edit->setText(QString::number(value));
        const int alpha = alphaFromPercent(value);
        m_sliderAlpha->setValue(double(alpha));
        if (alpha != style.alpha) {
            style.alpha = alpha;
            m_settings->setTextStyle(style);
        }
    } else if (edit == m_lePositionValue) {
        value = qBound(0, value, 100);
        edit->setText(QString::number(value));
        m_sliderPosition->setValue(double(value * 10));
        if (value / 100.0 != style.margin) {
            style.margin = value / 100.0;
            m_settings->setTextStyle(style);
        }
    } else if (edit == m_leScaleValue) {
        value = qBound(25, value, 400);
        m_sliderScale->setValue(scaleSliderValue(value));
        edit->setText(QString::number(value));
        if (value != style.scaleHorizontal) {
            style.scaleHorizontal = style.scaleVertical = value;
            m_settings->setTextStyle(style);
        }
    }
}

void QSubtitleOperationForm::onRadioButton() {
    if (!m_settings) {
        return;
    }
    VETextStyle style;
    m_settings->getTextStyle(style);
    QObject* from = sender();
    if (from == m_rbtnBottom) {
        style.positionCode = kPositionBottom;
    } else if (from == m_rbtnTop) {
        style.positionCode = kPositionTop;
    } else if (from == m_rbtnMiddle) {
        style.positionCode = kPositionMiddle;
    }
    m_settings->setTextStyle(style);
}

void QSubtitleOperationForm::reset() {
    if (!m_settings) {
        return;
    }
    VETextStyle style;
    style.reset();
    m_settings->setTextStyle(style);
    VESubtitleTrack track;
    m_settings->getSubtitleTrack(track);
    track.first = track.audioTrack = track.subtitleChoice = track.fourth = 0;
    track.data.clear();
    m_settings->setSubtitleTrack(track);
    loadingSetting();
}

void QSubtitleOperationForm::paintEvent(QPaintEvent*) {
    const int a = (width() - 346) / 2;
    paintTabPanels(this, {{0, 205}, {208, a + 207}, {a + 210, 2 * a + 209}, {width() - 134, width() - 1}});
}

void QSubtitleOperationForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_lblTrack->move(18, 12);
    m_cbbSubtitleList->move(18, bottomOf(m_lblTrack));
    m_lblFile->move(18, bottomOf(m_cbbSubtitleList) + 10);
    m_leFamilyPath->move(18, bottomOf(m_lblFile));
    m_btnSetFamily->move(rightOf(m_leFamilyPath), m_leFamilyPath->y());
    m_btnSetSubtitleFont->move(rightOf(m_btnSetFamily) + 6, m_leFamilyPath->y());

    // Each column's controls end 8 pixels inside its panel: sliders give up width so that
    // their value boxes stay beside them, and the third radio button takes a line of its
    // own when the row would pass the panel's edge.
    const int a = (width() - 346) / 2;
    const int positionEnd = a + 207 - 8;
    m_lblPosition->move(226, 12);
    m_rbtnTop->move(226, bottomOf(m_lblPosition));
    m_rbtnMiddle->move(rightOf(m_rbtnTop), m_rbtnTop->y());
    if (rightOf(m_rbtnMiddle) + 12 + m_rbtnBottom->width() - 1 <= positionEnd) {
        m_rbtnBottom->move(rightOf(m_rbtnMiddle) + 12, m_rbtnTop->y());
    } else {
        m_rbtnBottom->move(226, bottomOf(m_rbtnTop) + 1);
    }
    m_lblMargin->move(226, bottomOf(m_rbtnBottom) + 10);
    placeSliderRow(m_sliderPosition, m_lePositionValue, 220, bottomOf(m_lblMargin), positionEnd, kSliderWidth);

    const int thirdEnd = 2 * a + 209 - 8;
    m_lblTransparency->move(a + 228, 12);
    placeSliderRow(m_sliderAlpha, m_leAlphaValue, a + 222, bottomOf(m_lblTransparency) + 10, thirdEnd, kSliderWidth);
    m_lblScale->move(a + 228, bottomOf(m_leAlphaValue) + 10);
    placeSliderRow(m_sliderScale, m_leScaleValue, a + 222, bottomOf(m_lblScale) + 10, thirdEnd, kSliderWidth);

    m_buttonFrom->resize(134, height());
    m_buttonFrom->move(width() - 134, 0);
}
