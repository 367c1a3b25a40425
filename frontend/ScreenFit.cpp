#include "frontend/ScreenFit.h"

#include <QStyle>
#include <QWidget>
#include <initializer_list>

namespace quorlex {

PageScroller::PageScroller(QWidget* parent) : QScrollArea(parent) {
  setWidgetResizable(true);
  setFrameShape(QFrame::NoFrame);
  // The controls it holds take the keyboard, not the area around them.
  setFocusPolicy(Qt::NoFocus);
}

QSize PageScroller::sizeHint() const {
  return widget() != nullptr ? widget()->sizeHint() : QScrollArea::sizeHint();
}

QSize FrameAllowance(const QWidget* window, const QWidget* other) {
  constexpr QSize kFrameGuess(16, 40);
  for (const QWidget* shown : {window, other}) {
    if (shown == nullptr) continue;
    const QSize frame = shown->frameGeometry().size() - shown->geometry().size();
    if (!frame.isEmpty()) return frame;
  }
  return kFrameGuess;
}

QSize FittingSize(const QWidget* window, QSize natural, const QSize& room) {
  if (natural.height() > room.height())
    natural.rwidth() += window->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, window);
  return natural.boundedTo(room);
}

}  // namespace quorlex
