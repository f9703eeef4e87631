#include "recorder/SelectRecordAreaWgt.h"

#include "app/AppGlobals.h"
#include "app/QRecordAreaInfo.h"
#include "recorder/CaptureArea.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZComboBox.h"
#include "toolkit/QRZLineEdit.h"
#include "toolkit/StyleHelpers.h"

#include <QDebug>
#include <QEvent>
#include <QLabel>
#include <QPainter>

using capturearea::ScreenFit;

namespace {

void setLabelFont(QLabel* label, int pixelSize) {
    QFont font = label->font();
    font.setFamily(QStringLiteral("Tahoma"));
    font.setPixelSize(pixelSize);
    label->setFont(font);
    label->adjustSize();
}

int lastColumn(const QWidget* widget) {
    return widget->x() + widget->width() - 1;
}

} // namespace

SelectRecordAreaWgt::SelectRecordAreaWgt(QWidget* parent) : QRZWidget(parent) {
    setupForm();
    setResizeFlags(0);
    styleForm();
    installEventFilter(this);
}

SelectRecordAreaWgt::~SelectRecordAreaWgt() = default;

void SelectRecordAreaWgt::setupForm() {
    if (objectName().isEmpty()) {
        setObjectName(QStringLiteral("SelectRecordAreaWgt"));
    }
    resize(450, 117);
    setWindowTitle(QStringLiteral("Form"));
    m_btnAddArea = new QRZBaseButton(this);
    m_btnAddArea->setObjectName(QStringLiteral("m_btnAddArea"));
    m_btnAddArea->setGeometry(30, 20, 81, 61);
    m_cmbAraeCustom = new QRZComboBox(this);
    m_cmbAraeCustom->setObjectName(QStringLiteral("m_cmbAraeCustom"));
    m_cmbAraeCustom->setGeometry(110, 40, 31, 21);
    m_labW = new QLabel(QStringLiteral("W:"), this);
    m_labW->setObjectName(QStringLiteral("m_labW"));
    m_labW->setGeometry(160, 30, 21, 21);
    m_labW->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_labH = new QLabel(QStringLiteral("H:"), this);
    m_labH->setObjectName(QStringLiteral("m_labH"));
    m_labH->setGeometry(160, 60, 21, 21);
    m_labH->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_editW = new QRZLineEdit(this);
    m_editW->setObjectName(QStringLiteral("m_editW"));
    m_editW->setGeometry(180, 30, 71, 20);
    m_editH = new QRZLineEdit(this);
    m_editH->setObjectName(QStringLiteral("m_editH"));
    m_editH->setGeometry(180, 60, 71, 20);
    m_btnKeepRatio = new QRZBaseButton(this);
    m_btnKeepRatio->setObjectName(QStringLiteral("m_btnKeepRatio"));
    m_btnKeepRatio->setGeometry(260, 40, 21, 31);
    m_labArea = new QLabel(QStringLiteral("Capture Area"), this);
    m_labArea->setObjectName(QStringLiteral("m_labArea"));
    m_labArea->setGeometry(160, 90, 161, 16);
    m_labArea->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
}

void SelectRecordAreaWgt::styleForm() {
    const QString app = getAppDirPath();
    m_btnAddArea->setImage(app + QStringLiteral("/image/btn_addArae.png"), false);
    m_btnKeepRatio->setImage(app + QStringLiteral("/image/btn_ratio.png"), false);

    m_cmbAraeCustom->setFrameImage(app + QStringLiteral("/image/btn_araeCustom.png"));
    m_cmbAraeCustom->setFrameStates(true);
    m_cmbAraeCustom->resize(17, 18);
    // Only the drop-down's picture shows: its text is pushed out of sight.
    m_cmbAraeCustom->setTextMargins(100, 1, 1, 1);
    m_cmbAraeCustom->addItems(QRecordAreaInfo::instance()->presetSizes());
    m_cmbAraeCustom->setMaxVisibleItems(20);
    m_cmbAraeCustom->setToolTip(QString());
    styleComboBoxColors(m_cmbAraeCustom);

    connect(m_btnKeepRatio, &QAbstractButton::clicked, this, &SelectRecordAreaWgt::OnBtnRatio);
    connect(m_btnAddArea, &QAbstractButton::clicked, this, &SelectRecordAreaWgt::OnBtnAddArea);
    connect(m_cmbAraeCustom, QOverload<int>::of(&QComboBox::activated), this, &SelectRecordAreaWgt::SizeItemChange);

    styleLineEdit(m_editW, 75, 24);
    styleLineEdit(m_editH, 75, 24);
    m_labArea->setText(tr("Capture Area"));
    setLabelFont(m_labW, 11);
    setLabelFont(m_labH, 11);
    setLabelFont(m_labArea, 12);
    connect(m_editW, &QLineEdit::returnPressed, this, &SelectRecordAreaWgt::EditReturnPressed);
    connect(m_editH, &QLineEdit::returnPressed, this, &SelectRecordAreaWgt::EditReturnPressed);
    setWidgetTextColor(m_labW, QPalette::WindowText, QColor(250, 237, 237));
    setWidgetTextColor(m_labH, QPalette::WindowText, QColor(250, 237, 237));
    setWidgetTextColor(m_labArea, QPalette::WindowText, QColor(217, 106, 114));

    m_btnAddArea->setToolTip(tr("Select Area"));
    m_btnKeepRatio->setToolTip(tr("Keep ratio"));
}

void SelectRecordAreaWgt::setSizeFields(int w, int h) {
    m_editW->setText(QString::number(w));
    m_editH->setText(QString::number(h));
    m_cmbAraeCustom->setToolTip(w < 1 || h < 1 ? QString() : QStringLiteral("%1*%2").arg(w).arg(h));
}

void SelectRecordAreaWgt::setEditsEnabled(bool enabled) {
    m_editW->setEnabled(enabled);
    m_editH->setEnabled(enabled);
}

void SelectRecordAreaWgt::setAttention(bool on) {
    if (on) {
        m_btnAddArea->startBlink(500);
    } else {
        m_btnAddArea->stopBlink();
    }
}

void SelectRecordAreaWgt::relayout() {
    const int panelHeight = height();
    m_btnAddArea->move(25, (panelHeight - m_btnAddArea->height()) / 2 - 10);
    const int addLast = lastColumn(m_btnAddArea);
    m_cmbAraeCustom->move(addLast, m_btnAddArea->y() + (m_btnAddArea->height() - m_cmbAraeCustom->height()) / 2);
    m_editW->move(addLast + 45, m_btnAddArea->y() + 2);
    const int addBottom = m_btnAddArea->y() + m_btnAddArea->height() - 1;
    m_editH->move(m_editW->x(), addBottom - 3 - m_editH->height() + 1);
    m_labW->move(m_editW->x() - m_labW->width() - 3, m_editW->y() + (m_editW->height() - m_labW->height()) / 2);
    m_labH->move(m_editH->x() - m_labH->width() - 3, m_editH->y() + (m_editH->height() - m_labH->height()) / 2);
    const int editsTop = m_editW->y();
    const int editsBottom = m_editH->y() + m_editH->height() - 1;
    m_btnKeepRatio->move(lastColumn(m_editW) + 15,
                         editsTop + (editsBottom - editsTop + 1 - m_btnKeepRatio->height()) / 2);
    m_labArea->move((width() - m_labArea->width()) / 2, panelHeight - 30);
}

bool SelectRecordAreaWgt::eventFilter(QObject* watched, QEvent* event) {
    if (watched == this) {
        if (event->type() == QEvent::WindowBlocked) {
            m_blocked = true;
            return true;
        }
        if (event->type() == QEvent::WindowUnblocked) {
            m_blocked = false;
        }
    }
    return QRZWidget::eventFilter(watched, event);
}

void SelectRecordAreaWgt::paintEvent(QPaintEvent* event) {
    paintBackground(event);
    QPainter painter(this);
    painter.fillRect(rect(), QColor(74, 72, 72));
    if (!QRecordAreaInfo::instance()->isKeepRatio()) {
        return;
    }
    // A bracket from the width edit over to the ratio button and back to the height edit.
    painter.setPen(QColor(180, 180, 180));
    const int right = lastColumn(m_editW);
    const int top = m_editW->y() + m_editW->height() / 2 - 1;
    const int bottom = top + (m_editH->y() - m_editW->y());
    const int middle = m_btnKeepRatio->x() + m_btnKeepRatio->width() / 2;
    painter.drawLine(right, top, middle, top);
    painter.drawLine(middle, top, middle, bottom);
    painter.drawLine(middle, bottom, lastColumn(m_editH), bottom);
}

void SelectRecordAreaWgt::OnBtnRatio() {
    QRecordAreaInfo* area = QRecordAreaInfo::instance();
    const bool keep = !area->isKeepRatio();
    area->setKeepRatio(keep);
    repaint();
    emit emitKeepScaleChange(keep);
}

void SelectRecordAreaWgt::OnBtnAddArea() {
    emit emitOnShowAreaDlg();
}

void SelectRecordAreaWgt::OnBtnFullScreen() {
    const QSize screen = capturearea::primaryScreenSize();
    QRecordAreaInfo* area = QRecordAreaInfo::instance();
    if (area->areaSize() == screen && area->areaOrigin() == QPoint(0, 0)) {
        return;
    }
    area->setAreaOrigin(0, 0);
    setSizeFields(screen.width(), screen.height());
    area->setAreaSize(screen.width(), screen.height());
    emit emitAreaChange();
}

void SelectRecordAreaWgt::EditReturnPressed() {
    auto* edit = qobject_cast<QRZLineEdit*>(sender());
    if (edit != m_editW && edit != m_editH) {
        return;
    }
    const int typed = std::max(edit->text().toInt(), capturearea::kMinimumEditSide);
    const QSize screen = capturearea::primaryScreenSize();
    QRecordAreaInfo* area = QRecordAreaInfo::instance();
    QPoint origin = area->areaOrigin();
    QSize size = area->areaSize();
    // The size shrinks to fit behind the origin; only when not even the smallest size
    // fits there does the origin move back.
    if (edit == m_editW) {
        const QPair<int, int> fitted = capturearea::fitSpan(origin.x(), typed, screen.width(),
                                                            capturearea::kMinimumEditSide, ScreenFit::ShrinkSize);
        origin.setX(fitted.first);
        size.setWidth(fitted.second);
        edit->setText(QString::number(fitted.second));
    } else {
        const QPair<int, int> fitted = capturearea::fitSpan(origin.y(), typed, screen.height(),
                                                            capturearea::kMinimumEditSide, ScreenFit::ShrinkSize);
        origin.setY(fitted.first);
        size.setHeight(fitted.second);
        edit->setText(QString::number(fitted.second));
    }
    area->setAreaOrigin(origin.x(), origin.y());
    area->setAreaSize(size.width(), size.height());
    emit emitAreaChange();
}

void SelectRecordAreaWgt::SizeItemChange(int index) {
    const int count = m_cmbAraeCustom->count();
    if (index == count - 1) {
        emit emitShowPointAreaDlg();
        return;
    }
    if (index == count - 2) {
        OnBtnFullScreen();
        return;
    }
    const QString entry = m_cmbAraeCustom->itemText(index);
    const int star = entry.indexOf(QLatin1Char('*'));
    if (star < 0) {
        return;
    }
    int w = entry.left(star).toInt();
    int h = entry.mid(star + 1).toInt();
    qDebug() << "preset size" << w << h;
    // A preset larger than this screen is cut to it.
    const QRect fitted = capturearea::fitOnScreen(QRect(0, 0, w, h), capturearea::primaryScreenSize(),
                                                  capturearea::kMinimumEditSide, ScreenFit::MoveOrigin);
    w = fitted.width();
    h = fitted.height();
    QRecordAreaInfo* area = QRecordAreaInfo::instance();
    if (area->areaSize() != QSize(w, h) || area->areaOrigin() != QPoint(0, 0)) {
        area->setAreaOrigin(0, 0);
        setSizeFields(w, h);
        area->setAreaSize(w, h);
    }
    emit emitAreaChange();
}
