#include "control/RunSettings.h"

#include "foundation/FileNames.h"

namespace quorlex {

bool IsStandardInput(const TextString& path) { return path.Length() == 1 && path[0] == '-'; }

void FileSpecification::Assign(const TextString& value) {
  whole = value;
  SplitPath(value, folder, name, extension);
}

}  // namespace quorlex
