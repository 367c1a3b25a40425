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
  void startWithFilesEndsUnlessItHoldsTheClipboard() {
    static const struct {
      const char* name;
      int destination;
      bool owns, shown, ends;
    } kCases[] = {{"output to files", 0, true, false, true},
                  {"clipboard held", 2, true, false, false},
                  {"clipboard taken by another program", 2, false, false, true},
                  {"window opened by a later start", 2, false, true, false}};
    for (const auto& c : kCases) {
      QVERIFY2(StartWithFilesEnds(c.destination, c.owns, c.shown) == c.ends, c.name);
    }
  }
};

QUORLEX_REGISTER_TEST(DesktopProgramTest);

}  // namespace quorlex

#include "DesktopProgramTest.moc"
