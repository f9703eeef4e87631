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
    // Shows the tab at the index as the selected one without clicking it (nothing is
    // emitted): for an owner that switched tabs itself. Hidden and disabled tabs too.
    void showSelected(int index);

    int currentIndex() const { return m_currentIndex; }
    int count() const { return m_buttons.size(); }
    QRZBaseButton* button(int index) const { return m_buttons.value(index); }

signals:
    void emitSelectedTag(int index);

public slots:
    void onButton();

private:
    // The button becomes the checked (and disabled) one; the one checked before is
    // unchecked and enabled again unless its owner disabled or hid it.
    void check(QRZBaseButton* button);

    int m_currentIndex = 0;
    QStringList m_titles;
    QList<QRZBaseButton*> m_buttons;
    QRZBaseButton* m_checked = nullptr;
    QList<bool> m_disabledByOwner;
    QHBoxLayout* m_horizontalLayout;
};
