#pragma once

#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

#include "foundation/TextString.h"
#include "foundation/WholeFileWriter.h"

namespace quorlex {

// The most text a conversion reads: 1.5 GiB once decoded, so that everything made from it
// stays within the 2 GiB a TextString can hold.
constexpr long long kMaxInputBytes = 1610612736;
// The largest policy, include or steering file read.
constexpr long long kMaxSettingsFileBytes = 64LL * 1024 * 1024;

// Checks a file that steers a run (a policy, include or steering file) before it is read.
// Returns 1 when `path` is a regular file of at most kMaxSettingsFileBytes, or names nothing
// that can be examined (the caller reports a missing file as it always has). Returns 0 with
// `refusal` set to "ERROR: <path> is not a regular file - not read" (a device such as
// /dev/zero, a pipe) or "ERROR: <path> is larger than <limit> bytes - not read".
[[nodiscard]] int CheckSettingsFile(const TextString& path, TextString& refusal);
// The refusal of a text larger than `limit` bytes: "ERROR: <name> is larger than <limit>
// bytes - " and `outcome` ("not read", "not converted").
TextString TooLargeMessage(const TextString& name, long long limit, const char* outcome);

// The line-oriented text file through which every conversion reads its input and writes
// its output, log and policy files.
//
// Reading. ReadLine reads the next line into a window of retained lines (the newest is
// NewestLine(); the window keeps at most 100, dropping the oldest 90 when it passes 100).
// A line loses its line feed, and a carriage return right before the line feed; a lone
// carriage return stays. A physical line longer than 4095 bytes arrives in pieces of 4095
// bytes; LastLineCut() tells that the piece just read goes on in the next one (LineSource
// joins them). The first read recognises UTF-16 by its byte-order mark (FF FE little-endian,
// FE FF big-endian): such a file is read in 16-bit units, a line ends at the unit 000A, and
// each line is converted to UTF-8 (Utf16ToUtf8) without the mark and without its line end;
// asciiOnly is cleared when a converted line held a character above 127. UTF-16 pieces end
// on a whole unit and never split a surrogate pair. In byteMode every NUL byte of a line
// becomes a space. Reading can come from a sourceList of lines instead of a file.
//
// Files can be stacked: OpenRead on a file that is open for reading opens a further file
// on top, and reading returns to the file below when the top one ends.
//
// Writing. WriteLine writes the text and a line feed: to a file, to standard output (console
// mode) or to a sinkList of lines. OpenWrite writes to the named file as it goes;
// OpenWriteWhole writes to a temporary file in the same folder that replaces the named file
// only when Commit succeeds, so a failed conversion leaves any earlier file of that name as
// it was.
//
// Nothing here reports errors: operations return 1 for success and 0 for failure, and
// callers issue their own messages.
class ASCIIFile {
 public:
  ASCIIFile();
  // Closes everything; an uncommitted whole-file write is abandoned.
  virtual ~ASCIIFile();
  ASCIIFile(const ASCIIFile&) = delete;
  // Where OpenWrite writes: the named file, or the console stream.
  enum class Target { kFile, kConsole };
  // The mode a file is written in; recorded only, as line ends are line feeds either way.
  enum class Mode { kText, kBinary };
  ASCIIFile& operator=(const ASCIIFile&) = delete;

  // Closes every file on the stack, top first, and the file being written. Returns 0 when
  // closing a written file failed (its last data may not have reached the disk), else 1.
  // An uncommitted whole-file write is abandoned: the temporary file is removed.
  virtual int CloseAll();
  // Opens `name` for writing, truncating it; whatever was open before is closed first
  // (call CloseAll to learn whether that went well). With Target::kConsole the file counts
  // as open and writes to the console stream (standard output). With a sinkList the file is
  // open at once and lines go to the list. The mode is only recorded in `binary` (line ends
  // are line feeds either way). Returns 1 on success; 0 (and isOpen cleared) when the file
  // cannot be created; ErrorText() says why.
  virtual int OpenWrite(const char* name, Target target, Mode mode);
  // Opens `name` for reading (pushing it on the stack when a file is already open for
  // reading; otherwise a file being written is closed first and the encoding of the new
  // input is recognised anew). Fails (0, isOpen cleared) for a null or empty name, a folder,
  // or a file that cannot be opened; ErrorText() says why.
  virtual int OpenRead(const char* name);
  // Reads the next line into the retained window. Returns 1 if a line was read, 0 at the
  // end of the input (or when nothing is open).
  virtual int ReadLine();
  virtual int IsOpen() const;

  // Reads from `stream` (standard input, say) as OpenRead reads a file called `name`. The
  // stream is not owned and stays open.
  int OpenReadStream(std::FILE* stream, const char* name);
  // Makes ReadLine stop (return 0) at the line that would take the text read beyond `bytes`
  // bytes, each line counting its length and one byte for its line end (UTF-16 input
  // counts as the UTF-8 it becomes); LimitReached() then says so. A negative limit (the
  // default) is none.
  void SetReadLimit(long long bytes) { readLimit_ = bytes; }
  int LimitReached() const { return limitReached_; }

  // Opens `name` for writing whole: see WholeFileWriter. Whatever was open before is closed
  // first; with a sinkList the file is open at once, as for OpenWrite. Returns 0 (isOpen
  // cleared) when the temporary file cannot be created; ErrorText() says why.
  int OpenWriteWhole(const char* name, Mode mode);
  // Puts a whole-file write in place of the named file and closes it. Returns 0 when that
  // fails (the earlier file stays as it was); ErrorText() says why. Returns 1 for files
  // not opened whole.
  int Commit();
  // Why the last open, write or commit failed, as the system says it ("Permission
  // denied"), or empty.
  const TextString& ErrorText() const { return errorText_; }

  // Writes `text` and a line feed. Returns 1 if the write succeeded and the stream shows no
  // error, else 0.
  int WriteLine(const TextString& text);
  int WriteLine(const char* text);
  // Writes `text` as it stands, line ends included (to a sinkList, line by line). Returns
  // 1 like WriteLine.
  int WriteText(std::string_view text);

  // The n-th retained line (1-based, oldest first), or null when n is out of range.
  const TextString* GetLine(int n) const;
  // The line ReadLine read last, or null before the first.
  const TextString* NewestLine() const;
  int RetainedCount() const { return static_cast<int>(retained_.size()); }
  // 1 when the line just read is a piece of a physical line that goes on in the next read.
  int LastLineCut() const { return lastLineCut_; }

  // Lines to read from instead of a file (not owned; must outlive the reads). Null ends
  // the use of a list.
  void SetSourceList(const std::vector<TextString>* lines);
  // Lines to write to instead of a file (not owned).
  void SetSinkList(std::vector<TextString>* lines);
  // Where console-mode writes go (standard output unless set; not owned).
  void SetConsoleStream(std::FILE* stream) { consoleStream_ = stream; }

  // The name of the top file on the stack (or of the file written), or empty.
  const TextString& Name() const;

  int console = 0;
  int depth = 0;  // files open for reading on the stack
  int isOpen = 0;
  int reading = 0;
  int utf16Le = 0;
  int utf16Be = 0;
  int byteMode = 0;
  int asciiOnly = 1;
  int linesRead = 0;
  int binary = 0;
  static constexpr int keepLimit = 100;
  static constexpr int dropCount = 90;
  // Pieces of longer lines: at most this many bytes are read per ReadLine.
  static constexpr int kMaxLineBytes = 4095;

 private:
  struct OpenFile;  // one level of the reading stack, with its read buffer

  // Before the first file of a new input is opened: forgets what the last input was.
  void StartReading();
  void PushFile(const char* name, std::FILE* stream, bool owned);
  // The work of OpenWrite (whole = false) and OpenWriteWhole (whole = true).
  int OpenForWriting(const char* name, Target target, Mode mode, bool whole);
  // The next piece of a line from the file stack, converted and with its NULs replaced as
  // the flags say; `cut` as LastLineCut(). Returns 0 when the bottom file has ended.
  int ReadFromStack(TextString& line, int& cut);
  void Retain(TextString&& line);
  // Sets ErrorText() to the system's text for `error` (an errno value) and returns 0.
  int RecordError(int error);

  std::vector<std::unique_ptr<OpenFile>> stack_;
  std::vector<TextString> retained_;
  const std::vector<TextString>* sourceList_ = nullptr;
  size_t sourcePos_ = 0;
  std::vector<TextString>* sinkList_ = nullptr;
  std::FILE* consoleStream_ = stdout;
  std::FILE* writeStream_ = nullptr;  // a file opened by OpenWrite
  std::unique_ptr<WholeFileWriter> whole_;
  TextString writeName_;
  TextString errorText_;
  int firstRead_ = 1;
  int lastLineCut_ = 0;
  long long readLimit_ = -1;
  long long bytesRead_ = 0;
  int limitReached_ = 0;
};

}  // namespace quorlex
