#pragma once
// The key as the program's bindings know it: the physical key when the keyboard layout gives
// no Latin letter for it.
class QKeyEvent;

namespace viv {

int BindingKey(const QKeyEvent& e);
// Whether the key (as BindingKey gives it) acts on the world from any of the program's
// windows, with control held or not.
bool IsWorldKey(int key, bool control);

}  // namespace viv
