// The drive combo box, directory list and file list over a temporary folder.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QTest>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/drives.h"
#include "platform/files.h"
#include "platform/paths.h"
#include "test_support.h"
#include "ui/form.h"

namespace {

class TBrowserForm : public ui::TForm {
 public:
  ui::TDriveComboBox* DriveComboBox1 = nullptr;
  ui::TDirectoryListBox* DirectoryListBox1 = nullptr;
  ui::TFileListBox* FileListBox1 = nullptr;
  std::vector<std::string> calls;

 protected:
  void DeclareBindings(ui::TFormBinder& binder) override {
    binder.Control("DriveComboBox1", DriveComboBox1);
    binder.Control("DirectoryListBox1", DirectoryListBox1);
    binder.Control("FileListBox1", FileListBox1);
    binder.Handler("DriveClick", this, &TBrowserForm::DriveClick);
    binder.Handler("DriveChange", this, &TBrowserForm::DriveChange);
    binder.Handler("DirClick", this, &TBrowserForm::DirClick);
    binder.Handler("DirDblClick", this, &TBrowserForm::DirDblClick);
    binder.Handler("DirChange", this, &TBrowserForm::DirChange);
    binder.Handler("FileClick", this, &TBrowserForm::FileClick);
    binder.Handler("FileDblClick", this, &TBrowserForm::FileDblClick);
  }

 private:
  void DriveClick() { calls.push_back("DriveClick"); }
  void DriveChange() { calls.push_back("DriveChange"); }
  void DirClick() { calls.push_back("DirClick"); }
  void DirDblClick() { calls.push_back("DirDblClick"); }
  void DirChange() { calls.push_back("DirChange"); }
  void FileClick() { calls.push_back("FileClick"); }
  void FileDblClick() { calls.push_back("FileDblClick"); }
};

class UiBrowserTest : public vektest::TempDirTest {
 protected:
  void SetUp() override {
    const auto c = dir / "c";
    for (const char* folder : {"alpha/inner", "beta", ".hidden"})
      std::filesystem::create_directories(c / folder);
    for (const char* file : {"one.txt", "two.c", ".secret", "alpha/a.txt"})
      vektest::MakeFile(c / file, "x");
    std::filesystem::create_directories(dir / "d");
    vektest::MakeFile(dir / "d" / "d.txt", "x");
    platform::SetDriveMap({{'C', c.string()}, {'D', (dir / "d").string()}});
    platform::FakeDrive data;
    data.Volume = platform::VolumeInformation{};
    data.Volume->VolumeName = "Data";
    platform::SetFakeDrive('D', data);
    form_->Load("browser");
    form_->Show();
  }
  void TearDown() override {
    form_.reset();
    platform::ClearFakeDrives();
    platform::ResetDriveMap();
  }

  TBrowserForm& form() { return *form_; }
  std::vector<std::string> Folders() {
    std::vector<std::string> items;
    for (int i = 0; i < form().DirectoryListBox1->ItemCount(); ++i) {
      items.push_back(form().DirectoryListBox1->ItemText(i));
    }
    return items;
  }
  std::vector<std::string> Files() {
    std::vector<std::string> items;
    for (int i = 0; i < form().FileListBox1->ItemCount(); ++i)
      items.push_back(form().FileListBox1->Item(i));
    return items;
  }

 private:
  std::unique_ptr<TBrowserForm> form_ = std::make_unique<TBrowserForm>();
};

using Names = std::vector<std::string>;

TEST_F(UiBrowserTest, StartsOnTheFirstDriveWithItsFoldersAndFiles) {
  EXPECT_EQ(form().DriveComboBox1->Drives(), (std::vector<char>{'C', 'D'}));
  EXPECT_EQ(form().DriveComboBox1->Drive(), 'C');
  EXPECT_EQ(form().DirectoryListBox1->Directory(), "C:\\");
  EXPECT_EQ(Folders(), (Names{"C:\\", "alpha", "beta"}));
  EXPECT_EQ(form().DirectoryListBox1->ItemPath(1), "C:\\alpha");
  EXPECT_EQ(form().DirectoryListBox1->ItemIndex(), 0);
  EXPECT_EQ(form().FileListBox1->Directory(), "C:\\");
  EXPECT_EQ(Files(), (Names{"one.txt", "two.c"}));
  EXPECT_EQ(form().FileListBox1->Mask(), "*.*");
  EXPECT_EQ(form().FileListBox1->ItemIndex(), -1);
  EXPECT_EQ(form().FileListBox1->FileName(), "");
}

TEST_F(UiBrowserTest, AClickSelectsAFolderAndADoubleClickOpensIt) {
  form().DirectoryListBox1->ClickItem(1);
  EXPECT_EQ(form().DirectoryListBox1->Directory(), "C:\\");
  form().DirectoryListBox1->DblClickItem(1);
  EXPECT_EQ(form().calls, (Names{"DirClick", "DirClick", "DirChange", "DirDblClick"}));
  EXPECT_EQ(form().DirectoryListBox1->Directory(), "C:\\alpha");
  EXPECT_EQ(Folders(), (Names{"C:\\", "alpha", "inner"}));
  EXPECT_EQ(form().DirectoryListBox1->ItemIndex(), 1);
  EXPECT_EQ(form().FileListBox1->Directory(), "C:\\alpha");
  EXPECT_EQ(Files(), Names{"a.txt"});
  form().DirectoryListBox1->DblClickItem(0);
  EXPECT_EQ(form().DirectoryListBox1->Directory(), "C:\\");
}

TEST_F(UiBrowserTest, ChoosingADrivePointsTheListsAtItsCurrentFolder) {
  form().DirectoryListBox1->SetDirectory("c:\\alpha\\inner\\");
  EXPECT_EQ(form().DirectoryListBox1->Directory(), "C:\\alpha\\inner");
  form().calls.clear();
  form().DriveComboBox1->SelectDrive('d');
  EXPECT_EQ(form().calls, (Names{"DriveClick", "DirChange", "DriveChange"}));
  EXPECT_EQ(form().DriveComboBox1->Text(), "D: [DATA]");
  EXPECT_EQ(form().DirectoryListBox1->Directory(), "D:\\");
  EXPECT_EQ(Files(), Names{"d.txt"});
  form().DriveComboBox1->SelectDrive('D');  // the same drive: a click, no change
  EXPECT_EQ(form().calls.back(), "DriveClick");
  form().DriveComboBox1->SetDrive('C');
  EXPECT_EQ(form().DirectoryListBox1->Directory(), "C:\\alpha\\inner");
  form().DriveComboBox1->SetDrive('Q');  // not in the map
  EXPECT_EQ(form().DriveComboBox1->Drive(), 'C');
}

TEST_F(UiBrowserTest, TheFileListFollowsItsMaskAndAttributeFilter) {
  ui::TFileListBox& files = *form().FileListBox1;
  files.SetMask("*.c");
  EXPECT_EQ(Files(), Names{"two.c"});
  files.SetMask("*.txt;*.c");
  EXPECT_EQ(Files(), (Names{"one.txt", "two.c"}));
  files.SetMask("*.*");
  files.SetFileType(platform::attr::Normal | platform::attr::Hidden);
  EXPECT_EQ(Files(), (Names{".secret", "one.txt", "two.c"}));
  files.SetFileType(platform::attr::Normal | platform::attr::Directory);
  EXPECT_EQ(Files(), (Names{"[alpha]", "[beta]", "one.txt", "two.c"}));

  files.SetFileType(platform::attr::Normal);
  EXPECT_TRUE(files.ClickFile("two.c"));
  EXPECT_FALSE(files.ClickFile("three.c"));
  EXPECT_EQ(files.FileName(), "C:\\two.c");
  files.DblClickItem(0);
  EXPECT_EQ(form().calls, (Names{"FileClick", "FileClick", "FileDblClick"}));
  std::filesystem::remove(dir / "c" / "two.c");
  files.Update();
  EXPECT_EQ(Files(), Names{"one.txt"});
}

// Each click on a file is a click, on the file already chosen too, and so
// is a move of the choice by the keyboard; a click below the files, or a
// choice the program makes, is none.
TEST_F(UiBrowserTest, EveryClickOnAFileIsAClick) {
  auto* list = static_cast<QListWidget*>(form().FileListBox1->Widget());
  list->doItemsLayout();
  const QPoint first = list->visualItemRect(list->item(0)).center();
  const QPoint belowTheFiles(first.x(), list->viewport()->height() - 2);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first);
  EXPECT_EQ(form().calls, (Names{"FileClick", "FileClick"}));
  QTest::keyClick(list, Qt::Key_Down);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, belowTheFiles);
  form().FileListBox1->SetItemIndex(0);
  EXPECT_EQ(form().calls, (Names{"FileClick", "FileClick", "FileClick"}));
  EXPECT_EQ(form().FileListBox1->FileName(), "C:\\one.txt");
}

}  // namespace
