#pragma once
// The main window shown on a drive C: with a folder of files to browse.

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app_fixture.h"
#include "core/state.h"

namespace apptest {

class MainWindowTest : public AppTest {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes C:\<relative> with `size` bytes.
  void MakeFileOfSize(const std::string& relative, size_t size);
  // Opens the folder in the browser ("C:\\..."), as the user would.
  static void Browse(const std::string& windowsFolder);
  // Chooses a file of the browser's list, as the user would.
  static void ChooseFile(const std::string& name);
  // Chooses the file and presses "&Add file".
  static void AddFile(const std::string& name);
  // A grid click on row `row`.
  static void ClickRow(int row);
  // Argument 1 of the command line (empty: none).
  static void SetArgument(const std::string& argument);
};

// Whether every field of entry i of `a` equals that of entry j of `b`.
bool EntriesEqual(vek::TJobList& a, size_t i, vek::TJobList& b, size_t j);

}  // namespace apptest
