#include "foundation/RunFiles.h"

#include <sys/stat.h>

#include <algorithm>

#include "foundation/WholeFileWriter.h"

namespace quorlex {

std::vector<RunFiles::Identity> RunFiles::IdentitiesOf(const std::string& path) {
  std::vector<Identity> identities;
  struct stat info {};
  if (stat(path.c_str(), &info) == 0) identities.push_back({info.st_dev, info.st_ino});
  if (lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
    identities.push_back({info.st_dev, info.st_ino});
  }
  return identities;
}

void RunFiles::AddInput(const TextString& path) {
  const std::string name(path.View());
  if (name.empty() || inputs_.count(name) != 0) return;
  std::vector<Identity> identities = IdentitiesOf(name);
  if (identities.empty()) return;
  for (const Identity& identity : identities) ++inputOwners_[identity];
  inputs_.emplace(name, std::move(identities));
}

bool RunFiles::ReplacedBy(const TextString& path, Identity& identity) {
  struct stat changed {};
  if (!FileChangedByWriting(path.Data(), changed)) return false;
  identity = {changed.st_dev, changed.st_ino};
  return true;
}

bool RunFiles::OwnedOnlyBy(const Identity& identity, const TextString* ownInput) const {
  if (ownInput == nullptr) return false;
  const auto own = inputs_.find(std::string(ownInput->View()));
  if (own == inputs_.end()) return false;
  const bool mine =
      std::find(own->second.begin(), own->second.end(), identity) != own->second.end();
  return mine && inputOwners_.at(identity) == 1;
}

int RunFiles::MayWrite(const TextString& path, const TextString* ownInput,
                       TextString& refusal) const {
  Identity identity{};
  if (!ReplacedBy(path, identity)) return 1;
  if (written_.count(identity) != 0) {
    refusal = "ERROR: " + path + " was already written in this run - not overwritten";
    return 0;
  }
  if (inputOwners_.count(identity) != 0 && !OwnedOnlyBy(identity, ownInput)) {
    refusal = "ERROR: " + path + " is an input of this run - not overwritten";
    return 0;
  }
  return 1;
}

void RunFiles::RecordWritten(const TextString& path, const TextString* ownInput) {
  if (ownInput != nullptr) {
    const auto own = inputs_.find(std::string(ownInput->View()));
    if (own != inputs_.end() && IdentitiesOf(own->first) != own->second) {
      for (const Identity& identity : own->second) {
        if (--inputOwners_[identity] == 0) inputOwners_.erase(identity);
      }
      inputs_.erase(own);
    }
  }
  Identity identity{};
  if (ReplacedBy(path, identity)) written_.insert(identity);
}

}  // namespace quorlex
