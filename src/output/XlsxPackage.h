#pragma once

// The package layer of the xlsx engine: the zip archive, the relationships
// that tie its parts together and the content types that name them, plus
// the one way every part of it is read and written as XML.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <pugixml.hpp>

#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// One XML part parsed for editing. The bytes before the root element (the
// declaration with its standalone flag, comments, processing instructions)
// go back out as they came in; the rest is written by the parser from its
// tree, so comments, processing instructions and prefixed names survive.
class XlsxXmlPart {
public:
    // Takes the bytes and parses them in place. False when they are not XML.
    bool parse(QByteArray data);
    pugi::xml_node root() const { return m_doc.document_element(); }
    QByteArray serialize() const;
    // How the part spells the names of namespace `uri`: "" where it is the
    // default namespace, "x:" where the root element binds it to prefix x.
    std::string prefix(std::initializer_list<const char*> uris) const;

private:
    QByteArray m_buffer;  // the parser's tree points into it
    QByteArray m_prolog;
    pugi::xml_document m_doc;
};

namespace XlsxXml {

// The SpreadsheetML namespace, transitional and strict.
inline constexpr std::initializer_list<const char*> kMain = {
    "http://schemas.openxmlformats.org/spreadsheetml/2006/main", "http://purl.oclc.org/ooxml/spreadsheetml/main"};

// The element as the part would write it.
QByteArray text(const pugi::xml_node& node);
// The name without its namespace prefix.
const char* localName(const pugi::xml_node& node);
// Sets an attribute, appended where the element lacks it; true when it changed.
bool setAttr(pugi::xml_node node, const char* name, const char* value);
// True when the attribute was there.
bool removeAttr(pugi::xml_node node, const char* name);
bool isTrue(const pugi::xml_attribute& attr);
// The first child element named by `names`, tried in their order; null
// when the parent has none of them.
pugi::xml_node firstOf(pugi::xml_node parent, std::initializer_list<std::string> names);

}  // namespace XlsxXml

// The archive of an opened workbook, held in memory: parts are read from
// it, and written back all at once with only the changed parts replaced;
// every other entry is copied with its compressed bytes.
class XlsxPackage {
public:
    XlsxPackage() = default;
    ~XlsxPackage();
    XlsxPackage(const XlsxPackage&) = delete;
    XlsxPackage& operator=(const XlsxPackage&) = delete;

    // Reads the file; `error` gets a message for the user.
    bool open(const QString& path, QString* error);
    bool isOpen() const { return m_zip != nullptr; }
    void close();

    bool read(const QString& name, QByteArray* data) const;
    bool contains(const QString& name) const;
    // The part's CRC-32 and size as stored, 0 when there is no such part.
    quint64 fingerprint(const QString& name) const;

    // Part names of the relationships of `source` ("" for the package's own)
    // by relationship id, resolved against the source's folder.
    bool relationships(const QString& source, QHash<QString, QString>* targets, QString* relsPath);
    // The first part that `source` relates to with a type ending in
    // `typeSuffix` ("/styles"); empty when it has none.
    QString relatedPart(const QString& source, const char* typeSuffix);
    // Adds part `name` as related to `source`, with its content type.
    bool addPart(const QString& source, const QString& name, const char* relationType, const char* contentType);
    // Takes part `name` out, with its relationship from `source` and its content type.
    void removePart(const QString& source, const QString& name);

    // Names of the package's own parts that writing changes.
    QStringList changedParts() const;
    // The archive with `replaced` (name → content) and the package's own
    // changes. Closes the package.
    bool write(const std::vector<std::pair<QString, QByteArray>>& replaced, QByteArray* result, QString* why);

    static QString partDir(const QString& part);
    static QString resolve(const QString& baseDir, const QString& target);

private:
    struct Edited {
        XlsxXmlPart xml;
        bool dirty = false;
    };
    Edited* edited(const QString& name);

    static constexpr int kCompressionLevel = 1;
    QByteArray m_fileData;
    struct zip_source* m_source = nullptr;
    struct zip* m_zip = nullptr;
    std::map<QString, std::unique_ptr<Edited>> m_edited;  // relationships, content types
    QStringList m_deleted;
};
