#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "foundation/ASCIIFile.h"
#include "foundation/Charset.h"
#include "foundation/MessageChannel.h"
#include "foundation/TextString.h"

namespace quorlex {

// Something applied to every input line before the converter sees it: the text commands of
// a policy file, which can remove or replace text.
class LineFilter {
 public:
  virtual ~LineFilter() = default;
  virtual void Apply(TextString& line) = 0;
};

// Feeds the output pass one input line per request.
//
//  1. A line held back by rule 4 is delivered first.
//  2. Lines queued with Queue come next, before anything new is read.
//  3. Otherwise the next line is read from the file. The pieces in which ASCIIFile delivers
//     a physical line longer than 4095 bytes are joined again, so a minified page arrives
//     as one line and is never cut inside a word, tag or URL. When the input is exhausted,
//     `preformattedOpen` is asked once whether a pre-formatted block is still open; if so
//     the line "$_$_END_PRE" is delivered before the end.
//  4. A line that begins with a form feed and has more characters is delivered as the form
//     feed alone; the rest, with every form feed in it replaced by a space, is held back for
//     the next request.
//  5. With Decoding::kToUtf8, the document's lines are decoded into UTF-8 from the charset
//     it is written in (foundation/Charset.h): a UTF-8 byte-order mark is taken off the first
//     line, UTF-16 (which the file has converted already) is repaired like UTF-8, and
//     otherwise the first charset declared in the first 1,024 bytes decides, which the
//     source reads ahead for. A label the table does not know is reported and the document
//     read as UTF-8. With kKeepBytes the charset is found the same way, and the lines stay
//     as they are.
//  6. The filter is applied to the delivered line when it comes from the document (a line
//     read from the file, or the held-back rest of one); queued lines and the generated
//     "$_$_END_PRE" are the program's own and reach the converter as they were written.
// Tabs reach the converter unchanged.
class LineSource {
 public:
  // The file must be open for reading (or have a source list). `filter` may be null (no
  // text commands); `preformattedOpen` may be empty (never open). Neither is owned.
  LineSource(ASCIIFile& file, LineFilter* filter, std::function<bool()> preformattedOpen);

  // Sets `line` to the next line and returns 1; returns 0 (line cleared) at the end.
  int NextLine(TextString& line);
  // Queues a line to be delivered before anything new is read.
  void Queue(const TextString& line);

  enum class Decoding { kKeepBytes, kToUtf8 };
  // Set before the first line is read; `report` receives the warning about an unknown
  // charset (may be empty). The default keeps the bytes and reports nothing.
  void SetDecoding(Decoding decoding, MessageFunction report);
  // The name of the charset the document is written in ("UTF-8", "windows-1252",
  // "UTF-16LE", ...): "UTF-8" until the first document line has been read.
  const std::string& Charset() const { return charset_; }

 private:
  // Rule 3: the next physical line from the file, or the end-of-input marker; `fromDocument`
  // says which. Returns 0 at the end.
  int ReadPhysicalLine(TextString& line, bool& fromDocument);
  // The next physical line of the file, its pieces joined; 0 at its end.
  int ReadJoinedLine(TextString& line);
  // Reads lines ahead until the first 1,024 bytes are in, and decides the charset.
  void FindCharset();

  ASCIIFile& file_;
  LineFilter* filter_;
  std::function<bool()> preformattedOpen_;
  std::deque<TextString> queued_;
  TextString heldBack_;
  bool hasHeldBack_ = false;
  bool heldBackFromDocument_ = false;  // the held-back rest is part of a document line
  bool endChecked_ = false;
  Decoding decoding_ = Decoding::kKeepBytes;
  MessageFunction report_;
  bool charsetFound_ = false;
  std::string charset_ = "UTF-8";
  std::deque<TextString> readAhead_;
  std::unique_ptr<Utf8Decoder> decoder_;
};

}  // namespace quorlex
