#pragma once
// The colours every picture is drawn from: deep navy and steel blue for the
// brand surfaces, silver for metal, brass for the key, and the light dialog
// tones that leave black and blue labels readable.

#include <QColor>

namespace vek::draw {

inline const QColor kNavyDeep{0x07, 0x12, 0x2E};
inline const QColor kNavy{0x10, 0x2A, 0x5C};
inline const QColor kSteel{0x2F, 0x62, 0x9E};
inline const QColor kSteelLight{0x7F, 0xA8, 0xD8};
inline const QColor kSilver{0xC4, 0xCB, 0xD6};
inline const QColor kSilverLight{0xEE, 0xF1, 0xF6};
inline const QColor kGraphite{0x2A, 0x30, 0x3A};
inline const QColor kBrass{0xD9, 0xA8, 0x3A};
// The window face colour of the controls the small pictures sit on.
inline const QColor kFace{0xD4, 0xD0, 0xC8};
inline const QColor kDialogTop{0xF6, 0xF8, 0xFB};
inline const QColor kDialogBottom{0xD9, 0xE2, 0xEE};
inline const QColor kGreen{0x2E, 0xA0, 0x3C};
inline const QColor kRed{0xCC, 0x24, 0x1E};
inline const QColor kAmber{0xF4, 0xC4, 0x1E};
inline const QColor kWhite{0xFF, 0xFF, 0xFF};

}  // namespace vek::draw
