#pragma once
// Virtual key codes, as the program's key handlers and key actions name
// keys, and the Qt keys they stand for.

#include <QString>

#include <cstdint>

namespace ui::detail {

// Virtual key code of a Qt key, 0 when it has none here.
uint16_t VirtualKeyOf(int qtKey);
// The Qt key of a virtual key code, Qt::Key_unknown when it has none here.
int QtKeyOf(uint16_t virtualKey);
// The text a key types on its own (letters in lower case), "" for none.
QString TextOfVirtualKey(uint16_t key);

}  // namespace ui::detail
