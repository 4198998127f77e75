// The built programs as another machine gets them: they load no library of a
// test package and carry none of the tests' stand-ins or user actions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace {

struct ProgramFile {
  const char* What;
  std::string Path;         // the file as shipped
  std::string SymbolsPath;  // the same program before stripping
};

// The main program and (where it is built) the setup.
std::vector<ProgramFile> ProgramFiles() {
  std::vector<ProgramFile> files = {{"program", VEK_PROGRAM, VEK_PROGRAM}};
#ifdef VEK_SETUP_FILE
  files.push_back({"setup", VEK_SETUP_FILE, VEK_SETUP_IMAGE});
#endif
  return files;
}

TEST(ProgramFilesTest, LoadNoLibraryOfATestPackage) {
  constexpr const char* kTestLibraries[] = {"libQt6Test", "libgtest", "libgmock", "libbenchmark"};
  for (const ProgramFile& file : ProgramFiles()) {
    SCOPED_TRACE(file.What);
    const vektest::TCommandResult ldd = vektest::RunCommand({"ldd", file.Path});
    ASSERT_EQ(ldd.Status, 0) << ldd.Output;
    EXPECT_NE(ldd.Output.find("libQt6Widgets.so"), std::string::npos) << ldd.Output;
    for (const char* library : kTestLibraries) {
      EXPECT_EQ(ldd.Output.find(library), std::string::npos) << library << " in\n" << ldd.Output;
    }
  }
}

TEST(ProgramFilesTest, CarryNoTestDoubleOrUserAction) {
  constexpr const char* kTestCode[] = {
      "ForTest",                // the tests' setters of the host's stand-ins
      "dialogs_for_test",       // scripted message boxes
      "PriorityRequests",       // the record of priority requests
      "SetFakeDrive",           // fake drives
      "QTest",                  // Qt's test library
      "testing::",              // the test framework
      "ui::TControl::Click()",  // the controls' user actions
      "ui::TEdit::TypeText",
      "ui::TEdit::PressKey",
      "ui::TStringGrid::ClickCell",
      "ui::TFileListBox::ClickFile",
  };
  for (const ProgramFile& file : ProgramFiles()) {
    SCOPED_TRACE(file.What);
    const vektest::TCommandResult nm = vektest::RunCommand({"nm", "-C", file.SymbolsPath});
    ASSERT_EQ(nm.Status, 0) << nm.Output.substr(0, 2000);
    ASSERT_NE(nm.Output.find("ui::TApplication::Initialize"), std::string::npos) << "no symbols";
    for (const char* name : kTestCode) {
      const size_t at = nm.Output.find(name);
      EXPECT_EQ(at, std::string::npos)
          << name << ": " << nm.Output.substr(nm.Output.rfind('\n', at) + 1, 200);
    }
  }
}

}  // namespace
