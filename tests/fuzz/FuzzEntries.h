#pragma once

#include <cstddef>
#include <cstdint>

// The entry points of the fuzz targets. Each takes arbitrary bytes and drives one reader or
// the whole conversion with them; whatever the bytes, it must return without a crash, a
// hang, a leak or a sanitizer report. The libFuzzer programs (FuzzMain.cpp) and the replay
// programs that run the saved inputs as ordinary tests (ReplayMain.cpp) call the same
// functions, so a saved input replays exactly as it was found.
namespace quorlex::fuzz {

// A whole output pass over a document read from a file: the leading bytes choose the
// policies (text or markup mode, page width, justification, tables and their format,
// dialogue, white space, entities, ...), the rest is the document.
void ConvertDocument(const uint8_t* data, size_t size);
// The bytes as a policy file read by PolicyFileReader, then the policies written out again.
void ReadPolicyFile(const uint8_t* data, size_t size);
// The bytes as program arguments (one a line): classified, the qualifier words parsed by
// ParseCommandLine, and the whole as a steering-file line split into words.
void ReadCommandLine(const uint8_t* data, size_t size);
// The bytes as a text file read line by line (ASCIIFile::ReadLine, then LineSource), and as
// UTF-16 text converted with Utf16ToUtf8.
void ReadTextFile(const uint8_t* data, size_t size);
// The bytes as a user-interface language file (desktop front end).
void ReadLanguageFile(const uint8_t* data, size_t size);
// The bytes as the program settings file (desktop front end).
void ReadSettingsFile(const uint8_t* data, size_t size);

}  // namespace quorlex::fuzz
