#include "app/QShortCutManager.h"

#include "platform/system/hotkey_grab.h"

#include <QGuiApplication>
#include <QX11Info>

namespace platform = calvorine::platform;

// One grab of one pair on the X11 root window.
struct QGlobalShortCut::Grab {
    platform::GrabbedHotkey hotkey;
};

namespace {

constexpr int kSignificantModifiers =
    Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier | Qt::KeypadModifier;

quint64 pairKey(int key, int modifiers) {
    return (static_cast<quint64>(static_cast<quint32>(key)) << 32) |
           static_cast<quint32>(significantModifiers(modifiers));
}

// Every pair held in this process, by whom: X lets one client grab a combination twice,
// so a second action asking for a pair another action holds is refused here.
QHash<quint64, QGlobalShortCut*>& processGrabs() {
    static QHash<quint64, QGlobalShortCut*> grabs;
    return grabs;
}

bool haveX11() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) && QX11Info::isPlatformX11();
}

void releaseGrab(const platform::GrabbedHotkey& hotkey) {
    if (haveX11()) {
        platform::ungrabHotkey(QX11Info::connection(), QX11Info::appRootWindow(), hotkey);
    }
}

unsigned platformModifiers(int modifiers) {
    unsigned result = 0;
    if (modifiers & Qt::ShiftModifier) {
        result |= platform::HotkeyShift;
    }
    if (modifiers & Qt::ControlModifier) {
        result |= platform::HotkeyControl;
    }
    if (modifiers & Qt::AltModifier) {
        result |= platform::HotkeyAlt;
    }
    if (modifiers & Qt::MetaModifier) {
        result |= platform::HotkeySuper;
    }
    return result;
}

struct KeyEntry {
    int key;
    int virtualKey;
    const char* name;
    const char* keysym;
};

// The key table, with Print and the main keyboard's operators on their own keys.
const KeyEntry kKeys[] = {
    {Qt::Key_Space, 32, "SPACE", "space"},
    {Qt::Key_Asterisk, 0x38, "*", "asterisk"},
    {Qt::Key_Plus, 187, "+", "plus"},
    {Qt::Key_Comma, 188, ",", "comma"},
    {Qt::Key_Minus, 189, "-", "minus"},
    {Qt::Key_Period, 190, ".", "period"},
    {Qt::Key_Slash, 191, "/", "slash"},
    {Qt::Key_Escape, 27, "ESC", "Escape"},
    {Qt::Key_Tab, 9, "TAB", "Tab"},
    {Qt::Key_Backtab, 9, "BACKTAB", "ISO_Left_Tab"},
    {Qt::Key_Backspace, 8, "BACKSPACE", "BackSpace"},
    {Qt::Key_Return, 13, "ENTER", "Return"},
    {Qt::Key_Enter, 13, "ENTER", "KP_Enter"},
    {Qt::Key_Insert, 45, "INSERT", "Insert"},
    {Qt::Key_Delete, 46, "DELETE", "Delete"},
    {Qt::Key_Pause, 19, "PAUSE", "Pause"},
    {Qt::Key_Print, 44, "PRINT", "Print"},
    {Qt::Key_Clear, 12, "CLEAR", "Clear"},
    {Qt::Key_Home, 36, "HOME", "Home"},
    {Qt::Key_End, 35, "END", "End"},
    {Qt::Key_Left, 37, "LEFT", "Left"},
    {Qt::Key_Up, 38, "UP", "Up"},
    {Qt::Key_Right, 39, "RIGHT", "Right"},
    {Qt::Key_Down, 40, "DOWN", "Down"},
    {Qt::Key_PageUp, 33, "PageUp", "Prior"},
    {Qt::Key_PageDown, 34, "PageDown", "Next"},
};

// Keypad operators: virtual keys 106-111 and their keypad keysyms.
struct KeypadEntry {
    int key;
    int virtualKey;
    const char* keysym;
};
const KeypadEntry kKeypad[] = {
    {Qt::Key_Asterisk, 106, "KP_Multiply"}, {Qt::Key_Plus, 107, "KP_Add"},       {Qt::Key_Comma, 108, "KP_Separator"},
    {Qt::Key_Minus, 109, "KP_Subtract"},    {Qt::Key_Period, 110, "KP_Decimal"}, {Qt::Key_Slash, 111, "KP_Divide"},
};

const KeyEntry* findKey(int key) {
    for (const KeyEntry& entry : kKeys) {
        if (entry.key == key) {
            return &entry;
        }
    }
    return nullptr;
}

const KeypadEntry* findKeypad(int key, int modifiers) {
    if (!(modifiers & Qt::KeypadModifier)) {
        return nullptr;
    }
    for (const KeypadEntry& entry : kKeypad) {
        if (entry.key == key) {
            return &entry;
        }
    }
    return nullptr;
}

} // namespace

int significantModifiers(int modifiers) {
    return modifiers & kSignificantModifiers;
}

int keyToVirtualKey(int key, int modifiers) {
    if (const KeypadEntry* keypad = findKeypad(key, modifiers)) {
        return keypad->virtualKey;
    }
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z)) {
        return key;
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) {
        return 112 + (key - Qt::Key_F1);
    }
    const KeyEntry* entry = findKey(key);
    return entry != nullptr ? entry->virtualKey : 0;
}

QString keyName(int key) {
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z)) {
        return QString(QChar(key));
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) {
        return QStringLiteral("F%1").arg(1 + key - Qt::Key_F1);
    }
    const KeyEntry* entry = findKey(key);
    return entry != nullptr ? QString::fromLatin1(entry->name) : QString();
}

QString keyToKeysymName(int key, int modifiers) {
    if (const KeypadEntry* keypad = findKeypad(key, modifiers)) {
        return QString::fromLatin1(keypad->keysym);
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        return (modifiers & Qt::KeypadModifier) ? QStringLiteral("KP_%1").arg(QChar(key)) : QString(QChar(key));
    }
    if (key >= Qt::Key_A && key <= Qt::Key_Z) {
        return QString(QChar(key)).toLower();
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) {
        return QStringLiteral("F%1").arg(1 + key - Qt::Key_F1);
    }
    const KeyEntry* entry = findKey(key);
    return entry != nullptr ? QString::fromLatin1(entry->keysym) : QString();
}

QString modifiersText(int modifiers) {
    QStringList names;
    if (modifiers & Qt::ShiftModifier) {
        names << QStringLiteral("Shift");
    }
    if (modifiers & Qt::ControlModifier) {
        names << QStringLiteral("Ctrl");
    }
    if (modifiers & Qt::AltModifier) {
        names << QStringLiteral("Alt");
    }
    if (modifiers & Qt::MetaModifier) {
        names << QStringLiteral("WIN");
    }
    return names.join(QStringLiteral(" + "));
}

QString shortcutText(int key, int modifiers) {
    QString text = modifiersText(modifiers);
    if (!text.isEmpty()) {
        text += QStringLiteral(" + ");
    }
    return text + keyName(key);
}

bool parseShortcutText(const QString& text, int* key, int* modifiers) {
    const int star = text.indexOf(QLatin1Char('*'));
    if (star < 0) {
        return false;
    }
    if (modifiers != nullptr) {
        *modifiers = text.left(star).toInt();
    }
    if (key != nullptr) {
        *key = text.mid(star + 1).toInt();
    }
    return true;
}

QString storedShortcutText(int key, int modifiers) {
    return QStringLiteral("%1*%2").arg(modifiers).arg(key);
}

// ---- QGlobalShortCut ----

QGlobalShortCut::QGlobalShortCut(QWidget* owner)
    : QWidget(owner), m_owner(owner), m_key(Qt::Key_unknown), m_pendingKey(Qt::Key_unknown),
      m_defaultKey(Qt::Key_unknown) {
    hide();
}

QGlobalShortCut::~QGlobalShortCut() {
    // Releases every pair it still holds, the current one and any left from a change.
    const QList<quint64> pairs = m_registeredPairs.keys();
    for (quint64 pair : pairs) {
        releaseGrab(m_registeredPairs.value(pair)->hotkey);
        processGrabs().remove(pair);
    }
    m_registeredPairs.clear();
}

void QGlobalShortCut::setActionId(int id) {
    m_actionId = id;
}
int QGlobalShortCut::actionId() const {
    return m_actionId;
}

void QGlobalShortCut::setKey(int key, int modifiers) {
    m_key = key;
    m_modifiers = modifiers;
}

void QGlobalShortCut::getKey(int* key, int* modifiers) const {
    if (key != nullptr) {
        *key = m_key;
    }
    if (modifiers != nullptr) {
        *modifiers = m_modifiers;
    }
}

void QGlobalShortCut::setPendingKey(int key, int modifiers) {
    m_pendingKey = key;
    m_pendingModifiers = modifiers;
}

bool QGlobalShortCut::isPendingUnchanged() const {
    return m_pendingKey == m_key && m_pendingModifiers == m_modifiers;
}

void QGlobalShortCut::applyPendingKey(bool apply) {
    if (apply) {
        m_key = m_pendingKey;
        m_modifiers = m_pendingModifiers;
    } else {
        m_pendingKey = m_key;
        m_pendingModifiers = m_modifiers;
    }
}

void QGlobalShortCut::setDefaultKey(int key, int modifiers) {
    m_defaultKey = key;
    m_defaultModifiers = modifiers;
}

void QGlobalShortCut::getDefaultKey(int* key, int* modifiers) const {
    if (key != nullptr) {
        *key = m_defaultKey;
    }
    if (modifiers != nullptr) {
        *modifiers = m_defaultModifiers;
    }
}

bool QGlobalShortCut::registerHotKey() {
    m_registered = false;
    const quint64 pair = pairKey(m_key, m_modifiers);
    QGlobalShortCut* holder = processGrabs().value(pair, nullptr);
    if (holder != nullptr && holder != this) {
        qWarning("QGlobalShortCut: %s is already held by action %d", qPrintable(keyText()), holder->actionId());
        return false;
    }
    if (holder == this) {
        unregisterKey(m_key, m_modifiers);
    }
    if (!haveX11()) {
        return false;
    }
    const uint32_t keysym = platform::keysymFromName(keyToKeysymName(m_key, m_modifiers).toStdString());
    auto grab = std::make_shared<Grab>();
    const platform::HotkeyGrabResult result = platform::grabHotkey(
        QX11Info::connection(), QX11Info::appRootWindow(), keysym, platformModifiers(m_modifiers), &grab->hotkey);
    if (result != platform::HotkeyGrabResult::Grabbed) {
        qWarning("QGlobalShortCut: %s could not be grabbed (%s)", qPrintable(keyText()),
                 result == platform::HotkeyGrabResult::HeldByAnotherClient ? "held by another program"
                 : result == platform::HotkeyGrabResult::UnknownKey        ? "no such key on this keyboard"
                                                                           : "X11 error");
        return false;
    }
    m_registeredPairs.insert(pair, grab);
    processGrabs().insert(pair, this);
    m_registered = true;
    return true;
}

bool QGlobalShortCut::isRegistered() const {
    return m_registered;
}

bool QGlobalShortCut::unregisterHotKey() {
    return unregisterKey(m_key, m_modifiers);
}

bool QGlobalShortCut::unregisterKey(int key, int modifiers) {
    const quint64 pair = pairKey(key, modifiers);
    const std::shared_ptr<Grab> grab = m_registeredPairs.take(pair);
    if (!grab) {
        return false;
    }
    releaseGrab(grab->hotkey);
    if (processGrabs().value(pair, nullptr) == this) {
        processGrabs().remove(pair);
    }
    if (pair == pairKey(m_key, m_modifiers)) {
        m_registered = false;
    }
    return true;
}

QString QGlobalShortCut::keyText() const {
    return shortcutText(m_key, m_modifiers);
}

bool QGlobalShortCut::holdsPair(int key, int modifiers) const {
    return m_registeredPairs.contains(pairKey(key, modifiers));
}

bool QGlobalShortCut::matchesNativeKeyPress(const void* xcbGenericEvent) const {
    for (const std::shared_ptr<Grab>& grab : m_registeredPairs) {
        if (platform::isPressOfHotkey(nullptr, xcbGenericEvent, grab->hotkey)) {
            return true;
        }
    }
    return false;
}

// ---- QShortCutManager ----

QShortCutManager* QShortCutManager::instance() {
    static QShortCutManager* s_instance = nullptr;
    if (s_instance == nullptr) {
        s_instance = new QShortCutManager();
    }
    return s_instance;
}

QShortCutManager::QShortCutManager() : QObject(nullptr) {}

QShortCutManager::~QShortCutManager() {
    m_shortcuts.clear();
}

QGlobalShortCut* QShortCutManager::shortcutAt(int index) const {
    return (index >= 0 && index < m_shortcuts.size()) ? m_shortcuts.at(index).data() : nullptr;
}

QGlobalShortCut* QShortCutManager::findShortcut(int actionId) const {
    for (const QPointer<QGlobalShortCut>& shortcut : m_shortcuts) {
        if (shortcut && shortcut->actionId() == actionId) {
            return shortcut;
        }
    }
    return nullptr;
}

int QShortCutManager::count() const {
    return m_shortcuts.size();
}

int QShortCutManager::addShortcut(QGlobalShortCut* shortcut, int index) {
    if (index >= 0 && index < m_shortcuts.size()) {
        m_shortcuts.insert(index, shortcut);
        return index;
    }
    m_shortcuts.append(shortcut);
    return m_shortcuts.size() - 1;
}

void QShortCutManager::clear() {
    const QList<QPointer<QGlobalShortCut>> shortcuts = m_shortcuts;
    m_shortcuts.clear();
    for (const QPointer<QGlobalShortCut>& shortcut : shortcuts) {
        delete shortcut.data();
    }
}

QGlobalShortCut* QShortCutManager::holderOf(int key, int modifiers, const QGlobalShortCut* except) const {
    QGlobalShortCut* holder = processGrabs().value(pairKey(key, modifiers), nullptr);
    return holder == except ? nullptr : holder;
}
