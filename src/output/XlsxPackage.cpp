#include "XlsxPackage.h"

#include "Logging.h"

#include <QDir>
#include <QFile>

#include <zip.h>

#include <cstdlib>
#include <cstring>

// ---------------------------------------------------------------------------
// XML parts

namespace {

// Where the root element starts: past the declaration, comments,
// processing instructions and a document type. -1 when there is none.
int rootStart(const QByteArray& s)
{
    int i = 0;
    for (;;) {
        i = s.indexOf('<', i);
        if (i < 0 || i + 1 >= s.size())
            return -1;
        const char next = s[i + 1];
        if (next == '?') {
            i = s.indexOf("?>", i + 2);
        } else if (s.mid(i, 4) == "<!--") {
            i = s.indexOf("-->", i + 4);
        } else if (next == '!') {
            const int subset = s.indexOf('[', i);
            const int close = s.indexOf('>', i);
            i = subset >= 0 && subset < close ? s.indexOf("]>", subset) : close;
        } else {
            return i;
        }
        if (i < 0)
            return -1;
    }
}

struct ByteWriter : pugi::xml_writer {
    QByteArray* out;
    explicit ByteWriter(QByteArray* o) : out(o) {}
    void write(const void* data, size_t size) override
    {
        out->append(static_cast<const char*>(data), static_cast<qsizetype>(size));
    }
};

}  // namespace

bool XlsxXmlPart::parse(QByteArray data)
{
    m_doc.reset();
    const int start = rootStart(data);
    if (start < 0)
        return false;
    m_prolog = data.left(start);
    m_buffer = std::move(data);
    // Whitespace-only text is kept: a cell whose text is one space has it.
    const pugi::xml_parse_result result =
        m_doc.load_buffer_inplace(m_buffer.data(), static_cast<size_t>(m_buffer.size()), pugi::parse_full);
    return result && m_doc.document_element();
}

QByteArray XlsxXmlPart::serialize() const
{
    QByteArray out;
    out.reserve(m_buffer.size() + m_buffer.size() / 8 + 256);
    out += m_prolog;
    ByteWriter writer(&out);
    for (pugi::xml_node n = root(); n; n = n.next_sibling())
        n.print(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return out;
}

std::string XlsxXmlPart::prefix(std::initializer_list<const char*> uris) const
{
    const pugi::xml_node r = root();
    for (const pugi::xml_attribute& a : r.attributes()) {
        const char* name = a.name();
        if (std::strncmp(name, "xmlns", 5) != 0 || (name[5] != 0 && name[5] != ':'))
            continue;
        for (const char* uri : uris)
            if (std::strcmp(a.value(), uri) == 0)
                return name[5] == 0 ? std::string() : std::string(name + 6) + ':';
    }
    // Not declared on the root: spelled as the root spells its own name.
    const char* colon = std::strchr(r.name(), ':');
    return colon ? std::string(r.name(), static_cast<size_t>(colon - r.name() + 1)) : std::string();
}

namespace XlsxXml {

QByteArray text(const pugi::xml_node& node)
{
    QByteArray out;
    ByteWriter writer(&out);
    node.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
    return out;
}

const char* localName(const pugi::xml_node& node)
{
    const char* name = node.name();
    const char* colon = std::strchr(name, ':');
    return colon ? colon + 1 : name;
}

bool setAttr(pugi::xml_node node, const char* name, const char* value)
{
    pugi::xml_attribute a = node.attribute(name);
    if (!a)
        return node.append_attribute(name).set_value(value);
    if (std::strcmp(a.value(), value) == 0)
        return false;
    return a.set_value(value);
}

bool removeAttr(pugi::xml_node node, const char* name)
{
    return node.remove_attribute(name);
}

bool isTrue(const pugi::xml_attribute& attr)
{
    return attr && (std::strcmp(attr.value(), "1") == 0 || std::strcmp(attr.value(), "true") == 0);
}

pugi::xml_node firstOf(pugi::xml_node parent, std::initializer_list<std::string> names)
{
    for (const std::string& name : names)
        if (pugi::xml_node n = parent.child(name.c_str()))
            return n;
    return pugi::xml_node();
}

}  // namespace XlsxXml

// ---------------------------------------------------------------------------
// The archive

namespace {

QString relsPathOf(const QString& part)
{
    const QString dir = XlsxPackage::partDir(part);
    const QString file = part.mid(dir.isEmpty() ? 0 : dir.size() + 1);
    return (dir.isEmpty() ? QString() : dir + u'/') + QStringLiteral("_rels/") + file + QStringLiteral(".rels");
}

const QString kContentTypes = QStringLiteral("[Content_Types].xml");

}  // namespace

QString XlsxPackage::partDir(const QString& part)
{
    const int slash = part.lastIndexOf(u'/');
    return slash < 0 ? QString() : part.left(slash);
}

QString XlsxPackage::resolve(const QString& baseDir, const QString& target)
{
    if (target.startsWith(u'/'))
        return QDir::cleanPath(target.mid(1));
    return QDir::cleanPath(baseDir.isEmpty() ? target : baseDir + u'/' + target);
}

XlsxPackage::~XlsxPackage()
{
    close();
}

void XlsxPackage::close()
{
    if (m_zip)
        zip_discard(m_zip);
    m_zip = nullptr;
    if (m_source)
        zip_source_free(m_source);
    m_source = nullptr;
    m_fileData.clear();
    m_edited.clear();
    m_deleted.clear();
}

bool XlsxPackage::open(const QString& path, QString* error)
{
    close();
    QFile file(path);
    if (!file.exists()) {
        *error = QStringLiteral("ファイル「%1」が見つかりません。").arg(path);
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("ファイル「%1」を開けません（%2）。").arg(path, file.errorString());
        return false;
    }
    // The archive is worked on in memory and written out once: one write
    // of the result instead of copying the file and rewriting it.
    m_fileData = file.readAll();
    file.close();
    zip_error_t ze;
    zip_error_init(&ze);
    // libzip 1.7 releases the source's original buffer when it writes the
    // new archive into it, whatever the ownership flag says: give it a
    // buffer of its own to free.
    void* owned = std::malloc(static_cast<size_t>(m_fileData.size()) + 1);
    if (!owned) {
        *error = QStringLiteral("ファイル「%1」を読み込むメモリが足りません。").arg(path);
        return false;
    }
    std::memcpy(owned, m_fileData.constData(), static_cast<size_t>(m_fileData.size()));
    m_source = zip_source_buffer_create(owned, static_cast<zip_uint64_t>(m_fileData.size()), 1, &ze);
    if (!m_source)
        std::free(owned);
    if (m_source) {
        // Kept beyond the archive: after closing it the source holds the result.
        zip_source_keep(m_source);
        m_zip = zip_open_from_source(m_source, 0, &ze);
        if (!m_zip)
            zip_source_free(m_source);  // the archive's reference, never taken
    }
    if (m_zip) {
        zip_error_fini(&ze);
        return true;
    }
    const int code = zip_error_code_zip(&ze);
    const QString why = QString::fromLocal8Bit(zip_error_strerror(&ze));
    zip_error_fini(&ze);
    close();
    qCWarning(lcOutput).noquote() << path << "libzip:" << code << why;
    if (code == ZIP_ER_NOZIP || code == ZIP_ER_INCONS)
        *error = QStringLiteral("ファイル「%1」はExcelブック（.xlsx）ではないか、壊れています。").arg(path);
    else
        *error = QStringLiteral("ファイル「%1」を開けません（%2）。").arg(path, why);
    return false;
}

bool XlsxPackage::read(const QString& name, QByteArray* data) const
{
    if (!m_zip)
        return false;
    const QByteArray n = name.toUtf8();
    const zip_int64_t index = zip_name_locate(m_zip, n.constData(), 0);
    if (index < 0)
        return false;
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(m_zip, static_cast<zip_uint64_t>(index), 0, &st) != 0 || !(st.valid & ZIP_STAT_SIZE))
        return false;
    if (st.size > 512u * 1024u * 1024u)
        return false;
    zip_file_t* f = zip_fopen_index(m_zip, static_cast<zip_uint64_t>(index), 0);
    if (!f)
        return false;
    data->resize(static_cast<int>(st.size));
    const zip_int64_t got = zip_fread(f, data->data(), st.size);
    zip_fclose(f);
    return got == static_cast<zip_int64_t>(st.size);
}

bool XlsxPackage::contains(const QString& name) const
{
    return m_zip && !m_deleted.contains(name) && zip_name_locate(m_zip, name.toUtf8().constData(), 0) >= 0;
}

quint64 XlsxPackage::fingerprint(const QString& name) const
{
    if (!m_zip)
        return 0;
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat(m_zip, name.toUtf8().constData(), 0, &st) != 0 || !(st.valid & ZIP_STAT_CRC)
        || !(st.valid & ZIP_STAT_SIZE))
        return 0;
    return (static_cast<quint64>(st.crc) << 32) ^ static_cast<quint64>(st.size);
}

XlsxPackage::Edited* XlsxPackage::edited(const QString& name)
{
    auto& slot = m_edited[name];
    if (!slot) {
        QByteArray data;
        auto e = std::make_unique<Edited>();
        if (!read(name, &data) || !e->xml.parse(std::move(data))) {
            m_edited.erase(name);
            return nullptr;
        }
        slot = std::move(e);
    }
    return slot.get();
}

bool XlsxPackage::relationships(const QString& source, QHash<QString, QString>* targets, QString* relsPath)
{
    targets->clear();
    *relsPath = relsPathOf(source);
    if (!contains(*relsPath))
        return true;
    const Edited* rels = edited(*relsPath);
    if (!rels)
        return false;
    const QString dir = partDir(source);
    for (pugi::xml_node r = rels->xml.root().first_child(); r; r = r.next_sibling()) {
        if (std::strcmp(XlsxXml::localName(r), "Relationship") == 0)
            targets->insert(QString::fromUtf8(r.attribute("Id").value()),
                            resolve(dir, QString::fromUtf8(r.attribute("Target").value())));
    }
    return true;
}

QString XlsxPackage::relatedPart(const QString& source, const char* typeSuffix)
{
    const QString relsPath = relsPathOf(source);
    const Edited* rels = contains(relsPath) ? edited(relsPath) : nullptr;
    if (!rels)
        return QString();
    const size_t suffix = std::strlen(typeSuffix);
    for (pugi::xml_node r = rels->xml.root().first_child(); r; r = r.next_sibling()) {
        const char* type = r.attribute("Type").value();
        const size_t n = std::strlen(type);
        if (std::strcmp(XlsxXml::localName(r), "Relationship") == 0 && n >= suffix
            && std::strcmp(type + n - suffix, typeSuffix) == 0)
            return resolve(partDir(source), QString::fromUtf8(r.attribute("Target").value()));
    }
    return QString();
}

bool XlsxPackage::addPart(const QString& source, const QString& name, const char* relationType,
                          const char* contentType)
{
    Edited* rels = edited(relsPathOf(source));
    Edited* types = edited(kContentTypes);
    if (!rels || !types)
        return false;
    pugi::xml_node list = rels->xml.root();
    const std::string prefix = rels->xml.prefix({"http://schemas.openxmlformats.org/package/2006/relationships"});
    int id = 1;
    auto taken = [&list](int n) {
        const QByteArray want = "rId" + QByteArray::number(n);
        for (pugi::xml_node r = list.first_child(); r; r = r.next_sibling())
            if (want == r.attribute("Id").value())
                return true;
        return false;
    };
    while (taken(id))
        ++id;
    pugi::xml_node rel = list.append_child((prefix + "Relationship").c_str());
    rel.append_attribute("Id").set_value(("rId" + std::to_string(id)).c_str());
    rel.append_attribute("Type").set_value(relationType);
    const QString dir = partDir(source);
    const QString target = name.startsWith(dir + u'/') ? name.mid(dir.size() + 1) : u'/' + name;
    rel.append_attribute("Target").set_value(target.toUtf8().constData());
    rels->dirty = true;

    const std::string typesPrefix = types->xml.prefix({"http://schemas.openxmlformats.org/package/2006/content-types"});
    pugi::xml_node over = types->xml.root().append_child((typesPrefix + "Override").c_str());
    over.append_attribute("PartName").set_value(('/' + name).toUtf8().constData());
    over.append_attribute("ContentType").set_value(contentType);
    types->dirty = true;
    return true;
}

void XlsxPackage::removePart(const QString& source, const QString& name)
{
    if (!contains(name))
        return;
    m_deleted << name;
    // A relationship or content type left naming the part makes Excel
    // report the file as damaged.
    auto drop = [](Edited* e, const char* attr, const QString& value) {
        if (!e)
            return;
        const QByteArray want = value.toUtf8();
        for (pugi::xml_node n = e->xml.root().first_child(); n;) {
            const pugi::xml_node next = n.next_sibling();
            if (want == n.attribute(attr).value())
                e->dirty = n.parent().remove_child(n) || e->dirty;
            n = next;
        }
    };
    const QString relsPath = relsPathOf(source);
    if (Edited* rels = contains(relsPath) ? edited(relsPath) : nullptr) {
        const QString dir = partDir(source);
        for (pugi::xml_node r = rels->xml.root().first_child(); r;) {
            const pugi::xml_node next = r.next_sibling();
            if (resolve(dir, QString::fromUtf8(r.attribute("Target").value())) == name)
                rels->dirty = rels->xml.root().remove_child(r) || rels->dirty;
            r = next;
        }
    }
    drop(edited(kContentTypes), "PartName", u'/' + name);
}

QStringList XlsxPackage::changedParts() const
{
    QStringList out;
    for (const auto& [name, e] : m_edited)
        if (e->dirty)
            out << name;
    return out + m_deleted;
}

bool XlsxPackage::write(const std::vector<std::pair<QString, QByteArray>>& replaced, QByteArray* result,
                        QString* why)
{
    if (!m_zip)
        return false;
    std::vector<std::pair<QString, QByteArray>> parts = replaced;
    for (const auto& [name, e] : m_edited)
        if (e->dirty)
            parts.emplace_back(name, e->xml.serialize());
    bool any = false;
    for (const auto& [name, data] : parts) {  // libzip reads the buffers when the archive is closed
        const QByteArray n = name.toUtf8();
        const zip_int64_t index = zip_name_locate(m_zip, n.constData(), 0);
        zip_source_t* src = zip_source_buffer(m_zip, data.constData(), static_cast<zip_uint64_t>(data.size()), 0);
        const zip_int64_t at = !src ? -1
            : index >= 0            ? (zip_file_replace(m_zip, static_cast<zip_uint64_t>(index), src, 0) == 0 ? index : -1)
                                    : zip_file_add(m_zip, n.constData(), src, ZIP_FL_ENC_UTF_8);
        if (at < 0) {
            if (src)
                zip_source_free(src);
            *why = name;
            close();
            return false;
        }
        // Fast deflate: the parts are rewritten on every output. libzip
        // forgets the level when the method asked for is the one the entry
        // already has (deflate, in any xlsx) and then deflates at level 9,
        // four times slower; ZIP_CM_DEFAULT is deflate too, and keeps it.
        zip_set_file_compression(m_zip, static_cast<zip_uint64_t>(at), ZIP_CM_DEFAULT, kCompressionLevel);
        any = true;
    }
    for (const QString& d : m_deleted) {
        const zip_int64_t index = zip_name_locate(m_zip, d.toUtf8().constData(), 0);
        if (index >= 0 && zip_delete(m_zip, static_cast<zip_uint64_t>(index)) == 0)
            any = true;
    }
    if (!any) {
        *result = m_fileData;
        close();
        return true;
    }
    if (zip_close(m_zip) != 0) {
        *why = QString::fromLocal8Bit(zip_strerror(m_zip));
        close();
        return false;
    }
    m_zip = nullptr;
    // The new archive is now the content of the in-memory source (its size
    // as reported by a stat may still be the old one: read to the end).
    if (zip_source_open(m_source) != 0) {
        qCWarning(lcOutput).noquote() << "libzip:" << zip_error_strerror(zip_source_error(m_source));
        close();
        return false;
    }
    result->clear();
    result->reserve(m_fileData.size() + m_fileData.size() / 4);
    char chunk[65536];
    zip_int64_t got = 0;
    while ((got = zip_source_read(m_source, chunk, sizeof chunk)) > 0)
        result->append(chunk, static_cast<int>(got));
    zip_source_close(m_source);
    close();
    return got >= 0 && !result->isEmpty();
}
