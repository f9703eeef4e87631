#include "editor/QTrimOperationForm.h"

#include "editor/EditorStyle.h"
#include "editor/QVEDualSlider.h"
#include "editor/QVideoEditingSettings.h"
#include "media/RZInfoManager.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZComboBox.h"

#include <QLabel>
#include <QPainter>

#include <cmath>

namespace {

const char* const kImages = "/VEditSource/";

QString wholeFileCaption(const VEChapterInfo& entry, uint64_t start, uint64_t end) {
    return QStringLiteral("%1, %2-%3")
        .arg(QString::fromStdString(entry.title), formatTimeSpan(start), formatTimeSpan(end));
}

int rightEdge(const QWidget* widget) {
    return widget->x() + widget->width() - 1;
}

} // namespace

QTrimOperationForm::QTrimOperationForm(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("QTrimOperationForm"));
    resize(903, 193);
    createControls();
    connectControls();
}

QTrimOperationForm::~QTrimOperationForm() = default;

QRZBaseButton* QTrimOperationForm::makeButton(const char* objectName, const char* image, const QString& tip) {
    auto* button = new QRZBaseButton(this);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setImage(editorImagePath(QString::fromLatin1(kImages) + QString::fromLatin1(image)), false);
    button->setToolTip(tip);
    return button;
}

QRZBaseButton* QTrimOperationForm::button(const char* objectName) const {
    return findChild<QRZBaseButton*>(QString::fromLatin1(objectName));
}

void QTrimOperationForm::createControls() {
    m_btnPrevious = makeButton("m_btnPrevious", "btn_trimstartset.png", tr("Previous Frame"));
    m_btnTrimPause = makeButton("m_btnTrimPause", "btn_Pause.png", tr("Pause Section"));
    m_btnTrimPause->hide();
    m_btnTrimPlay = makeButton("m_btnTrimPlay", "btn_trimplay.png", tr("Play Section"));
    m_btnTrimStop = makeButton("m_btnTrimStop", "btn_stop.png", tr("Stop"));
    m_btnNext = makeButton("m_btnNext", "btn_trimendset.png", tr("Next Frame"));
    m_TrimDSlider = new QVEDualSlider(this);
    m_TrimDSlider->setObjectName(QStringLiteral("m_TrimDSlider"));
    m_btnPause = makeButton("m_btnPause", "btn_Pause.png", tr("Pause"));
    m_btnPause->hide();
    m_btnPlay = makeButton("m_btnPlay", "btn_play.png", tr("Play"));
    m_lblTime = new QLabel(this);
    m_lblTime->setObjectName(QStringLiteral("m_lblTime"));
    m_lblTime->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_btnSnapshot = makeButton("m_btnSnapshot", "btn_snapshot.png", tr("Snapshot"));
    m_btnSnapshotMenu = makeButton("m_btnSnapshotMenu", "btn_snapshot_menu.png", tr("Snapshot Menu"));
    m_btnTrim = makeButton("m_btnTrim", "btn_trim.png", tr("Trim"));
    m_btnReset = makeButton("m_btnReset", "btn_reset.png", tr("Reset"));
    m_lblStartTime = new QLabel(this);
    m_lblStartTime->setObjectName(QStringLiteral("m_lblStartTime"));
    m_lblEndTime = new QLabel(this);
    m_lblEndTime->setObjectName(QStringLiteral("m_lblEndTime"));
    m_cbbChater = new QCheckboxCombobox(this);
    m_cbbChater->setObjectName(QStringLiteral("m_cbbChater"));

    setEditorLabelFitted(m_lblTime, QStringLiteral("00:00:00.000 / 00:00:00.000"), 12);
    setEditorLabelFitted(m_lblStartTime, QStringLiteral("00:00:00.000"), 12);
    setEditorLabelFitted(m_lblEndTime, QStringLiteral("00:00:00.000"), 12);
    setEditorCheckComboStyle(m_cbbChater);
    m_cbbChater->setMultiSelection(false);
    m_cbbChater->resize(164, 22);
    m_cbbChater->setTextMargins(148, 8, 0, 0);
    m_cbbChater->hide();

    const QString images = QString::fromLatin1(kImages);
    m_TrimDSlider->setGrooveImage(editorImagePath(images + QStringLiteral("slider_bottom.png")));
    m_TrimDSlider->setRangeImage(editorImagePath(images + QStringLiteral("slider_top.png")));
    m_TrimDSlider->setStartHandleImage(editorImagePath(images + QStringLiteral("btn_silder_start.png")), 1);
    m_TrimDSlider->setEndHandleImage(editorImagePath(images + QStringLiteral("btn_silder_end.png")));
    m_TrimDSlider->setPlayHandleImage(editorImagePath(images + QStringLiteral("btn_silder_proess.png")), 6);
    m_TrimDSlider->setPiecewiseTrack(true);
    m_TrimDSlider->setTrackEdge(1);
    m_TrimDSlider->setPlayValue(0, false);
    m_TrimDSlider->setStartValue(0);
    m_TrimDSlider->setEndValue(100);
}

void QTrimOperationForm::connectControls() {
    connect(m_btnPrevious, &QRZBaseButton::clicked, this, &QTrimOperationForm::onPrevious);
    connect(m_btnNext, &QRZBaseButton::clicked, this, &QTrimOperationForm::onNext);
    connect(m_btnTrimPlay, &QRZBaseButton::clicked, this, &QTrimOperationForm::onTrimPlay);
    connect(m_btnTrimPause, &QRZBaseButton::clicked, this, &QTrimOperationForm::onTrimPause);
    connect(m_btnTrimStop, &QRZBaseButton::clicked, this, &QTrimOperationForm::onBtnStop);
    connect(m_btnPlay, &QRZBaseButton::clicked, this, &QTrimOperationForm::onBtnPlay);
    connect(m_btnPause, &QRZBaseButton::clicked, this, &QTrimOperationForm::onBtnPause);
    connect(m_btnSnapshot, &QRZBaseButton::clicked, this, &QTrimOperationForm::emitSnapshot);
    connect(m_btnSnapshotMenu, &QRZBaseButton::clicked, this, &QTrimOperationForm::emitSnapshotMenu);
    connect(m_btnTrim, &QRZBaseButton::clicked, this, &QTrimOperationForm::onTrim);
    connect(m_btnReset, &QRZBaseButton::clicked, this, &QTrimOperationForm::onReset);
    connect(m_TrimDSlider, &QVEDualSlider::sendPlayProValue, this, &QTrimOperationForm::emitSliderSendPlayProToPlay);
    connect(m_TrimDSlider, &QVEDualSlider::sendProgressValue, this, &QTrimOperationForm::startProgressValue);
    connect(m_TrimDSlider, &QVEDualSlider::sendEndProgressValue, this, &QTrimOperationForm::endProgressValue);
    connect(m_TrimDSlider, &QVEDualSlider::emitMousePress, this, &QTrimOperationForm::emitSliderMousePress);
    connect(m_TrimDSlider, &QVEDualSlider::emitmouseRelease, this, &QTrimOperationForm::emitSliderMouseRelease);
}

QString QTrimOperationForm::rangeLabelText(uint64_t microseconds) {
    const int64_t ms = int64_t(microseconds / 1000.0);
    const int64_t hours = ms / 3600000;
    const int64_t minutes = ms / 60000 - hours * 60;
    const int64_t seconds = ms / 1000 - (ms / 60000) * 60;
    return QStringLiteral("%1:%2:%3.%4")
        .arg(hours, 2, 10, QLatin1Char('0'))
        .arg(minutes, 2, 10, QLatin1Char('0'))
        .arg(seconds, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

void QTrimOperationForm::setSnapshotDisabled(bool disabled) {
    m_btnSnapshot->setDisabled(disabled);
    m_btnSnapshotMenu->setDisabled(disabled);
}

// ---- Button states ----

void QTrimOperationForm::showPlayOrPause(bool playing) {
    m_btnPlay->setHidden(playing);
    m_btnPause->setHidden(!playing);
}

void QTrimOperationForm::showTrimPlayOrPause(bool playing) {
    m_btnTrimPlay->setHidden(playing);
    m_btnTrimPause->setHidden(!playing);
}

void QTrimOperationForm::onBtnPlay() {
    m_btnPause->show();
    m_btnPlay->hide();
    emit emitPlay();
}

void QTrimOperationForm::onBtnPause() {
    m_btnPlay->show();
    m_btnTrimPlay->show();
    m_btnPause->hide();
    m_btnTrimPause->hide();
    emit emitPause();
}

void QTrimOperationForm::onBtnStop() {
    m_btnPlay->show();
    m_btnPause->hide();
    emit emitStop();
}

void QTrimOperationForm::onTrimPause() {
    m_btnPlay->show();
    m_btnPause->hide();
    emit emitTrimPause();
}

void QTrimOperationForm::onTrimPlay() {
    m_btnPlay->hide();
    m_btnTrimPlay->hide();
    m_btnPause->show();
    m_btnTrimPause->show();
    emit emitTrimPlay(m_TrimDSlider->startValue(), m_TrimDSlider->endValue());
}

void QTrimOperationForm::playFinish() {
    m_TrimDSlider->setPlayValue(0, false);
    m_btnPlay->show();
    m_btnTrimPlay->show();
    m_btnPause->hide();
    m_btnTrimPause->hide();
}

void QTrimOperationForm::setTime(QString text) {
    m_lblTime->setText(text);
}

void QTrimOperationForm::setPlayProcess(double fraction) {
    m_TrimDSlider->setPlayValue(float(fraction * 100.0), false);
}

void QTrimOperationForm::setStartEndProgressValue(float percent) {
    if (m_TrimDSlider->isStartSelected()) {
        m_TrimDSlider->setStartValue(percent);
    } else {
        m_TrimDSlider->setEndValue(percent);
    }
}

// ---- Frame steps ----

void QTrimOperationForm::onPrevious() {
    const float start = m_TrimDSlider->startValue();
    const float end = m_TrimDSlider->endValue();
    const float play = m_TrimDSlider->playValue();
    if (m_TrimDSlider->isStartSelected()) {
        emit emitPreviousStep(std::fabs(play - start) > 1e-5, start);
    } else if (std::fabs(start - end) >= 1e-5) {
        emit emitPreviousStep(std::fabs(play - end) > 1e-6, end);
    }
}

void QTrimOperationForm::onNext() {
    const float start = m_TrimDSlider->startValue();
    const float end = m_TrimDSlider->endValue();
    const float play = m_TrimDSlider->playValue();
    if (m_TrimDSlider->isStartSelected()) {
        if (std::fabs(start - end) >= 1e-5) {
            emit emitNextStep(std::fabs(play - start) > 1e-6, start);
        }
    } else {
        emit emitNextStep(std::fabs(play - end) > 1e-6, end);
    }
}

// ---- Times ----

// While a handle is dragged its label and tooltip show the time it stands at, so that the
// range is read before Trim applies it.
void QTrimOperationForm::startProgressValue(double fraction) {
    if (!m_settings) {
        return;
    }
    const uint64_t t = uint64_t(double(m_settings->playRangeLength()) * fraction + double(m_settings->getTrimStart()));
    m_lblStartTime->setText(rangeLabelText(t));
    m_TrimDSlider->setStartTip(rangeLabelText(t));
}

void QTrimOperationForm::endProgressValue(double fraction) {
    if (!m_settings) {
        return;
    }
    const uint64_t t = uint64_t(double(m_settings->playRangeLength()) * fraction + double(m_settings->getTrimStart()));
    m_lblEndTime->setText(rangeLabelText(t));
    m_TrimDSlider->setEndTip(rangeLabelText(t));
}

void QTrimOperationForm::showRange(uint64_t start, uint64_t end) {
    if (end == 0 && m_settings) {
        end = m_settings->duration();
    }
    const QString endText = rangeLabelText(end);
    const QString startText = rangeLabelText(start);
    m_lblEndTime->setText(endText);
    m_TrimDSlider->setEndTip(endText);
    m_lblStartTime->setText(startText);
    m_TrimDSlider->setStartTip(startText);
}

void QTrimOperationForm::trimTimeChange(uint64_t start, uint64_t end) {
    showRange(start, end);
}

void QTrimOperationForm::handlesToWholeRange() {
    m_TrimDSlider->setStartValue(0);
    m_TrimDSlider->setEndValue(100);
    m_TrimDSlider->setStartSelected(true);
}

// ---- Loading and chapters ----

void QTrimOperationForm::loadingSetting() {
    if (!m_settings) {
        return;
    }
    VEEditConfig config;
    m_settings->getEditConfig(config);
    showRange(config.trimStart, config.trimEnd);
    if (config.chapters.isEmpty()) {
        return;
    }
    if (m_chaptersConnected) {
        disconnect(m_cbbChater, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
                   &QTrimOperationForm::chapterSelectedChanged);
        m_chaptersConnected = false;
    }
    m_cbbChater->clear();
    m_cbbChater->show();
    int row = 0;
    for (int i = 0; i < config.chapters.size(); ++i) {
        const VEChapterInfo& chapter = config.chapters[i];
        m_cbbChater->addItem(QString::fromStdString(chapter.caption));
        const auto near = [](uint64_t a, uint64_t b) { return (a > b ? a - b : b - a) < 1000; };
        if (i >= 1 && near(chapter.start, config.trimStart) && near(chapter.end, config.trimEnd)) {
            row = i;
        }
    }
    m_cbbChater->setItemChecked(row, true);
    m_cbbChater->setCurrentIndex(row);
    connect(m_cbbChater, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &QTrimOperationForm::chapterSelectedChanged);
    m_chaptersConnected = true;
    layoutControls();
}

void QTrimOperationForm::setWholeFileEntry(uint64_t start, uint64_t end) {
    QList<VEChapterInfo> chapters;
    m_settings->getChapters(chapters);
    if (chapters.isEmpty()) {
        return;
    }
    VEChapterInfo& whole = chapters.first();
    whole.start = start;
    whole.end = end;
    whole.length = end >= start ? end - start : 0;
    const QString caption = wholeFileCaption(whole, start, end);
    whole.caption = caption.toStdString();
    // Written back into the holder's record (nothing is pushed): the entry must stick
    // for the next selection of row 0 and for the next load.
    m_settings->setChapters(chapters);
    m_cbbChater->setItemText(0, caption);
}

void QTrimOperationForm::applyWholeFileEntry(uint64_t start, uint64_t end) {
    if (m_cbbChater->currentIndex() != 0) {
        m_cbbChater->setCurrentIndex(0); // applies row 0 through chapterSelectedChanged
    } else {
        emit emitTrimChapter(start, end);
    }
}

void QTrimOperationForm::chapterSelectedChanged(int index) {
    if (!m_settings || index < 0) {
        return;
    }
    QList<VEChapterInfo> chapters;
    m_settings->getChapters(chapters);
    if (chapters.isEmpty() || index >= chapters.size()) {
        return;
    }
    const VEChapterInfo chosen = chapters[index];
    handlesToWholeRange();
    setWholeFileEntry(chosen.start, chosen.end);
    emit emitTrimChapter(chosen.start, chosen.end);
}

// ---- Trim and Reset ----

void QTrimOperationForm::onTrim() {
    const float startFraction = m_TrimDSlider->startValue();
    const float endFraction = m_TrimDSlider->endValue();
    uint64_t start = 0;
    uint64_t end = 0;
    uint64_t selected = 0;
    VEEditConfig config;
    if (m_settings) {
        m_settings->getEditConfig(config);
        const double length = double(m_settings->playRangeLength());
        start = uint64_t(length * startFraction + double(config.trimStart));
        end = endFraction == 1.0f ? config.trimEnd : uint64_t(length * endFraction + double(config.trimStart));
        selected = uint64_t(length * (endFraction - startFraction));
    }
    handlesToWholeRange();
    // A selection shorter than one picture (handles on one spot, or both at 0) applies
    // nothing: the current range stays.
    if (!m_settings || selected < kShortestTrimUs) {
        return;
    }
    if (start != 0 && end == start) {
        end = start + 1;
    }
    if (config.chapters.isEmpty()) {
        emit emitTrim(start, end);
        return;
    }
    // The whole-file entry takes the applied range; an open end is the file's end there.
    const uint64_t shownEnd = end != 0 ? end : m_settings->duration();
    setWholeFileEntry(start, shownEnd);
    if (m_cbbChater->currentIndex() != 0) {
        m_cbbChater->setCurrentIndex(0);
    } else {
        emit emitTrimChapter(start, end);
    }
}

void QTrimOperationForm::onReset() {
    if (!m_settings) {
        return;
    }
    handlesToWholeRange();
    QList<VEChapterInfo> chapters;
    m_settings->getChapters(chapters);
    if (chapters.isEmpty()) {
        emit emitReset();
        return;
    }
    const uint64_t duration = m_settings->duration();
    setWholeFileEntry(0, duration);
    applyWholeFileEntry(0, duration);
}

// ---- Look ----

void QTrimOperationForm::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), EditorColors::panel());
}

void QTrimOperationForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutControls();
}

void QTrimOperationForm::layoutControls() {
    const int W = width();
    const int H = height();
    const bool chaptersShown = !m_cbbChater->isHidden();
    int rowWidth = 0;
    for (QWidget* w : std::initializer_list<QWidget*>{m_btnSnapshot, m_btnSnapshotMenu, m_btnPrevious, m_btnNext,
                                                      m_btnTrimPlay, m_btnTrimStop, m_btnTrim, m_btnReset}) {
        rowWidth += w->width();
    }
    rowWidth += chaptersShown ? m_cbbChater->width() + 149 : 128;
    const int rowTop = (H - 65) / 2;
    const auto rowY = [rowTop](QWidget* w) { return rowTop + (25 - w->height()) / 2; };
    m_btnSnapshot->move((W - rowWidth) / 2, rowY(m_btnSnapshot));
    m_btnSnapshotMenu->move(rightEdge(m_btnSnapshot), rowY(m_btnSnapshotMenu));
    QWidget* previous = m_btnSnapshotMenu;
    for (QWidget* w : std::initializer_list<QWidget*>{m_btnPrevious, m_btnNext, m_btnTrimPlay, m_btnTrimStop, m_btnTrim,
                                                      m_btnReset}) {
        w->move(rightEdge(previous) + 20, rowY(w));
        previous = w;
    }
    m_btnTrimPause->move(m_btnTrimPlay->x(), rowY(m_btnTrimPause));
    if (chaptersShown) {
        m_cbbChater->move(rightEdge(m_btnReset) + 20, rowY(m_cbbChater));
    }

    const int bandTop = rowTop + 20;
    const int bandHeight = 39;
    m_btnPlay->move(22, bandTop + (bandHeight - m_btnPlay->height()) / 2);
    m_btnPause->move(22, bandTop + (bandHeight - m_btnPause->height()) / 2);
    m_TrimDSlider->resize(W - m_btnPlay->width() - 48, m_TrimDSlider->height());
    m_TrimDSlider->move(rightEdge(m_btnPlay) + 12, bandTop + (bandHeight - m_TrimDSlider->height()) / 2);
    m_TrimDSlider->setEndValue(100);

    m_lblTime->move(W - 22 - m_lblTime->width(), rowY(m_lblTime));
    const int labelTop = m_TrimDSlider->y() + m_TrimDSlider->height() - 1 - 4;
    m_lblStartTime->move(m_TrimDSlider->x(), labelTop);
    m_lblEndTime->move(rightEdge(m_TrimDSlider) - m_lblEndTime->width() + 1, labelTop);
}
