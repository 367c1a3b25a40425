#include "frontend/UiLanguage.h"

#include <QFile>
#include <algorithm>
#include <climits>

#include "foundation/ASCIIFile.h"
#include "foundation/Version.h"
#include "frontend/ProgramSettings.h"

namespace quorlex {
namespace {

struct LanguageRow {
  int number;
  const char* name;
  const char* ownName;  // UTF-8
  const char* file;     // the built-in language file, in the program's resources
  CodePage codePage;
};

constexpr LanguageRow kLanguages[] = {
    {kLanguageEnglish, "English", "English", "english.lng", CodePage::Windows1252},
    {kLanguageGerman, "German", "Deutsch", "german.lng", CodePage::Windows1252},
    {kLanguageSpanish, "Spanish", "Español", "spanish.lng", CodePage::Windows1252},
    {kLanguageFrench, "French", "Français", "french.lng", CodePage::Windows1252},
    {kLanguagePortuguese, "Portuguese", "Português", "portuguese.lng", CodePage::Windows1252},
    {kLanguageItalian, "Italian", "Italiano", "italian.lng", CodePage::Windows1252},
    {kLanguageSwedish, "Swedish", "Svenska", "swedish.lng", CodePage::Windows1252},
    {kLanguageRussian, "Russian", "Русский", "russian.lng", CodePage::Windows1251},
};

const LanguageRow* FindLanguage(int number) {
  for (const LanguageRow& row : kLanguages) {
    if (row.number == number) return &row;
  }
  return nullptr;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// A decimal number with an optional sign and nothing else.
bool ParseIdentifier(std::string_view text, int& value) {
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return false;
  long long number = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + (c - '0');
    if (number > INT_MAX) return false;
  }
  value = static_cast<int>(negative ? -number : number);
  return true;
}

std::string Unescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'n' || text[i + 1] == 'r')) {
      out += text[i + 1] == 'n' ? '\n' : '\r';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string Escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  return out;
}

struct ParsedEntry {
  int identifier;
  std::string text;
};

// The entries of a language file's contents, split at line feeds (a carriage return
// before a line feed is dropped).
std::vector<ParsedEntry> ParseLanguageText(std::string_view content) {
  std::vector<ParsedEntry> entries;
  while (!content.empty()) {
    size_t end = content.find('\n');
    std::string_view line = content.substr(0, end);
    content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ParsedEntry entry;
    if (ParseLanguageLine(line, entry.identifier, entry.text)) entries.push_back(std::move(entry));
  }
  return entries;
}

// True when one of `entries` names an entry of the tables.
bool NamesAnyEntry(const std::vector<ParsedEntry>& entries) {
  TextTable table;
  int index = 0;
  return std::any_of(entries.begin(), entries.end(), [&table, &index](const ParsedEntry& entry) {
    return LocateIdentifier(entry.identifier, table, index);
  });
}

std::string BuiltInFile(const LanguageRow& language) {
  QFile file(QStringLiteral(":/languages/") + QString::fromLatin1(language.file));
  if (!file.open(QIODevice::ReadOnly)) return std::string();
  const QByteArray bytes = file.readAll();
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

}  // namespace

const char* LanguageName(int number) {
  if (number == kLanguageOther) return "Other";
  const LanguageRow* row = FindLanguage(number);
  return row != nullptr ? row->name : "English";
}

const char* LanguageOwnName(int number) {
  const LanguageRow* row = FindLanguage(number);
  return row != nullptr ? row->ownName : "English";
}

int LanguageNumberFromName(const TextString& name) {
  if (name.Equals("Other", LetterCase::kIgnored, Blanks::kCount)) return kLanguageOther;
  for (const LanguageRow& row : kLanguages) {
    if (name.Equals(row.name, LetterCase::kIgnored, Blanks::kCount)) return row.number;
  }
  return kLanguageEnglish;
}

std::string FillPlaceholders(
    std::string_view text,
    std::initializer_list<std::pair<std::string_view, std::string_view>> fills) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    bool replaced = false;
    for (const auto& [placeholder, fill] : fills) {
      if (!placeholder.empty() && text.substr(i).starts_with(placeholder)) {
        out += fill;
        i += placeholder.size();
        replaced = true;
        break;
      }
    }
    if (!replaced) out += text[i++];
  }
  return out;
}

bool ParseLanguageLine(std::string_view line, int& identifier, std::string& text) {
  const size_t comment = line.find('!');
  if (comment != std::string_view::npos) line = line.substr(0, comment);
  line = Trim(line);
  const size_t colon = line.find(':');
  if (line.empty() || colon == std::string_view::npos) return false;
  if (!ParseIdentifier(Trim(line.substr(0, colon)), identifier)) return false;
  text = Unescape(Trim(line.substr(colon + 1)));
  return true;
}

bool LocateIdentifier(int identifier, TextTable& table, int& index) {
  static constexpr TextTable kByBlock[] = {TextTable::Dialog, TextTable::ToolTip, TextTable::Menu,
                                           TextTable::Message};
  if (identifier <= 0 || identifier >= 20000) return false;
  table = kByBlock[identifier / 5000];
  index = identifier - BlockStart(table);
  return index < TableSize(table);
}

UiLanguage::UiLanguage(ProgramSettings* settings, QObject* parent)
    : QObject(parent), settings_(settings) {
  for (int t = 0; t < kTextTables; ++t) {
    tables_[static_cast<size_t>(t)].entries.resize(
        static_cast<size_t>(TableSize(static_cast<TextTable>(t))));
  }
}

UiLanguage::~UiLanguage() = default;

void UiLanguage::LoadTable(TextTable table, int number) {
  Table& target = TableOf(table);
  if (target.language == number) return;
  target.language = number;
  if (number == kLanguageOther) return;
  const LanguageRow* language = FindLanguage(number);
  if (language == nullptr) language = FindLanguage(kLanguageEnglish);
  std::vector<const LanguageRow*> layers = {FindLanguage(kLanguageEnglish)};
  if (language->number != kLanguageEnglish) layers.push_back(language);
  for (Entry& entry : target.entries) entry = Entry();
  for (const LanguageRow* layer : layers) {
    for (const ParsedEntry& parsed : ParseLanguageText(BuiltInFile(*layer))) {
      TextTable entryTable;
      int index = 0;
      if (!LocateIdentifier(parsed.identifier, entryTable, index) || entryTable != table) continue;
      Entry& entry = target.entries[static_cast<size_t>(index)];
      entry.text.AssignBytes(parsed.text.data(), static_cast<int>(parsed.text.size()));
      entry.codePage = layer->codePage;
    }
  }
}

void UiLanguage::EnsureLoaded(TextTable table) {
  if ((table == TextTable::Message || table == TextTable::ToolTip) &&
      TableOf(table).language == 0) {
    LoadTable(table, kLanguageEnglish);
  }
}

void UiLanguage::SetLanguage(int number) {
  if (number == current_) return;
  Apply(number);
}

void UiLanguage::Apply(int number) {
  for (const TextTable table :
       {TextTable::ToolTip, TextTable::Menu, TextTable::Message, TextTable::Dialog}) {
    LoadTable(table, number);
  }
  current_ = number;
  if (settings_ != nullptr) settings_->language = LanguageName(number);
  emit LanguageChanged(number);
}

TextString UiLanguage::Text(TextTable table, int n) {
  EnsureLoaded(table);
  const Table& source = TableOf(table);
  if (n < 0 || n >= static_cast<int>(source.entries.size())) return TextString("???");
  return source.entries[static_cast<size_t>(n)].text;
}

TextString UiLanguage::DialogText(int n) { return Text(TextTable::Dialog, n); }
TextString UiLanguage::MenuText(int n) { return Text(TextTable::Menu, n); }
TextString UiLanguage::MessageText(int n) { return Text(TextTable::Message, n); }

TextString UiLanguage::ToolTipText(Control control) {
  const int index = ToolTipIndex(control);
  return index < 0 ? TextString() : Text(TextTable::ToolTip, index);
}

std::string UiLanguage::Display(TextTable table, int n) {
  EnsureLoaded(table);
  const Table& source = TableOf(table);
  if (n < 0 || n >= static_cast<int>(source.entries.size())) return "???";
  const Entry& entry = source.entries[static_cast<size_t>(n)];
  return FillPlaceholders(ToUtf8(entry.text.View(), entry.codePage),
                          {{kProductPlaceholder, kProgramName}});
}

int UiLanguage::LoadLanguageFile(const char* path) {
  ASCIIFile file;
  if (path == nullptr || !file.OpenRead(path)) return 0;
  // A line longer than a read arrives in pieces; join them before parsing.
  std::string content;
  while (file.ReadLine()) {
    content.append(file.NewestLine()->View());
    if (!file.LastLineCut()) content += '\n';
  }
  file.CloseAll();
  const std::vector<ParsedEntry> entries = ParseLanguageText(content);
  if (!NamesAnyEntry(entries)) return 0;
  std::string texts;
  for (const ParsedEntry& entry : entries) texts += entry.text;
  const CodePage codePage = GuessCodePage(texts);
  for (const ParsedEntry& parsed : entries) {
    TextTable table;
    int index = 0;
    if (!LocateIdentifier(parsed.identifier, table, index)) continue;
    EnsureLoaded(table);
    Entry& entry = TableOf(table).entries[static_cast<size_t>(index)];
    entry.text.AssignBytes(parsed.text.data(), static_cast<int>(parsed.text.size()));
    entry.codePage = codePage;
  }
  Apply(kLanguageOther);
  return 1;
}

int UiLanguage::ExportLanguageFile(const char* path) {
  ASCIIFile file;
  if (path == nullptr || !file.OpenWriteWhole(path, ASCIIFile::Mode::kText)) return 0;
  int ok = 1;
  const std::span<const ExportGroup> groups = ExportGroups();
  for (size_t g = 0; g < groups.size(); ++g) {
    const ExportGroup& group = groups[g];
    const bool lastOfTable = g + 1 == groups.size() || groups[g + 1].table != group.table;
    const int end = lastOfTable ? TableSize(group.table) : groups[g + 1].first;
    std::string_view heading = group.heading;
    while (!heading.empty()) {
      const size_t lineEnd = heading.find('\n');
      ok &= file.WriteLine(std::string(heading.substr(0, lineEnd)).c_str());
      heading.remove_prefix(lineEnd == std::string_view::npos ? heading.size() : lineEnd + 1);
    }
    const Table& table = TableOf(group.table);
    for (int index = group.first; index < end; ++index) {
      const TextString& text = table.entries[static_cast<size_t>(index)].text;
      if (text.IsEmpty()) continue;
      std::string line = std::to_string(BlockStart(group.table) + index) + " : ";
      line += Escape(text.View());
      TextString bytes;
      bytes.AssignBytes(line.data(), static_cast<int>(line.size()));
      ok &= file.WriteLine(bytes);
    }
  }
  if (!ok) {
    file.CloseAll();  // abandons the temporary file
    return 0;
  }
  return file.Commit();
}

RunTexts UiLanguage::MakeRunTexts() {
  RunTexts texts;
  texts.conversionComplete = Display(TextTable::Message, 40);
  texts.generatingLog = Display(TextTable::Message, 41) + " ";
  texts.failedToOpenLog = Display(TextTable::Message, 42);
  texts.openingInstead = "    " + Display(TextTable::Message, 43);
  return texts;
}

}  // namespace quorlex
