#include "foundation/LineSource.h"

#include <utility>

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

int LineSource::ReadPhysicalLine(TextString& line, bool& fromDocument) {
  if (file_.ReadLine()) {
    line = *file_.NewestLine();
    while (file_.LastLineCut() && file_.ReadLine()) line += *file_.NewestLine();
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
