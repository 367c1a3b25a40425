#include "frontend/DesktopProgram.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "control/Arguments.h"
#include "foundation/Version.h"
#include "frontend/Desktop.h"
#include "frontend/MainWindow.h"
#include "frontend/Prompts.h"
#include "frontend/SettingsStore.h"
#include "frontend/SingleInstance.h"

namespace quorlex {
namespace {

// A file named on the command line, as a full path (the shell gives names relative to the
// current folder).
TextString FullPath(const TextString& spec) {
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(std::string(spec.View()), error);
  return error ? spec : TextString(full.lexically_normal().c_str());
}

std::vector<TextString> StartFiles(const Arguments& arguments) {
  std::vector<TextString> files;
  for (const TextString& spec : arguments.fileSpecs) {
    if (!spec.IsEmpty() && spec.View() != " ") files.push_back(FullPath(spec));
  }
  return files;
}

// The files of a later start: the window comes to the front and converts them as dropped.
void TakeHandedFiles(MainWindow& window, const std::vector<TextString>& files) {
  window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
  window.show();
  window.raise();
  window.activateWindow();
  window.DropFiles(files);
}

// After a start with files whose window stayed closed: runs on until StartWithFilesEnds.
int RunWhileClipboardHeld(const MainWindow& window) {
  const QClipboard* clipboard = QGuiApplication::clipboard();
  const auto ends = [&window, clipboard] {
    return StartWithFilesEnds(window.OutputDestination(), clipboard->ownsClipboard(),
                              window.isVisible());
  };
  if (ends()) return 0;
  QObject::connect(clipboard, &QClipboard::dataChanged, &window, [ends] {
    if (ends()) QCoreApplication::quit();
  });
  return QApplication::exec();
}

}  // namespace

QIcon ProgramIcon() {
  QIcon icon;
  // Each file is read for its size.
  const QDir folder(QStringLiteral(":/icons"));
  for (const QString& name : folder.entryList(QDir::Files)) icon.addFile(folder.filePath(name));
  return icon;
}

bool StartWithFilesEnds(int outputDestination, bool ownsClipboard, bool windowShown) {
  return !windowShown && !(outputDestination == 2 && ownsClipboard);
}

int RunDesktopProgram(int argc, char** argv) {
  std::vector<TextString> words;
  for (int i = 1; i < argc; ++i) words.emplace_back(argv[i]);
  const Arguments arguments = ClassifyArguments(words);
  if (arguments.version) {
    std::printf("quorlex (%s) %s\n", kProgramName, kProgramVersion);
    return 0;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("quorlex"));
  QApplication::setDesktopFileName(QStringLiteral("quorlex"));
  QApplication::setWindowIcon(ProgramIcon());
  const std::vector<TextString> files = StartFiles(arguments);
  const std::string settingsPath = DefaultSettingsPath();
  SingleInstance instance(InstanceName(settingsPath));
  if (instance.HandOver(files)) return 0;
  instance.Listen();

  LinuxDesktop desktop;
  QtPrompts prompts;
  SettingsStore store(settingsPath);
  MainWindow window(store, desktop, prompts, QApplication::applicationDirPath().toStdString());
  prompts.SetParent(&window);
  window.TakeCommandLine(arguments);
  instance.TakeFilesWith(
      [&window](const std::vector<TextString>& handed) { TakeHandedFiles(window, handed); });
  if (files.empty()) {
    window.WarnAboutDde();
  } else if (!window.ConvertStartFiles(files)) {
    return RunWhileClipboardHeld(window);
  }
  window.show();
  return QApplication::exec();
}

}  // namespace quorlex
