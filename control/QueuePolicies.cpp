#include "control/QueuePolicies.h"

#include "foundation/FileNames.h"
#include "policies/PolicyFile.h"

namespace quorlex {

QueuePolicies::QueuePolicies() : detagging_(MakeDetaggingPolicies()), base_(detagging_) {}

void QueuePolicies::CopyFrom(const QueuePolicies& other) {
  detagging_ = other.detagging_;
  base_.Reset();
  base_.TakeOver(other.base_, ConversionContext::Flags::kTakenToo);
  loadedFile_ = other.loadedFile_;
  loadedInputFolder_ = other.loadedInputFolder_;
  usedInputFolder_ = other.usedInputFolder_;
  source_ = other.source_;
  format_ = other.format_;
  generation_ = other.generation_;
}

bool QueuePolicies::Loaded(const TextString& policyFile, const TextString& inputFolder) const {
  return policyFile.View() == loadedFile_.View() &&
         (!usedInputFolder_ || inputFolder.View() == loadedInputFolder_.View());
}

void QueuePolicies::TakeFormat() {
  format_ = detagging_.Find(kRemoveAllTags)->number ? OutputFormat::kText : OutputFormat::kHtml;
}

int QueuePolicies::Use(const TextString& policyFile, const TextString& inputFolder,
                       const char* missingMessage, RunFiles* files, bool& refused) {
  if (Loaded(policyFile, inputFolder)) return 1;
  ++generation_;
  detagging_.ResetAll();
  base_.Reset();
  loadedFile_.Clear();
  source_.Clear();
  usedInputFolder_ = false;
  if (policyFile.IsEmpty()) return 1;
  if (!CanRead(policyFile) || IsFolder(policyFile)) {
    base_.Message((missingMessage + policyFile).Data(), 10);
    return 0;
  }
  PolicyFileReader reader(base_);
  reader.SetInputFolder(inputFolder);
  reader.Read(policyFile, nullptr);
  if (files != nullptr) {
    for (const TextString& file : reader.FilesRead()) files->AddInput(file);
  }
  if (reader.FileRefused()) {
    refused = true;
    return 0;
  }
  loadedFile_ = policyFile;
  source_ = policyFile;
  loadedInputFolder_ = inputFolder;
  usedInputFolder_ = reader.DependsOnInputFolder();
  TakeFormat();
  return 1;
}

void QueuePolicies::UseContext(const ConversionContext& policies,
                               const TextString& policyFileName) {
  ++generation_;
  detagging_ = policies.Detagging();
  base_.Reset();
  base_.TakeOver(policies, ConversionContext::Flags::kTakenToo);
  loadedFile_.Clear();
  usedInputFolder_ = false;
  source_ = policyFileName;
  TakeFormat();
}

}  // namespace quorlex
