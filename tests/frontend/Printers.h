#pragma once

#include <QtTest>
#include <string>
#include <vector>

// How failed comparisons of standard strings and argument lists are printed.
namespace QTest {

template <>
inline char* toString(const std::string& text) {
  return qstrdup(('"' + text + '"').c_str());
}

template <>
inline char* toString(const std::vector<std::vector<std::string>>& lists) {
  std::string text;
  for (const auto& list : lists) {
    text += "[";
    for (const auto& item : list) text += " \"" + item + "\"";
    text += " ]";
  }
  return qstrdup(text.c_str());
}

}  // namespace QTest
