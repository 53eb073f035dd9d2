#pragma once

#include <QByteArray>
#include <QString>

// Shift_JIS as Windows writes it (code page 932), through iconv in both
// directions: Qt's own encoder uses the strict IBM table and refuses the
// wave dash, minus and double bar that Japanese input methods type, and
// decoding through the same table as encoding keeps a round trip exact.
namespace ShiftJis {

// The text in CP932. A character that CP932 cannot hold becomes '?', as
// Windows' own conversion does; *unmappable counts them.
QByteArray encode(const QString& text, int* unmappable = nullptr);

// CP932 bytes as text; false when a byte sequence is not CP932 (*out then
// holds what decoded up to there).
bool decode(const QByteArray& bytes, QString* out);

// The code of the first character in CP932 as a signed 16-bit number: a
// single byte gives 0–255, a double-byte character the negative number
// whose bit pattern is its two bytes ("山" 0x8E52 → -29102). A character
// outside CP932 counts as '?' (63); empty text gives 0.
qint16 firstCharCode(const QString& text);

// How a text file was written.
enum class Encoding { Utf8, Utf8Bom, Cp932 };

// Decodes a text file that is UTF-8 (with or without BOM) or CP932. A file
// that reads cleanly as UTF-8 is UTF-8: CP932 kanji almost never form valid
// UTF-8 sequences. On failure *badLine is the 1-based line that does not
// decode and false is returned.
bool decodeFile(const QByteArray& bytes, QString* text, Encoding* encoding, int* badLine);

// The same decoding piece by piece, so that a file of any size is read in
// bounded memory. The encoding is settled on the first piece: a BOM means
// UTF-8; otherwise a first piece that reads as UTF-8 is UTF-8, anything
// else CP932. A file that was plain ASCII up to a byte that is not UTF-8
// is read on as CP932 (ASCII reads the same in both), so a long English
// head does not hide a Shift_JIS body.
class StreamDecoder {
public:
    StreamDecoder();
    ~StreamDecoder();
    StreamDecoder(const StreamDecoder&) = delete;
    StreamDecoder& operator=(const StreamDecoder&) = delete;

    // Appends the text of the next piece of the file to *out; a character
    // cut at the piece's end is completed by the next piece. False at bytes
    // that do not decode: *out then ends with the text before them.
    bool decode(const QByteArray& piece, QString* out);
    // False when the file ended inside a character.
    bool finish() const;
    Encoding encoding() const { return m_encoding; }

private:
    bool convert(QString* out);

    void* m_cd = nullptr;  // iconv_t
    bool m_started = false;
    bool m_onlyAscii = true;
    Encoding m_encoding = Encoding::Utf8;
    QByteArray m_pending;
};

}  // namespace ShiftJis
