#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "foundation/TextString.h"

namespace quorlex {

// Reading documents of any charset as UTF-8.
//
// A document says what it is written in the way browsers look for it: a byte-order mark
// first, else the first charset declared in its first 1,024 bytes (<meta charset="...">,
// <meta http-equiv="Content-Type" content="...; charset=...">, <?xml ... encoding="..."?>),
// else UTF-8. Labels are resolved through the table of the web's encoding standard, so
// "iso-8859-1", "latin1" and "us-ascii" all mean windows-1252 (which is what pages labelled
// so are written in), and "x-sjis" means Shift_JIS.

// The bytes a declaration is looked for in.
constexpr int kCharsetDeclarationBytes = 1024;

// The name of the charset a label stands for ("Latin1 " -> "windows-1252", "utf8" ->
// "UTF-8"), compared ignoring case and surrounding blanks; empty for a label the table does
// not hold.
[[nodiscard]] std::string_view CharsetName(std::string_view label);

// The name the C library's iconv knows a charset (a name CharsetName returns) by: the
// charset itself when the table does not hold it. WHATWG's Shift_JIS, EUC-KR and Big5 are
// the Windows and Hong Kong extensions, which the C library names CP932, CP949 and
// BIG5-HKSCS.
[[nodiscard]] std::string ConverterName(std::string_view charset);

// The character windows-1252 gives a byte: the byte itself below 80 and from A0, U+FFFD for
// the five bytes it leaves undefined.
[[nodiscard]] unsigned int Windows1252CodePoint(unsigned char byte);

// The label of the first charset declared in `head` (a document's first bytes), as
// written; empty when there is none. Comments are skipped; a meta tag's http-equiv must be
// Content-Type for its content to count.
[[nodiscard]] std::string DeclaredCharset(std::string_view head);

// Rewrites `text` as valid UTF-8 without C1 controls. A byte that is not part of a valid
// UTF-8 sequence is read as windows-1252, so an undeclared Latin-1 page, or one stray byte,
// still reads right; the code points U+0080 to U+009F are read as the windows-1252
// characters of those bytes, and the five bytes windows-1252 leaves undefined (81, 8D, 8F,
// 90, 9D) become U+FFFD. Valid text without C1 controls is left as it is, without a copy.
void RepairUtf8(TextString& text);

// Decodes the lines of one document from its charset into UTF-8. One decoder reads one
// document: a charset that shifts between states (ISO-2022-JP) keeps its state from line to
// line. Bytes that cannot be decoded become U+FFFD; the result is always what RepairUtf8
// leaves.
class Utf8Decoder {
 public:
  // `charset` is a name CharsetName returns. An empty name, or one the C library cannot
  // convert from, reads as UTF-8; Usable() tells.
  explicit Utf8Decoder(std::string_view charset);
  ~Utf8Decoder();
  Utf8Decoder(const Utf8Decoder&) = delete;
  Utf8Decoder& operator=(const Utf8Decoder&) = delete;

  // False when the charset is neither UTF-8, windows-1252 nor one the C library converts.
  [[nodiscard]] bool Usable() const { return usable_; }
  void Decode(TextString& line);

 private:
  struct Converter;
  enum class Kind { kUtf8, kWindows1252, kConverter };

  Kind kind_ = Kind::kUtf8;
  bool usable_ = true;
  std::unique_ptr<Converter> converter_;
};

}  // namespace quorlex
