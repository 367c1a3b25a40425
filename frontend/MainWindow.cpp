#include "frontend/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <string_view>
#include <utility>

#include "control/Arguments.h"
#include "control/Driver.h"
#include "control/Qualifiers.h"
#include "foundation/FileNames.h"
#include "frontend/ApplyTexts.h"
#include "frontend/BackgroundRun.h"
#include "frontend/CodePages.h"
#include "frontend/Dialogs.h"
#include "frontend/FileSpec.h"
#include "frontend/Prompts.h"
#include "frontend/PropertySheet.h"
#include "frontend/ScreenFit.h"
#include "frontend/Sheets.h"
#include "frontend/StatusWindow.h"
#include "policies/PolicyCatalogue.h"
#include "policies/PolicyFile.h"

namespace quorlex {
namespace {

QString ToDisplay(const TextString& text) {
  return QString::fromStdString(MessageToUtf8(text.View()));
}

TextString FromQString(const QString& text) { return TextString(text.toUtf8().constData()); }

// An editable drop-down list whose typed text is never added to its items.
QComboBox* MakeEditableBox(QWidget* parent, Control control) {
  auto* box = MakeControl<QComboBox>(parent, control);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->setMinimumContentsLength(40);
  box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  return box;
}

// Fills a history box with the non-empty entries, in order, keeping the text shown.
void FillHistoryBox(QComboBox* box, const History& history, const TextString& shown) {
  box->clear();
  for (const TextString& entry : history) {
    if (!entry.IsEmpty()) box->addItem(ToDisplay(entry));
  }
  box->setEditText(ToDisplay(shown));
}

// The texts of a list's items by index, kept by index when the language changes.
void FillList(QComboBox* box, UiLanguage& language, std::initializer_list<int> messages) {
  const int current = box->currentIndex();
  box->clear();
  for (const int message : messages)
    box->addItem(ToQString(language.Display(TextTable::Message, message)));
  box->setCurrentIndex(current < 0 ? 0 : current);
}

void SetPolicy(PolicySet& policies, int id, int value) {
  Policy* policy = policies.Find(id);
  policy->number = value;
  policy->valueSet = 1;
}

bool CanOpen(const TextString& path) {
  if (path.IsEmpty() || IsFolder(path)) return false;
  std::FILE* file = std::fopen(path.Data(), "rb");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

// Each converted file replaces the text of the clipboard.
// The clipboard holds the lines without a line feed after the last one.
void PlaceOnClipboard(std::string_view text) {
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  TextString lines;
  lines.AppendBytes(text.data(), static_cast<int>(text.size()));
  if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(ToDisplay(lines));
}

// The property sheets, by their index in MainWindow::sheets_.
enum SheetKind : size_t { kMarkupSheet = 0, kTextSheet = 1, kSettingsSheet = 2 };

// The sheet and page each menu command opens.
struct SheetPage {
  Command command;
  SheetKind sheet;
  int page;
};

constexpr SheetPage kSheetPages[] = {
    {Command::QuorlOptions, kMarkupSheet, 0},       {Command::TagManipulation, kMarkupSheet, 1},
    {Command::TextFormatting, kTextSheet, 0},       {Command::TextHeaders, kTextSheet, 1},
    {Command::TextHyperlinks, kTextSheet, 2},       {Command::TextTables, kTextSheet, 3},
    {Command::DragDropSettings, kSettingsSheet, 0}, {Command::ViewerSettings, kSettingsSheet, 1},
};

const SheetPage* PageOf(Command command) {
  for (const SheetPage& row : kSheetPages) {
    if (row.command == command) return &row;
  }
  return nullptr;
}

}  // namespace

MainWindow::MainWindow(SettingsStore& store, Desktop& desktop, Prompts& prompts,
                       std::string programFolder, QWidget* parent)
    : QMainWindow(parent),
      store_(store),
      prompts_(prompts),
      programFolder_(std::move(programFolder)),
      language_(&settings_),
      viewers_(settings_, language_, desktop, prompts, programFolder_),
      policies_(MakeDetaggingPolicies()),
      context_(policies_),
      policyLog_(RunTexts()) {
  settings_.LoadSettings(store_,
                         [this](TextString& command) { return viewers_.DetectBrowser(command); });
  conversionType_ = settings_.conversionType == 1 ? 1 : kConvertToText;
  outputType_ = settings_.outputType == kOutputToClipboard ? kOutputToClipboard : 0;
  status_ = new StatusWindow(settings_, language_, this);
  status_->Attach(policyLog_.Channel());
  run_ = new BackgroundRun(this);
  connect(run_, &BackgroundRun::Lines, status_, &StatusWindow::AppendMessages);
  connect(run_, &BackgroundRun::Progress, this, &MainWindow::ShowProgress);
  connect(run_, &BackgroundRun::ClipboardText, this,
          [](const std::string& text) { PlaceOnClipboard(text); });
  context_.SetRun(&policyLog_);
  setAcceptDrops(true);
  BuildControls();
  BuildMenu();
  connect(&language_, &UiLanguage::LanguageChanged, this, [this] { OnLanguageChanged(); });
  Initialise();
}

MainWindow::~MainWindow() {
  // The edit boxes report being left when the window goes, after its fields are gone.
  for (QLineEdit* edit : centralWidget()->findChildren<QLineEdit*>()) edit->disconnect(this);
  // The sheets and the status window keep their positions in the settings: they go first,
  // while the settings still exist, and the settings are saved after.
  for (PropertySheet*& sheet : sheets_) {
    delete sheet;
    sheet = nullptr;
  }
  delete status_;
  status_ = nullptr;
  SaveSettingsNow();
}

void MainWindow::BuildControls() {
  // The controls scroll when the window would be larger than the screen.
  auto* scroller = new PageScroller(this);
  auto* central = new QWidget(scroller);
  auto* layout = new QVBoxLayout(central);

  auto* input = MakeControl<QGroupBox>(central, Control::InputGroup);
  auto* inputLayout = new QGridLayout(input);
  filesBox_ = MakeEditableBox(input, Control::FilesBox);
  inputLayout->addWidget(MakeBuddyLabel(input, Control::FilesLabel, filesBox_), 0, 0, 1, 2);
  inputLayout->addWidget(filesBox_, 1, 0);
  auto* filesBrowse = MakeBrowseButton(input, Control::FilesBrowse);
  filesBrowse->setAccessibleName(QStringLiteral("Choose input files"));
  inputLayout->addWidget(filesBrowse, 1, 1);
  subFolders_ = MakeControl<QCheckBox>(input, Control::SubFolders);
  inputLayout->addWidget(subFolders_, 2, 0, 1, 2);
  inputLayout->setColumnStretch(0, 1);
  layout->addWidget(input);

  auto* middle = new QHBoxLayout;
  auto* conversion = MakeControl<QGroupBox>(central, Control::ConversionGroup);
  auto* conversionLayout = new QVBoxLayout(conversion);
  conversionBox_ = MakeControl<QComboBox>(conversion, Control::ConversionBox);
  conversionLayout->addWidget(MakeBuddyLabel(conversion, Control::ConversionLabel, conversionBox_));
  conversionLayout->addWidget(conversionBox_);
  overwrite_ = MakeControl<QCheckBox>(conversion, Control::Overwrite);
  conversionLayout->addWidget(overwrite_);
  conversionLayout->addStretch(1);
  middle->addWidget(conversion);

  auto* output = MakeControl<QGroupBox>(central, Control::OutputGroup);
  auto* outputLayout = new QGridLayout(output);
  outputBox_ = MakeControl<QComboBox>(output, Control::OutputBox);
  outputLayout->addWidget(MakeBuddyLabel(output, Control::OutputLabel, outputBox_), 0, 0, 1, 2);
  outputLayout->addWidget(outputBox_, 1, 0, 1, 2);
  outputName_ = MakeControl<QLineEdit>(output, Control::OutputName);
  outputLayout->addWidget(MakeBuddyLabel(output, Control::OutputNameLabel, outputName_), 2, 0, 1,
                          2);
  outputLayout->addWidget(outputName_, 3, 0, 1, 2);
  outputFolderBox_ = MakeEditableBox(output, Control::OutputFolderBox);
  outputFolderBox_->setMinimumContentsLength(24);
  outputLayout->addWidget(MakeBuddyLabel(output, Control::FolderLabel, outputFolderBox_), 4, 0, 1,
                          2);
  outputLayout->addWidget(outputFolderBox_, 5, 0);
  outputBrowse_ = MakeBrowseButton(output, Control::OutputBrowse);
  outputBrowse_->setAccessibleName(QStringLiteral("Choose output folder"));
  outputLayout->addWidget(outputBrowse_, 5, 1);
  outputLayout->setColumnStretch(0, 1);
  middle->addWidget(output, 1);
  layout->addLayout(middle);

  auto* policy = MakeControl<QGroupBox>(central, Control::PolicyGroup);
  auto* policyLayout = new QGridLayout(policy);
  policyBox_ = MakeEditableBox(policy, Control::PolicyBox);
  policyLayout->addWidget(MakeBuddyLabel(policy, Control::PolicyLabel, policyBox_), 0, 0, 1, 3);
  policyLayout->addWidget(policyBox_, 1, 0);
  auto* policyBrowse = MakeBrowseButton(policy, Control::PolicyBrowse);
  policyBrowse->setAccessibleName(QStringLiteral("Choose policy file"));
  policyLayout->addWidget(policyBrowse, 1, 1);
  auto* reset = MakeControl<QPushButton>(policy, Control::Reset);
  policyLayout->addWidget(reset, 1, 2);
  policyLayout->setColumnStretch(0, 1);
  layout->addWidget(policy);

  auto* buttons = new QHBoxLayout;
  previewToggle_ = MakeControl<QPushButton>(central, Control::PreviewToggle);
  buttons->addWidget(previewToggle_);
  // While a conversion runs: how far it has got, and the way to stop it.
  progress_ = new QProgressBar(central);
  progress_->setFormat(QStringLiteral("%v of %m files"));
  progress_->setAccessibleName(QStringLiteral("Conversion progress"));
  progress_->hide();
  buttons->addWidget(progress_, 4);
  cancel_ = new QPushButton(central);
  cancel_->setAutoDefault(false);
  cancel_->hide();
  buttons->addWidget(cancel_);
  buttons->addStretch(1);
  auto* convert = MakeControl<QPushButton>(central, Control::Convert);
  convert->setDefault(true);
  buttons->addWidget(convert);
  auto* view = MakeControl<QPushButton>(central, Control::View);
  buttons->addWidget(view);
  layout->addLayout(buttons);
  requestControls_ = {input, conversion, output, policy, convert, view};

  previewArea_ = MakeControl<QPlainTextEdit>(central, Control::PreviewArea);
  previewArea_->setReadOnly(true);
  layout->addWidget(previewArea_);
  scroller->setWidget(central);
  setCentralWidget(scroller);
  // The line that names the file being converted, then the summary of the last run. A label
  // of its own, as the bar's temporary message gives way to every menu item's tip.
  statusLine_ = new QLabel(this);
  statusLine_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  statusBar()->addWidget(statusLine_, 1);
  statusBar()->setSizeGripEnabled(false);

  connect(filesBox_, &QComboBox::activated, this, [this](int index) {
    if (index >= 0) TakeFileSpec(FromQString(filesBox_->itemText(index)));
  });
  connect(filesBox_->lineEdit(), &QLineEdit::editingFinished, this, [this] { LeaveFilesBox(); });
  // Enter in the files box converts, as the default button of a dialog would.
  connect(filesBox_->lineEdit(), &QLineEdit::returnPressed, this, [this] { Convert(); });
  connect(filesBrowse, &QPushButton::clicked, this, [this] { BrowseInputFiles(); });
  connect(subFolders_, &QCheckBox::toggled, this, [this](bool on) { searchSubFolders_ = on; });
  connect(conversionBox_, &QComboBox::activated, this,
          [this](int index) { OnConversionTypeChosen(index); });
  connect(overwrite_, &QCheckBox::toggled, this, [this](bool on) { mayOverwrite_ = on; });
  connect(outputBox_, &QComboBox::activated, this, [this](int index) {
    outputType_ = index;
    EnableControls();
  });
  connect(outputName_, &QLineEdit::textEdited, this,
          [this](const QString& text) { outputFileName_ = FromQString(text); });
  connect(outputFolderBox_, &QComboBox::activated, this, [this] { LeaveOutputFolderBox(); });
  connect(outputFolderBox_->lineEdit(), &QLineEdit::textEdited, this,
          [this] { outputDirExplicit_ = true; });
  connect(outputFolderBox_->lineEdit(), &QLineEdit::editingFinished, this,
          [this] { LeaveOutputFolderBox(); });
  connect(outputBrowse_, &QPushButton::clicked, this, [this] { BrowseOutputFolder(); });
  connect(policyBox_, &QComboBox::activated, this, [this](int index) {
    if (index >= 0) ChoosePolicy(FromQString(policyBox_->itemText(index)));
  });
  connect(policyBox_->lineEdit(), &QLineEdit::editingFinished, this, [this] { LeavePolicyBox(); });
  connect(policyBrowse, &QPushButton::clicked, this, [this] { BrowsePolicyFile(); });
  connect(reset, &QPushButton::clicked, this, [this] { ResetPolicies(); });
  connect(convert, &QPushButton::clicked, this, [this] { Convert(); });
  connect(cancel_, &QPushButton::clicked, this, [this] { CancelConversion(); });
  connect(view, &QPushButton::clicked, this, [this] { ViewResults(); });
}

void MainWindow::BuildMenu() {
  BuildMenuBar(menuBar());
  // German and Portuguese are only partly translated: a stored setting can still choose them.
  delete Action(Command::LanguagePortuguese);
  delete Action(Command::LanguageGerman);
  connect(menuBar(), &QMenuBar::triggered, this, [this](QAction* action) {
    RunCommand(static_cast<Command>(action->property(kCommandProperty).toInt()));
    SaveSettingsNow();
  });
  Action(Command::FileExit)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  Action(Command::HelpContents)->setShortcut(QKeySequence::HelpContents);
  AddWindowShortcut({QKeySequence::Open}, [this] { BrowseInputFiles(); });
  AddWindowShortcut(
      {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)},
      [this] { Convert(); });
}

void MainWindow::AddWindowShortcut(const QList<QKeySequence>& keys,
                                   const std::function<void()>& run) {
  auto* action = new QAction(this);
  action->setShortcuts(keys);
  addAction(action);
  connect(action, &QAction::triggered, this, run);
}

QAction* MainWindow::Action(Command command) const {
  const QVariant wanted(static_cast<int>(command));
  for (QAction* action : menuBar()->findChildren<QAction*>()) {
    if (action->property(kCommandProperty) == wanted) return action;
  }
  return nullptr;
}

void MainWindow::Initialise() {
  FillControls();
  int number = LanguageNumberFromName(settings_.language);
  if (settings_.defaultPolicyUsed) policyFileName_ = settings_.defaultPolicyFile;
  // English first, so that every text has one before the chosen language replaces it.
  language_.SetLanguage(kLanguageEnglish);
  TextString languageFile = settings_.languageFile;
  if (!settings_.selectedLanguage) number = ChooseFirstLanguage(number, languageFile);
  if (number == kLanguageOther) {
    UseLanguageFile(languageFile);
  } else {
    language_.SetLanguage(number);
  }
  UpdateCheckMarks();
  RefreshTitle();
  ShowPreview(false);
  EnableControls();
  FillControls();
  // The language chosen on a first run is kept at once.
  SaveSettingsNow();
}

int MainWindow::ChooseFirstLanguage(int number, TextString& languageFile) {
  settings_.selectedLanguage = 1;
  ChooseLanguageDialog dialog(language_, prompts_, programFolder_, this);
  if (prompts_.RunDialog(dialog) != QDialog::Accepted) return number;
  if (dialog.Chosen() == kLanguageOther) languageFile = dialog.FileName();
  return dialog.Chosen();
}

void MainWindow::OnLanguageChanged() {
  ApplyMenuTexts(menuBar(), language_);
  UpdateLanguageMenu(menuBar(), language_.Current());
  FillList(conversionBox_, language_, {111, 110});
  FillList(outputBox_, language_, {105, 106});
  ApplyDialogTexts(centralWidget(), DialogTemplate::Main, language_);
  cancel_->setText(ToQString(language_.Display(TextTable::Dialog, 435)));
  AssignMnemonics(centralWidget(), MenuMnemonics(menuBar()));
  NameFieldsAfterLabels(centralWidget());
  ApplyToolTipsEverywhere();
  status_->ApplyTexts();
  for (PropertySheet* sheet : sheets_) {
    if (sheet != nullptr) sheet->ApplyTexts(settings_.displayToolTips != 0);
  }
  FillControls();
  // Last, so that the window fits what the texts of the language make of it.
  ShowPreview(previewShown_);
}

void MainWindow::ApplyToolTipsEverywhere() {
  const bool on = settings_.displayToolTips != 0;
  ApplyToolTips(this, language_, on);
  ApplyToolTips(status_, language_, on);
  for (PropertySheet* sheet : sheets_) {
    if (sheet != nullptr) ApplyToolTips(sheet, language_, on);
  }
}

void MainWindow::UpdateCheckMarks() {
  Action(Command::ShowToolTips)->setChecked(settings_.displayToolTips != 0);
  Action(Command::ShowStatusDialog)->setChecked(settings_.displayStatusDialog != 0);
  Action(Command::AutoViewResults)->setChecked(settings_.autoDdeUpdates != 0);
}

void MainWindow::ReadControls() {
  // Text typed into a box and not yet left counts as left.
  LeaveFilesBox();
  LeaveOutputFolderBox();
  LeavePolicyBox();
  searchSubFolders_ = subFolders_->isChecked();
  conversionType_ = conversionBox_->currentIndex() == 1 ? 1 : kConvertToText;
  mayOverwrite_ = overwrite_->isChecked();
  outputType_ = outputBox_->currentIndex() == kOutputToClipboard ? kOutputToClipboard : 0;
  outputFileName_ = FromQString(outputName_->text());
}

void MainWindow::FillControls() {
  FillHistoryBox(filesBox_, settings_.HistoryOf(HistoryList::Files), fileSpec_);
  subFolders_->setChecked(searchSubFolders_);
  conversionBox_->setCurrentIndex(conversionType_);
  overwrite_->setChecked(mayOverwrite_);
  outputBox_->setCurrentIndex(outputType_);
  outputName_->setText(ToDisplay(outputFileName_));
  FillHistoryBox(outputFolderBox_, settings_.HistoryOf(HistoryList::OutDir), outputDir_);
  FillHistoryBox(policyBox_, settings_.HistoryOf(HistoryList::Policy), policyFileName_);
}

void MainWindow::EnableControls() {
  const bool toFile = outputType_ != kOutputToClipboard;
  outputName_->setEnabled(toFile);
  outputFolderBox_->setEnabled(toFile);
  outputBrowse_->setEnabled(toFile);
  overwrite_->setEnabled(conversionType_ != kConvertToText);
  previewToggle_->hide();
}

void MainWindow::RefreshTitle() { setWindowTitle(ToDisplay(WindowTitle(fileSpec_))); }

void MainWindow::ShowPreview(bool on) {
  previewShown_ = on;
  previewArea_->setVisible(on);
  previewToggle_->setText(ToQString(language_.Display(TextTable::Dialog, on ? 268 : 267)));
  if (!on) FitToScreen();
}

void MainWindow::FitToScreen() {
  const QScreen* shown = screen();
  if (shown == nullptr) return;
  // Styled controls measure as they will show. The window's own measure takes a scroll
  // area's at its default, not at what it holds: the natural size is added up here.
  ensurePolished();
  const QSize controls = static_cast<const QScrollArea*>(centralWidget())->widget()->sizeHint();
  const QSize menu = menuBar()->sizeHint();
  const QSize foot = statusBar()->sizeHint();
  const QSize natural(std::max(controls.width(), menu.width()),
                      menu.height() + controls.height() + foot.height());
  const QSize room = shown->availableGeometry().size() - FrameAllowance(this);
  resize(FittingSize(this, natural, room));
}

TextString MainWindow::GetOutputFileName() const {
  if (!startedWithFiles_) return outputFileName_;
  TextString folder;
  TextString name;
  TextString extension;
  SplitPath(outputFileName_, folder, name, extension);
  return name + ".txt";
}

void MainWindow::DeriveOutputName() {
  TextString folder;
  TextString names;
  SplitFileSpec(fileSpec_, folder, names);
  outputFileName_ = DeriveOutputFileName(folder, names, conversionType_ == kConvertToText);
}

void MainWindow::TakeFileSpec(const TextString& spec) {
  fileSpec_ = spec;
  TextString folder;
  TextString names;
  SplitFileSpec(spec, folder, names);
  DeriveOutputName();
  inputDir_ = folder;
  if (!outputDirExplicit_) outputDir_ = folder;
  if (!inputDir_.IsEmpty()) settings_.currentDir = inputDir_;
  RefreshTitle();
  FillControls();
}

bool MainWindow::BrowseInputFiles() {
  if (Converting()) return false;
  ReadControls();
  const TextString start =
      WithFinalSeparator(!inputDir_.IsEmpty() ? inputDir_ : settings_.currentDir) + "*.htm*";
  const std::vector<std::string> chosen =
      prompts_.OpenFiles(Message(17), std::string(start.View()),
                         FileDialogFilter(language_.Display(TextTable::Message, 88)), true);
  if (chosen.empty()) return false;
  std::vector<TextString> paths;
  for (const std::string& path : chosen) paths.emplace_back(path.c_str());
  fileSpec_ = MakeFileSpec(paths);
  TextString folder;
  TextString names;
  SplitFileSpec(fileSpec_, folder, names);
  inputDir_ = folder;
  if (!inputDir_.IsEmpty()) settings_.currentDir = inputDir_;
  if (!outputDirExplicit_) {
    outputDir_ = folder;
    Remember(HistoryList::OutDir, outputDir_);
  }
  DeriveOutputName();
  Remember(HistoryList::Files, fileSpec_);
  // A new choice of files starts from the default general options, unless the user has
  // edited policies since they were last loaded, saved or reset.
  if (!policiesChanged_) context_.General().ResetAll();
  FillControls();
  RefreshTitle();
  return true;
}

void MainWindow::DropFiles(const std::vector<TextString>& dropped) {
  if (dropped.empty()) return;
  if (Converting()) {
    droppedDuringRun_.insert(droppedDuringRun_.end(), dropped.begin(), dropped.end());
    return;
  }
  const std::vector<TextString> paths = MarkFolders(dropped);
  fileSpec_ = MakeFileSpec(paths);
  TextString name;
  TextString extension;
  SplitPath(paths.back(), inputDir_, name, extension);
  if (!outputDirExplicit_) outputDir_ = inputDir_;
  DeriveOutputName();
  RefreshTitle();
  FillControls();
  Convert();
}

void MainWindow::OnConversionTypeChosen(int index) {
  conversionType_ = index == 1 ? 1 : kConvertToText;
  ApplyConversionType();
  DeriveOutputName();
  ReloadSheets();
  EnableControls();
  FillControls();
}

void MainWindow::ApplyConversionType() {
  if (conversionType_ == kConvertToText || startedWithFiles_) {
    SetPolicy(policies_, kRemoveAllTags, 1);
  } else {
    SetPolicy(policies_, kRemoveAllTags, 0);
    SetPolicy(policies_, kAddUrlReferences, 0);
  }
}

void MainWindow::LeaveFilesBox() {
  const TextString typed = FromQString(filesBox_->currentText());
  if (typed.View() == fileSpec_.View()) return;
  TakeFileSpec(typed);
  Remember(HistoryList::Files, typed);
  FillControls();
}

void MainWindow::LeaveOutputFolderBox() {
  TextString typed = FromQString(outputFolderBox_->currentText());
  if (typed.View() == outputDir_.View()) return;
  outputDirExplicit_ = true;
  if (typed.Length() > 1) typed = WithFinalSeparator(typed);
  outputDir_ = typed;
  FillControls();
}

void MainWindow::BrowseOutputFolder() {
  const std::string chosen = prompts_.ChooseFolder(Message(22), std::string(outputDir_.View()));
  if (chosen.empty()) return;
  const TextString folder = WithFinalSeparator(TextString(chosen.c_str()));
  if (!IsUsableFolder(folder, true)) {
    prompts_.Show(MessageToUtf8(folder.View()), Message(29), NoticeIcon::Exclamation);
    return;
  }
  outputDirExplicit_ = true;
  outputDir_ = folder;
  Remember(HistoryList::OutDir, outputDir_);
  FillControls();
}

bool MainWindow::LoadPolicyFile(const TextString& name) {
  // A file that cannot be read changes nothing: the policies in use stay.
  if (!CanOpen(name)) {
    prompts_.Show(Message(15), FillPlaceholders(Message(49), {{"xxxxxx", name.View()}}),
                  NoticeIcon::Exclamation);
    return false;
  }
  ResetPoliciesQuietly();
  // Lines the reader passes over are reported in the status window.
  if (!PolicyFileReader(context_).Read(name, nullptr)) ShowStatusWindow();
  const TextString outputDirectory = context_.GeneralText(kOutputDirectory);
  if (!outputDirExplicit_ && !outputDirectory.IsEmpty()) {
    outputDir_ = WithFinalSeparator(outputDirectory);
  }
  ReloadSheets();
  return true;
}

void MainWindow::ChoosePolicy(const TextString& name) {
  if (LoadPolicyFile(name)) {
    policyFileName_ = name;
    Remember(HistoryList::Policy, name);
  } else {
    ResetPoliciesQuietly();
    policyFileName_.Clear();
  }
  FillControls();
}

void MainWindow::LeavePolicyBox() {
  const TextString typed = FromQString(policyBox_->currentText());
  if (typed.View() == policyFileName_.View() || typed.IsEmpty()) return;
  if (LoadPolicyFile(typed)) {
    policyFileName_ = typed;
    Remember(HistoryList::Policy, typed);
  }
  FillControls();
}

void MainWindow::BrowsePolicyFile() {
  const std::vector<std::string> chosen =
      prompts_.OpenFiles(Message(18), std::string(policyFileName_.View()),
                         FileDialogFilter(language_.Display(TextTable::Message, 87)), false);
  if (!chosen.empty()) ChoosePolicy(TextString(chosen.front().c_str()));
}

void MainWindow::ResetPoliciesQuietly() {
  policies_.ResetAll();
  context_.Reset();
  policiesChanged_ = false;
  ReloadSheets();
}

void MainWindow::ResetPolicies() {
  policyFileName_.Clear();
  ResetPoliciesQuietly();
  FillControls();
  Notify(14, 53);
}

void MainWindow::ReloadSheets() {
  for (PropertySheet* sheet : sheets_) {
    if (sheet != nullptr && sheet->isVisible()) sheet->Reload();
  }
}

void MainWindow::ShowLoadPolicyDialog() {
  ReadControls();
  LoadPolicyDialog dialog(language_, prompts_, policyFileName_, settings_.defaultPolicyUsed != 0,
                          settings_.defaultPolicyAlwaysReload != 0, this);
  if (prompts_.RunDialog(dialog) != QDialog::Accepted) return;
  settings_.defaultPolicyUsed = dialog.AtStart() ? 1 : 0;
  settings_.defaultPolicyAlwaysReload = dialog.AlwaysReload() ? 1 : 0;
  if (dialog.AtStart()) settings_.defaultPolicyFile = dialog.FileName();
  ChoosePolicy(dialog.FileName());
}

void MainWindow::SavePolicies() {
  ReadControls();
  SavePoliciesDialog dialog(language_, prompts_, policyFileName_, this);
  if (prompts_.RunDialog(dialog) != QDialog::Accepted || dialog.FileName().IsEmpty()) return;
  TextString error;
  if (!WritePolicyFile(context_, dialog.FileName(),
                       dialog.WriteAll() ? Written::kAll : Written::kSetOnly, error)) {
    prompts_.Show(
        Message(15),
        MessageToUtf8(
            ("ERROR: Error writing to file " + dialog.FileName() + " (" + error + ")").View()),
        NoticeIcon::Exclamation);
    return;
  }
  policiesChanged_ = false;
}

PropertySheet* MainWindow::SheetOf(Command command) const {
  const SheetPage* page = PageOf(command);
  return page != nullptr ? sheets_[page->sheet] : nullptr;
}

PropertySheet* MainWindow::MakeSheet(size_t kind) {
  if (kind == kSettingsSheet) {
    PropertySheet* sheet = MakeSettingsSheet(settings_, viewers_, prompts_, language_, this);
    connect(sheet, &PropertySheet::Applied, this, [this] {
      UpdateCheckMarks();
      SaveSettingsNow();
    });
    return sheet;
  }
  PropertySheet* sheet = kind == kMarkupSheet
                             ? MakeMarkupSheet(policies_, language_, settings_, this)
                             : MakeTextSheet(policies_, language_, settings_, this);
  connect(sheet, &PropertySheet::Applied, this, [this] { policiesChanged_ = true; });
  return sheet;
}

void MainWindow::OpenSheet(Command command) {
  const SheetPage* page = PageOf(command);
  if (page == nullptr) return;
  // The sheets show the policies as the conversion will use them.
  ReadControls();
  ApplyConversionType();
  PropertySheet*& sheet = sheets_[page->sheet];
  if (sheet == nullptr) sheet = MakeSheet(page->sheet);
  sheet->OpenAt(page->page, settings_.displayToolTips != 0);
}

void MainWindow::ChooseLanguage(int number) {
  settings_.useLanguageFile = 0;
  language_.SetLanguage(number);
  UpdateLanguageMenu(menuBar(), language_.Current());
  if (number != kLanguageEnglish) ShowTranslationsNote();
}

void MainWindow::UseLanguageFiles() {
  LanguageFilesDialog dialog(language_, prompts_, programFolder_, settings_.useLanguageFile != 0,
                             settings_.languageFile, this);
  if (prompts_.RunDialog(dialog) == QDialog::Accepted) {
    if (dialog.UseFile()) {
      UseLanguageFile(dialog.FileName());
    } else {
      settings_.useLanguageFile = 0;
      settings_.languageFile = dialog.FileName();
    }
  }
  UpdateLanguageMenu(menuBar(), language_.Current());
}

bool MainWindow::UseLanguageFile(const TextString& name) {
  const bool readable = CanOpen(name);
  if (readable && language_.LoadLanguageFile(name.Data())) {
    settings_.useLanguageFile = 1;
    settings_.languageFile = name;
    return true;
  }
  const char* problem =
      readable ? "ERROR: No texts in language file \"" : "ERROR: Can't read language file \"";
  prompts_.Show("Language File Error", MessageToUtf8((problem + name + "\"").View()),
                NoticeIcon::Exclamation);
  return false;
}

void MainWindow::RunCommand(Command command) {
  if (const int language = LanguageOfCommand(command); language != 0)
    return ChooseLanguage(language);
  if (PageOf(command) != nullptr) return OpenSheet(command);
  switch (command) {
    case Command::FileConvert:
      if (BrowseInputFiles()) Convert();
      break;
    case Command::FileLoadPolicy:
    case Command::LoadFromFile:
      ShowLoadPolicyDialog();
      break;
    case Command::FileSavePolicies:
    case Command::SaveToFile:
      SavePolicies();
      break;
    case Command::FileExit:
      close();
      break;
    case Command::ResetToDefaults:
      ResetPoliciesQuietly();
      break;
    case Command::ShowToolTips:
      settings_.displayToolTips = settings_.displayToolTips ? 0 : 1;
      ApplyToolTipsEverywhere();
      UpdateCheckMarks();
      break;
    case Command::ShowStatusDialog:
      settings_.displayStatusDialog = settings_.displayStatusDialog ? 0 : 1;
      UpdateCheckMarks();
      break;
    case Command::AutoViewResults:
      settings_.autoDdeUpdates = settings_.autoDdeUpdates ? 0 : 1;
      UpdateCheckMarks();
      break;
    case Command::LanguageOther:
      ShowTranslationsNote();
      break;
    case Command::LanguageSkin:
      UseLanguageFiles();
      break;
    case Command::ViewMessages:
      if (status_->isVisible()) {
        status_->Close();
      } else {
        ShowStatusWindow();
      }
      break;
    case Command::ViewResults:
      ViewResults();
      break;
    case Command::HelpContents:
    case Command::HelpLocalDocumentation:
      viewers_.OpenLocalDocumentation();
      break;
    case Command::HelpAbout: {
      AboutBox about(language_, this);
      prompts_.RunDialog(about);
      break;
    }
    default:
      break;
  }
}

bool MainWindow::Convert() {
  if (Converting()) return false;
  ReadControls();
  if (fileSpec_.IsEmpty() && !BrowseInputFiles()) return false;
  if (fileSpec_.IsEmpty()) return false;
  inputDir_ = WithFinalSeparator(inputDir_);
  if (!inputDir_.IsEmpty()) settings_.currentDir = inputDir_;
  outputDir_ = WithFinalSeparator(outputDir_);
  FillControls();
  if (!IsUsableFolder(inputDir_, false)) {
    Notify(3, 28);
    return false;
  }
  // The clipboard needs no output folder.
  if (OutputDestination() != 2 && !IsUsableFolder(outputDir_, true)) {
    Notify(3, 29);
    outputFolderBox_->setFocus();
    return false;
  }
  InsertInHistory(settings_.HistoryOf(HistoryList::OutDir), outputDir_);
  FillControls();
  return RunConversion();
}

bool MainWindow::RunConversion() {
  if (settings_.defaultPolicyAlwaysReload && !policyFileName_.IsEmpty())
    LoadPolicyFile(policyFileName_);
  ApplyConversionType();

  RunRequest request;
  RunSettings& run = request.run;
  run = qualifiers_;
  run.includeSubFolders = searchSubFolders_ ? 1 : 0;
  run.mayOverwrite = mayOverwrite_ ? 1 : 0;
  run.outputToConsole = OutputDestination() == 2 ? 1 : 0;
  run.output.Clear();
  if (!run.outputToConsole) {
    // One file takes the name in the output name box; the files of a wildcard or a list keep
    // their own names.
    const TextString name = GetOutputFileName();
    run.output.Assign(IsSingleFile(fileSpec_) && !name.IsEmpty() ? outputDir_ + name : outputDir_);
  }
  const bool toConsole = run.outputToConsole != 0;
  request.specs = FileSpecPaths(fileSpec_);
  request.policies = &context_;
  request.policyFileName = policyFileName_;
  request.texts = language_.MakeRunTexts();
  if (startedWithFiles_ ? settings_.dragDropViewStatusWindow : settings_.displayStatusDialog)
    ShowStatusWindow();

  const RunOutcome& outcome = RunInBackground(std::move(request));
  const RunResult& result = outcome.result;
  const bool converted = outcome.Succeeded();
  if (!result.lastOutput.IsEmpty()) {
    TextString name;
    TextString extension;
    SplitPath(result.lastOutput, result_.outputDir, name, extension);
    result_.lastOutputFile = name + extension;
    result_.conversionType = conversionType_;
  }
  status_->SetFirstOutputPath(result.firstOutput);
  const std::string summary = outcome.Summary();
  status_->AppendMessage(summary.c_str());
  statusLine_->setText(QString::fromStdString(summary));
  if (converted && settings_.autoDismissStatusDialog) status_->hide();
  SaveSettingsNow();
  if (!converted && !result.stopped) ShowFailures(outcome);
  if (converted && !toConsole) {
    viewers_.ViewAfterConversion(result_, outcome.outputFormat == OutputFormat::kText ? 2 : 0,
                                 startedWithFiles_);
  }
  return converted;
}

const RunOutcome& MainWindow::RunInBackground(RunRequest request) {
  ShowRunning(true);
  QEventLoop waiting;
  connect(run_, &BackgroundRun::Finished, &waiting, &QEventLoop::quit);
  run_->Start(std::move(request));
  waiting.exec();
  ShowRunning(false);
  if (closeAfterRun_) {
    QTimer::singleShot(0, this, &QWidget::close);
  } else if (!droppedDuringRun_.empty()) {
    QTimer::singleShot(0, this, [this] { DropFiles(std::exchange(droppedDuringRun_, {})); });
  }
  return run_->Outcome();
}

void MainWindow::ShowRunning(bool on) {
  for (QWidget* control : requestControls_) control->setEnabled(!on);
  progress_->setRange(0, 0);  // busy until the queue is known
  progress_->setVisible(on);
  cancel_->setEnabled(true);
  cancel_->setVisible(on);
  if (on) statusLine_->clear();
}

void MainWindow::ShowProgress(int done, int total, const QString& current) {
  progress_->setRange(0, total);
  progress_->setValue(done);
  statusLine_->setText(current);
}

bool MainWindow::Converting() const { return run_->Running(); }

void MainWindow::CancelConversion() {
  run_->Cancel();
  cancel_->setEnabled(false);
}

void MainWindow::ShowFailures(const RunOutcome& outcome) {
  constexpr size_t kNamed = 10;
  std::string text = Message(48) + "\n\n" + outcome.Summary();
  const std::vector<TextString>& failed = outcome.failedFiles;
  for (size_t i = 0; i < failed.size() && i < kNamed; ++i) {
    text += '\n';
    text += MessageToUtf8(failed[i].View());
  }
  if (failed.size() > kNamed) {
    text += "\n... and ";
    text += std::to_string(failed.size() - kNamed);
    text += " more";
  }
  prompts_.Show(Message(9), text, NoticeIcon::Exclamation);
}

void MainWindow::ShowStatusWindow() {
  status_->show();
  status_->raise();
}

void MainWindow::ViewResults() {
  ReadControls();
  result_.filesChosen = !fileSpec_.IsEmpty();
  viewers_.ViewResults(result_, [this](ResultToView&) { Convert(); });
}

void MainWindow::TakeCommandLine(const Arguments& arguments) {
  ParseCommandLine(arguments.qualifierLine, qualifiers_, policyLog_, nullptr);
  std::vector<TextString> specs = arguments.fileSpecs;
  specs.insert(specs.end(), qualifiers_.fileSpecs.begin(), qualifiers_.fileSpecs.end());
  qualifiers_.fileSpecs.clear();
  if (!arguments.policyFile.IsEmpty()) qualifiers_.policyFile = arguments.policyFile;
  if (!qualifiers_.policyFile.IsEmpty()) policyFileName_ = qualifiers_.policyFile;
  qualifiers_.policyFile.Clear();
  if (arguments.includeSubFolders) searchSubFolders_ = true;
  if (!qualifiers_.output.folder.IsEmpty()) {
    outputDir_ = qualifiers_.output.folder;
    outputDirExplicit_ = true;
  }
  FillControls();
}

void MainWindow::WarnAboutDde() {
  if (!settings_.useDdeToViewHtml || settings_.ddeWorking.View() != "No") return;
  Notify(24, 25);
  settings_.useDdeToViewHtml = 0;
}

bool MainWindow::ConvertStartFiles(const std::vector<TextString>& paths) {
  startedWithFiles_ = true;
  fileSpec_ = MakeFileSpec(MarkFolders(paths));
  TextString names;
  SplitFileSpec(fileSpec_, inputDir_, names);
  if (!outputDirExplicit_) outputDir_ = inputDir_;
  DeriveOutputName();
  if (policyFileName_.IsEmpty()) policyFileName_ = settings_.defaultPolicyFile;
  if (!policyFileName_.IsEmpty() && !LoadPolicyFile(policyFileName_)) policyFileName_.Clear();
  if (settings_.dragDropViewStatusWindow) ShowStatusWindow();
  InsertInHistory(settings_.HistoryOf(HistoryList::Files), fileSpec_);
  RefreshTitle();
  FillControls();
  const bool converted = Convert();
  startedWithFiles_ = false;
  ApplyConversionType();
  return !converted || settings_.dragDropStartProgram;
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shownOnce_) return;
  shownOnce_ = true;
  // The policy file named when the window opens is loaded when it first shows.
  if (!policyFileName_.IsEmpty() && !LoadPolicyFile(policyFileName_)) policyFileName_.Clear();
  ApplyToolTipsEverywhere();
  FillControls();
  FitToScreen();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (Converting()) {
    // The window closes once the conversion has stopped after the file in progress.
    event->ignore();
    if (!closeAfterRun_ && prompts_.Ask(windowTitle().toStdString(),
                                        "A conversion is running. Cancel it after the file in "
                                        "progress and close the window?")) {
      closeAfterRun_ = true;
      CancelConversion();
    }
    return;
  }
  closeAfterRun_ = false;
  if (policiesChanged_ && prompts_.Ask(Message(11), Message(51))) SavePolicies();
  for (PropertySheet* sheet : sheets_) {
    if (sheet != nullptr) sheet->hide();
  }
  status_->hide();
  event->accept();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  std::vector<TextString> paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) paths.push_back(FromQString(url.toLocalFile()));
  }
  event->acceptProposedAction();
  DropFiles(paths);
}

void MainWindow::Notify(int caption, int text) {
  prompts_.Show(Message(caption), Message(text), NoticeIcon::Exclamation);
}

void MainWindow::ShowTranslationsNote() {
  prompts_.Show(language_.Display(TextTable::Dialog, 420),
                language_.Display(TextTable::Dialog, 421), NoticeIcon::Information);
}

std::string MainWindow::Message(int n) { return language_.Display(TextTable::Message, n); }

void MainWindow::Remember(HistoryList list, const TextString& entry) {
  InsertInHistory(settings_.HistoryOf(list), entry);
  SaveSettingsNow();
}

void MainWindow::SaveSettingsNow() {
  settings_.conversionType = conversionType_;
  settings_.outputType = outputType_;
  settings_.SaveSettings(store_);
}

}  // namespace quorlex
