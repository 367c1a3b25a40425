#include <QtTest>
#include <algorithm>

#include "frontend/DesktopProgram.h"
#include "tests/frontend/TestRegistry.h"

namespace quorlex {

class DesktopProgramTest : public QObject {
  Q_OBJECT

 private slots:
  // The window icon has an image of each installed size, each drawn at that size.
  void iconHasEveryPngSize() {
    const QIcon icon = ProgramIcon();
    const QList<QSize> expected = {{16, 16}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}};
    QList<QSize> sizes = icon.availableSizes();
    std::sort(sizes.begin(), sizes.end(),
              [](const QSize& a, const QSize& b) { return a.width() < b.width(); });
    QCOMPARE(sizes, expected);
    for (const QSize& size : expected) {
      QCOMPARE(icon.pixmap(size).size(), size);
      QVERIFY(!icon.pixmap(size).toImage().isNull());
    }
  }

  // A start with files whose window stayed closed ends unless the clipboard holds its text
  // or a later start opened its window.
  void startWithFilesEndsUnlessItHoldsTheClipboard_data() {
    QTest::addColumn<int>("outputDestination");
    QTest::addColumn<bool>("ownsClipboard");
    QTest::addColumn<bool>("windowShown");
    QTest::addColumn<bool>("ends");
    QTest::newRow("output to files") << 0 << false << false << true;
    QTest::newRow("output to files, clipboard of an earlier run") << 0 << true << false << true;
    QTest::newRow("clipboard held") << 2 << true << false << false;
    QTest::newRow("clipboard taken by another program") << 2 << false << false << true;
    QTest::newRow("window opened by a later start") << 2 << false << true << false;
  }
  void startWithFilesEndsUnlessItHoldsTheClipboard() {
    QFETCH(int, outputDestination);
    QFETCH(bool, ownsClipboard);
    QFETCH(bool, windowShown);
    QFETCH(bool, ends);
    QCOMPARE(StartWithFilesEnds(outputDestination, ownsClipboard, windowShown), ends);
  }
};

QUORLEX_REGISTER_TEST(DesktopProgramTest);

}  // namespace quorlex

#include "DesktopProgramTest.moc"
