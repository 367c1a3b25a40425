#include <sys/stat.h>

#include <QtTest>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "frontend/Desktop.h"
#include "frontend/ProgramSettings.h"
#include "frontend/UiLanguage.h"
#include "frontend/Viewers.h"
#include "tests/frontend/Printers.h"
#include "tests/frontend/TestRegistry.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/TempFolder.h"

namespace quorlex {
namespace {

using testing::FakeDesktop;
using testing::RecordingNotices;
using testing::TempFolder;
using Argv = std::vector<std::string>;

std::string Text(const TextString& text) { return std::string(text.View()); }

// `text` with every "@" replaced by `folder`.
std::string At(const QByteArray& text, const std::string& folder) {
  std::string out;
  for (const char c : text) {
    if (c == '@') {
      out += folder;
    } else {
      out += c;
    }
  }
  return out;
}

std::string Program(const TempFolder& folder, const std::string& name) {
  const std::string path = folder.Write(name, "#!/bin/sh\n");
  chmod(path.c_str(), 0755);
  return path;
}

// The viewers with fakes around them, and programs in a temporary folder: bin/browser,
// bin/firefox-esr and "My Apps/web browser" (executable), readme.txt (not executable).
struct Fixture {
  Fixture() : viewers(settings, language, desktop, notices, folder / "bin") {
    Program(folder, "bin/browser");
    Program(folder, "bin/firefox-esr");
    Program(folder, "My Apps/web browser");
    folder.Write("readme.txt", "text");
    desktop.environment["PATH"] = "/nonexistent:" + folder / "bin";
    desktop.environment["QUORLEX_TEST_HOME"] = folder.Path();
    language.SetLanguage(kLanguageEnglish);
  }
  std::string Message(int n) { return language.Display(TextTable::Message, n); }

  TempFolder folder;
  ProgramSettings settings;
  UiLanguage language;
  FakeDesktop desktop;
  RecordingNotices notices;
  Viewers viewers;
};

}  // namespace

class ViewersTest : public QObject {
  Q_OBJECT

 private slots:
  void associationsGiveTheProgram_data() {
    QTest::addColumn<QByteArray>("exec");
    QTest::addColumn<QByteArray>("program");  // empty: none found
    QTest::newRow("path") << QByteArray("@/bin/browser") << QByteArray("@/bin/browser");
    QTest::newRow("field code") << QByteArray("@/bin/browser %u") << QByteArray("@/bin/browser");
    QTest::newRow("%1 right after the program")
        << QByteArray("@/bin/browser %1") << QByteArray("@/bin/browser");
    QTest::newRow("quoted path with blanks and options")
        << QByteArray("\"@/My Apps/web browser\" -new-window %U")
        << QByteArray("@/My Apps/web browser");
    QTest::newRow("option with a slash")
        << QByteArray("@/bin/browser /new") << QByteArray("@/bin/browser");
    QTest::newRow("hyphen in the program name")
        << QByteArray("@/bin/firefox-esr --private-window %u") << QByteArray("@/bin/firefox-esr");
    QTest::newRow("name found in PATH")
        << QByteArray("firefox-esr %u") << QByteArray("@/bin/firefox-esr");
    QTest::newRow("environment variable")
        << QByteArray("${QUORLEX_TEST_HOME}/bin/browser %u") << QByteArray("@/bin/browser");
    QTest::newRow("missing program") << QByteArray("@/bin/nothing %u") << QByteArray();
    QTest::newRow("not executable") << QByteArray("@/readme.txt") << QByteArray();
    QTest::newRow("unset variable") << QByteArray("$QUORLEX_UNSET/bin/browser") << QByteArray();
    QTest::newRow("empty Exec") << QByteArray("") << QByteArray();
  }
  void associationsGiveTheProgram() {
    QFETCH(QByteArray, exec);
    QFETCH(QByteArray, program);
    Fixture f;
    f.desktop.Associate("text/html", At(exec, f.folder.Path()));
    TextString found("untouched");
    QCOMPARE(f.viewers.FindAssociatedProgram(".htm", ".html", found), program.isEmpty() ? 0 : 1);
    QCOMPARE(Text(found),
             program.isEmpty() ? std::string("untouched") : At(program, f.folder.Path()));
  }

  void secondExtensionIsAskedWhenTheFirstHasNoProgram() {
    Fixture f;
    f.desktop.Associate("application/msword", f.folder / "bin/browser");
    TextString found;
    QCOMPARE(f.viewers.FindRtfViewer(found), 1);
    QCOMPARE(Text(found), f.folder / "bin/browser");
    QCOMPARE(f.viewers.FindTextViewer(found), 0);
  }

  void aLookupDuringALookupFails() {
    Fixture f;
    f.desktop.Associate("text/plain", f.folder / "bin/browser");
    int nested = -1;
    f.desktop.onQuery = [&] {
      f.desktop.onQuery = nullptr;
      TextString inner;
      nested = f.viewers.FindTextViewer(inner);
    };
    TextString found;
    QCOMPARE(f.viewers.FindTextViewer(found), 1);
    QCOMPARE(nested, 0);
    QCOMPARE(f.viewers.FindTextViewer(found), 1);  // the guard was cleared
  }

  void browserNotFoundIsQuietAndTheStoredOneUsed() {
    Fixture f;
    f.settings.browserCommand = "/opt/stored/browser";
    TextString browser;
    QCOMPARE(f.viewers.DetectBrowser(browser), 0);
    QCOMPARE(Text(browser), std::string("/opt/stored/browser"));
    QVERIFY(f.notices.shown.empty());
  }

  void aMissingBrowserOrViewerNamesWhatToInstall() {
    static const struct {
      const char* name;
      int (*view)(Viewers&);
      const char* text;
    } kCases[] = {
        {"markup result",
         [](Viewers& v) {
           return v.ViewAfterConversion({"/out/", "a.htm", 1, true}, 0, false);
         },
         "ERROR: No web browser found to show the result: install one (firefox-esr, chromium) "
         "or set one in Settings"},
        {"text result",
         [](Viewers& v) {
           return v.ViewAfterConversion({"/out/", "a.txt", 0, true}, 2, false);
         },
         "ERROR: No text viewer found to show /out/a.txt: install one (mousepad, gedit) or set "
         "one in Settings"},
    };
    for (const auto& row : kCases) {
      Fixture f;
      f.settings.autoDdeUpdates = 1;
      QVERIFY2(row.view(f.viewers) == 0 && f.desktop.started.empty(), row.name);
      QCOMPARE(f.notices.shown.size(), size_t{1});
      QCOMPARE(f.notices.shown[0].text, std::string(row.text));
    }
  }

  void fileUrls_data() {
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<bool>("prefix");
    QTest::addColumn<QByteArray>("url");
    QTest::newRow("Windows path with a blank") << QByteArray("C:\\My Docs\\out.htm") << true
                                               << QByteArray("file://localhost/C|/My Docs/out.htm");
    QTest::newRow("absolute path") << QByteArray("/home/ann/My Docs/out.htm") << true
                                   << QByteArray("file://localhost/home/ann/My Docs/out.htm");
    QTest::newRow("colon, hash and question mark in names")
        << QByteArray("/tmp/a:b#1?.htm") << true
        << QByteArray("file://localhost/tmp/a:b%231%3F.htm");
    QTest::newRow("percent sign") << QByteArray("/tmp/100%.htm") << true
                                  << QByteArray("file://localhost/tmp/100%25.htm");
    QTest::newRow("relative path")
        << QByteArray("out/a.htm") << true << QByteArray("file://localhost/out/a.htm");
    QTest::newRow("prefix off") << QByteArray("C:\\My Docs\\out.htm") << false
                                << QByteArray("C:\\My Docs\\out.htm");
  }
  void fileUrls() {
    QFETCH(QByteArray, path);
    QFETCH(bool, prefix);
    QFETCH(QByteArray, url);
    Fixture f;
    f.settings.addUrlPrefix = prefix ? 1 : 0;
    QCOMPARE(Text(f.viewers.MakeFileUrl(TextString(path.constData()))), url.toStdString());
  }

  void browserGetsTheUrlAsOneArgument_data() {
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QStringList>("argv");
    const QString url = QStringLiteral("file://localhost/home/ann/My Docs/out.htm");
    QTest::newRow("program") << QByteArray("@/bin/browser") << QStringList({"@/bin/browser", url});
    QTest::newRow("program with an option") << QByteArray("@/bin/browser --new-window")
                                            << QStringList({"@/bin/browser", "--new-window", url});
    QTest::newRow("path with a blank")
        << QByteArray("@/My Apps/web browser") << QStringList({"@/My Apps/web browser", url});
    QTest::newRow("quoted path with an option")
        << QByteArray("\"@/My Apps/web browser\" -x")
        << QStringList({"@/My Apps/web browser", "-x", url});
  }
  void browserGetsTheUrlAsOneArgument() {
    QFETCH(QByteArray, command);
    QFETCH(QStringList, argv);
    Fixture f;
    const std::string url = "file://localhost/home/ann/My Docs/out.htm";
    QCOMPARE(f.viewers.LaunchBrowser(TextString(url.c_str()),
                                     TextString(At(command, f.folder.Path()).c_str()), 1),
             1);
    Argv expected;
    for (const QString& arg : argv) expected.push_back(At(arg.toUtf8(), f.folder.Path()));
    QCOMPARE(f.desktop.started, std::vector<Argv>({expected}));
    QVERIFY(f.notices.shown.empty());
  }

  void ddeFindsNoConversationAndTheCommandStarts() {
    Fixture f;
    f.settings.useDdeToViewHtml = 1;
    f.settings.ddeServerName = "";
    QCOMPARE(f.viewers.LaunchBrowser("file://localhost/a.htm", "/usr/bin/b", 1), 1);
    QCOMPARE(f.desktop.started.size(), size_t{1});
    QVERIFY(f.notices.shown.empty());
    QCOMPARE(Text(f.settings.ddeWorking), std::string("Yes"));
  }

  void failedStartShowsCommandUrlAndErrorNumber() {
    Fixture f;
    f.desktop.startError = ENOENT;
    QCOMPARE(f.viewers.LaunchBrowser("file://localhost/a b.htm", "/usr/bin/curl", 0), 0);
    QCOMPARE(f.notices.shown.size(), size_t{1});
    QCOMPARE(f.notices.shown[0].caption, std::string("Error launching browser"));
    QCOMPARE(f.notices.shown[0].text,
             std::string("Command \"/usr/bin/curl \"file://localhost/a b.htm\"\" failed.\n\r  "
                         "Error code=2"));
  }

  void nothingToShowStartsNothing() {
    Fixture f;
    QCOMPARE(f.viewers.LaunchBrowser("", "/usr/bin/b", 1), 0);
    QCOMPARE(f.viewers.LaunchFileViewer("", "/usr/bin/v"), 0);
    QVERIFY(f.desktop.started.empty());
    QCOMPARE(f.notices.shown.size(), size_t{2});
    QCOMPARE(f.notices.shown[0].text, f.Message(45));
    QCOMPARE(f.notices.shown[1].text, f.Message(46));
  }

  void fileViewerQuotesTheNameOnlyInItsMessage_data() {
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QByteArray>("shown");
    QTest::newRow("no blank") << QByteArray("/out/a.txt") << QByteArray("/out/a.txt");
    QTest::newRow("blank") << QByteArray("/my out/a.txt") << QByteArray("\"/my out/a.txt\"");
    QTest::newRow("blank and an opening quote")
        << QByteArray("\"/my out/a.txt") << QByteArray("\"/my out/a.txt\"");
    QTest::newRow("blank and a closing quote")
        << QByteArray("/my out/a.txt\"") << QByteArray("\"/my out/a.txt\"");
  }
  void fileViewerQuotesTheNameOnlyInItsMessage() {
    QFETCH(QByteArray, file);
    QFETCH(QByteArray, shown);
    Fixture f;
    f.desktop.startError = EACCES;
    QCOMPARE(f.viewers.LaunchFileViewer(TextString(file.constData()), "/usr/bin/v"), 0);
    QCOMPARE(f.desktop.started, std::vector<Argv>({{"/usr/bin/v", file.toStdString()}}));
    QCOMPARE(f.notices.shown.size(), size_t{1});
    QCOMPARE(f.notices.shown[0].caption, std::string("Error launching viewer"));
    QCOMPARE(f.notices.shown[0].text, "Command \"/usr/bin/v " + shown.toStdString() +
                                          "\" failed.\n\r  Error code=" + std::to_string(EACCES));
  }

  void viewResultsConvertsFirstWhenNothingWasConverted_data() {
    QTest::addColumn<bool>("filesChosen");
    QTest::addColumn<int>("caption");
    QTest::addColumn<int>("text");
    QTest::newRow("files chosen") << true << 13 << 52;
    QTest::newRow("no files chosen") << false << 12 << 26;
  }
  void viewResultsConvertsFirstWhenNothingWasConverted() {
    QFETCH(bool, filesChosen);
    QFETCH(int, caption);
    QFETCH(int, text);
    Fixture f;
    f.desktop.Associate("text/plain", "browser %f");
    ResultToView result{"/out dir/", "", 0, filesChosen};
    int conversions = 0;
    QCOMPARE(f.viewers.ViewResults(result,
                                   [&](ResultToView& r) {
                                     ++conversions;
                                     r.lastOutputFile = "a.txt";
                                   }),
             1);
    QCOMPARE(conversions, 1);
    QCOMPARE(f.notices.shown[0].caption, f.Message(caption));
    QCOMPARE(f.notices.shown[0].text, f.Message(text));
    QCOMPARE(f.desktop.started, std::vector<Argv>({{f.folder / "bin/browser", "/out dir/a.txt"}}));
  }

  void markupResultGoesToTheDetectedBrowser() {
    Fixture f;
    f.desktop.Associate("text/html", "browser %u");
    f.settings.browserCommand = "/usr/bin/configured";
    ResultToView result{"/out/", "a.htm", 1, true};
    QCOMPARE(f.viewers.ViewResults(result, nullptr), 1);
    QCOMPARE(f.desktop.started,
             std::vector<Argv>({{f.folder / "bin/browser", "file://localhost/out/a.htm"}}));
    QCOMPARE(Text(f.settings.browserCommand), std::string("/usr/bin/configured"));
  }

  void viewingAfterAConversion_data() {
    QTest::addColumn<bool>("autoView");
    QTest::addColumn<bool>("dragDropView");
    QTest::addColumn<bool>("startedWithFiles");
    QTest::addColumn<int>("format");
    QTest::addColumn<QStringList>("argv");  // empty: nothing started
    QTest::newRow("text") << true << false << false << 2
                          << QStringList({"@/bin/browser", "/out/a.txt"});
    QTest::newRow("switched off") << false << true << false << 2 << QStringList();
    QTest::newRow("dropped files follow their own switch")
        << false << true << true << 2 << QStringList({"@/bin/browser", "/out/a.txt"});
    QTest::newRow("dropped files, their switch off") << true << false << true << 2 << QStringList();
    QTest::newRow("html") << true << false << false << 0
                          << QStringList({"/usr/bin/b", "file://localhost/out/a.txt"});
    QTest::newRow("rtf") << true << false << false << 1
                         << QStringList({"@/bin/firefox-esr", "/out/a.txt"});
    QTest::newRow("unknown format") << true << false << false << 7 << QStringList();
  }
  void viewingAfterAConversion() {
    QFETCH(bool, autoView);
    QFETCH(bool, dragDropView);
    QFETCH(bool, startedWithFiles);
    QFETCH(int, format);
    QFETCH(QStringList, argv);
    Fixture f;
    f.desktop.Associate("text/plain", "browser %f");
    f.desktop.Associate("application/rtf", "firefox-esr %f");
    f.settings.autoDdeUpdates = autoView ? 1 : 0;
    f.settings.dragDropViewResults = dragDropView ? 1 : 0;
    f.settings.browserCommand = "/usr/bin/b";
    const ResultToView result{"/out/", "a.txt", 0, true};
    QCOMPARE(f.viewers.ViewAfterConversion(result, format, startedWithFiles),
             argv.isEmpty() ? 0 : 1);
    std::vector<Argv> expected;
    if (!argv.isEmpty()) {
      expected.emplace_back();
      for (const QString& arg : argv) expected.back().push_back(At(arg.toUtf8(), f.folder.Path()));
    }
    QCOMPARE(f.desktop.started, expected);
    if (format == 2 && !argv.isEmpty()) {
      QCOMPARE(Text(f.settings.viewTextCommand), f.folder / "bin/browser");  // remembered
    }
  }

  void ddeErrorTexts_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("none") << 0 << QByteArray("");
    QTest::newRow("busy") << 0x4001 << QByteArray("DDE Error: busy");
    QTest::newRow("no conversation")
        << 0x400A << QByteArray("DDE Error: no conversation established");
    QTest::newRow("unknown") << 0x4012 << QByteArray("Unknown DDE Error : 0x4012");
  }
  void ddeErrorTexts() {
    QFETCH(int, code);
    QFETCH(QByteArray, text);
    QCOMPARE(DdeErrorText(code), text.toStdString());
    Fixture f;
    f.viewers.ReportDdeError(code);
    QCOMPARE(f.notices.shown.size(), size_t{code == 0 ? 0u : 1u});
  }

  void userGuideIsFound_data() {
    QTest::addColumn<QByteArray>("doco");
    QTest::addColumn<QByteArray>("installed");  // file created, relative to the folder
    QTest::addColumn<QByteArray>("page");
    QTest::newRow("installed beside the program")
        << QByteArray("") << QByteArray("share/doc/quorlex/quorlex.html")
        << QByteArray("@/bin/../share/doc/quorlex/quorlex.html");
    QTest::newRow("in the program's folder")
        << QByteArray("") << QByteArray("bin/quorlex.html") << QByteArray("@/bin/quorlex.html");
    QTest::newRow("nothing installed") << QByteArray("") << QByteArray("")
                                       << QByteArray("@/bin/../share/doc/quorlex/quorlex.html");
    QTest::newRow("documentation folder")
        << QByteArray("@/docs") << QByteArray("docs/x") << QByteArray("@/docs/quorlex.html");
    QTest::newRow("documentation page")
        << QByteArray("@/guide.html") << QByteArray("") << QByteArray("@/guide.html");
  }
  void userGuideIsFound() {
    QFETCH(QByteArray, doco);
    QFETCH(QByteArray, installed);
    QFETCH(QByteArray, page);
    Fixture f;
    if (!installed.isEmpty()) f.folder.Write(installed.toStdString(), "<html></html>");
    f.settings.htmlDoco = TextString(At(doco, f.folder.Path()).c_str());
    QCOMPARE(Text(f.viewers.LocalDocumentationPath()), At(page, f.folder.Path()));
    f.desktop.Associate("text/html", "browser %u");
    QCOMPARE(f.viewers.OpenLocalDocumentation(), 1);
    QCOMPARE(f.desktop.started.back().back(), "file://localhost" + At(page, f.folder.Path()));
  }

  void programsStartDetachedWithTheirArgumentsWhole() {
    TempFolder folder;
    LinuxDesktop desktop;
    const std::string out = folder / "out";
    QCOMPARE(desktop.StartDetached({"/bin/sh", "-c",
                                    "printf '%s|' \"$@\" > \"$0.tmp\" && mv "
                                    "\"$0.tmp\" \"$0\"",
                                    out, "a b", "\"c\"", "$HOME"}),
             0);
    for (int i = 0; i < 500 && !std::filesystem::exists(out); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    QCOMPARE(TempFolder::ReadFile(out), std::string("a b|\"c\"|$HOME|"));
  }

  void startFailuresGiveTheErrorNumber_data() {
    QTest::addColumn<QByteArray>("program");
    QTest::addColumn<int>("error");
    QTest::newRow("started") << QByteArray("/bin/true") << 0;
    QTest::newRow("found in PATH") << QByteArray("true") << 0;
    QTest::newRow("missing path") << QByteArray("/nonexistent/program") << ENOENT;
    QTest::newRow("missing name") << QByteArray("quorlex-no-such-program") << ENOENT;
    QTest::newRow("not executable") << QByteArray("@/readme.txt") << EACCES;
    QTest::newRow("empty") << QByteArray("") << ENOENT;
  }
  void startFailuresGiveTheErrorNumber() {
    QFETCH(QByteArray, program);
    QFETCH(int, error);
    TempFolder folder;
    folder.Write("readme.txt", "text");
    LinuxDesktop desktop;
    QCOMPARE(desktop.StartDetached({At(program, folder.Path())}), error);
  }
};

QUORLEX_REGISTER_TEST(ViewersTest);

}  // namespace quorlex

#include "ViewersTest.moc"
