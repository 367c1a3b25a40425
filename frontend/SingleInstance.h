#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "foundation/TextString.h"

class QLocalServer;

namespace quorlex {

// The name under which the desktop program of the current user with the settings file
// `settingsPath` listens for later starts: each user, and each settings file, has its own,
// so that a program run with settings of its own never meets the user's.
QString InstanceName(const std::string& settingsPath);

// One running desktop program for a name. A start first offers its files to a program
// already running under the name (HandOver); when there is none, it listens (Listen), and the
// files of each later start reach the handler given to TakeFilesWith.
//
// A later start sends the full paths of its files, each followed by a NUL byte (a byte no
// path holds); none is a request to come to the front. Only the user who listens may connect.
class SingleInstance {
 public:
  using FilesHandler = std::function<void(const std::vector<TextString>& files)>;

  // Needs a QCoreApplication for Listen; `name` as InstanceName gives it.
  explicit SingleInstance(QString name);
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // Hands `files` to the program listening under the name and waits until they are sent.
  // Returns false when no program listens there, or sending failed.
  [[nodiscard]] bool HandOver(const std::vector<TextString>& files) const;
  // Listens under the name; only after HandOver found no program there, since a socket left
  // under the name (by a program that crashed) is removed first. Returns false when the
  // name cannot be taken: the program then runs on its own.
  bool Listen();
  // Sets what receives the files of later starts, and gives it those that came before.
  void TakeFilesWith(FilesHandler handler);

 private:
  void Receive(std::vector<TextString> files);

  QString name_;
  std::unique_ptr<QLocalServer> server_;
  FilesHandler handler_;
  // Files that came before there was a handler.
  std::vector<std::vector<TextString>> waiting_;
};

}  // namespace quorlex
