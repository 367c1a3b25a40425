#pragma once

#include <array>
#include <functional>

#include "foundation/TextString.h"
#include "frontend/SettingsStore.h"

namespace quorlex {

// A window's stored screen position; -1 means none was stored.
struct WindowPosition {
  int left = -1;
  int top = -1;
  // Both coordinates are 0 or more.
  bool IsStored() const { return left >= 0 && top >= 0; }
};

// The ten remembered-value lists, in storage order. The first three are the drop-downs of
// the main window; the others are kept and written back unchanged.
enum class HistoryList {
  Policy = 0,
  Files,
  OutDir,
  InDir,
  HTMLFragment,
  BGImage,
  ShortcutIcon,
  HTMLHeader,
  HTMLFooter,
  HTMLScript,
};
inline constexpr int kHistoryLists = 10;
inline constexpr int kHistoryEntries = 10;
using History = std::array<TextString, kHistoryEntries>;

// The name under which each history is stored ("\Files"), by HistoryList.
const char* HistoryName(HistoryList list);

// Finds the command of the user's web browser (the viewers' DetectBrowser): returns 1 and
// the command, or 0.
using BrowserDetector = std::function<int(TextString& command)>;

// The front end's memory between runs: folders, histories, window positions, viewer
// commands, the user-interface language and the switches of the Settings menu. Each field is
// the setting named in its comment, kept in the settings store with its encoding: text, a
// decimal number, or yes/no as "Yes" or "No" (compared exactly).
//
// A new record holds the defaults of a first start, without a detected browser.
struct ProgramSettings {
  TextString currentDir;                  // "\CurrentDir": start folder of the file browser
  TextString browserCommand;              // "\BrowserCommand"
  TextString ddeServerName = "IExplore";  // "\DDEServerName"
  TextString ddeWorking = "Yes";          // "\DDEWorking": "No" after a DDE attempt failed
  TextString viewRtfCommand;              // "\ViewRTFCommand"
  TextString viewTextCommand;             // "\ViewTextCommand"
  TextString htmlDoco;                    // "\HTMLDoco": the local HTML documentation
  TextString defaultPolicyFile;           // "\DefaultPolicy\File"
  TextString language = "English";        // "\Languages\Language"
  TextString languageFile;                // "\Languages\LanguageFile"

  WindowPosition mainWindow;     // "\Dialogs\Main\Left", "...\Top" (kept, not applied)
  WindowPosition analysisSheet;  // "\Dialogs\Analysis\..." (kept)
  WindowPosition outputSheets;   // "\Dialogs\Output\...": the markup and text sheets
  WindowPosition settingsSheet;  // "\Dialogs\Settings\...": "Program Settings"
  WindowPosition statusWindow;   // "\Dialogs\Status\..."

  int defaultPolicyAlwaysReload = 0;  // "\DefaultPolicy\AlwaysReload"
  int defaultPolicyUsed = 0;          // "\DefaultPolicy\Used"
  int useDdeToViewHtml = 0;           // "\UseDDEToViewHTML"
  int addUrlPrefix = 1;               // "\AddURLPrefix"
  int autoDdeUpdates = 0;             // "\AutoDDEUpdates": view results after each conversion
  int dragDropViewResults = 1;        // "\DragAndDrop\ViewResults"
  int dragDropViewStatusWindow = 0;   // "\DragAndDrop\ViewStatusWindow"
  int dragDropStartProgram = 0;       // "\DragAndDrop\StartProgram"
  int displayToolTips = 1;            // "\Dialogs\DisplayToolTips"
  int displayStatusDialog = 1;        // "\Dialogs\DisplayStatusDialog"
  int autoDismissStatusDialog = 0;    // "\Dialogs\AutoDismissStatusDialog"
  int useLanguageFile = 0;            // "\Languages\UseLanguageFile"
  int selectedLanguage = 0;           // "\Languages\SelectedLanguage"
  int conversionType = 0;             // "\Options\ConversionType"
  int outputType = 0;                 // "\Options\OutputType"

  std::array<History, kHistoryLists> histories;

  History& HistoryOf(HistoryList list) { return histories[static_cast<size_t>(list)]; }
  const History& HistoryOf(HistoryList list) const { return histories[static_cast<size_t>(list)]; }

  // Reads the store's file and fills every field from it. Each field starts at its default;
  // a text or number that cannot be read keeps it, and a yes/no setting changes only for
  // "Yes" or "No". When "\BrowserCommand" is absent, `detect` (when given) supplies the
  // command, and the detected command chooses the defaults of "\UseDDEToViewHTML",
  // "\AutoDDEUpdates" and "\DDEServerName" (see BrowserDefaults). Histories: an entry that
  // cannot be read is empty.
  void LoadSettings(SettingsStore& root, const BrowserDetector& detect);
  // Writes every setting and every history into the store, and saves its file when that
  // changed them (SettingsStore::SaveChanges). Returns 1 when the file holds them; 0 leaves
  // the stored file as it was (nothing is reported).
  int SaveSettings(SettingsStore& root) const;
};

// The defaults that a detected browser command chooses, by the first rule whose text the
// lower-cased command contains: "iexplore.exe" (DDE on, auto view on, "IExplore"),
// "netscape.exe" (on, on, "NETSCAPE"), "netscp6.exe" (off, off, "Mozilla"), "opera.exe" (on,
// on, "Opera"); anything else, an empty command included, gives off, off, "IExplore".
void BrowserDefaults(const TextString& command, int& useDde, int& autoView, TextString& serverName);

// A screen rectangle: origin and size.
struct ScreenRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// Where a window without a stored position opens.
enum class DefaultPlace {
  LowerRight,  // 30 pixels in from the right and bottom edges (policy sheets, status window)
  LowerLeft,   // 30 pixels from the left, 30 from the bottom (the analysis sheet)
  NearCentre,  // centred, then 100 pixels right and 50 down ("Program Settings")
};

// The top-left corner for a window of `width` x `height` on `desktop`: the stored position
// when it has one, else the default place (integer arithmetic).
WindowPosition PlaceWindow(const WindowPosition& stored, DefaultPlace place,
                           const ScreenRect& desktop, int width, int height);

}  // namespace quorlex
