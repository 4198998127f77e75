#include "main_window_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <type_traits>

#include "platform/system.h"
#include "test_support.h"

namespace apptest {

void MainWindowTest::SetUp() {
  AppTest::SetUp();
  SetArgument("");
  StartProgram();
  vek::Form1->Hide();
  vek::Form2->Show();
}

void MainWindowTest::TearDown() {
  SetArgument("");
  AppTest::TearDown();
}

void MainWindowTest::MakeFileOfSize(const std::string& relative, size_t size) {
  std::filesystem::create_directories(HostPath(relative).parent_path());
  vektest::MakePatternFile(HostPath(relative), size);
}

// From the drive's root down, a double click on each folder of the path.
void MainWindowTest::Browse(const std::string& windowsFolder) {
  ui::TDirectoryListBox& folders = *vek::Form2->DirectoryListBox1;
  folders.Refresh();  // the folders the test made since
  std::string path = windowsFolder.substr(0, 3);
  size_t start = 3;
  while (true) {
    int index = -1;
    for (int i = 0; i < folders.ItemCount() && index < 0; ++i) {
      if (folders.ItemPath(i) == path) index = i;
    }
    ASSERT_GE(index, 0) << path;
    folders.DblClickItem(index);
    ASSERT_EQ(folders.Directory(), path);
    if (start >= windowsFolder.size()) return;
    const size_t end = std::min(windowsFolder.find('\\', start), windowsFolder.size());
    path = (path.size() > 3 ? path + "\\" : path) + windowsFolder.substr(start, end - start);
    start = end + 1;
  }
}

void MainWindowTest::ChooseFile(const std::string& name) {
  vek::Form2->FileListBox1->Update();
  ASSERT_TRUE(vek::Form2->FileListBox1->ClickFile(name)) << name;
}

void MainWindowTest::AddFile(const std::string& name) {
  ChooseFile(name);
  vek::Form2->BitBtn3->Click();
}

void MainWindowTest::ClickRow(int row) {
  vek::Form2->StringGrid1->ClickCell(0, row);
}

void MainWindowTest::SetArgument(const std::string& argument) {
  const char* argv[] = {"vek2003", argument.c_str()};
  platform::SetCommandLine(argument.empty() ? 1 : 2, argv);
}

bool EntriesEqual(vek::TJobList& a, size_t i, vek::TJobList& b, size_t j) {
  std::vector<void*> fieldsOfB;
  b.ForEachField([&](auto& field) { fieldsOfB.push_back(&field); });
  size_t k = 0;
  bool same = true;
  a.ForEachField([&](auto& field) {
    const auto& other = *static_cast<std::remove_reference_t<decltype(field)>*>(fieldsOfB[k++]);
    if (!(field[i] == other[j])) same = false;
  });
  return same;
}

}  // namespace apptest
