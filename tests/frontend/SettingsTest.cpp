#include <QtTest>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <string>

#include "frontend/ProgramSettings.h"
#include "frontend/SettingsStore.h"
#include "tests/frontend/Printers.h"
#include "tests/frontend/TestRegistry.h"
#include "tests/support/TempFolder.h"

namespace quorlex {
namespace {

using testing::TempFolder;

// Sets an environment variable for the life of the object (empty: unset).
class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value[0] == '\0') {
      unsetenv(name);
    } else {
      setenv(name, value, 1);
    }
  }
  ~ScopedEnvironment() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

// Settings loaded from a settings file holding `content`; `detected` is what browser
// detection finds (nullptr: nothing), and `detections` counts the calls.
ProgramSettings LoadFrom(const std::string& content, const char* detected = nullptr,
                         int* detections = nullptr) {
  TempFolder folder;
  SettingsStore store(folder.Write("settings.conf", content));
  ProgramSettings settings;
  settings.LoadSettings(store, [&](TextString& command) {
    if (detections != nullptr) ++*detections;
    if (detected == nullptr) return 0;
    command = detected;
    return 1;
  });
  return settings;
}

std::string Text(const TextString& text) { return std::string(text.View()); }

// The yes/no fields by setting name, for the tables below.
int ProgramSettings::*FlagNamed(const std::string& name) {
  static const std::map<std::string, int ProgramSettings::*> kFlags = {
      {"\\AddURLPrefix", &ProgramSettings::addUrlPrefix},
      {"\\DragAndDrop\\ViewResults", &ProgramSettings::dragDropViewResults},
      {"\\Dialogs\\DisplayToolTips", &ProgramSettings::displayToolTips},
      {"\\Dialogs\\AutoDismissStatusDialog", &ProgramSettings::autoDismissStatusDialog},
  };
  return kFlags.at(name);
}

}  // namespace

class SettingsTest : public QObject {
  Q_OBJECT

 private slots:
  void storeReadsNamesIgnoringCase_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("found");
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("same case") << QByteArray("\\Options\\OutputType=1\n")
                               << QByteArray("\\Options\\OutputType") << true << QByteArray("1");
    QTest::newRow("other case") << QByteArray("\\Options\\OutputType=1\n")
                                << QByteArray("\\options\\outputTYPE") << true << QByteArray("1");
    QTest::newRow("two spellings, the last line wins")
        << QByteArray("\\BGIMage\\MRU00=a\n\\BGImage\\MRU00=b\n") << QByteArray("\\BGImage\\MRU00")
        << true << QByteArray("b");
    QTest::newRow("blanks around the name")
        << QByteArray("  \\CurrentDir\t=/tmp/x\n") << QByteArray("\\CurrentDir") << true
        << QByteArray("/tmp/x");
    QTest::newRow("value keeps its blanks")
        << QByteArray("\\Files\\MRU00= a b \n") << QByteArray("\\Files\\MRU00") << true
        << QByteArray(" a b ");
    QTest::newRow("equals sign inside the value")
        << QByteArray("\\BrowserCommand=env A=1 b\n") << QByteArray("\\BrowserCommand") << true
        << QByteArray("env A=1 b");
    QTest::newRow("line ends of Windows") << QByteArray("\\CurrentDir=/x\r\n")
                                          << QByteArray("\\CurrentDir") << true << QByteArray("/x");
    QTest::newRow("missing") << QByteArray("\\Other=1\n") << QByteArray("\\CurrentDir") << false
                             << QByteArray();
    QTest::newRow("comment line") << QByteArray("# \\CurrentDir=/x\n")
                                  << QByteArray("# \\CurrentDir") << false << QByteArray();
    QTest::newRow("line without equals sign")
        << QByteArray("\\CurrentDir\n") << QByteArray("\\CurrentDir") << false << QByteArray();
    QTest::newRow("binary junk around a good line")
        << QByteArray("\x01\xff=\n=x\n\\CurrentDir=/y\n\x80\x80\n", 25)
        << QByteArray("\\CurrentDir") << true << QByteArray("/y");
  }
  void storeReadsNamesIgnoringCase() {
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, name);
    QFETCH(bool, found);
    QFETCH(QByteArray, value);
    TempFolder folder;
    SettingsStore store(folder.Write("settings.conf", content.toStdString()));
    QCOMPARE(store.Load(), 1);
    std::string got = "untouched";
    QCOMPARE(store.Get(name.toStdString(), got) == 1, found);
    QCOMPARE(got, found ? value.toStdString() : std::string("untouched"));
  }

  void storeSavesWholeAndKeepsUnknownSettings() {
    TempFolder folder;
    const std::string path = folder / "sub/quorlex/settings.conf";
    SettingsStore store(path);
    QCOMPARE(store.Load(), 0);  // no file yet: an empty store
    QCOMPARE(store.Set("\\Future\\Setting", "kept"), 1);
    QCOMPARE(store.Set("\\CurrentDir", "/a"), 1);
    QCOMPARE(store.Save(), 1);  // the folder is created

    SettingsStore again(path);
    QCOMPARE(again.Load(), 1);
    QCOMPARE(again.Set("\\currentdir", "/b"), 1);
    QCOMPARE(again.Save(), 1);
    QCOMPARE(TempFolder::ReadFile(path), std::string("\\Future\\Setting=kept\n\\CurrentDir=/b\n"));
  }

  // Another program wrote the file after this store loaded it: saving the changes writes the
  // file only when this store changed a setting since, or found no file to load.
  void storeSavesOnlyChanges() {
    static const struct {
      const char* name;
      const char* loaded;  // null: no file
      const char* value;   // null: nothing set
      bool written;
    } kCases[] = {{"nothing set", "\\CurrentDir=/a\n", nullptr, false},
                  {"same value set", "# mine\n\\CurrentDir=/a\n", "/a", false},
                  {"value changed", "\\CurrentDir=/a\n", "/b", true},
                  {"no file was there", nullptr, nullptr, true}};
    for (const auto& c : kCases) {
      TempFolder folder;
      SettingsStore store(folder / "settings.conf");
      if (c.loaded != nullptr) folder.Write("settings.conf", c.loaded);
      (void)store.Load();
      if (c.value != nullptr) QCOMPARE(store.Set("\\currentdir", c.value), 1);
      if (c.loaded != nullptr) folder.Write("settings.conf", "\\CurrentDir=/other\n");
      QCOMPARE(store.SaveChanges(), 1);
      QVERIFY2((folder.Read("settings.conf") != "\\CurrentDir=/other\n") == c.written, c.name);
    }
  }

  // A dotfile manager keeps the settings file as a link into its repository: saving writes
  // the file in the repository and leaves the link in place.
  void storeSavesThroughALinkAndKeepsIt() {
    TempFolder folder;
    const std::string kept = folder.Write("dotfiles/quorlex/settings.conf", "\\CurrentDir=/a\n");
    const std::string link = folder / "config/quorlex/settings.conf";
    std::filesystem::create_directories(folder / "config/quorlex");
    std::filesystem::create_symlink(kept, link);
    SettingsStore store(link);
    QCOMPARE(store.Load(), 1);
    QCOMPARE(store.Set("\\CurrentDir", "/b"), 1);
    QCOMPARE(store.Save(), 1);
    QVERIFY(std::filesystem::is_symlink(link));
    QCOMPARE(TempFolder::ReadFile(kept), std::string("\\CurrentDir=/b\n"));
    QCOMPARE(std::distance(std::filesystem::directory_iterator(folder / "dotfiles/quorlex"),
                           std::filesystem::directory_iterator()),
             std::ptrdiff_t{1});
  }

  void storeRefusesWhatWouldBreakALine_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("value");
    QTest::newRow("line feed in the value")
        << QByteArray("\\CurrentDir") << QByteArray("/a\n\\Injected=1");
    QTest::newRow("carriage return in the value")
        << QByteArray("\\CurrentDir") << QByteArray("/a\r");
    QTest::newRow("NUL in the value") << QByteArray("\\CurrentDir") << QByteArray("/a\0b", 4);
    QTest::newRow("equals sign in the name") << QByteArray("\\A=B") << QByteArray("1");
    QTest::newRow("empty name") << QByteArray("") << QByteArray("1");
  }
  void storeRefusesWhatWouldBreakALine() {
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, value);
    TempFolder folder;
    SettingsStore store(folder.Write("settings.conf", "\\CurrentDir=/old\n"));
    store.Load();
    QCOMPARE(store.Set(std::string_view(name.constData(), static_cast<size_t>(name.size())),
                       std::string_view(value.constData(), static_cast<size_t>(value.size()))),
             0);
    QCOMPARE(store.Save(), 1);
    QCOMPARE(folder.Read("settings.conf"), std::string("\\CurrentDir=/old\n"));
  }

  void arbitraryBytesLoadAndSaveAgain() {
    TempFolder folder;
    const std::string alphabet = "\\=\n\r\tab #\xff\x80";
    std::mt19937 random(7);
    for (int round = 0; round < 40; ++round) {
      std::string bytes;
      for (int i = 0; i < 400; ++i) bytes += alphabet[random() % alphabet.size()];
      bytes += std::string(1, '\0') + "\n\\CurrentDir=/kept\n";
      SettingsStore store(folder.Write("settings.conf", bytes));
      ProgramSettings settings;
      settings.LoadSettings(store, [](TextString&) { return 0; });
      QCOMPARE(Text(settings.currentDir), std::string("/kept"));
      QCOMPARE(settings.SaveSettings(store), 1);
      SettingsStore again(store.Path());
      QCOMPARE(again.Load(), 1);
      QCOMPARE(again.Entries().size(), store.Entries().size());  // every line survived
    }
  }

  void settingsFileFollowsXdgConfigHome_data() {
    QTest::addColumn<QByteArray>("configHome");
    QTest::addColumn<QByteArray>("home");
    QTest::addColumn<QByteArray>("path");
    QTest::newRow("XDG_CONFIG_HOME set") << QByteArray("/cfg") << QByteArray("/home/ann")
                                         << QByteArray("/cfg/quorlex/settings.conf");
    QTest::newRow("XDG_CONFIG_HOME unset") << QByteArray("") << QByteArray("/home/ann")
                                           << QByteArray("/home/ann/.config/quorlex/settings.conf");
    QTest::newRow("XDG_CONFIG_HOME relative, which is ignored")
        << QByteArray("cfg") << QByteArray("/home/ann")
        << QByteArray("/home/ann/.config/quorlex/settings.conf");
  }
  void settingsFileFollowsXdgConfigHome() {
    QFETCH(QByteArray, configHome);
    QFETCH(QByteArray, home);
    QFETCH(QByteArray, path);
    ScopedEnvironment config("XDG_CONFIG_HOME", configHome.constData());
    ScopedEnvironment homeFolder("HOME", home.constData());
    QCOMPARE(DefaultSettingsPath(), path.toStdString());
  }

  void firstStartHasTheDefaults() {
    const ProgramSettings settings = LoadFrom("", "/usr/bin/firefox");
    QCOMPARE(Text(settings.language), std::string("English"));
    QCOMPARE(settings.selectedLanguage, 0);  // "Choose your language" comes up once
    QCOMPARE(settings.displayToolTips, 1);
    QCOMPARE(settings.displayStatusDialog, 1);
    QCOMPARE(Text(settings.browserCommand), std::string("/usr/bin/firefox"));
    QCOMPARE(settings.statusWindow.IsStored(), false);
  }

  void detectedBrowserChoosesTheDdeDefaults_data() {
    QTest::addColumn<QByteArray>("detected");
    QTest::addColumn<int>("dde");
    QTest::addColumn<QByteArray>("service");
    QTest::newRow("iexplore") << QByteArray("C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE")
                              << 1 << QByteArray("IExplore");
    QTest::newRow("netscape") << QByteArray("c:\\netscape\\netscape.exe") << 1
                              << QByteArray("NETSCAPE");
    QTest::newRow("netscp6") << QByteArray("C:\\Netscape 6\\Netscp6.exe") << 0
                             << QByteArray("Mozilla");
    QTest::newRow("opera in any case")
        << QByteArray("D:\\Apps\\OPERA.exe") << 1 << QByteArray("Opera");
    QTest::newRow("any other browser")
        << QByteArray("/usr/bin/firefox-esr") << 0 << QByteArray("IExplore");
    QTest::newRow("no browser found") << QByteArray() << 0 << QByteArray("IExplore");
  }
  void detectedBrowserChoosesTheDdeDefaults() {
    QFETCH(QByteArray, detected);
    QFETCH(int, dde);
    QFETCH(QByteArray, service);
    const ProgramSettings settings =
        LoadFrom("", detected.isEmpty() ? nullptr : detected.constData());
    QCOMPARE(settings.useDdeToViewHtml, dde);
    QCOMPARE(settings.autoDdeUpdates, dde);
    QCOMPARE(Text(settings.ddeServerName), service.toStdString());
    QCOMPARE(Text(settings.browserCommand), detected.toStdString());
  }

  void storedBrowserCommandIsNeverExamined() {
    int detections = 0;
    const ProgramSettings settings =
        LoadFrom("\\BrowserCommand=C:\\Opera\\opera.exe\n", "/usr/bin/other", &detections);
    QCOMPARE(detections, 0);
    QCOMPARE(Text(settings.browserCommand), std::string("C:\\Opera\\opera.exe"));
    QCOMPARE(settings.useDdeToViewHtml, 0);
    QCOMPARE(settings.autoDdeUpdates, 0);
    QCOMPARE(Text(settings.ddeServerName), std::string("IExplore"));
  }

  void yesNoSettingsChangeOnlyForYesOrNo_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("line");  // empty: no line at all
    QTest::addColumn<int>("value");
    QTest::newRow("prefix No is honoured")
        << QByteArray("\\AddURLPrefix") << QByteArray("\\AddURLPrefix=No") << 0;
    QTest::newRow("prefix missing") << QByteArray("\\AddURLPrefix") << QByteArray() << 1;
    QTest::newRow("prefix no in lower case")
        << QByteArray("\\AddURLPrefix") << QByteArray("\\AddURLPrefix=no") << 1;
    QTest::newRow("view results other text") << QByteArray("\\DragAndDrop\\ViewResults")
                                             << QByteArray("\\DragAndDrop\\ViewResults=maybe") << 1;
    QTest::newRow("view results No") << QByteArray("\\DragAndDrop\\ViewResults")
                                     << QByteArray("\\draganddrop\\viewresults=No") << 0;
    QTest::newRow("tool tips empty") << QByteArray("\\Dialogs\\DisplayToolTips")
                                     << QByteArray("\\Dialogs\\DisplayToolTips=") << 1;
    QTest::newRow("auto dismiss Yes") << QByteArray("\\Dialogs\\AutoDismissStatusDialog")
                                      << QByteArray("\\Dialogs\\AutoDismissStatusDialog=Yes") << 1;
  }
  void yesNoSettingsChangeOnlyForYesOrNo() {
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, line);
    QFETCH(int, value);
    const ProgramSettings settings = LoadFrom(line.toStdString() + "\n", "/usr/bin/b");
    QCOMPARE(settings.*FlagNamed(name.toStdString()), value);
  }

  void numbersThatDoNotParseKeepTheirDefault_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("left");
    QTest::newRow("number") << QByteArray("120") << 120;
    QTest::newRow("blanks around") << QByteArray(" 7 ") << 7;
    QTest::newRow("letters after") << QByteArray("12px") << -1;
    QTest::newRow("empty") << QByteArray("") << -1;
    QTest::newRow("beyond int") << QByteArray("99999999999") << -1;
  }
  void numbersThatDoNotParseKeepTheirDefault() {
    QFETCH(QByteArray, text);
    QFETCH(int, left);
    const ProgramSettings settings =
        LoadFrom("\\Dialogs\\Status\\Left=" + text.toStdString() + "\n\\Options\\OutputType=x\n",
                 "/usr/bin/b");
    QCOMPARE(settings.statusWindow.left, left);
    QCOMPARE(settings.outputType, 0);
  }

  void historyWithAMissingEntryHasAnEmptySlot() {
    std::string content;
    for (int i = 0; i < 10; ++i) {
      if (i == 3) continue;
      content += (i == 5 ? "\\files\\mru0" : "\\Files\\MRU0") + std::to_string(i) + "=/in/" +
                 std::to_string(i) + ".htm\n";
    }
    const ProgramSettings settings = LoadFrom(content, "/usr/bin/b");
    const History& files = settings.HistoryOf(HistoryList::Files);
    QCOMPARE(Text(files[2]), std::string("/in/2.htm"));
    QCOMPARE(Text(files[3]), std::string());
    QCOMPARE(Text(files[5]), std::string("/in/5.htm"));
    QCOMPARE(Text(files[9]), std::string("/in/9.htm"));
    QCOMPARE(Text(settings.HistoryOf(HistoryList::Policy)[0]), std::string());
  }

  void saveThenLoadGivesTheSameSettings() {
    ProgramSettings settings;
    settings.currentDir = "/home/ann/in/";
    settings.browserCommand = "/usr/bin/firefox --new-window";
    settings.ddeServerName = "Opera";
    settings.ddeWorking = "No";
    settings.viewRtfCommand = "/usr/bin/lowriter";
    settings.viewTextCommand = "/usr/bin/gedit";
    settings.htmlDoco = "/usr/share/doc/quorlex";
    settings.defaultPolicyFile = "/home/ann/narrow.pol";
    settings.language = "Russian";
    settings.languageFile = "/home/ann/polish.lng";
    settings.mainWindow = {1, 2};
    settings.analysisSheet = {3, 4};
    settings.outputSheets = {5, 6};
    settings.settingsSheet = {7, 8};
    settings.statusWindow = {9, 10};
    for (int ProgramSettings::*flag :
         {&ProgramSettings::defaultPolicyAlwaysReload, &ProgramSettings::defaultPolicyUsed,
          &ProgramSettings::useDdeToViewHtml, &ProgramSettings::autoDdeUpdates,
          &ProgramSettings::dragDropViewStatusWindow, &ProgramSettings::dragDropStartProgram,
          &ProgramSettings::autoDismissStatusDialog, &ProgramSettings::useLanguageFile,
          &ProgramSettings::selectedLanguage}) {
      settings.*flag = 1;
    }
    settings.addUrlPrefix = settings.dragDropViewResults = 0;
    settings.displayToolTips = settings.displayStatusDialog = 0;
    settings.conversionType = settings.outputType = 1;
    for (int list = 0; list < kHistoryLists; ++list) {
      for (int i = 0; i < kHistoryEntries; i += 2) {
        settings.histories[list][i] = TextString(("/h" + std::to_string(list * 10 + i)).c_str());
      }
    }
    TempFolder folder;
    SettingsStore first(folder / "first.conf");
    QCOMPARE(settings.SaveSettings(first), 1);
    ProgramSettings loaded;
    loaded.LoadSettings(first, [](TextString&) { return 0; });
    SettingsStore second(folder / "second.conf");
    QCOMPARE(loaded.SaveSettings(second), 1);

    const std::string written = folder.Read("first.conf");
    QCOMPARE(folder.Read("second.conf"), written);
    QCOMPARE(static_cast<int>(std::count(written.begin(), written.end(), '\n')), 35 + 100);
    QVERIFY(written.find("\\Dialogs\\Status\\Top=10\n") != std::string::npos);
    QVERIFY(written.find("\\AddURLPrefix=No\n") != std::string::npos);
    QVERIFY(written.find("\\HTMLScript\\MRU08=/h98\n") != std::string::npos);
    QVERIFY(written.find("\\Files\\MRU01=\n") != std::string::npos);
  }

  void windowsWithoutAStoredPositionTakeTheirPlace_data() {
    QTest::addColumn<int>("place");
    QTest::addColumn<QRect>("desktop");
    QTest::addColumn<QPoint>("stored");
    QTest::addColumn<QPoint>("at");
    const QRect screen(0, 0, 1920, 1080);
    QTest::newRow("policy sheets: lower right")
        << int(DefaultPlace::LowerRight) << screen << QPoint(-1, -1) << QPoint(1490, 750);
    QTest::newRow("analysis sheet: lower left")
        << int(DefaultPlace::LowerLeft) << screen << QPoint(-1, -1) << QPoint(30, 750);
    QTest::newRow("settings sheet: right of and below the centre")
        << int(DefaultPlace::NearCentre) << screen << QPoint(-1, -1) << QPoint(860, 440);
    QTest::newRow("odd sizes round down") << int(DefaultPlace::NearCentre) << QRect(0, 0, 1025, 769)
                                          << QPoint(-1, -1) << QPoint(412, 284);
    QTest::newRow("a second screen") << int(DefaultPlace::LowerRight) << QRect(1920, 0, 1280, 1024)
                                     << QPoint(-1, -1) << QPoint(2770, 694);
    QTest::newRow("stored position")
        << int(DefaultPlace::LowerRight) << screen << QPoint(0, 20) << QPoint(0, 20);
    QTest::newRow("half a stored position")
        << int(DefaultPlace::LowerRight) << screen << QPoint(-1, 20) << QPoint(1490, 750);
  }
  void windowsWithoutAStoredPositionTakeTheirPlace() {
    QFETCH(int, place);
    QFETCH(QRect, desktop);
    QFETCH(QPoint, stored);
    QFETCH(QPoint, at);
    const WindowPosition position =
        PlaceWindow({stored.x(), stored.y()}, static_cast<DefaultPlace>(place),
                    {desktop.x(), desktop.y(), desktop.width(), desktop.height()}, 400, 300);
    QCOMPARE(QPoint(position.left, position.top), at);
  }
};

QUORLEX_REGISTER_TEST(SettingsTest);

}  // namespace quorlex

#include "SettingsTest.moc"
