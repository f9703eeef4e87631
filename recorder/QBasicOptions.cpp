#include "recorder/QBasicOptions.h"

#include "app/AppGlobals.h"
#include "app/QRecordAreaInfo.h"
#include "app/QShortCutManager.h"
#include "app/SettingsFile.h"
#include "media/CProfileManager.h"
#include "recorder/CurrentFormat.h"
#include "recorder/FormHelpers.h"
#include "recorder/QKeyListenerLineEdit.h"
#include "recorder/QWatermarkDlg.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZComboBox.h"
#include "toolkit/QRZMessageBox.h"
#include "toolkit/QRZWidget.h"
#include "toolkit/StyleHelpers.h"

#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace {

const QString kShortcutSection = QStringLiteral("SHORTCUT_SET");

QString shortcutKeyName(int id) {
    switch (id) {
    case PauseResumeAction:
        return QStringLiteral("Pause_shortcut");
    case StartStopAction:
        return QStringLiteral("Stop_shortcut");
    case ScreenshotAction:
        return QStringLiteral("Screenshot_shortcut");
    case CutAction:
        return QStringLiteral("Cut_shortcut");
    default:
        return QString();
    }
}

void styleFormButton(QRZBaseButton* button, const QString& icon) {
    button->setImage(toolkitImagePath(QStringLiteral("/image/common/btn_common2.png")), true);
    button->setFixedSize(150, 24);
    if (!icon.isEmpty()) {
        button->QRZBaseButtonDraw::setIcon(toolkitImagePath(icon));
        button->setIconRect(QRect(8, -1, 0, 0));
        button->setTextRect(QRect(30, 0, 114, 24));
    } else {
        button->setIconRect(QRect(8, -1, 0, 0));
        button->setTextRect(QRect(30, 0, 114, 24));
    }
    button->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    const QColor light(250, 237, 237);
    button->setTextColors(light, light, light, QColor(119, 115, 115));
}

} // namespace

QBasicOptions::QBasicOptions(QWidget* parent) : QBaseOptionsWgt(parent) {
    setObjectName(QStringLiteral("QBasicOptions"));
    resize(367, 246);
    m_labSave = makeNamedChild<QLabel>(this, "m_labSave");
    m_labFormat = makeNamedChild<QLabel>(this, "m_labFormat");
    m_labShortcut = makeNamedChild<QLabel>(this, "m_labShortcut");
    m_btnFolder = makeNamedChild<QRZBaseButton>(this, "m_btnFolder");
    m_btnFormat = makeNamedChild<QRZBaseButton>(this, "m_btnFormat");
    m_cmbShortcuts = makeNamedChild<QRZComboBox>(this, "m_cmbShortcuts");
    m_editShortcuts = makeNamedChild<QKeyListenerLineEdit>(this, "m_editShortcuts");
    m_labKey = makeNamedChild<QLabel>(this, "m_labKey");
    m_labWaterMark = makeNamedChild<QLabel>(this, "m_labWaterMark");
    m_btnWaterMark = makeNamedChild<QRZBaseButton>(this, "m_btnWaterMark");

    // Styling and wiring.
    styleFormButton(m_btnFolder, QStringLiteral("/image/common/ico_folder.png"));
    styleFormButton(m_btnFormat, QString());
    styleFormButton(m_btnWaterMark, QStringLiteral("/image/common/ico_watermark.png"));
    connect(m_btnFolder, &QAbstractButton::clicked, this, &QBasicOptions::OnBtnFolder);
    connect(m_btnFormat, &QAbstractButton::clicked, this, &QBasicOptions::emitOnFormat);
    connect(m_btnWaterMark, &QAbstractButton::clicked, this, &QBasicOptions::OnWaterMark);
    m_btnWaterMark->setText(tr("Add image file"));

    auto* mark = new QRZWidget(this);
    mark->loadBackgroundImage(getAppDirPath() + QStringLiteral("/image/conflicting.png"), false);
    mark->setObjectName(QStringLiteral("conflictMark"));
    mark->show();
    m_conflict = mark;

    styleComboBox(m_cmbShortcuts, 150, 24);
    styleLineEdit(m_editShortcuts, 150, 24);
    m_editShortcuts->setContextMenuPolicy(Qt::NoContextMenu);
    m_editShortcuts->setReadOnly(true);
    m_editShortcuts->setCursor(Qt::IBeamCursor);
    connect(m_editShortcuts, &QKeyListenerLineEdit::emitFocusState, this, &QBasicOptions::emitShortcutEnable);
    connect(m_editShortcuts, &QKeyListenerLineEdit::eimtShortcutChange, this, &QBasicOptions::shortcutChange);

    for (QLabel* label : {m_labSave, m_labFormat, m_labShortcut, m_labKey, m_labWaterMark}) {
        setWidgetFont(label, 12);
        setWidgetTextColor(label, QPalette::WindowText, QColor(250, 237, 237));
    }
    for (QWidget* button : {static_cast<QWidget*>(m_btnFolder), static_cast<QWidget*>(m_btnFormat),
                            static_cast<QWidget*>(m_btnWaterMark)}) {
        setWidgetFont(button, 12);
    }

    QShortCutManager* manager = QShortCutManager::instance();
    for (int i = 0; i < manager->count(); ++i) {
        if (QGlobalShortCut* shortcut = manager->shortcutAt(i))
            m_cmbShortcuts->addItem(actionText(shortcut->actionId()), shortcut->actionId());
    }
    connect(m_cmbShortcuts, QOverload<int>::of(&QComboBox::activated), this, &QBasicOptions::ShortcutsActivated);
    connect(m_cmbShortcuts, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &QBasicOptions::ShortcutsItemChange);
    ShortcutsItemChange(0);

    setOutputFolder(readSettingValue(QStringLiteral("OutPut_path"), QStringLiteral("path_value"), getConvertedPath()));

    setTitle(tr("Basic record options"));
    m_labSave->setText(tr("Save to:"));
    m_labFormat->setText(tr("Format:"));
    m_labShortcut->setText(tr("Shortcuts:"));
    m_labKey->setText(tr("Keys:"));
    m_labWaterMark->setText(tr("WaterMark:"));
    for (QLabel* label : {m_labSave, m_labFormat, m_labShortcut, m_labKey, m_labWaterMark})
        label->adjustSize();
    for (int row = 0; row < m_cmbShortcuts->count(); ++row)
        m_cmbShortcuts->setItemText(row, actionText(m_cmbShortcuts->itemData(row).toInt()));
    showWatermarkPath(QString::fromStdString(QRecordAreaInfo::instance()->watermarkSettings().imagePath));
}

QBasicOptions::~QBasicOptions() {
    delete m_conflict;
}

QString QBasicOptions::actionText(int id) {
    switch (id) {
    case PauseResumeAction:
        return tr("Pause/Resume Capture");
    case StartStopAction:
        return tr("Start/Stop Capture");
    case ScreenshotAction:
        return tr("Take A Screenshot");
    case CutAction:
        return tr("Start A New File");
    default:
        return QString();
    }
}

bool QBasicOptions::setOutputFolder(const QString& path) {
    m_btnFolder->setToolTip(path);
    QString name = QDir(path).dirName();
    if (name.isEmpty())
        name = path.left(2); // a root folder has no name of its own ("/" shows "/")
    m_btnFolder->setText(name);
    setOutputPath(path);
    const QString section = QStringLiteral("OutPut_path");
    const QString key = QStringLiteral("path_value");
    return readSettingValue(section, key, QString()) == path || storeSetting(section, key, path);
}

void QBasicOptions::OnBtnFolder() {
    const QString folder =
        QFileDialog::getExistingDirectory(this, tr("Save to"), getOutputPath(), QFileDialog::ShowDirsOnly);
    if (folder.isEmpty())
        return;
    if (!isFolderWritable(folder)) {
        tellFolderNotWritable(this, folder);
        return;
    }
    setOutputFolder(folder.endsWith(QLatin1Char('/')) ? folder : folder + QLatin1Char('/'));
}

void QBasicOptions::OnFormatChange(bool video) {
    const OutputFormatName* name = video ? videoFormatName() : audioFormatName();
    if (!name)
        return;
    m_btnFormat->setText(name->title);
    const std::string icon = formatCatalogue()->getBaseInfoValue(name->category.toUtf8().toStdString(),
                                                                 name->id.toUtf8().toStdString(), "icon");
    QImage image(getAppDirPath() + QStringLiteral("/image/Format/") +
                 QStringLiteral("icon_%1.png").arg(QString::fromStdString(icon)));
    if (!image.isNull())
        image = image.scaled(18, 20, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    m_btnFormat->setIconImage(image);
    m_btnFormat->update();
}

void QBasicOptions::showWatermarkPath(const QString& path) {
    const QString fileName = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    if (fileName.isEmpty()) {
        m_btnWaterMark->setText(tr("Add image file"));
        m_btnWaterMark->setToolTip(QString());
    } else {
        m_btnWaterMark->setText(fileName);
        m_btnWaterMark->setToolTip(path);
    }
}

void QBasicOptions::OnWaterMark() {
    QWatermarkDlg dialog(this);
    dialog.setWatermarkSettings(QRecordAreaInfo::instance()->watermarkSettings());
    if (dialog.exec() != QDialog::Accepted)
        return;
    const WatermarkImageSettings settings = dialog.watermarkSettings();
    QRecordAreaInfo::instance()->setWatermarkSettings(settings);
    showWatermarkPath(QString::fromUtf8(settings.imagePath.c_str()));
}

int QBasicOptions::currentActionId() const {
    return m_cmbShortcuts->currentData().toInt();
}

void QBasicOptions::showShortcutOf(QGlobalShortCut* shortcut) {
    m_editShortcuts->setText(shortcut->keyText());
    m_conflict->setVisible(!shortcut->isRegistered());
    // The mark says who has the key: another action of ours, or some other program.
    QString why;
    if (!shortcut->isRegistered()) {
        int key = 0, mods = 0;
        shortcut->getKey(&key, &mods);
        const QGlobalShortCut* holder = QShortCutManager::instance()->holderOf(key, mods, shortcut);
        why = holder ? tr("%1 is already the key of \"%2\".").arg(shortcut->keyText(), actionText(holder->actionId()))
                     : tr("Hotkey has been occupied, proposed to replace the hotkey.");
    }
    m_conflict->setToolTip(why);
}

void QBasicOptions::ShortcutsActivated(int) {
    m_editShortcuts->setFocus(Qt::OtherFocusReason);
}

void QBasicOptions::ShortcutsItemChange(int row) {
    QGlobalShortCut* shortcut = QShortCutManager::instance()->findShortcut(m_cmbShortcuts->itemData(row).toInt());
    if (shortcut)
        showShortcutOf(shortcut);
}

void QBasicOptions::shortcutChange(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    const int id = currentActionId();
    QGlobalShortCut* shortcut = QShortCutManager::instance()->findShortcut(id);
    const int mods = significantModifiers(int(modifiers));
    if (!shortcut || shortcutText(key, mods).isEmpty())
        return;
    shortcut->setPendingKey(key, mods);
    if (shortcut->isPendingUnchanged()) {
        // The key it already has: nothing to store, but one that did not take is tried
        // again (its holder may have let it go).
        if (!shortcut->isRegistered())
            shortcut->registerHotKey();
    } else {
        applyShortcut(id);
    }
    showShortcutOf(shortcut);
}

void QBasicOptions::applyShortcut(int id) {
    QGlobalShortCut* shortcut = QShortCutManager::instance()->findShortcut(id);
    if (!shortcut || shortcut->isPendingUnchanged())
        return;
    int oldKey = 0, oldMods = 0;
    shortcut->getKey(&oldKey, &oldMods);
    shortcut->applyPendingKey(true);
    // A key another action holds is kept, unregistered, with the conflict mark: the
    // holder alone answers it.
    shortcut->registerHotKey();
    shortcut->unregisterKey(oldKey, oldMods);
    // An action that waits for the key just let go takes it now.
    QShortCutManager* manager = QShortCutManager::instance();
    for (int i = 0; i < manager->count(); ++i) {
        QGlobalShortCut* other = manager->shortcutAt(i);
        if (other && other != shortcut && !other->isRegistered() && !other->keyText().isEmpty())
            other->registerHotKey();
    }
    int key = 0, mods = 0;
    shortcut->getKey(&key, &mods);
    saveShortcut(id, storedShortcutText(key, mods));
}

bool QBasicOptions::saveShortcut(int id, const QString& value) {
    const QString key = shortcutKeyName(id);
    return key.isEmpty() || storeSetting(kShortcutSection, key, value);
}

void QBasicOptions::resetShortcuts() {
    QShortCutManager* manager = QShortCutManager::instance();
    for (int i = 0; i < manager->count(); ++i) {
        QGlobalShortCut* shortcut = manager->shortcutAt(i);
        if (!shortcut)
            continue;
        int key = Qt::Key_unknown, mods = 0;
        shortcut->getDefaultKey(&key, &mods);
        shortcut->setPendingKey(key, mods);
        applyShortcut(shortcut->actionId());
        if (!shortcut->keyText().isEmpty() && shortcut->actionId() == currentActionId())
            showShortcutOf(shortcut);
    }
}

void QBasicOptions::reset() {
    setOutputFolder(getConvertedPath());
    resetShortcuts();
    QRecordAreaInfo::instance()->setWatermarkSettings(WatermarkImageSettings());
    showWatermarkPath(QString());
    emit emitResetFormat();
}

void QBasicOptions::paintEvent(QPaintEvent* event) {
    QBaseOptionsWgt::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRect list = m_cmbShortcuts->geometry();
    const int left = list.left() + (list.right() - list.left() - 17) / 2;
    const int top = list.bottom() + 3;
    QPainterPath triangle;
    triangle.moveTo(left, top);
    triangle.lineTo(left + 16, top);
    triangle.lineTo(left + 8, top + 6);
    triangle.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.fillPath(triangle, QColor(250, 237, 237));
}

void QBasicOptions::layoutControls() {
    m_btnFolder->move(86, 35);
    m_btnFormat->move(86, m_btnFolder->geometry().bottom() + 12);
    m_cmbShortcuts->move(86, m_btnFormat->geometry().bottom() + 12);
    m_editShortcuts->move(86, m_cmbShortcuts->geometry().bottom() + 12);
    m_btnWaterMark->move(86, m_editShortcuts->geometry().bottom() + 12);
    m_conflict->move(m_editShortcuts->geometry().right() + 5,
                     m_editShortcuts->y() + (m_editShortcuts->height() - m_conflict->height()) / 2);
    placeLabelLeftOf(m_labSave, m_btnFolder);
    placeLabelLeftOf(m_labFormat, m_btnFormat);
    placeLabelLeftOf(m_labShortcut, m_cmbShortcuts);
    placeLabelLeftOf(m_labKey, m_editShortcuts);
    placeLabelLeftOf(m_labWaterMark, m_btnWaterMark);
}
