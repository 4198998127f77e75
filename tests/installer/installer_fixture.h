#pragma once
// The installer's windows over a small installer file of the tests' own: a
// fresh temporary folder mapped as drive C: (the current folder, with
// plenty of free space), a private registry store, the shell folders on C:,
// shell requests recorded instead of run, and the installer file
// C:\setup\vek2003-setup measured by the backdrop.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "installer/image.h"
#include "test_support.h"

namespace ui {
class TForm;
}

namespace vektest {

using Bytes = std::vector<uint8_t>;

// A program image of exactly `size` bytes (at least 256) by its ELF headers.
Bytes ElfImage(size_t size, uint32_t seed);

// A small installer file: its image, the three payload files and the trailer.
struct TestSetup {
  Bytes Image = ElfImage(6000, 7);
  std::array<Bytes, 3> Files = {PatternBytes(5000, 11), Readme(), PatternBytes(700, 13)};

  static Bytes Readme();
  vek::installer::TPayloadTable Table() const;
  // The image and files, without the trailer.
  Bytes Body() const;
  int32_t Sum() const;
  // The whole file, with the trailer of the body's sum.
  Bytes File() const;
};

inline constexpr std::string_view kShellFolders =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

class InstallerTest : public TempDirTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A fresh ui application with the installer's windows, created in the
  // current folder (the drive combo box starts on its drive).
  void CreateWindows();
  // Replaces the installer file and measures it again.
  void WriteSetupFile(const Bytes& bytes);
  // Takes the installer file's access time away, so that its search entry
  // counts as not found, and measures it again.
  void MakeSetupFileUnsizable();
  // Runs the step machine from the progress page's show until another page
  // shows; the step code of every tick, in order.
  std::vector<uint16_t> RunInstallation(std::string_view installDir);

  std::filesystem::path HostPath(std::string_view windowsRelative) const;
  // The files of drive C: (the desktop's folders among them) and the registry.
  std::string FilesAndRegistry() const {
    return ListFiles(dir.path()) + ListFiles(registry_.path());
  }
  static void Screenshot(ui::TForm* form, const std::string& name);

  static constexpr std::string_view kSetupFile = "C:\\setup\\vek2003-setup";
  TestSetup setup;
  // The user's data and settings folders in the test's folder, where the
  // installer tells the desktop of the program.
  ScopedEnvironment environment{
      {{"XDG_DATA_HOME", (dir / "data").string()}, {"XDG_CONFIG_HOME", (dir / "config").string()}}};
  std::vector<std::string> shellCalls;  // "verb|target", and "|folder" when one is given

 private:
  TempDir registry_;
};

}  // namespace vektest
