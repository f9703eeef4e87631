// A row of checkable tab buttons centred at the top of the widget: the editor window's
// tab bar and the effect tab's switch between its lists. The checked button is disabled,
// so clicking it again does nothing. GUI thread only.
#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>

class QHBoxLayout;
class QRZBaseButton;

class QVideoEditTag : public QWidget {
    Q_OBJECT

public:
    explicit QVideoEditTag(QWidget* parent = nullptr);
    ~QVideoEditTag() override;

    // Replaces the buttons by one per title, in order.
    void setTags(const QStringList& titles);
    // Clicks the button at the index, or the first following one that is not hidden
    // when it is; a disabled button takes no click. The current index becomes the index
    // clicked (the button count when none was).
    void selectTag(int index);
    // Hides and disables the button, then selects the current index again.
    void hideTag(int index);
    void setTagDisabled(int index, bool disabled);

    int currentIndex() const { return m_currentIndex; }
    int count() const { return m_buttons.size(); }
    QRZBaseButton* button(int index) const { return m_buttons.value(index); }

signals:
    void emitSelectedTag(int index);

public slots:
    void onButton();

private:
    int m_currentIndex = 0;
    QStringList m_titles;
    QList<QRZBaseButton*> m_buttons;
    QRZBaseButton* m_checked = nullptr;
    QHBoxLayout* m_horizontalLayout;
};
