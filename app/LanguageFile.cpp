#include "app/LanguageFile.h"

#include "app/ParserXML.h"

LanguageItem readLanguageItem(const QString& listPath, const QString& name) {
    LanguageItem item;
    QDomDocument document;
    if (!ParserXML::readXmlDocument(listPath, &document)) {
        return item;
    }
    for (QDomElement child = document.documentElement().firstChildElement(); !child.isNull();
         child = child.nextSiblingElement()) {
        if (child.attribute(QStringLiteral("Language_Name")) == name) {
            item.languageFile = child.attribute(QStringLiteral("Language_File"));
            item.languageType = child.attribute(QStringLiteral("Language_Type"));
        }
    }
    return item;
}
