#include "engine/Phases.h"

#include <algorithm>
#include <string_view>

#include "engine/HiddenElements.h"
#include "engine/PatternTable.h"
#include "foundation/Ascii.h"
#include "foundation/Utf8.h"
#include "textformat/Markers.h"

namespace quorlex {
namespace {

constexpr const char* kNonWestern[] = {"windows-1251", "iso-8859-2",   "iso-8859-3",  "iso-8859-4",
                                       "iso-8859-5",   "iso-8859-8",   "iso-8859-10", "koi8-r",
                                       "windows-1253", "windows-1254", "windows-1256"};
// The 8-bit sets that declare Windows punctuation bytes for what they are: with one of
// these, bytes that happen to form UTF-8 sequences are folded too.
constexpr const char* kWestern8Bit[] = {"windows-1252", "iso-8859-1", "us-ascii", "ascii"};
// Source lines at least this long count towards the average line length.
constexpr int kLongLine = 40;
// The by-line and e-mail search looks at this many lines, and by-lines are shorter than
// kByLineLength.
constexpr int kByLineSearchLines = 40;
constexpr int kByLineLength = 55;
// The table list runs at most this often while nested tables are asked for, and never
// more than kMaxTablePasses times in all, whatever its handler answers.
constexpr int kNestedTablePasses = 4;
constexpr int kMaxTablePasses = 64;

bool IsOneOf(const TextString& name, const auto& names) {
  for (const char* candidate : names) {
    if (name.Length() == static_cast<int>(std::char_traits<char>::length(candidate)) &&
        name.Equals(candidate, LetterCase::kIgnored, Blanks::kCount)) {
      return true;
    }
  }
  return false;
}

// Runs a list over the text and takes its result when it handled a match; reports `info`
// then. Returns whether the text changed.
bool Apply(PassState& pass, CopyPatternEngine& list, TextString& text, const char* info) {
  list.LendBuffer(pass.spareBuffer);
  const bool changed = list.Run(text, &kListRunOptions) > 0;
  if (changed) list.TakeResult(text);
  list.ReturnBuffer(pass.spareBuffer);
  if (changed && info != nullptr) pass.Status(info);
  return changed;
}

// Whether the text is UTF-8: every byte above 127 belongs to a valid sequence, and there
// is at least one such sequence.
bool IsUtf8Text(const TextString& text) {
  bool sawSequence = false;
  for (int i = 0; i < text.Length();) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    const int sequence = Utf8SequenceLength(text.Data(), text.Length(), i);
    if (sequence == 0) return false;
    sawSequence = true;
    i += sequence;
  }
  return sawSequence;
}

// After the META phase of the first chunk: the document is UTF-8 when it was decoded into
// UTF-8 as it was read, when it says so, or when it says nothing and its text is valid
// UTF-8 with at least one multi-byte character. (UTF-16 input is marked as UTF-8 before the
// phases run.)
void DecideUtf8(PassState& pass, const TextString& text) {
  const TextString& charset = pass.foundCharacterSet;
  const bool saysUtf8 = charset.Equals("utf-8", LetterCase::kIgnored, Blanks::kCount) ||
                        charset.Equals("utf8", LetterCase::kIgnored, Blanks::kCount);
  if (pass.options.WritesUtf8() || saysUtf8 || (charset.IsEmpty() && IsUtf8Text(text))) {
    pass.encoding.utf8Document = true;
  }
}

// Every 0x85 byte (an ellipsis in Windows-1252) becomes three full stops; with `keepUtf8`
// a byte that belongs to a UTF-8 sequence (the second byte of "Å", say) stays.
void ExpandEllipses(TextString& text, bool keepUtf8) {
  if (!text.Contains(static_cast<char>(0x85))) return;
  TextString out;
  out.Reserve(text.Length() + 16);
  for (int i = 0; i < text.Length();) {
    const int sequence = keepUtf8 ? Utf8SequenceLength(text.Data(), text.Length(), i) : 0;
    if (sequence > 0) {
      out.AppendBytes(text.Data() + i, sequence);
      i += sequence;
    } else if (static_cast<unsigned char>(text[i]) == 0x85) {
      out.Append("...");
      ++i;
    } else {
      out.AppendChar(text[i++]);
    }
  }
  text.Swap(out);
}

// Windows punctuation to ASCII, unless the document's character set uses those bytes for
// letters. A UTF-8 document keeps its characters; text decoded into UTF-8 has no Windows
// punctuation bytes left to fold.
void FoldPunctuation(PassState& pass, TextString& text) {
  const TextString& charset = pass.foundCharacterSet;
  if (!pass.punctuationFold || pass.options.WritesUtf8() || IsNonWesternCharacterSet(charset)) {
    return;
  }
  const bool plain = IsOneOf(charset, kWestern8Bit);
  if (plain) {
    text.SmartPunctuationToAscii();
  } else {
    text.SmartPunctuationToAsciiKeepingUtf8();
  }
  ExpandEllipses(text, !plain);
}

void FirstChunkPhases(PassState& pass, TextString& text) {
  QuorlOptions& o = pass.options;
  const bool textMode = o.convertToText != 0;
  PatternLists& lists = pass.lists;
  if (textMode || o.removeHead) {
    pass.foundCharacterSet.Clear();
    Apply(pass, lists.meta, text, "INFO: Processing <META> tags");
  }
  DecideUtf8(pass, text);
  TextString found;
  if (pass.extractor.ExtractBetween(text, "<title>", "</title>", found)) {
    pass.info.title = pass.WithoutTags(found);
  }
  if (o.removeStyleSheet) {
    Apply(pass, lists.styleSheetLink, text, "INFO: Removing extrenal stylesheet reference");
  }
  if (pass.extractor.ExtractBetween(text, "<base%W", ">", found)) {
    pass.extractor.GetAttribute("href", found, pass.info.baseUrl);
  }
  if (textMode || o.removeHead || o.removeOfficeTags) {
    const bool head = Apply(pass, lists.head, text, nullptr);
    const bool outside = Apply(pass, lists.outsideHead, text, nullptr);
    if (head || outside) pass.Status("INFO: Removing <HEAD>..</HEAD> tags");
  }
}

// The in-line markup list (fonts, spans, emphasis). The pre-formatted tags match without
// changing anything, so the list is applied only when it found more than those; the second
// run starts where the first did, pre-formatted or not.
void RemoveInLineMarkup(PassState& pass, TextString& text) {
  PatternLists& lists = pass.lists;
  const bool preformatted = pass.inLinePreformatted;
  pass.preformattedTagsSeen = 0;
  lists.inLine.LendBuffer(pass.spareBuffer);
  const bool found = lists.inLine.Run(text, &kListRunOptions) > pass.preformattedTagsSeen;
  if (found) lists.inLine.TakeResult(text);
  lists.inLine.ReturnBuffer(pass.spareBuffer);
  if (!found) return;
  pass.Status("INFO: Removing in-line markup tags");
  pass.inLinePreformatted = preformatted;
  Apply(pass, lists.inLine, text, nullptr);
}

// Text mode: highlighting, then the markers of paragraphs, blocks and headings.
void MarkBlocksAndHeadings(PassState& pass, TextString& text) {
  PatternLists& lists = pass.lists;
  if (pass.options.highlightBoldAndItalic) {
    Apply(pass, lists.highlight, text, "INFO: Applying highlighting mods");
  }
  if (Apply(pass, lists.paragraph, text, nullptr)) pass.paragraphMarkersInserted = 1;
  Apply(pass, lists.block, text, nullptr);
  // A heading left open in an earlier chunk has no place in this one.
  pass.headingStart = -1;
  lists.heading.LendBuffer(pass.spareBuffer);
  if (lists.heading.Search(text, &kListRunOptions) > 0) lists.heading.TakeResult(text);
  lists.heading.ReturnBuffer(pass.spareBuffer);
}

void ReformatDialogue(PassState& pass, TextString& text) {
  PatternLists& lists = pass.lists;
  Apply(pass, lists.dialogue0, text, "INFO: Preparing Dialogue text (0)");
  Apply(pass, lists.dialogue1, text, "INFO: Reformatting Dialogue text (1)");
  if (pass.options.breakDialogueLines) {
    Apply(pass, lists.dialogue2, text, "INFO: Reformatting Dialogue text (2)");
  }
}

}  // namespace

bool IsNonWesternCharacterSet(const TextString& name) { return IsOneOf(name, kNonWestern); }

void RunFirstStage(int chunkNumber, PassState& pass, TextString& text) {
  const QuorlOptions& o = pass.options;
  const bool textMode = o.convertToText != 0;
  PatternLists& lists = pass.lists;
  if (chunkNumber == 1) FirstChunkPhases(pass, text);
  if (textMode || o.removeComments) Apply(pass, lists.comment, text, "INFO: Removing comments");
  if (textMode || o.removeStyleSheet || o.removeScript) {
    Apply(pass, lists.style, text, "INFO: Removing style sheet");
  }
  if (textMode) {
    // Hidden content goes before any later list can make text of it.
    RemoveHiddenElements(pass, text);
  }
  if (textMode || o.removeForm) Apply(pass, lists.form, text, "INFO: Removing Form fields");
  if (textMode || o.removeFont || o.removeSpan || o.removeEmphasis) RemoveInLineMarkup(pass, text);
  if (textMode) Apply(pass, lists.listTag, text, "INFO: Processing list tags");
  if (textMode || o.removeImg) Apply(pass, lists.image, text, "INFO: Removing image tags");
  if (textMode || o.replaceLinksByDisplayValue || o.omitLocalLinks || o.omitEmailLinks) {
    Apply(pass, lists.link, text, "INFO: Removing hyperlink tags");
  }
  if (textMode) MarkBlocksAndHeadings(pass, text);
  FoldPunctuation(pass, text);
  if (textMode && !o.preserveWhiteSpace && o.lookForDialogue) ReformatDialogue(pass, text);
}

namespace {

// One run of the table list; the table handler follows the text's indentation from its start.
bool ApplyTableList(PassState& pass, TextString& text, const char* message) {
  pass.tableLevels = IndentLevels();
  pass.tableLevelsFollowed = 0;
  return Apply(pass, pass.lists.table, text, message);
}

void LayOutTables(PassState& pass, TextString& text) {
  pass.nestedTableRequest = 0;
  pass.deepestNesting = 0;
  if (ApplyTableList(pass, text, "INFO: Parsed Table markup")) {
    // Each pass renders the innermost tables; outer ones come in later passes.
    bool handled = true;
    for (int passes = 1; passes < kMaxTablePasses &&
                         (handled || (pass.nestedTableRequest && passes < kNestedTablePasses));
         ++passes) {
      pass.nestedTableRequest = 0;
      handled = ApplyTableList(pass, text, nullptr);
    }
  }
  if (pass.deepestNesting > 0) {
    TextString message("INFO: nested tables detected");
    if (pass.deepestNesting > 1) {
      message += " (";
      message += pass.deepestNesting;
      message += " levels)";
    }
    pass.Status(message.Data());
  }
}

// Appends `line` with every run of blanks in it written as its first blank.
void AppendCollapsingBlanks(TextString& out, std::string_view line) {
  size_t copied = 0;
  for (size_t i = 1; i < line.size(); ++i) {
    if (!IsBlank(line[i]) || !IsBlank(line[i - 1])) continue;
    out.AppendBytes(line.data() + copied, static_cast<int>(i - copied));
    while (i + 1 < line.size() && IsBlank(line[i + 1])) ++i;
    copied = i + 1;
  }
  out.AppendBytes(line.data() + copied, static_cast<int>(line.size() - copied));
}

std::string_view WithoutOuterBlanks(std::string_view line) {
  while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
  while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
  return line;
}

// Rebuilds the text from its source lines: the line breaks of the HTML source go, and only
// markers make line breaks. Pre-formatted lines and marker lines keep theirs. Also measures
// the average width of the long lines, in display columns.
void JoinLines(PassState& pass, TextString& text) {
  const Markers& m = GetMarkers();
  TextString joined;
  joined.Swap(pass.spareBuffer);
  joined.Clear();
  joined.Reserve(text.Length());
  long long total = 0;
  int count = 0;
  bool inPre = false;
  bool ordinarySeen = false;
  bool lastOrdinaryEmpty = true;
  int number = 0;
  const std::string_view all = text.View();
  for (size_t pos = 0; pos < all.size();) {
    const size_t end = std::min(all.find('\n', pos), all.size());
    std::string_view line = all.substr(pos, end - pos);
    pos = end + 1;
    ++number;
    const int columns = DisplayWidth(line);
    if (columns > kLongLine) {
      total += columns;
      ++count;
    }
    if (line == m.startPreformatted.View()) inPre = true;
    if (inPre && line == m.endPreformatted.View()) inPre = false;
    // Pre-formatted lines keep their line ends, marker lines stand alone.
    const bool markerLine = !inPre && line.starts_with(kMarkerLinePrefix);
    if (inPre || markerLine) {
      if (number > 1) joined.AppendChar('\n');
      joined.AppendBytes(line.data(), static_cast<int>(line.size()));
      if (markerLine) joined.AppendChar('\n');
      continue;
    }
    if (ordinarySeen && !lastOrdinaryEmpty) joined.AppendChar(' ');
    ordinarySeen = true;
    // A line of blanks (the indentation left of a removed tag) counts as empty, or it
    // would put a second blank between the words around it.
    line = WithoutOuterBlanks(line);
    lastOrdinaryEmpty = line.empty();
    AppendCollapsingBlanks(joined, line);
  }
  text.Swap(joined);
  pass.spareBuffer.Swap(joined);
  pass.sourceLinesJoined = true;
  pass.averageLineLength = static_cast<int>(total / (count + 1) + 1);
}

// The first word ("By", "By:") or the first two words of a short line that names the
// author, removed from it; empty when the line is no by-line.
bool ByLine(const TextString& line, TextString& byLine) {
  if (line.IsEmpty() || line.Length() >= kByLineLength) return false;
  TextString first;
  TextString second;
  const auto isBy = [](const TextString& word) {
    return word.Equals("By", LetterCase::kIgnored, Blanks::kCount) ||
           word.Equals("By:", LetterCase::kIgnored, Blanks::kCount);
  };
  const bool hasFirst = line.GetToken(1, ' ', first) != 0;
  const bool hasSecond = line.GetToken(2, ' ', second) != 0;
  if (!hasFirst || (!isBy(first) && !(hasSecond && isBy(second)))) return false;
  byLine = line;
  byLine.Replace(0, first.Data(), "", 1, LetterCase::kMatters, nullptr, nullptr);
  if (!isBy(first)) byLine.Replace(0, second.Data(), "", 1, LetterCase::kMatters, nullptr, nullptr);
  byLine.Trim(TrimEnds::kBoth, " ");
  return true;
}

// The last blank-separated word of the line holding an at sign. Found from that at sign, so
// that a paragraph of a hundred thousand words costs one pass, not one per word.
TextString EmailWord(const TextString& line) {
  const std::string_view text = line.View();
  const size_t at = text.rfind('@');
  if (at == std::string_view::npos) return TextString();
  const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
  size_t start = at;
  while (start > 0 && !isBlank(text[start - 1])) --start;
  size_t end = at;
  while (end < text.size() && !isBlank(text[end])) ++end;
  TextString email;
  email.AssignBytes(text.data() + start, static_cast<int>(end - start));
  return email;
}

void FindByLineAndEmail(PassState& pass, const TextString& text) {
  DocumentInfo& info = pass.info;
  const bool wantByLine = pass.options.byLineAsAuthor && DocumentInfo::IsUnknown(info.byLine);
  const bool wantEmail = DocumentInfo::IsUnknown(info.authorEmail);
  if (!wantByLine && !wantEmail) return;
  bool foundByLine = false;
  bool foundEmail = false;
  TextString line;
  int pos = 0;
  for (int n = 0;
       n < kByLineSearchLines && !(foundByLine && foundEmail) && text.GetNextToken(pos, '\n', line);
       ++n) {
    TakeBreakEnd(line);
    TextString byLine;
    if (ByLine(line, byLine)) {
      info.byLine = byLine;
      foundByLine = true;
    }
    if (wantEmail && !foundEmail && line.Contains('@')) {
      info.authorEmail = EmailWord(line);
      foundEmail = true;
    }
  }
}

}  // namespace

void RunSecondStage(PassState& pass, TextString& text) {
  QuorlOptions& o = pass.options;
  const bool textMode = o.convertToText != 0;
  PatternLists& lists = pass.lists;
  if (textMode && o.parseTables) LayOutTables(pass, text);
  pass.Status("INFO: Removing all remaining tags");
  pass.tagRemover.Run(pass.report, o, pass.encoding, text, text, pass.spareBuffer);
  if (textMode && pass.paragraphMarkersInserted && !o.preserveWhiteSpace) JoinLines(pass, text);
  Apply(pass, lists.softBreak, text, nullptr);
  if (textMode) pass.Status("INFO: Reinserting line/paragraph markers");
  Apply(pass, lists.markerBlank, text, nullptr);
  Apply(pass, lists.marker, text, nullptr);
  FindByLineAndEmail(pass, text);
  if (textMode && o.gapBetweenSentences) {
    Apply(pass, lists.sentence, text, "INFO: Reformatting sentence text");
  }
}

}  // namespace quorlex
