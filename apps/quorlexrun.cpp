// quorlexrun: converts HTML files to plain text, or strips chosen markup, from the shell.

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

#include "control/ConsoleProgram.h"
#include "foundation/WholeFileWriter.h"

int main(int argc, char** argv) {
  quorlex::RemoveTemporaryFilesOnInterrupt();
  // Running out of memory ends the run with a word, then an abort (which takes the
  // temporary files with it).
  std::set_new_handler([] {
    static constexpr char kMessage[] = "ERROR: Out of memory - conversion stopped\n";
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, kMessage, sizeof kMessage - 1);
    std::abort();
  });
  std::vector<quorlex::TextString> words;
  for (int i = 1; i < argc; ++i) words.emplace_back(argv[i]);
  return quorlex::RunConsoleProgram(words, stdin, stdout, stderr);
}
