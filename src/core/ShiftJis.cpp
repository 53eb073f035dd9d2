#include "ShiftJis.h"

#include <QList>
#include <QStringDecoder>

#include <cerrno>
#include <iconv.h>

namespace ShiftJis {

namespace {

class Converter {
public:
    Converter(const char* to, const char* from)
        : m_cd(iconv_open(to, from))
    {
    }
    ~Converter()
    {
        if (isValid())
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool isValid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts as much as it can; stops at an invalid sequence and leaves
    // *in pointing at it. Returns false on such a sequence.
    bool run(const char** in, size_t* inLeft, QByteArray* out)
    {
        while (*inLeft > 0) {
            const qsizetype used = out->size();
            out->resize(used + qMax<qsizetype>(64, static_cast<qsizetype>(*inLeft) * 2));
            char* dst = out->data() + used;
            size_t dstLeft = static_cast<size_t>(out->size() - used);
            char* src = const_cast<char*>(*in);
            const size_t r = iconv(m_cd, &src, inLeft, &dst, &dstLeft);
            *in = src;
            out->resize(out->size() - static_cast<qsizetype>(dstLeft));
            if (r != static_cast<size_t>(-1))
                continue;
            if (errno == E2BIG)
                continue;
            return false;  // EILSEQ, or EINVAL at a truncated end
        }
        return true;
    }

private:
    iconv_t m_cd;
};

// Length of the UTF-8 sequence that starts with this byte.
int utf8Length(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 1;
}

}  // namespace

QByteArray encode(const QString& text, int* unmappable)
{
    if (unmappable)
        *unmappable = 0;
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size());
    Converter cd("CP932", "UTF-8");
    if (!cd.isValid())
        return {};
    const char* in = utf8.constData();
    size_t left = static_cast<size_t>(utf8.size());
    while (!cd.run(&in, &left, &out)) {
        const int skip = qMin<int>(utf8Length(static_cast<unsigned char>(*in)), static_cast<int>(left));
        out.append('?');
        in += skip;
        left -= static_cast<size_t>(skip);
        if (unmappable)
            ++*unmappable;
    }
    return out;
}

bool decode(const QByteArray& bytes, QString* out)
{
    Converter cd("UTF-8", "CP932");
    if (!cd.isValid()) {
        out->clear();
        return false;
    }
    QByteArray utf8;
    utf8.reserve(bytes.size() * 3 / 2);
    const char* in = bytes.constData();
    size_t left = static_cast<size_t>(bytes.size());
    const bool ok = cd.run(&in, &left, &utf8);
    *out = QString::fromUtf8(utf8);
    return ok;
}

qint16 firstCharCode(const QString& text)
{
    if (text.isEmpty())
        return 0;
    // One character: a surrogate pair is one character outside CP932.
    const int len = text.at(0).isHighSurrogate() && text.size() > 1 ? 2 : 1;
    int unmappable = 0;
    const QByteArray b = encode(text.left(len), &unmappable);
    if (unmappable > 0 || b.isEmpty())
        return static_cast<qint16>('?');
    if (b.size() == 1)
        return static_cast<qint16>(static_cast<unsigned char>(b[0]));
    const quint16 code = static_cast<quint16>((static_cast<unsigned char>(b[0]) << 8) | static_cast<unsigned char>(b[1]));
    return static_cast<qint16>(code);
}

bool decodeFile(const QByteArray& bytes, QString* text, Encoding* encoding, int* badLine)
{
    static const QByteArray bom("\xEF\xBB\xBF");
    if (badLine)
        *badLine = 0;
    const bool hasBom = bytes.startsWith(bom);
    const QByteArray body = hasBom ? bytes.mid(bom.size()) : bytes;
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString decoded = utf8.decode(body);
    if (!utf8.hasError()) {
        *text = decoded;
        if (encoding)
            *encoding = hasBom ? Encoding::Utf8Bom : Encoding::Utf8;
        return true;
    }
    if (encoding)
        *encoding = hasBom ? Encoding::Utf8Bom : Encoding::Cp932;
    if (hasBom) {
        // A BOM says UTF-8; find the line that breaks that promise.
        const QList<QByteArray> lines = body.split('\n');
        for (int i = 0; i < lines.size(); ++i) {
            QStringDecoder line(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
            (void)line.decode(lines[i]);
            if (line.hasError()) {
                if (badLine)
                    *badLine = i + 1;
                break;
            }
        }
        return false;
    }
    Converter cd("UTF-8", "CP932");
    QByteArray out;
    const char* in = body.constData();
    size_t left = static_cast<size_t>(body.size());
    if (cd.isValid() && cd.run(&in, &left, &out)) {
        *text = QString::fromUtf8(out);
        return true;
    }
    // A CP932 trail byte is never a line feed, so counting line feeds
    // before the bad byte gives its line.
    if (badLine)
        *badLine = static_cast<int>(body.left(in - body.constData()).count('\n')) + 1;
    return false;
}

}  // namespace ShiftJis
