#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "engine/PassState.h"
#include "foundation/LineBuffer.h"
#include "foundation/RunFiles.h"
#include "foundation/TextString.h"
#include "policies/ConversionContext.h"
#include "textformat/TextFragments.h"

namespace quorlex {

// Converts one HTML file into one text or HTML file: reads the input line by line (text
// fragment definitions captured, other lines gathered into chunks of about 200,000
// characters for the first stage), runs the second stage on the whole text, lays the lines
// out with the line writer, adds the URL reference table, the footer and the header box
// (text mode), and writes the output whole or not at all.
class OutputPass {
 public:
  // The context supplies the policies and receives the messages; it must outlive the pass.
  explicit OutputPass(ConversionContext& context);

  // Converts `inputPath` to `outputPath`. With `memorySource` the input lines come from it
  // instead of the file; with `outputText` the output is appended to it instead of going to
  // a file, every line followed by a line feed (neither is owned). Returns 1 on success; 0
  // after reporting why (the input cannot be read or is larger than kMaxInputBytes once
  // decoded, the output would overwrite the input or another file of the run, the output
  // cannot be written). A failed pass leaves any earlier output as it was.
  int RunOutputPass(const TextString& inputPath, const TextString& outputPath,
                    const std::vector<TextString>* memorySource, std::string* outputText);

  // "May overwrite the input files": when set, the output may take the input's name and
  // replace it (the input has been read whole by then).
  void SetMayOverwrite(bool on) { mayOverwrite_ = on; }
  // The files of the run (not owned; null: none): the output is refused when it would
  // replace a file the run reads, other than this pass's own input when that may be
  // overwritten, or a file the run has written; a written output is recorded there.
  void SetRunFiles(RunFiles* files) { runFiles_ = files; }
  // Passes read their input from `stream` (standard input, not owned, not closed) instead
  // of the file named, until this is set back to null.
  void SetInputStream(std::FILE* stream) { inputStream_ = stream; }
  // What the header's TIMESTAMP prints (the current local date unless set).
  void SetDate(const FragmentDate& date) {
    date_ = date;
    hasDate_ = true;
  }

  // The first stage runs on a chunk of the input as soon as it holds more than this many
  // characters (200,000 unless set) and does not end inside a comment, script, style
  // sheet, head, template or svg element (OpenElementTracker). Tests and fuzzing set it
  // small to reach chunk boundaries with small documents.
  void SetChunkLength(int length) { chunkLength_ = length; }

  // The facts the last pass gathered about its document.
  const DocumentInfo& Info() const { return pass_.info; }
  const QuorlOptions& Options() const { return pass_.options; }

 private:
  int ReadInput(const TextString& inputPath, const std::vector<TextString>* memorySource,
                TextString& result);
  void LayOut(const TextString& result, LineBuffer& lines);
  // The URL table and the footer go at the end of `body`, the header into `header`.
  void AddReferencesAndFragments(LineBuffer& body, std::vector<TextString>& header);
  FragmentSettings Settings() const;
  void Error(const TextString& message);
  // Whether the header's title or an address of the URL table holds a character beyond
  // ASCII.
  bool TitleOrUrlsBeyondAscii() const;
  // Whether the run lets the output be written at `outputPath`; reports a refusal.
  int MayWrite(const TextString& outputPath, const TextString* ownInput);

  ConversionContext& context_;
  PassState pass_;
  TextFragmentStore fragments_;
  bool mayOverwrite_ = false;
  RunFiles* runFiles_ = nullptr;
  std::FILE* inputStream_ = nullptr;
  int chunkLength_ = 200000;
  FragmentDate date_;
  bool hasDate_ = false;
};

// Writes the size of an output of `lines` as the header shows it: the total with thousands
// separators and " bytes (approx)" ("12,345 bytes (approx)").
TextString OutputSizeText(const LineBuffer& lines);

}  // namespace quorlex
