#pragma once

#include "control/RunSettings.h"
#include "foundation/RunFiles.h"
#include "foundation/TextString.h"
#include "policies/ConversionContext.h"
#include "policies/PolicyCatalogue.h"

namespace quorlex {

// The policies the files of a queue are converted with: a de-tagging set and a base context
// holding what the file's policy file gives over the defaults (or what the program supplies
// instead of a policy file). A policy file is read again only when a file names another one,
// or when its includes were found beside the input and the input lies elsewhere.
class QueuePolicies {
 public:
  QueuePolicies();
  QueuePolicies(const QueuePolicies&) = delete;
  QueuePolicies& operator=(const QueuePolicies&) = delete;

  // Takes over the policies `other` holds and what it has read; the base context's run
  // stays as it was.
  void CopyFrom(const QueuePolicies& other);

  // The policies of `policyFile` (empty: the defaults) for an input in `inputFolder`, read
  // unless they are loaded already; the files read are recorded in `files` (may be null).
  // Returns 0 after reporting, through the base context, `missingMessage` and the name when
  // the file is missing; `refused` is set when it or an include was refused.
  int Use(const TextString& policyFile, const TextString& inputFolder, const char* missingMessage,
          RunFiles* files, bool& refused);
  // The policies of `policies` instead of a policy file, read from `policyFileName` (empty:
  // none).
  void UseContext(const ConversionContext& policies, const TextString& policyFileName);

  PolicySet& Detagging() { return detagging_; }
  const PolicySet& Detagging() const { return detagging_; }
  ConversionContext& Base() { return base_; }
  const ConversionContext& Base() const { return base_; }
  // The policy file the policies came from, as messages name it (empty: none).
  const TextString& Source() const { return source_; }
  // What the output is, as the last policy file read says ("Remove all tags"); text until
  // one is read.
  OutputFormat Format() const { return format_; }
  // Counts the times the policies changed: equal counts, equal policies.
  int Generation() const { return generation_; }

 private:
  // Whether `policyFile` is loaded already as it is read for `inputFolder`.
  bool Loaded(const TextString& policyFile, const TextString& inputFolder) const;
  void TakeFormat();

  PolicySet detagging_;
  ConversionContext base_;
  TextString loadedFile_;
  TextString loadedInputFolder_;
  bool usedInputFolder_ = false;
  TextString source_;
  OutputFormat format_ = OutputFormat::kText;
  int generation_ = 0;
};

}  // namespace quorlex
