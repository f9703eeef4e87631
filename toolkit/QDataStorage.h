// A small typed key/value store: every value is kept as the raw bytes of what was
// stored (host byte order, no type tag). Only the code that writes a key knows its type.
// Not thread-safe; the item lists use it from the GUI thread only.
#pragma once

#include <cstdint>
#include <map>
#include <string>

class QDataStorage {
public:
    QDataStorage();
    virtual ~QDataStorage();

    // Setters insert the key when it is missing and replace its bytes otherwise.
    virtual void setString(std::string key, std::string value);
    virtual void setInt(std::string key, int32_t value);
    virtual void setInt64(std::string key, int64_t value);
    virtual void setBool(std::string key, bool value);
    virtual void setDouble(std::string key, double value);

    // Getters never insert. A missing key, or a value shorter than the type asked for,
    // reads as absent: "", 0, 0, false, 0.0.
    virtual std::string getString(std::string key);
    virtual int32_t getInt(std::string key);
    virtual int64_t getInt64(std::string key);
    virtual bool getBool(std::string key);
    virtual double getDouble(std::string key);

    // For tests and derived records: whether the key is stored at all.
    bool hasKey(const std::string& key) const;

protected:
    // Copies sizeof(T) bytes from the start of `bytes` into `out`; false when the value
    // is shorter than that.
    template <typename T> static bool readRaw(const std::string& bytes, T* out);
    template <typename T> static std::string rawBytes(const T& value);

private:
    std::map<std::string, std::string> m_values;
};

#include <cstring>

template <typename T> bool QDataStorage::readRaw(const std::string& bytes, T* out) {
    if (bytes.size() < sizeof(T))
        return false;
    std::memcpy(out, bytes.data(), sizeof(T));
    return true;
}

template <typename T> std::string QDataStorage::rawBytes(const T& value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof(T));
}
