#include "frontend/DesktopProgram.h"

#include <QApplication>
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

namespace quorlex {
namespace {

// A file named on the command line, as a full path (the shell gives names relative to the
// current folder).
TextString FullPath(const TextString& spec) {
  std::error_code error;
  const std::filesystem::path full = std::filesystem::absolute(std::string(spec.View()), error);
  return error ? spec : TextString(full.lexically_normal().c_str());
}

}  // namespace

QIcon ProgramIcon() {
  QIcon icon;
  // Each file is read for its size.
  const QDir folder(QStringLiteral(":/icons"));
  for (const QString& name : folder.entryList(QDir::Files)) icon.addFile(folder.filePath(name));
  return icon;
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
  LinuxDesktop desktop;
  QtPrompts prompts;
  SettingsStore store(DefaultSettingsPath());
  MainWindow window(store, desktop, prompts, QApplication::applicationDirPath().toStdString());
  prompts.SetParent(&window);
  window.TakeCommandLine(arguments);

  std::vector<TextString> files;
  for (const TextString& spec : arguments.fileSpecs) {
    if (!spec.IsEmpty() && spec.View() != " ") files.push_back(FullPath(spec));
  }
  if (files.empty()) {
    window.WarnAboutDde();
  } else if (!window.ConvertStartFiles(files)) {
    return 0;
  }
  window.show();
  return QApplication::exec();
}

}  // namespace quorlex
