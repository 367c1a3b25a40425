#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "foundation/TextString.h"

class QCheckBox;
class QPoint;
class QRect;
class QSize;
class QPlainTextEdit;

namespace quorlex {

class MessageChannel;
class UiLanguage;
struct ProgramSettings;

// The modeless window in which the messages of a conversion scroll by while it runs and
// stay readable afterwards. A run's message channel sends it every message and status line
// (Attach); the lines it has received since the last Clear can be saved to a file.
//
// Every line is kept for Save, but the text shown is cut back once it grows past 19999
// characters: the next message then rebuilds it from the last 50 lines only. The window is
// created once with the main window and shown and hidden from then on; its position (on
// Close) and the state of "Close automatically on completion" go to the settings.
class StatusWindow : public QDialog {
  Q_OBJECT

 public:
  // Lines shown after the text has been cut back, and the size that makes it happen.
  static constexpr int kKeptLines = 50;
  static constexpr int kTextLimit = 19999;

  // `settings` and `language` are the main window's and must outlive this window.
  StatusWindow(ProgramSettings& settings, UiLanguage& language, QWidget* owner = nullptr);
  ~StatusWindow() override;

  // Sends the channel's messages and status lines to this window.
  void Attach(MessageChannel& channel);

  // Adds a message: each of its lines (split at line feeds; an empty message is one empty
  // line) joins the kept lines and the text shown, then the text scrolls to its end.
  void AppendMessage(const char* message);
  // Adds messages as AppendMessage does, with one update of the text shown for them all.
  void AppendMessages(const std::vector<std::string>& messages);
  // Forgets every line and empties the text.
  void Clear();
  // Asks for a file name (starting from DefaultSaveName) and saves the lines there.
  void Save();
  // Writes every kept line to `chosenPath`, whole or not at all; ".log" is appended when the
  // file name holds no full stop. Returns 1 when the file was written; a file that cannot be
  // written is passed over without a message (0).
  int SaveToFile(const TextString& chosenPath);
  // Stores the window's position in the settings and hides it.
  void Close();

  // The first output file of the last run, from which Save takes its default name.
  void SetFirstOutputPath(const TextString& path) { firstOutputPath_ = path; }
  // The first output path with its extension replaced by ".log", or ".log" when none is
  // known.
  TextString DefaultSaveName() const;

  // Applies the dialog texts of the current language.
  void ApplyTexts();

  const std::vector<TextString>& Lines() const { return lines_; }
  // The text shown, lines separated by carriage return, carriage return, line feed.
  const TextString& Text() const { return text_; }
  int LineCount() const { return lineCount_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // Escape closes the window like its Close button.
  void reject() override;

 private:
  // Beside the main window when it shows (right of it, below, left or above: the first
  // place on its screen that covers none of it; else right of it, the main window moved
  // over to make room; else smaller), else at the stored position when it lies on a
  // screen, else 30 pixels from the right and bottom edges of the screen.
  void Place();
  // Adds a message's lines to the kept lines and the text. Returns true when the text grew
  // past its limit and was rebuilt from the last lines; else the message's lines are
  // appended to `added`.
  bool AddMessage(const char* message, TextString& added);
  // Moves the window beside the main window, as Place says; false when the main window is
  // hidden or no room can be found.
  bool PlaceBesideOwner();
  // Moves the window, `size` with its frame, into `area` as near to `near` as it goes.
  void MoveInto(const QRect& area, const QPoint& near, const QSize& size);

  TextString text_;
  int language_ = -2;  // the language whose texts were last applied; none yet
  std::vector<TextString> lines_;
  int lineCount_ = 0;
  ProgramSettings& settings_;
  UiLanguage& uiLanguage_;
  TextString firstOutputPath_;
  QPlainTextEdit* messages_;
  QCheckBox* autoClose_;
};

}  // namespace quorlex
