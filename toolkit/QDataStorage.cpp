#include "toolkit/QDataStorage.h"

QDataStorage::QDataStorage() = default;
QDataStorage::~QDataStorage() = default;

void QDataStorage::setString(std::string key, std::string value) {
    m_values[std::move(key)] = std::move(value);
}

void QDataStorage::setInt(std::string key, int32_t value) {
    m_values[std::move(key)] = rawBytes(value);
}

void QDataStorage::setInt64(std::string key, int64_t value) {
    m_values[std::move(key)] = rawBytes(value);
}

void QDataStorage::setBool(std::string key, bool value) {
    m_values[std::move(key)] = std::string(1, value ? '\1' : '\0');
}

void QDataStorage::setDouble(std::string key, double value) {
    m_values[std::move(key)] = rawBytes(value);
}

std::string QDataStorage::getString(std::string key) {
    auto it = m_values.find(key);
    return it == m_values.end() ? std::string() : it->second;
}

int32_t QDataStorage::getInt(std::string key) {
    int32_t value = 0;
    auto it = m_values.find(key);
    if (it == m_values.end() || !readRaw(it->second, &value))
        return 0;
    return value;
}

int64_t QDataStorage::getInt64(std::string key) {
    int64_t value = 0;
    auto it = m_values.find(key);
    if (it == m_values.end() || !readRaw(it->second, &value))
        return 0;
    return value;
}

bool QDataStorage::getBool(std::string key) {
    auto it = m_values.find(key);
    if (it == m_values.end() || it->second.empty())
        return false;
    return it->second[0] != '\0';
}

double QDataStorage::getDouble(std::string key) {
    double value = 0.0;
    auto it = m_values.find(key);
    if (it == m_values.end() || !readRaw(it->second, &value))
        return 0.0;
    return value;
}

bool QDataStorage::hasKey(const std::string& key) const {
    return m_values.count(key) != 0;
}
