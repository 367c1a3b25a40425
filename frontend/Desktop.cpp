#include "frontend/Desktop.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QProcess>
#include <QStandardPaths>
#include <cerrno>
#include <cstdlib>
#include <fstream>

extern char** environ;

namespace quorlex {
namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// The Exec value of the [Desktop Entry] group of a desktop file, or empty.
std::string ReadExec(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  bool inEntry = false;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.starts_with('[')) {
      inEntry = line == "[Desktop Entry]";
      continue;
    }
    if (!inEntry || !line.starts_with("Exec")) continue;
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    std::string key = line.substr(0, equals);
    while (!key.empty() && key.back() == ' ') key.pop_back();
    if (key != "Exec") continue;  // not a localised or other key beginning with "Exec"
    size_t start = equals + 1;
    while (start < line.size() && line[start] == ' ') ++start;
    return line.substr(start);
  }
  return std::string();
}

// Starts `path` (an executable found beforehand) with `argv` in a grandchild process, so
// that the program is never a child left for this process to wait for. The intermediate
// child ends at once; the grandchild reports a failed exec through a pipe that closes on a
// successful one. Between fork and exec only async-signal-safe calls are made.
int SpawnDetached(const std::string& path, const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return errno;
  const pid_t child = fork();
  if (child < 0) {
    const int error = errno;
    close(report[0]);
    close(report[1]);
    return error;
  }
  if (child == 0) {
    close(report[0]);
    setsid();
    const pid_t grandchild = fork();
    if (grandchild == 0) {
      execve(path.c_str(), args.data(), environ);
      const int error = errno;
      (void)!write(report[1], &error, sizeof error);
      _exit(127);
    }
    if (grandchild < 0) {
      const int error = errno;
      (void)!write(report[1], &error, sizeof error);
    }
    _exit(0);
  }
  close(report[1]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int error = 0;
  ssize_t got = 0;
  do {
    got = read(report[0], &error, sizeof error);
  } while (got < 0 && errno == EINTR);
  close(report[0]);
  return got == static_cast<ssize_t>(sizeof error) ? error : 0;
}

}  // namespace

std::string FindProgram(const std::string& name, const std::string& searchPath) {
  if (name.empty()) return std::string();
  if (name.find('/') != std::string::npos) return IsExecutableFile(name) ? name : std::string();
  size_t start = 0;
  while (start <= searchPath.size()) {
    size_t end = searchPath.find(':', start);
    if (end == std::string::npos) end = searchPath.size();
    std::string candidate = end > start ? searchPath.substr(start, end - start) : ".";
    candidate.append("/").append(name);
    if (IsExecutableFile(candidate)) return candidate;
    start = end + 1;
  }
  return std::string();
}

std::string LinuxDesktop::DefaultApplication(const std::string& mimeType) {
  if (QStandardPaths::findExecutable(QStringLiteral("xdg-mime")).isEmpty()) return std::string();
  QProcess query;
  query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"),
                                           QString::fromStdString(mimeType)});
  if (!query.waitForFinished(5000)) {
    query.kill();
    query.waitForFinished(1000);
    return std::string();
  }
  return QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed().toStdString();
}

std::string LinuxDesktop::DesktopEntryExec(const std::string& desktopFile) {
  if (desktopFile.empty() || desktopFile.find('/') != std::string::npos) return std::string();
  // A desktop file id "vendor-app.desktop" may also live as "vendor/app.desktop".
  std::vector<std::string> names = {desktopFile};
  const size_t dash = desktopFile.find('-');
  if (dash != std::string::npos) {
    std::string nested = desktopFile;
    nested[dash] = '/';
    names.push_back(nested);
  }
  const QStringList folders =
      QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
  for (const QString& folder : folders) {
    for (const std::string& name : names) {
      const std::string path = folder.toStdString() + "/" + name;
      struct stat info {};
      if (stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return ReadExec(path);
    }
  }
  return std::string();
}

std::string LinuxDesktop::Environment(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value != nullptr ? value : "";
}

int LinuxDesktop::StartDetached(const std::vector<std::string>& argv) {
  if (argv.empty() || argv[0].empty()) return ENOENT;
  const std::string path = FindProgram(argv[0], Environment("PATH"));
  if (path.empty()) {
    // Tell a missing program from one that may not be run.
    struct stat info {};
    const bool exists = argv[0].find('/') != std::string::npos && stat(argv[0].c_str(), &info) == 0;
    return exists ? EACCES : ENOENT;
  }
  return SpawnDetached(path, argv);
}

}  // namespace quorlex
