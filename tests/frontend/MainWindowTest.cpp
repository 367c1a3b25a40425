#include <sys/stat.h>
#include <unistd.h>

#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QUrl>
#include <QtTest>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "control/Arguments.h"
#include "frontend/ApplyTexts.h"
#include "frontend/Dialogs.h"
#include "frontend/FileSpec.h"
#include "frontend/MainWindow.h"
#include "frontend/PropertySheet.h"
#include "frontend/SettingsStore.h"
#include "frontend/StatusWindow.h"
#include "policies/PolicyCatalogue.h"
#include "tests/frontend/Printers.h"
#include "tests/frontend/TestRegistry.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/FakePrompts.h"
#include "tests/support/TempFolder.h"

namespace quorlex {
namespace {

using testing::FakeDesktop;
using testing::FakePrompts;
using testing::TempFolder;

constexpr const char* kPage = "<html><body><p>Hello world</p></body></html>\n";

std::string Text(const TextString& text) { return std::string(text.View()); }

// A main window with its own settings file (a language already chosen, a browser command
// stored so nothing is detected, unless the desktop is to have none), a fake desktop and
// prompts that record everything.
struct Fixture {
  enum class Browser { kStored, kNone };
  explicit Fixture(bool firstRun = false, Browser browser = Browser::kStored) {
    if (!firstRun) store.Set("\\Languages\\SelectedLanguage", "Yes");
    if (browser == Browser::kStored) store.Set("\\BrowserCommand", "/bin/true");
    store.Set("\\DragAndDrop\\ViewResults", "No");
    (void)store.Save();
    Open();
  }
  void Open() {
    window.reset();
    window = std::make_unique<MainWindow>(store, desktop, prompts, folder.Path());
  }
  // Sets a stored setting and opens the window again to read it.
  void Reopen(const char* name, const char* value) {
    window.reset();
    store.Load();
    store.Set(name, value);
    (void)store.Save();
    Open();
  }

  template <typename Widget>
  Widget* ControlOf(Control control) {
    return qobject_cast<Widget*>(FindControl(window.get(), control));
  }
  QComboBox* Box(Control control) { return ControlOf<QComboBox>(control); }

  // Picks `paths` in the open-file dialog of the files box.
  bool Browse(std::vector<std::string> paths) {
    prompts.filesToOpen = std::move(paths);
    return window->BrowseInputFiles();
  }
  // What the user does with a drop-down list: choose an item.
  void Choose(Control control, int index) {
    QComboBox* box = Box(control);
    box->setCurrentIndex(index);
    emit box->activated(index);
  }
  // Types `text` into an editable list and leaves it.
  void Type(Control control, const QString& text) {
    QLineEdit* edit = Box(control)->lineEdit();
    edit->setText(text);
    emit edit->textEdited(text);
    emit edit->editingFinished();
  }
  void Show() {
    window->show();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
  }
  std::string Shown(Control control) { return Box(control)->currentText().toStdString(); }
  std::string Page(const std::string& name) { return folder.Write(name, kPage); }
  bool HasNotice(const std::string& caption, const std::string& textStart) const {
    for (const auto& notice : prompts.notices) {
      if (notice.caption == caption && notice.text.rfind(textStart, 0) == 0) return true;
    }
    return false;
  }

  TempFolder folder;
  SettingsStore store{folder / "settings.conf"};
  FakeDesktop desktop;
  FakePrompts prompts;
  std::unique_ptr<MainWindow> window;
};

bool RunningAsRoot() { return geteuid() == 0; }

// The commands that open the property sheets, one for each page.
constexpr Command kSheetPages[] = {Command::QuorlOptions,     Command::TagManipulation,
                                   Command::TextFormatting,   Command::TextHeaders,
                                   Command::TextHyperlinks,   Command::TextTables,
                                   Command::DragDropSettings, Command::ViewerSettings};

QRect ScreenArea() { return QGuiApplication::primaryScreen()->availableGeometry(); }

// The item of the "Language" menu that carries `command`.
QAction* LanguageItem(const MainWindow& window, Command command) {
  for (QAction* action : window.menuBar()->findChildren<QAction*>()) {
    if (action->property(kCommandProperty) == QVariant(static_cast<int>(command))) return action;
  }
  return nullptr;
}

// The letter after the "&" of a label's text, or a null character.
char Mnemonic(const QLabel* label) {
  const qsizetype at = label->text().indexOf(QLatin1Char('&'));
  return at >= 0 && at + 1 < label->text().size() ? label->text()[at + 1].toLatin1() : '\0';
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void outputNameFollowsConversionType_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("conversionType");
    QTest::addColumn<QString>("outputName");
    QTest::newRow("text") << "a.htm" << 0 << "a.txt";
    QTest::newRow("markup keeps the extension") << "a.htm" << 1 << "a.htm";
    QTest::newRow("text, no extension") << "readme" << 0 << "readme.txt";
    QTest::newRow("markup, no extension") << "readme" << 1 << "readme";
    QTest::newRow("dot in a folder, not in the name") << "v1.2/readme" << 0 << "readme.txt";
    QTest::newRow("last dot counts") << "a.b.html" << 0 << "a.b.txt";
  }
  void outputNameFollowsConversionType() {
    QFETCH(QString, file);
    QFETCH(int, conversionType);
    QFETCH(QString, outputName);
    Fixture f;
    f.Choose(Control::ConversionBox, conversionType);
    QVERIFY(f.Browse({f.Page(file.toStdString())}));
    QCOMPARE(f.ControlOf<QLineEdit>(Control::OutputName)->text(), outputName);
  }

  void switchingToMarkupRederivesNameAndEnablesOverwrite() {
    Fixture f;
    f.Choose(Control::ConversionBox, 0);
    QVERIFY(f.Browse({f.Page("a.htm")}));
    QCOMPARE(f.ControlOf<QLineEdit>(Control::OutputName)->text(), QString("a.txt"));
    QVERIFY(!f.ControlOf<QCheckBox>(Control::Overwrite)->isEnabled());
    f.Choose(Control::ConversionBox, 1);
    QCOMPARE(f.ControlOf<QLineEdit>(Control::OutputName)->text(), QString("a.htm"));
    QVERIFY(f.ControlOf<QCheckBox>(Control::Overwrite)->isEnabled());
    // Markup removal keeps HTML: no text conversion, no URL table.
    QCOMPARE(f.window->Policies().Find(kRemoveAllTags)->number, 0);
    QCOMPARE(f.window->Policies().Find(kAddUrlReferences)->number, 0);
  }

  void browsingStartsInTheRememberedFolder() {
    Fixture f;
    f.Reopen("\\CurrentDir", "/srv/pages");
    f.prompts.filesToOpen.clear();
    QVERIFY(!f.window->BrowseInputFiles());
    QCOMPARE(f.prompts.openStarts.back(), std::string("/srv/pages/*.htm*"));
  }

  void threeFilesMakeAListAndItsTitle() {
    Fixture f;
    QVERIFY(f.Browse({f.Page("a.htm"), f.Page("b.htm"), f.Page("c.htm")}));
    const std::string spec = f.folder.Path() + "/\"/a.htm\" \"/b.htm\" \"/c.htm\"";
    QCOMPARE(Text(f.window->GetFileSpec()), spec);
    QCOMPARE(f.window->windowTitle(), QString("\"/a.htm\"... - Quorlex"));
    QCOMPARE(Text(f.window->GetInputDir()), f.folder.Path() + "/");
    const std::vector<TextString> paths = FileSpecPaths(f.window->GetFileSpec());
    QCOMPARE(paths.size(), size_t{3});
    QCOMPARE(Text(paths[2]), f.folder / "c.htm");
  }

  void titleFollowsTheFiles_data() {
    QTest::addColumn<QString>("spec");
    QTest::addColumn<QString>("title");
    QTest::newRow("nothing") << ""
                             << "Quorlex";
    QTest::newRow("one file") << "/docs/a.htm"
                              << "a.htm - Quorlex";
    QTest::newRow("wildcard") << "/docs/*.htm"
                              << "*.htm - Quorlex";
    QTest::newRow("list") << "/docs/\"/a.htm\" \"/b.htm\""
                          << "\"/a.htm\"... - Quorlex";
    QTest::newRow("name without folder") << "a.htm"
                                         << "a.htm - Quorlex";
  }
  void titleFollowsTheFiles() {
    QFETCH(QString, spec);
    QFETCH(QString, title);
    QCOMPARE(QString::fromStdString(Text(WindowTitle(TextString(spec.toUtf8().constData())))),
             title);
  }

  void fileSpecNamesItsPaths_data() {
    QTest::addColumn<QString>("spec");
    QTest::addColumn<QStringList>("paths");
    QTest::newRow("one file") << "/docs/a b.htm" << QStringList{"/docs/a b.htm"};
    QTest::newRow("wildcard") << "/docs/*.htm" << QStringList{"/docs/*.htm"};
    QTest::newRow("list") << "/docs/\"/a.htm\" \"/b c.htm\""
                          << QStringList{"/docs/a.htm", "/docs/b c.htm"};
    QTest::newRow("folder without its separator")
        << "/docs\"/a.htm\" \"/b.htm\"" << QStringList{"/docs/a.htm", "/docs/b.htm"};
    QTest::newRow("empty names are passed over")
        << "/docs/\"\" \"/a.htm\"" << QStringList{"/docs/a.htm"};
    QTest::newRow("unclosed quote") << "/docs/\"/a.htm" << QStringList{"/docs/a.htm"};
    QTest::newRow("nothing") << "" << QStringList{};
  }
  void fileSpecNamesItsPaths() {
    QFETCH(QString, spec);
    QFETCH(QStringList, paths);
    QStringList found;
    for (const TextString& path : FileSpecPaths(TextString(spec.toUtf8().constData())))
      found << QString::fromStdString(Text(path));
    QCOMPARE(found, paths);
  }

  void outputNameOfWildcardsAndLists_data() {
    QTest::addColumn<QString>("names");
    QTest::addColumn<bool>("text");
    QTest::addColumn<QString>("outputName");
    QTest::newRow("wildcard, text") << "*.htm" << true << "*.txt";
    QTest::newRow("wildcard, markup") << "*.htm" << false << "*.htm";
    QTest::newRow("list, text") << "\"/a.htm\" \"/b.htm\"" << true << "*.txt";
    QTest::newRow("list, markup") << "\"/a.htm\" \"/b.htm\"" << false << "*.*";
    QTest::newRow("nothing") << "" << true << "*.txt";
  }
  void outputNameOfWildcardsAndLists() {
    QFETCH(QString, names);
    QFETCH(bool, text);
    QFETCH(QString, outputName);
    const TextString derived =
        DeriveOutputFileName("/docs/", TextString(names.toUtf8().constData()), text);
    QCOMPARE(QString::fromStdString(Text(derived)), outputName);
  }

  void filesOfSeveralFoldersKeepTheirPaths() {
    const std::vector<TextString> paths = {"/x/a/1.htm", "/x/b/2.htm", "/x/a/3.htm"};
    const TextString spec = MakeFileSpec(paths);
    QCOMPARE(Text(spec), std::string("/x/\"/a/1.htm\" \"/b/2.htm\" \"/a/3.htm\""));
    const std::vector<TextString> back = FileSpecPaths(spec);
    QCOMPARE(back.size(), paths.size());
    for (size_t i = 0; i < paths.size(); ++i) QCOMPARE(Text(back[i]), Text(paths[i]));
  }

  void clipboardOutputDisablesFileControls() {
    Fixture f;
    const std::vector<Control> fileControls = {Control::OutputName, Control::OutputFolderBox,
                                               Control::OutputBrowse};
    for (const Control control : fileControls)
      QVERIFY(FindControl(f.window.get(), control)->isEnabled());
    f.Choose(Control::OutputBox, 1);
    QCOMPARE(f.window->OutputDestination(), 2);
    for (const Control control : fileControls)
      QVERIFY(!FindControl(f.window.get(), control)->isEnabled());
    f.Choose(Control::OutputBox, 0);
    for (const Control control : fileControls)
      QVERIFY(FindControl(f.window.get(), control)->isEnabled());
  }

  void historyKeepsTenNewestFirst() {
    History history;
    for (const char* entry : {"c", "b", "a"}) InsertInHistory(history, entry);
    InsertInHistory(history, "d");
    QCOMPARE(Text(history[0]), std::string("d"));
    QCOMPARE(Text(history[3]), std::string("c"));
    // An entry found (ignoring case) moves to the top without a duplicate.
    InsertInHistory(history, "C");
    QCOMPARE(Text(history[0]), std::string("C"));
    QCOMPARE(Text(history[1]), std::string("d"));
    QCOMPARE(Text(history[3]), std::string("b"));
    QVERIFY(history[4].IsEmpty());
    // The first entry again changes nothing; an empty one is ignored.
    InsertInHistory(history, "C");
    InsertInHistory(history, "");
    QCOMPARE(Text(history[1]), std::string("d"));
    for (int i = 0; i < 6; ++i) InsertInHistory(history, TextString(i));
    QCOMPARE(Text(history[9]), std::string("b"));
    InsertInHistory(history, "eleventh");
    QCOMPARE(Text(history[0]), std::string("eleventh"));
    QCOMPARE(Text(history[9]), std::string("a"));
    for (const TextString& entry : history) QVERIFY(entry.View() != "b");
  }

  void convertPutsOutputFolderOnTopOfItsHistory() {
    Fixture f;
    QVERIFY(f.Browse({f.Page("a.htm")}));
    std::filesystem::create_directory(f.folder / "out");
    f.Type(Control::OutputFolderBox, QString::fromStdString(f.folder / "out"));
    QVERIFY(f.window->Convert());
    QCOMPARE(f.Box(Control::OutputFolderBox)->itemText(0).toStdString(), f.folder / "out/");
    QCOMPARE(f.folder.Read("out/a.txt").find("Hello world") != std::string::npos, true);
  }

  void readOnlyOutputFolderIsRefused() {
    if (RunningAsRoot()) QSKIP("permission bits do not stop root");
    Fixture f;
    const std::string input = f.Page("in/a.htm");
    std::filesystem::create_directory(f.folder / "locked");
    std::filesystem::permissions(f.folder / "locked", std::filesystem::perms::owner_read |
                                                          std::filesystem::perms::owner_exec);
    QVERIFY(f.Browse({input}));
    f.Type(Control::OutputFolderBox, QString::fromStdString(f.folder / "locked"));
    QVERIFY(!f.window->Convert());
    QVERIFY(f.HasNotice("Directory Error", "Invalid Output Directory."));
    QVERIFY(!std::filesystem::exists(f.folder / "locked/a.txt"));
    // Browsing to it is refused too, with the folder as the caption.
    f.prompts.folderToChoose = f.folder / "locked";
    emit f.ControlOf<QPushButton>(Control::OutputBrowse)->clicked();
    QVERIFY(f.HasNotice(f.folder / "locked/", "Invalid Output Directory."));
    // The same folder serves as an input folder.
    f.folder.Write("ok/.keep", "");
    std::filesystem::permissions(f.folder / "locked", std::filesystem::perms::owner_all);
    const std::string lockedInput = f.Page("locked/b.htm");
    std::filesystem::permissions(f.folder / "locked", std::filesystem::perms::owner_read |
                                                          std::filesystem::perms::owner_exec);
    QVERIFY(f.Browse({lockedInput}));
    f.Type(Control::OutputFolderBox, QString::fromStdString(f.folder / "ok"));
    QVERIFY(f.window->Convert());
    QVERIFY(std::filesystem::exists(f.folder / "ok/b.txt"));
  }

  void typedFilesConvertWithoutLeavingTheBox() {
    Fixture f;
    const std::string input = f.Page("typed/a.htm");
    f.Box(Control::FilesBox)->lineEdit()->setText(QString::fromStdString(input));
    QVERIFY(f.window->Convert());
    QCOMPARE(Text(f.window->GetInputDir()), f.folder / "typed/");
    QVERIFY(std::filesystem::exists(f.folder / "typed/a.txt"));
    QCOMPARE(f.Box(Control::FilesBox)->itemText(0).toStdString(), input);
  }

  void missingInputFolderIsRefused() {
    Fixture f;
    f.Type(Control::FilesBox, QString::fromStdString(f.folder / "gone/a.htm"));
    QVERIFY(!f.window->Convert());
    QVERIFY(f.HasNotice("Directory Error", "Invalid Input Directory"));
  }

  void typedOutputFolderGetsItsSlashAndStays() {
    Fixture f;
    std::filesystem::create_directory(f.folder / "out");
    f.Type(Control::OutputFolderBox, QString::fromStdString(f.folder / "out"));
    QCOMPARE(f.Shown(Control::OutputFolderBox), f.folder / "out/");
    QVERIFY(f.window->OutputDirExplicit());
    QVERIFY(f.Browse({f.Page("elsewhere/a.htm")}));
    QCOMPARE(Text(f.window->GetOutputDir()), f.folder / "out/");
    QCOMPARE(Text(f.window->GetInputDir()), f.folder / "elsewhere/");
  }

  void droppingTwoFilesConvertsBoth() {
    Fixture f;
    const std::string first = f.Page("one/a.htm");
    const std::string second = f.Page("two/b.htm");
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(first)),
                  QUrl::fromLocalFile(QString::fromStdString(second))});
    // A drop reaches the window that accepted the drag's entry.
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.window.get(), &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(f.window.get(), &drop);
    QCOMPARE(Text(f.window->GetInputDir()), f.folder / "two/");
    QVERIFY(std::filesystem::exists(f.folder / "two/a.txt"));
    QVERIFY(std::filesystem::exists(f.folder / "two/b.txt"));
    QVERIFY(f.prompts.notices.empty());
  }

  void droppedFolderConvertsItsPages() {
    Fixture f;
    f.Page("site/a.htm");
    f.Page("site/b.html");
    f.window->DropFiles({TextString((f.folder / "site").c_str())});
    QCOMPARE(Text(f.window->GetInputDir()), f.folder / "site/");
    QVERIFY(std::filesystem::exists(f.folder / "site/a.txt"));
    QVERIFY(std::filesystem::exists(f.folder / "site/b.txt"));
  }

  void firstRunAsksForTheLanguageOnce() {
    Fixture f(true);
    const std::string choose = typeid(ChooseLanguageDialog).name();
    QCOMPARE(std::count(f.prompts.dialogs.begin(), f.prompts.dialogs.end(), choose), 1L);
    f.Open();
    f.Open();
    QCOMPARE(std::count(f.prompts.dialogs.begin(), f.prompts.dialogs.end(), choose), 1L);
    QCOMPARE(f.window->Language().Current(), int{kLanguageEnglish});
  }

  void firstRunChoiceIsApplied() {
    FakePrompts prompts;
    TempFolder folder;
    SettingsStore store(folder / "settings.conf");
    FakeDesktop desktop;
    QStringList choices;
    prompts.onDialog = [&choices](QDialog& dialog) {
      for (const QRadioButton* button : dialog.findChildren<QRadioButton*>())
        choices << button->text();
      qobject_cast<QRadioButton*>(FindControl(&dialog, Control::ChooseSwedish))->setChecked(true);
      return int{QDialog::Accepted};
    };
    {
      MainWindow window(store, desktop, prompts, folder.Path());
      QCOMPARE(window.Language().Current(), int{kLanguageSwedish});
    }
    prompts.onDialog = nullptr;
    MainWindow again(store, desktop, prompts, folder.Path());
    QCOMPARE(again.Language().Current(), int{kLanguageSwedish});
    QCOMPARE(prompts.dialogs.size(), size_t{1});
    // Each language is named in its own language.
    QCOMPARE(choices, QStringList({"English", "Deutsch", "Español", "Français", "Português",
                                   "Italiano", "Svenska", "Русский", "Other"}));
  }

  void languageMenuLeavesOutPartialTranslations() {
    Fixture f;
    QStringList items;
    for (QAction* action : f.window->menuBar()->findChildren<QAction*>()) items << action->text();
    QVERIFY(items.contains("Español"));
    QVERIFY(!items.contains("Deutsch"));
    QVERIFY(!items.contains("Português"));
  }

  void languageMenuNamesEachLanguageInItsOwnName_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("name");
    QTest::newRow("English") << int(Command::LanguageEnglish) << "English";
    QTest::newRow("Spanish") << int(Command::LanguageSpanish) << "Español";
    QTest::newRow("Italian") << int(Command::LanguageItalian) << "Italiano";
    QTest::newRow("Swedish") << int(Command::LanguageSwedish) << "Svenska";
    QTest::newRow("French") << int(Command::LanguageFrench) << "Français";
    QTest::newRow("Russian") << int(Command::LanguageRussian) << "Русский";
  }
  // Chosen from the menu in Russian, each language is checked alone, and the names stay.
  void languageMenuNamesEachLanguageInItsOwnName() {
    QFETCH(int, command);
    QFETCH(QString, name);
    Fixture f;
    f.window->RunCommand(Command::LanguageRussian);
    QAction* item = LanguageItem(*f.window, static_cast<Command>(command));
    QVERIFY(item->actionGroup() != nullptr);
    item->trigger();
    emit f.window->menuBar()->triggered(item);
    QStringList names, checked;
    for (const QAction* action : item->actionGroup()->actions()) {
      names << action->text();
      if (action->isChecked()) checked << action->text();
    }
    QCOMPARE(names,
             QStringList({"English", "Español", "Italiano", "Svenska", "Français", "Русский"}));
    QCOMPARE(checked, QStringList({name}));
    QCOMPARE(f.window->Language().Current(), LanguageOfCommand(static_cast<Command>(command)));
  }

  void everySheetPageFitsTheScreen_data() {
    QTest::addColumn<int>("command");
    for (const Command command :
         {Command::LanguageEnglish, Command::LanguageSpanish, Command::LanguageItalian,
          Command::LanguageSwedish, Command::LanguageFrench, Command::LanguageRussian})
      QTest::newRow(LanguageName(LanguageOfCommand(command))) << int(command);
  }
  // Each sheet opens in English first and again after the switch (and the main window shows
  // after it); the policy sheets from a
  // stored position that hangs over the bottom-right corner, the settings sheet from its
  // default place.
  void everySheetPageFitsTheScreen() {
    QFETCH(int, command);
    Fixture f;
    const QRect area = ScreenArea();
    f.window->Settings().outputSheets = {area.right() - 20, area.bottom() - 20};
    for (const bool switched : {false, true}) {
      if (switched) f.window->RunCommand(static_cast<Command>(command));
      for (const Command page : kSheetPages) {
        f.window->OpenSheet(page);
        PropertySheet* sheet = f.window->SheetOf(page);
        QVERIFY(QTest::qWaitForWindowExposed(sheet));
        QVERIFY2(area.contains(sheet->frameGeometry()), qPrintable(sheet->windowTitle()));
        sheet->hide();
      }
      // So does the main window, its controls scrolling when they must.
      f.window->show();
      QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
      QVERIFY(area.size().expandedTo(f.window->frameGeometry().size()) == area.size());
    }
  }

  // A plain scroll area asks for a few dozen lines at most: a page that fits would scroll.
  // So would a main window sized before its controls took their texts and style.
  void sheetPagesThatFitDoNotScroll() {
    if (ScreenArea().height() < 600) QSKIP("the screen is too small for the longest page");
    Fixture f;
    for (const Command page : kSheetPages) {
      f.window->OpenSheet(page);
      QVERIFY(QTest::qWaitForWindowExposed(f.window->SheetOf(page)));
      for (const QScrollBar* bar : f.window->SheetOf(page)->findChildren<QScrollBar*>())
        QVERIFY(!bar->isVisible());
    }
    // Nor does the main window, once it has settled.
    f.window->RunCommand(Command::LanguageRussian);
    f.Show();
    const auto scrolls = [&f] {
      const auto bars = f.window->centralWidget()->findChildren<QScrollBar*>();
      return std::any_of(bars.begin(), bars.end(),
                         [](QScrollBar* bar) { return bar->isVisible(); });
    };
    QTRY_VERIFY(!scrolls());
  }

  void russianRefillsListsByIndex() {
    Fixture f;
    f.Choose(Control::ConversionBox, 1);
    f.window->RunCommand(Command::LanguageRussian);
    QCOMPARE(f.window->Language().Current(), int{kLanguageRussian});
    QCOMPARE(f.Box(Control::ConversionBox)->currentIndex(), 1);
    QVERIFY(f.Box(Control::ConversionBox)->currentText() != QString("Selectively remove markup"));
    QCOMPARE(f.prompts.notices.size(), size_t{1});  // "Translations"
    QCOMPARE(f.prompts.notices[0].icon, NoticeIcon::Information);
  }

  void dependentCheckBoxes() {
    Fixture f;
    f.window->OpenSheet(Command::QuorlOptions);
    PropertySheet* sheet = f.window->SheetOf(Command::QuorlOptions);
    QVERIFY(sheet != nullptr);
    auto box = [sheet](Control control) {
      return qobject_cast<QCheckBox*>(FindControl(sheet, control));
    };
    const std::vector<Control> individual = {Control::RemoveHead,
                                             Control::RemoveComments,
                                             Control::RemoveScript,
                                             Control::RemoveForm,
                                             Control::RemoveFont,
                                             Control::RemoveSpan,
                                             Control::RemoveEmphasis,
                                             Control::ReplaceLinks,
                                             Control::RemoveStyleSheet,
                                             Control::RemoveImg,
                                             Control::RemoveNonStandardTags,
                                             Control::RemoveNonStandardAttributes};
    // "Remove all tags" is on for a text conversion: everything else waits on it.
    QVERIFY(box(Control::RemoveAllTags)->isChecked());
    QVERIFY(!box(Control::RemoveAllHtmlTags)->isEnabled());
    QVERIFY(!box(Control::RemoveNonHtmlTags)->isEnabled());
    QVERIFY(!box(Control::RemoveMailXTags)->isEnabled());
    for (const Control control : individual) QVERIFY(!box(control)->isEnabled());

    // Clicking A off sets every other box off, the "Keep deprecated" ones included.
    box(Control::RemoveAllTags)->click();
    QVERIFY(box(Control::RemoveAllHtmlTags)->isEnabled());
    QVERIFY(!box(Control::RemoveAllHtmlTags)->isChecked());
    for (const Control control : individual) {
      QVERIFY(box(control)->isEnabled());
      QVERIFY(!box(control)->isChecked());
    }
    QVERIFY(!box(Control::KeepDeprecatedTags)->isEnabled());
    QVERIFY(!box(Control::RemoveOfficeTags)->isChecked());
    QVERIFY(box(Control::RemoveOfficeTags)->isEnabled());

    // "Keep deprecated tags" follows "Remove non-standard tags".
    box(Control::RemoveNonStandardTags)->click();
    QVERIFY(box(Control::KeepDeprecatedTags)->isEnabled());
    QVERIFY(!box(Control::KeepDeprecatedAttributes)->isEnabled());
    box(Control::KeepDeprecatedTags)->click();

    // B sets the individual removals and clears "Keep deprecated"; they then wait on B.
    box(Control::RemoveAllHtmlTags)->click();
    for (const Control control : individual) {
      QVERIFY(box(control)->isChecked());
      QVERIFY(!box(control)->isEnabled());
    }
    QVERIFY(!box(Control::KeepDeprecatedTags)->isChecked());
    QVERIFY(!box(Control::KeepDeprecatedTags)->isEnabled());

    // C sets the x-tags and Office boxes, which then wait on it.
    box(Control::RemoveNonHtmlTags)->click();
    QVERIFY(box(Control::RemoveMailXTags)->isChecked());
    QVERIFY(!box(Control::RemoveMailXTags)->isEnabled());
    QVERIFY(!box(Control::RemoveOfficeTags)->isEnabled());

    // Only touched values are written: a policy changed elsewhere meanwhile keeps its value.
    f.window->Policies().Find(kLowerCaseTags)->number = 1;
    QVERIFY(!f.window->PoliciesChanged());
    emit qobject_cast<QPushButton*>(FindControl(sheet, Control::SheetApply))->clicked();
    PolicySet& policies = f.window->Policies();
    QCOMPARE(policies.Find(kRemoveAllTags)->number, 0);
    QCOMPARE(policies.Find(kRemoveAllHtmlTags)->number, 1);
    QCOMPARE(policies.Find(kRemoveHead)->number, 1);
    QCOMPARE(policies.Find(kKeepDeprecatedTags)->number, 0);
    QCOMPARE(policies.Find(kRemoveOfficeTags)->number, 1);
    QCOMPARE(policies.Find(kLowerCaseTags)->number, 1);
    QVERIFY(f.window->PoliciesChanged());
  }

  void exitAsksToSaveChangedPolicies() {
    Fixture f;
    f.window->close();
    QVERIFY(f.prompts.questions.empty());
    f.window->OpenSheet(Command::TextFormatting);
    PropertySheet* sheet = f.window->SheetOf(Command::TextFormatting);
    qobject_cast<QCheckBox*>(FindControl(sheet, Control::RightJustify))->click();
    emit qobject_cast<QPushButton*>(FindControl(sheet, Control::SheetOk))->clicked();
    QVERIFY(!sheet->isVisible());
    QCOMPARE(f.window->Policies().Find(kRightJustify)->number, 1);
    f.window->close();
    QCOMPARE(f.prompts.questions.size(), size_t{1});
    QCOMPARE(f.prompts.questions[0].caption, std::string("Save Changes"));
    QCOMPARE(f.prompts.questions[0].text, std::string("Save changes made to your policy?"));
  }

  void outputCharacterSetIsChosenFromItsWords() {
    Fixture f;
    f.window->OpenSheet(Command::TextFormatting);
    PropertySheet* sheet = f.window->SheetOf(Command::TextFormatting);
    auto* box = qobject_cast<QComboBox*>(FindControl(sheet, Control::OutputCharacterSet));
    QVERIFY(box != nullptr);
    QCOMPARE(box->count(), 2);
    QCOMPARE(box->currentText(), QString("UTF-8"));
    box->setCurrentIndex(box->findText("8-bit"));
    emit box->activated(box->currentIndex());
    emit qobject_cast<QPushButton*>(FindControl(sheet, Control::SheetOk))->clicked();
    QCOMPARE(f.window->Policies().Find(kOutputCharacterSet)->text.View(),
             std::string_view("8-bit"));
  }

  void conversionToTheClipboard() {
    Fixture f;
    f.Choose(Control::OutputBox, 1);
    QVERIFY(f.Browse({f.Page("a.htm")}));
    QVERIFY(f.window->Convert());
    const QString text = QGuiApplication::clipboard()->text();
    QVERIFY2(text.contains("Hello world"), qPrintable(text));
    QVERIFY(!std::filesystem::exists(f.folder / "a.txt"));
    // Each file replaces the text: after two, the clipboard holds the last one's.
    f.folder.Write("b.htm", "<p>Second page</p>\n");
    QVERIFY(f.Browse({f.folder / "a.htm", f.folder / "b.htm"}));
    QVERIFY(f.window->Convert());
    QVERIFY(QGuiApplication::clipboard()->text().contains("Second page"));
    QVERIFY(!QGuiApplication::clipboard()->text().contains("Hello world"));
  }

  void policyFileIsLoadedAndReset() {
    Fixture f;
    const std::string policies = f.folder.Write(
        "strict.pol", "[Quorl]\nRemove all HTML tags : Yes\nRemove style sheet : Yes\n");
    f.prompts.filesToOpen = {policies};
    emit f.ControlOf<QPushButton>(Control::PolicyBrowse)->clicked();
    QCOMPARE(f.window->Policies().Find(kRemoveAllHtmlTags)->number, 1);
    QCOMPARE(f.window->Policies().Find(kRemoveStyleSheet)->number, 1);
    QCOMPARE(f.Shown(Control::PolicyBox), policies);
    QCOMPARE(f.Box(Control::PolicyBox)->itemText(0).toStdString(), policies);

    emit f.ControlOf<QPushButton>(Control::Reset)->clicked();
    QCOMPARE(f.window->Policies().Find(kRemoveAllHtmlTags)->number, 0);
    QCOMPARE(f.window->Policies().Find(kRemoveStyleSheet)->number, 0);
    QCOMPARE(f.Shown(Control::PolicyBox), std::string());
    QVERIFY(f.window->PolicyFileName().IsEmpty());
    QVERIFY(f.HasNotice("Reset to defaults", "Done"));
  }

  void missingPolicyFileIsReported() {
    Fixture f;
    const std::string policies = f.folder.Write("wide.pol", "Target Page width : 100\n");
    f.Type(Control::PolicyBox, QString::fromStdString(policies));
    QCOMPARE(f.window->Policies().Find(kPageWidth)->number, 100);
    // Leaving the box with a file that is not there keeps the file in use and its policies.
    f.Type(Control::PolicyBox, QString::fromStdString(f.folder / "none.pol"));
    QVERIFY(f.HasNotice("Policy File Error", "Can't find policy file \"" + f.folder / "none.pol"));
    QCOMPARE(Text(f.window->PolicyFileName()), policies);
    QCOMPARE(f.Shown(Control::PolicyBox), policies);
    QCOMPARE(f.window->Policies().Find(kPageWidth)->number, 100);
    // Choosing an entry that is gone leaves no policy file and the defaults.
    std::filesystem::remove(policies);
    f.Choose(Control::PolicyBox, 0);
    QVERIFY(f.window->PolicyFileName().IsEmpty());
    QCOMPARE(f.window->Policies().Find(kPageWidth)->number, 72);
  }

  void policyFileNamesTheOutputFolder() {
    Fixture f;
    std::filesystem::create_directory(f.folder / "text");
    const std::string policies =
        f.folder.Write("out.pol", "Output directory : " + f.folder / "text" + "\n");
    QVERIFY(f.Browse({f.Page("a.htm")}));
    QCOMPARE(Text(f.window->GetOutputDir()), f.folder.Path() + "/");
    f.Type(Control::PolicyBox, QString::fromStdString(policies));
    QCOMPARE(Text(f.window->GetOutputDir()), f.folder / "text/");
    QVERIFY(f.window->Convert());
    QVERIFY(std::filesystem::exists(f.folder / "text/a.txt"));
  }

  void statusWindowShowsTheConversion() {
    Fixture f;
    QVERIFY(f.Browse({f.Page("a.htm")}));
    QVERIFY(f.window->Convert());
    QVERIFY(f.window->Status().isVisible());
    std::vector<std::string> lines;
    for (const TextString& line : f.window->Status().Lines()) lines.push_back(Text(line));
    const auto has = [&lines](const std::string& wanted) {
      return std::find(lines.begin(), lines.end(), wanted) != lines.end();
    };
    QVERIFY(has("Processing : \"a.htm\""));
    QVERIFY(has("---- Starting Output pass ----"));
    QVERIFY(has("%%%%%%%%%%%%%%%%%%% Conversion complete %%%%%%%%%%%%%%%%%%"));
    QCOMPARE(Text(f.window->LastResult().lastOutputFile), std::string("a.txt"));
  }

  void startWithFilesConvertsToText() {
    Fixture f;
    f.Reopen("\\Options\\ConversionType", "1");
    const std::string input = f.Page("a.htm");
    QVERIFY(!f.window->ConvertStartFiles({TextString(input.c_str())}));
    QVERIFY(f.folder.Read("a.txt").find("Hello world") != std::string::npos);
    QCOMPARE(f.folder.Read("a.htm"), std::string(kPage));
    QVERIFY(f.prompts.notices.empty());
    QVERIFY(!f.window->Status().isVisible());
    // Asked to, the window opens after.
    f.Reopen("\\DragAndDrop\\StartProgram", "Yes");
    QVERIFY(f.window->ConvertStartFiles({TextString(input.c_str())}));
  }

  void startWithFilesThatFailReportsAndOpens() {
    Fixture f;
    const std::string missing = f.folder / "missing.htm";
    QVERIFY(f.window->ConvertStartFiles({TextString(missing.c_str())}));
    QVERIFY(f.HasNotice("Convert Error", "Conversion failed"));
  }

  // The settings file is written as soon as a menu command changes a setting, the window
  // still open, and left alone (here: as another program wrote it) when nothing changed.
  void menuCommandsWriteChangedSettings_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("tool tips") << int(Command::ShowToolTips)
                               << QByteArray("\\Dialogs\\DisplayToolTips=No");
    QTest::newRow("language") << int(Command::LanguageFrench)
                              << QByteArray("\\Languages\\Language=French");
    QTest::newRow("nothing changed") << int(Command::ViewMessages) << QByteArray();
  }
  void menuCommandsWriteChangedSettings() {
    QFETCH(int, command);
    QFETCH(QByteArray, line);
    Fixture f;
    const std::string other = "\\CurrentDir=/written/by/another\n";
    f.folder.Write("settings.conf", other);
    for (QAction* action : f.window->menuBar()->findChildren<QAction*>()) {
      if (action->property(kCommandProperty) == command) action->trigger();
    }
    // Written, the file holds every setting and no longer the other program's line.
    const std::string written = f.folder.Read("settings.conf");
    const std::string expected = line.isEmpty() ? other : "\n" + line.toStdString() + "\n";
    QVERIFY2(written.find(expected) != std::string::npos, written.c_str());
  }

  // A new history entry and an Apply of "Program Settings" write the settings file too; a
  // window opened again on the file it wrote writes nothing.
  void historyAndSettingsSheetWriteSettings() {
    Fixture f;
    f.Type(Control::FilesBox, "/nowhere/a.htm");
    QVERIFY(f.folder.Read("settings.conf").find("\\Files\\MRU00=/nowhere/a.htm\n") !=
            std::string::npos);
    f.window->OpenSheet(Command::ViewerSettings);
    PropertySheet* sheet = f.window->SheetOf(Command::ViewerSettings);
    qobject_cast<QCheckBox*>(FindControl(sheet, Control::AutoView))->click();
    emit qobject_cast<QPushButton*>(FindControl(sheet, Control::SheetApply))->clicked();
    QVERIFY(f.folder.Read("settings.conf").find("\\AutoDDEUpdates=Yes\n") != std::string::npos);
    const std::string kept = "# a comment, dropped by a save\n" + f.folder.Read("settings.conf");
    f.folder.Write("settings.conf", kept);
    f.Open();
    QCOMPARE(f.folder.Read("settings.conf"), kept);
  }

  void settingsSheetWritesOnlyTouchedValues() {
    Fixture f;
    f.window->OpenSheet(Command::ViewerSettings);
    PropertySheet* sheet = f.window->SheetOf(Command::ViewerSettings);
    auto* viewer = qobject_cast<QLineEdit*>(FindControl(sheet, Control::TextViewerCommand));
    auto apply = [sheet] {
      emit qobject_cast<QPushButton*>(FindControl(sheet, Control::SheetApply))->clicked();
    };
    viewer->setText("mousepad");
    emit viewer->textEdited("mousepad");
    f.window->Settings().browserCommand = "changed elsewhere";
    apply();
    QCOMPARE(Text(f.window->Settings().viewTextCommand), std::string("mousepad"));
    QCOMPARE(Text(f.window->Settings().browserCommand), std::string("changed elsewhere"));
    // The switch of the page and of the menu are one setting.
    qobject_cast<QCheckBox*>(FindControl(sheet, Control::AutoView))->click();
    apply();
    QCOMPARE(f.window->Settings().autoDdeUpdates, 1);
    QAction* menuItem = nullptr;
    for (QAction* action : f.window->menuBar()->findChildren<QAction*>()) {
      if (action->text() == "&Automatically view results") menuItem = action;
    }
    QVERIFY(menuItem != nullptr && menuItem->isChecked());
    f.window->RunCommand(Command::AutoViewResults);
    QCOMPARE(f.window->Settings().autoDdeUpdates, 0);
    QVERIFY(!menuItem->isChecked());
  }

  void toolTipsFollowTheirSwitch() {
    Fixture f;
    QWidget* convert = FindControl(f.window.get(), Control::Convert);
    QCOMPARE(convert->toolTip(), QString("Start the conversion"));
    f.window->OpenSheet(Command::TextTables);
    QWidget* parse = FindControl(f.window->SheetOf(Command::TextTables), Control::ParseTables);
    QVERIFY(!parse->toolTip().isEmpty());
    f.window->RunCommand(Command::ShowToolTips);
    QVERIFY(convert->toolTip().isEmpty());
    QVERIFY(parse->toolTip().isEmpty());
    QCOMPARE(f.window->Settings().displayToolTips, 0);
    // A sheet opened while they are off shows none either.
    f.window->OpenSheet(Command::ViewerSettings);
    QVERIFY(FindControl(f.window->SheetOf(Command::ViewerSettings), Control::AddUrlPrefix)
                ->toolTip()
                .isEmpty());
  }

  void savedPoliciesGetTheirExtension() {
    Fixture f;
    f.window->OpenSheet(Command::TextFormatting);
    PropertySheet* sheet = f.window->SheetOf(Command::TextFormatting);
    qobject_cast<QCheckBox*>(FindControl(sheet, Control::RightJustify))->click();
    emit qobject_cast<QPushButton*>(FindControl(sheet, Control::SheetOk))->clicked();
    const std::string name = f.folder / "mine";
    f.prompts.onDialog = [&name](QDialog& dialog) {
      qobject_cast<QLineEdit*>(FindControl(&dialog, Control::SavePolicyName))
          ->setText(QString::fromStdString(name));
      return int{QDialog::Accepted};
    };
    f.window->RunCommand(Command::SaveToFile);
    const std::string saved = f.folder.Read("mine.pol");
    QVERIFY2(saved.find("Right justify the output text") != std::string::npos, saved.c_str());
    // Only the changed policies: the page width was not touched.
    QVERIFY(saved.find("Target Page width") == std::string::npos);
    QVERIFY(!f.window->PoliciesChanged());
  }

  void policyFileChosenToLoadAtStart() {
    Fixture f;
    const std::string policies = f.folder.Write("start.pol", "Target Page width : 60\n");
    f.prompts.onDialog = [&policies](QDialog& dialog) {
      qobject_cast<QLineEdit*>(FindControl(&dialog, Control::LoadPolicyName))
          ->setText(QString::fromStdString(policies));
      qobject_cast<QCheckBox*>(FindControl(&dialog, Control::LoadPolicyAtStart))->setChecked(true);
      return int{QDialog::Accepted};
    };
    f.window->RunCommand(Command::FileLoadPolicy);
    QCOMPARE(f.window->Policies().Find(kPageWidth)->number, 60);
    f.prompts.onDialog = nullptr;
    f.Open();
    QCOMPARE(f.window->Policies().Find(kPageWidth)->number, 72);
    f.window->show();  // the policy file named when the window opens is read as it shows
    QCOMPARE(f.window->Policies().Find(kPageWidth)->number, 60);
    QCOMPARE(f.Shown(Control::PolicyBox), policies);
  }

  void exportedLanguageFileCanBeUsed() {
    Fixture f;
    f.window->RunCommand(Command::LanguageFrench);
    const std::string file = f.folder / "mine.lng";
    f.prompts.onDialog = [&f, &file](QDialog& dialog) {
      f.prompts.fileToSave = f.folder / "mine";
      emit qobject_cast<QPushButton*>(FindControl(&dialog, Control::ExportLanguage))->clicked();
      qobject_cast<QCheckBox*>(FindControl(&dialog, Control::UseLanguageFile))->setChecked(true);
      qobject_cast<QLineEdit*>(FindControl(&dialog, Control::LanguageFileName))
          ->setText(QString::fromStdString(file));
      return int{QDialog::Accepted};
    };
    f.window->RunCommand(Command::LanguageSkin);
    QVERIFY(std::filesystem::exists(file));
    QCOMPARE(f.window->Language().Current(), int{kLanguageOther});
    QCOMPARE(f.window->Settings().useLanguageFile, 1);
    QCOMPARE(Text(f.window->Settings().languageFile), file);
    // Still French, now from the file.
    QCOMPARE(f.Box(Control::ConversionBox)->itemText(0).toStdString(),
             f.window->Language().Display(TextTable::Message, 111));
    QVERIFY(f.Box(Control::ConversionBox)->itemText(0) != QString("Convert to text"));
  }

  void unusableLanguageFileIsRefused_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("notice");
    QTest::newRow("missing") << "gone.lng"
                             << "ERROR: Can't read language file \"";
    QTest::newRow("no name") << ""
                             << "ERROR: Can't read language file \"";
    QTest::newRow("folder") << "."
                            << "ERROR: Can't read language file \"";
    QTest::newRow("no texts") << "empty.lng"
                              << "ERROR: No texts in language file \"";
  }
  void unusableLanguageFileIsRefused() {
    QFETCH(QString, name);
    QFETCH(QString, notice);
    Fixture f;
    f.folder.Write("empty.lng", "! nothing here\n");
    const std::string file = name.isEmpty() ? std::string() : f.folder / name.toStdString();
    f.window->RunCommand(Command::LanguageFrench);
    const std::string shown = f.window->Language().Display(TextTable::Message, 111);
    f.prompts.onDialog = [&file](QDialog& dialog) {
      qobject_cast<QCheckBox*>(FindControl(&dialog, Control::UseLanguageFile))->setChecked(true);
      qobject_cast<QLineEdit*>(FindControl(&dialog, Control::LanguageFileName))
          ->setText(QString::fromStdString(file));
      return int{QDialog::Accepted};
    };
    f.window->RunCommand(Command::LanguageSkin);
    QVERIFY(f.HasNotice("Language File Error", notice.toStdString() + file + "\""));
    QCOMPARE(f.window->Language().Current(), int{kLanguageFrench});
    QCOMPARE(f.Box(Control::ConversionBox)->itemText(0).toStdString(), shown);
    QCOMPARE(Text(f.window->Settings().language), std::string("French"));
    QCOMPARE(f.window->Settings().useLanguageFile, 0);
    QCOMPARE(Text(f.window->Settings().languageFile), std::string());
  }

  void viewingBeforeConvertingAsksForFiles() {
    Fixture f;
    f.window->RunCommand(Command::ViewResults);
    QVERIFY(f.HasNotice("Input File Error", "Must choose a file first"));
    QCOMPARE(f.prompts.openStarts.size(), size_t{1});  // Convert browsed, and was cancelled
    QVERIFY(f.desktop.started.empty());
  }

  void sheetPoliciesReachTheConversion() {
    Fixture f;
    f.Choose(Control::ConversionBox, 1);
    std::filesystem::create_directory(f.folder / "out");
    f.Type(Control::OutputFolderBox, QString::fromStdString(f.folder / "out"));
    QVERIFY(f.Browse({f.folder.Write("a.htm", "<p>Hello <b>world</b></p>\n")}));
    QVERIFY(f.window->Convert());
    QVERIFY(f.folder.Read("out/a.htm").find("<b>world</b>") != std::string::npos);
    f.window->OpenSheet(Command::QuorlOptions);
    PropertySheet* sheet = f.window->SheetOf(Command::QuorlOptions);
    qobject_cast<QCheckBox*>(FindControl(sheet, Control::RemoveAllHtmlTags))->click();
    emit qobject_cast<QPushButton*>(FindControl(sheet, Control::SheetOk))->clicked();
    QVERIFY(f.window->Convert());
    const std::string stripped = f.folder.Read("out/a.htm");
    QVERIFY2(stripped.find("<b>") == std::string::npos, stripped.c_str());
    QVERIFY(stripped.find("Hello world") != std::string::npos);
  }

  void markupOutputReplacesItsInputOnlyWhenAllowed() {
    Fixture f;
    f.Choose(Control::ConversionBox, 1);
    QVERIFY(f.Browse({f.folder.Write("a.htm", "<p>Hello <!-- note --></p>\n")}));
    QVERIFY(!f.window->Convert());
    QCOMPARE(f.folder.Read("a.htm"), std::string("<p>Hello <!-- note --></p>\n"));
    // Allowed, the converted markup takes the input's place: a new file of that name.
    struct stat before {};
    QCOMPARE(stat((f.folder / "a.htm").c_str(), &before), 0);
    qobject_cast<QCheckBox*>(FindControl(f.window.get(), Control::Overwrite))->setChecked(true);
    QVERIFY(f.window->Convert());
    struct stat after {};
    QCOMPARE(stat((f.folder / "a.htm").c_str(), &after), 0);
    QVERIFY(before.st_ino != after.st_ino);
    QVERIFY(f.folder.Read("a.htm").find("<p>Hello") != std::string::npos);
  }

  void labelsTakeTheKeyboardToTheirFields() {
    static const struct {
      Control label, field;
    } kLabels[] = {{Control::FilesLabel, Control::FilesBox},
                   {Control::ConversionLabel, Control::ConversionBox},
                   {Control::OutputLabel, Control::OutputBox},
                   {Control::OutputNameLabel, Control::OutputName},
                   {Control::FolderLabel, Control::OutputFolderBox},
                   {Control::PolicyLabel, Control::PolicyBox}};
    Fixture f;
    f.Show();
    // The window opens with the keyboard in the files box.
    QVERIFY(f.Box(Control::FilesBox)->isAncestorOf(QApplication::focusWidget()));
    for (const auto& row : kLabels) {
      QWidget* field = FindControl(f.window.get(), row.field);
      QCOMPARE(f.ControlOf<QLabel>(row.label)->buddy(), field);
      QTest::keyClick(f.window.get(), Mnemonic(f.ControlOf<QLabel>(row.label)), Qt::AltModifier);
      QVERIFY(field == QApplication::focusWidget() ||
              field->isAncestorOf(QApplication::focusWidget()));
    }
    // Each field label of the sheets names its field and has a letter of its own.
    for (const Command command : {Command::TextFormatting, Command::ViewerSettings}) {
      f.window->OpenSheet(command);
      for (QLabel* label : f.window->SheetOf(command)->findChildren<QLabel*>())
        QVERIFY(label->buddy() != nullptr && Mnemonic(label) != '\0');
    }
  }

  void browseButtonsSayWhatTheyChoose() {
    Fixture f;
    f.window->OpenSheet(Command::ViewerSettings);
    QWidget* sheet = f.window->SheetOf(Command::ViewerSettings);
    const struct {
      QWidget* window;
      Control button;
      const char* name;
    } kButtons[] = {{f.window.get(), Control::FilesBrowse, "Choose input files"},
                    {f.window.get(), Control::OutputBrowse, "Choose output folder"},
                    {f.window.get(), Control::PolicyBrowse, "Choose policy file"},
                    {sheet, Control::BrowserBrowse, "Choose web browser"},
                    {sheet, Control::TextViewerBrowse, "Choose text viewer"}};
    for (const auto& row : kButtons)
      QCOMPARE(FindControl(row.window, row.button)->accessibleName(), QString(row.name));
    // A field is called by its label, not by its group ("Output").
    QCOMPARE(f.Box(Control::OutputBox)->accessibleName(), QString("Output type"));
  }

  void keysConvertChooseHelpAndQuit() {
    static const struct {
      const char* name;
      QKeySequence keys;
      bool (*done)(Fixture&);
    } kKeys[] = {
        {"Enter in the files box", QKeySequence(Qt::Key_Return),
         [](Fixture& f) { return f.folder.Read("a.txt").find("Hello") != std::string::npos; }},
        {"Ctrl+Return", QKeySequence(Qt::CTRL | Qt::Key_Return),
         [](Fixture& f) { return f.folder.Read("a.txt").find("Hello") != std::string::npos; }},
        {"Ctrl+O", QKeySequence(Qt::CTRL | Qt::Key_O),
         [](Fixture& f) { return f.prompts.openStarts.size() == 1; }},
        {"F1", QKeySequence(Qt::Key_F1), [](Fixture& f) { return f.desktop.started.size() == 1; }},
        {"Ctrl+Q", QKeySequence(Qt::CTRL | Qt::Key_Q),
         [](Fixture& f) { return !f.window->isVisible(); }},
    };
    for (const auto& row : kKeys) {
      Fixture f;
      f.Show();
      QLineEdit* files = f.Box(Control::FilesBox)->lineEdit();
      files->setText(QString::fromStdString(f.Page("a.htm")));
      // Only Enter goes to the files box; the others are keys of the whole window.
      QTest::keySequence(
          row.keys == QKeySequence(Qt::Key_Return) ? static_cast<QWidget*>(files) : f.window.get(),
          row.keys);
      QVERIFY2(row.done(f), row.name);
    }
  }

  void noBrowserIsMentionedUntilAViewIsAskedFor() {
    Fixture f(false, Fixture::Browser::kNone);
    f.Show();
    f.window->OpenSheet(Command::ViewerSettings);
    // The DDE settings have no control: there is no DDE here.
    QVERIFY(FindControl(f.window->SheetOf(Command::ViewerSettings), Control::UseDde) == nullptr);
    QVERIFY(f.prompts.notices.empty());
    f.window->RunCommand(Command::HelpContents);
    QVERIFY(f.desktop.started.empty());
    QVERIFY(f.HasNotice("Quorlex",
                        "ERROR: No web browser found to show the result: install one "
                        "(firefox-esr, chromium) or set one in Settings"));
  }

  // A run long enough to outlast several batches of what it reports.
  static std::string ManyPages(Fixture& f, int count, const std::string& page = kPage) {
    for (int i = 0; i < count; ++i)
      f.folder.Write("many/" + std::to_string(1000 + i) + ".htm", page);
    return f.folder / "many/*.htm";
  }

  static std::string LastStatusLine(Fixture& f) {
    return f.window->Status().Lines().empty() ? "" : Text(f.window->Status().Lines().back());
  }

  void windowAnswersWhileItConverts() {
    Fixture f;
    f.Type(Control::FilesBox, QString::fromStdString(ManyPages(f, 200)));
    auto* progress = f.window->findChild<QProgressBar*>();
    bool converting = false;
    bool progressShown = false;
    bool requestLocked = false;
    QTimer::singleShot(0, f.window.get(), [&] {
      converting = f.window->Converting();
      progressShown = progress->isVisibleTo(f.window.get());
      requestLocked = !f.ControlOf<QPushButton>(Control::Convert)->isEnabled();
      // A second request while one runs is refused, not started alongside.
      QVERIFY(!f.window->Convert());
    });
    QVERIFY(f.window->Convert());
    QVERIFY(converting && progressShown && requestLocked);
    QVERIFY(!f.window->Converting() && !progress->isVisibleTo(f.window.get()));
    QCOMPARE(LastStatusLine(f), std::string("200 converted, 0 failed"));
    QCOMPARE(f.window->statusBar()->findChild<QLabel*>()->text(),
             QStringLiteral("200 converted, 0 failed"));
    QVERIFY(f.folder.Read("many/1199.txt").find("Hello world") != std::string::npos);
  }

  void cancelStopsAfterTheFileInProgress() {
    Fixture f;
    // Pages of some length, on one thread, so that however fast the machine the run is
    // still going when the first progress arrives.
    Arguments oneThread;
    oneThread.qualifierLine = "/JOBS=1";
    f.window->TakeCommandLine(oneThread);
    std::string page = "<html><body>";
    for (int i = 0; i < 200; ++i)
      page += "<p>Hello world, in a paragraph that wraps over two lines of the text.</p>\n";
    page += "</body></html>\n";
    constexpr int kPages = 400;
    f.Type(Control::FilesBox, QString::fromStdString(ManyPages(f, kPages, page)));
    auto* progress = f.window->findChild<QProgressBar*>();
    QTimer watch;
    connect(&watch, &QTimer::timeout, f.window.get(), [&] {
      if (progress->value() >= 1) f.window->CancelConversion();
    });
    watch.start(1);
    QVERIFY(!f.window->Convert());
    watch.stop();
    const QRegularExpression cancelled(
        QStringLiteral("^(\\d+) converted, 0 failed, (\\d+) not converted \\(cancelled\\)$"));
    const QRegularExpressionMatch summary =
        cancelled.match(QString::fromStdString(LastStatusLine(f)));
    QVERIFY2(summary.hasMatch(), LastStatusLine(f).c_str());
    const int converted = summary.captured(1).toInt();
    QVERIFY(converted >= 1 && converted < kPages);
    QCOMPARE(converted + summary.captured(2).toInt(), kPages);
    // The outputs are whole or absent: exactly the files reported converted.
    int outputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(f.folder / "many")) {
      if (entry.path().extension() != ".txt") continue;
      ++outputs;
      const std::string text = TempFolder::ReadFile(entry.path());
      QVERIFY(text.find("Hello world") != std::string::npos);
      QCOMPARE(text.size(), f.folder.Read("many/1000.txt").size());
    }
    QCOMPARE(outputs, converted);
    QVERIFY(f.prompts.notices.empty());
  }

  void closingDuringARunAsksFirst_data() {
    QTest::addColumn<bool>("cancel");
    QTest::newRow("cancel and close") << true;
    QTest::newRow("go on") << false;
  }
  void closingDuringARunAsksFirst() {
    QFETCH(bool, cancel);
    Fixture f;
    f.Show();
    f.prompts.answerYes = cancel;
    f.Type(Control::FilesBox, QString::fromStdString(ManyPages(f, 200)));
    QTimer::singleShot(0, f.window.get(), [&] { f.window->close(); });
    QCOMPARE(f.window->Convert(), !cancel);
    QCOMPARE(f.prompts.questions.size(), size_t{1});
    QTRY_COMPARE(f.window->isVisible(), !cancel);
  }

  void everyFailureIsShownWithTheFilesItConcerns_data() {
    QTest::addColumn<QString>("made");     // what goes wrong
    QTest::addColumn<QString>("message");  // what the status window shows
    QTest::newRow("no such file") << "none"
                                  << "WARNING: No file matches ";
    QTest::newRow("unreadable file") << "locked file"
                                     << "ERROR: Can't find or open ";
    QTest::newRow("unreadable folder") << "locked folder"
                                       << "WARNING: Cannot read folder ";
    QTest::newRow("output replacing its input") << "same name"
                                                << "ERROR: ";
  }
  void everyFailureIsShownWithTheFilesItConcerns() {
    QFETCH(QString, made);
    QFETCH(QString, message);
    if (made.startsWith("locked") && RunningAsRoot()) QSKIP("permission bits do not stop root");
    Fixture f;
    // With the status window off the failure is shown all the same.
    f.Reopen("\\Dialogs\\DisplayStatusDialog", "No");
    const std::string good = f.Page("in/good.htm");
    std::string bad = f.folder / "in/bad.htm";
    if (made == "locked file") {
      f.Page("in/bad.htm");
      std::filesystem::permissions(bad, std::filesystem::perms::none);
    } else if (made == "locked folder") {
      f.Page("in/sub/bad.htm");
      bad = f.folder / "in/sub/";
      std::filesystem::permissions(bad, std::filesystem::perms::none);
    } else if (made == "same name") {
      bad = good;
    }
    if (made == "locked folder") {
      f.ControlOf<QCheckBox>(Control::SubFolders)->setChecked(true);
      f.Type(Control::FilesBox, QString::fromStdString(f.folder / "in/*.htm"));
    } else if (made == "same name") {
      f.Type(Control::FilesBox, QString::fromStdString(good));
      f.ControlOf<QLineEdit>(Control::OutputName)->setText("good.htm");
    } else {
      f.Type(Control::FilesBox, QString::fromStdString(Text(MakeFileSpec(
                                    {TextString(good.c_str()), TextString(bad.c_str())}))));
    }
    QVERIFY(!f.window->Convert());
    if (made == "locked folder")
      std::filesystem::permissions(bad, std::filesystem::perms::owner_all);
    QVERIFY(!f.window->Status().isVisible());
    const bool shown = std::any_of(
        f.window->Status().Lines().begin(), f.window->Status().Lines().end(),
        [&](const TextString& line) { return Text(line).rfind(message.toStdString(), 0) == 0; });
    QVERIFY2(shown, qPrintable(message));
    const std::string summary =
        made == "same name" ? "0 converted, 1 failed" : "1 converted, 1 failed";
    QCOMPARE(LastStatusLine(f), summary);
    QCOMPARE(f.prompts.notices.size(), size_t{1});
    QCOMPARE(f.prompts.notices[0].caption, std::string("Convert Error"));
    QCOMPARE(f.prompts.notices[0].text, "Conversion failed\n\n" + summary + "\n" + bad);
  }

  void statusWindowOpensBesideTheMainWindow_data() {
    QTest::addColumn<QRect>("main");  // on a screen of 800 x 800
    QTest::newRow("room below") << QRect(0, 0, 400, 300);
    QTest::newRow("room once the main window moves over") << QRect(320, 50, 160, 700);
  }
  void statusWindowOpensBesideTheMainWindow() {
    QFETCH(QRect, main);
    Fixture f;
    f.Show();
    f.window->setGeometry(main);
    QVERIFY(f.Browse({f.Page("a.htm")}));
    QVERIFY(f.window->Convert());
    QVERIFY(f.window->Status().isVisible());
    QVERIFY(!f.window->Status().frameGeometry().intersects(f.window->frameGeometry()));
  }

  void ddeFailureLastTimeSwitchesDdeOff() {
    Fixture f;
    f.Reopen("\\UseDDEToViewHTML", "Yes");
    f.Reopen("\\DDEWorking", "No");
    f.window->WarnAboutDde();
    QVERIFY(f.HasNotice("Problems using DDE detected", "Problems detected using DDE last time."));
    QCOMPARE(f.window->Settings().useDdeToViewHtml, 0);
  }
};

QUORLEX_REGISTER_TEST(MainWindowTest);

}  // namespace quorlex

#include "MainWindowTest.moc"
