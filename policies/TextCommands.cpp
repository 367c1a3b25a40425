#include "policies/TextCommands.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "foundation/ASCIIFile.h"
#include "foundation/Ascii.h"

namespace quorlex {

namespace {

using Command = TextCommand::Command;
using DataType = TextCommand::DataType;
using Position = TextCommand::Position;
using ReplaceMode = TextCommand::ReplaceMode;

constexpr int kMessageLevel = 10;
constexpr const char* kTextCommandName = "Text command";
constexpr const char* kRemoveMatchKeyword = "remove_match_text";
constexpr const char* kSectionHeading = "[Text commands]";

template <typename Code>
struct Keyword {
  const char* word;
  Code code;
};

constexpr Keyword<Command> kCommands[] = {
    {"ignore_line", Command::kIgnoreLine},    {"treat_line", Command::kTreatLine},
    {"meta_tag_line", Command::kMetaTagLine}, {"remove_text", Command::kRemoveText},
    {"replace_text", Command::kReplaceText},
};
constexpr Keyword<DataType> kDataTypes[] = {
    {"exact_string", DataType::kExactString}, {"string", DataType::kString},
    {"exact_phrase", DataType::kExactPhrase}, {"phrase", DataType::kPhrase},
    {"wildcard", DataType::kWildcard},
};
constexpr Keyword<Position> kPositions[] = {
    {"starting_with", Position::kStartingWith},
    {"containing", Position::kContaining},
};
constexpr Keyword<ReplaceMode> kReplaceModes[] = {
    {"by_string", ReplaceMode::kByString},
    {"by_character", ReplaceMode::kByCharacter},
};
constexpr Keyword<LineRecord::LineType> kLineTypes[] = {
    {"as_heading_1", LineRecord::kHeading1},
    {"as_heading_2", LineRecord::kHeading2},
    {"as_heading_3", LineRecord::kHeading3},
    {"as_heading_4", LineRecord::kHeading4},
    {"as_heading_5", LineRecord::kHeading5},
    {"as_heading_6", LineRecord::kHeading6},
    {"as_bullet", LineRecord::kBullet},
    {"as_number_bullet", LineRecord::kNumberBullet},
    {"as_alpha_bullet", LineRecord::kAlphaBullet},
    {"as_capalpha_bullet", LineRecord::kCapitalAlphaBullet},
};

// The code of `word` in `table`, ignoring case; the code 0 (none) when it is not there.
template <typename Code, size_t N>
Code Lookup(const Keyword<Code> (&table)[N], const TextString& word) {
  for (const auto& entry : table) {
    if (word.Equals(entry.word, LetterCase::kIgnored, Blanks::kCount)) return entry.code;
  }
  return Code{};
}

// The word of `code` in `table` (the code is one of the table's).
template <typename Code, size_t N>
const char* WordOf(const Keyword<Code> (&table)[N], Code code) {
  for (const auto& entry : table) {
    if (entry.code == code) return entry.word;
  }
  return "";
}

// --- Parsing -----------------------------------------------------------------------------

// The n-th token of `text` split at `delim`; empty when there are fewer tokens.
TextString Token(const TextString& text, int n, char delim) {
  TextString token;
  static_cast<void>(text.GetToken(n, delim, token));  // a missing token leaves it empty
  return token;
}

TextString Trimmed(TextString text) {
  text.Trim(TrimEnds::kBoth, nullptr);
  return text;
}

void Report(const MessageFunction& report, const TextString& message) {
  if (report) report(message.Data(), kMessageLevel);
}

// `prefix`, `word` and a closing double quote: the form of every message that names a word.
TextString Quoted(const char* prefix, const TextString& word) { return prefix + word + "\""; }

// The text after the n-th double quote of `text`; empty when it has fewer.
TextString AfterQuote(const TextString& text, int n) {
  int quote = -1;
  for (int from = 0; n > 0; --n, from = quote + 1) {
    if (!text.FindChar(from, '"', quote, LetterCase::kMatters)) return TextString();
  }
  TextString after;
  after.AssignBytes(text.Data() + quote + 1, text.Length() - quote - 1);
  return after;
}

// The blank-separated words of `text` from the n-th on; empty when it has fewer.
TextString WordsFrom(const TextString& text, int n) {
  TextString word;
  int offset = 0;
  if (!text.GetTokenAt(0, n, ' ', word, offset)) return TextString();
  TextString words;
  words.AssignBytes(text.Data() + offset, text.Length() - offset);
  return words;
}

// The parts of a command, as its command word lays them out over the rest of the line.
// Fields are the tokens between double quotes, words the blank-separated tokens.
struct Parts {
  TextString dataType;
  TextString position;
  TextString match;
  TextString metaName;
  TextString removeKeyword;
  TextString mode;
  TextString replacement;
  TextString lineType;
  bool leftover = false;  // text stands where the command has no part

  void NoteLeftover(const TextString& text) { leftover = leftover || !Trimmed(text).IsEmpty(); }
};

// Position and data type: the first two words of `where`; nothing may follow them.
void TakeWhere(const TextString& where, Parts& parts) {
  parts.position = Token(where, 1, ' ');
  parts.dataType = Token(where, 2, ' ');
  parts.NoteLeftover(WordsFrom(where, 3));
}

Parts SplitParts(Command command, const TextString& rest) {
  const auto field = [&rest](int n) { return Token(rest, n, '"'); };
  Parts parts;
  switch (command) {
    case Command::kIgnoreLine:
      TakeWhere(field(1), parts);
      parts.match = field(2);
      parts.NoteLeftover(AfterQuote(rest, 2));
      break;
    case Command::kTreatLine: {
      TakeWhere(field(1), parts);
      parts.match = field(2);
      const TextString type = field(3);
      parts.lineType = Token(type, 1, ' ');
      parts.NoteLeftover(WordsFrom(type, 2));
      parts.NoteLeftover(AfterQuote(rest, 3));
      break;
    }
    case Command::kMetaTagLine:
      parts.NoteLeftover(field(1));
      parts.metaName = field(2);
      TakeWhere(field(3), parts);
      parts.match = field(4);
      parts.removeKeyword = Trimmed(field(5));
      parts.NoteLeftover(AfterQuote(rest, 5));
      break;
    case Command::kRemoveText:
      parts.dataType = Trimmed(field(1));
      parts.match = field(2);
      parts.NoteLeftover(AfterQuote(rest, 2));
      break;
    case Command::kReplaceText:
      parts.dataType = Trimmed(field(1));
      parts.match = field(2);
      parts.mode = Trimmed(field(3));
      parts.replacement = field(4);
      parts.NoteLeftover(AfterQuote(rest, 4));
      break;
    case Command::kNone:
      break;
  }
  return parts;
}

bool MarksLines(Command command) {
  return command == Command::kIgnoreLine || command == Command::kTreatLine ||
         command == Command::kMetaTagLine;
}

// Fills `command` from `parts`. Every fault is reported; returns whether there was none.
// `rest` is the line after the command word, which one message quotes.
bool CheckParts(const Parts& parts, const TextString& rest, const MessageFunction& report,
                TextCommand& command) {
  bool valid = true;
  const auto fail = [&](const TextString& message) {
    Report(report, message);
    valid = false;
  };
  const Command kind = command.command;

  command.dataType = Lookup(kDataTypes, parts.dataType);
  if (command.dataType == DataType::kNone) {
    fail(Quoted("POLICY: Unknown text data type \"", parts.dataType));
  }
  // Texts are searched as C strings, so a NUL byte ends them here already.
  command.match = parts.match.Data();
  if (command.dataType == DataType::kString || command.dataType == DataType::kExactPhrase) {
    command.match.Trim(TrimEnds::kBoth, nullptr);
  }
  if (command.match.IsEmpty()) fail("POLICY: No Match expression supplied");

  if (kind == Command::kReplaceText) {
    command.replaceMode = Lookup(kReplaceModes, parts.mode);
    if (command.replaceMode == ReplaceMode::kNone) {
      fail(Quoted("POLICY: Unknown text data type \"", parts.mode));
    }
    command.replacement = parts.replacement.Data();
    if (command.replacement.IsEmpty()) fail("POLICY: No replacement text supplied");
  }
  if (kind == Command::kMetaTagLine) {
    command.metaName = parts.metaName;
    if (command.metaName.IsEmpty()) fail("POLICY: No META tag name supplied");
  }
  if (MarksLines(kind)) {
    command.position = Lookup(kPositions, parts.position);
    if (command.position == Position::kNone) {
      fail(Quoted("POLICY: Text command error.  Unexpected keyword \"", parts.position));
    }
  }
  if (kind == Command::kTreatLine) {
    command.lineType = Lookup(kLineTypes, parts.lineType);
    if (command.lineType == LineRecord::kNone) {
      fail(Quoted("POLICY: text command - unknown line type \"", rest));
    }
  }
  if (kind == Command::kMetaTagLine) {
    command.removeMatch =
        parts.removeKeyword.Equals(kRemoveMatchKeyword, LetterCase::kIgnored, Blanks::kCount) == 1;
    if (!parts.removeKeyword.IsEmpty() && !command.removeMatch) {
      fail(Quoted("POLICY: Text command error.  Unexpected keyword \"", parts.removeKeyword));
    }
  }
  return valid;
}

// Parses a "Text command" line into `command` and reports what is wrong with it. Returns
// whether the command is valid.
bool ParseTextCommand(const TextString& line, const MessageFunction& report, TextCommand& command) {
  // The name before the first colon must be the one of text commands.
  const TextString name = Token(line, 1, ':');
  if (name.FindNoCase(kTextCommandName) == nullptr) {
    Report(report, "POLICY: This is not a text command");
    return false;
  }
  // The rest after the colon, without its leading command word.
  const int restStart = std::min(name.Length() + 1, line.Length());
  TextString rest;
  rest.AssignBytes(line.Data() + restStart, line.Length() - restStart);
  rest.Trim(TrimEnds::kBoth, nullptr);
  const TextString word = Token(rest, 1, ' ');
  rest.Mid(word.Length(), rest.Length());
  rest.Trim(TrimEnds::kBoth, nullptr);
  // The parts the command word calls for.
  command.command = Lookup(kCommands, word);
  if (command.command == Command::kNone) {
    Report(report, Quoted("POLICY: Unknown text command \"", word));
    return false;
  }
  const Parts parts = SplitParts(command.command, rest);
  // Every check, then the verdict on the whole line. Text left over is no part
  // of the command, and a command is never kept with text it does not understand.
  command.valid = CheckParts(parts, rest, report, command) && !parts.leftover;
  if (!command.valid) Report(report, Quoted("POLICY: text command not processed \"", rest));
  return command.valid;
}

// --- Applying ----------------------------------------------------------------------------

// "string" and "phrase" match in any case, "exact_phrase" as written.
LetterCase LetterCaseOf(DataType type) {
  return type == DataType::kString || type == DataType::kPhrase ? LetterCase::kIgnored
                                                                : LetterCase::kMatters;
}

bool IsPhrase(DataType type) { return type == DataType::kExactPhrase || type == DataType::kPhrase; }

// The character at index i, or NUL outside the text.
char CharAt(const TextString& text, int i) { return i >= 0 && i < text.Length() ? text[i] : 0; }

// The stretch [begin, end) of a text without its leading and trailing blanks.
struct Range {
  int begin;
  int end;
};

Range TrimmedRange(const TextString& text) {
  Range range{0, text.Length()};
  while (range.end > 0 && IsBlank(text[range.end - 1])) --range.end;
  while (range.begin < range.end && IsBlank(text[range.begin])) ++range.begin;
  return range;
}

// The first occurrence of the command's match that begins at or after `from` and ends by
// `end`, or -1.
int FindWithin(const TextCommand& command, const TextString& text, int from, int end) {
  int at = -1;
  if (!text.Find(from, command.match.Data(), at, LetterCaseOf(command.dataType))) {
    return -1;
  }
  return at + command.match.Length() <= end ? at : -1;
}

// Where the match of a line-marking command lies in `text`, or -1 when the line does not
// match. The line is looked at without its leading and trailing blanks.
int FindMarkingMatch(const TextCommand& command, const TextString& text) {
  const Range range = TrimmedRange(text);
  const int length = command.match.Length();
  // Blanks around the trimmed stretch are no letters, so the whole text can be asked.
  const auto standsAlone = [&](int at) {
    return !IsPhrase(command.dataType) ||
           (!IsAsciiLetter(CharAt(text, at - 1)) && !IsAsciiLetter(CharAt(text, at + length)));
  };
  if (command.position == Position::kStartingWith) {
    const bool startsWith = range.begin + length <= range.end &&
                            TextString::CompareN(text.Data() + range.begin, command.match.Data(),
                                                 length, LetterCaseOf(command.dataType)) == 0;
    return startsWith && standsAlone(range.begin) ? range.begin : -1;
  }
  for (int at = FindWithin(command, text, range.begin, range.end); at >= 0;
       at = FindWithin(command, text, at + 1, range.end)) {
    if (standsAlone(at)) return at;
  }
  return -1;
}

// The META tag a matching line gives: the line, or, with remove_match_text, the line
// without the occurrence that matched, trimmed.
MetaTag MakeMetaTag(const TextCommand& command, const TextString& text, int at) {
  MetaTag tag{command.metaName, text};
  if (command.removeMatch) {
    tag.content.Splice(at, command.match.Length(), "", 0);
    tag.content.Trim(TrimEnds::kBoth, nullptr);
  }
  return tag;
}

// "ignore_line", "treat_line" and "meta_tag_line". Lines are searched only when a record or
// a META list will take the mark.
void MarkLine(const TextCommand& command, const TextString& text, LineRecord* record,
              std::vector<MetaTag>* metaTags) {
  const bool wanted =
      command.command == Command::kMetaTagLine ? metaTags != nullptr : record != nullptr;
  if (!wanted) return;
  const int at = FindMarkingMatch(command, text);
  if (at < 0) return;
  switch (command.command) {
    case Command::kIgnoreLine:
      record->ignore = 1;
      break;
    case Command::kTreatLine:
      record->lineType = command.lineType;
      break;
    case Command::kMetaTagLine:
      metaTags->push_back(MakeMetaTag(command, text, at));
      break;
    default:
      break;
  }
}

// Appends what takes the place of a match of `length` characters.
void AppendReplacement(const TextCommand& command, int length, TextString& out) {
  if (command.command == Command::kRemoveText) return;
  if (command.replaceMode == ReplaceMode::kByCharacter) {
    for (int i = 0; i < length; ++i) out.AppendChar(command.replacement[0]);
    return;
  }
  out.AppendBytes(command.replacement.Data(), command.replacement.Length());
}

// Removes or replaces every phrase occurrence, left to right, in one pass that copies the
// text into a new buffer (a minified page can be one line of many megabytes).
//
// The letter test for an occurrence looks at the text as edited so far: the search goes on
// right after a removal or after the text written in place of the match, and a replacement
// that ends in a letter makes an occurrence right behind it no phrase ("11" with "1"
// replaced by "a" becomes "a1").
void EditPhrases(const TextCommand& command, TextString& text) {
  const Range range = TrimmedRange(text);
  const int length = command.match.Length();
  TextString edited;  // text[0, copied) as edited so far
  int copied = 0;
  int from = range.begin;
  for (int at = FindWithin(command, text, from, range.end); at >= 0;
       at = FindWithin(command, text, from, range.end)) {
    const char before =
        at > copied ? text[at - 1] : (edited.IsEmpty() ? 0 : edited[edited.Length() - 1]);
    if (IsAsciiLetter(before) || IsAsciiLetter(CharAt(text, at + length))) {
      from = at + 1;
      continue;
    }
    if (copied == 0) edited.Reserve(text.Length());
    edited.AppendBytes(text.Data() + copied, at - copied);
    AppendReplacement(command, length, edited);
    copied = at + length;
    from = copied;
  }
  if (copied == 0) return;  // no occurrence was a phrase: every edit moves `copied` on
  edited.AppendBytes(text.Data() + copied, text.Length() - copied);
  text.Swap(edited);
}

// "remove_text" and "replace_text".
void EditText(const TextCommand& command, TextString& text) {
  if (IsPhrase(command.dataType)) {
    EditPhrases(command, text);
    return;
  }
  const char* match = command.match.Data();
  const LetterCase letterCase = LetterCaseOf(command.dataType);
  if (command.command == Command::kRemoveText) {
    text.Replace(0, match, "", 0, letterCase, nullptr, nullptr);
  } else if (command.replaceMode == ReplaceMode::kByCharacter) {
    // Without a replacement text, Replace overwrites with the fill character.
    text.Replace(0, match, nullptr, 0, letterCase, command.replacement.Data(), nullptr);
  } else {
    text.Replace(0, match, command.replacement.Data(), 0, letterCase, nullptr, nullptr);
  }
}

// --- Writing -----------------------------------------------------------------------------

void AppendWord(TextString& line, const char* word) {
  line.AppendChar(' ');
  line += word;
}

// `text` in double quotes after a blank. No part of a command holds a double quote: the
// reader splits the line at them.
void AppendQuoted(TextString& line, const TextString& text) {
  line += " \"";
  line += text;
  line.AppendChar('"');
}

}  // namespace

TextString TextCommand::WrittenLine() const {
  TextString line(kTextCommandName);
  line += " :";
  AppendWord(line, WordOf(kCommands, command));
  if (command == Command::kMetaTagLine) AppendQuoted(line, metaName);
  if (MarksLines(command)) AppendWord(line, WordOf(kPositions, position));
  AppendWord(line, WordOf(kDataTypes, dataType));
  AppendQuoted(line, match);
  if (command == Command::kTreatLine) AppendWord(line, WordOf(kLineTypes, lineType));
  if (command == Command::kReplaceText) {
    AppendWord(line, WordOf(kReplaceModes, replaceMode));
    AppendQuoted(line, replacement);
  }
  if (removeMatch) AppendWord(line, kRemoveMatchKeyword);
  return line;
}

int TextCommandList::AddTextCommand(const TextString& line, const MessageFunction& report) {
  TextCommand command;
  if (!ParseTextCommand(line, report, command)) return 0;
  commands_.push_back(std::move(command));
  commandsSet = true;
  return 1;
}

void TextCommandList::ApplyTextCommands(LineRecord* record, std::vector<MetaTag>* metaTags,
                                        TextString& text) const {
  for (const TextCommand& command : commands_) {
    if (MarksLines(command.command)) {
      MarkLine(command, text, record, metaTags);
    } else {
      EditText(command, text);
    }
  }
}

int TextCommandList::WriteTextCommands(ASCIIFile& file) const {
  if (commands_.empty()) return 1;
  if (!file.WriteLine("") || !file.WriteLine(kSectionHeading) || !file.WriteLine("")) return 0;
  for (const TextCommand& command : commands_) {
    if (!file.WriteLine(command.WrittenLine())) return 0;
  }
  return 1;
}

void TextCommandList::Clear() {
  commands_.clear();
  commandsSet = false;
}

void TextCommandList::CopyFrom(const TextCommandList& other) {
  commands_ = other.commands_;
  commandsSet = other.commandsSet;
}

void TextCommandList::TakeOver(const TextCommandList& source, bool markSet) {
  if (!source.commandsSet) return;
  commands_ = source.commands_;
  if (markSet) commandsSet = true;
}

void TextCommandFilter::Apply(TextString& line) {
  commands_.ApplyTextCommands(nullptr, nullptr, line);
}

}  // namespace quorlex
