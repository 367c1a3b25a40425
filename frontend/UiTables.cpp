#include "frontend/UiTables.h"

#include <iterator>

namespace quorlex {
namespace {

using C = Control;

constexpr ControlText kAbout[] = {
    {C::Caption, 3}, {C::AboutVersion, 4}, {C::AboutText, 5}, {C::AboutOk, 6}};

// The main window's title is the product name (with the files being converted), not a
// dialog text.
constexpr ControlText kMain[] = {{C::InputGroup, 10},
                                 {C::FilesLabel, 23},
                                 {C::FilesBrowse, 11},
                                 {C::SubFolders, 19},
                                 {C::ConversionGroup, 20},
                                 {C::ConversionLabel, 21},
                                 {C::Overwrite, 22},
                                 {C::OutputGroup, 24},
                                 {C::OutputLabel, 25},
                                 {C::OutputNameLabel, 26},
                                 {C::FolderLabel, 27},
                                 {C::OutputBrowse, 11},
                                 {C::PolicyGroup, 28},
                                 {C::PolicyLabel, 29},
                                 {C::PolicyBrowse, 11},
                                 {C::Reset, 30},
                                 {C::PreviewToggle, 267},
                                 {C::Convert, 31},
                                 {C::View, 32}};

constexpr ControlText kStatus[] = {{C::Caption, 188},
                                   {C::StatusSave, 189},
                                   {C::StatusAutoClose, 190},
                                   {C::StatusClear, 191},
                                   {C::StatusClose, 192}};

constexpr ControlText kSavePolicies[] = {{C::Caption, 200},          {C::SaveChangedOnly, 201},
                                         {C::SaveAll, 202},          {C::SavePolicyLabel, 203},
                                         {C::SavePolicyBrowse, 204}, {C::SavePolicyOk, 205},
                                         {C::SavePolicyCancel, 206}};

constexpr ControlText kLoadPolicy[] = {
    {C::Caption, 210},           {C::LoadPolicyLabel, 211},        {C::LoadPolicyBrowse, 212},
    {C::LoadPolicyAtStart, 213}, {C::LoadPolicyAlwaysReload, 214}, {C::LoadPolicyOk, 215},
    {C::LoadPolicyCancel, 216}};

constexpr ControlText kQuorlPage[] = {{C::Caption, 585},
                                      {C::RemoveAllTags, 586},
                                      {C::RemoveAllHtmlTags, 587},
                                      {C::RemoveHead, 588},
                                      {C::RemoveComments, 589},
                                      {C::RemoveScript, 590},
                                      {C::RemoveForm, 591},
                                      {C::RemoveFont, 592},
                                      {C::RemoveSpan, 593},
                                      {C::RemoveEmphasis, 594},
                                      {C::ReplaceLinks, 595},
                                      {C::RemoveStyleSheet, 596},
                                      {C::RemoveImg, 597},
                                      {C::RemoveNonStandardTags, 598},
                                      {C::KeepDeprecatedTags, 599},
                                      {C::RemoveNonStandardAttributes, 600},
                                      {C::KeepDeprecatedAttributes, 601},
                                      {C::RemoveNonHtmlTags, 602},
                                      {C::RemoveMailXTags, 603},
                                      {C::RemoveOfficeTags, 604}};

constexpr ControlText kTagPage[] = {{C::Caption, 610},       {C::LowerCaseTags, 611},
                                    {C::UpperCaseTags, 612}, {C::ReplaceEntities, 613},
                                    {C::Allow8BitAnsi, 614}, {C::AllowAnsiAlternatives, 615}};

constexpr ControlText kFormattingPage[] = {{C::Caption, 300},
                                           {C::PreserveWhiteSpace, 301},
                                           {C::ImposePageWidth, 302},
                                           {C::PageWidthLabel, 303},
                                           {C::RightJustify, 304},
                                           {C::SingleLineParagraphs, 305},
                                           {C::PreserveShortLines, 306},
                                           {C::ShortLinesEndParagraphs, 307},
                                           {C::FirstLineIndentLabel, 308},
                                           {C::SentenceGap, 309},
                                           {C::LookForDialogue, 310},
                                           {C::ExtraDialogueChecks, 311},
                                           {C::BreakDialogueLines, 312},
                                           {C::RemoveRules, 313},
                                           {C::HighlightBoldItalic, 314},
                                           {C::UnicodeMarker, 315},
                                           {C::OutputCharacterSetLabel, 316}};

constexpr ControlText kHeadersPage[] = {{C::Caption, 320}, {C::ByLineAsAuthor, 321}};

constexpr ControlText kHyperlinksPage[] = {
    {C::Caption, 330},          {C::OmitEmailLinks, 331},
    {C::OmitLocalLinks, 332},   {C::RemovedLinkTextLabel, 333},
    {C::AddUrlReferences, 334}, {C::DisplayLinkUrls, 335},
    {C::ImgTextMarker, 336},    {C::ImgAltText, 337}};

// The items of the table-format drop-down are the dialog texts 346 to 348.
constexpr ControlText kTablesPage[] = {{C::Caption, 340},
                                       {C::ParseTables, 341},
                                       {C::BorderAllTables, 342},
                                       {C::SuppressNestedBorders, 343},
                                       {C::AdjustTablesToWidth, 344},
                                       {C::TableFormatLabel, 345}};

constexpr ControlText kDragDropPage[] = {{C::Caption, 351},
                                         {C::DragDropGroup, 352},
                                         {C::DragDropViewStatus, 353},
                                         {C::DragDropViewResults, 354},
                                         {C::DragDropStartProgram, 355}};

// The free entry of the DDE service list is the dialog text 369.
constexpr ControlText kViewersPage[] = {
    {C::Caption, 360},       {C::AutoView, 361},        {C::BrowserCommandLabel, 362},
    {C::BrowserBrowse, 363}, {C::UseDde, 364},          {C::DdeServiceLabel, 365},
    {C::AddUrlPrefix, 366},  {C::TextViewerLabel, 367}, {C::TextViewerBrowse, 368}};

constexpr ControlText kSheetButtons[] = {
    {C::SheetOk, 370}, {C::SheetCancel, 371}, {C::SheetApply, 372}};

// Dialog texts 401 to 408 name the languages in the interface language; the choices show
// each language's own name instead.
constexpr ControlText kChooseLanguage[] = {{C::Caption, 400},
                                           {C::ChooseOther, 409},
                                           {C::ChooseFileLabel, 410},
                                           {C::ChooseBrowse, 411},
                                           {C::ChooseOk, 412}};

constexpr ControlText kTranslations[] = {
    {C::Caption, 420}, {C::TranslationsText, 421}, {C::TranslationsOk, 422}};

constexpr ControlText kLanguageFiles[] = {{C::Caption, 430},         {C::ExportLanguage, 431},
                                          {C::UseLanguageFile, 432}, {C::LanguageFileBrowse, 433},
                                          {C::LanguageFilesOk, 434}, {C::LanguageFilesCancel, 435}};

struct ControlTip {
  Control control;
  int tip;
};

constexpr ControlTip kToolTips[] = {
    // Main window
    {C::Convert, 1},
    {C::FilesBox, 2},
    {C::FilesBrowse, 3},
    {C::SubFolders, 4},
    {C::ConversionBox, 5},
    {C::Overwrite, 6},
    {C::OutputBox, 7},
    {C::OutputName, 8},
    {C::OutputFolderBox, 9},
    {C::OutputBrowse, 10},
    {C::PolicyBox, 11},
    {C::PolicyBrowse, 12},
    {C::Reset, 13},
    {C::View, 14},
    {C::PreviewToggle, 15},
    // Saving and loading policy files
    {C::SaveChangedOnly, 30},
    {C::SaveAll, 31},
    {C::SavePolicyName, 32},
    {C::SavePolicyBrowse, 33},
    {C::LoadPolicyName, 34},
    {C::LoadPolicyBrowse, 35},
    {C::LoadPolicyAtStart, 36},
    {C::LoadPolicyAlwaysReload, 37},
    // Status window
    {C::StatusMessages, 50},
    {C::StatusSave, 51},
    {C::StatusAutoClose, 52},
    {C::StatusClear, 53},
    {C::StatusClose, 54},
    // Markup sheet
    {C::RemoveAllTags, 60},
    {C::RemoveAllHtmlTags, 61},
    {C::RemoveHead, 62},
    {C::RemoveComments, 63},
    {C::RemoveScript, 64},
    {C::RemoveForm, 65},
    {C::RemoveFont, 66},
    {C::RemoveSpan, 67},
    {C::RemoveEmphasis, 68},
    {C::ReplaceLinks, 69},
    {C::RemoveStyleSheet, 70},
    {C::RemoveImg, 71},
    {C::RemoveNonStandardTags, 72},
    {C::KeepDeprecatedTags, 73},
    {C::RemoveNonStandardAttributes, 74},
    {C::KeepDeprecatedAttributes, 75},
    {C::RemoveNonHtmlTags, 76},
    {C::RemoveMailXTags, 77},
    {C::RemoveOfficeTags, 78},
    {C::LowerCaseTags, 90},
    {C::UpperCaseTags, 91},
    {C::ReplaceEntities, 92},
    {C::Allow8BitAnsi, 93},
    {C::AllowAnsiAlternatives, 94},
    // Text sheet
    {C::PreserveWhiteSpace, 100},
    {C::ImposePageWidth, 101},
    {C::PageWidth, 102},
    {C::RightJustify, 103},
    {C::SingleLineParagraphs, 104},
    {C::PreserveShortLines, 105},
    {C::ShortLinesEndParagraphs, 106},
    {C::FirstLineIndent, 107},
    {C::SentenceGap, 108},
    {C::LookForDialogue, 109},
    {C::ExtraDialogueChecks, 110},
    {C::BreakDialogueLines, 111},
    {C::RemoveRules, 112},
    {C::HighlightBoldItalic, 113},
    {C::UnicodeMarker, 114},
    {C::OutputCharacterSet, 115},
    {C::ByLineAsAuthor, 120},
    {C::OmitEmailLinks, 130},
    {C::OmitLocalLinks, 131},
    {C::RemovedLinkText, 132},
    {C::AddUrlReferences, 133},
    {C::DisplayLinkUrls, 134},
    {C::ImgTextMarker, 135},
    {C::ImgAltText, 136},
    {C::ParseTables, 140},
    {C::BorderAllTables, 141},
    {C::SuppressNestedBorders, 142},
    {C::AdjustTablesToWidth, 143},
    {C::TableFormat, 144},
    // "Program Settings"
    {C::DragDropViewStatus, 150},
    {C::DragDropViewResults, 151},
    {C::DragDropStartProgram, 152},
    {C::AutoView, 155},
    {C::BrowserCommand, 156},
    {C::BrowserBrowse, 157},
    {C::UseDde, 158},
    {C::DdeService, 159},
    {C::DdeServiceOther, 160},
    {C::AddUrlPrefix, 161},
    {C::TextViewerCommand, 162},
    {C::TextViewerBrowse, 163},
    // Language dialogs
    {C::ChooseEnglish, 170},
    {C::ChooseGerman, 170},
    {C::ChooseSpanish, 170},
    {C::ChooseFrench, 170},
    {C::ChoosePortuguese, 170},
    {C::ChooseItalian, 170},
    {C::ChooseSwedish, 170},
    {C::ChooseRussian, 170},
    {C::ChooseOther, 171},
    {C::ChooseFile, 172},
    {C::ChooseBrowse, 173},
    {C::ExportLanguage, 175},
    {C::UseLanguageFile, 176},
    {C::LanguageFileName, 177},
    {C::LanguageFileBrowse, 178},
};

using M = MenuRow;
using K = Command;

constexpr MenuRow kMenu[] = {
    {0, M::Submenu, K::None, 10},  // &File
    {1, M::Item, K::FileConvert, 11},
    {1, M::Item, K::FileLoadPolicy, 12},
    {1, M::Item, K::FileSavePolicies, 13},
    {1, M::Separator, K::None, -1},
    {1, M::Item, K::FileExit, 14},
    {0, M::Submenu, K::None, 50},  // &Conversion options
    {1, M::Submenu, K::None, 51},  // &Markup manipulation
    {2, M::Item, K::QuorlOptions, 59},
    {2, M::Item, K::TagManipulation, 60},
    {1, M::Submenu, K::None, 52},  // &Conversion to text
    {2, M::Item, K::TextFormatting, 61},
    {2, M::Item, K::TextHeaders, 62},
    {2, M::Item, K::TextHyperlinks, 63},
    {2, M::Item, K::TextTables, 64},
    {1, M::Separator, K::None, -1},
    {1, M::Item, K::LoadFromFile, 53},
    {1, M::Item, K::SaveToFile, 54},
    {1, M::Separator, K::None, -1},
    {1, M::Item, K::ResetToDefaults, 55},
    {0, M::Submenu, K::None, 70},  // &Settings
    {1, M::Item, K::DragDropSettings, 71},
    {1, M::Item, K::ViewerSettings, 72},
    {1, M::Separator, K::None, -1},
    {1, M::CheckItem, K::ShowToolTips, 73},
    {1, M::CheckItem, K::ShowStatusDialog, 74},
    {1, M::CheckItem, K::AutoViewResults, 75},
    {0, M::Submenu, K::None, 80},  // &Language
    // Menu texts 81 to 87 and 89 name the languages in the interface language; the items
    // show each language's own name instead.
    {1, M::LanguageItem, K::LanguageEnglish, -1},
    {1, M::LanguageItem, K::LanguageSpanish, -1},
    {1, M::LanguageItem, K::LanguagePortuguese, -1},
    {1, M::LanguageItem, K::LanguageGerman, -1},
    {1, M::LanguageItem, K::LanguageItalian, -1},
    {1, M::LanguageItem, K::LanguageSwedish, -1},
    {1, M::LanguageItem, K::LanguageFrench, -1},
    {1, M::LanguageItem, K::LanguageRussian, -1},
    {1, M::Separator, K::None, -1},
    {1, M::Item, K::LanguageOther, 88},
    {1, M::CheckItem, K::LanguageSkin, 90},
    {0, M::Submenu, K::None, 100},  // &View
    {1, M::Item, K::ViewMessages, 101},
    {1, M::Item, K::ViewResults, 102},
    {0, M::Submenu, K::None, 110},  // &Help
    {1, M::Item, K::HelpContents, 111},
    {1, M::Submenu, K::None, 112},  // &HTML Documentation
    {2, M::Item, K::HelpLocalDocumentation, 115},
    {1, M::Separator, K::None, -1},
    {1, M::Item, K::HelpAbout, 113},
};

constexpr ExportGroup kGroups[] = {
    {TextTable::Dialog, 0, "!\n!- About box"},
    {TextTable::Dialog, 10, "!- Main Dialog"},
    {TextTable::Dialog, 188, "!- Status Dialog"},
    {TextTable::Dialog, 200, "!- Save policy file dialog"},
    {TextTable::Dialog, 210, "!- Load policy file page"},
    {TextTable::Dialog, 230, "!- Splash screen"},
    {TextTable::Dialog, 260, "!- Main Dialog, preview pane"},
    {TextTable::Dialog, 300, "!- Output->Text formatting page"},
    {TextTable::Dialog, 320, "!- Output->Text headers page"},
    {TextTable::Dialog, 330, "!- Output->Text hyperlinks page"},
    {TextTable::Dialog, 340, "!- Output->Text tables page"},
    {TextTable::Dialog, 350, "!- Program Settings->Drag'n'Drop page"},
    {TextTable::Dialog, 360, "!- Program Settings->Viewers page"},
    {TextTable::Dialog, 370, "!- Property sheet buttons"},
    {TextTable::Dialog, 400, "!- Choose your language"},
    {TextTable::Dialog, 420, "!- Translations"},
    {TextTable::Dialog, 430, "!- Import/Export Language Files"},
    {TextTable::Dialog, 585, "!- Output->Quorl page"},
    {TextTable::Dialog, 610, "!- Output->Tag Manipulation page"},
    {TextTable::Dialog, 620, "!- Property sheet titles"},
    {TextTable::ToolTip, 0, "!- Main dialog "},
    {TextTable::ToolTip, 30, "!- (Save and Load policy file) dialog "},
    {TextTable::ToolTip, 50, "!- Status dialog "},
    {TextTable::ToolTip, 60, "!- Output->Quorl properties sheet "},
    {TextTable::ToolTip, 90, "!- Output->Tag Manipulation properties sheet "},
    {TextTable::ToolTip, 100, "!- Text formatting properties sheet "},
    {TextTable::ToolTip, 120, "!- Text headers properties sheet "},
    {TextTable::ToolTip, 130, "!- Text hyperlinks properties sheet "},
    {TextTable::ToolTip, 140, "!- Text tables properties sheet "},
    {TextTable::ToolTip, 150, "!- Program Settings sheet "},
    {TextTable::ToolTip, 170, "!- Language dialogs "},
    {TextTable::Menu, 0, "!- Main menu"},
    {TextTable::Menu, 10, "!- File Menu"},
    {TextTable::Menu, 50, "!- Quorlex Menu"},
    {TextTable::Menu, 70, "!- settings menu"},
    {TextTable::Menu, 80, "!- Language menu"},
    {TextTable::Menu, 100, "!- View menu"},
    {TextTable::Menu, 110, "!- Help menu"},
    {TextTable::Menu, 115, "!- Help->HTML documentation menu"},
    {TextTable::Menu, 120, "!- Updates menu"},
    {TextTable::Message, 0,
     "!= Data Values =========================\n"
     "!- Most of these strings can be any length (within reason);\n"
     "!- Dialog titles.  Will appear in the title bar of message boxes"},
    {TextTable::Message, 21,
     "!- Messages that will appear in message boxes prompting the user to do something"},
    {TextTable::Message, 40, "!- Data values that appear on-screen"},
    {TextTable::Message, 45, "!- general error messages"},
    {TextTable::Message, 87,
     "!- file filters.  These are displayed whenever you browse for a file.  The format\n"
     "!  is\n"
     "!      Description|*.ext|\n"
     "!  repeated a number of times.  You can change the description, but not the\n"
     "!  \"*.ext\" extension type"},
    {TextTable::Message, 100, "!- input file types"},
    {TextTable::Message, 110, "!- file conversion types"},
};

}  // namespace

int TableSize(TextTable table) {
  static constexpr int kSizes[kTextTables] = {670, 365, 135, 115};
  return kSizes[static_cast<int>(table)];
}

int BlockStart(TextTable table) {
  static constexpr int kStarts[kTextTables] = {0, 5000, 10000, 15000};
  return kStarts[static_cast<int>(table)];
}

std::span<const ControlText> DialogControls(DialogTemplate dialog) {
  switch (dialog) {
    case DialogTemplate::About:
      return kAbout;
    case DialogTemplate::Main:
      return kMain;
    case DialogTemplate::Status:
      return kStatus;
    case DialogTemplate::SavePolicies:
      return kSavePolicies;
    case DialogTemplate::LoadPolicy:
      return kLoadPolicy;
    case DialogTemplate::QuorlPage:
      return kQuorlPage;
    case DialogTemplate::TagPage:
      return kTagPage;
    case DialogTemplate::FormattingPage:
      return kFormattingPage;
    case DialogTemplate::HeadersPage:
      return kHeadersPage;
    case DialogTemplate::HyperlinksPage:
      return kHyperlinksPage;
    case DialogTemplate::TablesPage:
      return kTablesPage;
    case DialogTemplate::DragDropPage:
      return kDragDropPage;
    case DialogTemplate::ViewersPage:
      return kViewersPage;
    case DialogTemplate::SheetButtons:
      return kSheetButtons;
    case DialogTemplate::ChooseLanguage:
      return kChooseLanguage;
    case DialogTemplate::Translations:
      return kTranslations;
    case DialogTemplate::LanguageFiles:
      return kLanguageFiles;
  }
  return {};
}

int ToolTipIndex(Control control) {
  for (const ControlTip& row : kToolTips) {
    if (row.control == control) return row.tip;
  }
  return -1;
}

std::span<const MenuRow> MenuLayout() { return kMenu; }

int MenuTextIndex(Command command) {
  for (const MenuRow& row : kMenu) {
    if (row.kind != MenuRow::Submenu && row.command == command) return row.menuText;
  }
  return -1;
}

std::vector<MenuPosition> MenuPositions() {
  std::vector<MenuPosition> positions;
  std::vector<int> path;  // the position of the entry at each depth so far
  for (const MenuRow& row : kMenu) {
    if (row.kind == MenuRow::Separator) continue;
    const auto depth = static_cast<size_t>(row.depth);
    if (path.size() > depth + 1) path.resize(depth + 1);
    if (path.size() == depth + 1) {
      ++path[depth];
    } else {
      path.push_back(0);
    }
    if (row.kind == MenuRow::Submenu) positions.push_back({path, row.menuText});
  }
  return positions;
}

std::span<const ExportGroup> ExportGroups() { return kGroups; }

}  // namespace quorlex
