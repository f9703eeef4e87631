// The language list "Language.xml", read only: each child of the root is one
// language with "Language_Name", "Language_File" and "Language_Type". Thread-safe (no
// state).
#pragma once

#include <QString>

struct LanguageItem {
    QString languageFile; // "Language_File"
    QString languageType; // "Language_Type"
};

// The file and type of the language named `name` (the last matching child wins); two
// empty texts when the file is missing or unreadable or has no such language. The list
// is shipped data: a damaged file is only read, never renamed or rewritten.
LanguageItem readLanguageItem(const QString& listPath, const QString& name);
