#pragma once
// The settings file "VEK 2003.set" in ProgramFolder: the 1024-byte settings
// record, enciphered, followed by 0 to 255 random filler bytes. The filler
// count N chooses the key: the extension of file-type row N + 1.
//
// The record is built and taken apart in SharedBuffer (the random filler
// of the file's tail is drawn into SharedBuffer2). Both routines leave the
// program-wide KeyState set to the settings key.

#include <cstdint>
#include <functional>
#include <string_view>

#include "core/constants.h"
#include "core/state.h"

namespace vek {

inline constexpr std::string_view SettingsFileName = "VEK 2003.set";

// The options' values when no settings file could be loaded.
inline constexpr bool DefaultFlagOption = true;  // the six processing flags and ShowHints
inline constexpr uint8_t DefaultDeleteMethod = DeleteSinglePass;
inline constexpr uint16_t DefaultHintPause = 800;
inline constexpr uint16_t DefaultHintHidePause = 8000;
inline constexpr uint8_t DefaultLockWindowSpeed = 1;
inline constexpr uint8_t DefaultInsaneModeThreshold = 0;

// Every option and StartCount to the value above (texts empty, the layout
// and screen-lock switches off); the window positions keep their values.
void ApplyDefaultSettings();

// The owner data of the options: what encryption writes into the header of
// a plain file, and the editor's default information.
TEmbeddedData OptionsOwner();

// The sum of record positions 1..1021 of SharedBuffer, modulo 65536.
uint16_t SettingsChecksum();

// Whether the settings file exists in ProgramFolder.
bool SettingsFileExists();

// Builds the record from the options (and, when SaveWindowLayout is on, the
// window positions, captured first through the hook below), enciphers it
// and writes the file. The new file is written under a temporary name and
// then takes the place of the old one in one step, so a failed write keeps
// the old settings. True when the new file is in place.
bool SaveSettings();

// Reads, deciphers and checks the settings file and unpacks it into the
// options. False, with every option unchanged, when the file is missing,
// has the wrong size, cannot be read or fails its check sum or marks. A
// stored option outside its range takes its default. Leaves the settings
// file's examination in CurrentFile.
bool LoadSettings();

// What copies every window's position into WindowLeft and WindowTop: the
// window layer installs it; until then saving captures nothing.
void SetSaveWindowPositionsHook(std::function<void()> hook);

}  // namespace vek
