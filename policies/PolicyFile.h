#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "foundation/ASCIIFile.h"
#include "foundation/TextString.h"
#include "policies/ConversionContext.h"

namespace quorlex {

// Parses one policy-file line into the context's policies. Returns 0 when a policy, a
// heading or a comment took the line and accepted it, 2 when a policy took it but refused
// its value, 1 when nothing took it; `category` receives the category of the taker (2 for a
// de-tagging heading, 0 for a general one). With reportRepeats, a policy given twice in the
// same read keeps its first value and says so.
int ParsePolicyLine(ConversionContext& context, const TextString& line, int reportRepeats,
                    int& category);

// Reads policy files into a context: policy lines wherever they stand (headings carry no
// meaning), comments, rule lines, text commands, the rule set line, and the keyword lines
// that switch to, include or name other files.
class PolicyFileReader {
 public:
  explicit PolicyFileReader(ConversionContext& context) : context_(context) {}

  // The folder of the document being converted: an include file that is not found beside
  // the policy file is tried there.
  void SetInputFolder(const TextString& folder) { inputFolder_ = folder; }

  // Reads the file at `path` with its includes. Returns 1 when every line was taken, 0 when
  // a line was ignored or a file it names could not be opened; `errorText` (may be null)
  // receives the last such message. A policy, include or switched-to file that is no
  // regular file, or larger than kMaxSettingsFileBytes, is refused (reported as
  // CheckSettingsFile says) and reading stops there: FileRefused() tells.
  int Read(const TextString& path, TextString* errorText);

  // Reads policy lines from `stream` (not owned, not closed) as Read reads a file called
  // `name`: its includes are looked for beside that name (in the current folder when it has
  // no folder). Returns as Read does.
  int ReadStream(std::FILE* stream, const TextString& name);

  // Whether the last Read stopped at a refused file.
  bool FileRefused() const { return refused_; }
  // The files the last Read read: the policy file, its includes and the files it switched
  // to.
  const std::vector<TextString>& FilesRead() const { return filesRead_; }
  // Whether the last Read looked for a file that was not beside its policy file, which the
  // input folder may hold: read for a document in another folder, the policy file may
  // give other policies.
  bool DependsOnInputFolder() const { return dependsOnInputFolder_; }

 private:
  // Forgets what the last read found.
  void StartRead();
  // Reads one file; `depth` counts the include files around it.
  void ReadFile(const TextString& path, int depth);
  // Reads the lines of `file`, open as `path`, and of the files it switches to.
  void ReadLines(ASCIIFile& file, const TextString& path, int depth);
  // Whether `path` is a file being read: one of the include files around the current line
  // or a file that switched to it. Including or switching to such a file would never end.
  bool BeingRead(const TextString& path) const;
  // A line that no policy took (or one refused): a keyword line, or an ignored line.
  void KeywordOrIgnored(const TextString& line, const TextString& folder, int depth,
                        TextString& switchTo);
  // Opens an auxiliary or include file: beside the policy file, else in the input folder.
  // Returns the name it could be opened under, or empty.
  TextString Locate(const TextString& name, const TextString& folder);
  void Fail(const TextString& message);
  // Opens `path` on `file` for reading within kMaxSettingsFileBytes and lists it as read.
  // Returns 0 when it cannot be opened, or is refused (reported; the read stops).
  int OpenToRead(ASCIIFile& file, const TextString& path);
  // Reports a refused file and stops the read.
  void Refuse(const TextString& refusal);

  ConversionContext& context_;
  TextString inputFolder_;
  TextString lastError_;
  std::vector<TextString> reading_;  // the files being read, outermost first
  std::vector<TextString> filesRead_;
  int allTaken_ = 1;
  bool refused_ = false;
  bool dependsOnInputFolder_ = false;
};

// Which policies of a section are written: every one, or only those set.
enum class Written { kSetOnly, kAll };

// Writes the policies in force: the six de-tagging sections (every policy with
// Written::kAll, else only the set ones, and no section without any), "[Mail Tidy]" (set ones
// only), the rule set when one was read, "[Messages]" when one of its policies is set, the general
// policies that are set, and the text commands last. Returns 0 when a write failed.
int WritePolicies(const ConversionContext& context, ASCIIFile& out, Written written);

// The text WritePolicies writes, every line followed by a line feed.
std::string PoliciesText(const ConversionContext& context, Written written);

// Writes the policies to the file at `path`, whole or not at all. Returns 1, or 0 with
// `errorText` saying why.
int WritePolicyFile(const ConversionContext& context, const TextString& path, Written written,
                    TextString& errorText);

// The name of the policy file written after converting `inputFile`: "Output policy
// filename" when it is set; otherwise the folder, base name and extension of the policy
// file named on the command line (`namedPolicyFile`), where it has them, else "Output
// directory" (or the input's folder), the input's base name and ".pol".
TextString GeneratedPolicyFileName(const ConversionContext& context, const TextString& inputFile,
                                   const TextString& namedPolicyFile);

}  // namespace quorlex
