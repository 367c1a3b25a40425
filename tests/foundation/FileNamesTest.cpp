#include <gtest/gtest.h>

#include "foundation/FileNames.h"

namespace quorlex {
namespace {

TEST(SplitPath, TakesFolderNameAndExtensionApart) {
  static const struct {
    const char* path;
    const char* folder;
    const char* name;
    const char* extension;
  } kCases[] = {
      {"C:\\docs\\page.v2.htm", "C:\\docs\\", "page.v2", ".htm"},
      {"page", "", "page", ""},
      {"/home/ann/a.htm", "/home/ann/", "a", ".htm"},
      {"/page.htm", "/", "page", ".htm"},
      {"dir.v1/file", "dir.v1/", "file", ""},
      {"mixed\\sep/name.txt", "mixed\\sep/", "name", ".txt"},
      {".profile", "", "", ".profile"},
      {"docs/", "docs/", "", ""},
      {"", "", "", ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.path);
    TextString folder("x");
    TextString name("x");
    TextString extension("x");
    SplitPath(c.path, folder, name, extension);
    EXPECT_EQ(c.folder, folder.View());
    EXPECT_EQ(c.name, name.View());
    EXPECT_EQ(c.extension, extension.View());
  }
  TextString path("/a/b.c");
  TextString extension;
  TextString name;
  SplitPath(path, path, name, extension);  // an output may be the path itself
  EXPECT_EQ("/a/", path.View());
  EXPECT_EQ("b", name.View());
}

TEST(IsRelative, KnowsRootedPaths) {
  static const struct {
    const char* path;
    int relative;
  } kCases[] = {
      {"page.htm", 1},       {"docs/page.htm", 1},      {"../page.htm", 1},
      {"/home/page.htm", 0}, {"C:\\docs\\page.htm", 0}, {"", 1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(c.relative, IsRelative(c.path));
  }
}

// A "../" above the start of a relative folder is kept; above a root it stops there.
TEST(ResolvePath, PutsPathsInRelationToAFolder) {
  static const struct {
    const char* base;
    const char* path;
    const char* result;
  } kCases[] = {
      {"C:\\a\\b\\", "..\\x.pol", "C:\\a\\x.pol"},
      {"/a/b/", "../x.pol", "/a/x.pol"},
      {"/a/b/", "../../x.pol", "/x.pol"},
      {"/a/", "../../../x.pol", "/x.pol"},
      {"/a/b/", "x.pol", "/a/b/x.pol"},
      {"/a/b", "x.pol", "/a/b/x.pol"},
      {"/a/b/", "sub/x.pol", "/a/b/sub/x.pol"},
      {"/a/b/", "sub/../x.pol", "/a/b/x.pol"},
      {"/a/b/", "/etc/x.pol", "/etc/x.pol"},
      {"/a/b/", "C:\\x.pol", "C:\\x.pol"},
      {"", "x.pol", "x.pol"},
      {"rel/dir/", "../x.pol", "rel/x.pol"},
      {"", "../up.log", "../up.log"},
      {"a/", "../../x", "../x"},
      {"../", "../x", "../../x"},
      {"./", "../x", "../x"},
      {"a/./", "../x", "x"},
      {"/", "../../x", "/x"},
      {"C:\\", "..\\..\\x", "C:\\x"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(c.base) + " + " + c.path);
    TextString result("stale");
    ResolvePath(c.base, c.path, result);
    EXPECT_EQ(c.result, result.View());
  }
}

TEST(FileNameMatcher, MatchesWholeNamesIgnoringCase) {
  static const struct {
    const char* spec;
    const char* file;
    int matches;
  } kCases[] = {
      {"*.htm", "index.HTM", 1},
      {"*.htm", "index.html", 0},
      {"*.htm", "/some/folder/index.htm", 1},
      {"/spec/folder/*.htm", "index.htm", 1},
      {"page%.htm", "page1.htm", 1},
      {"page%.htm", "page12.htm", 0},
      {"page%.htm", "page.htm", 0},
      {"*.htm", "a.htm.htm", 1},
      {"*", "anything.at.all", 1},
      {"a*b.txt", "AXYB.TXT", 1},
      {"*_2024*.htm", "report_2023_2024_x.htm", 1},
      {"index.htm", "index.htm", 1},
      {"Index.HTM", "sub/index.htm", 1},
      {"index.htm", "xindex.htm", 0},
      {"index.htm", "index.htmx", 0},
      {"file?.htm", "file?.htm", 1},
      {"file?.htm", "file1.htm", 0},
      {"a|b.htm", "a|b.htm", 1},
      {"", "index.htm", 0},
      {"*.htm", "", 0},
      {"*.htm", "folder/", 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(std::string(c.spec) + " ~ " + c.file);
    EXPECT_EQ(c.matches, FileNameMatcher(c.spec).Matches(c.file));
  }
}

TEST(FileNameMatcher, ServesManyNames) {
  FileNameMatcher matcher("/docs/*.html");
  EXPECT_EQ(1, matcher.Matches("a.html"));
  EXPECT_EQ(0, matcher.Matches("a.htm"));
  EXPECT_EQ(1, matcher.Matches("sub/B.HTML"));
}

}  // namespace
}  // namespace quorlex
