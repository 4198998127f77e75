// The keystream cipher: the literal form against the production form, in
// the same process. Prints both speeds and their ratio at the end; the
// production form must be at least 25 times the literal one, or the bench
// exits with status 1. A run that leaves out either form (a filter) only
// prints what it measured.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "core/cipher.h"
#include "core/cipher_reference.h"

namespace {

constexpr std::string_view Key = "a key text of some length, 42 characters.";
// Both forms encipher the same megabyte. The literal one needs about 10 s
// for it, so it runs just once.
constexpr size_t BufferSize = size_t{1} << 20;

std::vector<uint8_t> Data(size_t size) {
  std::vector<uint8_t> data(size);
  for (size_t i = 0; i < size; ++i) data[i] = static_cast<uint8_t>(i * 131 + 7);
  return data;
}

// Enciphers a buffer of `size` bytes per iteration with `encipher`.
template <class Encipher>
void MeasureEncipher(benchmark::State& state, size_t size, Encipher encipher) {
  std::vector<uint8_t> data = Data(size);
  for (auto _ : state) {
    encipher(data.data(), data.size());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
}

void BM_LiteralEncipher(benchmark::State& state) {
  vek::TKeyState key;
  vek::reference::SetKey(key, Key);
  MeasureEncipher(state, BufferSize, [&key](uint8_t* data, size_t size) {
    vek::reference::EncipherBlock(key, data, size);
  });
}
BENCHMARK(BM_LiteralEncipher)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_FastEncipher(benchmark::State& state) {
  vek::TKeyState key;
  key.SetKey(Key);
  MeasureEncipher(state, BufferSize,
                  [&key](uint8_t* data, size_t size) { key.EncipherBlock(data, size); });
}
BENCHMARK(BM_FastEncipher)->Unit(benchmark::kMillisecond);

// One call per byte, as a caller without the block form would do it.
void BM_FastEncipherByte(benchmark::State& state) {
  vek::TKeyState key;
  key.SetKey(Key);
  MeasureEncipher(state, BufferSize, [&key](uint8_t* data, size_t size) {
    for (size_t i = 0; i < size; ++i) data[i] = key.EncipherByte(data[i]);
  });
}
BENCHMARK(BM_FastEncipherByte)->Unit(benchmark::kMillisecond);

void BM_LiteralSetKey(benchmark::State& state) {
  vek::TKeyState key;
  for (auto _ : state) {
    vek::reference::SetKey(key, Key);
    benchmark::DoNotOptimize(key);
  }
}
BENCHMARK(BM_LiteralSetKey)->Unit(benchmark::kMicrosecond);

void BM_FastSetKey(benchmark::State& state) {
  vek::TKeyState key;
  for (auto _ : state) {
    key.SetKey(Key);
    benchmark::DoNotOptimize(key);
  }
}
BENCHMARK(BM_FastSetKey)->Unit(benchmark::kMicrosecond);

// Console output as usual, keeping each benchmark's figures for the summary.
class SummaryReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;
      const std::string name = run.run_name.function_name;
      const auto rate = run.counters.find("bytes_per_second");
      if (rate != run.counters.end()) bytesPerSecond_[name] = rate->second.value;
      microseconds_[name] = run.GetAdjustedRealTime() *
                            benchmark::GetTimeUnitMultiplier(benchmark::kMicrosecond) /
                            benchmark::GetTimeUnitMultiplier(run.time_unit);
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // False when the goal was measured and missed.
  bool PrintSummary() {
    const double literal = bytesPerSecond_["BM_LiteralEncipher"];
    const double fast = bytesPerSecond_["BM_FastEncipher"];
    const double fastByte = bytesPerSecond_["BM_FastEncipherByte"];
    const double literalKey = microseconds_["BM_LiteralSetKey"];
    const double fastKey = microseconds_["BM_FastSetKey"];
    std::printf("\n(MB = 10^6 bytes)\nLiteral cipher:        %8.3f MB/s\n", literal / 1e6);
    std::printf("Fast cipher (block):   %8.3f MB/s\n", fast / 1e6);
    std::printf("Fast cipher (byte):    %8.3f MB/s\n", fastByte / 1e6);
    if (literal > 0) {
      std::printf("Ratio fast/literal:    %8.1f (block), %.1f (byte); goal >= %.0f\n",
                  fast / literal, fastByte / literal, Goal);
    }
    std::printf("SetKey literal:        %8.1f us\n", literalKey);
    std::printf("SetKey fast:           %8.1f us\n", fastKey);
    if (fastKey > 0) std::printf("Ratio SetKey:          %8.1f\n", literalKey / fastKey);
    if (literal <= 0 || fast <= 0) return true;
    const bool met = fast / literal >= Goal;
    std::printf("%s\n", met ? "Goal met." : "GOAL MISSED.");
    return met;
  }

  static constexpr double Goal = 25.0;

 private:
  std::map<std::string, double> bytesPerSecond_;
  std::map<std::string, double> microseconds_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  SummaryReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const bool met = reporter.PrintSummary();
  benchmark::Shutdown();
  return met ? 0 : 1;
}
