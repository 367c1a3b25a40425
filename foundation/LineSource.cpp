#include "foundation/LineSource.h"

#include <utility>

#include "foundation/Utf8.h"

namespace quorlex {

namespace {

constexpr char kFormFeed = '\f';
constexpr const char* kEndPreformatted = "$_$_END_PRE";

}  // namespace

LineSource::LineSource(ASCIIFile& file, LineFilter* filter, std::function<bool()> preformattedOpen)
    : file_(file), filter_(filter), preformattedOpen_(std::move(preformattedOpen)) {}

int LineSource::NextLine(TextString& line) {
  bool fromDocument = true;
  if (hasHeldBack_) {
    line.Swap(heldBack_);
    hasHeldBack_ = false;
    fromDocument = heldBackFromDocument_;
  } else if (!queued_.empty()) {
    line.Swap(queued_.front());
    queued_.pop_front();
    fromDocument = false;
  } else if (!ReadPhysicalLine(line, fromDocument)) {
    line.Clear();
    return 0;
  }
  // A page break leads its line: the converter sees it on a line of its own. Further form
  // feeds in the rest are no page breaks of their own.
  if (line.Length() > 1 && line[0] == kFormFeed) {
    heldBack_.AssignBytes(line.Data() + 1, line.Length() - 1);
    heldBack_.ReplaceChar(0, kFormFeed, ' ', 0);
    hasHeldBack_ = true;
    heldBackFromDocument_ = fromDocument;
    line.Mid(0, 1);
  }
  if (filter_ != nullptr && fromDocument) filter_->Apply(line);
  return 1;
}

void LineSource::Queue(const TextString& line) { queued_.push_back(line); }

void LineSource::SetDecoding(Decoding decoding, MessageFunction report) {
  decoding_ = decoding;
  report_ = std::move(report);
}

int LineSource::ReadJoinedLine(TextString& line) {
  if (!file_.ReadLine()) return 0;
  line = *file_.NewestLine();
  while (file_.LastLineCut() && file_.ReadLine()) line += *file_.NewestLine();
  return 1;
}

void LineSource::FindCharset() {
  charsetFound_ = true;
  std::string head;
  TextString line;
  while (head.size() < kCharsetDeclarationBytes && ReadJoinedLine(line)) {
    head.append(line.View().substr(0, kCharsetDeclarationBytes - head.size()));
    head += '\n';
    readAhead_.emplace_back();
    readAhead_.back().Swap(line);
  }
  // Lines converted from UTF-16 are UTF-8 already, like those after a UTF-8 mark: they are
  // only repaired, as is text that declares nothing the C library can convert.
  std::unique_ptr<Utf8Decoder> declared;
  if (file_.utf16Le || file_.utf16Be) {
    charset_ = file_.utf16Le ? "UTF-16LE" : "UTF-16BE";
  } else if (!readAhead_.empty() && readAhead_.front().View().starts_with("\xEF\xBB\xBF")) {
    if (decoding_ == Decoding::kToUtf8) RemoveUtf8ByteOrderMark(readAhead_.front());
  } else if (const std::string label = DeclaredCharset(head); !label.empty()) {
    const std::string_view name = CharsetName(label);
    declared = std::make_unique<Utf8Decoder>(name);
    if (declared->Usable()) {
      charset_ = name;
    } else {
      declared.reset();
      if (report_) {
        report_(("WARNING: Unknown character set \"" + label + "\" - read as UTF-8").c_str(), 10);
      }
    }
  }
  if (decoding_ == Decoding::kToUtf8) {
    decoder_ = declared ? std::move(declared) : std::make_unique<Utf8Decoder>("UTF-8");
  }
}

int LineSource::ReadPhysicalLine(TextString& line, bool& fromDocument) {
  if (!charsetFound_) FindCharset();
  bool read = false;
  if (!readAhead_.empty()) {
    line.Swap(readAhead_.front());
    readAhead_.pop_front();
    read = true;
  } else {
    read = ReadJoinedLine(line) != 0;
  }
  if (read) {
    if (decoder_) decoder_->Decode(line);
    fromDocument = true;
    return 1;
  }
  if (endChecked_) return 0;
  endChecked_ = true;
  if (!preformattedOpen_ || !preformattedOpen_()) return 0;
  line = kEndPreformatted;
  fromDocument = false;
  return 1;
}

}  // namespace quorlex
