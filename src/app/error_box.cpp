#include "app/error_box.h"

#include <QMessageBox>

namespace viv {

void ShowErrorBox(QWidget* parent, const QString& caption, const QString& text) {
  auto* box = new QMessageBox(QMessageBox::Warning, caption, text, QMessageBox::Ok, parent);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::NonModal);
  box->show();
}

}  // namespace viv
