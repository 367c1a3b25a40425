#include "frontend/Sheets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <array>
#include <span>

#include "frontend/ApplyTexts.h"
#include "frontend/Prompts.h"
#include "frontend/PropertySheet.h"
#include "frontend/UiLanguage.h"
#include "frontend/Viewers.h"
#include "policies/PolicyCatalogue.h"

namespace quorlex {
namespace {

using C = Control;

// One control of a policy page: a check box, or a labelled number, text or list.
struct PolicyRow {
  // Choice: the table format's list; Words: a list of the words a text policy may hold.
  enum Kind { Check, Number, Text, Choice, Words };
  Kind kind;
  Control control;
  int policy;
  Control label = C::Caption;  // Caption: no label
};

constexpr PolicyRow kQuorlRows[] = {
    {PolicyRow::Check, C::RemoveAllTags, kRemoveAllTags},
    {PolicyRow::Check, C::RemoveAllHtmlTags, kRemoveAllHtmlTags},
    {PolicyRow::Check, C::RemoveHead, kRemoveHead},
    {PolicyRow::Check, C::RemoveComments, kRemoveComments},
    {PolicyRow::Check, C::RemoveScript, kRemoveScript},
    {PolicyRow::Check, C::RemoveForm, kRemoveForm},
    {PolicyRow::Check, C::RemoveFont, kRemoveFont},
    {PolicyRow::Check, C::RemoveSpan, kRemoveSpan},
    {PolicyRow::Check, C::RemoveEmphasis, kRemoveEmphasis},
    {PolicyRow::Check, C::ReplaceLinks, kReplaceLinksByDisplayValue},
    {PolicyRow::Check, C::RemoveStyleSheet, kRemoveStyleSheet},
    {PolicyRow::Check, C::RemoveImg, kRemoveImg},
    {PolicyRow::Check, C::RemoveNonStandardTags, kRemoveNonStandardTags},
    {PolicyRow::Check, C::KeepDeprecatedTags, kKeepDeprecatedTags},
    {PolicyRow::Check, C::RemoveNonStandardAttributes, kRemoveNonStandardAttributes},
    {PolicyRow::Check, C::KeepDeprecatedAttributes, kKeepDeprecatedAttributes},
    {PolicyRow::Check, C::RemoveNonHtmlTags, kRemoveNonHtmlTags},
    {PolicyRow::Check, C::RemoveMailXTags, kRemoveMailXTags},
    {PolicyRow::Check, C::RemoveOfficeTags, kRemoveOfficeTags},
};

constexpr PolicyRow kTagRows[] = {
    {PolicyRow::Check, C::LowerCaseTags, kLowerCaseTags},
    {PolicyRow::Check, C::UpperCaseTags, kUpperCaseTags},
    {PolicyRow::Check, C::ReplaceEntities, kReplaceEntities},
    {PolicyRow::Check, C::Allow8BitAnsi, kAllow8BitAnsi},
    {PolicyRow::Check, C::AllowAnsiAlternatives, kAllowAnsiAlternatives},
};

constexpr PolicyRow kFormattingRows[] = {
    {PolicyRow::Check, C::PreserveWhiteSpace, kPreserveWhiteSpace},
    {PolicyRow::Check, C::ImposePageWidth, kImposePageWidth},
    {PolicyRow::Number, C::PageWidth, kPageWidth, C::PageWidthLabel},
    {PolicyRow::Check, C::RightJustify, kRightJustify},
    {PolicyRow::Check, C::SingleLineParagraphs, kSingleLineParagraphs},
    {PolicyRow::Check, C::PreserveShortLines, kPreserveShortLines},
    {PolicyRow::Check, C::ShortLinesEndParagraphs, kShortLinesEndParagraphs},
    {PolicyRow::Number, C::FirstLineIndent, kFirstLineIndent, C::FirstLineIndentLabel},
    {PolicyRow::Check, C::SentenceGap, kGapBetweenSentences},
    {PolicyRow::Check, C::LookForDialogue, kLookForDialogue},
    {PolicyRow::Check, C::ExtraDialogueChecks, kExtraDialogueChecks},
    {PolicyRow::Check, C::BreakDialogueLines, kBreakDialogueLines},
    {PolicyRow::Check, C::RemoveRules, kRemoveHorizontalRules},
    {PolicyRow::Check, C::HighlightBoldItalic, kHighlightBoldAndItalic},
    {PolicyRow::Check, C::UnicodeMarker, kUnicodeMarker},
    {PolicyRow::Words, C::OutputCharacterSet, kOutputCharacterSet, C::OutputCharacterSetLabel},
};

constexpr PolicyRow kHeadersRows[] = {
    {PolicyRow::Check, C::ByLineAsAuthor, kByLineAsAuthor},
};

constexpr PolicyRow kHyperlinksRows[] = {
    {PolicyRow::Check, C::OmitEmailLinks, kOmitEmailLinks},
    {PolicyRow::Check, C::OmitLocalLinks, kOmitLocalLinks},
    {PolicyRow::Text, C::RemovedLinkText, kRemovedLinkText, C::RemovedLinkTextLabel},
    {PolicyRow::Check, C::AddUrlReferences, kAddUrlReferences},
    {PolicyRow::Check, C::DisplayLinkUrls, kDisplayLinkUrls},
    {PolicyRow::Check, C::ImgTextMarker, kImgTextMarker},
    {PolicyRow::Check, C::ImgAltText, kImgAltText},
};

// "Output table format" is 1 text columns, 2 comma- and 3 tab-delimited rows: the list's
// items (dialog texts 346 to 348) in that order.
constexpr int kTableFormatItems = 346;
constexpr int kTableFormats = 3;

constexpr PolicyRow kTablesRows[] = {
    {PolicyRow::Check, C::ParseTables, kParseTables},
    {PolicyRow::Check, C::BorderAllTables, kBorderOnAllTables},
    {PolicyRow::Check, C::SuppressNestedBorders, kSuppressNestedTableBorders},
    {PolicyRow::Check, C::AdjustTablesToWidth, kAdjustTablesToPageWidth},
    {PolicyRow::Choice, C::TableFormat, kTableFormat, C::TableFormatLabel},
};

// A labelled control on one line.
void AddLabelled(QVBoxLayout* layout, Control label, QWidget* control) {
  auto* row = new QHBoxLayout;
  row->addWidget(MakeBuddyLabel(control->parentWidget(), label, control));
  row->addWidget(control, 1);
  layout->addLayout(row);
}

// Sets a policy from a sheet: its value, marked as set.
void SetPolicyNumber(Policy* policy, int value) {
  policy->number = value;
  policy->valueSet = 1;
}

void AddPolicyRows(PropertySheet& sheet, QVBoxLayout* layout, PolicySet& policies,
                   std::span<const PolicyRow> rows, UiLanguage& language) {
  QWidget* page = layout->parentWidget();
  for (const PolicyRow& row : rows) {
    Policy* policy = policies.Find(row.policy);
    switch (row.kind) {
      case PolicyRow::Check: {
        auto* box = MakeControl<QCheckBox>(page, row.control);
        layout->addWidget(box);
        sheet.BindCheck(
            box, [policy] { return policy->number; },
            [policy](int value) { SetPolicyNumber(policy, value); });
        break;
      }
      case PolicyRow::Number: {
        auto* box = MakeControl<QSpinBox>(page, row.control);
        box->setRange(0, 9999);
        AddLabelled(layout, row.label, box);
        sheet.BindNumber(
            box, [policy] { return policy->number; },
            [policy](int value) { SetPolicyNumber(policy, value); });
        break;
      }
      case PolicyRow::Text: {
        auto* edit = MakeControl<QLineEdit>(page, row.control);
        AddLabelled(layout, row.label, edit);
        sheet.BindText(
            edit, [policy] { return policy->text; },
            [policy](const TextString& value) {
              policy->text = value;
              policy->valueSet = 1;
            });
        break;
      }
      case PolicyRow::Words: {
        auto* box = MakeControl<QComboBox>(page, row.control);
        AddLabelled(layout, row.label, box);
        TextString word;
        for (int n = 1; policy->Choices().GetToken(n, ',', word); ++n)
          box->addItem(ToQString(word.View()));
        sheet.BindChoice(
            box,
            [box, policy] {
              const int index = box->findText(ToQString(policy->text.View()), Qt::MatchFixedString);
              return index < 0 ? 0 : index;
            },
            [box, policy](int index) {
              policy->text = TextString(box->itemText(index).toUtf8().constData());
              policy->valueSet = 1;
            });
        break;
      }
      case PolicyRow::Choice: {
        auto* box = MakeControl<QComboBox>(page, row.control);
        AddLabelled(layout, row.label, box);
        for (int i = 0; i < kTableFormats; ++i) box->addItem(QString());
        // The items follow the language.
        QObject::connect(&sheet, &PropertySheet::TextsApplied, box, [box, &language] {
          for (int i = 0; i < kTableFormats; ++i)
            box->setItemText(i,
                             ToQString(language.Display(TextTable::Dialog, kTableFormatItems + i)));
        });
        sheet.BindChoice(
            box,
            [policy] {
              return policy->number >= 1 && policy->number <= kTableFormats ? policy->number - 1
                                                                            : 0;
            },
            [policy](int index) { SetPolicyNumber(policy, index + 1); });
        break;
      }
    }
  }
  layout->addStretch(1);
}

// The rules between the check boxes of the "Quorling options" page.
class QuorlPageRules : public QObject {
 public:
  QuorlPageRules(PropertySheet& sheet, QWidget* page) : QObject(&sheet), sheet_(sheet) {
    for (const PolicyRow& row : kQuorlRows) {
      auto* box = qobject_cast<QCheckBox*>(FindControl(page, row.control));
      boxes_[Index(row.control)] = box;
      connect(box, &QCheckBox::clicked, this,
              [this, control = row.control](bool on) { Clicked(control, on); });
    }
    connect(&sheet, &PropertySheet::Reloaded, this, [this] { Enable(); });
  }

 private:
  static constexpr C kIndividual[] = {C::RemoveHead,
                                      C::RemoveComments,
                                      C::RemoveScript,
                                      C::RemoveForm,
                                      C::RemoveFont,
                                      C::RemoveSpan,
                                      C::RemoveEmphasis,
                                      C::ReplaceLinks,
                                      C::RemoveStyleSheet,
                                      C::RemoveImg,
                                      C::RemoveNonStandardTags,
                                      C::RemoveNonStandardAttributes};
  static constexpr C kKeepDeprecated[] = {C::KeepDeprecatedTags, C::KeepDeprecatedAttributes};
  static constexpr C kNonHtml[] = {C::RemoveMailXTags, C::RemoveOfficeTags};

  static size_t Index(Control control) {
    return static_cast<size_t>(control) - static_cast<size_t>(C::RemoveAllTags);
  }
  QCheckBox* Box(Control control) const { return boxes_[Index(control)]; }
  bool On(Control control) const { return Box(control)->isChecked(); }

  void Set(Control control, bool on) {
    Box(control)->setChecked(on);
    sheet_.Touch(Box(control));
  }

  void Clicked(Control control, bool on) {
    if (control == C::RemoveAllTags) {
      for (const PolicyRow& row : kQuorlRows) {
        if (row.control != C::RemoveAllTags) Set(row.control, on);
      }
      for (const C keep : kKeepDeprecated) Set(keep, false);
    } else if (control == C::RemoveAllHtmlTags) {
      for (const C individual : kIndividual) Set(individual, on);
      for (const C keep : kKeepDeprecated) Set(keep, false);
    } else if (control == C::RemoveNonHtmlTags) {
      for (const C tags : kNonHtml) Set(tags, on);
    }
    Enable();
  }

  void Enable() {
    const bool allTags = On(C::RemoveAllTags);
    const bool individual = !allTags && !On(C::RemoveAllHtmlTags);
    Box(C::RemoveAllHtmlTags)->setEnabled(!allTags);
    Box(C::RemoveNonHtmlTags)->setEnabled(!allTags);
    for (const C control : kIndividual) Box(control)->setEnabled(individual);
    Box(C::KeepDeprecatedTags)->setEnabled(individual && On(C::RemoveNonStandardTags));
    Box(C::KeepDeprecatedAttributes)->setEnabled(individual && On(C::RemoveNonStandardAttributes));
    for (const C control : kNonHtml)
      Box(control)->setEnabled(!allTags && !On(C::RemoveNonHtmlTags));
  }

  PropertySheet& sheet_;
  std::array<QCheckBox*, std::size(kQuorlRows)> boxes_{};
};

// A command edit with its browse button, which picks a program.
// `browseName` is what the button is called for screen readers ("Choose web browser").
QLineEdit* AddCommand(PropertySheet& sheet, QVBoxLayout* layout, Control label, Control edit,
                      Control browse, const QString& browseName, Prompts& prompts,
                      UiLanguage& language) {
  QWidget* page = layout->parentWidget();
  auto* row = new QHBoxLayout;
  auto* command = MakeControl<QLineEdit>(page, edit);
  layout->addWidget(MakeBuddyLabel(page, label, command));
  auto* button = MakeBrowseButton(page, browse);
  button->setAccessibleName(browseName);
  row->addWidget(command, 1);
  row->addWidget(button);
  layout->addLayout(row);
  QObject::connect(button, &QPushButton::clicked, &sheet, [&sheet, &prompts, &language, command] {
    const std::vector<std::string> chosen =
        prompts.OpenFiles(language.Display(TextTable::Message, 32), "/usr/bin",
                          FileDialogFilter(language.Display(TextTable::Message, 93)), false);
    if (chosen.empty()) return;
    command->setText(QString::fromStdString(chosen.front()));
    sheet.Touch(command);
  });
  return command;
}

void BindSetting(PropertySheet& sheet, QCheckBox* box, int& field) {
  sheet.BindCheck(
      box, [&field] { return field; }, [&field](int value) { field = value; });
}

void AddDragDropPage(PropertySheet& sheet, ProgramSettings& settings) {
  QVBoxLayout* layout = sheet.AddPage(DialogTemplate::DragDropPage);
  auto* group = MakeControl<QGroupBox>(layout->parentWidget(), C::DragDropGroup);
  auto* groupLayout = new QVBoxLayout(group);
  const struct {
    Control control;
    int& field;
  } kBoxes[] = {{C::DragDropViewStatus, settings.dragDropViewStatusWindow},
                {C::DragDropViewResults, settings.dragDropViewResults},
                {C::DragDropStartProgram, settings.dragDropStartProgram}};
  for (const auto& row : kBoxes) {
    auto* box = MakeControl<QCheckBox>(group, row.control);
    groupLayout->addWidget(box);
    BindSetting(sheet, box, row.field);
  }
  layout->addWidget(group);
  layout->addStretch(1);
}

void AddViewersPage(PropertySheet& sheet, ProgramSettings& settings, Viewers& viewers,
                    Prompts& prompts, UiLanguage& language) {
  QVBoxLayout* layout = sheet.AddPage(DialogTemplate::ViewersPage);
  QWidget* page = layout->parentWidget();
  auto* autoView = MakeControl<QCheckBox>(page, C::AutoView);
  layout->addWidget(autoView);
  BindSetting(sheet, autoView, settings.autoDdeUpdates);

  QLineEdit* browser =
      AddCommand(sheet, layout, C::BrowserCommandLabel, C::BrowserCommand, C::BrowserBrowse,
                 QStringLiteral("Choose web browser"), prompts, language);
  sheet.BindText(
      browser,
      [&settings, &viewers] {
        TextString command = settings.browserCommand;
        if (command.IsEmpty()) viewers.DetectBrowser(command);
        return command;
      },
      [&settings](const TextString& value) { settings.browserCommand = value; });

  // The DDE settings stay in the settings file but have no control: there is no dynamic
  // data exchange here.
  auto* prefix = MakeControl<QCheckBox>(page, C::AddUrlPrefix);
  layout->addWidget(prefix);
  BindSetting(sheet, prefix, settings.addUrlPrefix);

  QLineEdit* textViewer =
      AddCommand(sheet, layout, C::TextViewerLabel, C::TextViewerCommand, C::TextViewerBrowse,
                 QStringLiteral("Choose text viewer"), prompts, language);
  sheet.BindText(
      textViewer,
      [&settings, &viewers] {
        TextString command = settings.viewTextCommand;
        if (command.IsEmpty()) viewers.FindTextViewer(command);
        return command;
      },
      [&settings](const TextString& value) { settings.viewTextCommand = value; });
  layout->addStretch(1);
}

}  // namespace

PropertySheet* MakeMarkupSheet(PolicySet& policies, UiLanguage& language, ProgramSettings& settings,
                               QWidget* owner) {
  auto* sheet =
      new PropertySheet(620, language, settings.outputSheets, DefaultPlace::LowerRight, owner);
  QVBoxLayout* quorl = sheet->AddPage(DialogTemplate::QuorlPage);
  AddPolicyRows(*sheet, quorl, policies, kQuorlRows, language);
  new QuorlPageRules(*sheet, quorl->parentWidget());
  AddPolicyRows(*sheet, sheet->AddPage(DialogTemplate::TagPage), policies, kTagRows, language);
  return sheet;
}

PropertySheet* MakeTextSheet(PolicySet& policies, UiLanguage& language, ProgramSettings& settings,
                             QWidget* owner) {
  auto* sheet =
      new PropertySheet(621, language, settings.outputSheets, DefaultPlace::LowerRight, owner);
  const struct {
    DialogTemplate page;
    std::span<const PolicyRow> rows;
  } kPages[] = {{DialogTemplate::FormattingPage, kFormattingRows},
                {DialogTemplate::HeadersPage, kHeadersRows},
                {DialogTemplate::HyperlinksPage, kHyperlinksRows},
                {DialogTemplate::TablesPage, kTablesRows}};
  for (const auto& page : kPages) {
    AddPolicyRows(*sheet, sheet->AddPage(page.page), policies, page.rows, language);
  }
  return sheet;
}

PropertySheet* MakeSettingsSheet(ProgramSettings& settings, Viewers& viewers, Prompts& prompts,
                                 UiLanguage& language, QWidget* owner) {
  auto* sheet =
      new PropertySheet(350, language, settings.settingsSheet, DefaultPlace::NearCentre, owner);
  AddDragDropPage(*sheet, settings);
  AddViewersPage(*sheet, settings, viewers, prompts, language);
  return sheet;
}

}  // namespace quorlex
