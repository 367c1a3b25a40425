// quorlex: the desktop program. Converts the files it is started with, or opens its window.

#include "frontend/DesktopProgram.h"

int main(int argc, char** argv) { return quorlex::RunDesktopProgram(argc, argv); }
