#pragma once

#include <string>
#include <string_view>

namespace quorlex {

// The 8-bit character sets the user-interface texts are written in. The built-in tables
// hold Windows-1252 (the Western languages) or Windows-1251 (Russian); texts read from a
// language file may also be UTF-8.
enum class CodePage { Windows1252, Windows1251, Utf8 };

// `bytes` in `codePage`, as UTF-8. UTF-8 input is taken as it is, except that bytes that do
// not form a valid sequence are read as Windows-1252. The five Windows-1252 bytes and the one
// Windows-1251 byte that the code pages leave undefined become the C1 control of the same
// number, as Windows itself converts them.
std::string ToUtf8(std::string_view bytes, CodePage codePage);

// True when every byte of `bytes` is ASCII or part of a valid UTF-8 sequence.
bool IsValidUtf8(std::string_view bytes);

// The code page in which a language file's bytes are most likely written: UTF-8 when they
// hold at least one multi-byte sequence and nothing that is not UTF-8; else Windows-1251
// when bytes above 127 outnumber the ASCII letters (Cyrillic words are made of such bytes
// only, while Western words carry an accented letter here and there); else Windows-1252.
CodePage GuessCodePage(std::string_view bytes);

// Text of unknown origin (a message of a conversion, which may quote a document in any
// code page) as UTF-8: as it is when it is valid UTF-8, else read as Windows-1252.
std::string MessageToUtf8(std::string_view bytes);

}  // namespace quorlex
