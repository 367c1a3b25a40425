#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "frontend/ProgramSettings.h"
#include "frontend/UiIds.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QScreen;
class QSpinBox;
class QTabWidget;
class QVBoxLayout;

namespace quorlex {

class UiLanguage;

// A modeless window of pages (tabs) whose controls edit values held elsewhere: policies, or
// program settings. Each control is bound to its value by a pair of functions; the sheet
// shows the values when it opens or reloads, and OK or Apply write back only the values of
// the controls the user touched. The sheet is created once and then shown, hidden and shown
// again; its position comes from the settings and goes back there when it is hidden. Each
// page is in a scroll area, so a sheet larger than its screen shrinks to fit and scrolls.
class PropertySheet : public QDialog {
  Q_OBJECT

 public:
  // `title` is the dialog text of the sheet's title. `position` (not owned) holds the sheet's
  // stored position; without one the sheet opens at `place`.
  PropertySheet(int title, UiLanguage& language, WindowPosition& position, DefaultPlace place,
                QWidget* owner);

  // Adds a page whose captions are the dialog texts of `page` (its title is the tab's text).
  // Returns the layout to put its controls in.
  QVBoxLayout* AddPage(DialogTemplate page);

  // Binds a control to a value: `get` reads the value, `set` writes it. The control is
  // marked touched when the user changes it.
  void BindCheck(QCheckBox* box, std::function<int()> get, std::function<void(int)> set);
  void BindNumber(QSpinBox* box, std::function<int()> get, std::function<void(int)> set);
  void BindText(QLineEdit* edit, std::function<TextString()> get,
                std::function<void(const TextString&)> set);
  // A drop-down list whose item index stands for a value.
  void BindChoice(QComboBox* box, std::function<int()> get, std::function<void(int)> set);
  // Marks a bound control as touched, as the user's own change would (for controls that other
  // controls set).
  void Touch(QWidget* control);

  // Shows the sheet at `page` (from 0), brought to the front; a sheet that was hidden shows
  // the current values first, in the current language, with tool tips when `toolTips`.
  void OpenAt(int page, bool toolTips);
  // Shows the current values again in every control; nothing counts as touched.
  void Reload();
  // Writes the values of the touched controls and emits Applied when there were any.
  void Apply();
  // The captions of the current language, and the tool tips when `toolTips`.
  void ApplyTexts(bool toolTips);

 signals:
  // Touched values were written.
  void Applied();
  // The values were shown again (after Reload).
  void Reloaded();
  // The captions were set (after ApplyTexts): lists fill their items in the language.
  void TextsApplied();

 protected:
  void hideEvent(QHideEvent* event) override;

 private:
  struct Binding {
    QWidget* control;
    std::function<void()> load;
    std::function<void()> store;
    bool touched = false;
  };
  Binding* BindingOf(QWidget* control);
  // The screen of the stored position when one is stored there, else the owner's.
  QScreen* ScreenToOpenOn() const;
  // Sizes the sheet to its natural size, but no larger than `room`: the pages scroll then.
  void FitInto(const QSize& room);
  // Sizes the sheet for the screen it opens on and moves it to its place there, wholly on
  // that screen.
  void Place();

  std::vector<Binding> bindings_;
  std::vector<std::pair<QWidget*, DialogTemplate>> pages_;
  int title_;
  UiLanguage& language_;
  WindowPosition& position_;
  DefaultPlace place_;
  QTabWidget* tabs_;
  bool loading_ = false;  // the controls are being filled: their changes are not the user's
};

}  // namespace quorlex
