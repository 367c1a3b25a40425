#pragma once

#include <string_view>

namespace quorlex::testing {

// Whether `text` is valid UTF-8 holding no C1 control (U+0080 to U+009F): what text output
// in UTF-8 must always be. Written apart from the library's decoder, so that each checks the
// other. Returns the offset of the first fault through `fault` (-1 when there is none).
inline bool IsUtf8WithoutC1(std::string_view text, long* fault = nullptr) {
  const auto at = [&text](size_t i) { return static_cast<unsigned char>(text[i]); };
  size_t i = 0;
  while (i < text.size()) {
    const unsigned char lead = at(i);
    size_t size = 1;
    unsigned int codePoint = lead;
    if (lead >= 0xC2 && lead <= 0xDF) {
      size = 2;
      codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      size = 3;
      codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      size = 4;
      codePoint = lead & 0x07;
    } else if (lead >= 0x80) {
      break;
    }
    bool valid = i + size <= text.size();
    for (size_t k = 1; valid && k < size; ++k) {
      valid = (at(i + k) & 0xC0) == 0x80;
      codePoint = codePoint << 6 | (at(i + k) & 0x3F);
    }
    const unsigned int smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    valid = valid && codePoint >= smallest[size] && codePoint <= 0x10FFFF &&
            !(codePoint >= 0xD800 && codePoint <= 0xDFFF) &&
            !(codePoint >= 0x80 && codePoint <= 0x9F);
    if (!valid) break;
    i += size;
  }
  if (fault != nullptr) *fault = i < text.size() ? static_cast<long>(i) : -1;
  return i == text.size();
}

}  // namespace quorlex::testing
