// quorlexrun: converts HTML files to plain text, or strips chosen markup, from the shell.

#include <cstdio>
#include <vector>

#include "control/ConsoleProgram.h"
#include "foundation/WholeFileWriter.h"

int main(int argc, char** argv) {
  quorlex::RemoveTemporaryFilesOnInterrupt();
  std::vector<quorlex::TextString> words;
  for (int i = 1; i < argc; ++i) words.emplace_back(argv[i]);
  return quorlex::RunConsoleProgram(words, stdin, stdout, stderr);
}
