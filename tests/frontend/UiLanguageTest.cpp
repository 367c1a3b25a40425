#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "frontend/ApplyTexts.h"
#include "frontend/CodePages.h"
#include "frontend/ProgramSettings.h"
#include "frontend/UiLanguage.h"
#include "tests/frontend/Printers.h"
#include "tests/frontend/TestRegistry.h"
#include "tests/support/TempFolder.h"

namespace quorlex {
namespace {

using testing::TempFolder;

std::string Text(const TextString& text) { return std::string(text.View()); }

// Every entry of the four tables, as stored and as shown.
struct Snapshot {
  std::vector<std::string> stored;
  std::vector<std::string> shown;
  bool operator==(const Snapshot&) const = default;
};

Snapshot TakeSnapshot(UiLanguage& language) {
  Snapshot snapshot;
  for (int t = 0; t < kTextTables; ++t) {
    const auto table = static_cast<TextTable>(t);
    for (int n = 0; n < TableSize(table); ++n) {
      snapshot.stored.push_back(Text(language.Text(table, n)));
      snapshot.shown.push_back(language.Display(table, n));
    }
  }
  return snapshot;
}

// The identifiers and texts of a built-in language file, as shipped.
std::map<int, std::string> BuiltInEntries(const QString& file) {
  QFile resource(QStringLiteral(":/languages/") + file);
  if (!resource.open(QIODevice::ReadOnly)) return {};
  std::map<int, std::string> entries;
  for (const QByteArray& line : resource.readAll().split('\n')) {
    int identifier = 0;
    std::string text;
    if (ParseLanguageLine(line.toStdString(), identifier, text)) entries[identifier] = text;
  }
  return entries;
}

}  // namespace

class UiLanguageTest : public QObject {
  Q_OBJECT

 private slots:
  void lookupsOutsideATableGiveQuestionMarks_data() {
    QTest::addColumn<int>("table");
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("dialog -1") << int(TextTable::Dialog) << -1 << QByteArray("???");
    QTest::newRow("dialog 670") << int(TextTable::Dialog) << 670 << QByteArray("???");
    QTest::newRow("tool tip 365") << int(TextTable::ToolTip) << 365 << QByteArray("???");
    QTest::newRow("message 115") << int(TextTable::Message) << 115 << QByteArray("???");
    QTest::newRow("unused message") << int(TextTable::Message) << 2 << QByteArray("");
  }
  void lookupsOutsideATableGiveQuestionMarks() {
    QFETCH(int, table);
    QFETCH(int, index);
    QFETCH(QByteArray, text);
    UiLanguage language;
    language.SetLanguage(kLanguageEnglish);
    QCOMPARE(Text(language.Text(static_cast<TextTable>(table), index)), text.toStdString());
    QCOMPARE(language.Display(static_cast<TextTable>(table), index), text.toStdString());
  }

  // Rows whose numbers other parts of the program and existing language files rely on.
  void englishKeepsTheFixedNumbering_data() {
    QTest::addColumn<int>("table");
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("text");
    const int message = int(TextTable::Message);
    QTest::newRow("message 1") << message << 1 << QByteArray("No file selected");
    QTest::newRow("message 29") << message << 29
                                << QByteArray("Invalid Output Directory.\n\rMust be writable");
    QTest::newRow("message 30") << message << 30 << QByteArray("No files found \"xxxxxx\"");
    QTest::newRow("message 88")
        << message << 88
        << QByteArray("HTML files (*.htm,*.html)|*.htm;*.html|All files (*.*)|*.*|");
    QTest::newRow("message 111") << message << 111 << QByteArray("Convert to text");
    QTest::newRow("dialog 3") << int(TextTable::Dialog) << 3 << QByteArray("About qqqqqqqq");
    QTest::newRow("dialog 585") << int(TextTable::Dialog) << 585 << QByteArray("Quorling options");
    QTest::newRow("menu 59") << int(TextTable::Menu) << 59 << QByteArray("&Quorlex options");
    QTest::newRow("menu 88") << int(TextTable::Menu) << 88 << QByteArray("Other...");
    QTest::newRow("tool tip 3") << int(TextTable::ToolTip) << 3
                                << QByteArray("Select the file(s) you want converted");
  }
  void englishKeepsTheFixedNumbering() {
    QFETCH(int, table);
    QFETCH(int, index);
    QFETCH(QByteArray, text);
    UiLanguage language;
    language.SetLanguage(kLanguageEnglish);
    QCOMPARE(Text(language.Text(static_cast<TextTable>(table), index)), text.toStdString());
  }

  void messagesAndToolTipsLoadEnglishOnFirstLookup() {
    UiLanguage language;
    QCOMPARE(language.Current(), 0);
    QCOMPARE(Text(language.MessageText(26)), std::string("Must choose a file first"));
    QCOMPARE(Text(language.ToolTipText(Control::Convert)), std::string("Start the conversion"));
    QCOMPARE(Text(language.DialogText(19)), std::string());
    QCOMPARE(Text(language.ToolTipText(Control::FilesLabel)), std::string());  // has no tip
  }

  void setLanguageLoadsTheTablesOnceAndStoresTheName() {
    ProgramSettings settings;
    UiLanguage language(&settings);
    QSignalSpy changed(&language, &UiLanguage::LanguageChanged);
    language.SetLanguage(kLanguageRussian);
    language.SetLanguage(kLanguageRussian);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(Text(settings.language), std::string("Russian"));
    QCOMPARE(language.Display(TextTable::Menu, 10), std::string("&Файл"));
    // Stored in Windows-1251, shown in UTF-8.
    QCOMPARE(Text(language.DialogText(19)),
             std::string("\xc8\xf1\xea\xe0\xf2\xfc \xe2\xee \xe2\xeb\xee\xe6\xe5\xed\xed\xfb\xf5 "
                         "\xef\xe0\xef\xea\xe0\xf5"));
    QCOMPARE(language.Display(TextTable::Dialog, 19), std::string("Искать во вложенных папках"));
    language.SetLanguage(kLanguageOther);
    QCOMPARE(Text(settings.language), std::string("Other"));
    QCOMPARE(language.Display(TextTable::Menu, 10), std::string("&Файл"));  // texts kept
    language.SetLanguage(99);  // any other number is English
    QCOMPARE(Text(settings.language), std::string("English"));
    QCOMPARE(language.Display(TextTable::Menu, 10), std::string("&File"));
  }

  void languageNamesAndNumbers_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("number");
    QTest::newRow("Russian in other case") << QByteArray("russian") << 8;
    QTest::newRow("Other") << QByteArray("Other") << -1;
    QTest::newRow("unknown") << QByteArray("Klingon") << 1;
  }
  void languageNamesAndNumbers() {
    QFETCH(QByteArray, name);
    QFETCH(int, number);
    QCOMPARE(LanguageNumberFromName(TextString(name.constData())), number);
  }

  void languageFileLines_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("entry");
    QTest::addColumn<int>("identifier");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("entry") << QByteArray("15026 : New text") << true << 15026
                           << QByteArray("New text");
    QTest::newRow("note after !") << QByteArray("15026 : Text ! a note") << true << 15026
                                  << QByteArray("Text");
    QTest::newRow("blanks and tabs")
        << QByteArray("\t 15026\t:  spaced out \t") << true << 15026 << QByteArray("spaced out");
    QTest::newRow("colon in the text")
        << QByteArray("15001 : a : b") << true << 15001 << QByteArray("a : b");
    QTest::newRow("line breaks") << QByteArray("15029 : one\\n\\rtwo") << true << 15029
                                 << QByteArray("one\n\rtwo");
    QTest::newRow("comment line") << QByteArray("! 15026 : old") << false << 0 << QByteArray();
    QTest::newRow("identifier with letters")
        << QByteArray("12a : text") << false << 0 << QByteArray();
    QTest::newRow("no colon") << QByteArray("15026 text") << false << 0 << QByteArray();
    QTest::newRow("colon only in the comment")
        << QByteArray("15026 ! : text") << false << 0 << QByteArray();
    QTest::newRow("huge identifier") << QByteArray("99999999999 : x") << false << 0 << QByteArray();
  }
  void languageFileLines() {
    QFETCH(QByteArray, line);
    QFETCH(bool, entry);
    QFETCH(int, identifier);
    QFETCH(QByteArray, text);
    int gotIdentifier = 0;
    std::string gotText;
    QCOMPARE(ParseLanguageLine(line.toStdString(), gotIdentifier, gotText), entry);
    if (!entry) return;
    QCOMPARE(gotIdentifier, identifier);
    QCOMPARE(gotText, text.toStdString());
  }

  void identifiersPickTableAndEntry_data() {
    QTest::addColumn<int>("identifier");
    QTest::addColumn<int>("table");  // -1: ignored
    QTest::addColumn<int>("index");
    QTest::newRow("dialog 669") << 669 << int(TextTable::Dialog) << 669;
    QTest::newRow("beyond the dialog table") << 700 << -1 << 0;
    QTest::newRow("first tool tip") << 5000 << int(TextTable::ToolTip) << 0;
    QTest::newRow("beyond the tool tips") << 5400 << -1 << 0;
    QTest::newRow("last message") << 15114 << int(TextTable::Message) << 114;
    QTest::newRow("beyond the messages") << 15115 << -1 << 0;
    QTest::newRow("20000") << 20000 << -1 << 0;
    QTest::newRow("zero") << 0 << -1 << 0;
    QTest::newRow("negative") << -3 << -1 << 0;
  }
  void identifiersPickTableAndEntry() {
    QFETCH(int, identifier);
    QFETCH(int, table);
    QFETCH(int, index);
    TextTable gotTable = TextTable::Dialog;
    int gotIndex = -1;
    QCOMPARE(LocateIdentifier(identifier, gotTable, gotIndex), table >= 0);
    if (table < 0) return;
    QCOMPARE(int(gotTable), table);
    QCOMPARE(gotIndex, index);
  }

  void fileWithOneEntryChangesOnlyThatText() {
    TempFolder folder;
    UiLanguage language;
    language.SetLanguage(kLanguageFrench);
    const TextString before28 = language.MessageText(28);
    QSignalSpy changed(&language, &UiLanguage::LanguageChanged);
    QCOMPARE(language.LoadLanguageFile(folder.Write("one.lng", "15026 : Only this\n").c_str()), 1);
    QCOMPARE(Text(language.MessageText(26)), std::string("Only this"));
    QCOMPARE(Text(language.MessageText(28)), Text(before28));
    QCOMPARE(language.Current(), int(kLanguageOther));
    QCOMPARE(changed.count(), 1);
    // A second file while "Other" is current still reaches the windows.
    QCOMPARE(language.LoadLanguageFile(folder.Write("two.lng", "15026 : Second\n").c_str()), 1);
    QCOMPARE(Text(language.MessageText(26)), std::string("Second"));
    QCOMPARE(changed.count(), 2);
  }

  void badLinesOfALanguageFileAreSkipped() {
    TempFolder folder;
    UiLanguage language;
    language.SetLanguage(kLanguageEnglish);
    const std::string file =
        folder.Write("bad.lng",
                     "abc : x\n20000 : x\n15028 no colon\n700 : x\n5400 : x\n0 : x\n"
                     "15001 : Kept ! a note\r\n" +
                         std::string(5000, 'y') + "\n10011 : after a long line\n");
    QCOMPARE(language.LoadLanguageFile(file.c_str()), 1);
    QCOMPARE(Text(language.MessageText(1)), std::string("Kept"));
    QCOMPARE(Text(language.MessageText(28)), std::string("Invalid Input Directory"));
    QCOMPARE(Text(language.MenuText(11)), std::string("after a long line"));
  }

  void unusableFileChangesNothing_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("missing") << "missing.lng" << QByteArray();
    QTest::newRow("folder") << "folder" << QByteArray();
    QTest::newRow("empty") << "empty.lng" << QByteArray("");
    QTest::newRow("only comments") << "notes.lng" << QByteArray("! 15026 : no\n\n   ! x\n");
    QTest::newRow("no entry of the tables") << "far.lng" << QByteArray("20000 : x\n0 : y\n");
    QTest::newRow("another kind of file") << "page.lng" << QByteArray("<html><p>Hi</p>\n");
  }
  void unusableFileChangesNothing() {
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    TempFolder folder;
    std::filesystem::create_directory(folder / "folder");
    if (!content.isNull()) folder.Write(name.toStdString(), content.toStdString());
    ProgramSettings settings;
    UiLanguage language(&settings);
    language.SetLanguage(kLanguageSwedish);
    const Snapshot before = TakeSnapshot(language);
    QSignalSpy changes(&language, &UiLanguage::LanguageChanged);
    QCOMPARE(language.LoadLanguageFile((folder / name.toStdString()).c_str()), 0);
    QCOMPARE(language.Current(), int(kLanguageSwedish));
    QCOMPARE(Text(settings.language), std::string("Swedish"));
    QCOMPARE(changes.count(), 0);
    QVERIFY(TakeSnapshot(language) == before);
  }

  void arbitraryBytesNeverBreakTheReader() {
    TempFolder folder;
    const std::string alphabet = "0123456789 :!\\nr\n\r\t+-\xc3\xa9\xe9\xff\x80";
    std::mt19937 random(11);
    for (int round = 0; round < 40; ++round) {
      std::string bytes;
      for (int i = 0; i < 600; ++i) bytes += alphabet[random() % alphabet.size()];
      UiLanguage language;
      language.SetLanguage(kLanguageRussian);
      (void)language.LoadLanguageFile(folder.Write("random.lng", bytes).c_str());
      for (int t = 0; t < kTextTables; ++t) {
        for (int n = 0; n < TableSize(static_cast<TextTable>(t)); ++n) {
          QVERIFY(IsValidUtf8(language.Display(static_cast<TextTable>(t), n)));
        }
      }
    }
  }

  void exportThenImportGivesTheSameTexts_data() {
    QTest::addColumn<int>("number");
    for (int number = kLanguageEnglish; number <= kLanguageRussian; ++number) {
      QTest::newRow(LanguageName(number)) << number;
    }
  }
  void exportThenImportGivesTheSameTexts() {
    QFETCH(int, number);
    TempFolder folder;
    UiLanguage language;
    language.SetLanguage(number);
    const Snapshot exported = TakeSnapshot(language);
    const std::string path = folder / "exported.lng";
    QCOMPARE(language.ExportLanguageFile(path.c_str()), 1);
    language.SetLanguage(number == kLanguageEnglish ? kLanguageSwedish : kLanguageEnglish);
    // Loading over fresh tables of the same language must give exactly the exported texts.
    UiLanguage reloaded;
    QCOMPARE(reloaded.LoadLanguageFile(path.c_str()), 1);
    QCOMPARE(reloaded.Current(), int(kLanguageOther));
    QVERIFY(TakeSnapshot(reloaded) == exported);
    const std::string written = folder.Read("exported.lng");
    QVERIFY(written.starts_with("!\n!- About box\n3 : "));
    QVERIFY(written.find("\n!- Status Dialog\n188 : ") != std::string::npos);
    QVERIFY(written.find("!= Data Values") != std::string::npos);
  }

  void everyLanguageTranslatesEveryText_data() {
    QTest::addColumn<QString>("file");
    for (const char* file : {"german.lng", "spanish.lng", "french.lng", "portuguese.lng",
                             "italian.lng", "swedish.lng", "russian.lng"}) {
      QTest::newRow(file) << QString::fromLatin1(file);
    }
  }
  void everyLanguageTranslatesEveryText() {
    QFETCH(QString, file);
    const std::map<int, std::string> english = BuiltInEntries(QStringLiteral("english.lng"));
    const std::map<int, std::string> translated = BuiltInEntries(file);
    QVERIFY(english.size() > 300);
    for (const auto& [identifier, text] : english) {
      const auto found = translated.find(identifier);
      QVERIFY2(found != translated.end() && !found->second.empty(),
               qPrintable(QString::number(identifier)));
      for (const char* placeholder : {"qqqqqqqq", "xxxxxx", "ffffff", "nnn", "ccc url", "\n\r"}) {
        QVERIFY2((text.find(placeholder) == std::string::npos) ==
                     (found->second.find(placeholder) == std::string::npos),
                 qPrintable(QString::number(identifier) + QStringLiteral(" ") +
                            QString::fromLatin1(placeholder)));
      }
    }
    QCOMPARE(translated.size(), english.size());
  }

  void placeholdersAreFilledInOnePass() {
    UiLanguage language;
    QCOMPARE(
        FillPlaceholders(
            language.Display(TextTable::Message, 47),
            {{"ccc", "/usr/bin/curl-nnn"}, {"url", "\"file://localhost/a b.htm\""}, {"nnn", "2"}}),
        std::string("Command \"/usr/bin/curl-nnn \"file://localhost/a b.htm\"\" failed.\n\r  "
                    "Error code=2"));
  }

  void productNameStandsForItsPlaceholder() {
    UiLanguage language;
    language.SetLanguage(kLanguageSpanish);
    QCOMPARE(language.Display(TextTable::Dialog, 3), std::string("Acerca de Quorlex"));
    QCOMPARE(Text(language.DialogText(3)), std::string("Acerca de qqqqqqqq"));
  }

  void runTextsFollowTheLanguage() {
    UiLanguage language;
    language.SetLanguage(kLanguageGerman);
    const RunTexts texts = language.MakeRunTexts();
    QCOMPARE(texts.conversionComplete,
             std::string("%%%%%%%%%%%%%%%%%%% Umwandlung abgeschlossen %%%%%%%%%%%%%%%%%%"));
    QCOMPARE(texts.openingInstead, std::string("    Öffne stattdessen ffffff"));
    QCOMPARE(texts.generatingLog, std::string("Erstelle Protokolldatei "));
    language.SetLanguage(kLanguageEnglish);
    const RunTexts english = language.MakeRunTexts();
    const RunTexts builtIn;
    QCOMPARE(english.conversionComplete, builtIn.conversionComplete);
    QCOMPARE(english.failedToOpenLog, builtIn.failedToOpenLog);
    QCOMPARE(english.openingInstead, builtIn.openingInstead);
    QCOMPARE(english.generatingLog, builtIn.generatingLog);
  }

  void dialogTextsAndToolTipsReachTheControls() {
    UiLanguage language;
    language.SetLanguage(kLanguageEnglish);
    QWidget window;
    auto* convert = new QPushButton(&window);
    SetControlId(convert, Control::Convert);
    auto* browse = new QPushButton(&window);
    SetControlId(browse, Control::FilesBrowse);
    ApplyDialogTexts(&window, DialogTemplate::Main, language);
    ApplyToolTips(&window, language, true);
    QCOMPARE(convert->text(), QStringLiteral("Convert File(s)..."));
    QCOMPARE(convert->toolTip(), QStringLiteral("Start the conversion"));
    QCOMPARE(browse->toolTip(), QStringLiteral("Select the file(s) you want converted"));
    language.SetLanguage(kLanguageFrench);
    ApplyDialogTexts(&window, DialogTemplate::Main, language);
    ApplyToolTips(&window, language, false);
    QCOMPARE(convert->text(), QStringLiteral("Convertir le(s) fichier(s)..."));
    QCOMPARE(convert->toolTip(), QString());
  }

  void menuTextsFollowCommandsAndPositions() {
    UiLanguage language;
    language.SetLanguage(kLanguageEnglish);
    QMenuBar bar;
    BuildMenuBar(&bar);
    ApplyMenuTexts(&bar, language);
    QStringList top;
    for (QAction* action : bar.actions()) {
      if (!action->isSeparator()) top.append(action->text());
    }
    QCOMPARE(top, QStringList({"&File", "&Conversion options", "&Settings", "&Language", "&View",
                               "&Help"}));
    QMenu* options = bar.actions()[1]->menu();
    QCOMPARE(options->actions()[0]->text(), QStringLiteral("&Markup manipulation"));
    QCOMPARE(options->actions()[0]->menu()->actions()[0]->text(),
             QStringLiteral("&Quorlex options"));
    QVERIFY(bar.actions()[bar.actions().size() - 2]->isSeparator());  // Help at the right end

    // The window takes German and Portuguese out of the language menu; the texts still land.
    QMenu* languages = bar.actions()[3]->menu();
    for (QAction* action : languages->actions()) {
      const int command = action->property(kCommandProperty).toInt();
      if (command == int(Command::LanguageGerman) || command == int(Command::LanguagePortuguese)) {
        languages->removeAction(action);
      }
    }
    language.SetLanguage(kLanguageRussian);
    ApplyMenuTexts(&bar, language);
    QCOMPARE(bar.actions()[0]->text(), QStringLiteral("&Файл"));
    QCOMPARE(options->actions()[1]->text(), QStringLiteral("&Преобразование в текст"));
    QCOMPARE(languages->actions()[0]->text(), QStringLiteral("English"));
    QCOMPARE(languages->actions()[5]->text(), QStringLiteral("Русский"));

    UpdateLanguageMenu(&bar, kLanguageRussian);
    QStringList checked;
    for (QAction* action : languages->actions()) {
      if (action->isChecked()) checked.append(action->text());
    }
    QCOMPARE(checked, QStringList({"Русский"}));
    UpdateLanguageMenu(&bar, kLanguageOther);
    QVERIFY(languages->actions().back()->isChecked());  // Use language "skin"...
    QVERIFY(!languages->actions()[5]->isChecked());
  }

  void fileFiltersForQtDialogs_data() {
    QTest::addColumn<int>("message");
    QTest::addColumn<QString>("filter");
    QTest::newRow("log files") << 91
                               << QStringLiteral("Log files (*.log) (*.log);;All files (*.*) (*)");
    QTest::newRow("html files")
        << 88 << QStringLiteral("HTML files (*.htm,*.html) (*.htm *.html);;All files (*.*) (*)");
  }
  void fileFiltersForQtDialogs() {
    QFETCH(int, message);
    QFETCH(QString, filter);
    UiLanguage language;
    QCOMPARE(FileDialogFilter(language.Display(TextTable::Message, message)), filter);
  }
};

QUORLEX_REGISTER_TEST(UiLanguageTest);

}  // namespace quorlex

#include "UiLanguageTest.moc"
