#include "frontend/Dialogs.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "foundation/FileNames.h"
#include "foundation/Version.h"
#include "frontend/ApplyTexts.h"
#include "frontend/Prompts.h"
#include "frontend/UiLanguage.h"

namespace quorlex {
namespace {

TextString FromQString(const QString& text) { return TextString(text.toUtf8().constData()); }

// A file name edit with its "..." button, which fills it from an open-file dialog.
QLineEdit* AddFileRow(QDialog* dialog, QVBoxLayout* layout, Control edit, Control browse,
                      Prompts& prompts, UiLanguage& language, int caption, int filter,
                      std::string start) {
  auto* row = new QHBoxLayout;
  auto* name = MakeControl<QLineEdit>(dialog, edit);
  auto* button = MakeBrowseButton(dialog, browse);
  row->addWidget(name, 1);
  row->addWidget(button);
  layout->addLayout(row);
  QObject::connect(button, &QPushButton::clicked, dialog,
                   [&prompts, &language, name, caption, filter, start] {
                     const std::vector<std::string> chosen = prompts.OpenFiles(
                         language.Display(TextTable::Message, caption), start,
                         FileDialogFilter(language.Display(TextTable::Message, filter)), false);
                     if (!chosen.empty()) name->setText(QString::fromStdString(chosen.front()));
                   });
  return name;
}

// OK and Cancel (Cancel only when `cancel` is not Caption).
void AddButtons(QDialog* dialog, QVBoxLayout* layout, Control ok, Control cancel) {
  auto* buttons = new QDialogButtonBox(dialog);
  QPushButton* okButton = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
  SetControlId(okButton, ok);
  okButton->setDefault(true);
  if (cancel != Control::Caption) {
    SetControlId(buttons->addButton(QString(), QDialogButtonBox::RejectRole), cancel);
  }
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  layout->addWidget(buttons);
}

// Language files are looked for among the installed ones first.
std::string LanguageFolder(const std::string& programFolder) {
  return programFolder + "/../share/quorlex/languages/*.lng";
}

}  // namespace

AboutBox::AboutBox(UiLanguage& language, QWidget* parent) : QDialog(parent) {
  auto* layout = new QVBoxLayout(this);
  auto* product =
      new QLabel(QStringLiteral("<b>%1</b>").arg(QString::fromLatin1(kProgramName)), this);
  layout->addWidget(product);
  auto* versionRow = new QHBoxLayout;
  versionRow->addWidget(MakeControl<QLabel>(this, Control::AboutVersion));
  versionRow->addWidget(new QLabel(QString::fromLatin1(kProgramVersion), this), 1);
  layout->addLayout(versionRow);
  auto* text = MakeControl<QLabel>(this, Control::AboutText);
  text->setWordWrap(true);
  text->setMinimumWidth(360);
  layout->addWidget(text);
  AddButtons(this, layout, Control::AboutOk, Control::Caption);
  ApplyDialogTexts(this, DialogTemplate::About, language);
}

ChooseLanguageDialog::ChooseLanguageDialog(UiLanguage& language, Prompts& prompts,
                                           const std::string& programFolder, QWidget* parent)
    : QDialog(parent) {
  auto* layout = new QVBoxLayout(this);
  const struct {
    Control control;
    int number;
  } kChoices[] = {{Control::ChooseEnglish, kLanguageEnglish},
                  {Control::ChooseGerman, kLanguageGerman},
                  {Control::ChooseSpanish, kLanguageSpanish},
                  {Control::ChooseFrench, kLanguageFrench},
                  {Control::ChoosePortuguese, kLanguagePortuguese},
                  {Control::ChooseItalian, kLanguageItalian},
                  {Control::ChooseSwedish, kLanguageSwedish},
                  {Control::ChooseRussian, kLanguageRussian},
                  {Control::ChooseOther, kLanguageOther}};
  for (const auto& choice : kChoices) {
    auto* button = MakeControl<QRadioButton>(this, choice.control);
    if (choice.number != kLanguageOther)
      button->setText(QString::fromUtf8(LanguageOwnName(choice.number)));
    // The German and Portuguese texts are only partly translated.
    button->setEnabled(choice.number != kLanguageGerman && choice.number != kLanguagePortuguese);
    button->setChecked(choice.number == kLanguageEnglish);
    layout->addWidget(button);
    buttons_.emplace_back(button, choice.number);
  }
  layout->addWidget(MakeControl<QLabel>(this, Control::ChooseFileLabel));
  file_ = AddFileRow(this, layout, Control::ChooseFile, Control::ChooseBrowse, prompts, language,
                     20, 92, LanguageFolder(programFolder));
  AddButtons(this, layout, Control::ChooseOk, Control::Caption);
  ApplyDialogTexts(this, DialogTemplate::ChooseLanguage, language);
  ApplyToolTips(this, language, true);
}

int ChooseLanguageDialog::Chosen() const {
  for (const auto& [button, number] : buttons_) {
    if (button->isChecked()) return number;
  }
  return kLanguageEnglish;
}

TextString ChooseLanguageDialog::FileName() const { return FromQString(file_->text()); }

LanguageFilesDialog::LanguageFilesDialog(UiLanguage& language, Prompts& prompts,
                                         const std::string& programFolder, bool useFile,
                                         const TextString& fileName, QWidget* parent)
    : QDialog(parent) {
  auto* layout = new QVBoxLayout(this);
  auto* exportButton = MakeControl<QPushButton>(this, Control::ExportLanguage);
  layout->addWidget(exportButton);
  connect(exportButton, &QPushButton::clicked, this, [&language, &prompts] {
    std::string path = prompts.SaveFile(language.Display(TextTable::Message, 19), std::string(),
                                        FileDialogFilter(language.Display(TextTable::Message, 92)));
    if (path.empty()) return;
    if (NameAndExtension(TextString(path.c_str())).View().find('.') == std::string_view::npos)
      path += ".lng";
    language.ExportLanguageFile(path.c_str());
  });
  useFile_ = MakeControl<QCheckBox>(this, Control::UseLanguageFile);
  useFile_->setChecked(useFile);
  layout->addWidget(useFile_);
  file_ = AddFileRow(this, layout, Control::LanguageFileName, Control::LanguageFileBrowse, prompts,
                     language, 20, 92, LanguageFolder(programFolder));
  file_->setText(QString::fromUtf8(fileName.Data()));
  AddButtons(this, layout, Control::LanguageFilesOk, Control::LanguageFilesCancel);
  ApplyDialogTexts(this, DialogTemplate::LanguageFiles, language);
  ApplyToolTips(this, language, true);
}

bool LanguageFilesDialog::UseFile() const { return useFile_->isChecked(); }

TextString LanguageFilesDialog::FileName() const { return FromQString(file_->text()); }

LoadPolicyDialog::LoadPolicyDialog(UiLanguage& language, Prompts& prompts,
                                   const TextString& fileName, bool atStart, bool alwaysReload,
                                   QWidget* parent)
    : QDialog(parent) {
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(MakeControl<QLabel>(this, Control::LoadPolicyLabel));
  file_ = AddFileRow(this, layout, Control::LoadPolicyName, Control::LoadPolicyBrowse, prompts,
                     language, 18, 87, std::string());
  file_->setText(QString::fromUtf8(fileName.Data()));
  atStart_ = MakeControl<QCheckBox>(this, Control::LoadPolicyAtStart);
  atStart_->setChecked(atStart);
  layout->addWidget(atStart_);
  alwaysReload_ = MakeControl<QCheckBox>(this, Control::LoadPolicyAlwaysReload);
  alwaysReload_->setChecked(alwaysReload);
  layout->addWidget(alwaysReload_);
  AddButtons(this, layout, Control::LoadPolicyOk, Control::LoadPolicyCancel);
  ApplyDialogTexts(this, DialogTemplate::LoadPolicy, language);
  ApplyToolTips(this, language, true);
}

TextString LoadPolicyDialog::FileName() const { return FromQString(file_->text()); }
bool LoadPolicyDialog::AtStart() const { return atStart_->isChecked(); }
bool LoadPolicyDialog::AlwaysReload() const { return alwaysReload_->isChecked(); }

SavePoliciesDialog::SavePoliciesDialog(UiLanguage& language, Prompts& prompts,
                                       const TextString& fileName, QWidget* parent)
    : QDialog(parent) {
  auto* layout = new QVBoxLayout(this);
  auto* changed = MakeControl<QRadioButton>(this, Control::SaveChangedOnly);
  changed->setChecked(true);
  layout->addWidget(changed);
  all_ = MakeControl<QRadioButton>(this, Control::SaveAll);
  layout->addWidget(all_);
  layout->addWidget(MakeControl<QLabel>(this, Control::SavePolicyLabel));
  auto* row = new QHBoxLayout;
  file_ = MakeControl<QLineEdit>(this, Control::SavePolicyName);
  file_->setText(QString::fromUtf8(fileName.Data()));
  auto* browse = MakeBrowseButton(this, Control::SavePolicyBrowse);
  row->addWidget(file_, 1);
  row->addWidget(browse);
  layout->addLayout(row);
  connect(browse, &QPushButton::clicked, this, [this, &language, &prompts] {
    const std::string path =
        prompts.SaveFile(language.Display(TextTable::Message, 18), file_->text().toStdString(),
                         FileDialogFilter(language.Display(TextTable::Message, 87)));
    if (!path.empty()) file_->setText(QString::fromStdString(path));
  });
  AddButtons(this, layout, Control::SavePolicyOk, Control::SavePolicyCancel);
  ApplyDialogTexts(this, DialogTemplate::SavePolicies, language);
  ApplyToolTips(this, language, true);
}

TextString SavePoliciesDialog::FileName() const {
  TextString name = FromQString(file_->text().trimmed());
  if (!name.IsEmpty() && NameAndExtension(name).View().find('.') == std::string_view::npos)
    name += ".pol";
  return name;
}

bool SavePoliciesDialog::WriteAll() const { return all_->isChecked(); }

}  // namespace quorlex
