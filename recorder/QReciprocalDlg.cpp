#include "recorder/QReciprocalDlg.h"

#include "toolkit/ImagePainting.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

namespace {
constexpr int kStartCount = 30;
constexpr int kTickMs = 100;
constexpr int kCorner = 10;
} // namespace

QReciprocalDlg::QReciprocalDlg(QWidget* parent) : QDialog(parent), m_timer(new QTimer(this)) {
    setObjectName(QStringLiteral("QReciprocalDlg"));
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(Qt::FramelessWindowHint | Qt::Dialog);
    setWindowTitle(QStringLiteral("Calvorine Screen Recorder"));
    // It runs while the main window is hidden: its end must not count as the last
    // window closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(300, 190);
    connect(m_timer, &QTimer::timeout, this, &QReciprocalDlg::OnReciprocalCount);
    m_timer->start(kTickMs);
}

QReciprocalDlg::~QReciprocalDlg() = default;

int QReciprocalDlg::shownDigit() const {
    if (m_counter == kStartCount || m_counter <= 0) {
        return 0;
    }
    return m_counter / 10 + 1;
}

void QReciprocalDlg::OnReciprocalCount() {
    --m_counter;
    update();
    if (m_counter <= 0) {
        m_timer->stop();
        // Hides it and ends exec(); a countdown shown without exec() hears of it through
        // finished().
        accept();
    }
}

void QReciprocalDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(255, 0, 0, 1));

    // The dark panel with quadratic corners of 10 pixels.
    const QPainterPath panel = roundedRectPath(0, 0, width(), height(), kCorner);
    painter.setPen(Qt::NoPen);
    painter.fillPath(panel, QColor(0, 0, 0, 125));

    if (m_counter != kStartCount) {
        painter.save();
        QFont font = painter.font();
        font.setFamily(QStringLiteral("Tahoma"));
        font.setPixelSize(150);
        painter.setFont(font);
        painter.setPen(Qt::white);
        const QString digit = QString::number(m_counter / 10 + 1);
        const QString text = QFontMetrics(font).elidedText(digit, Qt::ElideRight, width());
        painter.drawText(rect(), Qt::AlignHCenter | Qt::AlignVCenter, text);
        painter.restore();
    }
}
