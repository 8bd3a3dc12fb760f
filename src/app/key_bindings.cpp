#include "app/key_bindings.h"

#include <QKeyEvent>

namespace viv {

int BindingKey(const QKeyEvent& e) {
  const int key = e.key();
  // Latin letters, digits and the special keys are what the bindings name.
  if (key < 0x80 || key >= Qt::Key_Escape) return key;
  // A letter of another layout (Cyrillic, Greek ...): the physical key decides, by its
  // evdev key code as X11 and Wayland report it.
  switch (e.nativeScanCode()) {
    case 24: return Qt::Key_Q;
    case 38: return Qt::Key_A;
    case 32: return Qt::Key_O;
    case 39: return Qt::Key_S;
    case 28: return Qt::Key_T;
    case 27: return Qt::Key_R;
    case 46: return Qt::Key_L;
    case 26: return Qt::Key_E;
    case 52: return Qt::Key_Z;
    case 53: return Qt::Key_X;
    case 56: return Qt::Key_B;
    case 55: return Qt::Key_V;
    default: return key;
  }
}

bool IsWorldKey(int k, bool control) {
  const bool worldKey = k == Qt::Key_O || k == Qt::Key_Space || k == Qt::Key_A || k == Qt::Key_Q || k == Qt::Key_X ||
                        k == Qt::Key_Z || k == Qt::Key_S || k == Qt::Key_Plus || k == Qt::Key_Minus ||
                        k == Qt::Key_Equal || k == Qt::Key_T || k == Qt::Key_R || k == Qt::Key_L || k == Qt::Key_E ||
                        k == Qt::Key_Comma || k == Qt::Key_Period || k == Qt::Key_BracketLeft ||
                        k == Qt::Key_BracketRight || k == Qt::Key_B || k == Qt::Key_V;
  return worldKey && (!control || k == Qt::Key_O || k == Qt::Key_S);
}

}  // namespace viv
