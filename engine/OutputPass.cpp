#include "engine/OutputPass.h"

#include <string>

#include "engine/LineWriter.h"
#include "engine/OpenElementTracker.h"
#include "engine/PatternTable.h"
#include "engine/Phases.h"
#include "foundation/ASCIIFile.h"
#include "foundation/Charset.h"
#include "foundation/FileNames.h"
#include "foundation/LineSource.h"
#include "foundation/Utf8.h"
#include "policies/TextCommands.h"
#include "textformat/Markers.h"

namespace quorlex {
namespace {

// The size the header shows counts every line end as two bytes and this much for the
// header box itself.
constexpr long long kHeaderAllowance = 742;

bool StartsWithNoCase(const TextString& text, const char* prefix) {
  return text.StartsWith(prefix, LetterCase::kIgnored) != 0;
}

bool SameNameIgnoringCase(const TextString& a, const TextString& b) {
  return a.Length() == b.Length() && a.Equals(b.Data(), LetterCase::kIgnored, Blanks::kCount);
}

// A group of three digits, padded with zeros when `padded`.
void AppendGroup(TextString& text, long long group, bool padded) {
  if (padded && group < 100) text.AppendChar('0');
  if (padded && group < 10) text.AppendChar('0');
  text += static_cast<int>(group);
}

// Trims the blanks at both ends of a line; a line of nothing but blanks and no-break spaces
// (the spacer paragraphs of office mail) is empty.
void TrimBlanks(TextString& line) {
  line.Trim(TrimEnds::kBoth, " ");
  std::string_view rest = line.View();
  while (!rest.empty()) {
    if (rest.front() == ' ') {
      rest.remove_prefix(1);
    } else if (rest.starts_with(kNoBreakSpace)) {
      rest.remove_prefix(kNoBreakSpace.size());
    } else {
      return;
    }
  }
  line.Clear();
}

// Cuts the document into chunks and runs the first stage on each, appending what it makes
// of them to `result`. A chunk ends after the line that makes it longer than
// `chunkLength`, but only outside the elements the first stage removes whole.
class ChunkedFirstStage {
 public:
  ChunkedFirstStage(PassState& pass, const LineSource& source, int chunkLength, TextString& result)
      : pass_(pass), source_(source), chunkLength_(chunkLength), result_(result) {}

  // Adds a line of the document (taking its text).
  void Add(TextString& line) {
    openElements_.Feed(line.View());
    // A huge line (a minified page) becomes the chunk without a copy.
    if (chunk_.IsEmpty()) {
      chunk_.Swap(line);
    } else {
      chunk_ += line;
    }
    chunk_.AppendChar('\n');
    if (chunk_.Length() > chunkLength_ && !openElements_.Inside()) Process();
  }

  // Runs the first stage on what is left, and lets go of the buffers the first stage
  // worked in: on a one-line page each is as large as the page, and the second stage makes
  // its own.
  void Finish() {
    if (!chunk_.IsEmpty()) Process();
    chunk_ = TextString();
    pass_.spareBuffer = TextString();
  }

 private:
  void Process() {
    ++chunkNumber_;
    pass_.encoding.charset = source_.Charset().c_str();
    pass_.Status(("INFO: Processing chunk #" + TextString(chunkNumber_)).Data());
    RunFirstStage(chunkNumber_, pass_, chunk_);
    // The first chunk (all of a one-line page) becomes the result without a copy.
    if (result_.IsEmpty()) {
      result_.Swap(chunk_);
    } else {
      result_ += chunk_;
    }
    chunk_.Clear();
  }

  PassState& pass_;
  const LineSource& source_;
  const int chunkLength_;
  TextString& result_;
  TextString chunk_;
  OpenElementTracker openElements_;
  int chunkNumber_ = 0;
};

}  // namespace

TextString OutputSizeText(const LineBuffer& lines) {
  // Every line counts its length and two bytes for its end: the buffer holds one per line.
  const long long total =
      kHeaderAllowance + static_cast<long long>(lines.Text().size() + lines.Count());
  const long long millions = total / 1000000;
  const long long thousands = total / 1000 % 1000;
  const long long units = total % 1000;
  TextString text;
  if (millions > 0) {
    text += TextString(static_cast<int>(millions));
    text += ",";
  }
  if (millions > 0 || thousands > 0) {
    AppendGroup(text, thousands, millions > 0);
    text += ",";
  }
  AppendGroup(text, units, millions > 0 || thousands > 0);
  text += " bytes (approx)";
  return text;
}

OutputPass::OutputPass(ConversionContext& context) : context_(context) {}

void OutputPass::Error(const TextString& message) { context_.Message(message.Data(), 10); }

FragmentSettings OutputPass::Settings() const {
  FragmentSettings settings = MakeFragmentSettings(context_, pass_.info);
  if (hasDate_) settings.date = date_;
  return settings;
}

PassResult OutputPass::RunOutputPass(const TextString& inputPath, const TextString& outputPath,
                                     const std::vector<TextString>* memorySource,
                                     std::string* outputText, PreparedDocument* prepared) {
  StartPass();
  PassResult result;
  NameFiles(inputPath, outputPath, result);
  const bool toFile = outputText == nullptr;
  const bool fromFile = memorySource == nullptr && inputStream_ == nullptr;
  const TextString* ownInput = fromFile && mayOverwrite_ ? &inputPath : nullptr;
  if (toFile && !OutputMayTakeName(inputPath, outputPath, fromFile, ownInput)) return result;

  PreparedDocument convertedHere;
  PreparedDocument& document = prepared != nullptr ? *prepared : convertedHere;
  if (prepared != nullptr) {
    context_.Replay(document.reading);
  } else {
    Convert(inputPath, memorySource, document);
  }
  if (!document.read) return result;
  result.unicodeText = document.unicodeText;

  ASCIIFile out;
  if (toFile && !out.OpenWriteWhole(outputPath.Data(), ASCIIFile::Mode::kText)) {
    Error("ERROR: Error opening " + outputPath + " (" + out.ErrorText() + ")");
    return result;
  }
  const bool mark = AnnounceOutput(outputPath, toFile, result.unicodeText);
  if (prepared != nullptr) {
    context_.Replay(document.layingOut);
  } else {
    LayOutDocument(document);
  }

  // Written whole, or not at all.
  const OutputTarget target{toFile ? &out : nullptr, outputText};
  const bool written = WriteOutput(document.header, document.body, mark, target);
  if (toFile && !CommitOutput(out, outputPath, ownInput, written)) return result;
  result.converted = 1;
  if (toFile) result.outputFile = outputPath;
  return result;
}

PreparedDocument OutputPass::Prepare(const TextString& inputPath, const TextString& outputPath) {
  StartPass();
  PassResult names;
  NameFiles(inputPath, outputPath, names);
  PreparedDocument document;
  context_.RecordInto(&document.reading);
  Convert(inputPath, nullptr, document);
  if (document.read) {
    context_.RecordInto(&document.layingOut);
    LayOutDocument(document);
  }
  context_.RecordInto(nullptr);
  return document;
}

void OutputPass::LayOutDocument(PreparedDocument& document) {
  // The lines laid out, then the URL table, the footer and the header box.
  LayOut(document.converted, document.body);
  document.converted = TextString();  // laid out: its memory goes back before the output is written
  AddReferencesAndFragments(document.body, document.header);
  pass_.blocks.Clear();
}

void OutputPass::StartPass() {
  // Justified lines lean as in a run of their own: a file converts the same wherever it
  // stands in the queue, and whichever thread converts it.
  ResetJustifyDirection();
  pass_.Reset();
  pass_.options = QuorlOptions::FromPolicies(context_.Detagging());
  pass_.report = context_.Reporter();
  pass_.status = [this](const char* line) { context_.Status(line); };
  fragments_.Clear();
}

void OutputPass::NameFiles(const TextString& inputPath, const TextString& outputPath,
                           PassResult& result) {
  TextString name;
  TextString extension;
  SplitPath(inputPath, result.inputFolder, name, extension);
  pass_.info.inputFileName = name + extension;
  SplitPath(outputPath, result.outputFolder, name, extension);
  pass_.info.outputFileName = name + extension;
  // File names are bytes; the header that shows them is text like the rest.
  if (pass_.options.WritesUtf8()) {
    RepairUtf8(pass_.info.inputFileName);
    RepairUtf8(pass_.info.outputFileName);
  }
}

int OutputPass::OutputMayTakeName(const TextString& inputPath, const TextString& outputPath,
                                  bool fromFile, const TextString* ownInput) {
  if (fromFile && !mayOverwrite_ &&
      (SameNameIgnoringCase(inputPath, outputPath) || IsSameFile(inputPath, outputPath))) {
    Error("ERROR: Output file is overwriting input file - " + inputPath);
    Error("ERROR: Choose a different output directory");
    return 0;
  }
  return MayWrite(outputPath, ownInput);
}

void OutputPass::Convert(const TextString& inputPath, const std::vector<TextString>* memorySource,
                         PreparedDocument& document) {
  BuildPatternLists(pass_);
  TextString& text = document.converted;
  if (!ReadInput(inputPath, memorySource, text)) return;
  RunSecondStage(pass_, text);
  // The lists are done with the text: their spare buffer, as large as the text, is not
  // kept through the layout.
  pass_.spareBuffer = TextString();
  // The second stage notes a character beyond ASCII in the text; the header and the URL
  // table hold text of their own.
  if (pass_.options.WritesUtf8() && !pass_.encoding.unicodeTextProduced &&
      TitleOrUrlsBeyondAscii()) {
    pass_.encoding.unicodeTextProduced = true;
  }
  document.read = 1;
  document.unicodeText = pass_.encoding.unicodeTextProduced;
}

bool OutputPass::AnnounceOutput(const TextString& outputPath, bool toFile, bool unicodeText) {
  const QuorlOptions& o = pass_.options;
  const bool mark = unicodeText && o.convertToText && o.unicodeMarker;
  if (toFile) {
    const char* info = mark ? "INFO: Generating Unicode text file " : "INFO: Creating output file ";
    pass_.Status((info + outputPath).Data());
  }
  if (mark) Error("WARNING: Unicode text detected.  Inserting UTF-8 file marker");
  return mark;
}

bool OutputPass::WriteOutput(const std::vector<TextString>& header, const LineBuffer& body,
                             bool mark, const OutputTarget& target) {
  bool written = true;
  const auto write = [&](std::string_view text) {
    if (target.text != nullptr) {
      target.text->append(text);
    } else {
      written = target.file->WriteText(text) && written;
    }
  };
  // The UTF-8 mark opens the first line.
  if (mark) {
    write("\xEF\xBB\xBF");
    if (header.empty() && body.IsEmpty()) write("\n");
  }
  for (const TextString& line : header) {
    write(line.View());
    write("\n");
  }
  write(body.Text());
  return written;
}

int OutputPass::CommitOutput(ASCIIFile& out, const TextString& outputPath,
                             const TextString* ownInput, bool written) {
  // Checked again right before the output takes its name: the input was read whole, but
  // the name may have changed hands since the first check.
  if (!MayWrite(outputPath, ownInput)) {
    out.CloseAll();
    return 0;
  }
  if (!written || !out.Commit()) {
    Error("ERROR: Error writing to file " + outputPath + " (" + out.ErrorText() + ")");
    out.CloseAll();
    return 0;
  }
  if (runFiles_ != nullptr) runFiles_->RecordWritten(outputPath, ownInput);
  return 1;
}

bool OutputPass::TitleOrUrlsBeyondAscii() const {
  const auto beyondAscii = [](const TextString& text) {
    return NextNonAscii(text.Data(), text.Length(), 0) < text.Length();
  };
  if (beyondAscii(pass_.info.title)) return true;
  for (int i = 0; i < pass_.urls.Count(); ++i) {
    if (beyondAscii(pass_.urls.At(i))) return true;
  }
  return false;
}

int OutputPass::MayWrite(const TextString& outputPath, const TextString* ownInput) {
  TextString refusal;
  if (runFiles_ == nullptr || runFiles_->MayWrite(outputPath, ownInput, refusal)) return 1;
  Error(refusal);
  return 0;
}

int OutputPass::OpenInput(ASCIIFile& file, const TextString& inputPath,
                          const std::vector<TextString>* memorySource) {
  if (memorySource != nullptr) {
    file.SetSourceList(memorySource);
  } else if (inputStream_ != nullptr) {
    file.OpenReadStream(inputStream_, inputPath.Data());
  } else if (!file.OpenRead(inputPath.Data())) {
    Error("ERROR: Error opening " + inputPath + " (" + file.ErrorText() + ")");
    return 0;
  }
  return 1;
}

void OutputPass::QueueBuiltInFragments(LineSource& source) const {
  const FragmentSettings settings = Settings();
  for (const TextString& line :
       BuiltInFragmentDefinitions(settings.startDelimiter, settings.endDelimiter)) {
    source.Queue(line);
  }
}

bool OutputPass::TakeFragmentLine(TextString& line, bool& capturing) {
  if (StartsWithNoCase(line, kDefineTextFragmentLine)) {
    line.CollapseBlanks();
    line.Trim(TrimEnds::kBoth, " ");
    TextString fragmentName;
    if (line.GetToken(2, ' ', fragmentName)) fragments_.Begin(fragmentName);
    capturing = true;
  } else if (StartsWithNoCase(line, kEndBlockLine)) {
    capturing = false;
  } else if (capturing) {
    fragments_.AddLine(line);
  } else {
    return false;
  }
  return true;
}

int OutputPass::ReadInput(const TextString& inputPath, const std::vector<TextString>* memorySource,
                          TextString& result) {
  ASCIIFile file;
  if (!OpenInput(file, inputPath, memorySource)) return 0;
  file.SetReadLimit(kMaxInputBytes);
  pass_.Status(("INFO: Reading input file " + inputPath).Data());
  TextCommandFilter commands(context_.TextCommands());
  LineSource source(file, &commands, {});
  source.SetDecoding(
      pass_.options.WritesUtf8() ? LineSource::Decoding::kToUtf8 : LineSource::Decoding::kKeepBytes,
      context_.Reporter());
  // In text mode the built-in header and footer come before the document, which may
  // define its own instead.
  if (pass_.options.convertToText) QueueBuiltInFragments(source);
  ChunkedFirstStage chunks(pass_, source, chunkLength_, result);
  bool capturing = false;
  TextString line;
  // The text read, and what the first stage makes of it, must leave room below the 2 GiB a
  // TextString can hold for the second stage.
  while (source.NextLine(line) && !file.LimitReached() && result.Length() <= kMaxInputBytes) {
    // UTF-16 input arrives as UTF-8 text.
    if (file.utf16Le || file.utf16Be) pass_.encoding.utf8Document = true;
    if (!TakeFragmentLine(line, capturing)) chunks.Add(line);
  }
  const TextString name = inputStream_ != nullptr ? TextString("standard input") : inputPath;
  if (file.LimitReached()) {
    Error(TooLargeMessage(name, kMaxInputBytes, "not converted"));
    return 0;
  }
  chunks.Finish();
  if (result.Length() > kMaxInputBytes) {
    Error("ERROR: " + name + " grows larger than " +
          TextString(std::to_string(kMaxInputBytes).c_str()) +
          " bytes while converted - not converted");
    return 0;
  }
  file.CloseAll();
  // Decoded, UTF-16 is text like any other.
  if ((file.utf16Le || file.utf16Be) && !pass_.options.WritesUtf8()) {
    Error("WARNING: File " + inputPath + " is UNICODE.  Not all conversion options may work");
  }
  return 1;
}

void OutputPass::LayOut(const TextString& result, LineBuffer& lines) {
  const QuorlOptions& o = pass_.options;
  const bool trim = o.convertToText && !o.preserveWhiteSpace;
  // Laid out, a text grows by its indentation and the ends of the lines it wraps: a
  // quarter more leaves room for that in the text of real pages.
  lines.Reserve(static_cast<size_t>(result.Length()) + static_cast<size_t>(result.Length()) / 4);
  LineWriter writer(pass_, lines);
  TextString line;
  TextString previous;
  bool havePrevious = false;
  bool inPre = false;
  // Joined, the text keeps no line end of the source: a break of the markup ends every line.
  using LineStart = LineWriter::LineStart;
  bool previousEndsAtBreak = false;
  for (int pos = 0; result.GetNextToken(pos, '\n', line);) {
    const bool endsAtBreak = TakeBreakEnd(line) || pass_.sourceLinesJoined;
    if (line.Equals(kStartPreLine, LetterCase::kIgnored, Blanks::kCount)) inPre = true;
    if (line.Equals(kEndPreLine, LetterCase::kIgnored, Blanks::kCount)) inPre = false;
    if (trim && !inPre) TrimBlanks(line);
    if (havePrevious) {
      writer.WriteTextLine(
          LineWriter::LinesAfter::kSome, previous, line,
          previousEndsAtBreak ? LineStart::kStartsBlock : LineStart::kContinuesSource);
    }
    previous.Swap(line);
    previousEndsAtBreak = endsAtBreak;
    havePrevious = true;
  }
  // Every line goes one step late, with the line after it to look at; the last has none.
  writer.WriteTextLine(LineWriter::LinesAfter::kNone, havePrevious ? previous : TextString(),
                       TextString());
}

void OutputPass::AddReferencesAndFragments(LineBuffer& body, std::vector<TextString>& header) {
  const bool text = pass_.options.convertToText != 0;
  if (pass_.options.addUrlReferences && pass_.urls.Count() > 0) {
    pass_.Status("INFO: Adding URL reference table");
    if (!body.LastIsEmpty()) body.Add(std::string_view());
    for (int i = 0; i < pass_.urls.Count(); ++i) {
      TextString entry("[");
      entry += i + 1;
      entry += "] ";
      // An address cut open by a tag inside its attribute holds markers; the table is text.
      entry += WithMarkersAsBlanks(pass_.urls.At(i));
      body.Add(entry);
    }
  }
  if (text) {
    std::vector<TextString> footer;
    fragments_.Emit("TEXT_FOOTER", footer, Settings());
    for (const TextString& line : footer) body.Add(line);
  }
  pass_.info.outputSizeText = OutputSizeText(body);
  if (text && headerBox_) fragments_.Emit("TEXT_HEADER", header, Settings());
}

}  // namespace quorlex
