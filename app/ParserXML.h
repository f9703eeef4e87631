// Shared access to the program's XML files. Conventions of every file: root
// "ROOTITEM", values as attributes, booleans "Y"/"N", UTF-8 with an indent of 4, no XML
// declaration. GUI thread only (no lock, no cache).
#pragma once

#include <QDomDocument>
#include <QString>

#include <functional>

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
// - File cannot be opened or read to its end: false, the file stays as it is (the caller
//   writes nothing over it), and the unreadable-file handler hears of it once.
// - File read but not parsed: it is kept as "<path>.bad" (or "<path>.N.bad" beside
//   older ones), the document gets a fresh root "ROOTITEM" and true is returned. Nothing
//   is saved here; the damaged file is no longer at <path> until the caller saves. False
//   when it could not be moved aside.
// - Otherwise true with the parsed document.
bool loadXmlDocument(const QString& path, QDomDocument* document);

// Who tells the user about a file that exists but cannot be read: called once per file
// and run, on the thread that found it. Files found before a handler is set are handed
// to it when it is set; an empty handler stops the telling.
void setUnreadableXmlFileHandler(std::function<void(const QString& path)> tell);

// Moves the file to "<path>.bad", or to "<path>.N.bad" (N from 2) when older copies are
// there: no copy is ever replaced. False when it could not be moved.
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
