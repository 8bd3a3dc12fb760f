#pragma once
// A failure told in a box that does not block: the world and the window go on meanwhile.
#include <QString>

class QWidget;

namespace viv {

void ShowErrorBox(QWidget* parent, const QString& caption, const QString& text);

}  // namespace viv
