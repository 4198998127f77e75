#pragma once
// The installer's program-wide state, declared together: the measurements
// taken at start-up, the chosen folder and drive space, the marquee and the
// installation step machine, and the form variables of the seven windows.
// Everything starts zero or empty; ResetInstallerState() returns it there
// (tests).

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "installer/image.h"
#include "platform/files.h"

namespace vek::installer {

class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class TForm7;

// --- Measurements of the running installer file (backdrop's create handler) ----
inline std::string SetupDir;       // folder of the installer file, with a trailing "\"
inline std::string SetupName;      // its file name
inline int64_t SetupSize = 0;      // -1 when it cannot be found
inline int64_t PayloadOffset = 0;  // where the program image ends; 0 when unknown
inline int64_t PayloadSize = 0;    // SetupSize - PayloadOffset
inline int32_t PayloadTotal = 0;   // the table's sizes added: the space the install needs
inline TTrailer TrailerBytes{};    // the file's last four bytes, in file order
inline int32_t ExpectedSum = 0;    // TrailerBytes as a signed little-endian value

// --- Folder page --------------------------------------------------------------------
inline int64_t FreeSpace = 0;   // free bytes of the drive measured last
inline std::string InstallDir;  // the chosen folder; gets its trailing "\" at step 0x2400

// --- Marquee of feature lines (backdrop) -----------------------------------------
inline uint8_t MarqueeLine = 0;   // 1..23: the line shown next
inline uint8_t MarqueeState = 0;  // 1 show, 2 slide in, 3 hold, 4 slide out
inline int32_t MarqueeX = 0;
inline int32_t MarqueeY = 0;
inline double MarqueeStart = 0;
inline double MarqueeOffset = 0;
inline uint16_t MarqueeSteps = 0;
inline uint16_t MarqueeTick = 0;
inline uint16_t MarqueeHold = 0;

// --- Installation step machine (progress page) --------------------------------------
inline uint16_t CurrentStep = 0;
inline uint16_t NextStep = 0;
inline uint8_t TaskIndex = 0;  // the task whose label is bold, 1..5
inline uint8_t TaskTick = 0;   // arrow ticks within a task change, 0..23
inline std::unique_ptr<platform::FileStream> SourceStream;  // the installer file, shared
inline std::unique_ptr<platform::FileStream> TargetStream;  // the payload file being written
inline std::array<uint8_t, ChunkSize> ChunkBuffer{};
inline int32_t ComputedSum = 0;
inline int32_t SumCount = 0;
inline uint8_t FileIndex = 0;  // payload file being copied, 1..3
inline int32_t FileRemaining = 0;
inline int32_t CopiedTotal = 0;
inline uint16_t StepFailures = 0;  // failed runs of the current step in a row
// What the install log holds: what the desktop could not be told, line by line.
inline std::vector<std::string> InstallNotes;
// What the entries and shortcuts start (a Windows path): the starter that
// runs the program in its folder, written with the file type's entry;
// empty until then, when they start the program itself.
inline std::string EntryCommand;

// --- Windows ---------------------------------------------------------------------------
inline TForm1* Form1 = nullptr;  // backdrop, the main form
inline TForm2* Form2 = nullptr;  // welcome
inline TForm3* Form3 = nullptr;  // folder
inline TForm4* Form4 = nullptr;  // shortcuts
inline TForm5* Form5 = nullptr;  // progress and the step machine
inline TForm6* Form6 = nullptr;  // finish
inline TForm7* Form7 = nullptr;  // error

// --- What tests put in place of the real file and table ------------------------------
// The Windows path of the installer file that the measurements take; nothing:
// the running executable's own file.
inline std::optional<std::string> SetupFileOverride;
// The payload table in force; nothing: the one compiled in.
inline std::optional<TPayloadTable> PayloadTableOverride;

// The table in force.
const TPayloadTable& PayloadTable();

// The installer file (SetupDir + SetupName) opened for reading, shared with
// every other reader; nothing, with `error` set, when it cannot be opened.
std::unique_ptr<platform::FileStream> OpenSetupFile(int* error = nullptr);

// The install folder as a working folder: a drive root keeps its backslash,
// other folders lose it.
std::string InstallWorkingFolder();

// Back to the start state (the windows are not touched).
void ResetInstallerState();

}  // namespace vek::installer
