#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <typeinfo>
#include <utility>
#include <vector>

#include "frontend/Prompts.h"

namespace quorlex::testing {

// Prompts that show nothing: message boxes and questions are recorded, the file and folder
// pickers give the answers set beforehand (each answer is used once), and modal dialogs are
// handed to `onDialog`, which may fill them in and returns their result.
class FakePrompts : public Prompts {
 public:
  struct Notice {
    std::string caption;
    std::string text;
    NoticeIcon icon;
  };

  void Show(const std::string& caption, const std::string& text, NoticeIcon icon) override {
    notices.push_back({caption, text, icon});
  }
  bool Ask(const std::string& caption, const std::string& text) override {
    questions.push_back({caption, text, NoticeIcon::Information});
    return answerYes;
  }
  std::vector<std::string> OpenFiles(const std::string&, const std::string& start, const QString&,
                                     bool) override {
    openStarts.push_back(start);
    return std::exchange(filesToOpen, {});
  }
  std::string SaveFile(const std::string&, const std::string&, const QString&) override {
    return std::exchange(fileToSave, {});
  }
  std::string ChooseFolder(const std::string&, const std::string&) override {
    return std::exchange(folderToChoose, {});
  }
  int RunDialog(QDialog& dialog) override {
    dialogs.push_back(typeid(dialog).name());
    return onDialog ? onDialog(dialog) : QDialog::Rejected;
  }

  std::vector<Notice> notices;
  std::vector<Notice> questions;
  std::vector<std::string> openStarts;  // where each open-file dialog started
  std::vector<std::string> dialogs;     // typeid(...).name() of every dialog run
  bool answerYes = false;
  std::vector<std::string> filesToOpen;
  std::string fileToSave;
  std::string folderToChoose;
  std::function<int(QDialog&)> onDialog;
};

}  // namespace quorlex::testing
