#pragma once

namespace quorlex {

// What the analysis of a source line may record about it besides its text. The de-tagging
// conversions set these marks (through text commands and the mail-header recogniser) but
// never read them; only the text-to-HTML analysis would.
struct LineRecord {
  // The kinds of line a mark can name. Headings keep their level as their value.
  enum LineType : int {
    kNone = 0,
    kHeading1 = 1,
    kHeading2 = 2,
    kHeading3 = 3,
    kHeading4 = 4,
    kHeading5 = 5,
    kHeading6 = 6,
    kMailHeader = 7,
    kBullet = 8,
    kNumberBullet = 9,
    kAlphaBullet = 10,
    kCapitalAlphaBullet = 11,
  };

  int ignore = 0;  // "ignore_line" matched
  LineType lineType = kNone;
};

}  // namespace quorlex
