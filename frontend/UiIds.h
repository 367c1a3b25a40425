#pragma once

namespace quorlex {

// The identifiers of the front end's controls. A window's texts are applied by identifier
// (ApplyDialogTexts, ApplyToolTips): each control carries its identifier in the Qt property
// named by kControlProperty. Caption stands for the window itself (its title).
enum class Control : int {
  Caption = 0,

  // About box
  AboutVersion = 100,
  AboutText,
  AboutOk,

  // Main window, in the order of its controls
  InputGroup = 1000,
  FilesLabel,
  FilesBox,
  FilesBrowse,
  SubFolders,
  ConversionGroup,
  ConversionLabel,
  ConversionBox,
  Overwrite,
  OutputGroup,
  OutputLabel,
  OutputBox,
  OutputNameLabel,
  OutputName,
  FolderLabel,
  OutputFolderBox,
  OutputBrowse,
  PolicyGroup,
  PolicyLabel,
  PolicyBox,
  PolicyBrowse,
  Reset,
  PreviewToggle,
  Convert,
  View,
  PreviewArea,

  // Status window
  StatusMessages = 1100,
  StatusAutoClose,
  StatusSave,
  StatusClear,
  StatusClose,

  // Saving policies to a file
  SaveChangedOnly = 1200,
  SaveAll,
  SavePolicyLabel,
  SavePolicyName,
  SavePolicyBrowse,
  SavePolicyOk,
  SavePolicyCancel,

  // Loading a policy file
  LoadPolicyLabel = 1220,
  LoadPolicyName,
  LoadPolicyBrowse,
  LoadPolicyAtStart,
  LoadPolicyAlwaysReload,
  LoadPolicyOk,
  LoadPolicyCancel,

  // Markup sheet, first page ("Quorling options"), in page order
  RemoveAllTags = 1300,
  RemoveAllHtmlTags,
  RemoveHead,
  RemoveComments,
  RemoveScript,
  RemoveForm,
  RemoveFont,
  RemoveSpan,
  RemoveEmphasis,
  ReplaceLinks,
  RemoveStyleSheet,
  RemoveImg,
  RemoveNonStandardTags,
  KeepDeprecatedTags,
  RemoveNonStandardAttributes,
  KeepDeprecatedAttributes,
  RemoveNonHtmlTags,
  RemoveMailXTags,
  RemoveOfficeTags,

  // Markup sheet, second page ("Tag manipulations")
  LowerCaseTags = 1330,
  UpperCaseTags,
  ReplaceEntities,
  Allow8BitAnsi,
  AllowAnsiAlternatives,

  // Text sheet, "Text formatting"
  PreserveWhiteSpace = 1400,
  ImposePageWidth,
  PageWidthLabel,
  PageWidth,
  RightJustify,
  SingleLineParagraphs,
  PreserveShortLines,
  ShortLinesEndParagraphs,
  FirstLineIndentLabel,
  FirstLineIndent,
  SentenceGap,
  LookForDialogue,
  ExtraDialogueChecks,
  BreakDialogueLines,
  RemoveRules,
  HighlightBoldItalic,
  UnicodeMarker,
  OutputCharacterSetLabel,
  OutputCharacterSet,

  // Text sheet, "Headers and footers"
  ByLineAsAuthor = 1430,

  // Text sheet, "Hyperlinks and Images"
  OmitEmailLinks = 1440,
  OmitLocalLinks,
  RemovedLinkTextLabel,
  RemovedLinkText,
  AddUrlReferences,
  DisplayLinkUrls,
  ImgTextMarker,
  ImgAltText,

  // Text sheet, "Tables"
  ParseTables = 1460,
  BorderAllTables,
  SuppressNestedBorders,
  AdjustTablesToWidth,
  TableFormatLabel,
  TableFormat,

  // "Program Settings", "Drag'n'Drop" page
  DragDropGroup = 1500,
  DragDropViewStatus,
  DragDropViewResults,
  DragDropStartProgram,

  // "Program Settings", "Viewers" page
  AutoView = 1520,
  BrowserCommandLabel,
  BrowserCommand,
  BrowserBrowse,
  UseDde,
  DdeServiceLabel,
  DdeService,
  DdeServiceOther,
  AddUrlPrefix,
  TextViewerLabel,
  TextViewerCommand,
  TextViewerBrowse,

  // Buttons of the property sheets
  SheetOk = 1560,
  SheetCancel,
  SheetApply,

  // "Choose your language"
  ChooseEnglish = 1600,
  ChooseGerman,
  ChooseSpanish,
  ChooseFrench,
  ChoosePortuguese,
  ChooseItalian,
  ChooseSwedish,
  ChooseRussian,
  ChooseOther,
  ChooseFileLabel,
  ChooseFile,
  ChooseBrowse,
  ChooseOk,

  // "Translations"
  TranslationsText = 1650,
  TranslationsOk,

  // "Import/Export Language Files"
  ExportLanguage = 1670,
  UseLanguageFile,
  LanguageFileName,
  LanguageFileBrowse,
  LanguageFilesOk,
  LanguageFilesCancel,
};

// The windows whose control captions come from the dialog-text table.
enum class DialogTemplate {
  About,
  Main,
  Status,
  SavePolicies,
  LoadPolicy,
  QuorlPage,
  TagPage,
  FormattingPage,
  HeadersPage,
  HyperlinksPage,
  TablesPage,
  DragDropPage,
  ViewersPage,
  SheetButtons,
  ChooseLanguage,
  Translations,
  LanguageFiles,
};

// The commands of the main window's menu. Each menu action carries its command in the Qt
// property named by kCommandProperty.
enum class Command : int {
  None = 0,
  FileConvert,
  FileLoadPolicy,
  FileSavePolicies,
  FileExit,
  QuorlOptions,
  TagManipulation,
  TextFormatting,
  TextHeaders,
  TextHyperlinks,
  TextTables,
  LoadFromFile,
  SaveToFile,
  ResetToDefaults,
  DragDropSettings,
  ViewerSettings,
  ShowToolTips,
  ShowStatusDialog,
  AutoViewResults,
  LanguageEnglish,
  LanguageSpanish,
  LanguagePortuguese,
  LanguageGerman,
  LanguageItalian,
  LanguageSwedish,
  LanguageFrench,
  LanguageRussian,
  LanguageOther,
  LanguageSkin,
  ViewMessages,
  ViewResults,
  HelpContents,
  HelpLocalDocumentation,
  HelpAbout,
};

inline constexpr const char* kControlProperty = "quorlexControl";
inline constexpr const char* kCommandProperty = "quorlexCommand";

}  // namespace quorlex
