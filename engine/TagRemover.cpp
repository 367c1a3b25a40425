#include "engine/TagRemover.h"

#include "engine/Entities.h"

namespace quorlex {
namespace {

// Whether a match "<...>" is a tag. `first` is the match up to its first blank, tab or line
// feed. A long first word holding an at sign, a full stop or "://" is a mail address or URL
// in angle brackets; "<", "<=" and "<<" are comparisons or quotes.
bool LooksLikeTag(const TextString& first) {
  if (first.Equals("<", 1, 0) || first.StartsWith("<=", 1) || first.StartsWith("<<", 1)) {
    return false;
  }
  const bool addressLike =
      first.CountChar('@') > 0 || first.CountChar('.') > 0 || first.FindNoCase("://") != nullptr;
  return !(first.Length() >= 8 && addressLike);
}

HandlerResult TagHandler(PatternEngine& engine, WildcardPattern&, MatchState& state,
                         const char* working, int& index, void* userData) {
  if (!state.IsUsable(engine.WorkingLength())) return HandlerResult::kUnchanged;
  const TagRemover::Call& call = *static_cast<TagRemover::Call*>(userData);
  int firstEnd = state.start;
  while (firstEnd <= state.end && working[firstEnd] != ' ' && working[firstEnd] != '\n' &&
         working[firstEnd] != '\t') {
    ++firstEnd;
  }
  TextString first;
  first.AssignBytes(working + state.start, firstEnd - state.start);
  // In text mode every tag goes. When the output stays HTML, the tags that stay are kept
  // as they are for now.
  if (call.options->convertToText && LooksLikeTag(first)) {
    static_cast<CopyPatternEngine&>(engine).EmitReplacement(state, index, "");
  }
  return HandlerResult::kUnchanged;
}

}  // namespace

void MessageTally::Add(const TextString& message) {
  for (auto& entry : entries_) {
    if (entry.first.View() == message.View()) {
      ++entry.second;
      return;
    }
  }
  entries_.emplace_back(message, 1);
}

void MessageTally::Report(const MessageFunction& report, int level) const {
  if (!report) return;
  for (const auto& [text, count] : entries_) {
    TextString line(text);
    if (count > 1) {
      line += " (";
      line += count;
      line += " times)";
    }
    report(line.Data(), level);
  }
}

TagRemover::TagRemover() {
  tags_.AddPattern(PatternType::kCopyHandler, "<**>", nullptr, 0, TagHandler, &call_);
  tags_.locked = true;
}

int TagRemover::Run(const MessageFunction& report, QuorlOptions& options, const TextString& in,
                    TextString& out) {
  call_ = Call();
  call_.options = &options;
  int handled = 0;
  TextString text(in);
  if (text.CountChar('<') > 0 && text.CountChar('>') > 0) {
    const RunOptions options;
    handled = tags_.Run(text, &options);
    if (handled > 0) tags_.TakeResult(text);
    call_.tally.Report(report, 8);
  }
  if ((options.convertToText || options.replaceEntities) && text.CountChar('&') > 0 &&
      text.CountChar(';') > 0) {
    TextString converted;
    handled += ConvertEntities(text, converted, options.allow8BitAnsi != 0,
                               options.allowAnsiAlternatives != 0, options.utf8Document != 0,
                               options.unicodeTextProduced);
    text.Swap(converted);
  }
  out.Swap(text);
  return handled;
}

int RemoveRemainingTags(const MessageFunction& report, QuorlOptions& options, const TextString& in,
                        TextString& out) {
  TagRemover remover;
  return remover.Run(report, options, in, out);
}

}  // namespace quorlex
