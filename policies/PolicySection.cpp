#include "policies/PolicySection.h"

#include <algorithm>

namespace quorlex {

PolicySection::PolicySection(int number, const char* heading) : number(number), heading(heading) {}

int PolicySection::AddPolicy(const Policy& policy) {
  if (!IsPolicyType(static_cast<int>(policy.type)) || Find(policy.id) != nullptr) return 0;
  const auto at = std::find_if(policies_.begin(), policies_.end(),
                               [&](const Policy& p) { return p.id >= policy.id; });
  policies_.insert(at, policy);
  return 1;
}

Policy* PolicySection::Find(int id) {
  for (Policy& policy : policies_) {
    if (policy.id == id) return &policy;
  }
  return nullptr;
}

const Policy* PolicySection::Find(int id) const {
  return const_cast<PolicySection*>(this)->Find(id);
}

Policy* PolicySection::FindTyped(int id, PolicyType type) {
  Policy* policy = Find(id);
  return policy != nullptr && policy->type == type ? policy : nullptr;
}

const Policy* PolicySection::FindTyped(int id, PolicyType type) const {
  return const_cast<PolicySection*>(this)->FindTyped(id, type);
}

int PolicySection::GetInteger(int id) const {
  const Policy* policy = FindTyped(id, PolicyType::kInteger);
  return policy != nullptr ? policy->number : kIntegerFallback;
}

int PolicySection::GetYesNo(int id) const {
  const Policy* policy = FindTyped(id, PolicyType::kYesNo);
  return policy != nullptr ? policy->number : kYesNoFallback;
}

TextString PolicySection::GetText(int id) const {
  const Policy* policy = FindTyped(id, PolicyType::kText);
  return policy != nullptr ? policy->text : TextString(kTextFallback);
}

int PolicySection::SetInteger(int id, int value, int changed) {
  Policy* policy = FindTyped(id, PolicyType::kInteger);
  if (policy == nullptr) return 0;
  policy->number = value;
  policy->valueSet = policy->valueSet || changed;
  return 1;
}

int PolicySection::SetYesNo(int id, int value, int changed) {
  Policy* policy = FindTyped(id, PolicyType::kYesNo);
  if (policy == nullptr) return 0;
  policy->number = value ? 1 : 0;
  policy->valueSet = policy->valueSet || changed;
  return 1;
}

int PolicySection::SetText(int id, const char* value, int changed) {
  Policy* policy = FindTyped(id, PolicyType::kText);
  if (policy == nullptr) return 0;
  policy->text = value;
  policy->valueSet = policy->valueSet || changed;
  return 1;
}

void PolicySection::ResetAll() {
  for (Policy& policy : policies_) policy.Reset();
}

bool PolicySection::AnySet() const {
  return std::any_of(policies_.begin(), policies_.end(),
                     [](const Policy& p) { return p.valueSet != 0; });
}

PolicySection& PolicySet::AddSection(int number, const char* heading) {
  sections_.emplace_back(number, heading);
  return sections_.back();
}

PolicySection* PolicySet::Section(int number) {
  for (PolicySection& section : sections_) {
    if (section.number == number) return &section;
  }
  return nullptr;
}

const PolicySection* PolicySet::Section(int number) const {
  return const_cast<PolicySet*>(this)->Section(number);
}

Policy* PolicySet::Find(int id) {
  for (PolicySection& section : sections_) {
    if (Policy* policy = section.Find(id)) return policy;
  }
  return nullptr;
}

const Policy* PolicySet::Find(int id) const { return const_cast<PolicySet*>(this)->Find(id); }

void PolicySet::ResetAll() {
  for (PolicySection& section : sections_) section.ResetAll();
}

}  // namespace quorlex
