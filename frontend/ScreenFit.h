#pragma once

#include <QScrollArea>
#include <QSize>

class QWidget;

namespace quorlex {

// A scroll area that asks for the whole of what it shows: a plain QScrollArea caps its size
// hint at a few dozen lines, which would put scroll bars on a page that fits the screen.
// Windows hold their pages in one, so that a page larger than the screen (a long language,
// a large display scale) scrolls instead of running off it.
class PageScroller : public QScrollArea {
 public:
  explicit PageScroller(QWidget* parent);
  QSize sizeHint() const override;
};

// The room the window manager's frame takes around `window`: its real frame once it has
// been on the screen, else that of `other` (may be null), else a guess of a title bar and
// thin borders.
QSize FrameAllowance(const QWidget* window, const QWidget* other = nullptr);

// `natural` bounded by `room`, one scroll bar wider when it is taller than the room (so that
// no sideways scroll bar comes with the upright one).
QSize FittingSize(const QWidget* window, QSize natural, const QSize& room);

}  // namespace quorlex
