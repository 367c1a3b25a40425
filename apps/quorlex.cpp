// quorlex: the desktop program. Converts the files it is started with, or opens its window.

#include "foundation/WholeFileWriter.h"
#include "frontend/DesktopProgram.h"

int main(int argc, char** argv) {
  // An interrupted conversion leaves no temporary output file behind.
  quorlex::RemoveTemporaryFilesOnInterrupt();
  return quorlex::RunDesktopProgram(argc, argv);
}
