// quorlexrun keeps the "../" of the names it is given, writes text commands back from what
// it understood of them, and applies them to the document only.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/ProgramTest.h"
#include "tests/support/TempFolder.h"

namespace quorlex {
namespace {

namespace fs = std::filesystem;
using testing::Contains;
using testing::ProgramResult;
using testing::TempFolder;

using NamesTest = testing::ProgramTest;

TEST_F(NamesTest, ALeadingClimbStaysAboveTheCurrentFolder) {
  Page("run/a.htm");
  work_.Write("inc.pol", "Text command : replace_text string \"Text\" by_string \"Above\"\n");
  work_.Write("run/inc.pol", "Text command : replace_text string \"Text\" by_string \"Here\"\n");
  work_.Write("run/p.pol", "include file : ../inc.pol\n");
  const ProgramResult run = RunIn("run", {"a.htm", "p.pol", "/LOG=../up.log", "/POLICY=../up.pol"});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_TRUE(Exists("up.log"));
  EXPECT_FALSE(Exists("run/up.log"));
  EXPECT_TRUE(Exists("up.pol"));
  EXPECT_TRUE(Contains(work_.Read("run/a.txt"), "Above"));
  // The policy file written beside an input in another folder.
  EXPECT_EQ(0, Run({"run/a.htm", "/POLICY"}).status);
  EXPECT_TRUE(Exists("run/a.pol"));
}

TEST_F(NamesTest, WritesTextCommandsFromTheirParts) {
  Page("a.htm");
  // Only the text before the colon must hold "Text command".
  work_.Write("shared.pol", "ssh-ed25519 AAAAC3Nza Text command : remove_text string \"zzzq\"\n");
  EXPECT_EQ(0, Run({"a.htm", "shared.pol", "/POLICY"}).status);
  const std::string written = work_.Read("a.pol");
  EXPECT_TRUE(
      Contains(written, "\n[Text commands]\n\nText command : remove_text string \"zzzq\"\n"));
  EXPECT_FALSE(Contains(written, "ssh-ed25519"));
}

TEST_F(NamesTest, TextCommandsLeaveTheBuiltInFragmentsAlone) {
  Page("a.htm", "Body text");
  work_.Write("p.pol", "Text command : replace_text string \"block\" by_string \"section\"\n");
  EXPECT_EQ(0, Run({"a.htm", "p.pol"}).status);
  const std::string text = work_.Read("a.txt");
  EXPECT_TRUE(Contains(text, "\nBody text\n")) << text;
  EXPECT_FALSE(Contains(text, "<p>")) << text;
}

// A policy file in windows-1252 is read as text: its text commands find the decoded
// document's words. A file name that is not UTF-8 shows as text in the header.
TEST_F(NamesTest, PolicyFilesAndNamesAreReadAsText) {
  work_.Write("caf\xE9.htm",
              "<html><head><meta charset=utf-8></head><p>Gr\xC3\xBC\xC3\x9F"
              "e</p>");
  work_.Write("p.pol",
              "Text command : replace_text string \"Gr\xFC\xDF"
              "e\" by_string \"Hallo\"\n");
  const ProgramResult run = Run({"caf\xE9.htm", "p.pol"});
  EXPECT_EQ(0, run.status) << run.err;
  const std::string text = work_.Read("caf\xE9.txt");
  EXPECT_TRUE(Contains(text, "Hallo")) << text;
  EXPECT_TRUE(Contains(text, "| File name    : caf\xC3\xA9.txt")) << text;
}

}  // namespace
}  // namespace quorlex
