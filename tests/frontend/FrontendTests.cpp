// The test program of the front end: runs every registered Qt Test class, or the one named
// by the first argument (as CTest does, one test per class). Without a display it draws
// offscreen.
#include <QApplication>
#include <QtTest>
#include <cstring>

#include "tests/frontend/TestRegistry.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const auto& tests = quorlex::testing::RegisteredTests();
  const char* only = nullptr;
  for (const auto& test : tests) {
    if (argc > 1 && test.name == argv[1]) only = argv[1];
  }
  std::vector<char*> arguments(argv, argv + argc);
  if (only != nullptr) arguments.erase(arguments.begin() + 1);
  int failed = 0;
  for (const auto& test : tests) {
    if (only != nullptr && test.name != only) continue;
    const auto object = test.make();
    failed += QTest::qExec(object.get(), static_cast<int>(arguments.size()), arguments.data());
  }
  return failed == 0 ? 0 : 1;
}
