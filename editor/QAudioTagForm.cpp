#include "editor/QAudioTagForm.h"

#include "app/Utilities.h"
#include "editor/EditorStyle.h"
#include "editor/EditorTabLayout.h"
#include "editor/QVideoEditingSettings.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZComboBox.h"
#include "toolkit/QRZLineEdit.h"
#include "toolkit/QRZMessageBox.h"
#include "toolkit/QRZTextEdit.h"

#include <QBuffer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QTextEdit>

namespace {

const QRect kCoverRect(0, 0, 124, 124);
const int kBlockWidth = 532;
const int kBlockHeight = 318;

// The folder the cover dialog starts in: the folder of the last choice, at first the
// working folder.
QString& lastCoverFolder() {
    static QString folder = QStringLiteral(".");
    return folder;
}

} // namespace

QAudioTagForm::QAudioTagForm(QWidget* parent)
    : QWidget(parent), m_labTitle(new QLabel(this)), m_labAlbum(new QLabel(this)), m_labArtist(new QLabel(this)),
      m_labComposer(new QLabel(this)), m_labGrouping(new QLabel(this)), m_labCopyright(new QLabel(this)),
      m_labComments(new QLabel(this)), m_labDisc(new QLabel(this)), m_labDiscOf(new QLabel(this)),
      m_labTrack(new QLabel(this)), m_labTrackOf(new QLabel(this)), m_labYear(new QLabel(this)),
      m_labGenre(new QLabel(this)), m_labCover(new QLabel(this)), m_editTitle(new QRZLineEdit(this)),
      m_editAlbum(new QRZLineEdit(this)), m_editArtist(new QRZLineEdit(this)), m_editComposer(new QRZLineEdit(this)),
      m_editGrouping(new QRZLineEdit(this)), m_editCopyright(new QRZLineEdit(this)),
      m_editComments(new QRZTextEdit(this)), m_editDisc1(new QRZLineEdit(this)), m_editDisc2(new QRZLineEdit(this)),
      m_editTrack1(new QRZLineEdit(this)), m_editTrack2(new QRZLineEdit(this)), m_editYear(new QRZLineEdit(this)),
      m_editGenre(new QRZComboBox(this)), m_btnTagImg(new QRZButtonExtend(this)), m_btnDelete(new QRZBaseButton(this)) {
    setObjectName(QStringLiteral("QAudioTagForm"));
    setUpLabels();
    setUpLineEdits();
    setUpComments();
    setUpGenres();
    setUpCoverButtons();
    connectEdits();
}

void QAudioTagForm::setUpLabels() {
    const struct {
        QLabel* label;
        const char* text;
    } labels[] = {{m_labTitle, QT_TR_NOOP("Title:")},       {m_labAlbum, QT_TR_NOOP("Album:")},
                  {m_labArtist, QT_TR_NOOP("Artist:")},     {m_labComposer, QT_TR_NOOP("Composer:")},
                  {m_labGrouping, QT_TR_NOOP("Grouping:")}, {m_labCopyright, QT_TR_NOOP("Copyright:")},
                  {m_labComments, QT_TR_NOOP("Comments:")}, {m_labDisc, QT_TR_NOOP("Disc Num:")},
                  {m_labDiscOf, QT_TR_NOOP("of")},          {m_labTrack, QT_TR_NOOP("Track:")},
                  {m_labTrackOf, QT_TR_NOOP("of")},         {m_labYear, QT_TR_NOOP("Year:")},
                  {m_labGenre, QT_TR_NOOP("Genre:")},       {m_labCover, QT_TR_NOOP("Cover:")}};
    for (const auto& entry : labels) {
        setEditorLabelFitted(entry.label, tr(entry.text), 12);
    }
}

void QAudioTagForm::setUpLineEdits() {
    const struct {
        QRZLineEdit* edit;
        const char* name;
        int width;
    } edits[] = {{m_editTitle, "m_editTitle", 200},       {m_editAlbum, "m_editAlbum", 200},
                 {m_editArtist, "m_editArtist", 200},     {m_editComposer, "m_editComposer", 200},
                 {m_editGrouping, "m_editGrouping", 200}, {m_editCopyright, "m_editCopyright", 200},
                 {m_editDisc1, "m_editDisc1", 40},        {m_editDisc2, "m_editDisc2", 40},
                 {m_editTrack1, "m_editTrack1", 40},      {m_editTrack2, "m_editTrack2", 40},
                 {m_editYear, "m_editYear", 106}};
    for (const auto& entry : edits) {
        entry.edit->setObjectName(QLatin1String(entry.name));
        setEditorLineEditStyle(entry.edit);
        entry.edit->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        entry.edit->resize(entry.width, 22);
        // The editor's edit style lets digits only; free text is wanted here.
        entry.edit->setValidator(nullptr);
    }
    for (QRZLineEdit* number : {m_editYear, m_editDisc1, m_editDisc2, m_editTrack1, m_editTrack2}) {
        number->setPositiveIntegerValidator();
    }
}

void QAudioTagForm::setUpComments() {
    m_editComments->setObjectName(QStringLiteral("m_editComments"));
    m_editComments->setFrameImage(editorImagePath(QStringLiteral("/VEditSource/edit_background.png")));
    setWidgetFontFamily(m_editComments->textEdit(), QStringLiteral("Tahoma"), 12);
    setWidgetColor(m_editComments->textEdit(), QPalette::Text, EditorColors::text());
    m_editComments->resize(200, 60);
}

void QAudioTagForm::setUpGenres() {
    m_editGenre->setObjectName(QStringLiteral("m_editGenre"));
    m_editGenre->setEditable(true);
    setEditorComboStyle(m_editGenre);
    m_editGenre->setMaxVisibleItems(22);
    m_editGenre->resize(106, 22);
    m_editGenre->addItems({QStringLiteral("Altemative"),   QStringLiteral("Blues"),
                           QStringLiteral("Books&Spoken"), QStringLiteral("Children's Music"),
                           QStringLiteral("Classical"),    QStringLiteral("Comedy"),
                           QStringLiteral("Dance"),        QStringLiteral("Electronic"),
                           QStringLiteral("Folk"),         QStringLiteral("Hip Hop/Rap"),
                           QStringLiteral("Holiday"),      QStringLiteral("House"),
                           QStringLiteral("Industrial"),   QStringLiteral("Jazz"),
                           QStringLiteral("Metal"),        QStringLiteral("Pop"),
                           QStringLiteral("Podcast"),      QStringLiteral("R&B"),
                           QStringLiteral("Religious"),    QStringLiteral("Rock"),
                           QStringLiteral("Trance")});
}

void QAudioTagForm::setUpCoverButtons() {
    m_btnTagImg->setObjectName(QStringLiteral("m_btnTagImg"));
    m_btnTagImg->resize(125, 125);
    m_btnTagImg->setImage(editorImagePath(QStringLiteral("/VEditSource/add_watermark_image.png")), false);
    m_btnTagImg->setToolTip(tr("Add Image"));
    m_btnDelete->setObjectName(QStringLiteral("m_btnDelete"));
    m_btnDelete->resize(31, 31);
    m_btnDelete->setImage(editorImagePath(QStringLiteral("/VEditSource/delete_watermark_image.png")), false);
    m_btnDelete->setToolTip(tr("Delete"));
    m_btnDelete->hide();
}

// Connected before the first load: filling the edits then stores their shown forms.
void QAudioTagForm::connectEdits() {
    for (QRZLineEdit* edit : {m_editTitle, m_editAlbum, m_editArtist, m_editComposer, m_editGrouping, m_editCopyright,
                              m_editDisc1, m_editDisc2, m_editTrack1, m_editTrack2, m_editYear}) {
        connect(edit, &QLineEdit::textChanged, this, &QAudioTagForm::onTextChanged);
    }
    connect(m_editComments->textEdit(), &QTextEdit::textChanged, this, &QAudioTagForm::onCommentsTextChanged);
    connect(m_editGenre, &QComboBox::editTextChanged, this, &QAudioTagForm::genreTextChanged);
    connect(m_btnTagImg, &QPushButton::clicked, this, &QAudioTagForm::setTagImage);
    connect(m_btnDelete, &QPushButton::clicked, this, &QAudioTagForm::onDeleteImage);
}

void QAudioTagForm::splitPair(const QString& text, QString* n, QString* m) {
    *n = QStringLiteral("0");
    *m = QStringLiteral("0");
    if (text.isEmpty()) {
        return;
    }
    QString unified = text;
    unified.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const int slash = unified.indexOf(QLatin1Char('/'));
    if (slash < 0) {
        *n = unified;
        return;
    }
    const QString first = unified.left(slash);
    const QString second = unified.mid(slash + 1);
    *n = first.isEmpty() ? QStringLiteral("0") : first;
    *m = second.isEmpty() ? QStringLiteral("0") : second;
}

QString QAudioTagForm::joinPair(const QString& nText, const QString& mText) {
    const int n = nText.toInt();
    const int m = mText.toInt();
    if (n <= 0) {
        return QString();
    }
    if (m <= 0) {
        return QString::number(n);
    }
    return QStringLiteral("%1/%2").arg(n).arg(m);
}

QByteArray QAudioTagForm::coverBytesOf(const QString& path) {
    QFile file(path);
    if (file.size() > kMaxCoverBytes || !file.open(QIODevice::ReadOnly)) {
        return QByteArray();
    }
    const QByteArray bytes = file.read(kMaxCoverBytes + 1);
    if (bytes.size() > kMaxCoverBytes) {
        return QByteArray();
    }
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer);
    const QByteArray format = reader.format();
    const QImage image = reader.read();
    if (image.isNull()) {
        return QByteArray();
    }
    if (format == "jpeg" || format == "jpg" || format == "png") {
        return bytes;
    }
    // Tag formats label covers as JPEG or PNG only.
    QByteArray png;
    QBuffer out(&png);
    out.open(QIODevice::WriteOnly);
    return image.save(&out, "PNG") ? png : QByteArray();
}

bool QAudioTagForm::isTagsChanged() const {
    if (!m_loaded || !m_settings) {
        return false;
    }
    VEAudioTagInfo now;
    m_settings->getTags(now);
    const VEAudioTagInfo& was = m_loadedTags;
    return now.title != was.title || now.artist != was.artist || now.album_artist != was.album_artist ||
           now.composer != was.composer || now.album != was.album || now.genre != was.genre || now.track != was.track ||
           now.year != was.year || now.date != was.date || now.grouping != was.grouping || now.comment != was.comment ||
           now.disc != was.disc || now.copyright != was.copyright || now.cover_image != was.cover_image ||
           now.coverSize != was.coverSize;
}

void QAudioTagForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_loaded && m_settings) {
        load();
    }
}

void QAudioTagForm::load() {
    VEAudioTagInfo tags;
    m_settings->getTags(tags);
    m_editTitle->setText(toWideString(tags.title));
    m_editAlbum->setText(toWideString(tags.album));
    m_editArtist->setText(toWideString(tags.artist));
    m_editGrouping->setText(toWideString(tags.grouping));
    m_editComposer->setText(toWideString(tags.composer));
    m_editCopyright->setText(toWideString(tags.copyright));
    m_editComments->textEdit()->setPlainText(toWideString(tags.comment));
    QString n;
    QString m;
    splitPair(QString::fromStdString(tags.disc), &n, &m);
    m_editDisc1->setText(n);
    m_editDisc2->setText(m);
    splitPair(QString::fromStdString(tags.track), &n, &m);
    m_editTrack1->setText(n);
    m_editTrack2->setText(m);
    // The information reader puts a whole date into an empty year: the year is its
    // first four characters.
    QString year = toWideString(tags.year);
    if (year.isEmpty()) {
        year = QString::fromStdString(tags.date);
    }
    m_editYear->setText(year.left(4));
    m_editGenre->setCurrentIndex(-1);
    m_editGenre->setEditText(QString::fromStdString(tags.genre));
    showCover(tags.cover_image, tags.coverSize);
    // The edits above wrote their shown forms back into the holder (3\12 as 3/12, a year
    // from the date): that record, not the one read, is what the user saw unchanged.
    m_settings->getTags(m_loadedTags);
    m_loaded = true;
}

void QAudioTagForm::onTextChanged(const QString& text) {
    if (!m_settings) {
        return;
    }
    VEAudioTagInfo tags;
    m_settings->getTags(tags);
    QObject* from = sender();
    const std::string value = text.toStdString();
    if (from == m_editTitle) {
        tags.title = value;
    } else if (from == m_editAlbum) {
        tags.album = value;
    } else if (from == m_editArtist) {
        tags.artist = value;
    } else if (from == m_editComposer) {
        tags.composer = value;
    } else if (from == m_editGrouping) {
        tags.grouping = value;
    } else if (from == m_editCopyright) {
        tags.copyright = value;
    } else if (from == m_editYear) {
        tags.year = value;
    } else if (from == m_editDisc1 || from == m_editDisc2) {
        tags.disc = joinPair(m_editDisc1->text(), m_editDisc2->text()).toStdString();
    } else if (from == m_editTrack1 || from == m_editTrack2) {
        tags.track = joinPair(m_editTrack1->text(), m_editTrack2->text()).toStdString();
    } else {
        return;
    }
    m_settings->setTags(tags);
}

void QAudioTagForm::genreTextChanged(const QString& text) {
    if (!m_settings) {
        return;
    }
    VEAudioTagInfo tags;
    m_settings->getTags(tags);
    tags.genre = text.toStdString();
    m_settings->setTags(tags);
}

void QAudioTagForm::onCommentsTextChanged() {
    if (!m_settings) {
        return;
    }
    VEAudioTagInfo tags;
    m_settings->getTags(tags);
    tags.comment = m_editComments->textEdit()->toPlainText().toStdString();
    m_settings->setTags(tags);
}

void QAudioTagForm::showCover(const std::string& bytes, int size) {
    const std::string shown = bytes.substr(0, size_t(qMax(0, size)));
    m_btnDelete->setVisible(m_btnTagImg->setImageData(kCoverRect, shown));
    if (m_settings) {
        VEAudioTagInfo tags;
        m_settings->getTags(tags);
        tags.cover_image = bytes;
        tags.coverSize = size;
        m_settings->setTags(tags);
    }
}

void QAudioTagForm::setTagImage() {
    const QString chosen = QFileDialog::getOpenFileName(this, QString(), lastCoverFolder(),
                                                        tr("Images (*.png *.xpm *.jpg *.PNG *.XPM *.JPG)"));
    if (chosen.isEmpty()) {
        return;
    }
    lastCoverFolder() = QFileInfo(chosen).absolutePath();
    const QByteArray bytes = coverBytesOf(chosen);
    if (bytes.isEmpty()) {
        // The cover stays as it was.
        QRZMessageBox::showMessage(this, tr("The file is not a picture that can be used as a cover (at most 16 MB)."),
                                   QString(), QRZMessageBox::Warning, QRZMessageBox::OkButton);
        return;
    }
    showCover(bytes.toStdString(), bytes.size());
    m_coverPath = chosen;
}

void QAudioTagForm::onDeleteImage() {
    showCover(std::string(), 0);
    m_coverPath.clear();
}

void QAudioTagForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int left = (width() - kBlockWidth) / 2 - 10;
    const int top = (height() - kBlockHeight) / 2;
    const int right = left + kBlockWidth;
    int labelWidth = 0;
    for (QLabel* label :
         {m_labTitle, m_labAlbum, m_labArtist, m_labComposer, m_labGrouping, m_labCopyright, m_labComments}) {
        labelWidth = qMax(labelWidth, label->width());
    }
    int y = top;
    const struct {
        QLabel* label;
        QWidget* edit;
    } rows[] = {{m_labTitle, m_editTitle},       {m_labAlbum, m_editAlbum},       {m_labArtist, m_editArtist},
                {m_labComposer, m_editComposer}, {m_labGrouping, m_editGrouping}, {m_labCopyright, m_editCopyright},
                {m_labComments, m_editComments}};
    for (const auto& row : rows) {
        row.label->move(left + labelWidth - row.label->width(), y + (22 - row.label->height()) / 2);
        row.edit->move(left + labelWidth + 9, y);
        y = bottomOf(row.edit) + 20;
    }
    // Second column, aligned to the block's right edge.
    const int pairWidth = m_editDisc1->width() + 6 + m_labDiscOf->width() + 6 + m_editDisc2->width();
    const int fieldLeft = right - qMax(pairWidth, m_btnTagImg->width());
    auto placePair = [&](QLabel* label, QRZLineEdit* first, QLabel* of, QRZLineEdit* second, int rowY) {
        label->move(fieldLeft - 9 - label->width(), rowY + (22 - label->height()) / 2);
        first->move(fieldLeft, rowY);
        of->move(first->x() + first->width() + 6, rowY + (22 - of->height()) / 2);
        second->move(of->x() + of->width() + 6, rowY);
    };
    placePair(m_labDisc, m_editDisc1, m_labDiscOf, m_editDisc2, top);
    placePair(m_labTrack, m_editTrack1, m_labTrackOf, m_editTrack2, top + 42);
    m_labYear->move(fieldLeft - 9 - m_labYear->width(), top + 84 + (22 - m_labYear->height()) / 2);
    m_editYear->move(fieldLeft, top + 84);
    m_labGenre->move(fieldLeft - 9 - m_labGenre->width(), top + 126 + (22 - m_labGenre->height()) / 2);
    m_editGenre->move(fieldLeft, top + 126);
    m_labCover->move(fieldLeft - 9 - m_labCover->width(), top + 168);
    m_btnTagImg->move(fieldLeft, top + 168);
    m_btnDelete->move(m_btnTagImg->x() + m_btnTagImg->width() - m_btnDelete->width(), m_btnTagImg->y());
}
