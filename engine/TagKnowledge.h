#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace quorlex {

// What the markup-mode tag decisions know about tag names: three lists of names (HTML tags
// of every flavour, the x-tags of mail messages, the tags office programs write), and the
// tags of HTML 4.0 with their standard and deprecated attributes. Everything is built once
// and never changes; names are compared ignoring case.

// The three name lists of the tag remover's first decision.
enum class NameList { kHtmlTags, kMailXTags, kOfficeTags };

// Whether `name` is on the list (ignoring case).
[[nodiscard]] bool IsListed(NameList list, std::string_view name);

enum class TagClass { kStandard, kDeprecated, kSpecial, kUnknown };
enum class AttributeClass { kStandard, kDeprecated, kUnknown };

// The tags of HTML 4.0: standard ones with their attributes (their own plus a common set),
// deprecated ones (applet, font, center, ...), and the special ones (!doctype, ?xml).
class TagKnowledge {
 public:
  // The one table, built on first use.
  static const TagKnowledge& Html40();

  // The class of a tag name; the name is trimmed and every '/' removed first, so a
  // closing tag's name ("/P") is classified like its opening one.
  [[nodiscard]] TagClass ClassifyTag(std::string_view name) const;
  // The class of an attribute of a standard tag (both names without their case). A tag
  // without a record (deprecated, unknown) has only unknown attributes.
  [[nodiscard]] AttributeClass ClassifyAttribute(std::string_view tag,
                                                 std::string_view attribute) const;

 private:
  struct Record {
    std::unordered_set<std::string> standard;
    std::unordered_set<std::string> deprecated;
  };

  TagKnowledge();
  // Adds the tags of `names` (blank-separated) with the same attributes.
  void AddTags(std::string_view names, std::string_view common, std::string_view own,
               std::string_view deprecated);

  std::unordered_map<std::string, Record> standard_;
  std::unordered_set<std::string> deprecated_;
  std::unordered_set<std::string> special_;
};

}  // namespace quorlex
