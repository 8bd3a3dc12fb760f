#pragma once
// What the main window tells the user: a short line under the overlay for a few seconds, and
// boxes beside the window that do not take the focus (errors, and one report of a failed
// settings reload kept up to date while the failure lasts). The window's keys keep working
// while a box is up: the boxes send them to the window's event filter.
#include <QMessageBox>
#include <QPointer>
#include <cstdint>
#include <exception>
#include <string>

class QWidget;

namespace viv {

class TWindowMessages {
 public:
  explicit TWindowMessages(QWidget* window) : window_(window) {}

  // A line under the overlay for six seconds; a line still showing keeps its place and the new
  // one joins it.
  void Notice(const std::string& text);
  // A line that replaces the one showing, for five seconds (the outcome of a save).
  void Outcome(const std::string& text);
  // The line while it shows, else empty.
  std::string Current() const;
  void Clear();
  // Unknown keys of the settings file named under the overlay: when they change, and again
  // (again) when a world starts.
  void UnknownKeys(const std::string& note, bool again);

  // An error in a box beside the window.
  void Report(const std::exception& e);
  // A settings reload failed (one box, kept up to date), or worked (the box goes).
  void ReloadFailed(const std::string& text);
  void ReloadWorked();
  QMessageBox* ReloadError() const { return reloadError_; }

 private:
  QMessageBox* Box(QMessageBox::Icon icon, const QString& text);
  QWidget* window_;
  std::string notice_;
  int64_t noticeUntil_ = 0;
  std::string unknownKeysShown_;       // the unknown keys last named
  QPointer<QMessageBox> reloadError_;  // cleared by Qt when the box goes
};

}  // namespace viv
