// IBaseChunk: one entry of the program's item lists (history, format chooser, cursor
// chooser). Models hold vectors of IBaseChunk pointers and hand the pointer of each row
// to views and delegates, which read every record through the virtual accessors below.
// The check state ("Item_check_key") and the date ("CHUNK_DATE_KEY") live in the
// key/value store of QDataStorage.
//
// Ownership: a record owns its strings, its store, its optional mutex and extraMap; it
// does not own editSettings. Records belong to whoever fills the vector a model shows.
// Nothing here locks: the mutex is only created and destroyed with the record.
#pragma once

#include "toolkit/QDataStorage.h"

#include <cstdint>
#include <map>
#include <string>

class QMutex;

class IBaseChunk : public QDataStorage {
public:
    explicit IBaseChunk(bool withMutex = false);
    ~IBaseChunk() override;

    IBaseChunk(const IBaseChunk&) = delete;
    IBaseChunk& operator=(const IBaseChunk&) = delete;

    virtual void setCheckState(int state);
    virtual int checkState(); // 0 unchecked, 1 partly, 2 checked
    virtual void setName(std::string name);
    virtual std::string name();
    virtual void setIntA(int value);
    virtual int intA();
    virtual void setIntB(int value);
    virtual int intB();
    virtual void setDate(std::string date);
    virtual std::string date();
    virtual void setExtraText3(std::string text);
    virtual std::string extraText3();
    virtual void setExtraText2(std::string text);
    virtual std::string extraText2();
    virtual void setFlagA(bool flag);
    virtual bool flagA();
    virtual void setFilterKey(std::string key);
    virtual std::string filterKey();
    virtual void setExtraText4(std::string text);
    virtual std::string extraText4();
    virtual void setImagePath(std::string path);
    virtual std::string imagePath();
    virtual void setExtraText1(std::string text);
    virtual std::string extraText1();
    virtual void setEditSettings(void* settings);
    virtual void* editSettings();
    virtual void setIntD(int value);
    virtual int intD();
    virtual void setFlagged(bool flagged);
    virtual bool isFlagged();
    virtual void setNumber(double value);
    virtual double number();
    virtual void setButtonsVisible(bool visible);
    virtual bool buttonsVisible();
    virtual void setTitleText(std::string text);
    virtual std::string titleText();
    virtual void setOverlayImagePath(std::string path);
    virtual std::string overlayImagePath();
    // Clears intA, intB, intC and the name; the check state and all else stay.
    virtual void reset();
    virtual bool isValid();

    // Columns 32 and above are always enabled.
    bool isColumnEnabled(int column) const;

    static const char* const kCheckStateKey; // "Item_check_key"
    static const char* const kDateKey;       // "CHUNK_DATE_KEY"

protected:
    int32_t m_intA = 0;
    int32_t m_intB = 0;
    int32_t m_intC = 0; // for derived records
    bool m_flagA = true;
    std::string m_imagePath;
    std::string m_extraText1;
    void* m_editSettings = nullptr;
    std::string m_extraText2;
    std::string m_extraText3;
    std::string m_name;
    std::string m_filterKey;
    std::string m_titleText;
    std::string m_overlayImagePath;
    uint32_t m_columnMask = 0xffffffffu; // bit n: column n enabled
    QMutex* m_mutex = nullptr;
    int32_t m_intD = 0;
    bool m_flagged = false;
    std::string m_extraText4;
    bool m_buttonsVisible = true;
    double m_number = 0.0;
    // Filled only by derived records; its values are deleted with the record.
    std::map<std::string, QDataStorage*>* m_extraMap = nullptr;
};
