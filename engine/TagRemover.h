#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "foundation/MessageChannel.h"
#include "foundation/PatternEngine.h"
#include "policies/QuorlOptions.h"

namespace quorlex {

// Distinct message texts with a count each, in the order first added, so that a document
// with a thousand odd tags gives one line per kind.
class MessageTally {
 public:
  void Add(const TextString& message);
  // Reports every text at `level`, followed by " (", the count, and " times)" when it was
  // added more than once.
  void Report(const MessageFunction& report, int level) const;
  bool IsEmpty() const { return entries_.empty(); }

 private:
  std::vector<std::pair<TextString, int>> entries_;
};

// What a pass learns about its document's encoding while it converts it: entity
// conversion reads the charset and the UTF-8 flag and sets the Unicode flag. The options
// stay as the policies made them; this is the pass's own working state.
struct DocumentEncoding {
  // The charset the input was read in, by its WHATWG name ("UTF-8", "windows-1252",
  // "EUC-KR", "UTF-16LE", ...); markup-mode output keeps the document's bytes in it.
  TextString charset;
  // The document's own text is UTF-8.
  bool utf8Document = false;
  // A character beyond the 8-bit range was written as UTF-8.
  bool unicodeTextProduced = false;
};

// Rebuilds one tag ("<...>") for markup mode: a comment or <!DOCTYPE> is copied; tags
// that are not standard HTML 4.0 go with "Remove non-standard tags" (a deprecated one
// stays, with a warning, when "Keep deprecated tags" is on) and are otherwise copied as
// they stand; names with ':' go with "Remove office tags". A tag that stays is written with
// its name and attribute names in the asked-for case, without the attributes the policies
// remove (non-standard and deprecated ones, office ones, and "id", "class" and "style" with
// "Remove style sheet"), its values unchanged. Removals are added to `tally`.
void RewriteTag(const QuorlOptions& options, MessageTally& tally, std::string_view tag,
                TextString& out);

// Deals with every tag still in a text after the specialised phases, then converts its
// character entities. In text mode everything that looks like a tag is deleted; a mail
// address or URL written in angle brackets ("<ann@example.org>", "<http://x.org/>") and a
// lone "<", "<=" or "<<" are not tags and stay. When the output stays HTML, a tag is
// deleted when its name is on a list the policies remove (HTML tags, mail x-tags, office
// tags, comments); one that stays is rebuilt by RewriteTag when a policy changes tags or
// attributes. Entities are converted in text mode or with "Replace entities by text" (see
// DecodeEntities). In UTF-8 text output the soft hyphens (U+00AD) go as well.
//
// One object serves many texts: its pattern list is compiled once.
class TagRemover {
 public:
  // Text mode deletes tags with a direct scan; `usePatterns` (or QUORLEX_PLAIN_SCAN=1 in
  // the environment) makes it run the pattern list as markup mode does (the plain path,
  // which the direct scan must agree with).
  explicit TagRemover(bool usePatterns = false);
  TagRemover(const TagRemover&) = delete;
  TagRemover& operator=(const TagRemover&) = delete;

  // Returns the number of tags handled plus the number of entities converted. The tally of
  // the call is reported at level 8. `encoding` gets its Unicode flag set when entities are
  // written as UTF-8, and in UTF-8 text output whenever the text holds a byte above 127.
  int Run(const MessageFunction& report, const QuorlOptions& options, DocumentEncoding& encoding,
          const TextString& in, TextString& out);
  // The same, writing into `spare`'s buffer before any other; `spare` then holds the
  // largest buffer left idle.
  int Run(const MessageFunction& report, const QuorlOptions& options, DocumentEncoding& encoding,
          const TextString& in, TextString& out, TextString& spare);

  struct Call {
    const QuorlOptions* options = nullptr;
    MessageTally tally;
  };

 private:
  CopyPatternEngine tags_;
  Call call_;
  bool usePatterns_;
};

// Converts the character entities of `in` into `out` as the tag remover does for `options`
// (ConvertEntities): in UTF-8 output as UTF-8 text, or, when the output stays HTML, in the
// document's charset, the entities of the markup characters kept; in 8-bit output as the
// 8-bit policies say. Sets the encoding's Unicode flag as ConvertEntities does; tags stay.
// Returns the number converted. `out` may be `in`.
int DecodeEntities(const QuorlOptions& options, DocumentEncoding& encoding, const TextString& in,
                   TextString& out);

// `in` with everything deleted that text mode takes for a tag; the entities stay as written.
[[nodiscard]] TextString WithoutTagsAsWritten(const TextString& in);

}  // namespace quorlex
