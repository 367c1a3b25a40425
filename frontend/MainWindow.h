#pragma once

#include <QKeySequence>
#include <QList>
#include <QMainWindow>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "control/RunSettings.h"
#include "foundation/RunLog.h"
#include "foundation/TextString.h"
#include "frontend/ProgramSettings.h"
#include "frontend/UiIds.h"
#include "frontend/UiLanguage.h"
#include "frontend/Viewers.h"
#include "policies/ConversionContext.h"
#include "policies/PolicySection.h"

class QAction;
class QCheckBox;
class QLabel;
class QProgressBar;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace quorlex {

class BackgroundRun;
class Desktop;
class PropertySheet;
class Prompts;
class SettingsStore;
class StatusWindow;
struct Arguments;
struct RunOutcome;
struct RunRequest;

// The main window: one conversion request (which files, what kind of conversion, where the
// output goes, which policy file), the menu, the property sheets that edit the policies and
// the program settings, drag and drop of files, three histories and the title.
//
// The request lives in the fields below, each bound to a control; the controls are read into
// the fields before anything uses them and filled from the fields after every change. The
// window owns the settings (loaded when it is built; written as soon as they change, after a
// menu command, an Apply of "Program Settings", a new history entry or a conversion, and when
// it is destroyed), the user-interface language, the policies, the status window and the
// sheets.
// Every modal exchange goes through `prompts`, so tests can answer them.
class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  // `store` holds the settings, `desktop` starts viewers, `prompts` shows message boxes and
  // dialogs; none is owned and all must outlive the window. `programFolder` is the folder of
  // the running program. Building the window loads the settings, applies the language (after
  // "Choose your language" on a first run) and fills the controls.
  MainWindow(SettingsStore& store, Desktop& desktop, Prompts& prompts, std::string programFolder,
             QWidget* parent = nullptr);
  ~MainWindow() override;

  // Takes what a command line says: its qualifiers (through the qualifier parser) hold for
  // every conversion, a policy file becomes the one to load, "-r" searches sub-folders, and
  // an output folder becomes the window's.
  void TakeCommandLine(const Arguments& arguments);
  // At an interactive start: when DDE is on but the last DDE attempt never finished, says so
  // and switches DDE off.
  void WarnAboutDde();
  // The start with files (dropped on the program's icon): converts `paths` at once with the
  // drag-and-drop settings, forced to text. Returns true when the window is to open after
  // (the conversion failed, or "\DragAndDrop\StartProgram" is on); the started-with-files mode
  // is then left.
  bool ConvertStartFiles(const std::vector<TextString>& paths);

  // Convert ("Convert File(s)..."): browses first when no file is named; checks the input and
  // output folders (message box and nothing else when one fails); then converts on a thread
  // of its own, the window answering meanwhile, and waits for the end. Returns true when
  // every queued file converted; false at once while a conversion is running.
  bool Convert();
  // Whether a conversion is running, and asking it to stop after the file in progress
  // (the Cancel button).
  bool Converting() const;
  void CancelConversion();
  // Browses for input files; returns true when the user chose some.
  bool BrowseInputFiles();
  // Converts dropped files at once (a dropped folder stands for the HTML files in it); files
  // dropped while a conversion runs are converted after it.
  void DropFiles(const std::vector<TextString>& dropped);
  // Loads a policy file into the policies (reset first); its "Output directory" becomes the
  // output folder unless the user chose one. A file that cannot be read is reported in a
  // message box and changes nothing; returns false then.
  bool LoadPolicyFile(const TextString& name);
  // Opens a property sheet at the page of a menu command (created on first use).
  void OpenSheet(Command command);
  // Runs a menu command.
  void RunCommand(Command command);

  // The request, as the conversion sees it.
  const TextString& GetFileSpec() const { return fileSpec_; }
  const TextString& GetInputDir() const { return inputDir_; }
  const TextString& GetOutputDir() const { return outputDir_; }
  // The output file name; with ".txt" for its extension in the started-with-files mode.
  TextString GetOutputFileName() const;
  // 2 when the output goes to the clipboard, else 0.
  int OutputDestination() const { return outputType_ == kOutputToClipboard ? 2 : 0; }
  bool OutputDirExplicit() const { return outputDirExplicit_; }
  bool PoliciesChanged() const { return policiesChanged_; }
  const TextString& PolicyFileName() const { return policyFileName_; }
  const ResultToView& LastResult() const { return result_; }

  ProgramSettings& Settings() { return settings_; }
  UiLanguage& Language() { return language_; }
  PolicySet& Policies() { return policies_; }
  StatusWindow& Status() { return *status_; }
  // The sheet of a menu command once it was opened, else null.
  PropertySheet* SheetOf(Command command) const;

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  static constexpr int kConvertToText = 0;
  static constexpr int kOutputToClipboard = 1;

  void BuildControls();
  void BuildMenu();
  // A shortcut of the whole window that runs `run`.
  void AddWindowShortcut(const QList<QKeySequence>& keys, const std::function<void()>& run);
  // "When the window opens": language, histories, default policy file, check marks.
  void Initialise();
  // "Choose your language" on a first run: the number chosen, or `number` when cancelled;
  // when "Other" is chosen, `languageFile` receives the file named with it.
  int ChooseFirstLanguage(int number, TextString& languageFile);
  void OnLanguageChanged();
  void ChooseLanguage(int number);
  void UseLanguageFiles();
  // Loads the language file `name` and records it in the settings as the one in use. A file
  // that cannot be read or holds no texts is refused with a message, and the language and the
  // settings stay as they were. True when the file is in use.
  bool UseLanguageFile(const TextString& name);

  // Between fields and controls. Reading takes what was typed into the edit boxes as leaving
  // them would.
  void ReadControls();
  void FillControls();
  void EnableControls();
  void RefreshTitle();
  void ShowPreview(bool on);
  // The window's natural size, but no larger than its screen: the controls scroll then.
  void FitToScreen();
  void ApplyToolTipsEverywhere();
  void UpdateCheckMarks();

  // The request changes.
  void TakeFileSpec(const TextString& spec);
  void DeriveOutputName();
  void OnConversionTypeChosen(int index);
  void LeaveFilesBox();
  void LeaveOutputFolderBox();
  void BrowseOutputFolder();
  void ChoosePolicy(const TextString& name);
  void LeavePolicyBox();
  void BrowsePolicyFile();
  void ResetPolicies();
  void ResetPoliciesQuietly();
  void ShowLoadPolicyDialog();
  void SavePolicies();
  void ReloadSheets();
  // The sheet of `kind` (0 markup, 1 text, 2 settings), connected to the window.
  PropertySheet* MakeSheet(size_t kind);

  // Conversion.
  void ApplyConversionType();
  bool RunConversion();
  // Runs `request` on the conversion's thread and waits for its end, the window answering
  // meanwhile with the progress shown.
  const RunOutcome& RunInBackground(RunRequest request);
  // While a conversion runs: the progress and Cancel instead of the request's controls.
  void ShowRunning(bool on);
  void ShowProgress(int done, int total, const QString& current);
  // The message box after a run that failed: the summary and the files not converted.
  void ShowFailures(const RunOutcome& outcome);
  void ShowStatusWindow();
  void ViewResults();
  // A message box with the message texts `caption` and `text`.
  void Notify(int caption, int text);
  void ShowTranslationsNote();
  std::string Message(int n);
  QAction* Action(Command command) const;
  // Puts `entry` first in a history (InsertInHistory) and writes the settings.
  void Remember(HistoryList list, const TextString& entry);
  // Writes the settings file when the settings differ from what it last held.
  void SaveSettingsNow();

  SettingsStore& store_;
  Prompts& prompts_;
  std::string programFolder_;
  ProgramSettings settings_;
  UiLanguage language_;
  Viewers viewers_;
  PolicySet policies_;
  ConversionContext context_;
  // Messages of policy-file reads, shown in the status window.
  RunLog policyLog_;
  // The qualifiers of the command line, for every conversion.
  RunSettings qualifiers_;

  // The request.
  TextString fileSpec_;
  TextString inputDir_;
  TextString outputDir_;
  TextString outputFileName_;
  int conversionType_ = kConvertToText;
  int outputType_ = 0;
  bool mayOverwrite_ = false;
  bool searchSubFolders_ = false;
  TextString policyFileName_;
  bool outputDirExplicit_ = false;
  ResultToView result_;
  bool policiesChanged_ = false;
  bool previewShown_ = false;
  bool startedWithFiles_ = false;
  bool shownOnce_ = false;

  StatusWindow* status_ = nullptr;
  BackgroundRun* run_ = nullptr;
  // The window closes once the cancelled conversion has ended.
  bool closeAfterRun_ = false;
  // Files dropped or handed over while a conversion ran.
  std::vector<TextString> droppedDuringRun_;
  // The markup sheet, the text sheet and "Program Settings", each made when first opened.
  std::array<PropertySheet*, 3> sheets_{};

  QComboBox* filesBox_ = nullptr;
  QCheckBox* subFolders_ = nullptr;
  QComboBox* conversionBox_ = nullptr;
  QCheckBox* overwrite_ = nullptr;
  QComboBox* outputBox_ = nullptr;
  QLineEdit* outputName_ = nullptr;
  QComboBox* outputFolderBox_ = nullptr;
  QPushButton* outputBrowse_ = nullptr;
  QComboBox* policyBox_ = nullptr;
  QPushButton* previewToggle_ = nullptr;
  QPlainTextEdit* previewArea_ = nullptr;
  QProgressBar* progress_ = nullptr;
  // At the foot of the window: the file being converted, then the last run's summary.
  QLabel* statusLine_ = nullptr;
  QPushButton* cancel_ = nullptr;
  // The controls a running conversion disables.
  std::vector<QWidget*> requestControls_;
};

}  // namespace quorlex
