#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "foundation/ASCIIFile.h"
#include "foundation/LineSource.h"
#include "policies/TextCommands.h"

namespace quorlex {
namespace {

using Command = TextCommand::Command;
using DataType = TextCommand::DataType;
using Position = TextCommand::Position;
using ReplaceMode = TextCommand::ReplaceMode;
using Lines = std::vector<std::string>;
using Tags = std::vector<std::pair<std::string, std::string>>;

constexpr const char* kNotProcessed = "POLICY: text command not processed ";

// A function that keeps every message it is given; each must come at level 10.
MessageFunction Collect(Lines& messages) {
  return [&messages](const char* message, int level) {
    messages.emplace_back(message);
    EXPECT_EQ(10, level) << message;
  };
}

// A list holding the given command lines, which must all be accepted silently.
TextCommandList ListOf(const std::vector<const char*>& lines) {
  TextCommandList list;
  Lines messages;
  for (const char* line : lines) EXPECT_EQ(1, list.AddTextCommand(line, Collect(messages)));
  EXPECT_EQ(Lines{}, messages);
  return list;
}

// What applying a list to one line gives.
struct Applied {
  std::string text;
  LineRecord record;
  Tags metaTags;
};

Applied Apply(const TextCommandList& list, const char* line) {
  TextString text(line);
  Applied applied;
  std::vector<MetaTag> metaTags;
  list.ApplyTextCommands(&applied.record, &metaTags, text);
  applied.text = text.View();
  for (const MetaTag& tag : metaTags) {
    applied.metaTags.emplace_back(tag.name.View(), tag.content.View());
  }
  return applied;
}

Lines WrittenLines(const TextCommandList& list) {
  Lines lines;
  for (const TextCommand& command : list.Commands())
    lines.emplace_back(command.WrittenLine().View());
  return lines;
}

TEST(TextCommandParse, AcceptsEveryCommandForm) {
  static const struct {
    const char* name;
    const char* line;
    Command command;
    DataType dataType;
    Position position;
    const char* match;
    const char* metaName;
    bool removeMatch;
    ReplaceMode replaceMode;
    const char* replacement;
    LineRecord::LineType lineType;
  } kCases[] = {
      {"ignore_line", "Text command : ignore_line starting_with exact_string \"Page\"",
       Command::kIgnoreLine, DataType::kExactString, Position::kStartingWith, "Page", "", false,
       ReplaceMode::kNone, "", LineRecord::kNone},
      {"treat_line heading", "Text command : treat_line containing phrase \"Chapter\" as_Heading_2",
       Command::kTreatLine, DataType::kPhrase, Position::kContaining, "Chapter", "", false,
       ReplaceMode::kNone, "", LineRecord::kHeading2},
      {"treat_line capital letter bullet",
       "Text command : treat_line starting_with string \"(A)\" AS_CAPALPHA_BULLET",
       Command::kTreatLine, DataType::kString, Position::kStartingWith, "(A)", "", false,
       ReplaceMode::kNone, "", LineRecord::kCapitalAlphaBullet},
      {"meta_tag_line removing the match",
       "Text command : meta_tag_line \"author\" containing exact_phrase \"By:\" remove_match_text",
       Command::kMetaTagLine, DataType::kExactPhrase, Position::kContaining, "By:", "author", true,
       ReplaceMode::kNone, "", LineRecord::kNone},
      {"remove_text", "Text command : remove_text wildcard \"a*b\"", Command::kRemoveText,
       DataType::kWildcard, Position::kNone, "a*b", "", false, ReplaceMode::kNone, "",
       LineRecord::kNone},
      {"replace_text by_character",
       "Text command : replace_text exact_string \"red\" by_character \"x\"", Command::kReplaceText,
       DataType::kExactString, Position::kNone, "red", "", false, ReplaceMode::kByCharacter, "x",
       LineRecord::kNone},
      {"keywords in any case", "TEXT COMMAND : REPLACE_TEXT String \"colour\" BY_STRING \"color\"",
       Command::kReplaceText, DataType::kString, Position::kNone, "colour", "", false,
       ReplaceMode::kByString, "color", LineRecord::kNone},
      {"string match loses its blanks", "Text command : remove_text string \" cat \"",
       Command::kRemoveText, DataType::kString, Position::kNone, "cat", "", false,
       ReplaceMode::kNone, "", LineRecord::kNone},
      {"exact_phrase match loses its blanks", "Text command : remove_text exact_phrase \" cat \"",
       Command::kRemoveText, DataType::kExactPhrase, Position::kNone, "cat", "", false,
       ReplaceMode::kNone, "", LineRecord::kNone},
      {"phrase match keeps its blanks", "Text command : remove_text phrase \" cat \"",
       Command::kRemoveText, DataType::kPhrase, Position::kNone, " cat ", "", false,
       ReplaceMode::kNone, "", LineRecord::kNone},
      {"blank-only exact_string match", "Text command : remove_text exact_string \"  \"",
       Command::kRemoveText, DataType::kExactString, Position::kNone, "  ", "", false,
       ReplaceMode::kNone, "", LineRecord::kNone},
      {"blank replacement", "Text command : replace_text exact_string \"_\" by_string \" \"",
       Command::kReplaceText, DataType::kExactString, Position::kNone, "_", "", false,
       ReplaceMode::kByString, " ", LineRecord::kNone},
      {"colon inside the match", "Text command : remove_text exact_string \"C:\\temp\"",
       Command::kRemoveText, DataType::kExactString, Position::kNone, "C:\\temp", "", false,
       ReplaceMode::kNone, "", LineRecord::kNone},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TextCommandList list;
    Lines messages;
    EXPECT_EQ(1, list.AddTextCommand(c.line, Collect(messages)));
    EXPECT_EQ(Lines{}, messages);
    EXPECT_TRUE(list.commandsSet);
    ASSERT_EQ(1u, list.Commands().size());
    // The line written back reads as the same command.
    EXPECT_EQ(1, list.AddTextCommand(list.Commands()[0].WrittenLine(), Collect(messages)));
    ASSERT_EQ(2u, list.Commands().size());
    for (const TextCommand& command : list.Commands()) {
      EXPECT_TRUE(command.valid);
      EXPECT_EQ(c.command, command.command);
      EXPECT_EQ(c.dataType, command.dataType);
      EXPECT_EQ(c.position, command.position);
      EXPECT_EQ(c.match, command.match.View());
      EXPECT_EQ(c.metaName, command.metaName.View());
      EXPECT_EQ(c.removeMatch, command.removeMatch);
      EXPECT_EQ(c.replaceMode, command.replaceMode);
      EXPECT_EQ(c.replacement, command.replacement.View());
      EXPECT_EQ(c.lineType, command.lineType);
    }
  }
}

TEST(TextCommandParse, RefusesFaultyLinesWithEveryMessage) {
  static const struct {
    const char* name;
    const char* line;
    Lines messages;
  } kCases[] = {
      {"another policy name",
       "Policy : remove_text string \"x\"",
       {"POLICY: This is not a text command"}},
      {"name after the colon",
       "Note: Text command remove_text string \"x\"",
       {"POLICY: This is not a text command"}},
      {"empty line", "", {"POLICY: This is not a text command"}},
      {"no colon", "Text command remove_text string \"x\"", {"POLICY: Unknown text command \"\""}},
      {"unknown command",
       "Text command : delete_text string \"x\"",
       {"POLICY: Unknown text command \"delete_text\""}},
      {"unknown data type",
       "Text command : remove_text strings \"x\"",
       {"POLICY: Unknown text data type \"strings\"",
        std::string(kNotProcessed) + "\"strings \"x\"\""}},
      {"blank match for string",
       "Text command : remove_text string \"  \"",
       {"POLICY: No Match expression supplied", std::string(kNotProcessed) + "\"string \"  \"\""}},
      {"no match at all",
       "Text command : remove_text exact_string",
       {"POLICY: No Match expression supplied", std::string(kNotProcessed) + "\"exact_string\""}},
      {"unknown replace mode",
       "Text command : replace_text string \"a\" by_word \"b\"",
       {"POLICY: Unknown text data type \"by_word\"",
        std::string(kNotProcessed) + "\"string \"a\" by_word \"b\"\""}},
      {"empty replacement",
       "Text command : replace_text string \"a\" by_string \"\"",
       {"POLICY: No replacement text supplied",
        std::string(kNotProcessed) + "\"string \"a\" by_string \"\"\""}},
      {"empty META name",
       "Text command : meta_tag_line \"\" containing string \"By:\"",
       {"POLICY: No META tag name supplied",
        std::string(kNotProcessed) + "\"\"\" containing string \"By:\"\""}},
      {"unknown position",
       "Text command : ignore_line ending_with string \"x\"",
       {"POLICY: Text command error.  Unexpected keyword \"ending_with\"",
        std::string(kNotProcessed) + "\"ending_with string \"x\"\""}},
      {"unknown line type",
       "Text command : treat_line containing string \"x\" as_Heading_7",
       {"POLICY: text command - unknown line type \"containing string \"x\" as_Heading_7\"",
        std::string(kNotProcessed) + "\"containing string \"x\" as_Heading_7\""}},
      {"unknown keyword after the META match",
       "Text command : meta_tag_line \"a\" containing string \"x\" remove_match",
       {"POLICY: Text command error.  Unexpected keyword \"remove_match\"",
        std::string(kNotProcessed) + "\"\"a\" containing string \"x\" remove_match\""}},
      {"word after the match",
       "Text command : remove_text string \"x\" extra",
       {std::string(kNotProcessed) + "\"string \"x\" extra\""}},
      {"quoted text after the replacement",
       "Text command : replace_text string \"x\" by_string \"y\" \"z\"",
       {std::string(kNotProcessed) + "\"string \"x\" by_string \"y\" \"z\"\""}},
      {"second word after the line type",
       "Text command : treat_line containing string \"x\" as_bullet more",
       {std::string(kNotProcessed) + "\"containing string \"x\" as_bullet more\""}},
      {"third word before the match",
       "Text command : ignore_line containing string extra \"x\"",
       {std::string(kNotProcessed) + "\"containing string extra \"x\"\""}},
      {"word before the META name",
       "Text command : meta_tag_line m \"a\" containing string \"x\"",
       {std::string(kNotProcessed) + "\"m \"a\" containing string \"x\"\""}},
      {"every fault of one line",
       "Text command : replace_text strings \"\" by_word \"\"",
       {"POLICY: Unknown text data type \"strings\"", "POLICY: No Match expression supplied",
        "POLICY: Unknown text data type \"by_word\"", "POLICY: No replacement text supplied",
        std::string(kNotProcessed) + "\"strings \"\" by_word \"\"\""}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TextCommandList list;
    Lines messages;
    EXPECT_EQ(0, list.AddTextCommand(c.line, Collect(messages)));
    EXPECT_EQ(c.messages, messages);
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_FALSE(list.commandsSet);
    EXPECT_EQ(0, list.AddTextCommand(c.line, MessageFunction{}));  // nowhere to report
  }
}

// Every command with every data type: the edits on "Cat scatter cat", the marks on
// "CAT Scatter", each with the match "cat".
TEST(TextCommandApply, EveryCommandWithEveryDataType) {
  static const struct {
    const char* dataType;
    const char* removed;   // remove_text
    const char* replaced;  // replace_text by_string "dog"
    int ignore;            // ignore_line containing
    bool treated;          // treat_line containing ... as_bullet
    const char* metaTag;   // meta_tag_line containing ... remove_match_text; null: none
  } kCases[] = {
      {"exact_string", "Cat ster ", "Cat sdogter dog", 1, true, "CAT Ster"},
      {"string", " ster ", "dog sdogter dog", 1, true, "Scatter"},
      {"wildcard", "Cat ster ", "Cat sdogter dog", 1, true, "CAT Ster"},
      {"exact_phrase", "Cat scatter ", "Cat scatter dog", 0, false, nullptr},
      {"phrase", " scatter ", "dog scatter dog", 1, true, "Scatter"},
  };
  constexpr const char* kEdited = "Cat scatter cat";
  constexpr const char* kMarked = "CAT Scatter";
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.dataType);
    const std::string type(c.dataType);
    const auto apply = [](const std::string& line, const char* input) {
      return Apply(ListOf({line.c_str()}), input);
    };
    EXPECT_EQ(c.removed, apply("Text command : remove_text " + type + " \"cat\"", kEdited).text);
    EXPECT_EQ(
        c.replaced,
        apply("Text command : replace_text " + type + " \"cat\" by_string \"dog\"", kEdited).text);
    const Applied ignored =
        apply("Text command : ignore_line containing " + type + " \"cat\"", kMarked);
    EXPECT_EQ(c.ignore, ignored.record.ignore);
    EXPECT_EQ(kMarked, ignored.text);
    const Applied treated =
        apply("Text command : treat_line containing " + type + " \"cat\" as_bullet", kMarked);
    EXPECT_EQ(c.treated ? LineRecord::kBullet : LineRecord::kNone, treated.record.lineType);
    EXPECT_EQ(kMarked, treated.text);
    const Applied tagged = apply(
        "Text command : meta_tag_line \"k\" containing " + type + " \"cat\" remove_match_text",
        kMarked);
    const Tags metaTags = c.metaTag == nullptr ? Tags{} : Tags{{"k", c.metaTag}};
    EXPECT_EQ(metaTags, tagged.metaTags);
    EXPECT_EQ(kMarked, tagged.text);
  }
}

TEST(TextCommandApply, ChangesTextCommandByCommandInListOrder) {
  static const struct {
    const char* name;
    std::vector<const char*> lines;
    const char* input;
    const char* text;
  } kCases[] = {
      {"colour in any case",
       {"Text command : replace_text string \"colour\" by_string \"color\""},
       "Colour and COLOUR",
       "color and color"},
      {"phrase inside a word stays",
       {"Text command : remove_text exact_phrase \"the\""},
       "the theme of the day",
       " theme of  day"},
      {"by_character keeps the length",
       {"Text command : replace_text exact_string \"red\" by_character \"x\""},
       "a red ball",
       "a xxx ball"},
      {"each command sees the one before",
       {"Text command : replace_text string \"colour\" by_string \"color\"",
        "Text command : replace_text exact_string \"color\" by_string \"hue\""},
       "Colour",
       "hue"},
      {"wildcard is literal text",
       {"Text command : remove_text wildcard \"a*b\""},
       "a*b axxb A*B",
       " axxb A*B"},
      {"replacement is not searched again",
       {"Text command : replace_text string \"a\" by_string \"aa\""},
       "aA",
       "aaaa"},
      {"string types work on the blanks too",
       {"Text command : replace_text exact_string \"  \" by_string \"_\""},
       "  a  ",
       "_a_"},
      {"no occurrence", {"Text command : remove_text phrase \"dog\""}, "hot dogs", "hot dogs"},
      {"string by_character",
       {"Text command : replace_text string \"cat\" by_character \"#\""},
       "Cat scatter cat",
       "### s###ter ###"},
      {"phrase by_character",
       {"Text command : replace_text phrase \"cat\" by_character \"#\""},
       "Cat scatter cat",
       "### scatter ###"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.text, Apply(ListOf(c.lines), c.input).text);
  }
}

TEST(TextCommandApply, PhraseNeedsNoLetterBeforeOrAfter) {
  static const struct {
    const char* name;
    const char* line;
    const char* input;
    const char* text;
  } kCases[] = {
      {"whole line", "Text command : remove_text exact_phrase \"the\"", "the", ""},
      {"line start", "Text command : remove_text exact_phrase \"the\"", "the end", " end"},
      {"line end", "Text command : remove_text exact_phrase \"the\"", "see the", "see "},
      {"punctuation around", "Text command : remove_text exact_phrase \"the\"", "(the).", "()."},
      {"digits are no letters", "Text command : remove_text exact_phrase \"the\"", "the2nd", "2nd"},
      {"letter before", "Text command : remove_text exact_phrase \"the\"", "bathe", "bathe"},
      {"letter after", "Text command : remove_text exact_phrase \"the\"", "theme", "theme"},
      {"blanks around the line", "Text command : remove_text exact_phrase \"the\"", " \tthe\t ",
       " \t\t "},
      {"leading blanks and a skipped occurrence", "Text command : remove_text exact_phrase \"the\"",
       "    xthe the", "    xthe "},
      {"one after another", "Text command : remove_text exact_phrase \"ab\"", "ab ab,ab", " ,"},
      {"case ignored", "Text command : remove_text phrase \"THE\"", "The end, THE", " end, "},
      {"replacement letter meets the next one",
       "Text command : replace_text exact_phrase \"1\" by_string \"a\"", "11", "a1"},
      {"replacement without a letter frees the next one",
       "Text command : replace_text exact_phrase \"-a\" by_string \"1\"", "-a-a", "11"},
      {"by_character goes on after the match",
       "Text command : replace_text phrase \"ab\" by_character \"c\"", "ab AB", "cc cc"},
      {"longer replacement", "Text command : replace_text exact_phrase \"a\" by_string \"an\"",
       "a a b", "an an b"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.text, Apply(ListOf({c.line}), c.input).text);
  }
}

TEST(TextCommandApply, MarksLinesStartingWithOrContainingTheMatch) {
  static const struct {
    const char* name;
    const char* line;
    const char* input;
    int ignore;
  } kCases[] = {
      {"starts after blanks", "Text command : ignore_line starting_with string \"cat\"",
       "  \tCat food", 1},
      {"starts later", "Text command : ignore_line starting_with string \"cat\"", "a cat", 0},
      {"contains", "Text command : ignore_line containing string \"cat\"", "a cat", 1},
      {"starts with exact case only",
       "Text command : ignore_line starting_with exact_string \"cat\"", "Cat", 0},
      {"match longer than the line", "Text command : ignore_line starting_with string \"cats\"",
       "cat", 0},
      {"phrase at the start is part of a word",
       "Text command : ignore_line starting_with phrase \"cat\"", "catalogue cat", 0},
      {"phrase at the start", "Text command : ignore_line starting_with phrase \"cat\"", "cat, dog",
       1},
      {"phrase found after a skipped one", "Text command : ignore_line containing phrase \"cat\"",
       "catalogue cat", 1},
      {"phrase only inside words", "Text command : ignore_line containing exact_phrase \"cat\"",
       "catalogue scat", 0},
      {"match reaching into trailing blanks",
       "Text command : ignore_line containing exact_string \"cat \"", "a cat ", 0},
      {"empty line", "Text command : ignore_line containing string \"cat\"", "", 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const Applied applied = Apply(ListOf({c.line}), c.input);
    EXPECT_EQ(c.ignore, applied.record.ignore);
    EXPECT_EQ(c.input, applied.text);
  }
}

TEST(TextCommandApply, RecordsMetaTagsFromMatchingLines) {
  static const struct {
    const char* name;
    std::vector<const char*> lines;
    const char* input;
    Tags metaTags;
  } kCases[] = {
      {"whole line as content",
       {"Text command : meta_tag_line \"author\" containing string \"By:\""},
       "  By: Ann  ",
       {{"author", "  By: Ann  "}}},
      {"match removed and trimmed",
       {"Text command : meta_tag_line \"author\" starting_with string \"By:\" remove_match_text"},
       "  By: Ann  ",
       {{"author", "Ann"}}},
      {"removes the occurrence that matched, in its own case",
       {"Text command : meta_tag_line \"author\" containing string \"by:\" remove_match_text"},
       "Written BY: Ann",
       {{"author", "Written  Ann"}}},
      {"removes the phrase, not a word holding it",
       {"Text command : meta_tag_line \"topic\" containing exact_phrase \"cat\" "
        "remove_match_text"},
       "concat: cat food",
       {{"topic", "concat:  food"}}},
      {"no match",
       {"Text command : meta_tag_line \"author\" starting_with string \"By:\""},
       "Hello By:",
       {}},
      {"one tag per matching command",
       {"Text command : meta_tag_line \"a\" containing string \"x\"",
        "Text command : meta_tag_line \"b\" containing string \"y\"",
        "Text command : meta_tag_line \"c\" containing string \"x\""},
       "x",
       {{"a", "x"}, {"c", "x"}}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const Applied applied = Apply(ListOf(c.lines), c.input);
    EXPECT_EQ(c.metaTags, applied.metaTags);
    EXPECT_EQ(c.input, applied.text);
  }
}

TEST(TextCommandApply, EditsOneLongLineInOnePass) {
  // A minified page: one line of a few megabytes with an occurrence every few characters.
  // Shifting the rest of the line once per occurrence would take hours.
  constexpr int kRepeats = 400000;
  std::string input;
  std::string removed;
  std::string replaced;
  for (int i = 0; i < kRepeats; ++i) {
    input += "<b>the ";
    removed += "<b> ";
    replaced += "<b>that ";
  }
  const struct {
    const char* name;
    const char* line;
    const std::string* expected;
  } kCases[] = {
      {"phrase removed", "Text command : remove_text exact_phrase \"the\"", &removed},
      {"phrase replaced", "Text command : replace_text phrase \"the\" by_string \"that\"",
       &replaced},
      {"string replaced", "Text command : replace_text string \"the\" by_string \"that\"",
       &replaced},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(Apply(ListOf({c.line}), input.c_str()).text == *c.expected);
  }
}

TEST(TextCommandList, WritesTheSectionOnlyWhenThereAreCommands) {
  static const struct {
    const char* name;
    std::vector<const char*> lines;
    Lines written;
  } kCases[] = {
      {"no commands", {}, {}},
      {"two commands, a faulty one between",
       {"Text command : replace_text string \"colour\" by_string \"color\"",
        "Text command : remove_text strings \"x\"", "Text command :  remove_text  phrase \"x\""},
       {"", "[Text commands]", "",
        "Text command : replace_text string \"colour\" by_string \"color\"",
        "Text command : remove_text phrase \"x\""}},
      {"built from the parts, never the line read",
       {"ssh-ed25519 AAAA Text command : remove_text string \"zzzq\"",
        "TEXT COMMAND: META_TAG_LINE \"a\"   Containing Phrase \"b\" REMOVE_MATCH_TEXT",
        "Text command : treat_line starting_with exact_string \" x \" AS_HEADING_3"},
       {"", "[Text commands]", "", "Text command : remove_text string \"zzzq\"",
        "Text command : meta_tag_line \"a\" containing phrase \"b\" remove_match_text",
        "Text command : treat_line starting_with exact_string \" x \" as_heading_3"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TextCommandList list;
    for (const char* line : c.lines) static_cast<void>(list.AddTextCommand(line, {}));
    std::vector<TextString> sink;
    ASCIIFile file;
    file.SetSinkList(&sink);
    ASSERT_EQ(1, file.OpenWrite("commands.pol", ASCIIFile::Target::kFile, ASCIIFile::Mode::kText));
    EXPECT_EQ(1, list.WriteTextCommands(file));
    Lines written;
    for (const TextString& line : sink) written.emplace_back(line.View());
    EXPECT_EQ(c.written, written);
  }
}

TEST(TextCommandList, ClearsAndCopies) {
  TextCommandList list = ListOf({"Text command : remove_text string \"a\""});
  TextCommandList copy;
  copy.CopyFrom(list);
  EXPECT_EQ(WrittenLines(list), WrittenLines(copy));
  EXPECT_TRUE(copy.commandsSet);
  EXPECT_EQ("b", Apply(copy, "ab").text);

  list.Clear();
  EXPECT_TRUE(list.IsEmpty());
  EXPECT_FALSE(list.commandsSet);
  EXPECT_EQ("ab", Apply(list, "ab").text);
  EXPECT_EQ(1u, copy.Commands().size());  // the copy stands alone

  copy.CopyFrom(list);
  EXPECT_TRUE(copy.IsEmpty());
  EXPECT_FALSE(copy.commandsSet);
}

TEST(TextCommandList, TakesOverOnlyCommandsThatWereSet) {
  static constexpr const char* kOwn = "Text command : remove_text string \"own\"";
  static constexpr const char* kTheirs = "Text command : remove_text string \"theirs\"";
  static const struct {
    const char* name;
    bool sourceHasCommands;
    bool sourceCleared;
    bool markSet;
    Lines lines;
    bool commandsSet;
  } kCases[] = {
      {"source never set", false, false, true, {kOwn}, false},
      {"source cleared", true, true, true, {kOwn}, false},
      {"source set, not marking", true, false, false, {kTheirs}, false},
      {"source set, marking", true, false, true, {kTheirs}, true},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TextCommandList source;
    if (c.sourceHasCommands) source = ListOf({kTheirs});
    if (c.sourceCleared) source.Clear();
    TextCommandList target = ListOf({kOwn});
    target.commandsSet = false;  // as a context that has not read these from a policy file
    target.TakeOver(source, c.markSet);
    EXPECT_EQ(c.lines, WrittenLines(target));
    EXPECT_EQ(c.commandsSet, target.commandsSet);
  }
}

TEST(TextCommandFilter, AppliesTheListToEveryLineALineSourceDelivers) {
  const TextCommandList list = ListOf({
      "Text command : replace_text string \"colour\" by_string \"color\"",
      "Text command : ignore_line containing string \"ignore\"",
      "Text command : meta_tag_line \"m\" containing string \"the\" remove_match_text",
      "Text command : remove_text exact_phrase \"the\"",
  });
  const std::vector<TextString> input = {"Colour here", "ignore me", "the end", ""};
  ASCIIFile file;
  file.SetSourceList(&input);
  TextCommandFilter filter(list);
  LineSource source(file, &filter, {});
  Lines delivered;
  TextString line;
  while (source.NextLine(line)) delivered.emplace_back(line.View());
  EXPECT_EQ((Lines{"color here", "ignore me", " end", ""}), delivered);
}

}  // namespace
}  // namespace quorlex
