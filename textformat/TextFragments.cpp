#include "textformat/TextFragments.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <ctime>
#include <string_view>

#include "foundation/Ascii.h"
#include "foundation/Utf8.h"
#include "policies/ConversionContext.h"
#include "policies/PolicyCatalogue.h"
#include "textformat/Markers.h"

namespace quorlex {
namespace {

// Continuation lines of a framed item start with this, so that they line up under the
// values that follow the 15-character labels.
constexpr std::string_view kContinuation = "             : ";

constexpr const char* kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// The tags of HTML output, which have no meaning in a text file.
constexpr const char* kHtmlOutputKinds[] = {
    "NEXT_PAGE", "CURRENT_PAGE", "PREV_PAGE",  "CONTENTS_TOP", "CONTENTS_NEXT_SECTION",
    "RULEWIDTH", "RULEWIDTHPC",  "RULEHEIGHT", "RULEALIGN",    "NOFRAMES_URL"};

bool SameWord(const TextString& word, const char* name) {
  return word.Equals(name, LetterCase::kIgnored, Blanks::kCount) == 1;
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

void AppendView(TextString& out, std::string_view text) {
  out.AppendBytes(text.data(), static_cast<int>(text.size()));
}

void AppendRepeated(TextString& out, char c, int count) {
  for (int i = 0; i < count; ++i) out.AppendChar(c);
}

// Calls `use` with every line of `text`. Every line feed ends a line, so an empty text is one
// empty line and a text ending in a line feed ends with an empty line.
template <typename Use>
void ForEachLine(std::string_view text, Use use) {
  for (size_t from = 0;;) {
    const size_t lineFeed = text.find('\n', from);
    if (lineFeed == std::string_view::npos) return use(text.substr(from));
    use(text.substr(from, lineFeed - from));
    from = lineFeed + 1;
  }
}

int BoxWidth(const FragmentSettings& settings) {
  return std::clamp(settings.pageWidth, 0, FragmentSettings::kMaximumBoxWidth);
}

// "7-Dec-2026": the day without a leading zero, the English month abbreviation, the year.
TextString DateText(const FragmentDate& date) {
  char buffer[64];
  if (date.month >= 1 && date.month <= 12) {
    std::snprintf(buffer, sizeof buffer, "%d-%s-%04d", date.day, kMonthNames[date.month - 1],
                  date.year);
  } else {
    std::snprintf(buffer, sizeof buffer, "%d-%d-%04d", date.day, date.month, date.year);
  }
  return TextString(buffer);
}

TextString VersionText(const FragmentSettings& settings) {
  TextString text = settings.programName;
  text.AppendChar(' ');
  text += settings.programVersion;
  return text;
}

// The corner lines of the box: `first`, W - 2 dashes, `last`.
TextString BoxEdge(int width, char first, char last) {
  TextString edge;
  edge.AppendChar(first);
  AppendRepeated(edge, '-', width - 2);
  edge.AppendChar(last);
  return edge;
}

// Appends one framed line, after a line feed unless `out` is empty: "| ", prefix and text,
// blanks up to W - 2 columns, " |". A text too wide for the box gets no blanks and
// sticks out. (Every framed line is at least "|  |", so `out` is empty only before the
// first.)
void AppendFramed(std::string_view prefix, std::string_view text, int width, TextString& out) {
  if (!out.IsEmpty()) out.AppendChar('\n');
  out.Append("| ");
  AppendView(out, prefix);
  AppendView(out, text);
  AppendRepeated(out, ' ', width - 4 - DisplayWidth(prefix) - DisplayWidth(text));
  out.Append(" |");
}

// Frames one line (no line feeds) into the box, breaking it at blanks while it shows more
// than W - 4 columns; a line of W - 4 columns fits. A first line may break at any
// blank; a continuation line only at a blank after its prefix, so every continuation is
// shorter than the one before and the loop ends (breaking inside the prefix would give back
// the same line for ever). A line that cannot be broken is framed whole.
void FrameLine(std::string_view line, int width, TextString& out) {
  const int fit = width - 4;
  std::string_view prefix;
  std::string_view rest = line;
  while (DisplayWidth(prefix) + DisplayWidth(rest) > fit) {
    // The last blank with at most `fit` columns before it.
    int shown = DisplayWidth(prefix);
    size_t cut = std::string_view::npos;
    for (size_t i = 0; i < rest.size() && shown <= fit;) {
      if (IsBlank(rest[i])) cut = i;
      const TextCharacter character = CharacterAt(rest, static_cast<int>(i));
      i += static_cast<size_t>(character.size);
      shown += character.width;
    }
    if (cut == std::string_view::npos) break;
    AppendFramed(prefix, rest.substr(0, cut), width, out);
    rest = TrimBlanks(rest.substr(cut + 1));
    // Only blanks stood past the break: a continuation would show nothing but its ": ".
    if (rest.empty()) return;
    prefix = kContinuation;
  }
  AppendFramed(prefix, rest, width, out);
}

// Frames every line of `text` and joins the framed lines with line feeds.
TextString Frame(const TextString& text, int width) {
  TextString framed;
  ForEachLine(text.View(), [&](std::string_view line) { FrameLine(line, width, framed); });
  return framed;
}

// The title on one line with single blanks.
TextString SqueezedTitle(const TextString& title) {
  TextString squeezed = title;
  squeezed.ReplaceChar(0, '\n', ' ', 0);
  squeezed.CollapseBlanks();
  return squeezed;
}

// Builds the text of a TEXT_HEADER item before framing; `rest` is what follows the item word
// in the tag. Returns false for an unknown item.
bool HeaderItemText(const TextString& item, std::string_view rest, const FragmentSettings& settings,
                    TextString& text) {
  static const DocumentInfo kNoFacts;
  const DocumentInfo& document = settings.info != nullptr ? *settings.info : kNoFacts;
  // Items that print a label and one fact as it stands; a null fact prints nothing (the first
  // and last URL and the input size are never known to a conversion).
  const struct {
    const char* item;
    const char* label;
    const TextString* fact;
  } kLabelledFacts[] = {
      {"TOP_EMAIL", "Email        : ", &document.authorEmail},
      {"LAST_EMAIL", "Email        : ", &document.linkEmail},
      {"TOP_URL", "URL          : ", nullptr},
      {"LAST_URL", "URL          : ", nullptr},
      {"URL", "URL          : ", nullptr},
      {"IN_FILENAME", "File name    : ", &document.inputFileName},
      {"OUT_FILENAME", "File name    : ", &document.outputFileName},
      {"IN_FILESIZE", "File size    : ", nullptr},
      {"OUT_FILESIZE", "File size    : ", &document.outputSizeText},
      // No input file date is known; the output size stands in for it.
      {"IN_FILEDATE", "Create date  : ", &document.outputSizeText},
  };
  for (const auto& entry : kLabelledFacts) {
    if (!SameWord(item, entry.item)) continue;
    text = entry.label;
    if (entry.fact != nullptr) text += *entry.fact;
    return true;
  }
  if (SameWord(item, "TITLE")) {
    text = "Title        : ";
    text += SqueezedTitle(document.title);
  } else if (SameWord(item, "AUTHOR")) {
    text = "Author       : ";
    text += DocumentInfo::IsUnknown(document.author) ? document.byLine : document.author;
  } else if (SameWord(item, "TIMESTAMP")) {
    text = "Create date  : ";
    text += DateText(settings.date);
  } else if (SameWord(item, "VERSION")) {
    text = "Converted by : ";
    text += VersionText(settings);
  } else if (SameWord(item, "BOX_MIDDLE")) {
    text.Clear();
    AppendRepeated(text, ' ', 40);
  } else if (SameWord(item, "COMMENT")) {
    text.Clear();
    AppendView(text, TrimBlanks(rest));
  } else {
    return false;
  }
  return true;
}

void Report(const FragmentSettings& settings, const char* message, const TextString& tag) {
  if (!settings.report) return;
  TextString text = message;
  text += tag;
  text.AppendChar('"');
  settings.report(text.Data(), 10);
}

// The expansion of one tag. `tag` is the whole tag, `inner` the text between its delimiters.
// `isFragmentText` is set when the expansion comes from the fragment itself (a comment) and
// is to be scanned for tags again.
TextString ExpandTag(const TextString& tag, const TextString& inner,
                     const FragmentSettings& settings, bool& isFragmentText) {
  isFragmentText = false;
  TextString kind;
  TextString item;
  int itemOffset = 0;
  (void)inner.GetToken(1, ' ', kind);
  const bool hasItem = inner.GetTokenAt(0, 2, ' ', item, itemOffset) == 1;
  const int width = BoxWidth(settings);

  if (SameWord(kind, "TEXT_HEADER")) {
    if (SameWord(item, "BOX_TOP")) return BoxEdge(width, '/', '\\');
    if (SameWord(item, "BOX_BOTTOM")) return BoxEdge(width, '\\', '/');
    const std::string_view rest = hasItem ? inner.View().substr(static_cast<size_t>(itemOffset) +
                                                                static_cast<size_t>(item.Length()))
                                          : std::string_view();
    TextString text;
    if (!HeaderItemText(item, rest, settings, text)) {
      Report(settings, "TAG ERROR: Unknown TEXT_HEADER tag type \"", tag);
      return TextString();
    }
    isFragmentText = SameWord(item, "COMMENT");
    return Frame(text, width);
  }
  if (SameWord(kind, "TIMESTAMP")) return DateText(settings.date);
  if (SameWord(kind, "VERSION")) return VersionText(settings);
  if (SameWord(kind, "SOURCE_FILE")) {
    return settings.info != nullptr ? settings.info->inputFileName : TextString();
  }
  if (SameWord(kind, "LINERULE")) {
    TextString rule;
    AppendRepeated(rule, '-', width);
    return rule;
  }
  if (SameWord(kind, "VARIABLE")) return TextString();
  for (const char* htmlKind : kHtmlOutputKinds) {
    if (SameWord(kind, htmlKind)) return TextString();
  }
  Report(settings, "TAG ERROR: Unknown fragment tag \"", tag);
  return TextString();
}

}  // namespace

FragmentDate FragmentDate::Today() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return FragmentDate();
  return FragmentDate{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

FragmentSettings MakeFragmentSettings(ConversionContext& context, const DocumentInfo& info) {
  FragmentSettings settings;
  const PolicySection* formatting = context.Detagging().Section(kTextFormattingSection);
  settings.pageWidth =
      formatting != nullptr ? formatting->GetInteger(kPageWidth) : PolicySection::kIntegerFallback;
  const TextString start = context.GeneralText(kStartTagDelimiter);
  const TextString end = context.GeneralText(kEndTagDelimiter);
  if (!start.IsEmpty()) settings.startDelimiter = start;
  if (!end.IsEmpty()) settings.endDelimiter = end;
  settings.info = &info;
  settings.report = context.Reporter();
  return settings;
}

void ExpandFragmentTags(TextString& line, const FragmentSettings& settings) {
  const TextString& start = settings.startDelimiter;
  const TextString& end = settings.endDelimiter;
  if (start.IsEmpty() || end.IsEmpty()) return;
  const int longest =
      line.Length() > INT_MAX - kMaximumLineGrowth ? INT_MAX : line.Length() + kMaximumLineGrowth;
  int scan = 0;
  for (int expanded = 0;; ++expanded) {
    int tagStart = -1;
    int endDelimiter = -1;
    if (!line.Find(scan, start.Data(), tagStart, LetterCase::kMatters)) return;
    if (!line.Find(scan, end.Data(), endDelimiter, LetterCase::kMatters)) return;
    if (tagStart >= endDelimiter) return;
    if (expanded == kMaximumTagsPerLine || line.Length() > longest) {
      if (settings.report) {
        settings.report(
            "TAG ERROR: Too many tags in one text fragment line; the rest is left as it stands",
            10);
      }
      return;
    }
    const int tagLength = endDelimiter + end.Length() - tagStart;
    const int innerStart = tagStart + start.Length();
    TextString tag;
    tag.AssignSub(line.Data(), tagStart, tagLength);
    // With delimiters that overlap ("ab" and "bc" in "abc") the text between them is empty.
    TextString inner;
    inner.AssignSub(line.Data(), innerStart, std::max(0, endDelimiter - innerStart));

    bool isFragmentText = false;
    const TextString expansion = ExpandTag(tag, inner, settings, isFragmentText);
    line.Splice(tagStart, tagLength, expansion.Data(), expansion.Length());
    scan = isFragmentText ? tagStart : tagStart + expansion.Length();
  }
}

void TextFragmentStore::Begin(const TextString& name) {
  for (size_t i = 0; i < fragments_.size(); ++i) {
    if (fragments_[i].name.Equals(name.Data(), LetterCase::kIgnored, Blanks::kCount)) {
      fragments_[i].lines.clear();
      current_ = static_cast<int>(i);
      return;
    }
  }
  fragments_.push_back(Fragment{name, {}});
  current_ = static_cast<int>(fragments_.size()) - 1;
}

void TextFragmentStore::AddLine(const TextString& line) {
  if (current_ < 0) return;
  fragments_[static_cast<size_t>(current_)].lines.push_back(line);
}

int TextFragmentStore::Emit(const char* name, std::vector<TextString>& out,
                            const FragmentSettings& settings) const {
  const Fragment* fragment = Find(name);
  if (fragment == nullptr) return 0;
  for (const TextString& source : fragment->lines) {
    TextString line = source;
    ExpandFragmentTags(line, settings);
    ForEachLine(line.View(), [&out](std::string_view piece) {
      out.emplace_back();
      AppendView(out.back(), piece);
    });
  }
  return 1;
}

void TextFragmentStore::Clear() {
  fragments_.clear();
  current_ = -1;
}

const TextFragmentStore::Fragment* TextFragmentStore::Find(const char* name) const {
  if (name == nullptr) return nullptr;
  for (const Fragment& fragment : fragments_) {
    if (fragment.name.Equals(name, LetterCase::kIgnored, Blanks::kCount)) return &fragment;
  }
  return nullptr;
}

std::vector<TextString> BuiltInFragmentDefinitions(const TextString& startDelimiter,
                                                   const TextString& endDelimiter) {
  static const char* const kHeaderTags[] = {
      "BOX_TOP", "TITLE", "BOX_MIDDLE", "OUT_FILENAME", "OUT_FILESIZE", "TIMESTAMP", "BOX_BOTTOM"};
  const TextString define = TextString(kDefineTextFragmentLine) + " ";
  std::vector<TextString> lines = {define + "TEXT_HEADER"};
  for (const char* item : kHeaderTags) {
    TextString tag = startDelimiter;
    tag += "TEXT_HEADER ";
    tag += item;
    tag += endDelimiter;
    lines.push_back(tag);
  }
  lines.insert(lines.end(), {"", kEndBlockLine, define + "TEXT_FOOTER", kEndBlockLine});
  return lines;
}

}  // namespace quorlex
