#include <QCheckBox>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QtTest>
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "foundation/RunLog.h"
#include "frontend/ProgramSettings.h"
#include "frontend/StatusWindow.h"
#include "frontend/UiIds.h"
#include "frontend/UiLanguage.h"
#include "tests/frontend/Printers.h"
#include "tests/frontend/TestRegistry.h"
#include "tests/support/TempFolder.h"

namespace quorlex {
namespace {

using testing::TempFolder;

std::string Text(const TextString& text) { return std::string(text.View()); }

template <typename Widget>
Widget* ControlOf(QWidget& window, Control control) {
  for (Widget* child : window.findChildren<Widget*>()) {
    if (child->property(kControlProperty).toInt() == static_cast<int>(control)) return child;
  }
  return nullptr;
}

// A status window with its own settings and language (English).
struct Fixture {
  Fixture() : window(settings, language) {}
  ProgramSettings settings;
  UiLanguage language{nullptr};
  StatusWindow window;

  QStringList Shown() {
    return ControlOf<QPlainTextEdit>(window, Control::StatusMessages)
        ->toPlainText()
        .split(QLatin1Char('\n'));
  }
  std::vector<std::string> Lines() {
    std::vector<std::string> lines;
    for (const TextString& line : window.Lines()) lines.push_back(Text(line));
    return lines;
  }
};

}  // namespace

class StatusWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void messagesAreSplitIntoLines_data() {
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("two line feeds")
        << QByteArray("one\ntwo\nthree") << QStringList({"one", "two", "three"});
    QTest::newRow("line feed at the end") << QByteArray("one\n") << QStringList({"one"});
    QTest::newRow("empty line inside") << QByteArray("a\n\nb") << QStringList({"a", "", "b"});
    QTest::newRow("empty message") << QByteArray("") << QStringList({""});
    QTest::newRow("line feed alone") << QByteArray("\n") << QStringList({""});
  }
  void messagesAreSplitIntoLines() {
    QFETCH(QByteArray, message);
    QFETCH(QStringList, lines);
    Fixture f;
    f.window.AppendMessage(message.constData());
    std::vector<std::string> expected;
    std::string text;
    for (const QString& line : lines) {
      expected.push_back(line.toStdString());
      text += line.toStdString() + "\r\r\n";
    }
    QCOMPARE(f.Lines(), expected);
    QCOMPARE(Text(f.window.Text()), text);
    QCOMPARE(f.Shown(), lines);
    QCOMPARE(f.window.LineCount(), 1);  // one block per message
  }

  // A run's lines arrive in batches: the window must end as if they came one at a time,
  // also when a batch carries the text past its limit.
  void batchesShowWhatSingleMessagesShow_data() {
    QTest::addColumn<int>("batch");
    QTest::newRow("one at a time") << 1;
    QTest::newRow("batches of 7") << 7;
    QTest::newRow("one batch") << 1000;
  }
  void batchesShowWhatSingleMessagesShow() {
    QFETCH(int, batch);
    Fixture single;
    Fixture batched;
    std::vector<std::string> pending;
    for (int i = 0; i < 700; ++i) {
      const std::string message = "line " + std::to_string(i) + (i % 5 == 0 ? "\nmore" : "");
      single.window.AppendMessage(message.c_str());
      pending.push_back(message);
      if (static_cast<int>(pending.size()) == batch || i == 699) {
        batched.window.AppendMessages(std::exchange(pending, {}));
      }
    }
    QCOMPARE(batched.Lines(), single.Lines());
    QCOMPARE(Text(batched.window.Text()), Text(single.window.Text()));
    QCOMPARE(batched.window.LineCount(), single.window.LineCount());
    QCOMPARE(batched.Shown(), single.Shown());
  }

  void messagesInOtherCodePagesShowReadably() {
    Fixture f;
    f.window.AppendMessage("UTF-8: \xc3\xa9t\xc3\xa9");
    f.window.AppendMessage("Windows-1252: \xe9t\xe9 \x93quoted\x94");
    QCOMPARE(f.Shown(), QStringList({"UTF-8: été", "Windows-1252: été “quoted”"}));
    QCOMPARE(Text(f.window.Lines()[1]), std::string("Windows-1252: \xe9t\xe9 \x93quoted\x94"));
  }

  void longTextKeepsTheLastFiftyLinesOnScreen() {
    Fixture f;
    // 317 lines of 60 characters and one of 25 make a text of exactly 19999 characters.
    for (int i = 0; i < 317; ++i) {
      f.window.AppendMessage(QByteArray::number(i).leftJustified(60, '.').constData());
    }
    f.window.AppendMessage(std::string(25, 'x').c_str());
    QCOMPARE(f.window.Text().Length(), 19999);
    f.window.AppendMessage("not yet cut");  // 19999 is not more than 19999
    QCOMPARE(f.Shown().size(), 319);
    f.window.AppendMessage("first line of the cut text\nsecond");
    QCOMPARE(f.window.Lines().size(), size_t{321});
    QCOMPARE(f.window.LineCount(), 50);
    const QStringList shown = f.Shown();
    QCOMPARE(shown.size(), 50);
    QCOMPARE(shown.back(), QStringLiteral("second"));
    QCOMPARE(shown.front().toStdString(), Text(f.window.Lines()[321 - 50]));
    std::string text;
    for (size_t i = 321 - 50; i < 321; ++i) text += Text(f.window.Lines()[i]) + "\r\r\n";
    QCOMPARE(Text(f.window.Text()), text);

    // Save still writes every line received.
    TempFolder folder;
    QCOMPARE(f.window.SaveToFile(TextString((folder / "all.log").c_str())), 1);
    const std::string saved = folder.Read("all.log");
    QCOMPARE(static_cast<int>(std::count(saved.begin(), saved.end(), '\n')), 321);
    QVERIFY(saved.starts_with("0..........."));
    QVERIFY(saved.ends_with("not yet cut\nfirst line of the cut text\nsecond\n"));
  }

  void saveNamesTheFile_data() {
    QTest::addColumn<QByteArray>("chosen");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("no full stop") << QByteArray("messages") << QByteArray("messages.log");
    QTest::newRow("own extension") << QByteArray("messages.txt") << QByteArray("messages.txt");
    QTest::newRow("full stop only in the folder")
        << QByteArray("run.1/messages") << QByteArray("run.1/messages.log");
    QTest::newRow("ends with a full stop") << QByteArray("messages.") << QByteArray("messages.");
  }
  void saveNamesTheFile() {
    QFETCH(QByteArray, chosen);
    QFETCH(QByteArray, written);
    Fixture f;
    f.window.AppendMessage("one\ntwo");
    TempFolder folder;
    folder.Write("run.1/other", "");
    QCOMPARE(f.window.SaveToFile(TextString((folder / chosen.toStdString()).c_str())), 1);
    QCOMPARE(folder.Read(written.toStdString()), std::string("one\ntwo\n"));
  }

  void saveOverwritesAndFailsQuietly() {
    Fixture f;
    f.window.AppendMessage("new");
    TempFolder folder;
    const std::string path = folder.Write("old.log", "old contents\n");
    QCOMPARE(f.window.SaveToFile(TextString(path.c_str())), 1);
    QCOMPARE(folder.Read("old.log"), std::string("new\n"));
    QCOMPARE(f.window.SaveToFile(TextString((folder / "missing/x.log").c_str())), 0);
  }

  void defaultSaveName_data() {
    QTest::addColumn<QByteArray>("firstOutput");
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("text output") << QByteArray("/out/a.txt") << QByteArray("/out/a.log");
    QTest::newRow("no extension") << QByteArray("/out/readme") << QByteArray("/out/readme.log");
    QTest::newRow("nothing converted yet") << QByteArray("") << QByteArray(".log");
  }
  void defaultSaveName() {
    QFETCH(QByteArray, firstOutput);
    QFETCH(QByteArray, name);
    Fixture f;
    f.window.SetFirstOutputPath(TextString(firstOutput.constData()));
    QCOMPARE(Text(f.window.DefaultSaveName()), name.toStdString());
  }

  void clearForgetsEverything() {
    Fixture f;
    f.window.AppendMessage("a\nb");
    f.window.Clear();
    QVERIFY(f.window.Lines().empty());
    QCOMPARE(f.window.Text().Length(), 0);
    QCOMPARE(f.window.LineCount(), 0);
    QCOMPARE(f.Shown(), QStringList({""}));
  }

  void opensLowerRightAndRemembersWhereItWasClosed() {
    Fixture f;
    const QRect desktop = QGuiApplication::primaryScreen()->availableGeometry();
    f.window.show();
    const QRect frame = f.window.frameGeometry();
    QCOMPARE(frame.topLeft(), QPoint(desktop.right() + 1 - frame.width() - 30,
                                     desktop.bottom() + 1 - frame.height() - 30));
    f.window.move(40, 50);
    ControlOf<QPushButton>(f.window, Control::StatusClose)->click();
    QVERIFY(!f.window.isVisible());
    QCOMPARE(QPoint(f.settings.statusWindow.left, f.settings.statusWindow.top), QPoint(40, 50));
    f.window.show();
    QCOMPARE(f.window.pos(), QPoint(40, 50));
    f.window.close();  // closing by the frame stores the position too
    QVERIFY(!f.window.isVisible());
    QCOMPARE(QPoint(f.settings.statusWindow.left, f.settings.statusWindow.top), QPoint(40, 50));
  }

  void positionOffEveryScreenIsNotUsed() {
    Fixture f;
    f.settings.statusWindow = {100000, 100000};
    f.window.show();
    const QRect desktop = QGuiApplication::primaryScreen()->availableGeometry();
    QVERIFY(desktop.contains(f.window.frameGeometry()));
  }

  void autoCloseBoxIsTheSetting() {
    Fixture f;
    auto* box = ControlOf<QCheckBox>(f.window, Control::StatusAutoClose);
    box->click();
    QCOMPARE(f.settings.autoDismissStatusDialog, 1);
    box->click();
    QCOMPARE(f.settings.autoDismissStatusDialog, 0);
    f.settings.autoDismissStatusDialog = 1;
    f.window.show();
    QVERIFY(box->isChecked());
  }

  void textsFollowTheLanguage() {
    Fixture f;
    f.language.SetLanguage(kLanguageEnglish);
    auto* save = ControlOf<QPushButton>(f.window, Control::StatusSave);
    QCOMPARE(save->text(), QStringLiteral("Save to file"));
    QCOMPARE(ControlOf<QCheckBox>(f.window, Control::StatusAutoClose)->text(),
             QStringLiteral("Close automatically on completion"));
    f.language.SetLanguage(kLanguageSwedish);
    QCOMPARE(save->text(), QStringLiteral("Spara till fil"));
    QCOMPARE(f.window.windowTitle(), QStringLiteral("Meddelanden från konverteringen"));
    QCOMPARE(save->toolTip(), QStringLiteral("Spara alla meddelanden i en loggfil"));
  }

  void showsWhatARunReports() {
    Fixture f;
    RunLog log;
    log.Configure(MessageSettings());
    f.window.Attach(log.Channel());
    log.AnnounceFile("/in/a.htm", "");
    log.Message("WARNING: unclosed <b>", 10);
    log.Message("INFO: chatty detail", 4);  // below the reporting level: not on screen
    log.AnnounceCompletion();
    QCOMPARE(f.Lines(),
             std::vector<std::string>(
                 {std::string(50, '%'), "Processing : \"a.htm\"", "WARNING: unclosed <b>",
                  "%%%%%%%%%%%%%%%%%%% Conversion complete %%%%%%%%%%%%%%%%%%"}));
  }
};

QUORLEX_REGISTER_TEST(StatusWindowTest);

}  // namespace quorlex

#include "StatusWindowTest.moc"
