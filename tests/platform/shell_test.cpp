#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/internal.h"
#include "platform/shell.h"
#include "platform_fixture.h"

using namespace platform;
namespace fs = std::filesystem;

namespace {

using Command = std::optional<std::vector<std::string>>;

// Puts a folder of stand-in helper programs first on $PATH for one test.
class FakeHelpers {
 public:
  explicit FakeHelpers(const fs::path& bin) : saved_(std::getenv("PATH")) {
    fs::create_directories(bin);
    ::setenv("PATH", bin.c_str(), 1);
  }
  ~FakeHelpers() { ::setenv("PATH", saved_.c_str(), 1); }

 private:
  std::string saved_;
};

void MakeScript(const fs::path& path, const std::string& body) {
  vektest::MakeFile(path, "#!/bin/sh\n" + body);
  fs::permissions(path, fs::perms::owner_all);
}

}  // namespace

using ShellTest = PlatformTest;

TEST_F(ShellTest, TargetsBecomeHelperCommands) {
  vektest::MakeFile(dir / "my file.txt", "x");
  struct Case {
    std::string_view Target;
    Command Expected;
    int Error;
  };
  const Case cases[] = {
      {"mailto:someone@example.org", Command({"xdg-email", "mailto:someone@example.org"}), 0},
      {"MAILTO:x@y", Command({"xdg-email", "MAILTO:x@y"}), 0},
      {"http://example.org/get", Command({"xdg-open", "http://example.org/get"}), 0},
      {"C:\\my file.txt", Command({"xdg-open", Host("my file.txt")}), 0},
      {"C:\\", Command({"xdg-open", dir.path().string()}), 0},
      {"C:\\missing.txt", std::nullopt, err::FileNotFound},
      {"Q:\\x.txt", std::nullopt, err::PathNotFound},
      {"relative.txt", std::nullopt, err::FileNotFound},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(detail::ShellCommandFor(c.Target), c.Expected) << c.Target;
    if (!c.Expected) {
      EXPECT_EQ(LastError(), c.Error) << c.Target;
    }
  }
}

TEST_F(ShellTest, TheHookRecordsInsteadOfStarting) {
  std::vector<std::string> calls;
  SetShellHookForTest([&](const std::string& verb, const std::string& target) {
    calls.push_back(verb + "|" + target);
  });
  EXPECT_TRUE(ShellExecute("open", "http://example.org/"));
  EXPECT_TRUE(ShellExecute("", "mailto:a@b"));
  EXPECT_TRUE(ShellExecute("OPEN", "C:\\y"));  // the verb is read without case
  for (const char* verb : {"print", "opens", "ope"}) {
    EXPECT_FALSE(ShellExecute(verb, "C:\\x")) << verb;
    EXPECT_EQ(LastError(), err::InvalidParameter) << verb;
  }
  SetShellHookForTest(nullptr);
  EXPECT_EQ(calls,
            (std::vector<std::string>{"open|http://example.org/", "|mailto:a@b", "OPEN|C:\\y"}));
}

TEST_F(ShellTest, StartsTheHelperDetachedWithPlainArguments) {
  FakeHelpers helpers(dir / "bin");
  const std::string fifo = Host("report");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  MakeScript(dir / "bin" / "xdg-open", "printf '%s\\n' \"$#\" \"$@\" > '" + fifo + "'\n");
  const std::string tricky = "a b; touch pwned $(touch pwned2)";
  vektest::MakeFile(dir / tricky, "x");

  ASSERT_TRUE(ShellExecute("open", Win(tricky)));
  // The intermediate process is reaped already and the helper is not our child.
  EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
  EXPECT_EQ(errno, ECHILD);

  std::ifstream report(fifo);  // blocks until the helper writes
  std::string count, argument;
  std::getline(report, count);
  std::getline(report, argument);
  EXPECT_EQ(count, "1");
  EXPECT_EQ(argument, Host(tricky));
  EXPECT_FALSE(fs::exists(fs::current_path() / "pwned"));
  EXPECT_FALSE(fs::exists(fs::current_path() / "pwned2"));
}

TEST_F(ShellTest, AMissingOrBrokenHelperIsReported) {
  FakeHelpers helpers(dir / "bin");
  EXPECT_FALSE(ShellExecute("open", "http://example.org/"));
  EXPECT_EQ(LastError(), err::FileNotFound);
  // Executable, but the kernel cannot run it.
  vektest::MakeFile(dir / "bin" / "xdg-email", "not a program");
  fs::permissions(dir / "bin" / "xdg-email", fs::perms::owner_all);
  EXPECT_FALSE(ShellExecute("", "mailto:x@y"));
}

TEST_F(ShellTest, CommandLinePathsResolveToWindowsPaths) {
  fs::create_directory(dir / "sub");
  vektest::MakeFile(dir / "sub" / "x.vek", "x");
  fs::create_symlink(dir / "sub" / "x.vek", dir / "link.vek");
  const fs::path before = fs::current_path();
  fs::current_path(dir.path());
  struct Case {
    std::string Argument;
    std::string Expected;
  };
  const Case cases[] = {
      {Host("sub/x.vek"), "C:\\sub\\x.vek"},
      {"sub/x.vek", "C:\\sub\\x.vek"},
      {"sub\\x.vek", "C:\\sub\\x.vek"},
      {"./sub/../sub/x.vek", "C:\\sub\\x.vek"},
      {"C:\\sub\\x.vek", "C:\\sub\\x.vek"},
      {"\\sub\\x.vek", "C:\\sub\\x.vek"},
      {"link.vek", "C:\\sub\\x.vek"},
      {"sub", "C:\\sub"},
      {"missing.vek", ""},
      {"Q:\\x.vek", ""},
      {"/etc/hostname", ""},
      {"", ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ResolveCommandLinePath(c.Argument), c.Expected) << c.Argument;
  fs::current_path(before);
}
