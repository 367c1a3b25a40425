#pragma once

#include <functional>
#include <string>
#include <vector>

#include "foundation/TextString.h"

namespace quorlex {

class Desktop;
class Notices;
class UiLanguage;
struct ProgramSettings;

// The last result of the main window, as the viewers see it.
struct ResultToView {
  TextString outputDir;       // the output folder, ending in a separator (or empty)
  TextString lastOutputFile;  // name of the last file written; empty while none was
  int conversionType = 0;     // 0 "Convert to text", 1 "Selectively remove markup"
  bool filesChosen = false;   // the files box names something
};

// The text of a DDE error code ("DDE Error: busy"; "Unknown DDE Error : 0x4012" for codes
// outside the table); empty for 0.
std::string DdeErrorText(int code);

// Shows results: a text file in a text viewer, an HTML file in the web browser, the local
// user guide in the browser. Programs come from the settings or from the desktop's default
// applications for a file type; they are started as separate processes, never waited for.
//
// The settings are read and written in memory (they reach the settings file at the next
// save). Every failure is shown as a message box with the texts of the current language.
class Viewers {
 public:
  // None is owned; all must outlive the viewers. `programFolder` is the folder of the
  // running program (where the installed user guide is looked for).
  Viewers(ProgramSettings& settings, UiLanguage& language, Desktop& desktop, Notices& notices,
          std::string programFolder);

  // The program registered for files with extension `ext1` (".htm"), or `ext2` when ext1 has
  // none (ext2 may be empty): the default application of the extension's MIME type, its
  // desktop file's Exec line with the field codes ("%u", "%f", ...) removed, environment
  // variables ("$HOME", "${HOME}") expanded, arguments cut off (from the first word that
  // begins with "-" or "/", or the first "%"), surrounding double quotes and trailing blanks
  // dropped, and the program found (in PATH when it has no folder). Returns 1 with its full
  // path in `out`, else 0 (out untouched). A call made while one is running fails at once.
  int FindAssociatedProgram(const char* ext1, const char* ext2, TextString& out);
  // The web browser (".htm", else ".html"). When none is found, `out` becomes the stored
  // "\BrowserCommand" and 0 is returned; nothing is shown (the program starts and opens
  // Settings without a browser; only a view asked for reports the lack).
  int DetectBrowser(TextString& out);
  // The program for ".txt"; for ".rtf", else ".doc"; for ".pdf", else ".doc".
  int FindTextViewer(TextString& out);
  int FindRtfViewer(TextString& out);
  int FindDocumentViewer(TextString& out);

  // The URL a browser is given for a local file. With "\AddURLPrefix" on: backslashes become
  // "/", the colon of a drive letter ("C:") becomes "|", "%", "#" and "?" are escaped (so the
  // URL names the file even when its name holds them), and "file://localhost" goes in front,
  // with a "/" between when the path does not begin with one. Blanks stay. With the prefix off
  // the path is used as it is.
  TextString MakeFileUrl(const TextString& path) const;

  // Shows `url` in the browser `command` (empty: the detected browser). An empty URL gives
  // message 45. The DDE step (when `allowDde` and "\UseDDEToViewHTML" are on) finds no
  // browser to talk to and falls through silently; "\DDEWorking" is written "No" and "Yes"
  // around it. The command is started with the URL as one argument; when it cannot be
  // started, message box caption 8, text 47 with the command, the URL (in double quotes when
  // it holds a blank) and the error number. No command and none detected: a message box
  // naming browsers to install. Returns 1 when a browser was started.
  int LaunchBrowser(const TextString& url, TextString command, int allowDde);
  // Shows `file` with the viewer `command` (empty: the RTF viewer). An empty name gives
  // message 46; no viewer a message box naming the file and viewers to install; a failed
  // start the text of LaunchBrowser's failure under "Error launching viewer", where the name
  // stands in double quotes when it holds a blank. The file is passed as one argument, unquoted.
  // Returns 1 when the viewer was started.
  int LaunchFileViewer(const TextString& file, TextString command);
  // Shows the text of a DDE error in a message box; nothing for 0.
  void ReportDdeError(int code);

  // "View Results...": when nothing was converted yet, says so (caption 13, text 52 when
  // files are chosen; caption 12, text 26 when not) and calls `convert`, which updates
  // `result`; still nothing: stop. HTML results go to the detected browser, text results to
  // the desktop's text viewer (none: a message box naming the file and viewers to install).
  // Returns 1 when a viewer started.
  int ViewResults(ResultToView& result, const std::function<void(ResultToView&)>& convert);
  // After a successful conversion to a file: views the result when "\AutoDDEUpdates" is on
  // (after a start with files, when "\DragAndDrop\ViewResults" is on instead) and a file was
  // written. `outputFormat` is 2 text (the "\ViewTextCommand", found and stored when empty),
  // 1 RTF ("\ViewRTFCommand" likewise), 0 HTML ("\BrowserCommand" with the file's URL), 3
  // the program for ".pdf" or ".doc". Returns 1 when a viewer started.
  int ViewAfterConversion(const ResultToView& result, int outputFormat, bool startedWithFiles);
  // Opens the user guide in the browser: "\HTMLDoco" (a folder holding quorlex.html, or the
  // page itself), else the installed guide beside the program
  // (<program folder>/../share/doc/quorlex/quorlex.html, or <program folder>/quorlex.html).
  int OpenLocalDocumentation();
  // The page OpenLocalDocumentation shows.
  TextString LocalDocumentationPath() const;

 private:
  // The command's words: the whole command when it names an existing file (a path with
  // blanks), else its blank-separated words with double quotes grouping.
  std::vector<std::string> CommandWords(const TextString& command) const;
  // What a started program shows the user, which names it in the failure message.
  enum class Shower { kBrowser, kViewer };
  // Starts `command` with `argument`; on failure shows message 47 with `shown` for "url".
  int Start(const TextString& command, const TextString& argument, const std::string& shown,
            Shower shower);
  void ReportNoBrowser();
  void ReportNoViewer(const TextString& file);
  void Notify(int caption, int text);

  ProgramSettings& settings_;
  UiLanguage& language_;
  Desktop& desktop_;
  Notices& notices_;
  std::string programFolder_;
  bool findingProgram_ = false;  // the guard of FindAssociatedProgram
};

}  // namespace quorlex
