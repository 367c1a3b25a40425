#pragma once

#include <string>

class QWidget;

namespace quorlex {

enum class NoticeIcon { Information, Exclamation };

// Shows the front end's message boxes. Texts are UTF-8. The program uses QtNotices; tests
// record what would have been shown.
class Notices {
 public:
  virtual ~Notices() = default;
  // Shows a message box with an OK button and waits until it is closed.
  virtual void Show(const std::string& caption, const std::string& text, NoticeIcon icon) = 0;
};

// Message boxes of Qt, in front of `parent` (not owned; may be null).
class QtNotices : public Notices {
 public:
  explicit QtNotices(QWidget* parent) : parent_(parent) {}
  void Show(const std::string& caption, const std::string& text, NoticeIcon icon) override;

 private:
  QWidget* parent_;
};

}  // namespace quorlex
