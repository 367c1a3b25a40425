#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/HiddenElements.h"
#include "engine/PatternTable.h"
#include "engine/Phases.h"
#include "policies/PolicyCatalogue.h"
#include "textformat/Markers.h"

namespace quorlex {
namespace {

// Both stages over one chunk of a small page, with the catalogue's default policies (text
// mode), recording the reports.
class HiddenContentTest : public ::testing::Test {
 protected:
  HiddenContentTest() {
    pass_.options = QuorlOptions::FromPolicies(MakeDetaggingPolicies());
    pass_.report = [this](const char* line, int level) {
      messages_.push_back(std::to_string(level) + ": " + line);
    };
  }

  std::string Convert(const std::string& html) {
    BuildPatternLists(pass_);
    TextString text(html.c_str());
    RunFirstStage(1, pass_, text);
    RunSecondStage(pass_, text);
    text.ReplaceAll(GetMarkers().endsAtBreak.Data(), "", 0, LetterCase::kMatters);
    return std::string(text.View());
  }

  PassState pass_;
  std::vector<std::string> messages_;
};

TEST_F(HiddenContentTest, RemovesHiddenElementsWithTheirText) {
  static const struct {
    const char* name;
    const char* html;
    const char* text;
  } kCases[] = {
      {"the hidden attribute", "<p>Shown<span hidden>gone</span> text</p>", "\n\nShown text\n"},
      {"the hidden attribute with a value", "<p>a<b HIDDEN=\"hidden\">gone</b>b</p>", "\n\nab\n"},
      {"until-found stays", "<p>a <span hidden=\"until-found\">found</span></p>", "\n\na found\n"},
      {"display none", "<p>a <span style=\"display:none\">gone</span>b</p>", "\n\na b\n"},
      {"display none with spaces and upper case",
       "<p>a <span STYLE=\"color: red; DISPLAY : None \">gone</span>b</p>", "\n\na b\n"},
      {"display none that is important",
       "<p>a <span style='display: none !important'>gone</span>b</p>", "\n\na b\n"},
      {"display block stays", "<p>a <span style=\"display:block\">kept</span></p>", "\n\na kept\n"},
      {"visibility hidden", "<p>a <span style=\"visibility: hidden;\">gone</span>b</p>",
       "\n\na b\n"},
      {"aria-hidden true", "<p>a <i aria-hidden=\"TRUE\">gone</i>b</p>", "\n\na b\n"},
      {"aria-hidden false stays", "<p>a <i aria-hidden=\"false\">kept</i></p>", "\n\na kept\n"},
      {"hidden and none as values hide nothing",
       "<p class=\"none\" title=\"hidden\">kept <span data-x=hidden>too</span></p>",
       "\n\nkept too\n"},
      {"hidden elements nested in hidden elements",
       "<p>a<span hidden>b<span aria-hidden=\"true\">c</span>d</span>e</p>", "\n\nae\n"},
      {"a hidden div with divs inside",
       "<div hidden><div>a</div><div><div>b</div></div></div><p>After</p>", "\n\nAfter\n"},
      {"a void hidden element goes alone",
       "<p><img hidden alt=\"Logo\" src=\"a.png\">Shop</p><p>More</p>", "\n\nShop\n\n\nMore\n"},
      {"a template", "<p>a</p><template><p>row</p></template><p>b</p>", "\n\na\n\n\nb\n"},
      {"an svg with a title",
       "<p><svg viewBox=\"0 0 9 9\"><title>Cart</title><path d=\"M0\"/></svg>Add to cart</p>",
       "\n\nAdd to cart\n"},
      {"an svg within an svg", "<p><SVG><svg><text>x</text></svg>y</Svg>z</p>", "\n\nz\n"},
      {"noscript stays", "<noscript><p>Turn scripts on.</p></noscript>", "\n\nTurn scripts on.\n"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.text, Convert(c.html));
    EXPECT_EQ(std::vector<std::string>{}, messages_);
  }
}

TEST_F(HiddenContentTest, RemovesOnlyTheTagOfAHiddenElementWithoutAnEndTag) {
  static const struct {
    const char* name;
    const char* html;
    const char* text;
    const char* message;
  } kCases[] = {
      {"its parent ends first", "<div><SPAN hidden>kept</div><p>After</p>", "\nkept\n\n\nAfter\n",
       "10: WARNING: No end tag for hidden <span> - only the tag removed"},
      {"the text ends first", "<p>a<div aria-hidden=true>kept", "\n\nakept",
       "10: WARNING: No end tag for hidden <div> - only the tag removed"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    messages_.clear();
    EXPECT_EQ(c.text, Convert(c.html));
    EXPECT_EQ(std::vector<std::string>{c.message}, messages_);
  }
}

TEST_F(HiddenContentTest, MarkupModeKeepsHiddenElements) {
  pass_.options.convertToText = 0;
  pass_.options.removeComments = 1;
  const std::string page =
      "<p>a<span hidden>b</span><template>c</template><svg><title>d</title></svg></p>";
  EXPECT_EQ(page, Convert(page));
}

// Each row gives the text and the start tag asked about (by its position); the end is the
// position just after the element's end tag, or -1.
TEST(ElementEnds, MatchesEachStartTagWithTheEndTagThatClosesIt) {
  static const struct {
    const char* name;
    const char* text;
    int start;
    int end;
  } kCases[] = {
      {"its own end tag", "<b>x</b>y", 0, 8},
      {"any case", "<DIV>x</div >", 0, 13},
      {"nested tags of its name counted", "<div><div></div></div>", 0, 22},
      {"the inner of two", "<div><div></div></div>", 5, 16},
      {"elements left open inside end with it", "<div><p>a<li>b</div>", 0, 20},
      {"left open inside another", "<div><p>a</div>", 5, -1},
      {"an end tag nothing opened is ignored", "<p>a</span></p>", 0, 15},
      {"void elements open nothing", "<p><br><img src=x></p>", 0, 22},
      {"a tag closing itself opens nothing", "<svg><svg/></svg>", 0, 17},
      {"the text ends first", "<p>a", 0, -1},
      {"no start tag there", "<p>a</p>", 1, -1},
      {"a tag cut by another \"<\" is no tag", "<p <p>x</p>", 3, 11},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    ElementEnds ends;
    EXPECT_EQ(c.end, ends.EndOf(c.text, c.start));
  }
}

// Told to record only hidden elements, it answers for them as it would for any element, also
// among unrecorded ones of their name, and -1 for every other start tag.
TEST(ElementEnds, RecordsOnlyTheElementsItIsToldTo) {
  const char* page = "<div><div hidden><div></div></div></div><p hidden>x";
  ElementEnds ends(HidesElement);
  EXPECT_EQ(34, ends.EndOf(page, 5));
  EXPECT_EQ(-1, ends.EndOf(page, 0));
  EXPECT_EQ(-1, ends.EndOf(page, 17));
  EXPECT_EQ(-1, ends.EndOf(page, 40));
}

}  // namespace
}  // namespace quorlex
