#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "engine/PassState.h"
#include "foundation/ASCIIFile.h"
#include "foundation/LineBuffer.h"
#include "foundation/RunFiles.h"
#include "foundation/TextString.h"
#include "policies/ConversionContext.h"
#include "textformat/TextFragments.h"

namespace quorlex {

class LineSource;

// What one output pass tells its caller.
struct PassResult {
  // 1 when the input was converted and its output written; 0 after the pass reported why
  // not (the other fields still say what it learned before it stopped).
  int converted = 0;
  // The file the output went to; empty when it went to the caller's text, or on failure.
  TextString outputFile;
  // The folders of the input path and of the output path, as SplitPath gives them ("docs/"
  // for "docs/a.htm", empty for a bare name).
  TextString inputFolder;
  TextString outputFolder;
  // The output holds characters beyond ASCII written as UTF-8; a text output then starts
  // with the UTF-8 mark when "Unicode marker" is set.
  bool unicodeText = false;
};

// The part of a pass that needs only the input, the policies and the file names: the
// document read, converted and laid out, and what the pass reported meanwhile, in two
// parts, for the output file is opened (and announced) between them. Made on another
// thread, it lets a run convert files ahead while it writes them in order.
struct PreparedDocument {
  // 0 when the input could not be read or was too large (`reading` says why).
  int read = 0;
  bool unicodeText = false;
  MessageRecord reading;    // while reading and converting
  MessageRecord layingOut;  // while laying out and adding the URL table and fragments
  TextString converted;     // the text converted, until it is laid out
  std::vector<TextString> header;
  LineBuffer body;
};

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
  // a file, every line followed by a line feed (neither is owned). The result is converted
  // on success; not converted after the pass reported why (the input cannot be read or is
  // larger than kMaxInputBytes once decoded, the output would overwrite the input or
  // another file of the run, the output cannot be written). A failed pass leaves any
  // earlier output as it was.
  //
  // With `prepared` (made by Prepare for the same input, output and policies) the pass
  // takes the document from it and reports what was recorded there at the points where it
  // would have reported it, so the run sees what converting the file here would have shown.
  [[nodiscard]] PassResult RunOutputPass(const TextString& inputPath, const TextString& outputPath,
                                         const std::vector<TextString>* memorySource,
                                         std::string* outputText,
                                         PreparedDocument* prepared = nullptr);
  // Reads, converts and lays out the file at `inputPath` for an output at `outputPath`,
  // recording what it reports instead of reporting it. Writes nothing.
  [[nodiscard]] PreparedDocument Prepare(const TextString& inputPath, const TextString& outputPath);

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

  // Whether a text output opens with the header box (TEXT_HEADER); on unless turned off.
  // A document held in memory has no file name or date for it to show.
  void SetHeaderBox(bool on) { headerBox_ = on; }

  // The first stage runs on a chunk of the input as soon as it holds more than this many
  // characters (200,000 unless set) and does not end inside a comment, script, style
  // sheet, head, template or svg element (OpenElementTracker). Tests and fuzzing set it
  // small to reach chunk boundaries with small documents.
  void SetChunkLength(int length) { chunkLength_ = length; }

  // The facts the last pass gathered about its document.
  const DocumentInfo& Info() const { return pass_.info; }
  const QuorlOptions& Options() const { return pass_.options; }

 private:
  // Where the output goes: the file, or the caller's text when that is set.
  struct OutputTarget {
    ASCIIFile* file = nullptr;
    std::string* text = nullptr;
  };

  // The pass state cleared, the options taken from the policies, the messages routed.
  void StartPass();
  // The file names the header shows, and the folders of the result.
  void NameFiles(const TextString& inputPath, const TextString& outputPath, PassResult& result);
  // The output never replaces the input read from a file (unless the user allows it), nor
  // any other file the run reads or has written. Reports a refusal.
  int OutputMayTakeName(const TextString& inputPath, const TextString& outputPath, bool fromFile,
                        const TextString* ownInput);
  // Reads the input, runs the first stage per chunk and the second stage on the whole text
  // into document.converted, and notes whether the output will hold text beyond ASCII.
  // Leaves document.read 0 after reporting why the input was not read.
  void Convert(const TextString& inputPath, const std::vector<TextString>* memorySource,
               PreparedDocument& document);
  // Lays out the converted text into the body and adds the URL table, the footer and the
  // header box.
  void LayOutDocument(PreparedDocument& document);
  // Says which file the output goes to (when `toFile`) and whether a Unicode text file
  // starts with the UTF-8 mark ("Unicode marker"). Returns whether it does.
  bool AnnounceOutput(const TextString& outputPath, bool toFile, bool unicodeText);
  // Writes the UTF-8 mark (with `mark`), the header and the body. Returns false when the
  // file refused a write.
  bool WriteOutput(const std::vector<TextString>& header, const LineBuffer& body, bool mark,
                   const OutputTarget& target);
  // The written file takes its name, or is dropped with the reason reported. The output is
  // written whole or not at all.
  int CommitOutput(ASCIIFile& out, const TextString& outputPath, const TextString* ownInput,
                   bool written);
  // Reads the input in chunks through the first stage into `result`, taking the text
  // fragment definitions out of it. Returns 0 with the reason reported when the input does
  // not open or is too large.
  int ReadInput(const TextString& inputPath, const std::vector<TextString>* memorySource,
                TextString& result);
  // Opens the input: the lines of `memorySource`, the input stream, or the file at
  // `inputPath`. Returns 0 with the reason reported when the file does not open.
  int OpenInput(ASCIIFile& file, const TextString& inputPath,
                const std::vector<TextString>* memorySource);
  // Queues the definitions of the built-in header and footer ahead of the document.
  void QueueBuiltInFragments(LineSource& source) const;
  // Takes a line that begins, continues or ends a text fragment definition into the
  // fragment store (`capturing` says whether a definition is open); returns false for a
  // line of the document.
  bool TakeFragmentLine(TextString& line, bool& capturing);
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
  bool headerBox_ = true;
};

// Writes the size of an output of `lines` as the header shows it: the total with thousands
// separators and " bytes (approx)" ("12,345 bytes (approx)").
TextString OutputSizeText(const LineBuffer& lines);

}  // namespace quorlex
