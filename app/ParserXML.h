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

// What a damaged file keeps (see loadXmlDocument).
enum class XmlSalvage {
    // Each element under the root that was read whole, with everything in it; an element
    // cut short or broken is dropped whole (a history entry is kept whole or not at all).
    WholeElements,
    // As WholeElements, and the element under the root in which the damage lies keeps
    // the attributes read whole before it (a file of independent values: settings).
    ReadableValues,
};

// The tolerant loader of the settings, history and format-setting files.
// - File cannot be opened or read to its end: false, the file stays as it is (the caller
//   writes nothing over it), and the unreadable-file handler hears of it once.
// - File read but not parsed: it is kept as "<path>.bad" (or "<path>.N.bad" beside
//   older ones); what can still be read from it (`salvage`) becomes the document, under a
//   root "ROOTITEM", and is saved at <path> at once (a read that saves nothing must not
//   lose it); the damaged-file handler hears of it; true. The text is read in pieces,
//   from each line that begins an element under the root (four spaces in, as the files
//   are written) to the next, so a file cut short loses only its broken tail and one
//   with garbage inside loses only the elements the garbage lies in. False when the file
//   could not be moved aside.
// - Otherwise true with the parsed document.
bool loadXmlDocument(const QString& path, QDomDocument* document, XmlSalvage salvage = XmlSalvage::WholeElements);

// Who tells the user about a file that exists but cannot be read: called once per file
// and run, on the thread that found it. Files found before a handler is set are handed
// to it when it is set; an empty handler stops the telling.
void setUnreadableXmlFileHandler(std::function<void(const QString& path)> tell);

// Who tells the user about a damaged file: called once for each damaged file set aside,
// with the path it was at and the path it is kept at, on the thread that found it. Files
// found before a handler is set are handed to it when it is set.
void setDamagedXmlFileHandler(std::function<void(const QString& path, const QString& keptAs)> tell);

// Moves the file to "<path>.bad", or to "<path>.N.bad" (N from 2) when older copies are
// there: no copy is ever replaced. False when it could not be moved; else `keptAs`, when
// given, is set to the new path.
bool keepXmlFileAsBad(const QString& path, QString* keptAs = nullptr);

// What is read from the text of a damaged file, as loadXmlDocument() keeps it: the
// document is replaced by a root "ROOTITEM" holding the elements salvaged. Returns their
// number.
int salvageXmlText(const QString& text, XmlSalvage salvage, QDomDocument* document);

// loadXmlDocument() of a file that must exist; a document without a root element gets
// "ROOTITEM". False when the file is missing or cannot be opened.
bool loadExistingXmlFile(const QString& path, QDomDocument* document, XmlSalvage salvage = XmlSalvage::WholeElements);
// loadExistingXmlFile(), or a fresh document holding only the root "ROOTITEM" when the
// file is missing. False only when the file exists but cannot be opened.
bool loadOrCreateXmlFile(const QString& path, QDomDocument* document, XmlSalvage salvage = XmlSalvage::WholeElements);

// The first child element of the document's root whose tag name is `name`; a null
// element when there is none.
QDomElement firstRootChildNamed(const QDomDocument& document, const QString& name);
