#pragma once

#include <QString>
#include <string_view>

#include "frontend/UiIds.h"
#include "frontend/UiLanguage.h"

class QLabel;
class QMenuBar;
class QPushButton;
class QWidget;

namespace quorlex {

// UTF-8 text for a Qt widget, with the carriage returns of the Windows-style line ends in
// the string tables ("\n\r") left out.
QString ToQString(std::string_view utf8);

// Marks `widget` as the control `control` of its window, for the functions below.
void SetControlId(QWidget* widget, Control control);

// A new widget of `parent` marked as `control`.
template <typename Widget>
Widget* MakeControl(QWidget* parent, Control control) {
  auto* widget = new Widget(parent);
  SetControlId(widget, control);
  return widget;
}

// A label of `parent`, marked as `label`, that names `field` (screen readers call the field by
// it) and whose mnemonic takes the keyboard to it.
QLabel* MakeBuddyLabel(QWidget* parent, Control label, QWidget* field);

// A "..." button beside a name box: as narrow as its caption allows.
QPushButton* MakeBrowseButton(QWidget* parent, Control control);

// The control `control` of `window` (the window itself for Control::Caption), or null.
QWidget* FindControl(QWidget* window, Control control);

// Sets the captions of `window` and of its controls from the dialog texts of `dialog`:
// the window title for Control::Caption, the text of labels and buttons and the title of
// group boxes. Controls the window does not have are passed over.
void ApplyDialogTexts(QWidget* window, DialogTemplate dialog, UiLanguage& language);

// Gives a keyboard mnemonic ("&" before a letter) to every label with a buddy and every
// button of `window` whose caption has none: the first letter of the caption that no other
// control of `window` uses and that is not in `taken` (the letters of the menu bar, say);
// labels choose before buttons.
// Letters are compared ignoring case; a caption with no free letter keeps none. Call it again
// after the captions change.
void AssignMnemonics(QWidget* window, const QString& taken);

// Gives every field that has a label the label's text for its accessible name (a list is
// otherwise called by the item it shows).
void NameFieldsAfterLabels(QWidget* window);

// The mnemonic letters of the entries of a menu bar, lower-cased ("fcsvlh").
QString MenuMnemonics(const QMenuBar* menuBar);

// Sets the tool tip of every control of `window` that has one (an empty one when `enabled`
// is false, which switches them off).
void ApplyToolTips(QWidget* window, UiLanguage& language, bool enabled);

// Fills an empty menu bar with the menu of MenuLayout(): every item is an action carrying its
// command (kCommandProperty); check items are checkable. The language items of a menu form
// one exclusive group (radio items) and carry their own names; the other texts are set by
// ApplyMenuTexts.
void BuildMenuBar(QMenuBar* menuBar);

// Sets the text of every menu action found by its command, and of every top-level menu and
// submenu found by its position (MenuPositions); then makes the last top-level menu stand
// at the right-hand end of the menu bar.
void ApplyMenuTexts(QMenuBar* menuBar, UiLanguage& language);

// Checks the language item of `number` in the "&Language" menu and clears the others; for
// -1 the "Use language \"skin\"..." item is the one checked and no language is.
void UpdateLanguageMenu(QMenuBar* menuBar, int number);

// The built-in language (a LanguageNumber) that a "&Language" menu command chooses; 0 for
// every other command.
int LanguageOfCommand(Command command);

// A file filter of the string tables ("Log files (*.log)|*.log|All files (*.*)|*.*|") in
// the form of Qt's file dialogs ("Log files (*.log) (*.log);;All files (*.*) (*)"): each
// description is followed by its patterns, ";" between patterns becomes a blank and "*.*"
// becomes "*", which matches names without a dot too. Use it with the dialog option
// HideNameFilterDetails so that only the descriptions show.
QString FileDialogFilter(std::string_view filter);

}  // namespace quorlex
