// Programs opened from the shell, and shortcuts.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iostream>

#include "platform/internal.h"
#include "platform/shell.h"
#include "platform/shell_link.h"
#include "platform_fixture.h"

using namespace platform;
namespace fs = std::filesystem;

namespace {

// Copies a file in through the layer's own streams, as an installer copies one.
void CopyIn(const fs::path& from, const std::string& toWindowsPath) {
  const auto bytes = vektest::ReadFileBytes(from);
  auto out = FileStream::Open(toWindowsPath, FileMode::Create, ShareMode::Exclusive);
  ASSERT_NE(out, nullptr);
  ASSERT_EQ(out->Write(bytes.data(), static_cast<int64_t>(bytes.size())),
            static_cast<int64_t>(bytes.size()));
  ASSERT_TRUE(out->Close());
}

// What a started program writes to the standard output it inherits from us.
class CapturedOutput {
 public:
  CapturedOutput() {
    std::cout.flush();
    std::fflush(stdout);
    EXPECT_EQ(::pipe(pipe_), 0);
    saved_ = ::dup(STDOUT_FILENO);
    ::dup2(pipe_[1], STDOUT_FILENO);
    ::close(pipe_[1]);
  }
  // Gives our standard output back and reads until every writer has closed.
  std::string Collect() {
    ::dup2(saved_, STDOUT_FILENO);
    ::close(saved_);
    std::string text;
    char buffer[256];
    ssize_t n = 0;
    while ((n = ::read(pipe_[0], buffer, sizeof buffer)) > 0)
      text.append(buffer, static_cast<size_t>(n));
    ::close(pipe_[0]);
    return text;
  }

 private:
  int pipe_[2] = {-1, -1};
  int saved_ = -1;
};

}  // namespace

using ShellProgramTest = PlatformTest;

TEST_F(ShellProgramTest, AProgramFileStartsItselfDetachedWithoutArguments) {
  const fs::path pwd = "/bin/pwd";
  if (!fs::exists(pwd)) GTEST_SKIP() << "no /bin/pwd on this host";
  CopyIn(pwd, Win("where am i.exe"));  // a new "*.exe" is created runnable
  const fs::path before = fs::current_path();
  fs::current_path(dir.path());

  EXPECT_EQ(detail::ShellCommandFor(Win("where am i.exe")),
            std::vector<std::string>{Host("where am i.exe")});

  // In this process's folder, or in the folder asked for.
  fs::create_directories(dir / "its folder");
  const std::string here = fs::canonical(dir.path()).string();
  for (const auto& [folder, expected] :
       {std::pair<std::string, std::string>{"", here}, {Win("its folder"), here + "/its folder"}}) {
    CapturedOutput output;
    const bool started = ShellExecute("open", Win("where am i.exe"), folder);
    const std::string printed = output.Collect();
    EXPECT_TRUE(started) << folder;
    EXPECT_EQ(printed, expected + "\n");
  }
  fs::current_path(before);
  EXPECT_FALSE(ShellExecute("open", Win("where am i.exe"), "Q:\\nowhere"));
  EXPECT_EQ(LastError(), err::PathNotFound);
}

TEST_F(ShellProgramTest, OnlyRunnableProgramFilesStartThemselves) {
  vektest::MakeFile(dir / "notes.exe", "plain text, whatever the name");
  vektest::MakeFile(dir / "broken.exe", {0x7F, 'E', 'L', 'F', 'n', 'o', 'p', 'e'});
  fs::permissions(dir / "broken.exe", fs::perms::owner_exec, fs::perm_options::add);
  CopyIn("/proc/self/exe", Win("copy.bin"));  // a program, but created as plain data
  EXPECT_EQ(detail::ShellCommandFor(Win("notes.exe")),
            (std::vector<std::string>{"xdg-open", Host("notes.exe")}));
  EXPECT_EQ(detail::ShellCommandFor(Win("copy.bin")),
            (std::vector<std::string>{"xdg-open", Host("copy.bin")}));
  EXPECT_EQ(detail::ShellCommandFor(Win("broken.exe")),
            std::vector<std::string>{Host("broken.exe")});
  EXPECT_FALSE(ShellExecute("open", Win("broken.exe")));  // the kernel refuses it
}

using ShellLinkTest = PlatformTest;

TEST_F(ShellLinkTest, SavesADesktopEntryWithHostPaths) {
  fs::create_directories(dir / "Program Files" / "VEK 2003");
  ShellLink link;
  link.SetPath("C:\\Program Files\\VEK 2003\\VEK 2003.exe");
  link.SetHotkey(0x027B);
  link.SetWorkingDirectory("C:\\Program Files\\VEK 2003");
  link.SetDescription("Shortcut to the VEK 2003 application");
  link.SetIconLocation("C:\\Program Files\\VEK 2003\\VEK 2003.exe", 0);
  vektest::MakeFile(dir / "VEK 2003.lnk", "an older shortcut");
  ASSERT_TRUE(link.Save(Win("VEK 2003.lnk")));

  const std::string program = Host("Program Files/VEK 2003/VEK 2003.exe");
  const std::string expected =
      "[Desktop Entry]\nType=Application\nName=VEK 2003\n"
      "Comment=Shortcut to the VEK 2003 application\n"
      "Exec=\"" +
      program +
      "\"\n"
      "Path=" +
      Host("Program Files/VEK 2003") +
      "\n"
      "Icon=" +
      program +
      "\n"
      "Terminal=false\n"
      "# Hotkey=Ctrl+F12\n";
  const auto bytes = vektest::ReadFileBytes(dir / "VEK 2003.lnk");
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected);
  EXPECT_FALSE(fs::exists(dir / "VEK 2003.lnk.new"));
}

TEST_F(ShellLinkTest, QuotesAndEscapesWhatAnEntryWouldMisread) {
  ShellLink link;
  link.SetPath("C:\\a$b\\100%\\x\\\"q\".exe");
  const auto entry = link.DesktopEntry("odd");
  ASSERT_TRUE(entry);
  // Quoted for the space-free but reserved "$" and "\"", "%" doubled, and
  // every backslash doubled once more by the value escaping.
  EXPECT_NE(entry->find("Exec=\"" + Host("a\\\\$b/100%%/x/\\\\\"q\\\\\".exe") + "\"\n"),
            std::string::npos)
      << *entry;
}

TEST_F(ShellLinkTest, AShortcutThatCannotBeWrittenLeavesNothing) {
  ShellLink link;
  link.SetPath("C:\\x.exe");
  EXPECT_FALSE(link.Save("C:\\missing folder\\x.lnk"));
  EXPECT_EQ(LastError(), err::PathNotFound);
  EXPECT_FALSE(link.Save("Q:\\x.lnk"));
  EXPECT_EQ(LastError(), err::PathNotFound);
  link.SetWorkingDirectory("Q:\\");
  EXPECT_FALSE(link.Save(Win("x.lnk")));
  EXPECT_FALSE(fs::exists(dir / "x.lnk"));
  EXPECT_FALSE(ShellLink().Save(Win("empty.lnk")));  // nothing to start
  EXPECT_EQ(LastError(), err::InvalidParameter);
}

TEST(HotkeyTextTest, NamesModifiersAndKeys) {
  EXPECT_EQ(HotkeyText(0x027B), "Ctrl+F12");
  EXPECT_EQ(HotkeyText(0x0770), "Ctrl+Alt+Shift+F1");
  EXPECT_EQ(HotkeyText(0x0141), "Shift+A");
  EXPECT_EQ(HotkeyText(0x0035), "5");
  EXPECT_EQ(HotkeyText(0x04BA), "Alt+0xBA");
}
