#pragma once

#include <QIcon>

namespace quorlex {

// The program's icon: one image for each size of PNG compiled into the program (16 to
// 256 pixels), so that it shows without Qt's SVG plug-in. Needs a QGuiApplication.
QIcon ProgramIcon();

// The desktop program: builds the main window, takes the command line (qualifiers through
// the qualifier parser, a policy file, "-r"), and then either runs the window until the user
// closes it, or, when files are named, converts them at once and opens the window only when
// the conversion failed or the settings ask for it. "--version" prints the version and needs
// no display. `argc` and `argv` are main's. Returns the exit status.
int RunDesktopProgram(int argc, char** argv);

}  // namespace quorlex
