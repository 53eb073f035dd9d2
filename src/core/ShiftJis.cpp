#include "ShiftJis.h"


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
    if (badLine)
        *badLine = 0;
    StreamDecoder decoder;
    QString decoded;
    const bool ok = decoder.decode(bytes, &decoded) && decoder.decode(QByteArray(), &decoded) && decoder.finish();
    if (encoding)
        *encoding = decoder.encoding();
    if (ok) {
        *text = decoded;
        return true;
    }
    // The bad bytes lie on the line after the last break decoded before
    // them; CR, LF and CRLF each end a line.
    if (badLine) {
        int line = 1;
        for (qsizetype i = 0; i < decoded.size(); ++i) {
            if (decoded.at(i) == QLatin1Char('\n')
                || (decoded.at(i) == QLatin1Char('\r') && (i + 1 >= decoded.size() || decoded.at(i + 1) != QLatin1Char('\n'))))
                ++line;
        }
        *badLine = line;
    }
    return false;
}

namespace {

iconv_t openDecoder(Encoding e)
{
    return iconv_open("UTF-8", e == Encoding::Cp932 ? "CP932" : "UTF-8");
}

bool isAscii(const char* p, qsizetype n)
{
    for (qsizetype i = 0; i < n; ++i)
        if (static_cast<unsigned char>(p[i]) >= 0x80)
            return false;
    return true;
}

}  // namespace

StreamDecoder::StreamDecoder() = default;

StreamDecoder::~StreamDecoder()
{
    if (m_cd && m_cd != reinterpret_cast<void*>(-1))
        iconv_close(static_cast<iconv_t>(m_cd));
}

bool StreamDecoder::decode(const QByteArray& piece, QString* out)
{
    m_pending += piece;
    if (!m_started) {
        static const QByteArray bom("\xEF\xBB\xBF");
        // Too short to tell a BOM yet: wait for more, unless the file ends here.
        if (m_pending.size() < bom.size() && bom.startsWith(m_pending) && !piece.isEmpty())
            return true;
        m_started = true;
        if (m_pending.startsWith(bom)) {
            m_pending.remove(0, bom.size());
            m_encoding = Encoding::Utf8Bom;
            m_onlyAscii = false;  // the BOM is a promise: no falling back
        } else {
            iconv_t probe = openDecoder(Encoding::Utf8);
            if (probe == reinterpret_cast<iconv_t>(-1))
                return false;
            QByteArray sink(m_pending.size() * 2 + 16, Qt::Uninitialized);
            char* src = m_pending.data();
            size_t left = static_cast<size_t>(m_pending.size());
            char* dst = sink.data();
            size_t room = static_cast<size_t>(sink.size());
            const bool bad = iconv(probe, &src, &left, &dst, &room) == static_cast<size_t>(-1) && errno == EILSEQ;
            iconv_close(probe);
            m_encoding = bad ? Encoding::Cp932 : Encoding::Utf8;
        }
        m_cd = openDecoder(m_encoding);
        if (m_cd == reinterpret_cast<void*>(-1))
            return false;
    }
    return convert(out);
}

bool StreamDecoder::convert(QString* out)
{
    QByteArray utf8(m_pending.size() * 3 + 16, Qt::Uninitialized);
    char* src = m_pending.data();
    size_t left = static_cast<size_t>(m_pending.size());
    char* dst = utf8.data();
    size_t room = static_cast<size_t>(utf8.size());
    bool ok = true;
    while (left > 0) {
        const char* before = src;
        if (iconv(static_cast<iconv_t>(m_cd), &src, &left, &dst, &room) != static_cast<size_t>(-1))
            continue;
        if (m_onlyAscii)
            m_onlyAscii = isAscii(before, src - before);
        if (errno == EINVAL)
            break;  // a character cut at the piece's end: kept for the next piece
        if (errno == EILSEQ && m_encoding == Encoding::Utf8 && m_onlyAscii) {
            iconv_close(static_cast<iconv_t>(m_cd));
            m_encoding = Encoding::Cp932;
            m_cd = openDecoder(m_encoding);
            if (m_cd != reinterpret_cast<void*>(-1))
                continue;
        }
        ok = false;
        break;
    }
    if (m_onlyAscii)
        m_onlyAscii = isAscii(m_pending.constData(), src - m_pending.constData());
    out->append(QString::fromUtf8(utf8.constData(), dst - utf8.constData()));
    m_pending.remove(0, src - m_pending.constData());
    return ok;
}

bool StreamDecoder::finish() const
{
    return m_pending.isEmpty();
}

}  // namespace ShiftJis
