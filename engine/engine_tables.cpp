#include "engine/engine_tables.h"

#include "core/state.h"

namespace vek {

uint8_t DriveKindOf(char letter) {
  const char upper =
      (letter >= 'a' && letter <= 'z') ? static_cast<char>(letter - 'a' + 'A') : letter;
  if (upper < 'A' || upper > 'Z') return 0;
  return DriveKinds[static_cast<size_t>(upper - 'A' + 1)];
}

}  // namespace vek
