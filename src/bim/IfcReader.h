#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

// A reader of IFC files in the STEP clear-text encoding (ISO 10303-21),
// enough for the spatial structure, quantities, properties, materials and
// simple extruded profiles. The file is indexed in one pass; an entity's
// attributes are parsed only when asked for, so a large model costs little
// more than reading its bytes.
namespace Ifc {

// One attribute value.
struct Value {
    enum class Kind : std::uint8_t { Null, Derived, Integer, Real, String, Enum, Ref, List, Typed, Binary };
    Kind kind = Kind::Null;
    double number = 0;            // Integer, Real
    std::int64_t ref = 0;         // Ref
    QString text;                 // String (decoded), Enum (without dots), Typed (type name, upper case)
    std::vector<Value> items;     // List; Typed: the one wrapped value

    bool isNull() const { return kind == Kind::Null || kind == Kind::Derived; }
    bool isNumber() const { return kind == Kind::Integer || kind == Kind::Real; }
    // A number, also inside a typed value (IFCAREAMEASURE(12.5)).
    bool toNumber(double* out) const;
    // Text of a string, enum, number or typed value; empty otherwise.
    QString toText() const;
};

// Where an entity's attributes lie in the file.
struct EntityRef {
    std::int64_t id = 0;
    std::uint32_t type = 0;     // index into Model::typeNames()
    std::uint32_t begin = 0;    // just after the opening parenthesis
    std::uint32_t end = 0;      // the closing parenthesis
};

class Model {
public:
    // Reads a file; false with error() when it cannot be read at all or is
    // no STEP file. Smaller faults become warnings().
    bool readFile(const QString& path);
    bool parse(QByteArray data);

    const QString& error() const { return m_error; }
    const QStringList& warnings() const { return m_warnings; }
    // The file ended before its closing line: what was read may lack parts.
    bool truncated() const { return m_truncated; }
    // FILE_SCHEMA: "IFC2X3", "IFC4", "IFC4X3_ADD2", …
    const QString& schema() const { return m_schema; }
    const QByteArray& bytes() const { return m_data; }

    std::size_t size() const { return m_entities.size(); }
    // The entity of an id, null when there is none.
    const EntityRef* find(std::int64_t id) const;
    // Type name in upper case ("IFCBUILDINGSTOREY").
    const QByteArray& typeName(const EntityRef& e) const { return m_typeNames[e.type]; }
    bool isType(const EntityRef& e, const char* upperName) const { return m_typeNames[e.type] == upperName; }
    // Every entity of a type, in file order.
    std::vector<const EntityRef*> ofType(const char* upperName) const;
    // Parsed attributes of an entity; empty (with a warning kept once) when
    // they do not parse.
    std::vector<Value> attributes(const EntityRef& e) const;
    std::vector<Value> attributes(std::int64_t id) const;

    // Decodes a STEP string's body (without the quotes): '' and \\, the
    // \S\ \X\ \X2\ \X4\ directives, raw UTF-8 and, failing that, Shift_JIS.
    static QString decodeString(const char* begin, const char* end);

private:
    void warn(const QString& text) const;

    QByteArray m_data;
    QString m_error;
    mutable QStringList m_warnings;
    bool m_truncated = false;
    QString m_schema;
    std::vector<QByteArray> m_typeNames;
    std::vector<EntityRef> m_entities;     // file order
    std::vector<std::uint32_t> m_byId;     // indexes into m_entities sorted by id
};

}  // namespace Ifc
