// Global hotkeys: QGlobalShortCut (one system-wide key combination grabbed on
// the X11 root window), the process-wide QShortCutManager, and the key tables and texts.
// GUI thread only.
#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>

// Action ids kept in each shortcut.
enum ShortcutActionId { PauseResumeAction = 1, StartStopAction = 2, ScreenshotAction = 3, CutAction = 4 };

// The Windows virtual key of a Qt key (Windows' table), 0 for keys not in it. Keypad
// operators (with Qt::KeypadModifier in `modifiers`) give 106-111; the main keyboard's
// "+ , - . /" give their own keys 187-191 and "*" gives 0x38 (Shift+8 types it); Print
// gives 44 (VK_SNAPSHOT). Kept for the display and for callers that compare virtual keys.
int keyToVirtualKey(int key, int modifiers = 0);
// The display name of a key ("F11", "A", "SPACE", ...), empty for keys not in the table.
QString keyName(int key);
// The X11 keysym name of a key ("F11", "a", "KP_Multiply", "Print", ...), empty for keys
// not in the table. Keypad operators need Qt::KeypadModifier in `modifiers`.
QString keyToKeysymName(int key, int modifiers = 0);
// "Shift", "Ctrl", "Alt", "WIN" for the set modifiers, joined by " + ".
QString modifiersText(int modifiers);
// modifiersText, " + " when that is not empty, then keyName: "Ctrl + Alt + F11".
QString shortcutText(int key, int modifiers);
// Splits "%1*%2" (modifiers, key; decimal, 0 when not a number) at the first "*"; false,
// outputs untouched, when there is no "*".
bool parseShortcutText(const QString& text, int* key, int* modifiers);
// The stored form "%1*%2" of a pair.
QString storedShortcutText(int key, int modifiers);

// The modifier bits that take part in a combination (Shift, Control, Alt, Meta and the
// keypad bit); all others are dropped.
int significantModifiers(int modifiers);

class QGlobalShortCut : public QWidget {
    Q_OBJECT
public:
    explicit QGlobalShortCut(QWidget* owner = nullptr);
    // Releases its grab (unregisterHotKey).
    ~QGlobalShortCut() override;

    void setActionId(int id);
    int actionId() const;

    // The current pair.
    void setKey(int key, int modifiers);
    void getKey(int* key, int* modifiers) const;

    // A new choice not yet applied.
    void setPendingKey(int key, int modifiers);
    bool isPendingUnchanged() const;
    // true: the pending pair becomes current; false: the current pair is copied to pending.
    void applyPendingKey(bool apply);

    void setDefaultKey(int key, int modifiers);
    void getDefaultKey(int* key, int* modifiers) const;

    // Grabs the current pair on the X11 root window (every NumLock/CapsLock variant).
    // Returns false, and holds nothing, when the key has no keysym on this keyboard, when
    // there is no X11 connection, when another X client holds the combination, or when
    // another shortcut of this process already holds it. The result is also kept for
    // isRegistered(). Registering again first releases this shortcut's earlier grab of
    // the same pair.
    bool registerHotKey();
    bool isRegistered() const;

    // Releases the current pair; true when this shortcut held it.
    bool unregisterHotKey();
    // Releases the given pair (the old pair after a change); true when held.
    bool unregisterKey(int key, int modifiers);

    // shortcutText of the current pair.
    QString keyText() const;

    // Whether this shortcut holds a grab of the pair (key, significant modifiers).
    bool holdsPair(int key, int modifiers) const;
    // Called by the native event filter with an xcb event: true when it is a press of a
    // combination this shortcut holds.
    bool matchesNativeKeyPress(const void* xcbGenericEvent) const;

signals:
    void activated();

private:
    struct Grab;
    QWidget* m_owner;
    QHash<quint64, std::shared_ptr<Grab>> m_registeredPairs; // key: (key << 32) | modifiers
    int m_key;
    int m_modifiers = 0;
    int m_pendingKey;
    int m_pendingModifiers = 0;
    int m_defaultKey;
    int m_defaultModifiers = 0;
    int m_actionId = 0;
    bool m_registered = false;
};

class QShortCutManager : public QObject {
    Q_OBJECT
public:
    // The single instance, created on the first call with no parent.
    static QShortCutManager* instance();
    // Releases the list without deleting the shortcuts.
    ~QShortCutManager() override;

    QGlobalShortCut* shortcutAt(int index) const;
    QGlobalShortCut* findShortcut(int actionId) const;
    int count() const;
    // Inserts at index when 0 <= index < count, else appends; returns the position used.
    int addShortcut(QGlobalShortCut* shortcut, int index = -1);
    // Deletes every shortcut (each releases its grab) and empties the list.
    void clear();
    // The shortcut (other than `except`) that holds a grab of the pair, or null.
    QGlobalShortCut* holderOf(int key, int modifiers, const QGlobalShortCut* except = nullptr) const;

private:
    QShortCutManager();
    // Guarded: a shortcut deleted with its owner window drops out of the list by itself.
    QList<QPointer<QGlobalShortCut>> m_shortcuts;
};
