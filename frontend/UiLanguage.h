#pragma once

#include <QObject>
#include <array>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "foundation/RunLog.h"
#include "foundation/TextString.h"
#include "frontend/CodePages.h"
#include "frontend/UiIds.h"
#include "frontend/UiTables.h"

namespace quorlex {

struct ProgramSettings;

// The language numbers of the menu, of "Choose your language" and of SetLanguage.
enum LanguageNumber : int {
  kLanguageOther = -1,  // the texts loaded from a language file
  kLanguageEnglish = 1,
  kLanguageGerman = 2,
  kLanguageSpanish = 3,
  kLanguageFrench = 4,
  kLanguagePortuguese = 5,
  kLanguageItalian = 6,
  kLanguageSwedish = 7,
  kLanguageRussian = 8,
};

// The name stored in the settings for a language number ("English" ... "Russian", "Other"
// for -1); English for any other number.
const char* LanguageName(int number);
// The name of a built-in language in that language, in UTF-8 ("Español", "Русский"), as the
// language choices show it whatever the interface language; English for any other number.
const char* LanguageOwnName(int number);
// The number of a stored language name, compared ignoring case; 1 (English) when unknown.
int LanguageNumberFromName(const TextString& name);

// `text` with every placeholder of `fills` ("ffffff", "nnn", ...) replaced by its text, in
// one pass from left to right: what a placeholder is replaced by is never searched again, so
// a command that happens to hold "url" stays as it is in message 47. Where two placeholders
// start at the same place, the one listed first wins.
std::string FillPlaceholders(
    std::string_view text,
    std::initializer_list<std::pair<std::string_view, std::string_view>> fills);

// The product name that stands for "qqqqqqqq".
inline constexpr std::string_view kProductPlaceholder = "qqqqqqqq";

// The user-interface texts: four numbered string tables (dialog texts, tool tips, menu texts,
// messages) in the current language, and the choice of that language.
//
// The eight built-in languages are language files compiled into the program, each in its
// code page (Windows-1252, or Windows-1251 for Russian). Loading a built-in language starts
// from the English texts, so an entry a translation lacks shows in English. Every entry
// remembers its code page: the *Text lookups give the 8-bit text as stored, and Display the
// same text as UTF-8, for the screen.
//
// Lookups outside a table give "???". Until a language is set the tables are empty, except
// that the message and tool-tip tables load English on their first lookup.
//
// Language files (".lng"): one entry a line, "identifier : text"; everything from the first
// "!" is a comment; the identifier picks the table by its block (see TextTable). Texts are
// trimmed, so they cannot start or end with blanks, and cannot hold "!". A line feed and a
// carriage return inside a text are written as "\n" and "\r".
class UiLanguage : public QObject {
  Q_OBJECT

 public:
  // `settings` (not owned, may be null) receives the language name on every change.
  explicit UiLanguage(ProgramSettings* settings = nullptr, QObject* parent = nullptr);
  ~UiLanguage() override;

  // Makes a language current: does nothing when `number` already is; else loads the
  // tool-tip, menu, message and dialog tables for it (2 to 8 their language, -1 keeps the
  // texts as they are, any other number English), stores the language name in the settings
  // and emits LanguageChanged, on which the windows apply the new texts.
  void SetLanguage(int number);
  // The current language number; 0 before the first SetLanguage.
  int Current() const { return current_; }

  TextString DialogText(int n);
  TextString MenuText(int n);
  TextString MessageText(int n);
  // The tool tip of a control (empty when the control has none).
  TextString ToolTipText(Control control);
  // Entry n of `table`, or "???".
  TextString Text(TextTable table, int n);
  // Entry n of `table` as UTF-8, with "qqqqqqqq" replaced by the product name; "???" outside
  // the table.
  std::string Display(TextTable table, int n);

  // Reads a language file into the tables as they are (entries it does not name keep their
  // texts), then makes -1 ("Other") the current language and emits LanguageChanged even when
  // -1 was current already, so a second file shows too. Returns 1 when the file was read.
  // A file that cannot be opened, or that holds no entry (an empty file, only comments, a
  // file of another kind), returns 0 and changes nothing: the texts, the current language
  // and the settings stay as they were.
  [[nodiscard]] int LoadLanguageFile(const char* path);
  // Writes the four tables as a language file (dialog texts, tool tips, menu texts, then
  // messages, every non-empty entry under the comment heading of its window or menu), whole
  // or not at all. Returns 1 when the file is in place.
  int ExportLanguageFile(const char* path);

  // The run texts of a conversion (log-file failures, the completion banner) in the current
  // language, as UTF-8 (they go to the log file and the status window).
  RunTexts MakeRunTexts();

 signals:
  void LanguageChanged(int number);

 private:
  struct Entry {
    TextString text;
    CodePage codePage = CodePage::Windows1252;
  };
  struct Table {
    std::vector<Entry> entries;
    int language = 0;  // 0: nothing loaded yet
  };

  Table& TableOf(TextTable table) { return tables_[static_cast<size_t>(table)]; }
  // Loads `number` into one table (see SetLanguage).
  void LoadTable(TextTable table, int number);
  // The message and tool-tip tables load English before their first lookup.
  void EnsureLoaded(TextTable table);
  void Apply(int number);

  std::array<Table, kTextTables> tables_;
  int current_ = 0;
  ProgramSettings* settings_;
};

// One line of a language file. Returns true, with the identifier and the text (trimmed, its
// "\n" and "\r" turned into a line feed and a carriage return), when the line holds an entry;
// false for comments, empty lines and lines that do not parse (no ":", an identifier that is
// not a decimal number).
bool ParseLanguageLine(std::string_view line, int& identifier, std::string& text);

// The table and index an identifier names; false for identifiers of 0 or less, beyond 19999,
// or beyond the table of their block (700, 5400).
bool LocateIdentifier(int identifier, TextTable& table, int& index);

}  // namespace quorlex
