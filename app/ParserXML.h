// Shared access to the program's XML files. Conventions of every file: root
// "ROOTITEM", values as attributes, booleans "Y"/"N", UTF-8 with an indent of 4, no XML
// declaration. GUI thread only (no lock, no cache).
#pragma once

#include <QDomDocument>
#include <QString>

class ParserXML {
public:
    // Saves the document atomically (QSaveFile: written beside the file, flushed to disk,
    // then renamed over it), so a crash or a full disk leaves the old or the new content,
    // never an empty or half-written file. Returns false (and logs
    // "error::ParserXML->writeOperateXml->file.open") when it could not be saved; the file
    // then keeps its previous content.
    static bool writeOperateXml(const QString& path, const QDomDocument& document);

    // Opens the file read-only and parses it into *document (no namespace processing).
    // False when the file cannot be opened or parsed; the file is never changed.
    static bool readXmlDocument(const QString& path, QDomDocument* document);
};

// The tolerant loader of the settings, history and format-setting files.
// - File cannot be opened: false (the caller decides).
// - File cannot be parsed: it is kept as "<path>.bad" (replacing an older one), the
//   document gets a fresh root "ROOTITEM" and true is returned. Nothing is saved here;
//   the damaged file is no longer at <path> until the caller saves.
// - Otherwise true with the parsed document.
bool loadXmlDocument(const QString& path, QDomDocument* document);

// Moves the file to "<path>.bad" (replacing an older one); false when it could not.
bool keepXmlFileAsBad(const QString& path);

// loadXmlDocument() of a file that must exist; a document without a root element gets
// "ROOTITEM". False when the file is missing or cannot be opened.
bool loadExistingXmlFile(const QString& path, QDomDocument* document);
// loadExistingXmlFile(), or a fresh document holding only the root "ROOTITEM" when the
// file is missing. False only when the file exists but cannot be opened.
bool loadOrCreateXmlFile(const QString& path, QDomDocument* document);

// The first child element of the document's root whose tag name is `name`; a null
// element when there is none.
QDomElement firstRootChildNamed(const QDomDocument& document, const QString& name);
