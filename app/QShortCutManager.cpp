#include "app/QShortCutManager.h"

struct QGlobalShortCut::Grab {};

int keyToVirtualKey(int, int) { return 0; }
QString keyName(int) { return QString(); }
QString keyToKeysymName(int, int) { return QString(); }
QString modifiersText(int) { return QString(); }
QString shortcutText(int, int) { return QString(); }
bool parseShortcutText(const QString&, int*, int*) { return false; }
QString storedShortcutText(int key, int modifiers) { return QStringLiteral("%1*%2").arg(modifiers).arg(key); }
int significantModifiers(int modifiers) { return modifiers; }

QGlobalShortCut::QGlobalShortCut(QWidget* owner)
    : m_owner(owner), m_key(Qt::Key_unknown), m_pendingKey(Qt::Key_unknown), m_defaultKey(Qt::Key_unknown) {}
QGlobalShortCut::~QGlobalShortCut() = default;
void QGlobalShortCut::setActionId(int id) { m_actionId = id; }
int QGlobalShortCut::actionId() const { return m_actionId; }
void QGlobalShortCut::setKey(int key, int modifiers) { m_key = key; m_modifiers = modifiers; }
void QGlobalShortCut::getKey(int* key, int* modifiers) const { *key = m_key; *modifiers = m_modifiers; }
void QGlobalShortCut::setPendingKey(int key, int modifiers) { m_pendingKey = key; m_pendingModifiers = modifiers; }
bool QGlobalShortCut::isPendingUnchanged() const { return true; }
void QGlobalShortCut::applyPendingKey(bool) {}
void QGlobalShortCut::setDefaultKey(int key, int modifiers) { m_defaultKey = key; m_defaultModifiers = modifiers; }
void QGlobalShortCut::getDefaultKey(int* key, int* modifiers) const { *key = m_defaultKey; *modifiers = m_defaultModifiers; }
bool QGlobalShortCut::registerHotKey() { return false; }
bool QGlobalShortCut::isRegistered() const { return m_registered; }
bool QGlobalShortCut::unregisterHotKey() { return false; }
bool QGlobalShortCut::unregisterKey(int, int) { return false; }
QString QGlobalShortCut::keyText() const { return QString(); }
bool QGlobalShortCut::holdsPair(int, int) const { return false; }
bool QGlobalShortCut::matchesNativeKeyPress(const void*) const { return false; }

QShortCutManager* QShortCutManager::instance() {
    static QShortCutManager* s_instance = new QShortCutManager();
    return s_instance;
}
QShortCutManager::QShortCutManager() = default;
QShortCutManager::~QShortCutManager() = default;
QGlobalShortCut* QShortCutManager::shortcutAt(int index) const { return m_shortcuts.value(index, nullptr); }
QGlobalShortCut* QShortCutManager::findShortcut(int) const { return nullptr; }
int QShortCutManager::count() const { return m_shortcuts.size(); }
int QShortCutManager::addShortcut(QGlobalShortCut* shortcut, int) { m_shortcuts.append(shortcut); return m_shortcuts.size() - 1; }
void QShortCutManager::clear() {}
QGlobalShortCut* QShortCutManager::holderOf(int, int, const QGlobalShortCut*) const { return nullptr; }
