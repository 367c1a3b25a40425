#include "frontend/Prompts.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

#include "frontend/ApplyTexts.h"

namespace quorlex {

void QtPrompts::Show(const std::string& caption, const std::string& text, NoticeIcon icon) {
  QtNotices(parent_).Show(caption, text, icon);
}

bool QtPrompts::Ask(const std::string& caption, const std::string& text) {
  QMessageBox box(QMessageBox::Question, ToQString(caption), ToQString(text),
                  QMessageBox::Yes | QMessageBox::No, parent_);
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

std::vector<std::string> QtPrompts::OpenFiles(const std::string& caption, const std::string& start,
                                              const QString& filter, bool several) {
  QFileDialog dialog(parent_, ToQString(caption), ToQString(start), filter);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setFileMode(several ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
  std::vector<std::string> chosen;
  if (dialog.exec() != QDialog::Accepted) return chosen;
  for (const QString& file : dialog.selectedFiles()) chosen.push_back(file.toStdString());
  return chosen;
}

std::string QtPrompts::SaveFile(const std::string& caption, const std::string& start,
                                const QString& filter) {
  QFileDialog dialog(parent_, ToQString(caption), ToQString(start), filter);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front().toStdString();
}

std::string QtPrompts::ChooseFolder(const std::string& prompt, const std::string& start) {
  return QFileDialog::getExistingDirectory(parent_, ToQString(prompt), ToQString(start))
      .toStdString();
}

int QtPrompts::RunDialog(QDialog& dialog) { return dialog.exec(); }

}  // namespace quorlex
