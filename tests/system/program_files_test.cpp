// The built programs as another machine gets them: they load no library of a
// test package, carry none of the tests' stand-ins or user actions, and
// bring the allocator entries that overwrite freed memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
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

// Every allocator entry of the C library is the program's own, exported so
// that the shared libraries (the window toolkit's above all) free through
// it; the size query stays the C library's.
TEST(ProgramFilesTest, FreeThroughTheirOwnAllocatorEntries) {
#ifndef VEK_WIPES_FREED_MEMORY
  GTEST_SKIP() << "a sanitizer build: its allocator takes the place of the program's own";
#else
  constexpr const char* kEntries[] = {"malloc",        "free",     "calloc",
                                      "realloc",       "memalign", "posix_memalign",
                                      "aligned_alloc", "valloc",   "pvalloc"};
  for (const ProgramFile& file : ProgramFiles()) {
    SCOPED_TRACE(file.What);
    const vektest::TCommandResult nm = vektest::RunCommand({"nm", "-D", file.Path});
    ASSERT_EQ(nm.Status, 0) << nm.Output.substr(0, 2000);
    std::vector<std::string> defined;
    std::istringstream lines(nm.Output);
    for (std::string line; std::getline(lines, line);) {
      std::istringstream fields(line);
      std::string address, kind, name;
      if (fields >> address >> kind >> name && kind == "T") defined.push_back(name);
    }
    auto defines = [&defined](const std::string& name) {
      return std::find(defined.begin(), defined.end(), name) != defined.end();
    };
    for (const char* entry : kEntries) EXPECT_TRUE(defines(entry)) << entry;
    EXPECT_FALSE(defines("malloc_usable_size"));
  }
#endif
}

}  // namespace
