#include "foundation/Charset.h"

#include <iconv.h>

#include <cerrno>
#include <optional>
#include <string>

#include "foundation/Ascii.h"
#include "foundation/Utf8.h"

namespace quorlex {
namespace {

// One charset of the web's encoding standard: its name, the name the C library converts
// it by, and its labels, separated by blanks. UTF-8 and windows-1252 are decoded here.
struct Encoding {
  const char* name;
  const char* converterName;
  const char* labels;
};

// Declared UTF-16 or UTF-32 without a byte-order mark cannot be what the page is written in
// (its declaration was readable as ASCII), so those labels read as UTF-8, as browsers do.
// "x-user-defined" in a declaration means windows-1252 for the same reason. The charsets
// the standard decodes to a single replacement character (ISO-2022-KR and -CN) are converted
// instead: nothing of the text is lost.
constexpr Encoding kEncodings[] = {
    {"UTF-8", "UTF-8",
     "unicode-1-1-utf-8 unicode11utf8 unicode20utf8 utf-8 utf8 x-unicode20utf8 csunicode "
     "iso-10646-ucs-2 ucs-2 unicode unicodefeff unicodefffe utf-16 utf-16be utf-16le utf-32 "
     "utf-32be utf-32le"},
    {"windows-1252", "WINDOWS-1252",
     "ansi_x3.4-1968 ascii cp1252 cp819 csisolatin1 ibm819 iso-8859-1 iso-ir-100 iso8859-1 "
     "iso88591 iso_8859-1 iso_8859-1:1987 l1 latin1 us-ascii windows-1252 x-cp1252 "
     "x-user-defined"},
    {"IBM866", "IBM866", "866 cp866 csibm866 ibm866"},
    {"ISO-8859-2", "ISO-8859-2",
     "csisolatin2 iso-8859-2 iso-ir-101 iso8859-2 iso88592 iso_8859-2 iso_8859-2:1987 l2 "
     "latin2"},
    {"ISO-8859-3", "ISO-8859-3",
     "csisolatin3 iso-8859-3 iso-ir-109 iso8859-3 iso88593 iso_8859-3 iso_8859-3:1988 l3 "
     "latin3"},
    {"ISO-8859-4", "ISO-8859-4",
     "csisolatin4 iso-8859-4 iso-ir-110 iso8859-4 iso88594 iso_8859-4 iso_8859-4:1988 l4 "
     "latin4"},
    {"ISO-8859-5", "ISO-8859-5",
     "csisolatincyrillic cyrillic iso-8859-5 iso-ir-144 iso8859-5 iso88595 iso_8859-5 "
     "iso_8859-5:1988"},
    {"ISO-8859-6", "ISO-8859-6",
     "arabic asmo-708 csiso88596e csiso88596i csisolatinarabic ecma-114 iso-8859-6 "
     "iso-8859-6-e iso-8859-6-i iso-ir-127 iso8859-6 iso88596 iso_8859-6 iso_8859-6:1987"},
    {"ISO-8859-7", "ISO-8859-7",
     "csisolatingreek ecma-118 elot_928 greek greek8 iso-8859-7 iso-ir-126 iso8859-7 iso88597 "
     "iso_8859-7 iso_8859-7:1987 sun_eu_greek"},
    {"ISO-8859-8", "ISO-8859-8",
     "csiso88598e csisolatinhebrew hebrew iso-8859-8 iso-8859-8-e iso-ir-138 iso8859-8 "
     "iso88598 iso_8859-8 iso_8859-8:1988 visual"},
    {"ISO-8859-8-I", "ISO-8859-8", "csiso88598i iso-8859-8-i logical"},
    {"ISO-8859-10", "ISO-8859-10",
     "csisolatin6 iso-8859-10 iso-ir-157 iso8859-10 iso885910 l6 latin6"},
    {"ISO-8859-13", "ISO-8859-13", "iso-8859-13 iso8859-13 iso885913"},
    {"ISO-8859-14", "ISO-8859-14", "iso-8859-14 iso8859-14 iso885914"},
    {"ISO-8859-15", "ISO-8859-15", "csisolatin9 iso-8859-15 iso8859-15 iso885915 iso_8859-15 l9"},
    {"ISO-8859-16", "ISO-8859-16", "iso-8859-16"},
    {"KOI8-R", "KOI8-R", "cskoi8r koi koi8 koi8-r koi8_r"},
    {"KOI8-U", "KOI8-U", "koi8-ru koi8-u"},
    {"macintosh", "MACINTOSH", "csmacintosh mac macintosh x-mac-roman"},
    {"windows-874", "CP874", "dos-874 iso-8859-11 iso8859-11 iso885911 tis-620 windows-874"},
    {"windows-1250", "WINDOWS-1250", "cp1250 windows-1250 x-cp1250"},
    {"windows-1251", "WINDOWS-1251", "cp1251 windows-1251 x-cp1251"},
    {"windows-1253", "WINDOWS-1253", "cp1253 windows-1253 x-cp1253"},
    {"windows-1254", "WINDOWS-1254",
     "cp1254 csisolatin5 iso-8859-9 iso-ir-148 iso8859-9 iso88599 iso_8859-9 "
     "iso_8859-9:1989 l5 latin5 windows-1254 x-cp1254"},
    {"windows-1255", "WINDOWS-1255", "cp1255 windows-1255 x-cp1255"},
    {"windows-1256", "WINDOWS-1256", "cp1256 windows-1256 x-cp1256"},
    {"windows-1257", "WINDOWS-1257", "cp1257 windows-1257 x-cp1257"},
    {"windows-1258", "WINDOWS-1258", "cp1258 windows-1258 x-cp1258"},
    {"x-mac-cyrillic", "MAC-CYRILLIC", "x-mac-cyrillic x-mac-ukrainian"},
    {"GBK", "GBK",
     "chinese csgb2312 csiso58gb231280 gb2312 gb_2312 gb_2312-80 gbk iso-ir-58 x-gbk"},
    {"gb18030", "GB18030", "gb18030"},
    {"Big5", "BIG5-HKSCS", "big5 big5-hkscs cn-big5 csbig5 x-x-big5"},
    {"EUC-JP", "EUC-JP", "cseucpkdfmtjapanese euc-jp x-euc-jp"},
    {"ISO-2022-JP", "ISO-2022-JP", "csiso2022jp iso-2022-jp"},
    {"Shift_JIS", "CP932", "csshiftjis ms932 ms_kanji shift-jis shift_jis sjis windows-31j x-sjis"},
    {"EUC-KR", "CP949",
     "cseuckr csksc56011987 euc-kr iso-ir-149 korean ks_c_5601-1987 ks_c_5601-1989 ksc5601 "
     "ksc_5601 windows-949"},
    {"ISO-2022-KR", "ISO-2022-KR", "csiso2022kr iso-2022-kr"},
    {"ISO-2022-CN", "ISO-2022-CN", "iso-2022-cn"},
    {"ISO-2022-CN-EXT", "ISO-2022-CN-EXT", "iso-2022-cn-ext"},
};

// The characters windows-1252 gives the bytes 80 to 9F; 0 marks the five it leaves
// undefined.
constexpr unsigned short kWindows1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

constexpr unsigned int kReplacementCharacter = 0xFFFD;

// The C library converts into a buffer of this size, as often as a line needs.
constexpr size_t kConverterBufferBytes = size_t{64} * 1024;

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsMarkupWhiteSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsMarkupWhiteSpace(text.back())) text.remove_suffix(1);
  return text;
}

bool HasLabel(const char* labels, std::string_view label) {
  std::string_view rest(labels);
  while (!rest.empty()) {
    const size_t blank = rest.find(' ');
    if (EqualsIgnoringCase(rest.substr(0, blank), label)) return true;
    if (blank == std::string_view::npos) break;
    rest.remove_prefix(blank + 1);
  }
  return false;
}

const Encoding* FindEncoding(std::string_view name) {
  for (const Encoding& encoding : kEncodings) {
    if (EqualsIgnoringCase(encoding.name, name)) return &encoding;
  }
  return nullptr;
}

// --- Looking for a declaration -----------------------------------------------------------

// Reads the document's tags the way a browser's first look does: attribute names in lower
// case, values quoted or not.
class HeadScanner {
 public:
  explicit HeadScanner(std::string_view head) : head_(head) {}

  std::string FirstDeclaration() {
    if (StartsWithAt(0, "<?xml")) {
      const std::string label = XmlEncoding();
      if (!label.empty()) return label;
    }
    for (pos_ = 0; pos_ < head_.size(); ++pos_) {
      if (head_[pos_] != '<') continue;
      if (StartsWithAt(pos_, "<!--")) {
        const size_t end = head_.find("-->", pos_ + 4);
        if (end == std::string_view::npos) return {};
        pos_ = end + 2;
      } else if (StartsWithAt(pos_, "<meta") && pos_ + 5 < head_.size() &&
                 (IsMarkupWhiteSpace(head_[pos_ + 5]) || head_[pos_ + 5] == '/')) {
        pos_ += 5;
        const std::string label = MetaCharset();
        if (!label.empty()) return label;
      }
    }
    return {};
  }

 private:
  bool StartsWithAt(size_t at, std::string_view text) const {
    return at + text.size() <= head_.size() &&
           EqualsIgnoringCase(head_.substr(at, text.size()), text);
  }

  std::string XmlEncoding() const {
    const std::string_view declaration = head_.substr(0, head_.find("?>"));
    const size_t at = declaration.find("encoding");
    if (at == std::string_view::npos) return {};
    return std::string(ValueAfterName(declaration, at + 8).value_or(""));
  }

  // The attributes of the meta tag at pos_, up to its ">": its charset, or the charset of
  // its content when http-equiv says Content-Type.
  std::string MetaCharset() {
    std::string charset;
    std::string content;
    bool contentType = false;
    std::string name;
    std::string value;
    while (NextAttribute(name, value)) {
      if (name == "charset" && charset.empty()) charset = value;
      if (name == "content" && content.empty()) content = value;
      if (name == "http-equiv") contentType = EqualsIgnoringCase(TrimBlanks(value), "content-type");
    }
    if (!charset.empty()) return std::string(TrimBlanks(charset));
    return contentType ? CharsetInContent(content) : std::string();
  }

  bool NextAttribute(std::string& name, std::string& value) {
    name.clear();
    value.clear();
    while (pos_ < head_.size() && (IsMarkupWhiteSpace(head_[pos_]) || head_[pos_] == '/')) ++pos_;
    if (pos_ >= head_.size() || head_[pos_] == '>') return false;
    while (pos_ < head_.size() && !IsMarkupWhiteSpace(head_[pos_]) && head_[pos_] != '=' &&
           head_[pos_] != '>' && head_[pos_] != '/') {
      name += ToAsciiLower(head_[pos_++]);
    }
    while (pos_ < head_.size() && IsMarkupWhiteSpace(head_[pos_])) ++pos_;
    if (pos_ >= head_.size() || head_[pos_] != '=') return true;
    ++pos_;
    while (pos_ < head_.size() && IsMarkupWhiteSpace(head_[pos_])) ++pos_;
    if (pos_ < head_.size() && (head_[pos_] == '"' || head_[pos_] == '\'')) {
      const char quote = head_[pos_++];
      while (pos_ < head_.size() && head_[pos_] != quote) value += head_[pos_++];
      ++pos_;
    } else {
      while (pos_ < head_.size() && !IsMarkupWhiteSpace(head_[pos_]) && head_[pos_] != '>') {
        value += head_[pos_++];
      }
    }
    return true;
  }

  // "text/html; charset=koi8-r" gives "koi8-r".
  static std::string CharsetInContent(const std::string& content) {
    const std::string lower = AsciiLowerCase(content);
    for (size_t at = lower.find("charset"); at != std::string::npos;
         at = lower.find("charset", at + 7)) {
      const std::optional<std::string_view> value = ValueAfterName(content, at + 7);
      if (value) return std::string(*value);
    }
    return {};
  }

  // The value of "name = value" where the name ends at `at`: quoted, or bare up to a
  // blank or ";". None when no "=" follows the name.
  static std::optional<std::string_view> ValueAfterName(std::string_view text, size_t at) {
    const auto skipBlanks = [&text](size_t i) {
      while (i < text.size() && IsMarkupWhiteSpace(text[i])) ++i;
      return i;
    };
    size_t i = skipBlanks(at);
    if (i >= text.size() || text[i] != '=') return std::nullopt;
    i = skipBlanks(i + 1);
    if (i < text.size() && (text[i] == '"' || text[i] == '\'')) {
      const size_t close = text.find(text[i], i + 1);
      if (close == std::string_view::npos) return std::string_view();
      return text.substr(i + 1, close - i - 1);
    }
    size_t end = i;
    while (end < text.size() && !IsMarkupWhiteSpace(text[end]) && text[end] != ';') ++end;
    return text.substr(i, end - i);
  }

  std::string_view head_;
  size_t pos_ = 0;
};

// Whether the two bytes at `at` encode one of U+0080 to U+009F.
bool IsC1Sequence(const char* text, int at) {
  return static_cast<unsigned char>(text[at]) == 0xC2 &&
         static_cast<unsigned char>(text[at + 1]) < 0xA0;
}

// The position of the first byte RepairUtf8 must change, or `length`.
int FirstRepair(const char* text, int length) {
  for (int i = NextNonAscii(text, length, 0); i < length; i = NextNonAscii(text, length, i)) {
    const int sequence = Utf8SequenceLength(text, length, i);
    if (sequence == 0 || (sequence == 2 && IsC1Sequence(text, i))) return i;
    i += sequence;
  }
  return length;
}

}  // namespace

std::string_view CharsetName(std::string_view label) {
  const std::string_view trimmed = TrimBlanks(label);
  if (trimmed.empty()) return {};
  for (const Encoding& encoding : kEncodings) {
    if (HasLabel(encoding.labels, trimmed)) return encoding.name;
  }
  return {};
}

std::string ConverterName(std::string_view charset) {
  const Encoding* encoding = FindEncoding(charset);
  return encoding != nullptr ? encoding->converterName : std::string(charset);
}

unsigned int Windows1252CodePoint(unsigned char byte) {
  if (byte < 0x80 || byte >= 0xA0) return byte;
  const unsigned int mapped = kWindows1252High[byte - 0x80];
  return mapped != 0 ? mapped : kReplacementCharacter;
}

std::string DeclaredCharset(std::string_view head) {
  return HeadScanner(head.substr(0, kCharsetDeclarationBytes)).FirstDeclaration();
}

void RepairUtf8(TextString& text) {
  const char* in = text.Data();
  const int length = text.Length();
  int i = FirstRepair(in, length);
  if (i == length) return;
  TextString out;
  // A stray byte becomes at most three bytes; most texts need few repairs.
  out.Reserve(length + (length - i) / 2 + 16);
  out.AppendBytes(in, i);
  while (i < length) {
    const int ascii = NextNonAscii(in, length, i);
    out.AppendBytes(in + i, ascii - i);
    i = ascii;
    if (i == length) break;
    const int sequence = Utf8SequenceLength(in, length, i);
    if (sequence == 2 && IsC1Sequence(in, i)) {
      AppendUtf8(out, Windows1252CodePoint(static_cast<unsigned char>(in[i + 1])));
    } else if (sequence > 0) {
      out.AppendBytes(in + i, sequence);
    } else {
      AppendUtf8(out, Windows1252CodePoint(static_cast<unsigned char>(in[i])));
    }
    i += sequence > 0 ? sequence : 1;
  }
  text.Swap(out);
}

// --- Decoding ----------------------------------------------------------------------------

struct Utf8Decoder::Converter {
  iconv_t handle = reinterpret_cast<iconv_t>(-1);
  std::string buffer;  // what one call of iconv writes, kept from line to line
  // Whether the shift state carries from line to line (ISO-2022). Other charsets end every
  // line in the initial state: a converter that holds a letter back to see whether a
  // combining mark follows (windows-1255, windows-1258) gives it up at the line's end.
  bool stateCarries = false;
  ~Converter() {
    if (handle != reinterpret_cast<iconv_t>(-1)) iconv_close(handle);
  }
};

Utf8Decoder::Utf8Decoder(std::string_view charset) {
  const Encoding* encoding = FindEncoding(charset);
  if (encoding == nullptr) {
    usable_ = false;
    return;
  }
  if (EqualsIgnoringCase(encoding->name, "UTF-8")) return;
  if (EqualsIgnoringCase(encoding->name, "windows-1252")) {
    kind_ = Kind::kWindows1252;
    return;
  }
  converter_ = std::make_unique<Converter>();
  converter_->handle = iconv_open("UTF-8", encoding->converterName);
  if (converter_->handle == reinterpret_cast<iconv_t>(-1)) {
    converter_.reset();
    usable_ = false;
    return;
  }
  converter_->stateCarries = std::string_view(encoding->name).starts_with("ISO-2022");
  kind_ = Kind::kConverter;
}

Utf8Decoder::~Utf8Decoder() = default;

void Utf8Decoder::Decode(TextString& line) {
  if (kind_ == Kind::kUtf8) {
    RepairUtf8(line);
    return;
  }
  const char* in = line.Data();
  const int length = line.Length();
  if (NextNonAscii(in, length, 0) == length && kind_ == Kind::kWindows1252) return;
  TextString out;
  out.Reserve(length + length / 2 + 16);
  if (kind_ == Kind::kWindows1252) {
    for (int i = 0; i < length;) {
      const int ascii = NextNonAscii(in, length, i);
      out.AppendBytes(in + i, ascii - i);
      if (ascii == length) break;
      AppendUtf8(out, Windows1252CodePoint(static_cast<unsigned char>(in[ascii])));
      i = ascii + 1;
    }
    line.Swap(out);
    return;
  }
  // The C library converts as much as it can; a byte it cannot decode becomes U+FFFD and
  // the conversion goes on after it. The converter's shift state carries to the next line.
  char* next = const_cast<char*>(in);
  size_t left = static_cast<size_t>(length);
  std::string& buffer = converter_->buffer;
  buffer.resize(kConverterBufferBytes);
  while (left > 0) {
    char* written = buffer.data();
    size_t room = buffer.size();
    const size_t result = iconv(converter_->handle, &next, &left, &written, &room);
    out.AppendBytes(buffer.data(), static_cast<int>(written - buffer.data()));
    if (result != static_cast<size_t>(-1) || errno == E2BIG) continue;
    AppendUtf8(out, kReplacementCharacter);
    ++next;
    --left;
  }
  if (!converter_->stateCarries) {
    char* written = buffer.data();
    size_t room = buffer.size();
    iconv(converter_->handle, nullptr, nullptr, &written, &room);
    out.AppendBytes(buffer.data(), static_cast<int>(written - buffer.data()));
  }
  RepairUtf8(out);
  line.Swap(out);
}

}  // namespace quorlex
