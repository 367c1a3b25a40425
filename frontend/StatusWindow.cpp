#include "frontend/StatusWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "foundation/ASCIIFile.h"
#include "foundation/FileNames.h"
#include "foundation/MessageChannel.h"
#include "frontend/ApplyTexts.h"
#include "frontend/CodePages.h"
#include "frontend/ProgramSettings.h"
#include "frontend/UiLanguage.h"

namespace quorlex {
namespace {

// Between the status window and the main window beside it.
constexpr int kGap = 8;

// The free parts of `desktop` right of, below, left of and above `main`.
std::array<QRect, 4> SidesOf(const QRect& main, const QRect& desktop) {
  return {QRect(QPoint(main.right() + 1 + kGap, desktop.top()), desktop.bottomRight()),
          QRect(QPoint(desktop.left(), main.bottom() + 1 + kGap), desktop.bottomRight()),
          QRect(desktop.topLeft(), QPoint(main.left() - 1 - kGap, desktop.bottom())),
          QRect(desktop.topLeft(), QPoint(desktop.right(), main.top() - 1 - kGap))};
}

// The line end of the window's text.
constexpr const char* kLineEnd = "\r\r\n";

// Lines of the window's text (separated by kLineEnd, none after the last), each converted
// for the screen.
QString ForScreen(std::string_view text) {
  QStringList lines;
  while (true) {
    const size_t end = text.find(kLineEnd);
    lines.append(ToQString(MessageToUtf8(text.substr(0, end))));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 3);
  }
  return lines.join(QLatin1Char('\n'));
}

QPushButton* Button(Control control, QWidget* parent) {
  auto* button = new QPushButton(parent);
  button->setAutoDefault(false);
  SetControlId(button, control);
  return button;
}

}  // namespace

StatusWindow::StatusWindow(ProgramSettings& settings, UiLanguage& language, QWidget* owner)
    : QDialog(owner), settings_(settings), uiLanguage_(language) {
  setModal(false);
  setSizeGripEnabled(true);
  messages_ = new QPlainTextEdit(this);
  messages_->setReadOnly(true);
  messages_->setLineWrapMode(QPlainTextEdit::NoWrap);
  messages_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  SetControlId(messages_, Control::StatusMessages);
  autoClose_ = new QCheckBox(this);
  SetControlId(autoClose_, Control::StatusAutoClose);
  autoClose_->setChecked(settings_.autoDismissStatusDialog != 0);
  QPushButton* save = Button(Control::StatusSave, this);
  QPushButton* clear = Button(Control::StatusClear, this);
  QPushButton* close = Button(Control::StatusClose, this);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(autoClose_);
  buttons->addStretch();
  buttons->addWidget(save);
  buttons->addWidget(clear);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(messages_);
  layout->addLayout(buttons);
  resize(620, 340);

  connect(autoClose_, &QCheckBox::toggled, this,
          [this](bool on) { settings_.autoDismissStatusDialog = on ? 1 : 0; });
  connect(save, &QPushButton::clicked, this, &StatusWindow::Save);
  connect(clear, &QPushButton::clicked, this, &StatusWindow::Clear);
  connect(close, &QPushButton::clicked, this, &StatusWindow::Close);
  connect(&uiLanguage_, &UiLanguage::LanguageChanged, this, &StatusWindow::ApplyTexts);

  ApplyTexts();
  Place();
}

StatusWindow::~StatusWindow() = default;

void StatusWindow::Attach(MessageChannel& channel) {
  channel.SetMessageCallback([this](const char* text) { AppendMessage(text); });
  channel.SetStatusCallback([this](const char* text) { AppendMessage(text); });
}

void StatusWindow::AppendMessage(const char* message) { AppendMessages({message}); }

void StatusWindow::AppendMessages(const std::vector<std::string>& messages) {
  TextString added;
  bool rebuilt = false;
  for (const std::string& message : messages) {
    if (AddMessage(message.c_str(), added)) {
      rebuilt = true;
      added.Clear();
    }
  }
  if (rebuilt) {
    std::string_view shown = text_.View();
    shown.remove_suffix(3);  // the line end after the last line
    messages_->setPlainText(ForScreen(shown));
  } else if (!messages.empty()) {
    messages_->appendPlainText(ForScreen(added.View()));
  }
  if (messages_->verticalScrollBar()->maximum() > 0) {
    messages_->moveCursor(QTextCursor::End);
    messages_->ensureCursorVisible();
  }
}

bool StatusWindow::AddMessage(const char* message, TextString& added) {
  // Split at line feeds; a message ending in a line feed has no empty last line.
  const TextString whole(message);
  TextString block;
  int pos = 0;
  int pieces = 0;
  TextString piece;
  while (whole.GetNextToken(pos, '\n', piece)) {
    if (pieces++ > 0) block.Append(kLineEnd);
    block += piece;
    lines_.push_back(piece);
  }
  if (pieces == 0) lines_.emplace_back();

  if (text_.Length() > kTextLimit) {
    const size_t first = lines_.size() > kKeptLines ? lines_.size() - kKeptLines : 0;
    text_.Clear();
    for (size_t i = first; i < lines_.size(); ++i) {
      text_ += lines_[i];
      text_.Append(kLineEnd);
    }
    lineCount_ = static_cast<int>(lines_.size() - first);
    return true;
  }
  text_ += block;
  text_.Append(kLineEnd);
  ++lineCount_;
  if (!added.IsEmpty()) added.Append(kLineEnd);
  added += block;
  return false;
}

void StatusWindow::Clear() {
  lines_.clear();
  text_.Clear();
  lineCount_ = 0;
  messages_->clear();
}

TextString StatusWindow::DefaultSaveName() const {
  TextString folder;
  TextString name;
  TextString extension;
  SplitPath(firstOutputPath_, folder, name, extension);
  return folder + name + ".log";
}

void StatusWindow::Save() {
  QFileDialog::Options options =
      QFileDialog::DontConfirmOverwrite | QFileDialog::HideNameFilterDetails;
  const QString chosen = QFileDialog::getSaveFileName(
      this, ToQString(uiLanguage_.Display(TextTable::Message, 16)),
      QString::fromLocal8Bit(DefaultSaveName().Data()),
      FileDialogFilter(uiLanguage_.Display(TextTable::Message, 91)), nullptr, options);
  if (chosen.isEmpty()) return;
  SaveToFile(TextString(chosen.toLocal8Bit().constData()));
}

int StatusWindow::SaveToFile(const TextString& chosenPath) {
  TextString path = chosenPath;
  int dot = -1;
  if (!NameAndExtension(path).FindChar(0, '.', dot, LetterCase::kMatters)) path.Append(".log");
  ASCIIFile file;
  if (!file.OpenWriteWhole(path.Data(), ASCIIFile::Mode::kText)) return 0;
  for (const TextString& line : lines_) {
    if (!file.WriteLine(line)) {
      file.CloseAll();
      return 0;
    }
  }
  return file.Commit();
}

void StatusWindow::Close() {
  settings_.statusWindow.left = pos().x();
  settings_.statusWindow.top = pos().y();
  hide();
}

void StatusWindow::ApplyTexts() {
  ApplyDialogTexts(this, DialogTemplate::Status, uiLanguage_);
  ApplyToolTips(this, uiLanguage_, settings_.displayToolTips != 0);
  language_ = uiLanguage_.Current();
}

void StatusWindow::Place() {
  if (PlaceBesideOwner()) return;
  const WindowPosition& stored = settings_.statusWindow;
  const bool onScreen =
      stored.IsStored() && QGuiApplication::screenAt(QPoint(stored.left, stored.top)) != nullptr;
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect desktop = screen->availableGeometry();
  const QSize size = frameGeometry().size();
  const WindowPosition at =
      PlaceWindow(onScreen ? stored : WindowPosition(), DefaultPlace::LowerRight,
                  {desktop.left(), desktop.top(), desktop.width(), desktop.height()}, size.width(),
                  size.height());
  move(at.left, at.top);
}

bool StatusWindow::PlaceBesideOwner() {
  QWidget* owner = parentWidget();
  if (owner == nullptr || !owner->isVisible() || owner->screen() == nullptr) return false;
  const QRect desktop = owner->screen()->availableGeometry();
  const QSize size = frameGeometry().size();
  // Beside the main window as it stands.
  const std::array<QRect, 4> sides = SidesOf(owner->frameGeometry(), desktop);
  for (const QRect& side : sides) {
    if (side.width() >= size.width() && side.height() >= size.height()) {
      MoveInto(side, owner->frameGeometry().topLeft(), size);
      return true;
    }
  }
  // Side by side, the main window moved over to make room: the pair centred on the screen.
  const int spare = desktop.width() - owner->frameGeometry().width() - kGap - size.width();
  if (spare >= 0) {
    owner->move(desktop.left() + spare / 2, owner->y());
    MoveInto(SidesOf(owner->frameGeometry(), desktop)[0], owner->frameGeometry().topLeft(), size);
    return true;
  }
  // Smaller, on the roomiest side, as far as its controls let it shrink.
  const QRect& roomiest =
      *std::max_element(sides.begin(), sides.end(), [](const QRect& a, const QRect& b) {
        return a.width() * a.height() < b.width() * b.height();
      });
  const QSize frame = size - geometry().size();
  const QSize smallest = minimumSizeHint() + frame;
  if (roomiest.width() < smallest.width() || roomiest.height() < smallest.height()) return false;
  const QSize fitting = size.boundedTo(roomiest.size());
  resize(fitting - frame);
  MoveInto(roomiest, owner->frameGeometry().topLeft(), fitting);
  return true;
}

void StatusWindow::MoveInto(const QRect& area, const QPoint& near, const QSize& size) {
  // As near the main window's corner as the area allows.
  const int left = std::clamp(near.x(), area.left(), area.right() + 1 - size.width());
  const int top = std::clamp(near.y(), area.top(), area.bottom() + 1 - size.height());
  move(left, top);
}

void StatusWindow::showEvent(QShowEvent* event) {
  if (language_ != uiLanguage_.Current()) ApplyTexts();
  autoClose_->setChecked(settings_.autoDismissStatusDialog != 0);
  Place();
  QDialog::showEvent(event);
}

void StatusWindow::closeEvent(QCloseEvent* event) {
  Close();
  event->accept();
}

void StatusWindow::reject() { Close(); }

}  // namespace quorlex
