#pragma once

#include <string>
#include <vector>

namespace quorlex {

// What the viewers need of the desktop they run on: the programs registered for file types,
// the program search path, the environment, and starting programs. The program uses
// LinuxDesktop; tests use a fake.
class Desktop {
 public:
  virtual ~Desktop() = default;

  // The desktop file of the default application for a MIME type ("firefox-esr.desktop"),
  // as `xdg-mime query default` answers; empty when there is none.
  virtual std::string DefaultApplication(const std::string& mimeType) = 0;
  // The value of the Exec key of that desktop file's [Desktop Entry] group, as written
  // (field codes included); empty when the file or the key is missing.
  virtual std::string DesktopEntryExec(const std::string& desktopFile) = 0;
  // The value of an environment variable; empty when unset.
  virtual std::string Environment(const std::string& name) = 0;
  // Starts argv[0] (searched in PATH when it holds no "/") with the other arguments as a
  // separate process, without a shell and without waiting for it. Returns 0 when the program
  // was started, else the system's error number (ENOENT when the program does not exist).
  virtual int StartDetached(const std::vector<std::string>& argv) = 0;
};

// The Linux desktop: xdg-mime and the desktop files of the XDG data folders, the process
// environment, and fork and exec.
class LinuxDesktop : public Desktop {
 public:
  std::string DefaultApplication(const std::string& mimeType) override;
  std::string DesktopEntryExec(const std::string& desktopFile) override;
  std::string Environment(const std::string& name) override;
  int StartDetached(const std::vector<std::string>& argv) override;
};

// The full path of the program `name` in the folders of `searchPath` (a PATH value, folders
// separated by ":"): the first executable regular file of that name. A name holding "/" is
// its own path when it is an executable file. Empty when there is none.
std::string FindProgram(const std::string& name, const std::string& searchPath);

}  // namespace quorlex
