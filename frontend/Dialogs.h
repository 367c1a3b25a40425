#pragma once

#include <QDialog>
#include <string>

#include "foundation/TextString.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace quorlex {

class Prompts;
class UiLanguage;

// The small modal dialogs of the main window. Each takes its captions from the current
// language; the main window runs them through Prompts::RunDialog and reads the choice after.

// "About Quorlex": the product, its version and what it does.
class AboutBox : public QDialog {
 public:
  AboutBox(UiLanguage& language, QWidget* parent);
};

// "Choose your language", shown once on a first run: one button per language, named in that
// language (German and Portuguese disabled), English chosen at first, and "Other" with a
// language file.
class ChooseLanguageDialog : public QDialog {
 public:
  ChooseLanguageDialog(UiLanguage& language, Prompts& prompts, const std::string& programFolder,
                       QWidget* parent);
  // The chosen language number (-1 for "Other").
  int Chosen() const;
  TextString FileName() const;

 private:
  std::vector<std::pair<QRadioButton*, int>> buttons_;
  QLineEdit* file_;
};

// "Import/Export Language Files": export the texts in use to a file (at once, through a save
// dialog), or use a language file.
class LanguageFilesDialog : public QDialog {
 public:
  LanguageFilesDialog(UiLanguage& language, Prompts& prompts, const std::string& programFolder,
                      bool useFile, const TextString& fileName, QWidget* parent);
  bool UseFile() const;
  TextString FileName() const;

 private:
  QCheckBox* useFile_;
  QLineEdit* file_;
};

// "Load policy file": the file, whether it is loaded when the program starts, and whether it
// is read again before each conversion.
class LoadPolicyDialog : public QDialog {
 public:
  LoadPolicyDialog(UiLanguage& language, Prompts& prompts, const TextString& fileName, bool atStart,
                   bool alwaysReload, QWidget* parent);
  TextString FileName() const;
  bool AtStart() const;
  bool AlwaysReload() const;

 private:
  QLineEdit* file_;
  QCheckBox* atStart_;
  QCheckBox* alwaysReload_;
};

// "Save policies to file": the file, and whether only the changed policies are written.
class SavePoliciesDialog : public QDialog {
 public:
  SavePoliciesDialog(UiLanguage& language, Prompts& prompts, const TextString& fileName,
                     QWidget* parent);
  // The chosen name; ".pol" is added to a name without an extension.
  TextString FileName() const;
  bool WriteAll() const;

 private:
  QLineEdit* file_;
  QRadioButton* all_;
};

}  // namespace quorlex
