// The editor's Trim tab: the current trim range on a dual slider with start, end and
// play handles; whole-file and section play, frame steps at the selected handle, the
// file's chapters as ready-made ranges, and Trim / Reset. It never writes the trim range
// itself: it asks the playback controller (through the editor window's connections),
// which applies the range and reports it back to the settings holder. Times are
// microseconds; slider values are fractions of the current play range. GUI thread only.
#pragma once

#include <QString>
#include <QWidget>

#include <cstdint>

class QCheckboxCombobox;
class QLabel;
class QRZBaseButton;
class QVEDualSlider;
class QVideoEditingSettings;

class QTrimOperationForm : public QWidget {
    Q_OBJECT

public:
    explicit QTrimOperationForm(QWidget* parent = nullptr);
    ~QTrimOperationForm() override;

    void setSettings(QVideoEditingSettings* settings) { m_settings = settings; }
    // Snapshot and snapshot-menu buttons together (no picture to take without video).
    void setSnapshotDisabled(bool disabled);

    // "hh:mm:ss.mmm" of a time in microseconds.
    static QString rangeLabelText(uint64_t microseconds);
    // The shortest selection Trim applies: below the display time of any picture.
    static constexpr uint64_t kShortestTrimUs = 10000;

    QVEDualSlider* slider() const { return m_TrimDSlider; }
    QCheckboxCombobox* chapterBox() const { return m_cbbChater; }
    QLabel* timeLabel() const { return m_lblTime; }
    QLabel* startTimeLabel() const { return m_lblStartTime; }
    QLabel* endTimeLabel() const { return m_lblEndTime; }
    QRZBaseButton* button(const char* objectName) const;

signals:
    void emitPreviousStep(bool seekFirst, float fraction);
    void emitNextStep(bool seekFirst, float fraction);
    void emitTrimPlay(float startFraction, float endFraction);
    void emitTrimPause();
    void emitPause();
    void emitStop();
    void emitPlay();
    void emitSliderSendPlayProToPlay(double fraction);
    void emitSliderMousePress();
    void emitSliderMouseRelease();
    void emitSnapshot();
    void emitSnapshotMenu();
    void emitTrim(uint64_t start, uint64_t end);
    void emitTrimChapter(uint64_t start, uint64_t end);
    void emitReset();

public slots:
    void showPlayOrPause(bool playing);
    void showTrimPlayOrPause(bool playing);
    void setTime(QString text);
    void setPlayProcess(double fraction);
    void playFinish();
    void setStartEndProgressValue(float percent);
    void trimTimeChange(uint64_t start, uint64_t end);
    void startProgressValue(double fraction);
    void endProgressValue(double fraction);
    void onPrevious();
    void onNext();
    void onTrimPlay();
    void onTrimPause();
    void onBtnPlay();
    void onBtnPause();
    void onBtnStop();
    void onTrim();
    void onReset();
    void loadingSetting();
    void chapterSelectedChanged(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRZBaseButton* makeButton(const char* objectName, const char* image, const QString& tip);
    void createControls();
    void connectControls();
    void showRange(uint64_t start, uint64_t end);
    void handlesToWholeRange();
    // Writes the whole-file chapter entry as (start, end) and shows its caption in row 0.
    void setWholeFileEntry(uint64_t start, uint64_t end);
    // Makes row 0 current (which applies it), or applies (start, end) when it already is.
    void applyWholeFileEntry(uint64_t start, uint64_t end);
    void layoutControls();

    QVideoEditingSettings* m_settings = nullptr;
    QRZBaseButton* m_btnPrevious = nullptr;
    QRZBaseButton* m_btnTrimPause = nullptr;
    QRZBaseButton* m_btnTrimPlay = nullptr;
    QRZBaseButton* m_btnTrimStop = nullptr;
    QRZBaseButton* m_btnNext = nullptr;
    QVEDualSlider* m_TrimDSlider = nullptr;
    QRZBaseButton* m_btnPause = nullptr;
    QRZBaseButton* m_btnPlay = nullptr;
    QLabel* m_lblTime = nullptr;
    QRZBaseButton* m_btnSnapshot = nullptr;
    QRZBaseButton* m_btnSnapshotMenu = nullptr;
    QRZBaseButton* m_btnTrim = nullptr;
    QRZBaseButton* m_btnReset = nullptr;
    QLabel* m_lblStartTime = nullptr;
    QLabel* m_lblEndTime = nullptr;
    QCheckboxCombobox* m_cbbChater = nullptr;
    bool m_chaptersConnected = false;
};
