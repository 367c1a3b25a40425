#pragma once

#include <cstring>
#include <string_view>

namespace quorlex {

// Whether comparisons and searches tell upper from lower case (ASCII letters only).
enum class LetterCase { kIgnored, kMatters };
// Whether Equals skips spaces and tabs on both sides.
enum class Blanks { kCount, kIgnored };
// The ends of a string that Trim takes characters from.
enum class TrimEnds { kBoth, kTrailingOnly };

// The counted, growable string of 8-bit characters that holds every text of the program:
// policy names and values, input lines, whole HTML documents while they are de-tagged,
// tokens, messages and file names.
//
// Positions are 0-based character indexes. Operations report 1 for success and 0 for
// failure (out-of-range positions, null or empty arguments where stated) and leave the
// text unchanged when they fail; none throws. Case-insensitive comparisons compare the
// ASCII upper-case mapping of both characters: bytes above 127 are never folded.
//
// Invariants: `data` is never null while the object lives, `length <= capacity`, and
// `data[length]` is a NUL byte. NUL bytes inside the counted text (from AssignBytes, say)
// count like any other byte: searches and edits work on the counted text.
//
// Growth: the buffer is a whole number of 256-byte units. Reserve(n) on a string whose
// capacity falls short of a large n by less than a fifth grows geometrically (doubling
// below 500000 characters, by half above, up to the largest capacity a 32-bit length
// allows), so long sequences of appends and replacements over a whole document stay
// linear. A new string has capacity 254. Buffers never shrink.
class TextString {
 public:
  TextString();
  TextString(const TextString& other);
  // Leaves `other` empty (with a fresh 256-byte block, so it stays usable).
  TextString(TextString&& other) noexcept;
  // A null or empty text gives an empty string.
  TextString(const char* text);  // NOLINT(google-explicit-constructor): strings mix freely
  // The decimal text of `value`.
  explicit TextString(int value);
  TextString& operator=(const TextString& other);
  TextString& operator=(TextString&& other) noexcept;
  TextString& operator=(const char* text);
  // Frees the buffer; afterwards data is null and length and capacity are 0.
  virtual ~TextString();

  // 1 if no character is an ASCII letter (a-z, A-Z), else 0. An empty string answers 1.
  virtual int HasNoLetters() const;
  // 1 if no character is an ASCII letter or decimal digit, else 0. Empty answers 1.
  virtual int HasNoLettersOrDigits() const;
  // 1 if no character is an ASCII lower-case letter, else 0. Empty answers 1.
  virtual int HasNoLowerCase() const;

  const char* Data() const { return data; }
  int Length() const { return length; }
  int Capacity() const { return capacity; }
  bool IsEmpty() const { return length == 0; }
  std::string_view View() const { return std::string_view(data, static_cast<size_t>(length)); }
  // The character at index i; the caller guarantees 0 <= i < Length().
  char operator[](int i) const;

  // Makes room for n characters (see Growth above). Allocation failure ends the program.
  void Reserve(int n);
  // Exchanges the buffers of two strings in constant time.
  void Swap(TextString& other) noexcept;

  // --- Construction, assignment and concatenation -------------------------------------

  // Replaces the contents with a C string; null or empty gives an empty string. The text
  // may point into this string's own buffer. Returns 1.
  int Assign(const char* text);
  // Replaces the contents with `count` characters of `text` from `start`; a negative count
  // means to the end of `text`. The caller guarantees the characters are there. A null
  // text gives an empty string. Returns 1.
  int AssignSub(const char* text, int start, int count);
  // Copies exactly n bytes, NULs included. Returns 0 (and changes nothing) for a negative
  // n or a null `bytes` with n > 0, else 1.
  int AssignBytes(const char* bytes, int n);
  // Length 0. Returns 1.
  int Clear();
  // Returns 1.
  int AppendChar(char c);
  // Appends a C string; null or empty appends nothing. Returns 1.
  int Append(const char* text);
  // Appends exactly n bytes, NULs included; same failures as AssignBytes.
  int AppendBytes(const char* bytes, int n);
  // Appends `value` in `style`, then one blank if trailingBlank is non-zero. Styles:
  // '1' (and any unlisted value) decimal; 'a'/'A' bijective base-26 letters up to three
  // (1 = a, 27 = aa, 18278 = zzz; values below 1 or above 18278 give nothing); 'i'/'I'
  // roman numerals (thousands beyond 3 are dropped; values below 1 give nothing). The
  // blank is appended even when the number gives nothing. Returns 1.
  int AppendNumber(char style, int value, int trailingBlank);

  // Append and return this string. (Chained appends all land in this string.)
  TextString& operator+=(const TextString& other);
  TextString& operator+=(const char* text);
  TextString& operator+=(int value);

  friend TextString operator+(const TextString& left, const TextString& right);
  friend TextString operator+(const TextString& left, const char* right);
  friend TextString operator+(const char* left, const TextString& right);
  // Byte for byte.
  friend bool operator==(const TextString& left, const TextString& right) {
    return left.View() == right.View();
  }

  // ASCII case mapping of the whole counted text, in place.
  void ToUpper();
  void ToLower();

  // --- Comparison and search -----------------------------------------------------------

  // 1 if the string equals `text`, else 0 (also for a null text). With Blanks::kIgnored,
  // spaces and tabs are skipped on both sides and the walk ends with 1 as soon as either
  // side is exhausted, so a text equal to the beginning of the other counts as equal and an
  // empty string equals anything. Without it the lengths must be equal.
  [[nodiscard]] int Equals(const char* text, LetterCase letterCase, Blanks blanks) const;
  // 1 if the string begins with `prefix`; 0 for a null or empty prefix, an empty string,
  // or a string shorter than the prefix.
  [[nodiscard]] int StartsWith(const char* prefix, LetterCase letterCase) const;
  // Three-way comparison (-1, 0, 1) of at most n characters of two C strings, by signed
  // byte values. 0 for n <= 0; a null `a` sorts first (0 if both are null). With
  // LetterCase::kIgnored, characters that differ only by case are equal; the sign of a difference
  // comes from the characters as they stand.
  [[nodiscard]] static int CompareN(const char* a, const char* b, int n, LetterCase letterCase);
  // Returns 1 and sets pos to the first occurrence of `text` that begins at or after
  // `from`; returns 0 with pos = -1 when there is none, `from` is negative or beyond the
  // end, or either string is empty.
  [[nodiscard]] int Find(int from, const char* text, int& pos, LetterCase letterCase) const;
  // As Find for one character.
  [[nodiscard]] int FindChar(int from, char c, int& pos, LetterCase letterCase) const;
  // The first case-insensitive occurrence of `text` in the whole string, or null (also for
  // a null or empty text).
  [[nodiscard]] const char* FindNoCase(const char* text) const;
  // Number of occurrences of c.
  [[nodiscard]] int CountChar(char c) const;
  // Whether c occurs (stops at the first).
  [[nodiscard]] bool Contains(char c) const {
    return length > 0 && std::memchr(data, c, static_cast<size_t>(length)) != nullptr;
  }

  // --- Editing in place (1 on success, 0 for arguments out of range) -------------------

  // Inserts c before index pos; 0 <= pos <= Length().
  int InsertChar(int pos, char c);
  // Inserts a C string before index pos (0 to Length()); a null text inserts nothing.
  int Insert(int pos, const char* text);
  // Keeps `count` characters from `start` (a negative count counts as 0; the count is cut
  // to what remains). Fails for start < 0 or start > Length().
  int Mid(int start, int count);
  // Deletes occurrences of c from index `from` on, at most `max` of them (max <= 0: all).
  // Returns 1 if max <= 0 or exactly max were deleted; 0 also for `from` out of range.
  int RemoveChar(int from, char c, int max);
  // As RemoveChar, overwriting oldChar with newChar. An empty string returns 1.
  int ReplaceChar(int from, char oldChar, char newChar, int max);
  // Replaces the `count` characters at `start` with textLength bytes of `text` (NULs
  // included). Fails (0, nothing changed) unless 0 <= start, 0 <= count,
  // start + count <= Length() and textLength >= 0. `text` must not point into this string.
  int Splice(int start, int count, const char* text, int textLength);
  // Replaces occurrences of `find`, left to right from `from`, at most `max` of them
  // (max <= 0: all); replacement text is never searched again. `with` null: each character
  // of an occurrence is overwritten with *fill. `with` empty: occurrences are deleted.
  // `count`, when given, is incremented once per replacement (never reset).
  // Returns 1 if max <= 0 or exactly max replacements were made, else 0. Fails (0) for
  // `from` out of range, a null find, or both `with` and `fill` null; an empty find
  // returns 0 and changes nothing; an empty string returns 1.
  // Strings over 1000 characters are rebuilt in one pass instead of being shifted once per
  // replacement; the outcome is the same.
  int Replace(int from, const char* find, const char* with, int max, LetterCase letterCase,
              const char* fill, int* count);
  // Replace from index 0 with no fill character and no counter.
  int ReplaceAll(const char* find, const char* with, int max, LetterCase letterCase);
  // Strips characters of `set` (null: a single space; a space in the set also matches a
  // tab) from the end and, with TrimEnds::kBoth, from the start. Returns 1.
  int Trim(TrimEnds ends, const char* set);
  // Within every run of spaces and tabs only the first character of the run remains.
  // Returns 1.
  int CollapseBlanks();
  // Replaces every tab by the blanks up to the next tab stop (stops every `width`
  // columns, counted from 0 in the text as it is being expanded). Returns the new length.
  // A width below 1 changes nothing.
  int ExpandTabs(int width);
  // Widens the line to exactly `width` display columns (see DisplayWidth) by adding blanks
  // at its gaps (the last space of every run of spaces, except a space at index 1). Trims
  // spaces and tabs at both ends first. Returns 0 when the trimmed line is wider than
  // width or has no gap.
  // Successive calls on one thread lean alternately left and right, starting with left:
  // the spare blanks go to the gaps on that side first.
  int Justify(int width);

  // --- Tokens ------------------------------------------------------------------------
  //
  // A token is the text between delimiters. Delimiter ' ' is blank mode: runs of spaces
  // and tabs (leading ones included) separate tokens and a token ends at its first space
  // or tab. Delimiter 0xBF is word mode, which only knows the first token: it ends at the
  // first tab, space, comma, semicolon, '<', '>', "&lt;" or "&gt;". Any other delimiter
  // encloses empty tokens between adjacent delimiters; one at the very beginning makes the
  // first token empty, one at the very end opens no last token. `out` may be this string.

  // The n-th token (1-based) of the whole string. As GetTokenAt from index 0.
  [[nodiscard]] int GetToken(int n, char delim, TextString& out) const;
  // The n-th token of the text that begins at `start`; `offset` receives its position
  // relative to start. Fails (0, out cleared) for n <= 0, start at or beyond the end or
  // negative, or fewer than n tokens.
  [[nodiscard]] int GetTokenAt(int start, int n, char delim, TextString& out, int& offset) const;
  // The token that begins exactly at pos (a delimiter there gives an empty token); pos
  // then moves past the token and one delimiter, clamped to Length(). Fails (0, out
  // cleared) when pos >= Length(). With delimiter '\n' this splits a text into lines.
  [[nodiscard]] int GetNextToken(int& pos, char delim, TextString& out) const;

  // --- Numbers and character sets -----------------------------------------------------

  // Reads a decimal number, ignoring leading characters other than digits, '+', '-' and
  // '.' and trailing characters after the last digit or '.'; a letter in either stretch,
  // or a middle that is not digits with at most one '.' and a leading sign, fails.
  // A number beyond the range of a double fails too (no infinity is ever returned).
  // value is -1.0 unless a number was read. Returns 1 if one was.
  [[nodiscard]] int ParseReal(double& value) const;
  // Reads a number in `style`: '1' decimal (as ParseReal, but any '.' in the number fails),
  // 'O' octal (an '8' or '9' fails), 'a'/'A' the place in the alphabet of the first ASCII
  // letter (1-26), 'i'/'I' roman numerals below 90 (always succeeds, 0 when none is found).
  // Other styles fail, and so does a '1' or 'O' number outside the int range.
  // value is -1 unless a number was read.
  [[nodiscard]] int ParseNumber(char style, int& value) const;
  // Windows-1252 typography to ASCII: 0x91 '`', 0x92 '\'', 0x93/0x94 '"', 0x95/0x96 '-',
  // 0x97 "--" (one byte becomes two), 0xA0 ' '. A plain byte mapping: the variant below
  // leaves UTF-8 sequences alone. Returns 1.
  int SmartPunctuationToAscii();
  // As SmartPunctuationToAscii, but every byte that belongs to a valid UTF-8 multi-byte
  // sequence is left alone, so the characters of a UTF-8 document survive. Returns 1.
  int SmartPunctuationToAsciiKeepingUtf8();
  // Mac-style quotes and marks to ASCII: 0x92/0xD5 '\'', 0x96/0xA5 '-', 0xAE '>',
  // 0xB4 '*', 0xD2/0xD3 '"', 0xD4 '`'. Returns 1.
  int QuotePunctuationToAscii();
  // Code page 437 to Windows-1252. Box-drawing pieces become '|', '-', '=' or '+' when
  // mapLineDrawing is set; bytes with no counterpart become '?' when markUnmappable is set.
  // Adds 1 to runCount for every horizontal line-drawing piece followed by another piece of
  // the same line. Returns 1.
  int DosToWindows(int mapLineDrawing, int markUnmappable, int& runCount);
  // Every '=' followed by two hex digits becomes the byte they give (with printableOnly,
  // only values 32 to 127). Returns 1.
  int DecodeQuotedPrintable(int printableOnly);
  // Every '%' followed by two hex digits becomes that byte when its value is 32 or more.
  // Returns 1.
  int DecodeUrlEscapes();
  // Reads the text as 16-bit code units (high byte first when bigEndian is set) and
  // re-encodes each as UTF-8 in one to three bytes; a surrogate pair becomes one four-byte
  // sequence and a surrogate without its partner U+FFFD. An odd last byte (half a unit) is
  // dropped. Returns 1 if every unit was below 128.
  int Utf16ToUtf8(int bigEndian);
  // Deletes characters by kind: 1 letters, 2 digits, 3 all but letters, digits, spaces and
  // tabs, 4 spaces, tabs, carriage returns and line feeds. Returns 1 (0 for another kind).
  int FilterChars(int kind);
  // Draws DEC line-drawing characters in ASCII while inLineDrawing is set (the caller
  // keeps the flag from line to line), then removes terminal escape sequences. sawEscape is
  // set when one was met (never cleared here). `message` is cleared, then receives
  // "Unknown Escape sequence : ESC " and the characters of the last unknown sequence; a
  // sequence cut off by the end of the text is removed and reported the same way. Returns 1.
  int TranslateEscapeSequences(int& inLineDrawing, int& sawEscape, TextString& message);

 private:
  // Replaces the buffer by a new block that can hold `newCapacity` characters
  // (capacity + 2 bytes rounded as the growth rule says), keeping the text.
  void Reallocate(int newCapacity);
  // Sets the length and writes the terminator; the caller has reserved room.
  void SetLength(int newLength);
  // The steps of Replace, each returning how many occurrences it replaced (at most `max`
  // when max > 0): fill each occurrence with fillChar; replace in this buffer; replace in one
  // pass into a new buffer.
  int FillOccurrences(int from, const TextString& findText, char fillChar, int max,
                      LetterCase letterCase);
  int ReplaceInPlace(int from, const TextString& findText, const TextString& withText, int max,
                     LetterCase letterCase);
  int ReplaceIntoNewBuffer(int from, const TextString& findText, const TextString& withText,
                           int max, LetterCase letterCase);

  char* data;
  int length;
  int capacity;
};

// Makes the next Justify on this thread lean left, as the first one of a thread does: a
// conversion that must not depend on what the thread justified before starts with it.
void ResetJustifyDirection();

// Ends the program when memory runs out, or a text would pass what a 32-bit length can
// count (memory exhaustion ends a run; nothing can go on without the text): calls the
// new-handler the program installed (which may say so), then aborts.
[[noreturn]] void EndForLackOfMemory();

}  // namespace quorlex
