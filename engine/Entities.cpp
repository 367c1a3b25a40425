#include "engine/Entities.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace quorlex {
namespace {

// ---------------------------------------------------------------------------------------
// The entity table, written set by set in the order of the standard and sorted at compile
// time.

constexpr auto kLatin1Entities = std::to_array<EntityRow>({
    {"&nbsp;", 160},   {"&iexcl;", 161},  {"&cent;", 162},   {"&pound;", 163},  {"&curren;", 164},
    {"&yen;", 165},    {"&brvbar;", 166}, {"&sect;", 167},   {"&uml;", 168},    {"&copy;", 169},
    {"&ordf;", 170},   {"&laquo;", 171},  {"&not;", 172},    {"&shy;", 173},    {"&reg;", 174},
    {"&macr;", 175},   {"&deg;", 176},    {"&plusmn;", 177}, {"&sup2;", 178},   {"&sup3;", 179},
    {"&acute;", 180},  {"&micro;", 181},  {"&para;", 182},   {"&middot;", 183}, {"&cedil;", 184},
    {"&sup1;", 185},   {"&ordm;", 186},   {"&raquo;", 187},  {"&frac14;", 188}, {"&frac12;", 189},
    {"&frac34;", 190}, {"&iquest;", 191}, {"&Agrave;", 192}, {"&Aacute;", 193}, {"&Acirc;", 194},
    {"&Atilde;", 195}, {"&Auml;", 196},   {"&Aring;", 197},  {"&AElig;", 198},  {"&Ccedil;", 199},
    {"&Egrave;", 200}, {"&Eacute;", 201}, {"&Ecirc;", 202},  {"&Euml;", 203},   {"&Igrave;", 204},
    {"&Iacute;", 205}, {"&Icirc;", 206},  {"&Iuml;", 207},   {"&ETH;", 208},    {"&Ntilde;", 209},
    {"&Ograve;", 210}, {"&Oacute;", 211}, {"&Ocirc;", 212},  {"&Otilde;", 213}, {"&Ouml;", 214},
    {"&times;", 215},  {"&Oslash;", 216}, {"&Ugrave;", 217}, {"&Uacute;", 218}, {"&Ucirc;", 219},
    {"&Uuml;", 220},   {"&Yacute;", 221}, {"&THORN;", 222},  {"&szlig;", 223},  {"&agrave;", 224},
    {"&aacute;", 225}, {"&acirc;", 226},  {"&atilde;", 227}, {"&auml;", 228},   {"&aring;", 229},
    {"&aelig;", 230},  {"&ccedil;", 231}, {"&egrave;", 232}, {"&eacute;", 233}, {"&ecirc;", 234},
    {"&euml;", 235},   {"&igrave;", 236}, {"&iacute;", 237}, {"&icirc;", 238},  {"&iuml;", 239},
    {"&eth;", 240},    {"&ntilde;", 241}, {"&ograve;", 242}, {"&oacute;", 243}, {"&ocirc;", 244},
    {"&otilde;", 245}, {"&ouml;", 246},   {"&divide;", 247}, {"&oslash;", 248}, {"&ugrave;", 249},
    {"&uacute;", 250}, {"&ucirc;", 251},  {"&uuml;", 252},   {"&yacute;", 253}, {"&thorn;", 254},
    {"&yuml;", 255},
});

constexpr auto kSymbolEntities = std::to_array<EntityRow>({
    // Latin Extended-B
    {"&fnof;", 402},
    // Greek
    {"&Alpha;", 913},
    {"&Beta;", 914},
    {"&Gamma;", 915},
    {"&Delta;", 916},
    {"&Epsilon;", 917},
    {"&Zeta;", 918},
    {"&Eta;", 919},
    {"&Theta;", 920},
    {"&Iota;", 921},
    {"&Kappa;", 922},
    {"&Lambda;", 923},
    {"&Mu;", 924},
    {"&Nu;", 925},
    {"&Xi;", 926},
    {"&Omicron;", 927},
    {"&Pi;", 928},
    {"&Rho;", 929},
    {"&Sigma;", 931},
    {"&Tau;", 932},
    {"&Upsilon;", 933},
    {"&Phi;", 934},
    {"&Chi;", 935},
    {"&Psi;", 936},
    {"&Omega;", 937},
    {"&alpha;", 945},
    {"&beta;", 946},
    {"&gamma;", 947},
    {"&delta;", 948},
    {"&epsilon;", 949},
    {"&zeta;", 950},
    {"&eta;", 951},
    {"&theta;", 952},
    {"&iota;", 953},
    {"&kappa;", 954},
    {"&lambda;", 955},
    {"&mu;", 956},
    {"&nu;", 957},
    {"&xi;", 958},
    {"&omicron;", 959},
    {"&pi;", 960},
    {"&rho;", 961},
    {"&sigmaf;", 962},
    {"&sigma;", 963},
    {"&tau;", 964},
    {"&upsilon;", 965},
    {"&phi;", 966},
    {"&chi;", 967},
    {"&psi;", 968},
    {"&omega;", 969},
    {"&thetasym;", 977},
    {"&upsih;", 978},
    {"&piv;", 982},
    // General punctuation
    {"&bull;", 8226},
    {"&hellip;", 8230},
    {"&prime;", 8242},
    {"&Prime;", 8243},
    {"&oline;", 8254},
    {"&frasl;", 8260},
    // Letter-like symbols
    {"&weierp;", 8472},
    {"&image;", 8465},
    {"&real;", 8476},
    {"&trade;", 8482},
    {"&alefsym;", 8501},
    // Arrows
    {"&larr;", 8592},
    {"&uarr;", 8593},
    {"&rarr;", 8594},
    {"&darr;", 8595},
    {"&harr;", 8596},
    {"&crarr;", 8629},
    {"&lArr;", 8656},
    {"&uArr;", 8657},
    {"&rArr;", 8658},
    {"&dArr;", 8659},
    {"&hArr;", 8660},
    // Mathematical operators
    {"&forall;", 8704},
    {"&part;", 8706},
    {"&exist;", 8707},
    {"&empty;", 8709},
    {"&nabla;", 8711},
    {"&isin;", 8712},
    {"&notin;", 8713},
    {"&ni;", 8715},
    {"&prod;", 8719},
    {"&sum;", 8721},
    {"&minus;", 8722},
    {"&lowast;", 8727},
    {"&radic;", 8730},
    {"&prop;", 8733},
    {"&infin;", 8734},
    {"&ang;", 8736},
    {"&and;", 8743},
    {"&or;", 8744},
    {"&cap;", 8745},
    {"&cup;", 8746},
    {"&int;", 8747},
    {"&there4;", 8756},
    {"&sim;", 8764},
    {"&cong;", 8773},
    {"&asymp;", 8776},
    {"&ne;", 8800},
    {"&equiv;", 8801},
    {"&le;", 8804},
    {"&ge;", 8805},
    {"&sub;", 8834},
    {"&sup;", 8835},
    {"&nsub;", 8836},
    {"&sube;", 8838},
    {"&supe;", 8839},
    {"&oplus;", 8853},
    {"&otimes;", 8855},
    {"&perp;", 8869},
    {"&sdot;", 8901},
    // Miscellaneous technical
    {"&lceil;", 8968},
    {"&rceil;", 8969},
    {"&lfloor;", 8970},
    {"&rfloor;", 8971},
    {"&lang;", 9001},
    {"&rang;", 9002},
    // Geometric shapes
    {"&loz;", 9674},
    // Miscellaneous symbols
    {"&spades;", 9824},
    {"&clubs;", 9827},
    {"&hearts;", 9829},
    {"&diams;", 9830},
});

constexpr auto kSpecialEntities = std::to_array<EntityRow>({
    {"&quot;", 34},     {"&amp;", 38},      {"&lt;", 60},       {"&gt;", 62},
    {"&OElig;", 338},   {"&oelig;", 339},   {"&Scaron;", 352},  {"&scaron;", 353},
    {"&Yuml;", 376},    {"&circ;", 710},    {"&tilde;", 732},   {"&ensp;", 8194},
    {"&emsp;", 8195},   {"&thinsp;", 8201}, {"&zwnj;", 8204},   {"&zwj;", 8205},
    {"&lrm;", 8206},    {"&rlm;", 8207},    {"&ndash;", 8211},  {"&mdash;", 8212},
    {"&lsquo;", 8216},  {"&rsquo;", 8217},  {"&sbquo;", 8218},  {"&ldquo;", 8220},
    {"&rdquo;", 8221},  {"&bdquo;", 8222},  {"&dagger;", 8224}, {"&Dagger;", 8225},
    {"&permil;", 8240}, {"&lsaquo;", 8249}, {"&rsaquo;", 8250}, {"&euro;", 8364},
});

// Upper-case spellings of four common entities, which old pages use.
constexpr auto kUpperCaseEntities = std::to_array<EntityRow>({
    {"&AMP;", 38},
    {"&LT;", 60},
    {"&GT;", 62},
    {"&NBSP;", 160},
});

static_assert(kLatin1Entities.size() == 96 && kSymbolEntities.size() == 124 &&
                  kSpecialEntities.size() == 32,
              "the three sets of HTML 4.01 hold 96, 124 and 32 entities");

constexpr size_t kEntityCount = kLatin1Entities.size() + kSymbolEntities.size() +
                                kSpecialEntities.size() + kUpperCaseEntities.size();

constexpr bool TextBefore(const EntityRow& a, const EntityRow& b) { return a.text < b.text; }

constexpr std::array<EntityRow, kEntityCount> SortedEntities() {
  std::array<EntityRow, kEntityCount> rows{};
  auto end = rows.begin();
  end = std::copy(kLatin1Entities.begin(), kLatin1Entities.end(), end);
  end = std::copy(kSymbolEntities.begin(), kSymbolEntities.end(), end);
  end = std::copy(kSpecialEntities.begin(), kSpecialEntities.end(), end);
  std::copy(kUpperCaseEntities.begin(), kUpperCaseEntities.end(), end);
  std::sort(rows.begin(), rows.end(), TextBefore);
  return rows;
}

constexpr std::array<EntityRow, kEntityCount> kEntities = SortedEntities();

constexpr bool HasTwinTexts(const std::array<EntityRow, kEntityCount>& rows) {
  return std::adjacent_find(rows.begin(), rows.end(), [](const EntityRow& a, const EntityRow& b) {
           return a.text == b.text;
         }) != rows.end();
}
static_assert(!HasTwinTexts(kEntities), "every entity text names one row");

// ---------------------------------------------------------------------------------------
// Replacements

// From the "&" to the ";" of a candidate, at most this many characters.
constexpr int kMaxSemicolonDistance = 8;
constexpr int kMaxCandidateLength = kMaxSemicolonDistance + 1;

constexpr int kLargestCodePoint = 0xFFFF;

// Code points a numeric entity may give: a NUL byte would cut the text short for everything
// that reads it as a C string, and a surrogate has no UTF-8 form of its own.
bool IsWritableCodePoint(int c) {
  return c >= 1 && c <= kLargestCodePoint && !(c >= 0xD800 && c <= 0xDFFF);
}

// How characters beyond ASCII may be written.
using Writing = EntityWriting;

bool IsMarkupCharacter(int c) { return c == '<' || c == '>' || c == '&' || c == '"'; }

// What an entity becomes: one to three bytes, UTF-8 or not.
struct Replacement {
  std::array<char, 3> bytes{};
  int length = 0;
  bool isUtf8 = false;
};

Replacement Bytes(std::string_view text) {
  Replacement r;
  r.length = static_cast<int>(text.size());
  std::copy(text.begin(), text.end(), r.bytes.begin());
  return r;
}

Replacement SingleByte(int c) {
  Replacement r;
  r.bytes[0] = static_cast<char>(c);
  r.length = 1;
  return r;
}

// The near ASCII look-alike of code point c, or an empty text when it has none. In a UTF-8
// document the byte 0xFD would break the text, so U+00FF keeps its own UTF-8 form there.
std::string_view Alternative(int c, bool utf8Document) {
  switch (c) {
    case 0x95:
      return "o";
    case 0x96:
    case 0xAD:
    case 0x2013:
      return "-";
    case 0x97:
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

// The replacement for a code point that IsWritableCodePoint accepts.
Replacement ReplacementFor(int c, const Writing& writing) {
  if (c < 128) return SingleByte(c);
  if (writing.alternatives) {
    const std::string_view alternative = Alternative(c, writing.utf8Document);
    if (!alternative.empty()) return Bytes(alternative);
  }
  if (c <= 255 && writing.allow8Bit && !writing.utf8Document) return SingleByte(c);
  Replacement r;
  if (c < 0x800) {
    r.bytes = {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F)), 0};
    r.length = 2;
  } else {
    r.bytes = {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
               static_cast<char>(0x80 | (c & 0x3F))};
    r.length = 3;
  }
  r.isUtf8 = true;
  return r;
}

// Remembers what recently met candidate texts decode to, so that an entity repeated
// throughout a document is decoded once. Direct-mapped: a text takes over the slot of
// another with the same hash, which keeps the memory fixed however many distinct texts (most
// of them no entity at all) a document holds.
class DecodingCache {
 public:
  explicit DecodingCache(const Writing& writing) : writing_(writing) {}

  // The replacement for a candidate of at most kMaxCandidateLength characters, or null when
  // it is no entity.
  const Replacement* Decode(std::string_view candidate) {
    Slot& slot = slots_[SlotIndex(candidate)];
    if (slot.Text() != candidate) {
      std::copy(candidate.begin(), candidate.end(), slot.text.begin());
      slot.textLength = candidate.size();
      int codePoint = -1;
      slot.isEntity = EntityValue(candidate, codePoint) == 1 &&
                      !(writing_.keepMarkup && IsMarkupCharacter(codePoint));
      if (slot.isEntity) slot.replacement = ReplacementFor(codePoint, writing_);
    }
    return slot.isEntity ? &slot.replacement : nullptr;
  }

 private:
  static constexpr size_t kSlotCount = 64;

  // A new slot holds the empty text, which no candidate is (each has its "&" and ";").
  struct Slot {
    std::string_view Text() const { return std::string_view(text.data(), textLength); }

    std::array<char, kMaxCandidateLength> text{};
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

  Writing writing_;
  std::array<Slot, kSlotCount> slots_{};
};

// The scan over `text`: appends it to `result` with every entity the scan finds replaced, and
// returns the number replaced.
//
// Every "&" is looked at in turn, and its candidate reaches to the first ";" after it. (A search
// for the next "&" and the next ";" from some position that finds the ";" first only moves on
// past that ";"; after a replacement, the text that follows is the text as it was.) So the next
// ";" is kept until an "&" passes it, and what the scan leaves is copied in stretches.
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
    if (semicolon - amp > kMaxSemicolonDistance) continue;
    const Replacement* replacement = cache.Decode(std::string_view(amp, semicolon - amp + 1));
    if (replacement == nullptr) continue;
    result.AppendBytes(copied, static_cast<int>(amp - copied));
    result.AppendBytes(replacement->bytes.data(), replacement->length);
    if (replacement->isUtf8) unicodeTextProduced = 1;
    ++count;
    copied = from = semicolon + 1;
  }
  result.AppendBytes(copied, static_cast<int>(end - copied));
  return count;
}

}  // namespace

std::span<const EntityRow> EntityTable() { return kEntities; }

int EntityValue(std::string_view entity, int& codePoint) {
  codePoint = -1;
  if (entity.size() < 3 || entity.front() != '&' || entity.back() != ';') return 0;
  int value = -1;
  if (entity.starts_with("&#")) {
    TextString number;
    number.AssignBytes(entity.data() + 2, static_cast<int>(entity.size() - 3));
    if (!number.ParseNumber('1', value)) return 0;
  } else {
    const auto row =
        std::lower_bound(kEntities.begin(), kEntities.end(), EntityRow{entity, 0}, TextBefore);
    if (row == kEntities.end() || row->text != entity) return 0;
    value = row->codePoint;
  }
  if (!IsWritableCodePoint(value)) return 0;
  codePoint = value;
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
  // what the scan reads ("&#&nbsp;65;" becomes "&# 65;", which reads as 65).
  TextString spaced;
  std::string_view text = whole;
  if (writing.alternatives && whole.find("&nbsp;") != std::string_view::npos) {
    spaced = in;
    spaced.Replace(0, "&nbsp;", " ", 0, 1, nullptr, &count);
    text = spaced.View();
  }
  // Every entity is longer than what replaces it, so the result never outgrows the text.
  TextString result;
  result.Reserve(static_cast<int>(text.size()));
  DecodingCache cache(writing);
  count += ReplaceEntities(text, cache, result, unicodeTextProduced);
  out.Swap(result);
  return count;
}

}  // namespace quorlex
