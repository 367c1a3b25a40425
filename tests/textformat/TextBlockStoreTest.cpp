#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "textformat/TextBlockStore.h"
#include "textformat/UrlReferenceList.h"

namespace quorlex {
namespace {

using Lines = std::vector<std::string>;

Lines Strings(const std::vector<TextString>& lines) {
  Lines out;
  for (const TextString& line : lines) out.emplace_back(line.View());
  return out;
}

Lines Urls(const UrlReferenceList& list) {
  Lines out;
  for (int i = 0; i < list.Count(); ++i) out.emplace_back(list.At(i).View());
  return out;
}

TEST(TextBlockStoreWrite, AppendsTheLinesOfTheBlock) {
  static const struct {
    const char* name;
    const char* block;
    Lines lines;
  } kCases[] = {
      {"one line", "abc", {"abc"}},
      {"several lines", "a\nb\nc", {"a", "b", "c"}},
      {"empty line kept", "a\n\nb", {"a", "", "b"}},
      {"final line feed ends the last line", "a\nb\n", {"a", "b"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TextBlockStore store;
    EXPECT_EQ(1, store.Add("first"));
    EXPECT_EQ(2, store.Add(c.block));
    std::vector<TextString> lines = {"kept"};
    ASSERT_EQ(1, store.Write(2, lines));
    Lines expected = {"kept"};
    expected.insert(expected.end(), c.lines.begin(), c.lines.end());
    EXPECT_EQ(expected, Strings(lines));
  }
}

TEST(TextBlockStoreWrite, RefusesANumberOutsideTheStore) {
  static const struct {
    const char* name;
    int n;
    bool clear;
  } kCases[] = {
      {"zero", 0, false},
      {"negative", -1, false},
      {"one past the count", 3, false},
      {"after Clear", 1, true},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TextBlockStore store;
    store.Add("a");
    store.Add("b");
    if (c.clear) store.Clear();
    std::vector<TextString> lines = {"kept"};
    EXPECT_EQ(0, store.Write(c.n, lines));
    EXPECT_EQ(Lines{"kept"}, Strings(lines));
  }
}

TEST(UrlReferenceList, NumbersDistinctUrlsInTheOrderTheyWereFirstMet) {
  static const struct {
    const char* name;
    const char* url;
    int position;
    bool added;
  } kSteps[] = {
      {"first url", "http://a/", 0, true},
      {"second url", "http://b/", 1, true},
      {"first again", "http://a/", 0, false},
      {"differs in case only", "HTTP://A/", 2, true},
  };
  UrlReferenceList list;
  for (const auto& step : kSteps) {
    SCOPED_TRACE(step.name);
    bool added = !step.added;
    EXPECT_EQ(step.position, list.FindOrAdd(step.url, added));
    EXPECT_EQ(step.added, added);
    EXPECT_EQ(step.position, list.Find(step.url));
  }
  EXPECT_EQ(-1, list.Find("http://c/"));
  list.Clear();
  EXPECT_EQ(0, list.Count());
  EXPECT_EQ(-1, list.Find("http://a/"));
}

TEST(UrlReferenceList, RemoveAtMovesLaterUrlsUp) {
  static const struct {
    const char* name;
    int position;
    Lines remaining;
  } kCases[] = {
      {"first", 0, {"b", "c"}},
      {"middle", 1, {"a", "c"}},
      {"last", 2, {"a", "b"}},
      {"negative", -1, {"a", "b", "c"}},
      {"past the end", 3, {"a", "b", "c"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    UrlReferenceList list;
    bool added = false;
    for (const char* url : {"a", "b", "c"}) list.FindOrAdd(url, added);
    list.RemoveAt(c.position);
    EXPECT_EQ(c.remaining, Urls(list));
    for (size_t i = 0; i < c.remaining.size(); ++i) {
      EXPECT_EQ(static_cast<int>(i), list.Find(c.remaining[i].c_str()));
    }
    // A removed URL is new again.
    const int position = c.position;
    if (position < 0 || position > 2) continue;
    const std::string removed(1, static_cast<char>('a' + position));
    EXPECT_EQ(2, list.FindOrAdd(removed.c_str(), added));
    EXPECT_TRUE(added);
  }
}

}  // namespace
}  // namespace quorlex
