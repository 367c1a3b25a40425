#include "engine/IndentLevels.h"

#include <algorithm>

#include "foundation/Utf8.h"
#include "textformat/Markers.h"

namespace quorlex {
namespace {

// Indentation per open list or block.
constexpr int kIndentStep = 4;
// Indentation deeper than this, which only broken pages reach (100,000 unclosed lists), is
// written at this column: the output stays in proportion to the input.
constexpr int kMaxIndentColumn = 160;
// Item labels are a few characters long; a longer one (a roman number in the thousands) is
// read this far.
constexpr size_t kLongestLabel = 40;

}  // namespace

void IndentLevels::Open(Kind kind) {
  const bool inItem =
      !levels_.empty() && levels_.back().kind == Kind::kList && levels_.back().hanging > 0;
  const bool stepIn = kind == Kind::kBlock || (kind == Kind::kList && !inItem);
  const int column = std::min(TextColumn() + (stepIn ? kIndentStep : 0), kMaxIndentColumn);
  levels_.push_back(Level{kind, column});
  ++open_[static_cast<int>(kind)];
}

void IndentLevels::Close() {
  if (levels_.empty()) return;
  --open_[static_cast<int>(levels_.back().kind)];
  levels_.pop_back();
}

void IndentLevels::StartItem(int labelColumns) {
  if (levels_.empty() || levels_.back().kind != Kind::kList) return;
  Level& level = levels_.back();
  level.hanging = std::min(labelColumns, kMaxIndentColumn - level.column);
}

int IndentLevels::TextColumn() const {
  if (levels_.empty()) return 0;
  const Level& top = levels_.back();
  return std::min(top.column + top.hanging, kMaxIndentColumn);
}

int IndentLevels::LevelColumn() const { return levels_.empty() ? 0 : levels_.back().column; }

void IndentLevels::Follow(std::string_view text) {
  const Markers& m = GetMarkers();
  const std::string_view item = m.listItem.View();
  const struct {
    std::string_view marker;
    Kind kind;
    bool opens;
  } kLevelMarkers[] = {
      {m.startList.View(), Kind::kList, true},
      {m.endList.View(), Kind::kList, false},
      {m.startBlock.View(), Kind::kBlock, true},
      {m.endBlock.View(), Kind::kBlock, false},
      {m.startDefinitions.View(), Kind::kDefinitions, true},
      {m.endDefinitions.View(), Kind::kDefinitions, false},
  };
  for (size_t at = text.find(kMarkerByte); at != std::string_view::npos;
       at = text.find(kMarkerByte, at + 1)) {
    const std::string_view rest = text.substr(at);
    if (rest.starts_with(item)) {
      // The label runs to its blank ("1) ", "- "), a few characters on.
      const std::string_view label = rest.substr(item.size(), kLongestLabel);
      StartItem(DisplayWidth(label.substr(0, label.find(' '))) + 1);
      continue;
    }
    for (const auto& level : kLevelMarkers) {
      if (!rest.starts_with(level.marker)) continue;
      level.opens ? Open(level.kind) : Close();
      at += level.marker.size() - 1;
      break;
    }
  }
}

}  // namespace quorlex
