#pragma once

#include <QString>
#include <string>
#include <vector>

#include "frontend/Notices.h"

class QDialog;
class QWidget;

namespace quorlex {

// Every modal exchange of the front end with its user: message boxes, the save question, the
// file and folder pickers, and the modal dialogs ("Choose your language", the about box, the
// policy-file and language-file dialogs). The program uses QtPrompts; tests answer them
// without showing anything. Texts and paths are UTF-8.
class Prompts : public Notices {
 public:
  // A question with the buttons Yes and No (No the default) and the question icon. True for
  // Yes.
  virtual bool Ask(const std::string& caption, const std::string& text) = 0;
  // The open-file dialog starting at `start` (a folder, or a folder and a name pattern),
  // with a filter of FileDialogFilter. The chosen files must exist; several may be chosen
  // when `several`. Returns their full paths in the order the dialog gives them; none when
  // cancelled.
  virtual std::vector<std::string> OpenFiles(const std::string& caption, const std::string& start,
                                             const QString& filter, bool several) = 0;
  // The save-file dialog; an existing file is replaced without a question. Returns the chosen
  // path, or empty when cancelled.
  virtual std::string SaveFile(const std::string& caption, const std::string& start,
                               const QString& filter) = 0;
  // The folder picker with `prompt` as its caption. Returns the chosen folder, or empty.
  virtual std::string ChooseFolder(const std::string& prompt, const std::string& start) = 0;
  // Runs a modal dialog and returns its result (QDialog::Accepted or QDialog::Rejected).
  virtual int RunDialog(QDialog& dialog) = 0;
};

// The dialogs of Qt, in front of a parent window (not owned; may be null).
class QtPrompts : public Prompts {
 public:
  explicit QtPrompts(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }

  void Show(const std::string& caption, const std::string& text, NoticeIcon icon) override;
  bool Ask(const std::string& caption, const std::string& text) override;
  std::vector<std::string> OpenFiles(const std::string& caption, const std::string& start,
                                     const QString& filter, bool several) override;
  std::string SaveFile(const std::string& caption, const std::string& start,
                       const QString& filter) override;
  std::string ChooseFolder(const std::string& prompt, const std::string& start) override;
  int RunDialog(QDialog& dialog) override;

 private:
  QWidget* parent_;
};

}  // namespace quorlex
