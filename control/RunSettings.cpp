#include "control/RunSettings.h"

#include "foundation/FileNames.h"

namespace quorlex {

void FileSpecification::Assign(const TextString& value) {
  whole = value;
  SplitPath(value, folder, name, extension);
}

}  // namespace quorlex
