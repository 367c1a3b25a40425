#include "engine/TagKnowledge.h"

#include <vector>

namespace quorlex {
namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

// The words of `text` between `separator`s, lower-cased, empty ones left out.
std::vector<std::string> Words(std::string_view text, char separator) {
  std::vector<std::string> words;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(separator, start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) words.push_back(Lower(text.substr(start, end - start)));
    start = end + 1;
  }
  return words;
}

std::unordered_set<std::string> NameSet(std::string_view names, char separator) {
  const std::vector<std::string> words = Words(names, separator);
  return {words.begin(), words.end()};
}

constexpr std::string_view kHtmlTagNames =
    "!doctype,!element,a,abbr,acronym,address,applet,area,b,base,basefont,bdo,big,blockquote,"
    "body,br,button,caption,center,cite,code,col,colgroup,dd,del,dfn,dir,div,dl,dt,em,fieldset,"
    "font,form,frame,frameset,h1,h2,h3,h4,h5,h6,head,hr,html,i,iframe,img,input,ins,isindex,kbd,"
    "label,legend,li,link,listing,map,menu,meta,noframes,noscript,object,ol,optgroup,option,p,"
    "plaintext,pre,q,s,samp,script,select,small,span,strike,strong,style,sub,sup,table,tbody,td,"
    "textarea,tfoot,th,thead,title,tr,tt,u,ul,var,xmp,blink,keygen,multicol,param,plaintext,"
    "server,wbr,spacer,ilayer,layer,nolayer,banner,bgsound,comment,embed,hn,marquee,nobr,"
    "noembed,rt,ruby,audioscope,blackface,bq,fn,limittext,nosmartquote,shadow";
constexpr std::string_view kMailXTagNames = "x-html,x-sigsep,x-tab";
constexpr std::string_view kOfficeTagNames =
    "xml,o:Company,o:Lines,o:Lock,o:Paragraphs,o:CharactersWithSpaces,o:Version,o:LastPrinted,"
    "o:Characters,o:DocumentProperties,o:Author,o:Template,o:LastAuthor,o:p,o:Revision,"
    "o:TotalTime,o:Created,o:LastSaved,o:Pages,o:Words,w:WordDocument,w:BrowserLevel,"
    "w:Compatibility,w:FootnoteLayoutLikeWW8,w:ShapeLayoutLikeWW8,w:AlignTablesRowByRow,"
    "w:ForgetLastTabAlignment,w:LayoutRawTableWidth,w:LayoutTableRowsApart,v:f,v:formulas,"
    "v:stroke,v:shapetype,v:path,v:imagedata,v:shape,!--[if,![endif]--,![if,![endif]";

// The common attribute sets a standard tag has besides its own.
constexpr std::string_view kCore = "id class style title";
constexpr std::string_view kI18n = "lang dir";
constexpr std::string_view kEvents =
    "onclick ondblclick onmousedown onmouseup onmouseover onmousemove onmouseout onkeypress "
    "onkeydown onkeyup";

std::string CommonSet(std::string_view common) {
  if (common == "all")
    return std::string(kCore) + " " + std::string(kI18n) + " " + std::string(kEvents);
  if (common == "core") return std::string(kCore);
  if (common == "i18n") return std::string(kI18n);
  return {};
}

std::string_view Trimmed(std::string_view text) {
  const size_t start = text.find_first_not_of(" \t\r\n");
  if (start == std::string_view::npos) return {};
  return text.substr(start, text.find_last_not_of(" \t\r\n") - start + 1);
}

// A tag name as the knowledge holds it: trimmed, without '/', lower case.
std::string TagKey(std::string_view name) {
  std::string key;
  for (const char c : Trimmed(name)) {
    if (c != '/') key += c;
  }
  return Lower(key);
}

}  // namespace

bool IsListed(NameList list, std::string_view name) {
  static const std::unordered_set<std::string> kHtml = NameSet(kHtmlTagNames, ',');
  static const std::unordered_set<std::string> kMail = NameSet(kMailXTagNames, ',');
  static const std::unordered_set<std::string> kOffice = NameSet(kOfficeTagNames, ',');
  const std::unordered_set<std::string>& names = list == NameList::kHtmlTags    ? kHtml
                                                 : list == NameList::kMailXTags ? kMail
                                                                                : kOffice;
  return names.count(Lower(name)) > 0;
}

const TagKnowledge& TagKnowledge::Html40() {
  static const TagKnowledge kKnowledge;
  return kKnowledge;
}

void TagKnowledge::AddTags(std::string_view names, std::string_view common, std::string_view own,
                           std::string_view deprecated) {
  Record record;
  const std::string commonSet = CommonSet(common);
  for (const std::string_view set : {std::string_view(commonSet), own}) {
    for (std::string& attribute : Words(set, ' ')) record.standard.insert(std::move(attribute));
  }
  for (std::string& attribute : Words(deprecated, ' '))
    record.deprecated.insert(std::move(attribute));
  for (const std::string& name : Words(names, ' ')) standard_[name] = record;
}

TagKnowledge::TagKnowledge() {
  AddTags("a", "all",
          "charset type name href hreflang rel rev accesskey shape coords tabindex onfocus onblur",
          "");
  AddTags(
      "abbr acronym address b big cite code dd dfn dt em fieldset i kbd noframes noscript "
      "samp small span strong sub sup tt var",
      "all", "", "");
  AddTags("area", "all", "shape coords href nohref alt tabindex accesskey onfocus onblur", "");
  AddTags("base", "none", "href", "");
  AddTags("blockquote q", "all", "cite", "");
  AddTags("body", "all", "onload onunload", "bgcolor text link vlink alink background");
  AddTags("br", "core", "", "clear");
  AddTags("button", "all", "name value type disabled tabindex accesskey onfocus onblur", "");
  AddTags("caption div h1 h2 h3 h4 h5 h6 p", "all", "", "align");
  AddTags("col colgroup", "all", "span width align char charoff valign", "");
  AddTags("del ins", "all", "cite datetime", "");
  AddTags("dl", "all", "", "compact");
  AddTags("form", "all", "action method enctype accept name onsubmit onreset accept-charset", "");
  AddTags("frame", "core",
          "longdesc name src frameborder marginwidth marginheight noresize scrolling", "");
  AddTags("frameset", "core", "rows cols onload onunload", "");
  AddTags("head", "i18n", "profile", "");
  AddTags("hr", "all", "", "align noshade size width");
  AddTags("html title", "i18n", "", "");
  AddTags("iframe", "core",
          "longdesc name src frameborder marginwidth marginheight scrolling align height width",
          "");
  AddTags("img", "all", "src alt longdesc name height width usemap ismap", "border hspace vspace");
  AddTags("input", "all",
          "type name value checked disabled readonly size maxlength src alt usemap ismap tabindex "
          "accesskey onfocus onblur onselect onchange accept",
          "align");
  AddTags("label", "all", "for accesskey onfocus onblur", "");
  AddTags("legend", "all", "accesskey", "");
  AddTags("li", "all", "", "type value");
  AddTags("link", "all", "charset href hreflang type rel rev media", "");
  AddTags("map", "all", "", "name");
  // charset is HTML5's way to declare the encoding; without it a UTF-8 page would be read
  // in the wrong character set, so it counts as standard.
  AddTags("meta", "i18n", "http-equiv name content scheme charset", "");
  AddTags("object", "all",
          "declare classid codebase data type codetype archive standby height width usemap name "
          "tabindex",
          "");
  AddTags("ol", "all", "", "type compact start");
  AddTags("optgroup select", "all", "name size multiple disabled tabindex onfocus onblur onchange",
          "");
  AddTags("option", "all", "name size multiple disabled tabindex onfocus onblur onchange",
          "selected value");
  AddTags("param", "all", "ID name value valuetype type", "");
  AddTags("pre", "all", "", "width");
  AddTags("script", "none", "charset type src defer", "language");
  AddTags("style", "i18n", "type media title", "");
  AddTags("table", "all", "summary width border frame rules cellspacing cellpadding", "align");
  AddTags("tbody thead tfoot tr", "all", "align char charoff valign", "");
  AddTags("td th", "all", "abbr axis headers scope rowspan colspan align char charoff valign",
          "nowrap width height");
  AddTags("textarea", "all",
          "name rows cols disabled readonly tabindex accesskey onfocus onblur onselect onchange",
          "");
  AddTags("ul", "all", "", "type compact");
  // A tag on both lists (caption) counts as standard.
  deprecated_ = NameSet("applet basefont caption center dir font isindex menu s strike u xmp", ' ');
  special_ = NameSet("!doctype ?xml", ' ');
}

TagClass TagKnowledge::ClassifyTag(std::string_view name) const {
  const std::string key = TagKey(name);
  if (standard_.count(key) > 0) return TagClass::kStandard;
  if (deprecated_.count(key) > 0) return TagClass::kDeprecated;
  if (special_.count(key) > 0) return TagClass::kSpecial;
  return TagClass::kUnknown;
}

AttributeClass TagKnowledge::ClassifyAttribute(std::string_view tag,
                                               std::string_view attribute) const {
  const auto record = standard_.find(TagKey(tag));
  if (record == standard_.end()) return AttributeClass::kUnknown;
  const std::string wanted = Lower(attribute);
  if (record->second.standard.count(wanted) > 0) return AttributeClass::kStandard;
  if (record->second.deprecated.count(wanted) > 0) return AttributeClass::kDeprecated;
  return AttributeClass::kUnknown;
}

}  // namespace quorlex
