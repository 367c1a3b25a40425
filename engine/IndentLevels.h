#pragma once

#include <string_view>
#include <vector>

namespace quorlex {

// The lists, blocks (quotations, definitions) and definition lists open at a point of the
// text, and the columns they put its lines at. A block and a list stand 4 columns further in
// than the text around them; a list inside a list item stands at the item's text column,
// and a definition list where the text stands. The later lines of an item hang at its text
// column, after its label. The line writer lays out lines with it, and the table handler
// asks it how far in a table will stand.
class IndentLevels {
 public:
  enum class Kind { kList, kBlock, kDefinitions };

  void Open(Kind kind);
  // Closes the innermost level; nothing when none is open.
  void Close();
  // A list item begins, with a label `labelColumns` wide (its blank included). Nothing
  // happens outside a list.
  void StartItem(int labelColumns);

  // Where the text of the innermost level starts (0 at the top).
  [[nodiscard]] int TextColumn() const;
  // Where the innermost level's own lines start: an item's label, a definition's first line.
  [[nodiscard]] int LevelColumn() const;
  // How many levels of a kind are open.
  [[nodiscard]] int Count(Kind kind) const { return open_[static_cast<int>(kind)]; }

  // Follows the inline markers of the phases in `text`: the lists, blocks and definition
  // lists it opens and closes, and the labels of its list items.
  void Follow(std::string_view text);

 private:
  struct Level {
    Kind kind;
    int column;
    int hanging = 0;  // a list's open item: the width of its label
  };

  std::vector<Level> levels_;
  int open_[3] = {};
};

}  // namespace quorlex
