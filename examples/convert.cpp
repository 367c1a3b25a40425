// Prints the text of an HTML file, or of standard input, laid out for reading.
#include <quorlex/quorlex.h>

#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
  std::ifstream file;
  if (argc > 1) file.open(argv[1], std::ios::binary);
  std::istream& in = argc > 1 ? file : std::cin;
  const std::string html{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const quorlex::Result result = quorlex::Converter().ToText(html);
  for (const quorlex::Message& message : result.messages) std::cerr << message.text << '\n';
  std::cout << result.text;
  return result ? 0 : 1;
}
