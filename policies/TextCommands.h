#pragma once

#include <vector>

#include "foundation/LineRecord.h"
#include "foundation/LineSource.h"
#include "foundation/MessageChannel.h"
#include "foundation/TextString.h"

namespace quorlex {

class ASCIIFile;

// One "Text command" line of a policy file, as parsed. The codes of the enums are the ones
// the policy language has always used; 0 (kNone) means "not given or not recognised".
//
// The line names a command, and the command takes its parts from the rest of the line,
// split at double quotes (field 1 before the first quote, field 2 between the first and the
// second, ...):
//   Text command : ignore_line   <position> <data type> "<match>"
//   Text command : treat_line    <position> <data type> "<match>" <line type>
//   Text command : meta_tag_line "<META name>" <position> <data type> "<match>"
//                                [remove_match_text]
//   Text command : remove_text   <data type> "<match>"
//   Text command : replace_text  <data type> "<match>" <by_string|by_character> "<replacement>"
// Keywords are recognised ignoring case. No part can hold a double quote.
struct TextCommand {
  enum class Command : int {
    kNone = 0,
    kIgnoreLine = 1,   // "ignore_line": marks matching lines as lines to ignore
    kTreatLine = 2,    // "treat_line": marks matching lines with a line type
    kMetaTagLine = 3,  // "meta_tag_line": records a META tag from matching lines
    kRemoveText = 4,   // "remove_text": deletes the match
    kReplaceText = 5,  // "replace_text": replaces the match
  };
  enum class DataType : int {
    kNone = 0,
    kExactString = 1,  // "exact_string": exact case, anywhere
    kString = 2,       // "string": case ignored, anywhere
    kExactPhrase = 3,  // "exact_phrase": exact case, no letter just before or after
    kPhrase = 4,       // "phrase": case ignored, no letter just before or after
    kWildcard = 6,     // "wildcard": the match taken literally, exact case, anywhere
  };
  enum class Position : int {
    kNone = 0,
    kStartingWith = 1,  // "starting_with": only a match at the first non-blank character
    kContaining = 2,    // "containing": a match anywhere
  };
  enum class ReplaceMode : int {
    kNone = 0,
    kByString = 1,     // "by_string": the match becomes the replacement
    kByCharacter = 5,  // "by_character": every character of the match becomes the
                       // replacement's first character, so the line keeps its length
  };

  // The command as a policy file line, built from its parts (never the line it was read
  // from): "Text command : ", then the parts in the order above with single blanks
  // between them, keywords in lower case, the match, META name and replacement in double
  // quotes. Reading the line gives this command again.
  [[nodiscard]] TextString WrittenLine() const;

  bool valid = false;  // accepted; a list holds only valid commands
  Command command = Command::kNone;
  DataType dataType = DataType::kNone;
  Position position = Position::kNone;  // the line-marking commands
  // The text to look for. Blanks around it are dropped for "string" and "exact_phrase" and
  // kept for the other data types.
  TextString match;
  TextString metaName;                                // "meta_tag_line"
  bool removeMatch = false;                           // "meta_tag_line" with "remove_match_text"
  ReplaceMode replaceMode = ReplaceMode::kNone;       // "replace_text"
  TextString replacement;                             // "replace_text"; never empty when valid
  LineRecord::LineType lineType = LineRecord::kNone;  // "treat_line"
};

// A META tag found by a "meta_tag_line" command.
struct MetaTag {
  TextString name;
  TextString content;
};

// The ordered text commands of one conversion context.
class TextCommandList {
 public:
  // Parses a "Text command" line. A valid command is appended (after those already there),
  // `commandsSet` is raised and 1 is returned; otherwise nothing is kept and 0 is returned.
  // Every fault is reported through `report` (level 10; an empty function reports nothing)
  // with its own message, followed by "POLICY: text command not processed \"...\"" naming
  // the rest of the line after the command word. A line whose text before the first colon
  // does not contain "Text command" (any case) gives "POLICY: This is not a text command",
  // an unknown command word "POLICY: Unknown text command \"word\"", and nothing more.
  // Text left over besides the command's parts (a further word or quoted text anywhere)
  // makes the line not processed, and it is not kept.
  int AddTextCommand(const TextString& line, const MessageFunction& report);

  // Applies every command, in list order, each to the result of the one before. Only
  // "remove_text" and "replace_text" change `text`. The line-marking commands look for their
  // match in the text without its leading and trailing blanks and, on a match, set
  // record->ignore ("ignore_line") or record->lineType ("treat_line"), or append a META tag
  // to `metaTags` ("meta_tag_line": the whole text as content, or, with remove_match_text,
  // the text without the occurrence that matched, trimmed). A null record takes no marks; a
  // null `metaTags` collects nothing. Marks are only ever set, never cleared.
  //
  // Phrases are matched inside the text without its leading and trailing blanks, and only
  // where no ASCII letter stands just before or after them (digits and punctuation do not
  // count). Removing and replacing work left to right in one pass; text just written is
  // never searched again, but the letter test for the next occurrence sees it.
  void ApplyTextCommands(LineRecord* record, std::vector<MetaTag>* metaTags,
                         TextString& text) const;

  // When the list is not empty, writes an empty line, "[Text commands]", an empty line and
  // the written line of every command (TextCommand::WrittenLine). Returns 0 when a line
  // could not be written, else 1.
  int WriteTextCommands(ASCIIFile& file) const;

  // Empties the list and lowers `commandsSet`.
  void Clear();
  // Makes this list a copy of `other`: its commands and its `commandsSet`.
  void CopyFrom(const TextCommandList& other);
  // When `source.commandsSet` is up, this list becomes a copy of the source's commands and,
  // with markSet, its own `commandsSet` is raised; otherwise nothing changes.
  void TakeOver(const TextCommandList& source, bool markSet);

  const std::vector<TextCommand>& Commands() const { return commands_; }
  bool IsEmpty() const { return commands_.empty(); }

  // Raised when a policy file added a command to this list (AddTextCommand does it), so
  // that a take-over passes the list on.
  bool commandsSet = false;

 private:
  std::vector<TextCommand> commands_;
};

// Lets a LineSource apply a context's text commands to every line it delivers. The marks of
// the line-marking commands are dropped and no META tags are collected: the de-tagging
// conversions read neither.
class TextCommandFilter : public LineFilter {
 public:
  // The list is not owned and must outlive the filter.
  explicit TextCommandFilter(const TextCommandList& commands) : commands_(commands) {}
  void Apply(TextString& line) override;

 private:
  const TextCommandList& commands_;
};

}  // namespace quorlex
