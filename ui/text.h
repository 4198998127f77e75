#pragma once
// The program's texts are 8-bit strings. The library shows one as UTF-8 when
// it is valid UTF-8 and as Windows-1252 otherwise, and gives back what the
// user typed as UTF-8.

#include <string>
#include <string_view>

namespace ui {

bool IsValidUtf8(std::string_view text);
// The program text as UTF-8 for display.
std::string DisplayText(std::string_view programText);
// "&Open" -> "Open" with its mnemonic; "&&" stands for one "&".
std::string StripMnemonic(std::string_view caption);

}  // namespace ui
