#include "policies/ConversionContext.h"

namespace quorlex {
namespace {

int GetYesNo(const PolicySet& set, int id) {
  const Policy* policy = set.Find(id);
  return policy != nullptr && policy->type == PolicyType::kYesNo ? policy->number
                                                                 : PolicySection::kYesNoFallback;
}

void WriteLine(std::FILE* stream, const char* text) {
  std::fputs(text, stream);
  std::fputc('\n', stream);
  std::fflush(stream);
}

}  // namespace

ConversionContext::ConversionContext(PolicySet& detagging)
    : detagging_(&detagging), general_(MakeGeneralPolicies()) {}

int ConversionContext::GeneralYesNo(int id) const { return GetYesNo(general_, id); }

int ConversionContext::GeneralInteger(int id) const {
  const Policy* policy = general_.Find(id);
  return policy != nullptr && policy->type == PolicyType::kInteger
             ? policy->number
             : PolicySection::kIntegerFallback;
}

TextString ConversionContext::GeneralText(int id) const {
  const Policy* policy = general_.Find(id);
  return policy != nullptr && policy->type == PolicyType::kText
             ? policy->text
             : TextString(PolicySection::kTextFallback);
}

MessageSettings ConversionContext::Settings() const {
  MessageSettings settings;
  settings.verbosity = GeneralInteger(kErrorReportingLevel);
  settings.display = GeneralYesNo(kDisplayMessages);
  settings.suppressUrl = GeneralYesNo(kSuppressUrlMessages);
  settings.suppressInfo = GeneralYesNo(kSuppressInfoMessages);
  settings.suppressWarning = GeneralYesNo(kSuppressWarningMessages);
  settings.suppressProgramError = GeneralYesNo(kSuppressProgramErrorMessages);
  settings.suppressTagError = GeneralYesNo(kSuppressTagErrorMessages);
  return settings;
}

void ConversionContext::Message(const char* message, int level) {
  if (record_ != nullptr) {
    record_->push_back({RecordedMessage::Kind::kMessage, level, message});
  } else if (run_ != nullptr) {
    run_->Configure(Settings());
    run_->Message(message, level);
  } else if (GeneralYesNo(kDisplayMessages)) {
    WriteLine(err_, message);
  }
}

void ConversionContext::Status(const char* message) {
  if (record_ != nullptr) {
    record_->push_back({RecordedMessage::Kind::kStatus, 0, message});
  } else if (run_ != nullptr) {
    run_->Configure(Settings());
    run_->Status(message);
  } else if (GeneralYesNo(kDisplayMessages)) {
    WriteLine(out_, message);
  }
}

void ConversionContext::Replay(const MessageRecord& record) {
  for (const RecordedMessage& message : record) {
    if (message.kind == RecordedMessage::Kind::kStatus) {
      Status(message.text.c_str());
    } else {
      Message(message.text.c_str(), message.level);
    }
  }
}

MessageFunction ConversionContext::Reporter() {
  return [this](const char* message, int level) { Message(message, level); };
}

void ConversionContext::SetStreams(std::FILE* out, std::FILE* err) {
  out_ = out;
  err_ = err;
}

void ConversionContext::Reset() {
  general_.ResetAll();
  ruleSet = 0;
  ruleSetRead = 0;
  linkDictionaryFile.Clear();
  textSubstitutionFile.Clear();
  textCommands_.Clear();
}

void ConversionContext::TakeOver(const ConversionContext& source, Flags flags) {
  const int flagsToo = flags == Flags::kTakenToo ? 1 : 0;
  for (PolicySection& section : general_.Sections()) {
    for (Policy& policy : section.Policies()) {
      if (const Policy* from = source.general_.Find(policy.id)) policy.Merge(*from, flagsToo);
    }
  }
  if (source.ruleSetRead) {
    ruleSet = source.ruleSet;
    ruleSetRead = 1;
  }
  textCommands_.TakeOver(source.textCommands_, flagsToo);
}

int ConversionContext::ValueTextByName(const TextString& line, TextString& value, int& category) {
  TextString name;
  int colon = -1;
  TextString squeezed(line);
  squeezed.CollapseBlanks();
  squeezed.Trim(TrimEnds::kBoth, " ");
  name = squeezed;
  if (squeezed.FindChar(0, ':', colon, LetterCase::kMatters)) name.Mid(0, colon);
  name.Trim(TrimEnds::kBoth, " ");
  for (PolicySet* set : {detagging_, &general_}) {
    for (PolicySection& section : set->Sections()) {
      for (const Policy& policy : section.Policies()) {
        if (policy.name.IsEmpty()) {
          Message("PROGRAM ERROR: Missing text policy text", 10);
          continue;
        }
        if (policy.name.Length() != name.Length() ||
            !policy.name.Equals(name.Data(), LetterCase::kIgnored, Blanks::kCount)) {
          continue;
        }
        value = policy.WrittenValue();
        category = policy.category;
        return 1;
      }
    }
  }
  return 0;
}

}  // namespace quorlex
