// The cursor options page: whether the pointer is drawn, highlighted by a picture and
// its clicks marked by a second picture, and which pictures (chosen in two small popup
// lists, QCursorSelectDlg). Choices go at once to the recording settings and the
// settings file. GUI thread only.
#pragma once

#include "recorder/QIconListModel.h"
#include "recorder/QOptionsMainDlg.h"

#include <QDialog>
#include <QImage>

#include <array>
#include <vector>

class IBaseChunk;
class QBaseIconListDelegate;
class QLabel;
class QRZCheckBox;
class QRZComboBox;
class QRZListView;

// The popup list of one picture folder: 7 shipped pictures and the user's own one.
class QCursorSelectDlg : public QDialog {
    Q_OBJECT
public:
    // folder: the shipped pictures' folder (application folder + "/Cursor/Hightlight/"
    // or "/Cursor/Click/"), ending in "/".
    QCursorSelectDlg(QWidget* parent, const QString& folder);
    ~QCursorSelectDlg() override;

    void setCurrentIndex(int row);
    QRZListView* listView() const { return m_listView; }
    QIconListModel* model() { return &m_model; }

    // Takes the chosen file as the user's own picture: only a file that decodes as an
    // image is written (atomically) over the own picture in the data folder, and then
    // emitCurrIndex(7, true) follows. False, old picture kept and nothing emitted,
    // otherwise.
    bool adoptOwnPicture(const QString& chosenFile);

signals:
    void emitCurrIndex(int index, bool force);

public slots:
    void OnBtnCancel();
    void OnClickItem(const QModelIndex& index);
    void DoubleClickItem(const QModelIndex& index);
    void CurrentChanged(const QModelIndex& index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int pictureType() const;

    QRZListView* m_listView;
    std::vector<IBaseChunk*> m_items;
    QIconListModel m_model;
    QBaseIconListDelegate* m_delegate = nullptr;
    QString m_folder;
};

class QCursorOptions : public QBaseOptionsWgt {
    Q_OBJECT
public:
    explicit QCursorOptions(QWidget* parent = nullptr);
    ~QCursorOptions() override;

    // All three options on, both pictures back to the first.
    void reset();

    // The picture a combo shows for an index: the whole file, or for highlight pictures
    // 4-6 their lower-right 60 % (from 0.4 W, 0.4 H).
    static QImage comboPicture(int type, int index);

    QRZCheckBox* showBox() const { return m_chkShow; }
    QRZCheckBox* highlightBox() const { return m_chkHighCursor; }
    QRZCheckBox* clickBox() const { return m_chkHighClick; }
    QRZComboBox* highlightCombo() const { return m_cmbCursor; }
    QRZComboBox* clickCombo() const { return m_cmbClick; }
    QLabel* highlightLabel() const { return m_labPtCursor; }
    QLabel* clickLabel() const { return m_labPtClick; }
    QCursorSelectDlg* highlightChooser() const { return m_highlightChooser; }
    QCursorSelectDlg* clickChooser() const { return m_clickChooser; }

public slots:
    void OnShowCursor();
    void OnShowCursorClick();
    void OnClickChkChange();
    void cursorHgChange(int index, bool force = false);
    void cursorHgClickChange(int index, bool force = false);

protected:
    void layoutControls() override;

private:
    struct OptionBox {
        QRZCheckBox* box;
        int type;
    };
    struct PictureChoice {
        QCursorSelectDlg* chooser;
        QRZComboBox* combo;
        int type;
    };
    // The three boxes with their option types; the two pictures with their chooser,
    // combo and type.
    std::array<OptionBox, 3> optionBoxes() const;
    std::array<PictureChoice, 2> pictureChoices() const;
    void applyEnabling();
    void pictureChange(int type, int index, bool force);
    void showChooser(QCursorSelectDlg* chooser, QRZComboBox* combo, int type);

    QRZCheckBox* m_chkShow;
    QRZCheckBox* m_chkHighCursor;
    QRZCheckBox* m_chkHighClick;
    QRZComboBox* m_cmbClick;
    QLabel* m_labPtClick;
    QLabel* m_labPtCursor;
    QRZComboBox* m_cmbCursor;
    QCursorSelectDlg* m_highlightChooser = nullptr;
    QCursorSelectDlg* m_clickChooser = nullptr;
};

// The lower-right 60 % of a picture (from 0.4 W, 0.4 H, each product truncated).
QImage lowerRightPart(const QImage& image);
