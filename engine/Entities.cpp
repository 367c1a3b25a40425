#include "engine/Entities.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "foundation/Charset.h"
#include "foundation/Utf8.h"

namespace quorlex {
namespace {

// ---------------------------------------------------------------------------------------
// The entity table

constexpr EntityRow kEntities[] = {
#include "engine/EntityTable.inc"
};

constexpr bool TextBefore(const EntityRow& a, const EntityRow& b) { return a.text < b.text; }

static_assert(std::size(kEntities) == 2125, "HTML5 names 2,125 entities that end in ';'");
static_assert(std::is_sorted(std::begin(kEntities), std::end(kEntities), TextBefore) &&
                  std::adjacent_find(std::begin(kEntities), std::end(kEntities),
                                     [](const EntityRow& a, const EntityRow& b) {
                                       return a.text == b.text;
                                     }) == std::end(kEntities),
              "the rows are sorted by text, and every text names one row");

// The longest entity name, "&CounterClockwiseContourIntegral;", has 33 characters; a named
// candidate never runs longer. A numeric one runs to its ";", however far.
constexpr size_t kMaxNamedLength = 33;

// ---------------------------------------------------------------------------------------
// Numbers

constexpr int kReplacementCharacter = 0xFFFD;
constexpr int kLargestCodePoint = 0x10FFFF;

// The character a browser shows for a numeric reference to `value`.
int BrowserCodePoint(int64_t value) {
  if (value == 0 || value > kLargestCodePoint || (value >= 0xD800 && value <= 0xDFFF)) {
    return kReplacementCharacter;
  }
  // Pages that write "&#147;" mean the windows-1252 character of that byte.
  if (value >= 0x80 && value <= 0x9F) {
    return static_cast<int>(Windows1252CodePoint(static_cast<unsigned char>(value)));
  }
  return static_cast<int>(value);
}

int DigitValue(char c, int base) {
  if (c >= '0' && c <= '9') return c - '0';
  if (base == 16 && c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (base == 16 && c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The code point of what stands between "&#" and ";" ("233", "xE9"), or -1 when that is no
// number. The reading stops at the first character that is no digit, so a long run of text
// after "&#" costs no more than its digits.
int NumericCodePoint(std::string_view number) {
  int base = 10;
  if (!number.empty() && (number.front() == 'x' || number.front() == 'X')) {
    base = 16;
    number.remove_prefix(1);
  }
  if (number.empty()) return -1;
  // Capped just above the largest code point, so that a thousand digits cannot overflow.
  constexpr int64_t kBeyond = kLargestCodePoint + 1;
  int64_t value = 0;
  for (const char c : number) {
    const int digit = DigitValue(c, base);
    if (digit < 0) return -1;
    value = std::min(value * base + digit, kBeyond);
  }
  return BrowserCodePoint(value);
}

// ---------------------------------------------------------------------------------------
// Replacements

// What an entity becomes: a few bytes, UTF-8 or not. Room for two characters in any charset,
// shift sequences included.
struct Replacement {
  static constexpr size_t kCapacity = 16;

  // False, leaving the replacement as it was, when the bytes do not fit.
  bool Append(std::string_view text) {
    if (text.size() > kCapacity - length) return false;
    std::copy(text.begin(), text.end(), bytes.begin() + length);
    length += text.size();
    return true;
  }
  std::string_view View() const { return std::string_view(bytes.data(), length); }

  std::array<char, kCapacity> bytes{};
  size_t length = 0;
  bool isUtf8 = false;  // holds a character beyond ASCII written as UTF-8
};

bool AppendUtf8(int c, Replacement& r) {
  char bytes[4];
  const int size = EncodeUtf8(static_cast<unsigned int>(c), bytes);
  if (!r.Append(std::string_view(bytes, static_cast<size_t>(size)))) return false;
  if (c >= 0x80) r.isUtf8 = true;
  return true;
}

constexpr int kSoftHyphen = 0xAD;

// The near ASCII look-alike of code point c in 8-bit output, or an empty text when it has
// none. (The bullet, en and em dash are what pages mean by "&#149;", "&#150;" and "&#151;".)
// In a UTF-8 document the byte 0xFD would break the text, so U+00FF keeps its own UTF-8 form
// there.
std::string_view Alternative(int c, bool utf8Document) {
  switch (c) {
    case 0x2022:
      return "o";
    case kSoftHyphen:
    case 0x2013:
      return "-";
    case 0x2014:
      return "--";
    case 0xA0:
      return " ";
    case 0xA6:
      return ":";
    case 0xB4:
    case 0x2019:
    case 0x201C:
    case 0x201D:
      return "'";
    case 0x2018:
      return "`";
    case 0xFF:
      return utf8Document ? std::string_view() : std::string_view("\xFD");
    default:
      return {};
  }
}

bool AppendEightBit(int c, const EntityWriting& writing, Replacement& r) {
  if (c < 128) return AppendUtf8(c, r);
  if (writing.alternatives) {
    const std::string_view alternative = Alternative(c, writing.utf8Document);
    if (!alternative.empty()) return r.Append(alternative);
  }
  if (c <= 255 && writing.allow8Bit && !writing.utf8Document) {
    const char byte = static_cast<char>(c);
    return r.Append(std::string_view(&byte, 1));
  }
  return AppendUtf8(c, r);
}

// ---------------------------------------------------------------------------------------
// A document's own charset

// The WHATWG names whose text the engine holds as UTF-8: a UTF-16 document is read into UTF-8.
bool IsUtf8Charset(const TextString& name) {
  return name.IsEmpty() || name.Equals("UTF-8", LetterCase::kIgnored, Blanks::kCount) ||
         name.Equals("UTF-16LE", LetterCase::kIgnored, Blanks::kCount) ||
         name.Equals("UTF-16BE", LetterCase::kIgnored, Blanks::kCount);
}

// Writes characters in a document's charset through iconv. The converter is opened on the
// first character beyond ASCII, once for all the entities of a text; a charset iconv does not
// know ("x-user-defined", "replacement") holds ASCII only.
class CharsetWriter {
 public:
  explicit CharsetWriter(std::string_view charset) {
    charset_.AssignBytes(charset.data(), static_cast<int>(charset.size()));
    utf8_ = IsUtf8Charset(charset_);
  }
  CharsetWriter(const CharsetWriter&) = delete;
  CharsetWriter& operator=(const CharsetWriter&) = delete;
  ~CharsetWriter() {
    if (converter_ != kNoConverter) iconv_close(converter_);
  }

  // Appends code point c in the charset; false when the charset cannot hold it.
  bool Append(int c, Replacement& r) {
    if (c < 0x80 || utf8_) return AppendUtf8(c, r);
    if (!triedToOpen_) {
      triedToOpen_ = true;
      converter_ = iconv_open(ConverterName(charset_.View()).c_str(), "UTF-8");
    }
    if (converter_ == kNoConverter) return false;
    char bytes[4];
    size_t inLeft = static_cast<size_t>(EncodeUtf8(static_cast<unsigned int>(c), bytes));
    std::array<char, Replacement::kCapacity> converted;
    char* in = bytes;
    char* out = converted.data();
    size_t outLeft = converted.size();
    // The second call ends a stateful charset's shift sequence (ISO-2022-JP), so that every
    // character stands on its own.
    constexpr size_t kFailed = static_cast<size_t>(-1);
    if (iconv(converter_, &in, &inLeft, &out, &outLeft) == kFailed ||
        iconv(converter_, nullptr, nullptr, &out, &outLeft) == kFailed) {
      iconv(converter_, nullptr, nullptr, nullptr, nullptr);
      return false;
    }
    return r.Append(std::string_view(converted.data(), converted.size() - outLeft));
  }

 private:
  static inline const iconv_t kNoConverter = reinterpret_cast<iconv_t>(static_cast<intptr_t>(-1));

  TextString charset_;
  bool utf8_ = false;
  bool triedToOpen_ = false;
  iconv_t converter_ = kNoConverter;
};

// ---------------------------------------------------------------------------------------
// Conversion

bool IsMarkupCharacter(int c) { return c == '<' || c == '>' || c == '&' || c == '"' || c == '\''; }

// Where the characters of an entity go.
enum class Target {
  kUtf8Text,         // UTF-8 output, text
  kDocumentCharset,  // UTF-8 output, markup kept: the document's charset
  kEightBit,         // 8-bit output, as the three 8-bit fields say
};

Target TargetOf(const EntityWriting& writing) {
  if (!writing.utf8Output) return Target::kEightBit;
  return writing.keepMarkup ? Target::kDocumentCharset : Target::kUtf8Text;
}

// Decodes candidate texts into their replacements.
class Decoder {
 public:
  explicit Decoder(const EntityWriting& writing)
      : writing_(writing), target_(TargetOf(writing)), charset_(writing.documentCharset) {}

  // Sets `r` to the replacement for a candidate ("&" ... ";"); false when it is no entity, or
  // one that stays as written.
  bool Decode(std::string_view candidate, Replacement& r) {
    EntityCharacters characters;
    if (!EntityValue(candidate, characters)) return false;
    if (writing_.keepMarkup &&
        (IsMarkupCharacter(characters.first) || IsMarkupCharacter(characters.second))) {
      return false;
    }
    r = Replacement();
    return Append(characters.first, r) && (characters.second == 0 || Append(characters.second, r));
  }

 private:
  bool Append(int c, Replacement& r) {
    switch (target_) {
      case Target::kUtf8Text:
        return c == kSoftHyphen || AppendUtf8(c, r);
      case Target::kDocumentCharset:
        return charset_.Append(c, r);
      case Target::kEightBit:
        return AppendEightBit(c, writing_, r);
    }
    return false;
  }

  const EntityWriting& writing_;
  const Target target_;
  CharsetWriter charset_;
};

// Remembers what recently met candidate texts decode to, so that an entity repeated
// throughout a document is decoded once. Direct-mapped: a text takes over the slot of
// another with the same hash, which keeps the memory fixed however many distinct texts (most
// of them no entity at all) a document holds. Numeric candidates longer than a name are
// decoded each time: they are rare, and reading one stops at its first non-digit.
class DecodingCache {
 public:
  explicit DecodingCache(Decoder& decoder) : decoder_(decoder) {}

  // The replacement for a candidate, or null when it is no entity.
  const Replacement* Decode(std::string_view candidate) {
    if (candidate.size() > kMaxNamedLength) {
      return decoder_.Decode(candidate, long_) ? &long_ : nullptr;
    }
    Slot& slot = slots_[SlotIndex(candidate)];
    if (slot.Text() != candidate) {
      std::copy(candidate.begin(), candidate.end(), slot.text.begin());
      slot.textLength = candidate.size();
      slot.isEntity = decoder_.Decode(candidate, slot.replacement);
    }
    return slot.isEntity ? &slot.replacement : nullptr;
  }

 private:
  static constexpr size_t kSlotCount = 64;

  // A new slot holds the empty text, which no candidate is (each has its "&" and ";").
  struct Slot {
    std::string_view Text() const { return std::string_view(text.data(), textLength); }

    std::array<char, kMaxNamedLength> text{};
    size_t textLength = 0;
    bool isEntity = false;
    Replacement replacement;
  };

  // FNV-1a.
  static size_t SlotIndex(std::string_view text) {
    uint32_t hash = 2166136261u;
    for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    return (hash ^ (hash >> 16)) % kSlotCount;
  }

  Decoder& decoder_;
  std::array<Slot, kSlotCount> slots_{};
  Replacement long_;
};

// The scan over `text`: appends it to `result` with every entity the scan finds replaced, and
// returns the number replaced.
//
// Every "&" is looked at in turn, and its candidate reaches to the first ";" after it. So the
// next ";" is kept until an "&" passes it, and what the scan leaves is copied in stretches.
int ReplaceEntities(std::string_view text, DecodingCache& cache, TextString& result,
                    int& unicodeTextProduced) {
  const char* const begin = text.data();
  const char* const end = begin + text.size();
  const char* copied = begin;  // text before this is in result
  const char* from = begin;    // where the search for the next "&" starts
  const char* semicolon = begin;
  int count = 0;
  while (true) {
    const auto* amp = static_cast<const char*>(std::memchr(from, '&', end - from));
    if (amp == nullptr) break;
    if (semicolon <= amp) {
      semicolon = static_cast<const char*>(std::memchr(amp + 1, ';', end - amp - 1));
      if (semicolon == nullptr) break;  // nor after any later "&"
    }
    from = amp + 1;
    const std::string_view candidate(amp, semicolon - amp + 1);
    if (candidate.size() > kMaxNamedLength && amp[1] != '#') continue;
    const Replacement* replacement = cache.Decode(candidate);
    if (replacement == nullptr) continue;
    result.AppendBytes(copied, static_cast<int>(amp - copied));
    result.AppendBytes(replacement->bytes.data(), static_cast<int>(replacement->length));
    if (replacement->isUtf8) unicodeTextProduced = 1;
    ++count;
    copied = from = semicolon + 1;
  }
  result.AppendBytes(copied, static_cast<int>(end - copied));
  return count;
}

}  // namespace

std::span<const EntityRow> EntityTable() { return kEntities; }

int EntityValue(std::string_view entity, EntityCharacters& characters) {
  characters = EntityCharacters();
  if (entity.size() < 3 || entity.front() != '&' || entity.back() != ';') return 0;
  if (entity[1] == '#') {
    const int codePoint = NumericCodePoint(entity.substr(2, entity.size() - 3));
    if (codePoint < 0) return 0;
    characters.first = codePoint;
    return 1;
  }
  const auto row = std::lower_bound(std::begin(kEntities), std::end(kEntities),
                                    EntityRow{entity, 0, 0}, TextBefore);
  if (row == std::end(kEntities) || row->text != entity) return 0;
  characters = EntityCharacters{row->codePoint, row->secondCodePoint};
  return 1;
}

int ConvertEntities(const TextString& in, TextString& out, const EntityWriting& writing,
                    int& unicodeTextProduced) {
  const std::string_view whole = in.View();
  if (whole.find('&') == std::string_view::npos || whole.find(';') == std::string_view::npos) {
    if (&out != &in) out = in;
    return 0;
  }
  int count = 0;
  // The blanks for "&nbsp;" are in place before the scan starts, so they can take part in
  // what the scan reads.
  TextString spaced;
  std::string_view text = whole;
  if (!writing.utf8Output && writing.alternatives &&
      whole.find("&nbsp;") != std::string_view::npos) {
    spaced = in;
    spaced.Replace(0, "&nbsp;", " ", 0, LetterCase::kMatters, nullptr, &count);
    text = spaced.View();
  }
  // Nearly every entity is longer than what replaces it. The result is written into `out`
  // itself, unless `out` is the text.
  TextString separate;
  TextString& result = &out == &in ? separate : out;
  result.Clear();
  result.Reserve(static_cast<int>(text.size()));
  Decoder decoder(writing);
  DecodingCache cache(decoder);
  count += ReplaceEntities(text, cache, result, unicodeTextProduced);
  if (&result != &out) out.Swap(result);
  return count;
}

}  // namespace quorlex
