#include "frontend/PropertySheet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "frontend/ApplyTexts.h"
#include "frontend/ScreenFit.h"
#include "frontend/UiLanguage.h"

namespace quorlex {
namespace {

// The top-left corner of a window of `outer` size at `at`, moved as little as needed to lie
// inside `area` (to its top-left corner when it is larger).
QPoint KeepInside(const WindowPosition& at, const QSize& outer, const QRect& area) {
  const int left =
      std::max(area.left(), std::min(at.left, area.left() + area.width() - outer.width()));
  const int top =
      std::max(area.top(), std::min(at.top, area.top() + area.height() - outer.height()));
  return {left, top};
}

}  // namespace

PropertySheet::PropertySheet(int title, UiLanguage& language, WindowPosition& position,
                             DefaultPlace place, QWidget* owner)
    : QDialog(owner), title_(title), language_(language), position_(position), place_(place) {
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  tabs_ = new QTabWidget(this);
  layout->addWidget(tabs_);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
  QPushButton* cancel = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
  QPushButton* apply = buttons->addButton(QString(), QDialogButtonBox::ApplyRole);
  SetControlId(ok, Control::SheetOk);
  SetControlId(cancel, Control::SheetCancel);
  SetControlId(apply, Control::SheetApply);
  layout->addWidget(buttons);
  connect(ok, &QPushButton::clicked, this, [this] {
    Apply();
    hide();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::hide);
  connect(apply, &QPushButton::clicked, this, &PropertySheet::Apply);
}

QVBoxLayout* PropertySheet::AddPage(DialogTemplate page) {
  auto* scroller = new PageScroller(tabs_);
  auto* widget = new QWidget(scroller);
  auto* layout = new QVBoxLayout(widget);
  scroller->setWidget(widget);
  tabs_->addTab(scroller, QString());
  pages_.emplace_back(widget, page);
  return layout;
}

PropertySheet::Binding* PropertySheet::BindingOf(QWidget* control) {
  for (Binding& binding : bindings_) {
    if (binding.control == control) return &binding;
  }
  return nullptr;
}

void PropertySheet::Touch(QWidget* control) {
  if (Binding* binding = BindingOf(control)) binding->touched = true;
}

void PropertySheet::BindCheck(QCheckBox* box, std::function<int()> get,
                              std::function<void(int)> set) {
  bindings_.push_back({box, [box, get] { box->setChecked(get() != 0); },
                       [box, set] { set(box->isChecked() ? 1 : 0); }});
  // clicked comes from the user only, never from setChecked.
  connect(box, &QCheckBox::clicked, this, [this, box] { Touch(box); });
}

void PropertySheet::BindNumber(QSpinBox* box, std::function<int()> get,
                               std::function<void(int)> set) {
  bindings_.push_back(
      {box, [box, get] { box->setValue(get()); }, [box, set] { set(box->value()); }});
  connect(box, &QSpinBox::valueChanged, this, [this, box] {
    if (!loading_) Touch(box);
  });
}

void PropertySheet::BindText(QLineEdit* edit, std::function<TextString()> get,
                             std::function<void(const TextString&)> set) {
  bindings_.push_back({edit, [edit, get] { edit->setText(QString::fromUtf8(get().Data())); },
                       [edit, set] { set(TextString(edit->text().toUtf8().constData())); }});
  connect(edit, &QLineEdit::textEdited, this, [this, edit] { Touch(edit); });
}

void PropertySheet::BindChoice(QComboBox* box, std::function<int()> get,
                               std::function<void(int)> set) {
  bindings_.push_back(
      {box, [box, get] { box->setCurrentIndex(get()); }, [box, set] { set(box->currentIndex()); }});
  connect(box, &QComboBox::activated, this, [this, box] { Touch(box); });
}

void PropertySheet::OpenAt(int page, bool toolTips) {
  if (!isVisible()) {
    Reload();
    ApplyTexts(toolTips);
    Place();
  }
  tabs_->setCurrentIndex(page);
  show();
  raise();
  activateWindow();
}

void PropertySheet::Reload() {
  loading_ = true;
  for (Binding& binding : bindings_) {
    binding.load();
    binding.touched = false;
  }
  loading_ = false;
  emit Reloaded();
}

void PropertySheet::Apply() {
  bool any = false;
  for (Binding& binding : bindings_) {
    if (!binding.touched) continue;
    binding.store();
    binding.touched = false;
    any = true;
  }
  if (any) emit Applied();
}

void PropertySheet::ApplyTexts(bool toolTips) {
  setWindowTitle(ToQString(language_.Display(TextTable::Dialog, title_)));
  for (int i = 0; i < static_cast<int>(pages_.size()); ++i) {
    QWidget* page = pages_[static_cast<size_t>(i)].first;
    ApplyDialogTexts(page, pages_[static_cast<size_t>(i)].second, language_);
    AssignMnemonics(page, QString());
    NameFieldsAfterLabels(page);
    tabs_->setTabText(i, page->windowTitle());
  }
  ApplyDialogTexts(this, DialogTemplate::SheetButtons, language_);
  ApplyToolTips(this, language_, toolTips);
  emit TextsApplied();
}

QScreen* PropertySheet::ScreenToOpenOn() const {
  if (position_.IsStored()) {
    if (QScreen* screen = QGuiApplication::screenAt(QPoint(position_.left, position_.top)))
      return screen;
  }
  return parentWidget() != nullptr ? parentWidget()->screen() : QGuiApplication::primaryScreen();
}

void PropertySheet::FitInto(const QSize& room) {
  // Polished widgets measure as they will show; the captions may have changed since the
  // sheet last measured itself.
  ensurePolished();
  layout()->invalidate();
  // Every page title shows when the tabs fit side by side; else they scroll.
  tabs_->setUsesScrollButtons(false);
  tabs_->updateGeometry();
  QSize natural = sizeHint();
  if (natural.width() > room.width()) {
    tabs_->setUsesScrollButtons(true);
    tabs_->updateGeometry();
  }
  layout()->activate();
  resize(FittingSize(this, natural, room));
}

void PropertySheet::Place() {
  const QScreen* screen = ScreenToOpenOn();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  const QSize frame = FrameAllowance(this, parentWidget());
  FitInto(area.size() - frame);
  const QSize outer = size() + frame;
  const WindowPosition at =
      PlaceWindow(position_, place_, {area.left(), area.top(), area.width(), area.height()},
                  outer.width(), outer.height());
  move(KeepInside(at, outer, area));
}

void PropertySheet::hideEvent(QHideEvent* event) {
  position_ = {frameGeometry().left(), frameGeometry().top()};
  QDialog::hideEvent(event);
}

}  // namespace quorlex
