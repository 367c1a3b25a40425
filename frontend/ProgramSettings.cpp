#include "frontend/ProgramSettings.h"

namespace quorlex {
namespace {

constexpr const char* kHistoryNames[kHistoryLists] = {
    "\\Policy",  "\\Files",        "\\OutDir",     "\\InDir",      "\\HTMLFragment",
    "\\BGImage", "\\ShortcutIcon", "\\HTMLHeader", "\\HTMLFooter", "\\HTMLScript"};

// One setting of the store: its name and the field that holds it (exactly one of the
// pointers is set; a window position names its field and which coordinate).
struct SettingRow {
  const char* name;
  TextString ProgramSettings::*text = nullptr;
  int ProgramSettings::*flag = nullptr;
  int ProgramSettings::*number = nullptr;
  WindowPosition ProgramSettings::*position = nullptr;
  bool top = false;
};

using S = ProgramSettings;

SettingRow Text(const char* name, TextString S::*field) { return {name, field}; }
SettingRow Flag(const char* name, int S::*field) { return {name, nullptr, field}; }
SettingRow Number(const char* name, int S::*field) { return {name, nullptr, nullptr, field}; }
SettingRow Position(const char* name, WindowPosition S::*field, bool top) {
  return {name, nullptr, nullptr, nullptr, field, top};
}

// Every setting in the order in which it is read and written.
const SettingRow kSettings[] = {
    Text("\\CurrentDir", &S::currentDir),
    Text("\\BrowserCommand", &S::browserCommand),
    Text("\\DDEServerName", &S::ddeServerName),
    Text("\\DDEWorking", &S::ddeWorking),
    Text("\\ViewRTFCommand", &S::viewRtfCommand),
    Text("\\ViewTextCommand", &S::viewTextCommand),
    Text("\\HTMLDoco", &S::htmlDoco),
    Text("\\DefaultPolicy\\File", &S::defaultPolicyFile),
    Text("\\Languages\\Language", &S::language),
    Text("\\Languages\\LanguageFile", &S::languageFile),
    Position("\\Dialogs\\Main\\Left", &S::mainWindow, false),
    Position("\\Dialogs\\Main\\Top", &S::mainWindow, true),
    Position("\\Dialogs\\Analysis\\Left", &S::analysisSheet, false),
    Position("\\Dialogs\\Analysis\\Top", &S::analysisSheet, true),
    Position("\\Dialogs\\Output\\Left", &S::outputSheets, false),
    Position("\\Dialogs\\Output\\Top", &S::outputSheets, true),
    Position("\\Dialogs\\Settings\\Left", &S::settingsSheet, false),
    Position("\\Dialogs\\Settings\\Top", &S::settingsSheet, true),
    Position("\\Dialogs\\Status\\Left", &S::statusWindow, false),
    Position("\\Dialogs\\Status\\Top", &S::statusWindow, true),
    Flag("\\DefaultPolicy\\AlwaysReload", &S::defaultPolicyAlwaysReload),
    Flag("\\DefaultPolicy\\Used", &S::defaultPolicyUsed),
    Flag("\\UseDDEToViewHTML", &S::useDdeToViewHtml),
    Flag("\\AddURLPrefix", &S::addUrlPrefix),
    Flag("\\AutoDDEUpdates", &S::autoDdeUpdates),
    Flag("\\DragAndDrop\\ViewResults", &S::dragDropViewResults),
    Flag("\\DragAndDrop\\ViewStatusWindow", &S::dragDropViewStatusWindow),
    Flag("\\DragAndDrop\\StartProgram", &S::dragDropStartProgram),
    Flag("\\Dialogs\\DisplayToolTips", &S::displayToolTips),
    Flag("\\Dialogs\\DisplayStatusDialog", &S::displayStatusDialog),
    Flag("\\Dialogs\\AutoDismissStatusDialog", &S::autoDismissStatusDialog),
    Flag("\\Languages\\UseLanguageFile", &S::useLanguageFile),
    Flag("\\Languages\\SelectedLanguage", &S::selectedLanguage),
    Number("\\Options\\ConversionType", &S::conversionType),
    Number("\\Options\\OutputType", &S::outputType),
};

int& PositionValue(ProgramSettings& settings, const SettingRow& row) {
  WindowPosition& position = settings.*row.position;
  return row.top ? position.top : position.left;
}

int PositionValue(const ProgramSettings& settings, const SettingRow& row) {
  const WindowPosition& position = settings.*row.position;
  return row.top ? position.top : position.left;
}

// A yes/no setting changes only for exactly "Yes" or "No"; any other text, or none, leaves
// the default.
void ReadFlag(const SettingsStore& root, const char* name, int& flag) {
  TextString text;
  if (!ReadText(root, "", name, text)) return;
  if (text.Equals("Yes", LetterCase::kMatters, Blanks::kCount)) {
    flag = 1;
  } else if (text.Equals("No", LetterCase::kMatters, Blanks::kCount)) {
    flag = 0;
  }
}

void ReadRow(const SettingsStore& root, const SettingRow& row, ProgramSettings& settings) {
  if (row.text != nullptr) {
    (void)ReadText(root, "", row.name, settings.*row.text);
  } else if (row.flag != nullptr) {
    ReadFlag(root, row.name, settings.*row.flag);
  } else if (row.number != nullptr) {
    (void)ReadNumber(root, "", row.name, settings.*row.number);
  } else {
    (void)ReadNumber(root, "", row.name, PositionValue(settings, row));
  }
}

void WriteRow(SettingsStore& root, const SettingRow& row, const ProgramSettings& settings) {
  if (row.text != nullptr) {
    WriteText(root, "", row.name, settings.*row.text);
  } else if (row.flag != nullptr) {
    WriteText(root, "", row.name, settings.*row.flag ? "Yes" : "No");
  } else if (row.number != nullptr) {
    WriteNumber(root, "", row.name, settings.*row.number);
  } else {
    WriteNumber(root, "", row.name, PositionValue(settings, row));
  }
}

}  // namespace

const char* HistoryName(HistoryList list) { return kHistoryNames[static_cast<int>(list)]; }

void BrowserDefaults(const TextString& command, int& useDde, int& autoView,
                     TextString& serverName) {
  static const struct {
    const char* program;
    int dde;
    const char* server;
  } kBrowsers[] = {
      {"iexplore.exe", 1, "IExplore"},
      {"netscape.exe", 1, "NETSCAPE"},
      {"netscp6.exe", 0, "Mozilla"},
      {"opera.exe", 1, "Opera"},
  };
  TextString lower = command;
  lower.ToLower();
  for (const auto& browser : kBrowsers) {
    int pos = -1;
    if (lower.Find(0, browser.program, pos, LetterCase::kMatters)) {
      useDde = autoView = browser.dde;
      serverName = browser.server;
      return;
    }
  }
  useDde = autoView = 0;
  serverName = "IExplore";
}

void ProgramSettings::LoadSettings(SettingsStore& root, const BrowserDetector& detect) {
  root.Load();
  *this = ProgramSettings();
  for (const SettingRow& row : kSettings) {
    if (row.text != &ProgramSettings::browserCommand) {
      ReadRow(root, row, *this);
      continue;
    }
    // A stored command is taken as it is; only a detected one chooses the defaults of the
    // DDE settings that follow it.
    if (ReadText(root, "", row.name, browserCommand)) continue;
    TextString detected;
    if (detect && detect(detected)) browserCommand = detected;
    BrowserDefaults(browserCommand, useDdeToViewHtml, autoDdeUpdates, ddeServerName);
  }
  for (int list = 0; list < kHistoryLists; ++list) {
    ReadHistory(root, kHistoryNames[list], kHistoryEntries, histories[list].data());
  }
}

int ProgramSettings::SaveSettings(SettingsStore& root) const {
  for (const SettingRow& row : kSettings) WriteRow(root, row, *this);
  for (int list = 0; list < kHistoryLists; ++list) {
    WriteHistory(root, kHistoryNames[list], kHistoryEntries, histories[list].data());
  }
  return root.SaveChanges();
}

WindowPosition PlaceWindow(const WindowPosition& stored, DefaultPlace place,
                           const ScreenRect& desktop, int width, int height) {
  if (stored.IsStored()) return stored;
  constexpr int kMargin = 30;
  WindowPosition at;
  switch (place) {
    case DefaultPlace::LowerRight:
      at.left = desktop.left + desktop.width - width - kMargin;
      at.top = desktop.top + desktop.height - height - kMargin;
      break;
    case DefaultPlace::LowerLeft:
      at.left = desktop.left + kMargin;
      at.top = desktop.top + desktop.height - height - kMargin;
      break;
    case DefaultPlace::NearCentre:
      at.left = desktop.left + (desktop.width - width) / 2 + 100;
      at.top = desktop.top + (desktop.height - height) / 2 + 50;
      break;
  }
  return at;
}

}  // namespace quorlex
