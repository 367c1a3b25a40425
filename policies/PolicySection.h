#pragma once

#include <vector>

#include "policies/Policy.h"

namespace quorlex {

// A numbered group of policies with the bracketed heading a policy file writes above it.
// Policies are kept in ascending id order; a lookup that finds no policy of the asked id and
// type returns the section's fallback (-1, No, "**void**") and never fails otherwise.
class PolicySection {
 public:
  static constexpr int kIntegerFallback = -1;
  static constexpr int kYesNoFallback = 0;
  static constexpr const char* kTextFallback = "**void**";

  explicit PolicySection(int number, const char* heading = "[Unknown]");

  // Adds a policy in id order. Returns 0 (keeping the first) when the id is present or the
  // type is not one of the seven.
  int AddPolicy(const Policy& policy);

  // The value of the policy with this id and exactly this type, else the fallback.
  [[nodiscard]] int GetInteger(int id) const;
  [[nodiscard]] int GetYesNo(int id) const;
  [[nodiscard]] TextString GetText(int id) const;
  // Stores the value when a policy of this id and type exists and returns 1, else 0. The
  // policy counts as set when `changed` is non-zero or it was set already.
  int SetInteger(int id, int value, int changed);
  int SetYesNo(int id, int value, int changed);
  int SetText(int id, const char* value, int changed);

  // Every policy back to its default, flags cleared.
  void ResetAll();
  Policy* Find(int id);
  const Policy* Find(int id) const;
  std::vector<Policy>& Policies() { return policies_; }
  const std::vector<Policy>& Policies() const { return policies_; }
  // Whether any policy of the section is set.
  bool AnySet() const;

  int number;
  TextString heading;

 private:
  const Policy* FindTyped(int id, PolicyType type) const;
  Policy* FindTyped(int id, PolicyType type);

  std::vector<Policy> policies_;
};

// The sections of a policy set, in the order they are held.
class PolicySet {
 public:
  PolicySection& AddSection(int number, const char* heading);
  // The section of this number, or null.
  PolicySection* Section(int number);
  const PolicySection* Section(int number) const;
  std::vector<PolicySection>& Sections() { return sections_; }
  const std::vector<PolicySection>& Sections() const { return sections_; }
  // The policy of this id in whichever section holds it, or null.
  Policy* Find(int id);
  const Policy* Find(int id) const;
  void ResetAll();

  // Program-set calls that keep a user's value report it while this is on.
  int reportOverrides = 0;

 private:
  std::vector<PolicySection> sections_;
};

}  // namespace quorlex
