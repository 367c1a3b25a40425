#include "engine/Tables.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numeric>
#include <string_view>

#include "engine/LineWriter.h"
#include "foundation/Ascii.h"
#include "foundation/Utf8.h"
#include "textformat/Markers.h"
#include "textformat/WordWrap.h"

namespace quorlex {
namespace {

// The longest word a column is made to hold whole.
constexpr int kLongestWord = 78;

// Whether `word` (lower case) stands at `at`, ignoring case. With `wholeName`, a letter
// right after it does not count ("<th" is not at the start of "<thead").
bool WordAt(std::string_view text, size_t at, std::string_view word, bool wholeName) {
  if (at + word.size() > text.size()) return false;
  for (size_t k = 0; k < word.size(); ++k) {
    if (ToAsciiLower(text[at + k]) != word[k]) return false;
  }
  return !(wholeName && at + word.size() < text.size() && IsAsciiLetter(text[at + word.size()]));
}

// The first place at or after `from` where `word` (lower case, starting with '<') stands;
// npos when there is none.
size_t FindNoCase(std::string_view text, std::string_view word, size_t from,
                  bool wholeName = false) {
  for (size_t at = text.find(word[0], from); at != std::string_view::npos;
       at = text.find(word[0], at + 1)) {
    if (WordAt(text, at, word, wholeName)) return at;
  }
  return std::string_view::npos;
}

// The blanks cell text breaks at: its white space is collapsed to single blanks.
constexpr const char* kCellBlanks = " ";

TextString Text(std::string_view text) {
  TextString result;
  result.AssignBytes(text.data(), static_cast<int>(text.size()));
  return result;
}

// The attributes of the tag that starts at `start`: the text after its name up to ">".
TextString TagAttributes(std::string_view text, size_t start, size_t nameLength) {
  const size_t end = text.find('>', start);
  const size_t from = std::min(start + nameLength, text.size());
  return Text(text.substr(from, (end == std::string_view::npos ? text.size() : end) - from));
}

bool EqualsNoCase(const TextString& text, const char* word) {
  return text.Length() == static_cast<int>(std::char_traits<char>::length(word)) &&
         text.Equals(word, LetterCase::kIgnored, Blanks::kCount);
}

int VerticalAlignment(PassState& pass, const TextString& tag) {
  TextString value;
  if (!pass.extractor.GetAttribute("valign", tag, value)) return 0;
  if (EqualsNoCase(value, "top")) return 1;
  if (EqualsNoCase(value, "bottom")) return 2;
  if (EqualsNoCase(value, "middle") || EqualsNoCase(value, "center")) return 3;
  return 0;
}

int HorizontalAlignment(PassState& pass, const TextString& tag) {
  TextString value;
  if (!pass.extractor.GetAttribute("align", tag, value)) return 1;
  if (EqualsNoCase(value, "right")) return 3;
  if (EqualsNoCase(value, "center")) return 2;
  return 1;
}

// A number attribute of at least 1 (1 when missing or no number).
int SpanAttribute(PassState& pass, const TextString& tag, const char* name) {
  TextString value;
  int span = 1;
  if (!pass.extractor.GetAttribute(name, tag, value) || !value.ParseNumber('1', span)) return 1;
  return std::clamp(span, 1, 1000);
}

// A width attribute as columns: a percentage of `whole`, or pixels scaled to the page or
// to 80 columns. Returns -1 when there is none.
int WidthAttribute(PassState& pass, const TextString& tag, int whole, bool& percent) {
  TextString value;
  int number = 0;
  percent = false;
  if (!pass.extractor.GetAttribute("width", tag, value) || !value.ParseNumber('1', number) ||
      number < 0) {
    return -1;
  }
  number = std::min(number, 100000);
  if (value.Contains('%')) {
    percent = true;
    return static_cast<int>(static_cast<long long>(whole) * number / 100);
  }
  const int page = pass.options.adjustTablesToPageWidth ? pass.options.pageWidth : 80;
  return static_cast<int>(static_cast<long long>(page) * number / 800);
}

// Replaces every occurrence of `from` by `to`, left to right, in one pass: a cell with
// thousands of line breaks costs its length, not its length times the breaks.
void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  if (from.empty()) return;
  size_t at = text.find(from);
  if (at == std::string::npos) return;
  std::string result;
  result.reserve(text.size());
  size_t copied = 0;
  for (; at != std::string::npos; at = text.find(from, copied)) {
    result.append(text, copied, at - copied);
    result.append(to);
    copied = at + from.size();
  }
  result.append(text, copied, std::string::npos);
  text.swap(result);
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (true) {
    const size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) return lines;
    start = end + 1;
  }
}

// Collapses runs of blanks to one and turns carriage returns, tabs and (with
// `joinLines`) line feeds into blanks.
std::string CollapseWhiteSpace(std::string_view text, bool joinLines) {
  std::string result;
  for (char c : text) {
    if (c == '\r' || c == '\t' || (joinLines && c == '\n')) c = ' ';
    if (c == ' ' && !result.empty() && result.back() == ' ') continue;
    result += c;
  }
  return result;
}

std::string Trim(std::string_view text) {
  const size_t start = text.find_first_not_of(' ');
  if (start == std::string_view::npos) return {};
  return std::string(text.substr(start, text.find_last_not_of(' ') - start + 1));
}

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The widest run of `line` between two break points (a word; a CJK character), counted up
// to kLongestWord.
int LongestWord(std::string_view line) {
  int longest = 0;
  const int length = static_cast<int>(line.size());
  for (int start = 0; start < length;) {
    bool blank = false;
    const int end = NextBreakPoint(line, start, kCellBlanks, blank);
    const std::string_view word =
        line.substr(static_cast<size_t>(start), static_cast<size_t>(end - start));
    longest = std::max(longest, std::min(DisplayWidth(word), kLongestWord));
    start = blank ? end + 1 : end;
  }
  return longest;
}

// The byte length of the first line that `text` gives a cell `room` columns wide: up to
// its last break point within the room; else cut between characters, as a cell cannot
// grow. At least one character.
size_t CellPieceLength(std::string_view text, int room) {
  const auto fitting = static_cast<size_t>(FittingLength(text, room));
  if (fitting == 0) return static_cast<size_t>(CharacterAt(text, 0).size);
  if (fitting == text.size()) return fitting;
  int last = 0;
  for (int at = 0;;) {
    bool blank = false;
    at = NextBreakPoint(text, at, kCellBlanks, blank);
    if (static_cast<size_t>(at) > fitting) break;
    last = at;
  }
  return last > 0 ? static_cast<size_t>(last) : fitting;
}

// Breaks `line` at its break points into lines of at most `width` columns, each keeping the
// line's leading blanks; a word wider than the width is cut between characters.
void Rewrap(const std::string& line, int width, std::vector<std::string>& out) {
  if (DisplayWidth(line) <= width || width < 1) {
    out.push_back(line);
    return;
  }
  const size_t indentLength = line.find_first_not_of(' ');
  const std::string indent = line.substr(0, indentLength == std::string::npos ? 0 : indentLength);
  const int room = std::max(width - DisplayWidth(indent), 1);
  std::string_view rest = std::string_view(line).substr(indent.size());
  bool first = true;
  while (!rest.empty()) {
    const size_t cut = CellPieceLength(rest, room);
    out.push_back((first || !indent.empty() ? indent : std::string()) + Trim(rest.substr(0, cut)));
    first = false;
    rest = rest.substr(cut);
    while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  }
}

bool IsRuleCell(const std::vector<std::string>& lines) {
  return lines.size() == 1 && (StartsWith(lines[0], kRuleLine) || IsRuleLine(Text(lines[0])));
}

}  // namespace

int ColumnWidth(PassState& pass, const TextString& tag, int widthIn) {
  bool percent = false;
  const int width = WidthAttribute(pass, tag, widthIn, percent);
  return width < 0 ? widthIn : width;
}

std::vector<long long> ProportionalShares(long long amount, const std::vector<long long>& weights) {
  const size_t count = weights.size();
  if (count == 0) return {};
  const long long weighed = std::accumulate(weights.begin(), weights.end(), 0LL);
  const bool equally = weighed == 0;
  const long long whole = equally ? static_cast<long long>(count) : weighed;
  std::vector<long long> shares(count, 0);
  std::vector<long long> remainders(count, 0);
  long long left = amount;
  for (size_t k = 0; k < count; ++k) {
    const long long part = amount * (equally ? 1 : weights[k]);
    shares[k] = part / whole;
    remainders[k] = part % whole;
    left -= shares[k];
  }
  // What rounding down left over goes one unit each to the largest remainders.
  std::vector<size_t> order(count);
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&remainders](size_t a, size_t b) { return remainders[a] > remainders[b]; });
  for (size_t k = 0; k < static_cast<size_t>(left); ++k) ++shares[order[k]];
  return shares;
}

// --- TableLayout -------------------------------------------------------------------------

void TableLayout::Start(PassState& pass, const TextString& tableTag, int availableWidth,
                        bool nested, bool hasBlocks) {
  pass_ = &pass;
  const QuorlOptions& o = pass.options;
  pageWidth_ = nested ? o.pageWidth : availableWidth;
  nested_ = nested;
  hasBlocks_ = hasBlocks;
  bool percent = false;
  const int width = WidthAttribute(pass, tableTag, pageWidth_, percent);
  // A nested table without a width of its own takes what its cells need, and no more than
  // the cell around it can give: filling the page, it would push the outer table past it.
  availableWidth_ = availableWidth;
  if (width > 0 && !(percent && nested)) {
    tableWidth_ = width;
  } else {
    tableWidth_ = nested ? 0 : availableWidth;
  }
  TextString align;
  centred_ = pass.extractor.GetAttribute("align", tableTag, align) && EqualsNoCase(align, "center");
  // "Suppress borders on nested tables" concerns nested tables only: a table of its own
  // asking for a border gets one.
  TextString value;
  int borderWidth = 0;
  const bool asked = pass.extractor.GetAttribute("border", tableTag, value) &&
                     value.ParseNumber('1', borderWidth) && borderWidth > 0;
  const bool suppressed = nested && o.suppressNestedTableBorders;
  border_ = !suppressed && (o.borderOnAllTables || asked);
  format_ = o.tableFormat == 2 ? Format::kComma : o.tableFormat == 3 ? Format::kTab : Format::kText;
}

void TableLayout::SetCaption(const TextString& captionText) {
  caption_.clear();
  int rigid = 0;
  for (const std::string& line : CellLines(captionText, availableWidth_, rigid)) {
    Rewrap(line, availableWidth_, caption_);
  }
}

void TableLayout::SetRow(int row, int verticalAlignment, int horizontalAlignment) {
  if (row > static_cast<int>(rows_.size())) rows_.resize(static_cast<size_t>(row));
  rows_[static_cast<size_t>(row - 1)].verticalAlignment = verticalAlignment;
  rows_[static_cast<size_t>(row - 1)].horizontalAlignment = horizontalAlignment;
  for (int& span : rowSpans_) {
    if (span > 0) --span;
  }
}

int TableLayout::FreeColumn(int column) const {
  while (column >= 1 && column <= kTrackedColumns && rowSpans_[column] > 0) ++column;
  return column;
}

TableLayout::Column& TableLayout::ColumnAt(int column) {
  if (column > static_cast<int>(columns_.size())) columns_.resize(static_cast<size_t>(column));
  return columns_[static_cast<size_t>(column - 1)];
}

int TableLayout::RequestedWidth(const TextString& cellTag, bool& percent) const {
  const int whole = tableWidth_ != 0 ? tableWidth_ : nested_ ? availableWidth_ : pageWidth_;
  const int width = WidthAttribute(*pass_, cellTag, whole, percent);
  return width >= 2 ? width - 1 : 0;
}

namespace {

// The cell text with its white space collapsed outside pre-formatted parts; source line ends
// only count in a cell that has such parts.
std::string CollapsedOutsidePre(std::string_view raw, const Markers& m) {
  const std::string_view startPre = m.startPreformatted.View();
  const std::string_view endPre = m.endPreformatted.View();
  const bool hasPre = raw.find(startPre) != std::string_view::npos;
  std::string cell;
  for (size_t pos = 0; pos < raw.size();) {
    const size_t preStart = std::min(raw.find(startPre, pos), raw.size());
    cell += CollapseWhiteSpace(raw.substr(pos, preStart - pos), !hasPre);
    if (preStart == raw.size()) break;
    const size_t preEnd = std::min(raw.find(endPre, preStart), raw.size());
    cell += raw.substr(preStart, preEnd - preStart);
    pos = preEnd;
  }
  return cell;
}

// Puts the structural markers on lines of their own as their words, and starts a line at
// each list item.
void PutMarkersOnLines(std::string& cell, const Markers& m) {
  // Every marker holds the marker byte; a cell without it has none to resolve.
  if (cell.find(kMarkerByte) == std::string::npos) return;
  const std::pair<const TextString*, const char*> kLines[] = {
      {&m.startPreformatted, kStartPreLine},
      {&m.endPreformatted, kEndPreLine},
      {&m.startList, kStartListLine},
      {&m.endList, kEndListLine},
      {&m.startBlock, kStartBlockLine},
      {&m.endBlock, kEndBlockLine},
      {&m.startDefinitions, kStartDefinitionsLine},
      {&m.endDefinitions, kEndDefinitionsLine}};
  for (const auto& [marker, word] : kLines) {
    ReplaceAll(cell, marker->View(), std::string("\n") + word + "\n");
  }
  ReplaceAll(cell, m.listItem.View(), "\n");
}

// One break that opens the cell goes; the others become line feeds (a paragraph two).
void BreaksToLineFeeds(std::string& cell, const Markers& m) {
  const std::string_view softBreak = m.softBreak.View();
  const std::string_view lineBreak = m.lineBreak.View();
  const std::string_view paragraph = m.paragraph.View();
  for (const std::string_view marker : {softBreak, lineBreak, paragraph}) {
    if (StartsWith(cell, marker)) {
      cell.erase(0, marker.size());
      break;
    }
  }
  ReplaceAll(cell, paragraph, "\n\n");
  ReplaceAll(cell, softBreak, "\n");
  ReplaceAll(cell, lineBreak, "\n");
}

// The cell text with its markers resolved into line feeds and marker lines.
std::string CellTextAsLines(const TextString& text) {
  const Markers& m = GetMarkers();
  std::string cell = CollapsedOutsidePre(text.View(), m);
  PutMarkersOnLines(cell, m);
  cell = Trim(cell);
  BreaksToLineFeeds(cell, m);
  return cell;
}

// Follows the marker line of a list, block or definition list: lists and blocks indent what
// they hold by two columns; a definition list's terms stand where the text does, and its
// definitions are blocks. False for any other line.
bool FollowLevel(const std::string& line, int& indent) {
  if (line == kStartDefinitionsLine || line == kEndDefinitionsLine) return true;
  if (line == kStartListLine || line == kStartBlockLine) {
    indent += 2;
    return true;
  }
  if (line == kEndListLine || line == kEndBlockLine) {
    indent = std::max(indent - 2, 0);
    return true;
  }
  return false;
}

// Draws a rule line with a width ("$_$_LINE 36", "$_$_LINE 50%") as that many dashes, or as
// that share of the cell's requested width (at least 5); a rule without one stays a marker
// line, drawn as wide as its column when the cell is rendered.
void DrawRule(std::string& line, int requested) {
  TextString width = Text(std::string_view(line).substr(sizeof kRuleLine - 1));
  width.Trim(TrimEnds::kBoth, " ");
  int asked = 0;
  if (width.IsEmpty() || !width.ParseNumber('1', asked) || asked < 0) return;
  asked = std::min(asked, 1000);
  const int length =
      width.Contains('%') ? std::max(requested, 5) * std::min(asked, 100) / 100 : asked;
  line.assign(static_cast<size_t>(length), '-');
}

}  // namespace

void TableLayout::AppendTextBlock(const std::string& line, std::vector<std::string>& lines,
                                  int& rigid) const {
  int n = 0;
  const bool numbered =
      Text(std::string_view(line).substr(sizeof kTextBlockLine - 1)).ParseNumber('1', n);
  if (!numbered || n < 1 || n > pass_->blocks.Count()) return;
  for (const std::string& blockLine : SplitLines(std::string(pass_->blocks.Block(n).View()))) {
    if (blockLine.empty()) continue;
    rigid = std::max(rigid, DisplayWidth(blockLine));
    lines.push_back(blockLine);
  }
}

std::vector<std::string> TableLayout::CellLines(const TextString& text, int requested,
                                                int& rigid) const {
  std::vector<std::string> lines;
  int indent = 0;
  bool inPre = false;
  bool afterMarker = false;  // the line before was a marker line
  for (std::string line : SplitLines(CellTextAsLines(text))) {
    if (!inPre) line = Trim(line);
    // A marker and a list item each start a line: together they start one.
    const bool skip = afterMarker && line.empty() && !inPre;
    afterMarker = StartsWith(line, kMarkerLinePrefix) && !StartsWith(line, kRuleLine);
    if (skip) continue;
    if (line == kStartPreLine || line == kEndPreLine) {
      inPre = line == kStartPreLine;
      continue;
    }
    if (StartsWith(line, kTextBlockLine)) {
      AppendTextBlock(line, lines, rigid);
      continue;
    }
    if (FollowLevel(line, indent)) continue;
    if (StartsWith(line, kRuleLine)) {
      DrawRule(line, requested);
    } else if (inPre) {
      rigid = std::max(rigid, DisplayWidth(line));  // pre-formatted lines are never broken
    } else if (indent > 0 && !line.empty()) {
      line.insert(0, static_cast<size_t>(indent), ' ');
    }
    // A cell never shows two empty lines in a row, nor one at its start.
    if (!inPre && line.empty() && (lines.empty() || lines.back().empty())) continue;
    lines.push_back(line);
  }
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

void TableLayout::AddCell(int row, int& column, const TextString& cellTag,
                          const TextString& cellText) {
  PassState& pass = *pass_;
  Cell cell;
  cell.row = row;
  cell.column = column;
  bool percent = false;
  cell.requested = RequestedWidth(cellTag, percent);
  cell.lines = CellLines(cellText, cell.requested, cell.rigid);
  for (const std::string& line : cell.lines) {
    cell.minimum = std::max(cell.minimum, LongestWord(line));
    cell.natural = std::max(cell.natural, DisplayWidth(line));
  }
  // An inner table is never broken.
  cell.minimum = std::max(cell.minimum, cell.rigid);
  cell.columnSpan = SpanAttribute(pass, cellTag, "colspan");
  cell.rowSpan = SpanAttribute(pass, cellTag, "rowspan");
  if (cell.rowSpan > 1 && column >= 1 && column <= kTrackedColumns) {
    rowSpans_[column] = cell.rowSpan;
  }
  const Row& rowFacts = rows_[static_cast<size_t>(row - 1)];
  const int vertical = VerticalAlignment(pass, cellTag);
  cell.verticalAlignment = vertical != 0 ? vertical : rowFacts.verticalAlignment;
  TextString align;
  cell.horizontalAlignment = pass.extractor.GetAttribute("align", cellTag, align)
                                 ? HorizontalAlignment(pass, cellTag)
                                 : rowFacts.horizontalAlignment;
  cell.rule = IsRuleCell(cell.lines);
  WidenColumns(cell);
  if (percent && cell.columnSpan == 1) ColumnAt(cell.column).percent = true;
  Row& rowLines = rows_[static_cast<size_t>(row - 1)];
  rowLines.height = std::max(rowLines.height, static_cast<int>(cell.lines.size()));
  column += cell.columnSpan;
  cells_.push_back(std::move(cell));
}

void TableLayout::WidenColumns(const Cell& cell) {
  const int span = cell.columnSpan;
  const auto share = [span](int value) { return (value + span - 1) / span; };
  ColumnAt(cell.column + span - 1);  // every spanned column exists
  for (int c = cell.column; c < cell.column + span; ++c) {
    Column& column = ColumnAt(c);
    column.minimum = std::max(column.minimum, share(cell.minimum));
    column.natural = std::max(column.natural, share(cell.natural));
    column.rigid = std::max(column.rigid, share(cell.rigid));
    column.width =
        std::max({column.width, share(cell.minimum), share(cell.requested), column.minimum});
  }
}

int TableLayout::Total(bool minimums) const {
  int total = border_ ? 1 : 0;
  for (const Column& column : columns_) total += (minimums ? column.minimum : column.width) + 1;
  return total;
}

int TableLayout::SpanWidth(const Cell& cell) const {
  int width = cell.columnSpan - 1;
  for (int c = cell.column; c < cell.column + cell.columnSpan; ++c) {
    width += columns_[static_cast<size_t>(c - 1)].width;
  }
  return width;
}

void TableLayout::GrowSpanningClaims(int tableWidth) {
  std::vector<long long> claims(columns_.size(), 0);
  for (const Cell& cell : cells_) {
    if (cell.columnSpan < 2) continue;
    const auto first = columns_.begin() + (cell.column - 1);
    std::vector<long long> widths;
    std::transform(first, first + cell.columnSpan, std::back_inserter(widths),
                   [](const Column& column) { return column.width; });
    const long long wanted = cell.natural - std::accumulate(widths.begin(), widths.end(), 0LL);
    if (wanted <= 0) continue;
    const std::vector<long long> shares = ProportionalShares(wanted, widths);
    for (size_t k = 0; k < shares.size(); ++k) {
      long long& claim = claims[static_cast<size_t>(cell.column - 1) + k];
      claim = std::max(claim, shares[k]);
    }
  }
  const long long claimed = std::accumulate(claims.begin(), claims.end(), 0LL);
  const long long room = tableWidth - Total(false);
  if (claimed > room) claims = ProportionalShares(room, claims);
  for (size_t c = 0; c < columns_.size(); ++c) columns_[c].width += static_cast<int>(claims[c]);
}

void TableLayout::GrowTowardsNatural(int tableWidth) {
  const int total = Total(false);
  long long slack = 0;
  for (const Column& column : columns_) slack += std::max(column.natural - column.minimum, 0);
  if (slack <= 0) return;
  for (Column& column : columns_) {
    if (column.natural > column.minimum) {
      column.width += static_cast<int>(static_cast<long long>(tableWidth - total) *
                                       (column.natural - column.minimum) / slack);
    }
  }
}

void TableLayout::ShrinkToPage() {
  const int page = nested_ ? std::min(availableWidth_, pageWidth_) : pageWidth_;
  const int before = Total(false);  // B
  if (before <= page) return;
  // First the columns sized by a percentage (or holding nothing) give up room.
  long long percentSlack = 0;
  for (const Column& column : columns_) {
    if (column.percent) percentSlack += column.width - column.minimum;
  }
  for (Column& column : columns_) {
    if (!column.percent && column.minimum != 0) continue;
    const double share = static_cast<double>(column.width) / static_cast<double>(percentSlack + 1);
    const int given = static_cast<int>(std::floor(share * (before - page)));
    column.width = std::max(column.width - given, column.minimum);
  }
  // Then every column gives up room in proportion to what it has above its minimum, until
  // the table fits, cannot shrink further or stops shrinking.
  const int minimumTotal = Total(true);
  long long running = 0;
  long long given = 0;
  int previous = -1;
  for (int total = Total(false); total > page && minimumTotal < before && total != previous;
       total = Total(false)) {
    previous = total;
    const long long excess = total - page;
    for (Column& column : columns_) {
      running += column.width + 1;
      long long give = (excess + 1) * (column.width - column.minimum) / (before - minimumTotal + 1);
      const long long due = (excess + 1) * (running + 1) / total;
      if (given + give < due) give = due - given;
      if (column.width - give <= column.minimum) give = column.width - column.minimum;
      column.width -= static_cast<int>(give);
      given += give;
      running -= give;
    }
  }
}

void TableLayout::RewrapCells() {
  for (Cell& cell : cells_) {
    if (cell.rule) continue;
    const int width = SpanWidth(cell) - (cell.columnSpan - 1);
    std::vector<std::string> wrapped;
    for (const std::string& line : cell.lines) {
      if (StartsWith(line, kMarkerLinePrefix)) {
        wrapped.push_back(line);
      } else {
        Rewrap(line, width, wrapped);
      }
    }
    cell.lines.swap(wrapped);
    Row& row = rows_[static_cast<size_t>(cell.row - 1)];
    row.height = std::max(row.height, static_cast<int>(cell.lines.size()));
  }
}

void TableLayout::SettleWidths() {
  if (tableWidth_ == 0 && nested_) {
    int needed = border_ ? 1 : 0;
    for (const Column& column : columns_) needed += std::max(column.natural, column.width) + 1;
    tableWidth_ = std::min(needed, std::max(availableWidth_, Total(false)));
  }
  if (tableWidth_ == 0) tableWidth_ = Total(false);
  if (tableWidth_ > Total(false)) GrowSpanningClaims(tableWidth_);
  if (tableWidth_ > Total(false)) GrowTowardsNatural(tableWidth_);
  if (pass_->options.adjustTablesToPageWidth) ShrinkToPage();
  RewrapCells();
  const std::vector<std::vector<const Cell*>> cellsByRow = CellsByRow();
  for (size_t r = 0; r < rows_.size(); ++r) {
    const std::vector<const Cell*>& cells = cellsByRow[r];
    Row& row = rows_[r];
    row.rule = !cells.empty() && row.height == 1 &&
               std::all_of(cells.begin(), cells.end(), [](const Cell* cell) { return cell->rule; });
    hasRuleRows_ = hasRuleRows_ || row.rule;
  }
}

std::vector<std::vector<const TableLayout::Cell*>> TableLayout::CellsByRow() const {
  std::vector<std::vector<const Cell*>> cellsByRow(rows_.size());
  for (const Cell& cell : cells_) {
    if (cell.row >= 1 && static_cast<size_t>(cell.row) <= rows_.size()) {
      cellsByRow[static_cast<size_t>(cell.row - 1)].push_back(&cell);
    }
  }
  return cellsByRow;
}

void TableLayout::PlaceCells(const std::vector<const Cell*>& cells,
                             std::vector<const Cell*>& places) {
  std::fill(places.begin(), places.end(), nullptr);
  for (const Cell* cell : cells) {
    if (cell->column < 1 || static_cast<size_t>(cell->column) >= places.size()) continue;
    const Cell*& place = places[static_cast<size_t>(cell->column)];
    if (place == nullptr) place = cell;
  }
}

std::string TableLayout::CellLine(const Cell& cell, const Row& row, int line, int width) const {
  if (cell.rule) return std::string(static_cast<size_t>(width), '-');
  const int count = static_cast<int>(cell.lines.size());
  int index = line;
  if (cell.verticalAlignment == 2) index = line - (row.height - count);
  if (cell.verticalAlignment == 3) index = line - (row.height - count) / 2;
  std::string text = index >= 0 && index < count ? cell.lines[static_cast<size_t>(index)] : "";
  if (StartsWith(text, kRuleLine)) return std::string(static_cast<size_t>(width), '-');
  if (StartsWith(text, kMarkerLinePrefix)) return text;
  // A character too wide for what is left of the cell gives way to blanks.
  if (DisplayWidth(text) > width) text.resize(static_cast<size_t>(FittingLength(text, width)));
  int padding = width - DisplayWidth(text);
  switch (cell.horizontalAlignment) {
    case 2:
      for (bool right = true; padding > 0; --padding, right = !right) {
        if (right) {
          text += ' ';
        } else {
          text.insert(0, 1, ' ');
        }
      }
      return text;
    case 3:
      return std::string(static_cast<size_t>(padding), ' ') + text;
    default:
      return text + std::string(static_cast<size_t>(padding), ' ');
  }
}

std::string TableLayout::TextRowLine(const std::vector<const Cell*>& places, const Row& row,
                                     int line, bool bordered) const {
  const int columnCount = static_cast<int>(columns_.size());
  std::string text = bordered ? "|" : nested_ ? "" : " ";
  for (int c = 1; c <= columnCount;) {
    const Cell* cell = places[static_cast<size_t>(c)];
    int next = c + 1;
    if (cell != nullptr) {
      text += CellLine(*cell, row, line, SpanWidth(*cell));
      next = c + cell->columnSpan;
    } else {
      text += std::string(static_cast<size_t>(columns_[static_cast<size_t>(c - 1)].width), ' ');
    }
    if (bordered) {
      text += '|';
    } else if (next <= columnCount) {
      text += ' ';
    }
    c = next;
  }
  return text;
}

void TableLayout::RenderText(TextString& out) const {
  const bool bordered = border_ && !hasRuleRows_;
  std::string borderLine = "+";
  std::string ruleLine = "-";
  for (size_t c = 0; c < columns_.size(); ++c) {
    borderLine += std::string(static_cast<size_t>(columns_[c].width), '-') + "+";
    ruleLine += std::string(static_cast<size_t>(columns_[c].width), '-');
    if (c + 1 < columns_.size()) ruleLine += '-';
  }
  std::vector<std::string> lines = caption_;
  if (bordered) lines.push_back(borderLine);
  const std::vector<std::vector<const Cell*>> cellsByRow = CellsByRow();
  std::vector<const Cell*> places(columns_.size() + 1);
  for (size_t r = 0; r < rows_.size(); ++r) {
    const Row& row = rows_[r];
    if (row.rule) {
      lines.push_back(ruleLine);
      continue;
    }
    PlaceCells(cellsByRow[r], places);
    for (int k = 0; k < row.height; ++k) lines.push_back(TextRowLine(places, row, k, bordered));
    if (bordered) lines.push_back(borderLine);
  }
  std::string text;
  for (const std::string& line : lines) {
    const int indent = centred_ ? (pageWidth_ - DisplayWidth(line)) / 2 : 0;
    if (indent > 0) text.append(static_cast<size_t>(indent), ' ');
    text += line;
    text += '\n';
  }
  out = Text(text);
}

std::string TableLayout::DelimitedRowLine(const std::vector<const Cell*>& places, int line,
                                          char delimiter) const {
  const int columnCount = static_cast<int>(columns_.size());
  std::string text;
  for (int c = 1; c <= columnCount;) {
    const Cell* cell = places[static_cast<size_t>(c)];
    const int span = cell != nullptr ? cell->columnSpan : 1;
    if (cell != nullptr) {
      std::string value = line < static_cast<int>(cell->lines.size())
                              ? cell->lines[static_cast<size_t>(line)]
                              : std::string();
      if (!hasBlocks_) {
        ReplaceAll(value, "\"", "\"\"");
        value = "\"" + value + "\"";
      }
      text += value;
    }
    // One delimiter after each spanned column but the last of the table.
    if (!hasBlocks_) {
      text.append(static_cast<size_t>(std::max(std::min(c + span, columnCount) - c, 0)), delimiter);
    }
    c += span;
  }
  return text;
}

void TableLayout::RenderDelimited(TextString& out) const {
  const char delimiter = format_ == Format::kComma ? ',' : '\t';
  std::string text;
  for (const std::string& line : caption_) text += line + '\n';
  if (!hasBlocks_) {
    text += format_ == Format::kComma ? kBeginCommaTableLine : kBeginDelimitedTableLine;
    text += '\n';
  }
  const std::vector<std::vector<const Cell*>> cellsByRow = CellsByRow();
  std::vector<const Cell*> places(columns_.size() + 1);
  for (size_t r = 0; r < rows_.size(); ++r) {
    PlaceCells(cellsByRow[r], places);
    for (int k = 0; k < rows_[r].height; ++k) {
      text += DelimitedRowLine(places, k, delimiter);
      text += '\n';
    }
  }
  if (!hasBlocks_) text += kEndTableLine;
  out = Text(text);
}

void TableLayout::Render(TextString& out) {
  // Columns a cell spans past the last one seen exist too.
  for (const Cell& cell : cells_) ColumnAt(cell.column + cell.columnSpan - 1);
  if (format_ != Format::kText) {
    RenderDelimited(out);
    return;
  }
  SettleWidths();
  RenderText(out);
}

// --- The table handler ---------------------------------------------------------------------

namespace {

struct Piece {
  size_t start;
  size_t end;
};

// The rows of a table: from each "<tr" to the next (the last to "</table").
std::vector<Piece> Rows(std::string_view table) {
  std::vector<Piece> rows;
  size_t end = FindNoCase(table, "</table", 0);
  if (end == std::string_view::npos) end = table.size();
  for (size_t start = FindNoCase(table, "<tr", 0, true); start < end;) {
    size_t next = FindNoCase(table, "<tr", start + 3, true);
    if (next == std::string_view::npos || next > end) next = end;
    rows.push_back({start, next});
    start = next;
  }
  return rows;
}

// The text of the caption in front of the first row of `table`; empty when it has none.
std::string_view CaptionText(std::string_view table) {
  const size_t firstRow = std::min(FindNoCase(table, "<tr", 0, true), table.size());
  const size_t start = FindNoCase(table.substr(0, firstRow), "<caption", 0, true);
  if (start == std::string_view::npos) return {};
  const size_t textStart = table.find('>', start);
  const size_t end = FindNoCase(table, "</caption", start, true);
  if (textStart == std::string_view::npos || end == std::string_view::npos || end < textStart) {
    return {};
  }
  return table.substr(textStart + 1, end - textStart - 1);
}

// The pieces of a row between cell boundaries: the nearest "<th", "<td", "</tr" or "</td".
std::vector<Piece> CellPieces(std::string_view row) {
  const auto nextBoundary = [row](size_t from) {
    for (size_t at = row.find('<', from); at != std::string_view::npos;
         at = row.find('<', at + 1)) {
      for (const std::string_view boundary : {"<th", "<td", "</tr", "</td"}) {
        if (WordAt(row, at, boundary, true)) return at;
      }
    }
    return row.size();
  };
  std::vector<Piece> pieces;
  for (size_t start = nextBoundary(0); start < row.size();) {
    const size_t next = nextBoundary(start + 1);
    pieces.push_back({start, next});
    start = next;
  }
  return pieces;
}

// The available width of the innermost table of a match holding nested tables: narrowed
// through every table around it and the cell that holds the next one.
int NestedAvailableWidth(PassState& pass, std::string_view match,
                         const std::vector<size_t>& tables) {
  int width = pass.options.pageWidth;
  for (size_t i = 0; i + 1 < tables.size(); ++i) {
    const std::string_view outer = match.substr(tables[i], tables[i + 1] - tables[i]);
    width = ColumnWidth(pass, TagAttributes(outer, 0, 6), width);
    size_t cell = std::string_view::npos;
    for (size_t at = FindNoCase(outer, "<td", 0, true); at != std::string_view::npos;
         at = FindNoCase(outer, "<td", at + 3, true)) {
      cell = at;
    }
    if (cell != std::string_view::npos)
      width = ColumnWidth(pass, TagAttributes(outer, cell, 3), width);
  }
  return width;
}

}  // namespace

namespace {

// Where the tables of a match begin, outermost first.
std::vector<size_t> TableStarts(std::string_view match) {
  std::vector<size_t> tables;
  for (size_t at = FindNoCase(match, "<table", 0, true); at != std::string_view::npos;
       at = FindNoCase(match, "<table", at + 6, true)) {
    tables.push_back(at);
  }
  return tables;
}

// Gives the layout the caption of `table` and its cells, row by row.
void AddCaptionAndCells(PassState& pass, std::string_view table, TableLayout& layout) {
  layout.SetCaption(pass.WithoutTags(Text(CaptionText(table))));
  int rowNumber = 0;
  for (const Piece& rowPiece : Rows(table)) {
    const std::string_view row = table.substr(rowPiece.start, rowPiece.end - rowPiece.start);
    const TextString rowTag = TagAttributes(row, 0, 3);
    ++rowNumber;
    layout.SetRow(rowNumber, VerticalAlignment(pass, rowTag), HorizontalAlignment(pass, rowTag));
    int column = 1;
    for (const Piece& piece : CellPieces(row)) {
      const std::string_view cell = row.substr(piece.start, piece.end - piece.start);
      if (cell[1] == '/') continue;  // "</tr" or "</td": no cell
      const size_t tagEnd = cell.find('>');
      const std::string_view text =
          tagEnd == std::string_view::npos ? std::string_view() : cell.substr(tagEnd + 1);
      column = layout.FreeColumn(column);
      layout.AddCell(rowNumber, column, TagAttributes(cell, 0, 3), pass.WithoutTags(Text(text)));
    }
  }
}

// The laid-out table goes into the text block store; what takes its place is its block
// line between pre-formatted markers, after the text of the match before it.
TextString BlockLineInPlace(PassState& pass, TableLayout& layout, std::string_view before) {
  TextString rendered;
  layout.Render(rendered);
  const int number = pass.blocks.Add(rendered);
  const Markers& m = GetMarkers();
  TextString replacement = Text(before);
  replacement += m.startPreformatted;
  replacement += kTextBlockLine;
  replacement += number;
  replacement += m.endPreformatted;
  return replacement;
}

}  // namespace

HandlerResult TableHandler(PatternEngine& engine, WildcardPattern&, MatchState& state,
                           const char* working, int& index, void* userData) {
  if (!state.IsUsable(engine.WorkingLength())) return HandlerResult::kUnchanged;
  PassState& pass = *static_cast<HandlerDatum*>(userData)->pass;
  const std::string_view match(working + state.start,
                               static_cast<size_t>(state.end - state.start + 1));
  // Only the innermost table is laid out now; the text before it waits for the next run.
  const std::vector<size_t> tables = TableStarts(match);
  const bool nested = tables.size() > 1;
  // A table inside a list item, quotation or definition has the room its indentation leaves.
  pass.tableLevels.Follow(
      std::string_view(working + pass.tableLevelsFollowed,
                       static_cast<size_t>(state.start) - pass.tableLevelsFollowed));
  pass.tableLevelsFollowed = static_cast<size_t>(state.start);
  int available =
      std::max(pass.options.pageWidth - pass.tableLevels.TextColumn(), kMinimumLineWidth);
  size_t innermost = 0;
  if (nested) {
    available = NestedAvailableWidth(pass, match, tables);
    innermost = tables.back();
    pass.nestedTableRequest = 1;
    pass.deepestNesting = std::max(pass.deepestNesting, static_cast<int>(tables.size()));
  }
  const std::string_view table = match.substr(innermost);
  TableLayout layout;
  layout.Start(pass, TagAttributes(table, 0, 6), available, nested,
               table.find(kTextBlockLine) != std::string_view::npos);
  AddCaptionAndCells(pass, table, layout);
  const TextString replacement = BlockLineInPlace(pass, layout, match.substr(0, innermost));
  static_cast<CopyPatternEngine&>(engine).EmitReplacement(state, index, replacement.Data());
  // After a nested table the list runs again, for the table around it.
  return nested ? HandlerResult::kStop : HandlerResult::kUnchanged;
}

}  // namespace quorlex
