#pragma once

#include <cstdio>
#include <span>

#include "control/RunSettings.h"
#include "foundation/RunLog.h"
#include "foundation/TextString.h"

namespace quorlex {

// The qualifiers of a command line ("/LOG=run.log", "/O=out/", "/?"): the table of every
// qualifier this code base recognises, the parser that fills a run's settings from one
// command line, and the help text.

// The character that begins a qualifier.
inline constexpr char kQualifierChar = '/';

// Every qualifier, in the order of the table. Those of the text-to-HTML analysis are
// recognised and stored in the run's settings, but not offered to the user.
enum class QualifierId {
  kQuestionMark,  // "/?", the other way of asking for help
  kHelp,
  kHtml,
  kLog,
  kOutput,
  kTocOut,
  kContents,
  kConsole,
  kCu,
  kCtxIn,
  kCtxOut,
  kDebug,
  kDos,
  kFrames,
  kIndex,
  kList,
  kLinks,
  kPolicy,
  kRtf,
  kRuleSet,
  kSimple,
  kSilent,
  kComma,
  kTable,
  kTabbed,
  kTags,
  kJobs,
};

// One qualifier. The full form is the slash and the upper-case name ("/LOG"); the short
// form keeps the slash and the first minLength letters of the name ("/LO"), and is the
// shortest abbreviation accepted. Offered qualifiers are listed in the help text, where
// the help text follows the full form (it begins with the value form, "[=filename]", and
// the blanks that line the descriptions up).
struct Qualifier {
  QualifierId id;
  const char* fullForm;
  int minLength;
  int offered;
  const char* helpText;

  TextString ShortForm() const;
  // The length of the short form, slash included.
  int ShortestLength() const { return minLength + 1; }
};

// The table of every qualifier, in QualifierId order. CONSOLE, HELP, JOBS, LOG, OUTPUT, POLICY
// and SILENT are offered; the others are not.
std::span<const Qualifier> QualifierTable();
// The table entry of `id`.
const Qualifier& QualifierOf(QualifierId id);

// Parses one command line into `run`. Messages go to `log` as run messages; the help text,
// when asked for, to `helpStream`. Returns 0 for a comment line ('!' or '#' first), else 1.
//
// Each recognised qualifier fills its setting and is taken out of the line; every
// qualifier is looked for once, so a repeated one stays behind. Words left with a slash
// in them are reported as unrecognised, ambiguous or repeated qualifiers and have no
// effect. Of the other words, one ending in ".pol" (any case) becomes run.policyFile and
// each of the rest is appended to run.fileSpecs. A null helpStream writes no help.
int ParseCommandLine(const TextString& line, RunSettings& run, RunLog& log,
                     std::FILE* helpStream = stdout);

// Looks for `qualifier` in `line` and takes it out. Returns 1 with `value` set to its
// trimmed value (empty when it has none) when it was found and taken out; returns 0 with
// `value` empty when it is absent or was typed wrongly.
//
// The full form is looked for first, ignoring case, then ever shorter beginnings of it
// down to the short form; the first place of the longest one found counts. A qualifier
// begins only at a slash that lies outside the value of another qualifier, so the value
// of "/O=out/logs/" is never taken for "/LOG". From there the qualifier's word runs to the
// next blank, tab, slash, '=' or end of line; after blanks and tabs, "=value" may follow:
// - '=' followed by a blank or tab is reported ("Missing value after ...") and gives no
//   value; the word after the blank stays in the line;
// - a double-quoted value runs to the next double quote; without one it runs to the end of
//   the line and is reported ("Missing end-quote ...");
// - any other value runs to the next blank, tab or end of line. Slashes belong to the
//   value here: they separate the folders of a path.
// When the word as typed is part of the full form ("/lo", "/Log" for "/LOG"), the text of
// the qualifier (word, '=' and value) is replaced by one blank. Otherwise the word is
// reported as "Illegal Qualifier : " and the word, and the line stays as it was.
int ExtractQualifier(TextString& line, RunLog& log, const Qualifier& qualifier, TextString& value);

// The help text, every line ending in a line feed.
TextString HelpText();

// The message that an extension is unfit for a kind of file and is changed: "Can't use
// \".txt\" for a log file.  Changing to \".log\"" (`what` is "a log file").
TextString ExtensionChangeMessage(const TextString& extension, const char* what,
                                  const char* newExtension);

}  // namespace quorlex
