#pragma once

#include <span>
#include <vector>

#include "frontend/UiIds.h"

namespace quorlex {

// The four string tables of the user interface, with the identifier blocks they take in a
// language file: dialog texts 0 to 669 (identifier = index), tool tips 5000 to 5364, menu
// texts 10000 to 10134 and messages 15000 to 15114 (index + block start).
enum class TextTable { Dialog = 0, ToolTip, Menu, Message };
inline constexpr int kTextTables = 4;

// The number of entries of a table, and the first identifier of its block.
int TableSize(TextTable table);
int BlockStart(TextTable table);

// A control and the dialog text that is its caption.
struct ControlText {
  Control control;
  int dialogText;
};

// The caption pairs of a window (Control::Caption for its title).
std::span<const ControlText> DialogControls(DialogTemplate dialog);

// The tool-tip index of a control, or -1 when it has none.
int ToolTipIndex(Control control);

// One entry of the main window's menu, in order; depth 0 is the menu bar. A LanguageItem is a
// built-in language: one of the exclusive choices of its menu, named in its own language.
struct MenuRow {
  enum Kind { Submenu, Item, CheckItem, LanguageItem, Separator };
  int depth;
  Kind kind;
  Command command;
  int menuText;  // -1 for a separator and a language item
};

// The whole menu, from "&File" to "&Help".
std::span<const MenuRow> MenuLayout();

// The menu text of a command, or -1.
int MenuTextIndex(Command command);

// A menu entry that opens a submenu, found by its position: the index among the entries
// (separators not counted) of the menu bar, then of each menu on the way.
struct MenuPosition {
  std::vector<int> path;
  int menuText;
};

// The positions of every top-level menu and submenu of MenuLayout().
std::vector<MenuPosition> MenuPositions();

// A comment group of an exported language file: the heading lines written before the
// entries of `table` from index `first` up to the next group's first index.
struct ExportGroup {
  TextTable table;
  int first;
  const char* heading;  // one or more lines, separated by line feeds
};

// Every group, in the order of the file: dialog texts, tool tips, menu texts, messages.
std::span<const ExportGroup> ExportGroups();

}  // namespace quorlex
