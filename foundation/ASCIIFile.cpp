#include "foundation/ASCIIFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

namespace quorlex {

namespace {

constexpr size_t kBufferSize = size_t{64} * 1024;
constexpr unsigned kLineFeed = 0x0A;
constexpr unsigned kCarriageReturn = 0x0D;
constexpr size_t kNotFound = static_cast<size_t>(-1);

bool IsHighSurrogate(unsigned unit) { return unit >= 0xD800 && unit <= 0xDBFF; }

// The code units a file is read in: single bytes, or 16-bit units in one byte order.
struct Units {
  size_t width;  // bytes per unit, 1 or 2
  bool bigEndian;

  // The unit at `index` (counted in units) of `bytes`.
  unsigned At(const char* bytes, size_t index) const {
    const auto* at = reinterpret_cast<const unsigned char*>(bytes) + index * width;
    if (width == 1) return at[0];
    return bigEndian ? (unsigned{at[0]} << 8) | at[1] : (unsigned{at[1]} << 8) | at[0];
  }

  // The index of the first line feed among the first `count` units, or kNotFound.
  size_t FindLineFeed(const char* bytes, size_t count) const {
    if (width == 1) {
      const void* found = std::memchr(bytes, static_cast<int>(kLineFeed), count);
      return found == nullptr ? kNotFound
                              : static_cast<size_t>(static_cast<const char*>(found) - bytes);
    }
    // Whole units only: the bytes 0A 00 can also stand across two units (U+0A05 U+4E00 is
    // 05 0A 00 4E in little-endian order), and must not end a line there.
    for (size_t i = 0; i < count; ++i) {
      if (At(bytes, i) == kLineFeed) return i;
    }
    return kNotFound;
  }
};

}  // namespace

// One file of the reading stack. Reading goes through a buffer of our own so that a huge
// single-line page costs one pass over its bytes (memchr for the line end), never a call
// per byte.
struct ASCIIFile::OpenFile {
  OpenFile(const char* fileName, std::FILE* fileStream, bool owned)
      : name(fileName), stream(fileStream), ownsStream(owned) {}
  ~OpenFile() {
    if (ownsStream) std::fclose(stream);
  }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;

  // Makes at least `wanted` unread bytes available in one piece of the buffer, or all that
  // remain of the file. A read error counts as the end of the file.
  void Fill(size_t wanted) {
    if (end - start >= wanted || exhausted) return;
    std::memmove(buffer.get(), buffer.get() + start, end - start);
    end -= start;
    start = 0;
    while (end < wanted && !exhausted) {
      const size_t got = std::fread(buffer.get() + end, 1, kBufferSize - end, stream);
      end += got;
      exhausted = got == 0;
    }
  }

  // Takes a UTF-16 byte-order mark from the start of the file. Returns 1 for
  // little-endian, 2 for big-endian, 0 (nothing taken) when there is none.
  int TakeByteOrderMark() {
    Fill(2);
    if (end - start < 2) return 0;
    const auto first = static_cast<unsigned char>(buffer[start]);
    const auto second = static_cast<unsigned char>(buffer[start + 1]);
    const int order = first == 0xFF && second == 0xFE ? 1 : first == 0xFE && second == 0xFF ? 2 : 0;
    if (order != 0) start += 2;
    return order;
  }

  // Reads the next piece of a line into `piece`: at most `maxUnits` units of content,
  // without its line feed and a carriage return right before it. `cut` is set to 1 when
  // the line goes on after the piece. Returns 0 when the file has nothing more.
  int ReadPiece(const Units& units, size_t maxUnits, TextString& piece, int& cut) {
    cut = 0;
    // The piece and the two units behind it (the CR LF that may end a full piece) must lie
    // in one stretch of the buffer.
    Fill((maxUnits + 2) * units.width);
    const char* bytes = buffer.get() + start;
    const size_t available = (end - start) / units.width;
    if (available == 0) {
      start = end;  // half a UTF-16 unit at the very end is no character
      return 0;
    }
    const size_t lineFeed = units.FindLineFeed(bytes, std::min(available, maxUnits + 1));
    size_t content = 0;
    size_t consumed = 0;
    if (lineFeed != kNotFound) {
      content = lineFeed;
      consumed = lineFeed + 1;
      if (content > 0 && units.At(bytes, content - 1) == kCarriageReturn) --content;
    } else if (available <= maxUnits) {
      // Fill stopped short of what it was asked for: this is the end of the file, and a
      // last line without a line feed.
      content = available;
      consumed = available;
    } else if (available > maxUnits + 1 && units.At(bytes, maxUnits) == kCarriageReturn &&
               units.At(bytes, maxUnits + 1) == kLineFeed) {
      // A line of exactly maxUnits units ending in CR LF is one piece.
      content = maxUnits;
      consumed = maxUnits + 2;
    } else {
      cut = 1;
      content = maxUnits;
      // A surrogate pair must not be split between pieces, or each half would become U+FFFD.
      if (units.width == 2 && IsHighSurrogate(units.At(bytes, content - 1))) --content;
      consumed = content;
    }
    piece.AssignBytes(bytes, static_cast<int>(content * units.width));
    start += consumed * units.width;
    return 1;
  }

  TextString name;
  std::FILE* stream;
  bool ownsStream;
  std::unique_ptr<char[]> buffer = std::make_unique_for_overwrite<char[]>(kBufferSize);
  size_t start = 0;  // unread bytes are buffer[start, end)
  size_t end = 0;
  bool exhausted = false;
};

TextString TooLargeMessage(const TextString& name, long long limit, const char* outcome) {
  return "ERROR: " + name + " is larger than " + TextString(std::to_string(limit).c_str()) +
         " bytes - " + outcome;
}

int CheckSettingsFile(const TextString& path, TextString& refusal) {
  struct stat info {};
  if (stat(path.Data(), &info) != 0 || S_ISDIR(info.st_mode)) return 1;
  if (!S_ISREG(info.st_mode)) {
    refusal = "ERROR: " + path + " is not a regular file - not read";
    return 0;
  }
  if (info.st_size > kMaxSettingsFileBytes) {
    refusal = TooLargeMessage(path, kMaxSettingsFileBytes, "not read");
    return 0;
  }
  return 1;
}

ASCIIFile::ASCIIFile() = default;

ASCIIFile::~ASCIIFile() { CloseAll(); }

int ASCIIFile::CloseAll() {
  int result = 1;
  // Top first, as the files were opened.
  while (!stack_.empty()) stack_.pop_back();
  if (writeStream_ != nullptr) {
    if (std::fclose(writeStream_) != 0) result = RecordError(errno);
    writeStream_ = nullptr;
  }
  // A whole-file write that was never committed is not wanted: the earlier file stays.
  whole_.reset();
  if (console != 0 && isOpen != 0 && std::fflush(consoleStream_) != 0) result = RecordError(errno);
  depth = 0;
  isOpen = 0;
  reading = 0;
  console = 0;
  writeName_.Clear();
  return result;
}

int ASCIIFile::OpenWrite(const char* name, Target target, Mode mode) {
  return OpenForWriting(name, target, mode, false);
}

int ASCIIFile::OpenWriteWhole(const char* name, Mode mode) {
  return OpenForWriting(name, Target::kFile, mode, true);
}

int ASCIIFile::OpenForWriting(const char* name, Target target, Mode mode, bool whole) {
  CloseAll();
  errorText_.Clear();
  console = target == Target::kConsole ? 1 : 0;
  binary = mode == Mode::kBinary ? 1 : 0;
  writeName_.Assign(name);
  if (console != 0 || sinkList_ != nullptr) {
    isOpen = 1;
    return 1;
  }
  if (writeName_.IsEmpty()) return RecordError(ENOENT);
  if (whole) {
    auto writer = std::make_unique<WholeFileWriter>();
    if (!writer->Open(name)) {
      errorText_ = writer->ErrorText();
      return 0;
    }
    whole_ = std::move(writer);
  } else {
    // Line feeds are stored as they are in both modes: that is this platform's text mode.
    writeStream_ = std::fopen(name, "wbe");
    if (writeStream_ == nullptr) return RecordError(errno);
  }
  isOpen = 1;
  return 1;
}

void ASCIIFile::StartReading() {
  if (!stack_.empty()) return;
  // A new input (any file being written is closed first): its encoding is found anew.
  CloseAll();
  utf16Le = 0;
  utf16Be = 0;
  asciiOnly = 1;
  firstRead_ = 1;
  lastLineCut_ = 0;
  bytesRead_ = 0;
  limitReached_ = 0;
}

int ASCIIFile::OpenRead(const char* name) {
  StartReading();
  isOpen = 0;
  errorText_.Clear();
  if (name == nullptr || name[0] == 0) return RecordError(ENOENT);
  std::FILE* stream = std::fopen(name, "rbe");
  if (stream == nullptr) return RecordError(errno);
  // A folder opens like a file here but has no lines.
  struct stat info;
  if (fstat(fileno(stream), &info) == 0 && S_ISDIR(info.st_mode)) {
    std::fclose(stream);
    return RecordError(EISDIR);
  }
  PushFile(name, stream, true);
  return 1;
}

int ASCIIFile::OpenReadStream(std::FILE* stream, const char* name) {
  StartReading();
  errorText_.Clear();
  if (stream == nullptr) {
    isOpen = 0;
    return RecordError(EBADF);
  }
  PushFile(name, stream, false);
  return 1;
}

void ASCIIFile::PushFile(const char* name, std::FILE* stream, bool owned) {
  stack_.push_back(std::make_unique<OpenFile>(name, stream, owned));
  depth = static_cast<int>(stack_.size());
  isOpen = 1;
  reading = 1;
}

int ASCIIFile::ReadLine() {
  TextString line;
  int cut = 0;
  if (sourceList_ != nullptr) {
    if (sourcePos_ >= sourceList_->size()) return 0;
    line = (*sourceList_)[sourcePos_++];
  } else if (!ReadFromStack(line, cut)) {
    return 0;
  }
  const long long bytes = line.Length() + (cut ? 0 : 1);
  if (readLimit_ >= 0 && bytesRead_ + bytes > readLimit_) {
    limitReached_ = 1;
    return 0;
  }
  bytesRead_ += bytes;
  lastLineCut_ = cut;
  Retain(std::move(line));
  ++linesRead;
  return 1;
}

int ASCIIFile::ReadFromStack(TextString& line, int& cut) {
  for (;;) {
    if (stack_.empty()) return 0;
    OpenFile& top = *stack_.back();
    if (firstRead_ != 0) {
      firstRead_ = 0;
      const int order = top.TakeByteOrderMark();
      utf16Le = order == 1;
      utf16Be = order == 2;
    }
    const bool utf16 = utf16Le != 0 || utf16Be != 0;
    const Units units{utf16 ? size_t{2} : size_t{1}, utf16Be != 0};
    // UTF-16 pieces end on a whole unit: 2047 units are 4094 bytes.
    const size_t maxUnits = kMaxLineBytes / units.width;
    if (top.ReadPiece(units, maxUnits, line, cut)) {
      if (utf16 && line.Utf16ToUtf8(utf16Be) == 0) asciiOnly = 0;
      if (byteMode != 0) line.ReplaceChar(0, '\0', ' ', 0);
      return 1;
    }
    // The bottom file stays open (at its end) until CloseAll.
    if (stack_.size() == 1) return 0;
    stack_.pop_back();
    depth = static_cast<int>(stack_.size());
  }
}

int ASCIIFile::IsOpen() const { return isOpen; }

int ASCIIFile::Commit() {
  if (whole_ == nullptr) return 1;
  const int committed = whole_->Commit();
  if (!committed) errorText_ = whole_->ErrorText();
  whole_.reset();
  isOpen = 0;
  writeName_.Clear();
  return committed;
}

int ASCIIFile::WriteLine(const TextString& text) {
  if (sinkList_ != nullptr) {
    sinkList_->push_back(text);
    return 1;
  }
  if (whole_ != nullptr) {
    if (whole_->Write(text.Data(), text.Length()) && whole_->Write("\n", 1)) return 1;
    errorText_ = whole_->ErrorText();
    return 0;
  }
  std::FILE* stream = console != 0 ? consoleStream_ : writeStream_;
  if (stream == nullptr) return 0;
  const auto size = static_cast<size_t>(text.Length());
  if (std::fwrite(text.Data(), 1, size, stream) != size || std::fputc('\n', stream) == EOF ||
      std::ferror(stream) != 0) {
    return RecordError(errno);
  }
  return 1;
}

int ASCIIFile::WriteLine(const char* text) { return WriteLine(TextString(text)); }

int ASCIIFile::WriteText(std::string_view text) {
  if (sinkList_ != nullptr) {
    for (size_t start = 0; start < text.size();) {
      size_t end = text.find('\n', start);
      if (end == std::string_view::npos) end = text.size();
      TextString line;
      line.AssignBytes(text.data() + start, static_cast<int>(end - start));
      sinkList_->push_back(std::move(line));
      start = end + 1;
    }
    return 1;
  }
  if (whole_ != nullptr) {
    if (whole_->Write(text.data(), static_cast<int>(text.size()))) return 1;
    errorText_ = whole_->ErrorText();
    return 0;
  }
  std::FILE* stream = console != 0 ? consoleStream_ : writeStream_;
  if (stream == nullptr) return 0;
  if (std::fwrite(text.data(), 1, text.size(), stream) != text.size() || std::ferror(stream) != 0) {
    return RecordError(errno);
  }
  return 1;
}

const TextString* ASCIIFile::GetLine(int n) const {
  if (n < 1 || n > RetainedCount()) return nullptr;
  return &retained_[static_cast<size_t>(n - 1)];
}

const TextString* ASCIIFile::NewestLine() const {
  return retained_.empty() ? nullptr : &retained_.back();
}

void ASCIIFile::SetSourceList(const std::vector<TextString>* lines) {
  bytesRead_ = 0;
  limitReached_ = 0;
  sourceList_ = lines;
  sourcePos_ = 0;
}

void ASCIIFile::SetSinkList(std::vector<TextString>* lines) { sinkList_ = lines; }

const TextString& ASCIIFile::Name() const {
  return stack_.empty() ? writeName_ : stack_.back()->name;
}

void ASCIIFile::Retain(TextString&& line) {
  retained_.push_back(std::move(line));
  if (retained_.size() > static_cast<size_t>(keepLimit)) {
    retained_.erase(retained_.begin(), retained_.begin() + dropCount);
  }
}

int ASCIIFile::RecordError(int error) {
  errorText_.Assign(std::strerror(error));
  return 0;
}

}  // namespace quorlex
