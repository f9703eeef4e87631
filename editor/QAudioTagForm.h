// The editor's tags tab: title, artist, album, composer, grouping, copyright, comments,
// disc and track numbers (n of m), year, genre and the cover picture of the media file,
// kept in the edit's tag record. The editor window asks at OK whether the tags changed
// since the tab showed them, and for the picture file chosen last. GUI thread only.
#pragma once

#include "media/VEEditConfig.h"

#include <QString>
#include <QWidget>

class QLabel;
class QRZBaseButton;
class QRZButtonExtend;
class QRZComboBox;
class QRZLineEdit;
class QRZTextEdit;
class QVideoEditingSettings;

class QAudioTagForm : public QWidget {
    Q_OBJECT

public:
    // Covers above this size are refused.
    static constexpr qint64 kMaxCoverBytes = 16 * 1024 * 1024;

    explicit QAudioTagForm(QWidget* parent = nullptr);

    void setVideoEditingSettings(QVideoEditingSettings* settings) { m_settings = settings; }
    // Whether the holder's tags differ from the tags as the tab showed them after its
    // load; false while the tab has not loaded (it never showed anything to change).
    bool isTagsChanged() const;
    // The picture file chosen last; empty when none, or after a delete.
    QString coverImagePath() const { return m_coverPath; }

    // "n/m" (a backslash counts as the slash) as n and m; a missing or empty part "0".
    static void splitPair(const QString& text, QString* n, QString* m);
    // Empty when n <= 0, n alone when m <= 0, else "n/m".
    static QString joinPair(const QString& n, const QString& m);
    // The cover bytes the record takes for a picture file: the file itself for JPEG and
    // PNG, the picture re-encoded as PNG for any other format it decodes from; empty for
    // a file that is too big, unreadable or not a picture.
    static QByteArray coverBytesOf(const QString& path);

public slots:
    void onTextChanged(const QString& text);
    void genreTextChanged(const QString& text);
    void onCommentsTextChanged();
    void setTagImage();
    void onDeleteImage();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The constructor's steps.
    void setUpLabels();
    void setUpLineEdits();
    void setUpComments();
    void setUpGenres();
    void setUpCoverButtons();
    void connectEdits();

    void load();
    void showCover(const std::string& bytes, int size);

    QLabel* m_labTitle;
    QLabel* m_labAlbum;
    QLabel* m_labArtist;
    QLabel* m_labComposer;
    QLabel* m_labGrouping;
    QLabel* m_labCopyright;
    QLabel* m_labComments;
    QLabel* m_labDisc;
    QLabel* m_labDiscOf;
    QLabel* m_labTrack;
    QLabel* m_labTrackOf;
    QLabel* m_labYear;
    QLabel* m_labGenre;
    QLabel* m_labCover;
    QRZLineEdit* m_editTitle;
    QRZLineEdit* m_editAlbum;
    QRZLineEdit* m_editArtist;
    QRZLineEdit* m_editComposer;
    QRZLineEdit* m_editGrouping;
    QRZLineEdit* m_editCopyright;
    QRZTextEdit* m_editComments;
    QRZLineEdit* m_editDisc1;
    QRZLineEdit* m_editDisc2;
    QRZLineEdit* m_editTrack1;
    QRZLineEdit* m_editTrack2;
    QRZLineEdit* m_editYear;
    QRZComboBox* m_editGenre;
    QRZButtonExtend* m_btnTagImg;
    QRZBaseButton* m_btnDelete;

    QVideoEditingSettings* m_settings = nullptr;
    bool m_loaded = false;
    QString m_coverPath;
    VEAudioTagInfo m_loadedTags;
};
