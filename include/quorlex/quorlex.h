#pragma once

// Quorlex as a library: converts HTML held in memory into plain text laid out for reading
// (ToText), or into HTML with the chosen markup removed (RemoveMarkup), under the same
// policies as the console program quorlexrun.
//
//   quorlex::Converter converter =
//       quorlex::Converter::FromPolicies({{"Target Page width", "60"}});
//   if (!converter) ... converter.errors() says which policy was wrong ...
//   quorlex::Result result = converter.ToText(html);
//   if (result) std::cout << result.text;
//
// A converter is made once from policies (a policy file, its text, or name/value pairs) and
// used as often as needed, from as many threads as wanted: it never changes after it is
// made, and copies share it. Each conversion depends only on the document and the policies.
//
// The library never writes a file and never prints. The general policies about files and
// the screen ("Output policy file", "Output policy filename", "Output directory", "Create
// a log file", "Output log filename", "Display messages", "Error reporting level") have no
// effect here; include files named by policies are read. A conversion returns its messages
// instead, every one whose category the "Suppress ... messages" policies do not suppress,
// whatever its level (the caller filters by level); progress lines are not returned.

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#if defined(__GNUC__)
#define QUORLEX_API __attribute__((visibility("default")))
#else
#define QUORLEX_API
#endif

namespace quorlex {

// A message of a conversion or of reading the policies, as quorlexrun writes it
// ("ERROR: ...", "WARNING: ...", "POLICY: ..."). Levels run from 1 to 10; 10 is the usual
// one, lower levels are chattier.
struct Message {
  int level = 10;
  std::string text;
};

// How the bytes of a document are read.
enum class Input {
  // As quorlexrun reads a file: a byte-order mark decides (UTF-8, UTF-16), else the charset
  // the document declares, else UTF-8.
  kBytes,
  // As UTF-8, whatever the document declares (text a program already holds decoded). With
  // the policy "Output character set : 8-bit" the bytes are kept as they are either way.
  kUtf8,
};

// What one conversion gives.
struct Result {
  // The output: text (every line ends with a line feed) or HTML. Empty on failure.
  std::string text;
  // What the conversion reported, in order.
  std::vector<Message> messages;
  // False when the conversion failed; the messages say why.
  bool ok = false;

  explicit operator bool() const { return ok; }
};

// What a converter does besides what the policies say.
struct Options {
  // Whether text output opens with the header box of quorlexrun (title, file name, size,
  // today's date). Off by default, so that the output depends only on the document and the
  // policies; when on, the document is named as quorlexrun names standard input ("stdin").
  bool headerBox = false;
};

// The file names a header box shows for one document (see Options::headerBox), as
// quorlexrun shows the files it converts: the last part of each path ("page.htm",
// "page.txt"); a folder in front is left out.
struct DocumentNames {
  std::string input;
  std::string output;
};

// Converts documents under one set of policies. Immutable once made; every operation may be
// called from many threads at once, on one converter or on copies of it, which share its
// state. Converting reuses the engine's working state between calls.
class QUORLEX_API Converter {
 public:
  // The default policies, as quorlexrun uses them without a policy file.
  Converter();

  // The policies of a policy file's text, read as quorlexrun reads a policy file (include
  // files are looked for in the current folder).
  static Converter FromPolicyText(std::string_view policyFileText, Options options = {});
  // The policies of the policy file at `path`, with its include files.
  static Converter FromPolicyFile(const std::string& path, Options options = {});
  // The default policies with these set, each by its name and value as a policy file
  // writes them: {{"Target Page width", "60"}, {"Attempt to parse tables", "No"}}.
  static Converter FromPolicies(const std::vector<std::pair<std::string, std::string>>& nameValue,
                                Options options = {});

  // False when reading the policies reported anything (an unknown name, a value refused or
  // put within its range, a repeated policy, a policy file or include file that cannot be
  // read); errors() then says what. Such a converter converts nothing: every conversion
  // fails with these messages.
  bool ok() const;
  explicit operator bool() const { return ok(); }
  // What reading the policies reported, in order; empty when ok().
  const std::vector<Message>& errors() const;
  // What quorlexrun writes under these policies: text ("Remove all tags : Yes", the
  // default), or HTML with the chosen markup removed (false). ToText and RemoveMarkup
  // convert as they say whatever this is; a program that converts files as quorlexrun does
  // asks it which of the two to call.
  bool WritesText() const;

  // Converts `html` into text laid out for reading, whatever "Remove all tags" says.
  Result ToText(std::string_view html, Input input = Input::kBytes) const;
  // As ToText above, with the header box (when Options::headerBox asks for one) naming the
  // document and its output `names` instead of standard input, so that the text equals the
  // file quorlexrun writes for those files (on the same day, as the box shows the date).
  Result ToText(std::string_view html, Input input, const DocumentNames& names) const;
  // Removes the markup the policies choose from `html`, keeping HTML, whatever "Remove all
  // tags" says.
  Result RemoveMarkup(std::string_view html, Input input = Input::kBytes) const;

 private:
  struct Impl;
  explicit Converter(std::shared_ptr<const Impl> impl);

  std::shared_ptr<const Impl> impl_;
};

// The version of the library ("0.1.0").
QUORLEX_API const char* Version();

}  // namespace quorlex
