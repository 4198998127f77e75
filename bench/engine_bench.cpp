// The engine's speed: a 16 MB file encrypted and verified through the real
// processing window, its timer driven as fast as its ticks allow on the
// virtual clock, against the raw cipher's bound (two cipher passes, since
// the verification enciphers the source again). Also the longest tick,
// which must not take longer than the cipher needs for one 8192-byte block.
//
// Exit status 1 when a goal is missed: at least 0.8 of the bound; every
// tick that enciphers nothing shorter than a raw block, and the enciphering
// ticks (one block each) within 10 % of a raw block at the median. Single
// longest ticks are printed too; on a busy machine they carry its noise.
//
// --smoke runs the same road over 256 KiB and only checks that the run
// completes (the test suite runs it so; the figures mean nothing then).

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "app/program.h"
#include "core/cipher.h"
#include "core/state.h"
#include "engine/key_entry_window.h"
#include "engine/processing_window.h"
#include "platform/paths.h"
#include "ui/application.h"
#include "ui/clock.h"

namespace {

using Clock = std::chrono::steady_clock;
using Seconds = std::chrono::duration<double>;

// Processor time of this thread: ticks and blocks are compared by the work
// they do, apart from what else the machine runs meanwhile.
double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

constexpr size_t FullFileSize = size_t{16} << 20;
constexpr size_t SmokeFileSize = size_t{256} << 10;
constexpr size_t BlockSize = vek::SharedBufferSize;
constexpr double GoalRatio = 0.8;
constexpr std::string_view Key = "a key text of some length, 42 characters.";

std::vector<uint8_t> Content(size_t size) {
  std::vector<uint8_t> data(size);
  uint32_t x = 12345;
  for (auto& b : data) {
    x = x * 1103515245u + 12345u;
    b = static_cast<uint8_t>(x >> 24);
  }
  return data;
}

struct TCipherFigures {
  double BytesPerSecond;
  double MedianBlock;  // seconds for one 8192-byte block
  double Block99;      // 99th percentile
  double SlowestBlock;
};

// The raw cipher over the same bytes, block by block.
TCipherFigures MeasureCipher(std::vector<uint8_t> data) {
  vek::TKeyState key;
  key.SetKey(Key);
  std::vector<double> blocks;
  const auto start = Clock::now();
  for (size_t at = 0; at < data.size(); at += BlockSize) {
    const double blockStart = ThreadSeconds();
    key.EncipherBlock(data.data() + at, BlockSize);
    blocks.push_back(ThreadSeconds() - blockStart);
  }
  const double total = Seconds(Clock::now() - start).count();
  std::sort(blocks.begin(), blocks.end());
  return {static_cast<double>(data.size()) / total, blocks[blocks.size() / 2],
          blocks[blocks.size() * 99 / 100], blocks.back()};
}

struct TEngineFigures {
  double Seconds;
  int64_t Ticks;
  double LongestTick;
  uint16_t LongestState;
  double LongestOtherTick;  // of the states that encipher nothing
  uint16_t LongestOtherState;
  double MedianEncipherTick;  // of the two states that encipher one block
  double EncipherTick99;      // their 99th percentile
  bool Completed;
};

// Drive C: is `folder`; the windows are created as the program does.
void StartProgram(const std::filesystem::path& folder) {
  platform::SetDriveMap({{'C', folder.string()}});
  if (::chdir(folder.c_str()) != 0) std::exit(2);
  vek::ResetProgramState();
  vek::CreateProgramWindows();
}

TEngineFigures EncryptAndVerify(const std::filesystem::path& folder,
                                const std::vector<uint8_t>& data) {
  std::ofstream(folder / "bench.bin", std::ios::binary)
      .write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  auto& list = vek::JobList;
  list.JobCount = 1;
  list.Name[1] = "bench.bin";
  list.Folder[1] = "C:\\";
  list.Size[1] = static_cast<int64_t>(data.size());
  vek::VerifyAfterEncrypt = true;
  vek::DeleteMethod = vek::DeleteNormal;
  vek::RunMode = vek::RunEncrypt;
  vek::Form7->Show();
  vek::Form7->Edit1->SetText(Key);
  vek::Form7->Button1->Click();

  TEngineFigures f{};
  std::vector<double> encipherTicks;
  const auto start = Clock::now();
  while (vek::EngineState.Current != vek::EngineIdle && f.Ticks < 100'000'000) {
    const uint16_t state = vek::EngineState.Current;
    const double tickStart = ThreadSeconds();
    ui::clock::Advance(1);
    const double tick = ThreadSeconds() - tickStart;
    ++f.Ticks;
    if (tick > f.LongestTick) {
      f.LongestTick = tick;
      f.LongestState = state;
    }
    const bool enciphers = state == vek::StateEncipherBlock || state == vek::StateVerifyEncipher;
    if (enciphers) encipherTicks.push_back(tick);
    if (!enciphers && tick > f.LongestOtherTick) {
      f.LongestOtherTick = tick;
      f.LongestOtherState = state;
    }
  }
  f.Seconds = Seconds(Clock::now() - start).count();
  std::sort(encipherTicks.begin(), encipherTicks.end());
  if (!encipherTicks.empty()) {
    f.MedianEncipherTick = encipherTicks[encipherTicks.size() / 2];
    f.EncipherTick99 = encipherTicks[encipherTicks.size() * 99 / 100];
  }
  f.Completed = vek::Form8->Label1->Caption() == "Completed.";
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  const auto folder =
      std::filesystem::temp_directory_path() / ("vek-engine-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  const bool smoke = argc > 1 && std::string_view(argv[1]) == "--smoke";
  const std::vector<uint8_t> data = Content(smoke ? SmokeFileSize : FullFileSize);

  ui::TApplication::Initialize(argc, argv, ui::ClockMode::Virtual);
  StartProgram(folder);
  const TCipherFigures cipher = MeasureCipher(data);
  const TEngineFigures engine = EncryptAndVerify(folder, data);
  ui::TApplication::Shutdown();
  std::filesystem::remove_all(folder);

  const double megabytes = static_cast<double>(data.size()) / 1e6;
  const double engineRate = megabytes / engine.Seconds;
  const double bound = cipher.BytesPerSecond / 1e6 / 2;  // two cipher passes
  const double ratio = engineRate / bound;
  std::printf("(MB = 10^6 bytes; a %zu KiB file, encrypted and verified)\n", data.size() >> 10);
  std::printf("Raw cipher:                 %8.3f MB/s\n", cipher.BytesPerSecond / 1e6);
  std::printf("Bound with verification:    %8.3f MB/s (two cipher passes)\n", bound);
  std::printf("Engine, encrypt + verify:   %8.3f MB/s in %.2f s, %lld ticks%s\n", engineRate,
              engine.Seconds, static_cast<long long>(engine.Ticks),
              engine.Completed ? "" : " (DID NOT COMPLETE)");
  std::printf("Ratio to the bound:         %8.3f (goal >= %.1f)\n", ratio, GoalRatio);
  std::printf(
      "8192-byte block, raw:       %8.3f ms median, %.3f ms at 99 %%, %.3f ms slowest "
      "(processor time)\n",
      cipher.MedianBlock * 1e3, cipher.Block99 * 1e3, cipher.SlowestBlock * 1e3);
  std::printf("Longest tick:               %8.3f ms (state 0x%04X), %.2f of the median block\n",
              engine.LongestTick * 1e3, unsigned{engine.LongestState},
              engine.LongestTick / cipher.MedianBlock);
  std::printf("Enciphering tick:           %8.3f ms median, %.3f ms at 99 %% (one block each)\n",
              engine.MedianEncipherTick * 1e3, engine.EncipherTick99 * 1e3);
  std::printf("Longest tick not enciphering: %6.3f ms (state 0x%04X), %.2f of the median block\n",
              engine.LongestOtherTick * 1e3, unsigned{engine.LongestOtherState},
              engine.LongestOtherTick / cipher.MedianBlock);

  if (smoke) {
    std::printf("%s\n", engine.Completed ? "Smoke run completed." : "SMOKE RUN FAILED.");
    return engine.Completed ? 0 : 1;
  }
  const bool fastEnough = engine.Completed && ratio >= GoalRatio;
  const bool ticksShort = engine.LongestOtherTick < cipher.MedianBlock &&
                          engine.MedianEncipherTick <= cipher.MedianBlock * 1.1;
  std::printf("%s\n", fastEnough && ticksShort ? "Goals met." : "GOAL MISSED.");
  return fastEnough && ticksShort ? 0 : 1;
}
