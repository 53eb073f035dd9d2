#pragma once

#include <QByteArray>
#include <QFile>
#include <QMap>
#include <QString>

#include <zip.h>

// Small workbooks written entry by entry, and read back entry by entry, so
// that the xlsx tests know every byte the engine must keep.
namespace ZipEntries {

using Entries = QMap<QString, QByteArray>;

inline bool write(const QString& path, const Entries& entries)
{
    QFile::remove(path);
    int code = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!z)
        return false;
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        zip_source_t* src = zip_source_buffer(z, it.value().constData(), it.value().size(), 0);
        if (zip_file_add(z, it.key().toUtf8().constData(), src, ZIP_FL_ENC_UTF_8) < 0)
            return false;
    }
    return zip_close(z) == 0;
}

// Every entry's stored (compressed) bytes, or its content.
inline Entries read(const QString& path, bool compressed)
{
    Entries out;
    int code = 0;
    zip_t* z = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!z)
        return out;
    const zip_int64_t n = zip_get_num_entries(z, 0);
    for (zip_int64_t i = 0; i < n; ++i) {
        zip_stat_t st;
        zip_stat_index(z, i, 0, &st);
        zip_file_t* f = zip_fopen_index(z, i, compressed ? ZIP_FL_COMPRESSED : 0);
        QByteArray data(static_cast<int>(compressed ? st.comp_size : st.size), '\0');
        zip_fread(f, data.data(), data.size());
        zip_fclose(f);
        out.insert(QString::fromUtf8(st.name), data);
    }
    zip_discard(z);
    return out;
}

// One entry's content (or stored bytes); empty when the file or the entry is missing.
inline QByteArray entry(const QString& path, const char* name, bool compressed = false)
{
    return read(path, compressed).value(QString::fromUtf8(name));
}

}  // namespace ZipEntries
