#include "frontend/ApplyTexts.h"

#include <QAbstractButton>
#include <QAction>
#include <QActionGroup>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QStringList>
#include <QWidget>
#include <algorithm>
#include <vector>

namespace quorlex {
namespace {

// A menu bar style that places the entries after a separator at the right-hand end (the
// hint most styles leave off).
class RightEndMenuStyle : public QProxyStyle {
 public:
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == QStyle::SH_DrawMenuBarSeparator) return 1;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

void SetCaption(QWidget* widget, const QString& text, bool isWindow) {
  if (isWindow) {
    widget->setWindowTitle(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(text);
  } else if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(text);
  } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
    group->setTitle(text);
  }
}

// The entries of a menu bar or menu, separators left out.
QList<QAction*> Entries(QWidget* menu) {
  QList<QAction*> entries;
  for (QAction* action : menu->actions()) {
    if (!action->isSeparator()) entries.append(action);
  }
  return entries;
}

QList<QAction*> AllActions(QWidget* menu) {
  QList<QAction*> all;
  for (QAction* action : menu->actions()) {
    all.append(action);
    if (action->menu() != nullptr) all.append(AllActions(action->menu()));
  }
  return all;
}

// The letter after the "&" of a caption ("&&" is a plain ampersand), lower-cased; a null
// character when there is none.
QChar MnemonicOf(const QString& caption) {
  for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != QLatin1Char('&')) continue;
    if (caption[i + 1] != QLatin1Char('&')) return caption[i + 1].toLower();
    ++i;
  }
  return QChar();
}

// The caption of a control that can carry a mnemonic, or null for other widgets and for
// labels without a buddy (their "&" would not do anything).
QString CaptionOf(const QWidget* widget) {
  if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
  const auto* label = qobject_cast<const QLabel*>(widget);
  if (label != nullptr && label->buddy() != nullptr) return label->text();
  return QString();
}

void SetCaptionText(QWidget* widget, const QString& text) {
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(text);
  } else if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(text);
  }
}

// The position of the first letter of `caption` that is not in `used`, or -1.
qsizetype FirstFreeLetter(const QString& caption, const QString& used) {
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i].isLetter() && !used.contains(caption[i].toLower())) return i;
  }
  return -1;
}

// The menu items of the built-in languages.
constexpr struct {
  Command command;
  int number;
} kLanguageItems[] = {
    {Command::LanguageEnglish, kLanguageEnglish},
    {Command::LanguageGerman, kLanguageGerman},
    {Command::LanguageSpanish, kLanguageSpanish},
    {Command::LanguageFrench, kLanguageFrench},
    {Command::LanguagePortuguese, kLanguagePortuguese},
    {Command::LanguageItalian, kLanguageItalian},
    {Command::LanguageSwedish, kLanguageSwedish},
    {Command::LanguageRussian, kLanguageRussian},
};

// The exclusive group of the language items of `menu`, made with the first of them.
QActionGroup* LanguageGroup(QWidget* menu) {
  if (auto* group = menu->findChild<QActionGroup*>(QString(), Qt::FindDirectChildrenOnly))
    return group;
  auto* group = new QActionGroup(menu);
  group->setExclusionPolicy(QActionGroup::ExclusionPolicy::Exclusive);
  return group;
}

QAction* MakeMenuAction(QWidget* parent, const MenuRow& row) {
  auto* action = new QAction(parent);
  action->setProperty(kCommandProperty, static_cast<int>(row.command));
  action->setCheckable(row.kind == MenuRow::CheckItem || row.kind == MenuRow::LanguageItem);
  if (row.kind == MenuRow::LanguageItem) {
    // A language is named in its own language, so that the way back to a language is
    // readable whatever language the interface speaks.
    action->setText(QString::fromUtf8(LanguageOwnName(LanguageOfCommand(row.command))));
    LanguageGroup(parent)->addAction(action);
  }
  return action;
}

}  // namespace

int LanguageOfCommand(Command command) {
  for (const auto& item : kLanguageItems) {
    if (item.command == command) return item.number;
  }
  return 0;
}

void AssignMnemonics(QWidget* window, const QString& taken) {
  QString used = taken.toLower();
  std::vector<QWidget*> waiting;
  for (QWidget* child : window->findChildren<QWidget*>()) {
    const QString caption = CaptionOf(child);
    if (caption.isEmpty()) continue;
    const QChar letter = MnemonicOf(caption);
    if (letter.isNull()) {
      waiting.push_back(child);
    } else {
      used.append(letter);
    }
  }
  // Labels choose first: a field is reached through its label, a button by a click too.
  std::stable_partition(waiting.begin(), waiting.end(),
                        [](const QWidget* child) { return qobject_cast<const QLabel*>(child); });
  for (QWidget* child : waiting) {
    QString caption = CaptionOf(child);
    const qsizetype at = FirstFreeLetter(caption, used);
    if (at < 0) continue;
    used.append(caption[at].toLower());
    SetCaptionText(child, caption.insert(at, QLatin1Char('&')));
  }
}

void NameFieldsAfterLabels(QWidget* window) {
  for (const QLabel* label : window->findChildren<QLabel*>()) {
    if (label->buddy() != nullptr)
      label->buddy()->setAccessibleName(QString(label->text()).remove(QLatin1Char('&')));
  }
}

QString MenuMnemonics(const QMenuBar* menuBar) {
  QString letters;
  for (const QAction* action : menuBar->actions()) {
    const QChar letter = MnemonicOf(action->text());
    if (!letter.isNull()) letters.append(letter);
  }
  return letters;
}

QWidget* FindControl(QWidget* window, Control control) {
  if (control == Control::Caption) return window;
  const QVariant wanted(static_cast<int>(control));
  for (QWidget* child : window->findChildren<QWidget*>()) {
    if (child->property(kControlProperty) == wanted) return child;
  }
  return nullptr;
}

QString ToQString(std::string_view utf8) {
  QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  text.remove(QLatin1Char('\r'));
  return text;
}

void SetControlId(QWidget* widget, Control control) {
  widget->setProperty(kControlProperty, static_cast<int>(control));
}

QLabel* MakeBuddyLabel(QWidget* parent, Control label, QWidget* field) {
  auto* made = MakeControl<QLabel>(parent, label);
  made->setBuddy(field);
  return made;
}

QPushButton* MakeBrowseButton(QWidget* parent, Control control) {
  auto* button = MakeControl<QPushButton>(parent, control);
  button->setMaximumWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("......")) + 16);
  return button;
}

void ApplyDialogTexts(QWidget* window, DialogTemplate dialog, UiLanguage& language) {
  for (const ControlText& pair : DialogControls(dialog)) {
    QWidget* control = FindControl(window, pair.control);
    if (control == nullptr) continue;
    SetCaption(control, ToQString(language.Display(TextTable::Dialog, pair.dialogText)),
               pair.control == Control::Caption);
  }
}

void ApplyToolTips(QWidget* window, UiLanguage& language, bool enabled) {
  for (QWidget* child : window->findChildren<QWidget*>()) {
    const QVariant id = child->property(kControlProperty);
    if (!id.isValid()) continue;
    const int tip = ToolTipIndex(static_cast<Control>(id.toInt()));
    if (tip < 0) continue;
    child->setToolTip(enabled ? ToQString(language.Display(TextTable::ToolTip, tip)) : QString());
  }
}

void BuildMenuBar(QMenuBar* menuBar) {
  std::vector<QWidget*> parents = {menuBar};  // the menu bar, then the open menus by depth
  for (const MenuRow& row : MenuLayout()) {
    parents.resize(static_cast<size_t>(row.depth) + 1);
    QWidget* parent = parents.back();
    auto* parentMenu = qobject_cast<QMenu*>(parent);
    auto* parentBar = qobject_cast<QMenuBar*>(parent);
    if (row.kind == MenuRow::Separator) {
      if (parentMenu != nullptr) parentMenu->addSeparator();
      continue;
    }
    if (row.kind == MenuRow::Submenu) {
      QMenu* menu =
          parentMenu != nullptr ? parentMenu->addMenu(QString()) : parentBar->addMenu(QString());
      parents.push_back(menu);
      continue;
    }
    parent->addAction(MakeMenuAction(parent, row));
  }
}

void ApplyMenuTexts(QMenuBar* menuBar, UiLanguage& language) {
  for (QAction* action : AllActions(menuBar)) {
    const QVariant command = action->property(kCommandProperty);
    if (!command.isValid()) continue;
    const int index = MenuTextIndex(static_cast<Command>(command.toInt()));
    if (index >= 0) action->setText(ToQString(language.Display(TextTable::Menu, index)));
  }
  for (const MenuPosition& position : MenuPositions()) {
    QWidget* menu = menuBar;
    QAction* entry = nullptr;
    for (const int step : position.path) {
      const QList<QAction*> entries = menu != nullptr ? Entries(menu) : QList<QAction*>();
      entry = step < entries.size() ? entries[step] : nullptr;
      menu = entry != nullptr ? entry->menu() : nullptr;
      if (menu == nullptr) break;
    }
    if (menu != nullptr)
      entry->setText(ToQString(language.Display(TextTable::Menu, position.menuText)));
  }
  // A separator before the last top-level menu, with a style that honours it, puts that
  // menu at the right-hand end.
  const QList<QAction*> top = menuBar->actions();
  if (top.size() >= 2 && !top[top.size() - 2]->isSeparator()) {
    auto* separator = new QAction(menuBar);
    separator->setSeparator(true);
    menuBar->insertAction(top.back(), separator);
  }
  if (dynamic_cast<RightEndMenuStyle*>(menuBar->style()) == nullptr) {
    auto* style = new RightEndMenuStyle;
    style->setParent(menuBar);
    menuBar->setStyle(style);
  }
}

void UpdateLanguageMenu(QMenuBar* menuBar, int number) {
  for (QAction* action : AllActions(menuBar)) {
    const QVariant command = action->property(kCommandProperty);
    if (!command.isValid()) continue;
    const auto which = static_cast<Command>(command.toInt());
    // The language file's item is no language of the group: it stands for all the others.
    if (which == Command::LanguageSkin) {
      action->setChecked(number == kLanguageOther);
    } else if (const int language = LanguageOfCommand(which); language != 0) {
      action->setChecked(language == number);
    }
  }
}

QString FileDialogFilter(std::string_view filter) {
  const QStringList parts = QString::fromUtf8(filter.data(), static_cast<qsizetype>(filter.size()))
                                .split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].isEmpty()) continue;
    QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& pattern : patterns) {
      pattern = pattern.trimmed();
      if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
    }
    filters.append(parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                   QLatin1Char(')'));
  }
  return filters.join(QStringLiteral(";;"));
}

}  // namespace quorlex
