#pragma once

#include <cerrno>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "frontend/Desktop.h"
#include "frontend/Notices.h"

namespace quorlex::testing {

// A desktop whose default applications, desktop files and environment are tables, and which
// records the programs it is asked to start instead of starting them.
class FakeDesktop : public Desktop {
 public:
  std::string DefaultApplication(const std::string& mimeType) override {
    if (onQuery) onQuery();
    const auto found = applications.find(mimeType);
    return found != applications.end() ? found->second : std::string();
  }
  std::string DesktopEntryExec(const std::string& desktopFile) override {
    const auto found = execLines.find(desktopFile);
    return found != execLines.end() ? found->second : std::string();
  }
  std::string Environment(const std::string& name) override {
    const auto found = environment.find(name);
    return found != environment.end() ? found->second : std::string();
  }
  int StartDetached(const std::vector<std::string>& argv) override {
    started.push_back(argv);
    return startError;
  }

  // Registers `exec` as the program for a MIME type.
  void Associate(const std::string& mimeType, const std::string& exec) {
    applications[mimeType] = mimeType + ".desktop";
    execLines[mimeType + ".desktop"] = exec;
  }

  std::map<std::string, std::string> applications;  // MIME type -> desktop file
  std::map<std::string, std::string> execLines;     // desktop file -> Exec value
  std::map<std::string, std::string> environment;
  std::vector<std::vector<std::string>> started;
  int startError = 0;             // what StartDetached answers
  std::function<void()> onQuery;  // called on every DefaultApplication
};

// Message boxes that are recorded instead of shown.
class RecordingNotices : public Notices {
 public:
  struct Notice {
    std::string caption;
    std::string text;
  };
  void Show(const std::string& caption, const std::string& text, NoticeIcon) override {
    shown.push_back({caption, text});
  }
  std::vector<Notice> shown;
};

}  // namespace quorlex::testing
