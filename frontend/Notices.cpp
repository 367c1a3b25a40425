#include "frontend/Notices.h"

#include <QMessageBox>

#include "frontend/ApplyTexts.h"

namespace quorlex {

void QtNotices::Show(const std::string& caption, const std::string& text, NoticeIcon icon) {
  QMessageBox box(icon == NoticeIcon::Exclamation ? QMessageBox::Warning : QMessageBox::Information,
                  ToQString(caption), ToQString(text), QMessageBox::Ok, parent_);
  box.exec();
}

}  // namespace quorlex
