#include "editor/QVideoEditTag.h"

#include "editor/EditorStyle.h"
#include "toolkit/QRZButton.h"

#include <QHBoxLayout>
#include <QSpacerItem>
#include <QVBoxLayout>

QVideoEditTag::QVideoEditTag(QWidget* parent) : QWidget(parent), m_horizontalLayout(new QHBoxLayout()) {
    setObjectName(QStringLiteral("QVideoEditTag"));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* row = new QHBoxLayout();
    row->setSpacing(0);
    row->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    m_horizontalLayout->setObjectName(QStringLiteral("m_horizontalLayout"));
    m_horizontalLayout->setSpacing(0);
    row->addLayout(m_horizontalLayout);
    row->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    column->addLayout(row);
    column->addItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding));
}

QVideoEditTag::~QVideoEditTag() = default;

void QVideoEditTag::setTags(const QStringList& titles) {
    for (QRZBaseButton* button : m_buttons) {
        m_horizontalLayout->removeWidget(button);
        delete button;
    }
    m_buttons.clear();
    m_disabledByOwner.clear();
    m_checked = nullptr;
    m_titles = titles;
    for (const QString& title : titles) {
        auto* button = new QRZBaseButton(this);
        button->setText(title);
        button->setImage(editorImagePath(QStringLiteral("/VEditSource/tab_btn_bg_image.png")), true);
        button->setTextColors(EditorColors::text(), EditorColors::text(), EditorColors::text(), QColor(109, 104, 104));
        setWidgetFontFamily(button, QStringLiteral("Tahoma"), 12);
        button->setCheckable(true);
        button->setFixedHeight(25);
        connect(button, &QRZBaseButton::clicked, this, &QVideoEditTag::onButton);
        m_buttons.append(button);
        m_disabledByOwner.append(false);
        m_horizontalLayout->addWidget(button);
    }
}

void QVideoEditTag::onButton() {
    auto* clicked = qobject_cast<QRZBaseButton*>(sender());
    if (!clicked) {
        return;
    }
    check(clicked);
    emit emitSelectedTag(m_buttons.indexOf(clicked));
}

void QVideoEditTag::check(QRZBaseButton* button) {
    if (m_checked && m_checked != button) {
        m_checked->setChecked(false);
        m_checked->setEnabled(!m_disabledByOwner.value(m_buttons.indexOf(m_checked)));
    }
    m_checked = button;
    button->setChecked(true);
    button->setEnabled(false);
}

void QVideoEditTag::showSelected(int index) {
    if (index < 0 || index >= m_buttons.size() || m_buttons[index] == m_checked) {
        return;
    }
    check(m_buttons[index]);
    m_currentIndex = index;
}

void QVideoEditTag::selectTag(int index) {
    if (m_buttons.isEmpty() || index < 0 || index >= m_buttons.size()) {
        return;
    }
    int target = index;
    while (target < m_buttons.size() && m_buttons[target]->isHidden()) {
        ++target;
    }
    if (target < m_buttons.size()) {
        m_buttons[target]->click(); // a disabled button ignores it
    }
    m_currentIndex = target;
}

void QVideoEditTag::hideTag(int index) {
    if (m_buttons.isEmpty() || index < 0 || index >= m_buttons.size()) {
        return;
    }
    m_buttons[index]->hide();
    m_buttons[index]->setEnabled(false);
    m_disabledByOwner[index] = true;
    selectTag(m_currentIndex);
}

void QVideoEditTag::setTagDisabled(int index, bool disabled) {
    if (index < 0 || index >= m_buttons.size()) {
        return;
    }
    m_disabledByOwner[index] = disabled;
    m_buttons[index]->setEnabled(!disabled);
}
