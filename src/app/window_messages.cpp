#include "app/window_messages.h"

#include "app/ticks.h"

namespace viv {

void TWindowMessages::Notice(const std::string& text) {
  notice_ = !Current().empty() && notice_ != text ? notice_ + "; " + text : text;
  noticeUntil_ = TickCount() + 6000;
}

void TWindowMessages::Outcome(const std::string& text) {
  notice_ = text;
  noticeUntil_ = TickCount() + 5000;
}

std::string TWindowMessages::Current() const { return TickCount() < noticeUntil_ ? notice_ : std::string(); }

void TWindowMessages::Clear() {
  notice_.clear();
  noticeUntil_ = 0;
}

void TWindowMessages::UnknownKeys(const std::string& note, bool again) {
  if (!again && note == unknownKeysShown_) return;
  unknownKeysShown_ = note;
  if (!note.empty()) Notice(note);
}

QMessageBox* TWindowMessages::Box(QMessageBox::Icon icon, const QString& text) {
  auto* box = new QMessageBox(icon, "Vivarion", text, QMessageBox::Ok, window_);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setAttribute(Qt::WA_ShowWithoutActivating);
  box->setModal(false);
  box->installEventFilter(window_);
  return box;
}

void TWindowMessages::Report(const std::exception& e) {
  Box(QMessageBox::Critical, QString::fromStdString(e.what()))->show();
}

void TWindowMessages::ReloadFailed(const std::string& text) {
  if (!reloadError_) reloadError_ = Box(QMessageBox::Warning, "");
  reloadError_->setText(QString::fromStdString(text));
  reloadError_->show();
}

void TWindowMessages::ReloadWorked() {
  if (!reloadError_) return;
  reloadError_->close();
  reloadError_ = nullptr;
}

}  // namespace viv
