#pragma once

#include <string>
#include <vector>

#include "engine/PassState.h"
#include "foundation/PatternEngine.h"
#include "foundation/TextString.h"

namespace quorlex {

// HTML tables in text mode: each "<table ...>...</table>" becomes a block of the text block
// store (columns padded to their widths, optionally framed; or comma- or tab-delimited
// rows) and a "$_$_TEXTBLOCK n" line between pre-formatted markers that the line writer
// copies. Nested tables are laid out from the inside out, one level per run of the table
// list.

// The width a tag's "width" attribute asks for: a percentage of `widthIn`, or pixels
// scaled to the page ("Adjust table to page width") or to 80 columns; `widthIn` when the
// attribute is missing or no number.
[[nodiscard]] int ColumnWidth(PassState& pass, const TextString& tag, int widthIn);

// Shares `amount` (at least 0) out in proportion to `weights` (each at least 0), equally
// when they are all 0; one share per weight, none for no weights. Each share is rounded
// down and the units left over go one each to the largest remainders, the leftmost first
// among equal ones, so the shares add up to `amount`: 5 over 2, 1, 1 is 2.5, 1.25, 1.25
// and gives 3, 1, 1.
[[nodiscard]] std::vector<long long> ProportionalShares(long long amount,
                                                        const std::vector<long long>& weights);

// One table: its columns, rows and cells, and how they are rendered.
class TableLayout {
 public:
  // `tableTag` holds the attributes of the table tag (the text between "<table" and ">").
  // `hasBlocks`: the table holds tables rendered before (its cells then keep their
  // blocks' lines whole). A nested table without a width attribute is as wide as its cells
  // need (at most the available width); any other table fills its width.
  void Start(PassState& pass, const TextString& tableTag, int availableWidth, bool nested,
             bool hasBlocks);
  // Starts row `row` (from 1) with its alignments: vertical 0 none, 1 top, 2 bottom,
  // 3 middle; horizontal 1 left, 2 centre, 3 right. Cells spanning rows from above keep
  // their columns.
  void SetRow(int row, int verticalAlignment, int horizontalAlignment);
  // The next free column at or after `column` (columns taken by a cell spanning rows from
  // above are passed over).
  [[nodiscard]] int FreeColumn(int column) const;
  // Adds a cell (its tag's attributes and its text, tags removed) at `column`, which then
  // moves past the columns the cell spans.
  void AddCell(int row, int& column, const TextString& cellTag, const TextString& cellText);
  // The table's caption (its text, tags removed): written on lines of its own above the
  // table, wrapped to the available width; in the delimited formats, above the begin marker.
  void SetCaption(const TextString& captionText);
  // The table as lines, each ended by a line feed (a delimited table's last line is not).
  void Render(TextString& out);

 private:
  enum class Format { kText, kComma, kTab };
  struct Column {
    int width = 0;
    int minimum = 0;
    int natural = 0;
    int rigid = 0;
    bool percent = false;
  };
  struct Row {
    int verticalAlignment = 0;
    int horizontalAlignment = 1;
    int height = 0;
    bool rule = false;
  };
  struct Cell {
    int row = 0;
    int column = 0;
    std::vector<std::string> lines;
    int requested = 0;
    int rigid = 0;
    int minimum = 0;
    int natural = 0;
    int columnSpan = 1;
    int rowSpan = 1;
    int verticalAlignment = 0;
    int horizontalAlignment = 1;
    bool rule = false;
  };

  // The cell text as lines: markers resolved, white space collapsed outside pre-formatted
  // parts, inner tables inlined, list indentation and rules drawn.
  std::vector<std::string> CellLines(const TextString& text, int requested, int& rigid) const;
  // Appends the lines of the inner table that the text block line `line` ("$_$_TEXTBLOCK 3")
  // stands for, its empty lines left out; `rigid` grows to the widest, as an inner table is
  // never broken.
  void AppendTextBlock(const std::string& line, std::vector<std::string>& lines, int& rigid) const;
  // The width a cell's "width" attribute asks for, less one for the gap; `percent` says it
  // was a percentage.
  int RequestedWidth(const TextString& cellTag, bool& percent) const;
  void WidenColumns(const Cell& cell);
  Column& ColumnAt(int column);
  [[nodiscard]] int SpanWidth(const Cell& cell) const;
  void SettleWidths();
  // Each cell spanning columns claims what its widest line needs beyond its columns' widths,
  // shared among them in proportion to those widths (equally when they are all 0); a column
  // keeps the largest claim made on it. Every column grows by exactly its claim, and the room
  // left before `tableWidth` stays for the columns' natural widths. Only when the claims
  // together exceed that room are they scaled down to fill it.
  void GrowSpanningClaims(int tableWidth);
  // Shares the room left before `tableWidth` among the columns in proportion to how far their
  // natural widths exceed their minimums.
  void GrowTowardsNatural(int tableWidth);
  void ShrinkToPage();
  void RewrapCells();
  [[nodiscard]] int Total(bool minimums) const;
  // The cells of each row (index row - 1), in the order they were added; cells outside the
  // rows are left out. Rendering looks cells up through this, so a table costs its cells
  // plus its output, whatever its shape (20,000 rows or 10,000 columns).
  [[nodiscard]] std::vector<std::vector<const Cell*>> CellsByRow() const;
  // Sets places[c] to the first of `cells` at column c (1 to places.size() - 1), every other
  // place to null.
  static void PlaceCells(const std::vector<const Cell*>& cells, std::vector<const Cell*>& places);
  void RenderText(TextString& out) const;
  // Line `line` of a row whose cells stand at `places` (see PlaceCells): the cells' lines
  // padded to their widths, between blanks or the frame's bars.
  [[nodiscard]] std::string TextRowLine(const std::vector<const Cell*>& places, const Row& row,
                                        int line, bool bordered) const;
  void RenderDelimited(TextString& out) const;
  // Line `line` of a row in a delimited format: each cell's line (quoted unless the table
  // holds blocks), a delimiter after each spanned column but the table's last.
  [[nodiscard]] std::string DelimitedRowLine(const std::vector<const Cell*>& places, int line,
                                             char delimiter) const;
  [[nodiscard]] std::string CellLine(const Cell& cell, const Row& row, int line, int width) const;

  PassState* pass_ = nullptr;
  std::vector<std::string> caption_;
  int pageWidth_ = 0;
  int tableWidth_ = 0;
  int availableWidth_ = 0;
  bool nested_ = false;
  bool hasBlocks_ = false;
  bool centred_ = false;
  bool border_ = false;
  bool hasRuleRows_ = false;
  Format format_ = Format::kText;
  std::vector<Column> columns_;  // column c at index c - 1
  std::vector<Row> rows_;        // row r at index r - 1
  std::vector<Cell> cells_;
  // Rows still covered by a cell spanning rows, for columns 1 to kTrackedColumns.
  static constexpr int kTrackedColumns = 100;
  int rowSpans_[kTrackedColumns + 1] = {};
};

// The handler of the table list ("<table**</table>"): lays out the innermost table of the
// match and leaves its block line in the text; answers "stop" after a nested table so that
// the list runs again for the table around it.
HandlerResult TableHandler(PatternEngine& engine, WildcardPattern& pattern, MatchState& state,
                           const char* working, int& index, void* userData);

}  // namespace quorlex
