#pragma once

#include <QIcon>

namespace quorlex {

// The program's icon: one image for each size of PNG compiled into the program (16 to
// 256 pixels), so that it shows without Qt's SVG plug-in. Needs a QGuiApplication.
QIcon ProgramIcon();

// Whether a start with files whose window stayed closed ends now. It runs on while the
// clipboard holds the text of its conversion (`outputDestination` 2, as
// MainWindow::OutputDestination gives it): the desktop takes the text from the program that
// placed it there, so it would go with the program. It runs on as well while its window
// shows, opened by a later start.
bool StartWithFilesEnds(int outputDestination, bool ownsClipboard, bool windowShown);

// The desktop program: hands the files it is started with to the program of the same user
// and settings file already running, and ends (status 0, no window, settings untouched).
// Otherwise it builds the main window, takes the command line (qualifiers through the
// qualifier parser, a policy file, "-r"), takes the files of later starts as dropped files,
// and then either runs the window until the user closes it, or, when files are named,
// converts them at once and opens the window only when the conversion failed or the settings
// ask for it (see StartWithFilesEnds for a program that runs on without a window).
// "--version" prints the version and needs no display. `argc` and `argv` are main's. Returns
// the exit status.
int RunDesktopProgram(int argc, char** argv);

}  // namespace quorlex
