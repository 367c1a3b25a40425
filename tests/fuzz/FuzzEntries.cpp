#include "tests/fuzz/FuzzEntries.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "control/Arguments.h"
#include "control/Qualifiers.h"
#include "control/RunSettings.h"
#include "engine/OutputPass.h"
#include "foundation/ASCIIFile.h"
#include "foundation/LineSource.h"
#include "foundation/RunLog.h"
#include "policies/PolicyFile.h"
#include "tests/fuzz/FuzzScratch.h"
#include "tests/support/Utf8Check.h"

namespace quorlex::fuzz {
namespace {

// The yes/no policies a document's leading bytes can turn over, one bit each (a set bit
// gives the opposite of the default, so an all-zero header converts with the defaults).
constexpr int kFlippedPolicies[] = {
    kRemoveAllTags,
    kPreserveWhiteSpace,
    kImposePageWidth,
    kRightJustify,
    kSingleLineParagraphs,
    kPreserveShortLines,
    kShortLinesEndParagraphs,
    kGapBetweenSentences,
    kLookForDialogue,
    kExtraDialogueChecks,
    kBreakDialogueLines,
    kRemoveHorizontalRules,
    kHighlightBoldAndItalic,
    kAddUrlReferences,
    kDisplayLinkUrls,
    kParseTables,
    kBorderOnAllTables,
    kSuppressNestedTableBorders,
    kAdjustTablesToPageWidth,
    kReplaceEntities,
    kRemoveComments,
    kRemoveScript,
    kRemoveNonStandardTags,
    kUpperCaseTags,
    kOmitEmailLinks,
    kOmitLocalLinks,
    kAllow8BitAnsi,
    kUnicodeMarker,
    kRemoveHead,
    kLowerCaseTags,
    kRemoveEmphasis,
    kReplaceLinksByDisplayValue,
};
// Bytes 0-3 hold the bits above; 4-5 a signed change of the page width; 6 of the table
// format; 7 of the first-line indent; byte 8, when not zero, cuts the input into chunks of
// eight times that many characters (else the usual length), so that small documents reach
// the boundaries between chunks.
constexpr size_t kPolicyHeaderBytes = 8;
constexpr size_t kHeaderBytes = kPolicyHeaderBytes + 1;
constexpr int kChunkUnit = 8;

void Shift(PolicySet& policies, int id, int change) {
  Policy& policy = *policies.Find(id);
  policy.number = policy.defaultNumber + change;
  policy.valueSet = 1;
}

void ChoosePolicies(const uint8_t* header, PolicySet& policies) {
  for (size_t bit = 0; bit < std::size(kFlippedPolicies); ++bit) {
    if ((header[bit / 8] >> (bit % 8) & 1) == 0) continue;
    Policy& policy = *policies.Find(kFlippedPolicies[bit]);
    policy.number = !policy.defaultNumber;
    policy.valueSet = 1;
  }
  Shift(policies, kPageWidth, static_cast<int16_t>(header[4] | header[5] << 8));
  Shift(policies, kTableFormat, static_cast<int8_t>(header[6]));
  Shift(policies, kFirstLineIndent, static_cast<int8_t>(header[7]));
}

// Splits the bytes into words at line feeds and NUL bytes (which no argument can hold).
std::vector<TextString> Words(std::string_view bytes) {
  std::vector<TextString> words;
  size_t start = 0;
  for (size_t i = 0; i <= bytes.size(); ++i) {
    if (i < bytes.size() && bytes[i] != '\n' && bytes[i] != '\0') continue;
    TextString word;
    word.AssignBytes(bytes.data() + start, static_cast<int>(i - start));
    words.push_back(word);
    start = i + 1;
  }
  return words;
}

}  // namespace

void ConvertDocument(const uint8_t* data, size_t size) {
  uint8_t header[kHeaderBytes] = {};
  const size_t headerSize = std::min(size, kHeaderBytes);
  std::copy(data, data + headerSize, header);
  const std::string input = Scratch().Write("input.htm", data + headerSize, size - headerSize);

  PolicySet policies = MakeDetaggingPolicies();
  ChoosePolicies(header, policies);
  ConversionContext context(policies);
  context.SetStreams(Scratch().Sink(), Scratch().Sink());
  OutputPass pass(context);
  pass.SetDate(FragmentDate{2026, 12, 7});
  if (header[kPolicyHeaderBytes] != 0) pass.SetChunkLength(header[kPolicyHeaderBytes] * kChunkUnit);
  std::string output;
  (void)pass.RunOutputPass(input.c_str(), Scratch().PathOf("output.txt").c_str(), nullptr, &output);
  // Text written in UTF-8 is valid UTF-8 without C1 controls, whatever came in.
  long fault = -1;
  if (pass.Options().WritesUtf8() && !testing::IsUtf8WithoutC1(output, &fault)) {
    const size_t from = static_cast<size_t>(std::max(0L, fault - 60));
    std::fprintf(stderr, "text output not UTF-8 at byte %ld, after: %s\n", fault,
                 output.substr(from, static_cast<size_t>(fault) - from + 1).c_str());
    std::abort();
  }
}

void ReadPolicyFile(const uint8_t* data, size_t size) {
  const std::string path = Scratch().Write("fuzz.pol", data, size);
  PolicySet policies = MakeDetaggingPolicies();
  ConversionContext context(policies);
  context.SetStreams(Scratch().Sink(), Scratch().Sink());
  PolicyFileReader reader(context);
  reader.SetInputFolder(Scratch().Folder().c_str());
  TextString errorText;
  (void)reader.Read(path.c_str(), &errorText);

  std::vector<TextString> written;
  ASCIIFile out;
  out.SetSinkList(&written);
  if (out.OpenWrite("written.pol", ASCIIFile::Target::kFile, ASCIIFile::Mode::kText))
    (void)WritePolicies(context, out, size % 2 ? Written::kAll : Written::kSetOnly);
}

void ReadCommandLine(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  RunLog log;
  log.consoleEcho = 1;
  log.SetEchoStream(Scratch().Sink());
  log.Channel().SetStreams(Scratch().Sink(), Scratch().Sink());

  // As the program's own arguments.
  const Arguments arguments = ClassifyArguments(Words(bytes));
  RunSettings run;
  (void)ParseCommandLine(arguments.qualifierLine, run, log, Scratch().Sink());

  // As one line of a steering file: comment lines go to the parser whole.
  TextString line;
  line.AssignBytes(bytes.data(), static_cast<int>(bytes.size()));
  RunSettings steering;
  (void)ParseCommandLine(line, steering, log, Scratch().Sink());
  const Arguments lineArguments = ClassifyArguments(SplitLineIntoWords(line));
  RunSettings lineRun;
  (void)ParseCommandLine(lineArguments.qualifierLine, lineRun, log, Scratch().Sink());
}

void ReadTextFile(const uint8_t* data, size_t size) {
  const std::string path = Scratch().Write("text.txt", data, size);
  for (const int byteMode : {0, 1}) {
    ASCIIFile file;
    file.byteMode = byteMode;
    if (!file.OpenRead(path.c_str())) return;
    while (file.ReadLine()) {
    }
  }

  ASCIIFile file;
  if (!file.OpenRead(path.c_str())) return;
  LineSource source(file, nullptr, [] { return true; });
  TextString line;
  while (source.NextLine(line)) {
  }

  TextString text;
  text.AssignBytes(reinterpret_cast<const char*>(data), static_cast<int>(size));
  (void)text.Utf16ToUtf8(size % 2);
}

}  // namespace quorlex::fuzz
