#pragma once

#include <vector>

#include "foundation/TextString.h"

namespace quorlex {

// The desktop program: builds the main window, takes the command line (qualifiers through
// the qualifier parser, a policy file, "-r"), and then either runs the window until the user
// closes it, or, when files are named, converts them at once and opens the window only when
// the conversion failed or the settings ask for it. `words` are the arguments without the
// program name. A QApplication must exist. Returns the exit status: 0, or 1 when the window
// was not opened and the conversion failed.
int RunDesktopProgram(const std::vector<TextString>& words);

}  // namespace quorlex
