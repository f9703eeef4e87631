#include "toolkit/IBaseChunk.h"

#include <QMutex>

const char* const IBaseChunk::kCheckStateKey = "Item_check_key";
const char* const IBaseChunk::kDateKey = "CHUNK_DATE_KEY";

IBaseChunk::IBaseChunk(bool withMutex) {
    if (withMutex)
        m_mutex = new QMutex();
    // Virtual calls in a constructor stay in this class: the key goes into the base store.
    setInt(kCheckStateKey, 0);
}

IBaseChunk::~IBaseChunk() {
    delete m_mutex;
    if (m_extraMap) {
        for (auto& entry : *m_extraMap)
            delete entry.second;
        delete m_extraMap;
    }
}

void IBaseChunk::setCheckState(int state) {
    setInt(kCheckStateKey, state);
}
int IBaseChunk::checkState() {
    return getInt(kCheckStateKey);
}
void IBaseChunk::setName(std::string name) {
    m_name = std::move(name);
}
std::string IBaseChunk::name() {
    return m_name;
}
void IBaseChunk::setIntA(int value) {
    m_intA = value;
}
int IBaseChunk::intA() {
    return m_intA;
}
void IBaseChunk::setIntB(int value) {
    m_intB = value;
}
int IBaseChunk::intB() {
    return m_intB;
}
void IBaseChunk::setDate(std::string date) {
    setString(kDateKey, std::move(date));
}
std::string IBaseChunk::date() {
    return getString(kDateKey);
}
void IBaseChunk::setExtraText3(std::string text) {
    m_extraText3 = std::move(text);
}
std::string IBaseChunk::extraText3() {
    return m_extraText3;
}
void IBaseChunk::setExtraText2(std::string text) {
    m_extraText2 = std::move(text);
}
std::string IBaseChunk::extraText2() {
    return m_extraText2;
}
void IBaseChunk::setFlagA(bool flag) {
    m_flagA = flag;
}
bool IBaseChunk::flagA() {
    return m_flagA;
}
void IBaseChunk::setFilterKey(std::string key) {
    m_filterKey = std::move(key);
}
std::string IBaseChunk::filterKey() {
    return m_filterKey;
}
void IBaseChunk::setExtraText4(std::string text) {
    m_extraText4 = std::move(text);
}
std::string IBaseChunk::extraText4() {
    return m_extraText4;
}
void IBaseChunk::setImagePath(std::string path) {
    m_imagePath = std::move(path);
}
std::string IBaseChunk::imagePath() {
    return m_imagePath;
}
void IBaseChunk::setExtraText1(std::string text) {
    m_extraText1 = std::move(text);
}
std::string IBaseChunk::extraText1() {
    return m_extraText1;
}
void IBaseChunk::setEditSettings(void* settings) {
    m_editSettings = settings;
}
void* IBaseChunk::editSettings() {
    return m_editSettings;
}
void IBaseChunk::setIntD(int value) {
    m_intD = value;
}
int IBaseChunk::intD() {
    return m_intD;
}
void IBaseChunk::setFlagged(bool flagged) {
    m_flagged = flagged;
}
bool IBaseChunk::isFlagged() {
    return m_flagged;
}
void IBaseChunk::setNumber(double value) {
    m_number = value;
}
double IBaseChunk::number() {
    return m_number;
}
void IBaseChunk::setButtonsVisible(bool visible) {
    m_buttonsVisible = visible;
}
bool IBaseChunk::buttonsVisible() {
    return m_buttonsVisible;
}
void IBaseChunk::setTitleText(std::string text) {
    m_titleText = std::move(text);
}
std::string IBaseChunk::titleText() {
    return m_titleText;
}
void IBaseChunk::setOverlayImagePath(std::string path) {
    m_overlayImagePath = std::move(path);
}
std::string IBaseChunk::overlayImagePath() {
    return m_overlayImagePath;
}

void IBaseChunk::reset() {
    m_intA = 0;
    m_intB = 0;
    m_intC = 0;
    m_name.clear();
}

bool IBaseChunk::isValid() {
    return true;
}

bool IBaseChunk::isColumnEnabled(int column) const {
    if (column >= 32)
        return true;
    if (column < 0)
        return false;
    return (m_columnMask >> column) & 1u;
}
