#include "editor/QCommonButtonForm.h"

#include "editor/EditorStyle.h"
#include "toolkit/QRZButton.h"

QCommonButtonForm::QCommonButtonForm(QWidget* parent)
    : QWidget(parent), m_btnApplyToAll(new QRZBaseButton(this)), m_btnReset(new QRZBaseButton(this)) {
    setObjectName(QStringLiteral("QCommonButtonForm"));
    m_btnApplyToAll->setObjectName(QStringLiteral("m_btnApplyToAll"));
    m_btnReset->setObjectName(QStringLiteral("m_btnReset"));
    m_btnReset->setText(tr("Reset"));
    m_btnReset->setToolTip(tr("Reset"));
    m_btnApplyToAll->setText(tr("Apply to all"));
    m_btnApplyToAll->setToolTip(tr("Apply to all"));
    setEditorButtonStyle(m_btnReset, 110, 22);
    setEditorButtonStyle(m_btnApplyToAll, 110, 22);
    connect(m_btnReset, &QRZBaseButton::clicked, this, &QCommonButtonForm::emitReset);
    connect(m_btnApplyToAll, &QRZBaseButton::clicked, this, &QCommonButtonForm::emitApplyToAll);
}

QCommonButtonForm::~QCommonButtonForm() = default;

void QCommonButtonForm::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int resetHeight = m_btnReset->height();
    const int applyHeight = m_btnApplyToAll->height();
    const int resetTop = (height() - resetHeight - applyHeight - 10) / 2;
    m_btnReset->move((width() - m_btnReset->width()) / 2, resetTop);
    m_btnApplyToAll->move((width() - m_btnApplyToAll->width()) / 2, resetTop + resetHeight + 10);
}
