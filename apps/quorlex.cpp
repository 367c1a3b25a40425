// quorlex: the desktop program. Converts the files it is started with, or opens its window.

#include <QApplication>
#include <vector>

#include "frontend/DesktopProgram.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("quorlex");
  QApplication::setDesktopFileName("quorlex");
  std::vector<quorlex::TextString> words;
  for (int i = 1; i < argc; ++i) words.emplace_back(argv[i]);
  return quorlex::RunDesktopProgram(words);
}
