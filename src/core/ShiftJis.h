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

}  // namespace ShiftJis
