// The settings loader. The input is taken twice:
// - as the settings file itself: the loader either refuses it with every
//   option unchanged, or takes it with every option inside its range;
// - as option values (any bytes, so mostly outside their ranges) that the
//   settings writer stores: loading them back gives each value that is in
//   range and the default for each that is not; then one byte of the
//   written file, chosen by the input, is changed and the loader must again
//   refuse cleanly or give options in range.
// The enciphered file hides its record from the fuzzer's mutations; the
// second reading is what takes the unpacking of every option through its
// range checks.

#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "core/settings.h"
#include "core/state.h"
#include "fuzz_support.h"
#include "platform/system.h"
#include "platform_doubles.h"

namespace vek {
namespace {

using vekfuzz::Check;

// Every option the settings record holds.
struct TOptions {
  int32_t StartCount = 0;
  std::array<std::string, 9> Texts;
  std::array<bool, 9> Flags{};
  uint8_t DeleteMethod = 0;
  uint16_t HintPause = 0;
  uint16_t HintHidePause = 0;
  uint8_t LockWindowSpeed = 0;
  uint8_t InsaneModeThreshold = 0;
  std::array<int32_t, WindowSlotCount> WindowLeft{};
  std::array<int32_t, WindowSlotCount> WindowTop{};
  friend bool operator==(const TOptions&, const TOptions&) = default;
};

auto TextOptions() {
  return std::tie(OwnerFirstName, OwnerLastName, OwnerCompany, OwnerLocation, OwnerEmail, InfoLine1,
                  InfoLine2, InfoLine3, ScreenLockPassword);
}

constexpr std::array FlagOptions = {&TimestampEncryption, &PreserveAttributes,
                                    &WindowsInformation,  &DeletePlaintextAfterEncrypt,
                                    &VerifyAfterEncrypt,  &DeleteEncryptedAfterDecrypt,
                                    &ShowHints,           &SaveWindowLayout,
                                    &ScreenLockEnabled};

TOptions CurrentOptions() {
  TOptions options;
  options.StartCount = StartCount;
  size_t i = 0;
  std::apply([&](const auto&... text) { ((options.Texts[i++] = text.Text()), ...); },
             TextOptions());
  for (size_t f = 0; f < FlagOptions.size(); ++f) options.Flags[f] = *FlagOptions[f];
  options.DeleteMethod = DeleteMethod;
  options.HintPause = HintPause;
  options.HintHidePause = HintHidePause;
  options.LockWindowSpeed = LockWindowSpeed;
  options.InsaneModeThreshold = InsaneModeThreshold;
  options.WindowLeft = WindowLeft;
  options.WindowTop = WindowTop;
  return options;
}

// The program's option values from the input's bytes, as they come.
void SetOptionsFrom(FuzzedDataProvider& input) {
  constexpr size_t LongestText = 80;  // longer than any field, so cutting is exercised
  StartCount = input.ConsumeIntegral<int32_t>();
  std::apply(
      [&](auto&... text) { (text.Assign(input.ConsumeRandomLengthString(LongestText)), ...); },
      TextOptions());
  for (bool* flag : FlagOptions) *flag = input.ConsumeBool();
  DeleteMethod = input.ConsumeIntegral<uint8_t>();
  HintPause = input.ConsumeIntegral<uint16_t>();
  HintHidePause = input.ConsumeIntegral<uint16_t>();
  LockWindowSpeed = input.ConsumeIntegral<uint8_t>();
  InsaneModeThreshold = input.ConsumeIntegral<uint8_t>();
  for (size_t slot = 0; slot < WindowSlotCount; ++slot) {
    WindowLeft[slot] = input.ConsumeIntegral<int32_t>();
    WindowTop[slot] = input.ConsumeIntegral<int32_t>();
  }
}

bool IsHintPause(uint16_t pause) {
  for (unsigned valid = 100; valid <= 6400; valid *= 2) {
    if (pause == valid) return true;
  }
  return false;
}

// `options` with each value outside its range replaced by its default.
TOptions Normalised(TOptions options) {
  if (options.DeleteMethod < DeleteNormal || options.DeleteMethod > DeleteTriplePass) {
    options.DeleteMethod = DefaultDeleteMethod;
  }
  if (!IsHintPause(options.HintPause)) options.HintPause = DefaultHintPause;
  if (options.HintHidePause % 1000 != 0 || options.HintHidePause < 1000 ||
      options.HintHidePause > 16000) {
    options.HintHidePause = DefaultHintHidePause;
  }
  if (options.LockWindowSpeed < 1 || options.LockWindowSpeed > 5) {
    options.LockWindowSpeed = DefaultLockWindowSpeed;
  }
  if (options.InsaneModeThreshold > 21) options.InsaneModeThreshold = DefaultInsaneModeThreshold;
  return options;
}

// Options as loading starts from: the defaults, no window positions.
TOptions ClearOptions() {
  ApplyDefaultSettings();
  WindowLeft = {};
  WindowTop = {};
  return CurrentOptions();
}

// Loads the file on the drive: a refusal changes nothing, a success leaves
// every option in range.
void CheckLoad() {
  const TOptions before = ClearOptions();
  if (LoadSettings()) {
    const TOptions loaded = CurrentOptions();
    Check(Normalised(loaded) == loaded, "loaded options lie inside their ranges");
  } else {
    Check(CurrentOptions() == before, "a refused settings file changes no option");
  }
}

// The moment the writer seeds its random filler from, taken from the input
// so that the filler count, and with it the key, varies.
void SetClockFrom(FuzzedDataProvider& input) {
  platform::CalendarTime moment{2003, 12, 9, 2, 15, 7, 5, 250};
  moment.Hour = input.ConsumeIntegralInRange<uint16_t>(0, 23);
  moment.Second = input.ConsumeIntegralInRange<uint16_t>(0, 59);
  moment.Millisecond = input.ConsumeIntegralInRange<uint16_t>(0, 999);
  platform::SetLocalNowForTest(moment);
}

void CheckRoundTrip(FuzzedDataProvider& input) {
  SetClockFrom(input);
  SetOptionsFrom(input);
  TOptions expected = Normalised(CurrentOptions());
  if (!SaveWindowLayout) expected.WindowLeft = expected.WindowTop = {};
  Check(SaveSettings(), "the settings can be written");
  ClearOptions();
  Check(LoadSettings(), "written settings load");
  Check(CurrentOptions() == expected, "written settings load as written, defaults for the rest");

  std::vector<uint8_t> file = vekfuzz::ReadHostFile(vekfuzz::Drive().HostPath(SettingsFileName));
  const size_t position = input.ConsumeIntegralInRange<size_t>(0, file.size() - 1);
  file[position] ^= input.ConsumeIntegralInRange<uint8_t>(1, 255);
  vekfuzz::Drive().Place(SettingsFileName, file);
  CheckLoad();
}

}  // namespace
}  // namespace vek

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  vekfuzz::Drive();
  vek::ProgramFolder = vekfuzz::DriveRoot;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vekfuzz::Drive().Place(vek::SettingsFileName, std::span<const uint8_t>(data, size));
  vek::CheckLoad();
  FuzzedDataProvider input(data, size);
  vek::CheckRoundTrip(input);
  return 0;
}
