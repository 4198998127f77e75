#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <filesystem>

#include "platform/paths.h"
#include "platform/registry.h"
#include "test_support.h"

using namespace platform;
namespace fs = std::filesystem;

namespace {

constexpr RootKey HKCR = RootKey::ClassesRoot;
constexpr RootKey HKCU = RootKey::CurrentUser;
constexpr RootKey HKLM = RootKey::LocalMachine;

std::string ReadText(const fs::path& path) {
  const auto bytes = vektest::ReadFileBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

class RegistryTest : public vektest::TempDirTest {
 protected:
  void SetUp() override { SetRegistryFileForTest(file.string()); }
  void TearDown() override {
    SetRegistryFileForTest(std::nullopt);
    ResetDriveMap();
  }
  // Forgets what was loaded, as a new run of the program would.
  void Reload() { SetRegistryFileForTest(file.string()); }
  fs::path file = dir / "store" / "registry";
};

}  // namespace

TEST_F(RegistryTest, KeysAndValuesPersistInReadableText) {
  ASSERT_TRUE(RegCreateKey(HKCR, ".vek"));
  ASSERT_TRUE(RegWriteString(HKCR, ".vek", "", "VEK2003.File"));
  ASSERT_TRUE(RegCreateKey(HKCR, "VEK2003.File\\shell\\open\\command"));
  ASSERT_TRUE(RegWriteString(HKCR, "VEK2003.File\\shell\\open\\command", "",
                             "C:\\Program Files\\VEK 2003\\VEK 2003.exe \"%1\""));
  Reload();
  EXPECT_EQ(RegReadString(HKCR, ".vek", ""), "VEK2003.File");
  EXPECT_EQ(RegReadString(HKCR, "VEK2003.File\\shell\\open\\command", ""),
            "C:\\Program Files\\VEK 2003\\VEK 2003.exe \"%1\"");
  EXPECT_TRUE(RegKeyExists(HKCR, "VEK2003.File\\shell"));
  EXPECT_EQ(RegReadString(HKCR, ".vek", "Other"), std::nullopt);
  EXPECT_EQ(RegReadString(HKCU, ".vek", ""), std::nullopt);

  const std::string text = ReadText(file);
  EXPECT_NE(text.find("[HKEY_CLASSES_ROOT\\.vek]\n@=\"VEK2003.File\"\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("@=\"C:\\\\Program Files\\\\VEK 2003\\\\VEK 2003.exe \\\"%1\\\"\""),
            std::string::npos)
      << text;
  // Written through a temporary file that is renamed over: nothing else is left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(file.parent_path()), fs::directory_iterator()), 1);
}

TEST_F(RegistryTest, EachRootGoesByItsNameInTheFile) {
  const std::pair<RootKey, std::string_view> roots[] = {
      {HKCR, "HKEY_CLASSES_ROOT"}, {HKCU, "HKEY_CURRENT_USER"}, {HKLM, "HKEY_LOCAL_MACHINE"}};
  for (const auto& [root, name] : roots) {
    EXPECT_EQ(RootKeyName(root), name);
    ASSERT_TRUE(RegCreateKey(root, "Named"));
    ASSERT_TRUE(RegWriteString(root, "Named", "", "x"));
  }
  const std::string text = ReadText(file);
  for (const auto& [root, name] : roots) {
    EXPECT_NE(text.find("[" + std::string(name) + "\\Named]"), std::string::npos) << text;
  }
}

TEST_F(RegistryTest, NamesCompareWithoutCaseAndKeepTheirSpelling) {
  ASSERT_TRUE(RegCreateKey(HKCU, "Vendor\\Foo"));
  ASSERT_TRUE(RegWriteString(HKCU, "VENDOR\\FOO", "Name", "one"));
  ASSERT_TRUE(RegWriteString(HKCU, "vendor\\foo", "NAME", "two"));
  EXPECT_EQ(RegReadString(HKCU, "Vendor\\Foo", "name"), "two");
  ASSERT_TRUE(RegCreateKey(HKCU, "vendor\\bar"));
  ASSERT_TRUE(RegCreateKey(HKCU, "\\Vendor\\Alpha\\"));
  EXPECT_EQ(RegSubKeys(HKCU, "VENDOR"), (std::vector<std::string>{"Alpha", "bar", "Foo"}));
  Reload();
  EXPECT_EQ(RegSubKeys(HKCU, "Vendor"), (std::vector<std::string>{"Alpha", "bar", "Foo"}));
  EXPECT_EQ(ReadText(file).find("\"NAME\""), std::string::npos);  // one value, first spelling
}

TEST_F(RegistryTest, WritesNeedAnExistingKey) {
  EXPECT_FALSE(RegWriteString(HKCU, "Software\\Missing", "x", "y"));
  EXPECT_FALSE(RegKeyExists(HKCU, "Software\\Missing"));
  EXPECT_FALSE(RegCreateKey(HKCU, "Bad\nName"));
  EXPECT_TRUE(RegKeyExists(HKCU, ""));
}

TEST_F(RegistryTest, DeletingAKeyTakesItsWholeSubtree) {
  ASSERT_TRUE(RegCreateKey(HKCR, "A\\B\\C"));
  ASSERT_TRUE(RegWriteString(HKCR, "A\\B\\C", "v", "1"));
  ASSERT_TRUE(RegWriteString(HKCR, "A", "keep", "2"));
  ASSERT_TRUE(RegDeleteKey(HKCR, "a\\b"));
  EXPECT_TRUE(RegKeyExists(HKCR, "A"));
  EXPECT_FALSE(RegKeyExists(HKCR, "A\\B"));
  EXPECT_FALSE(RegKeyExists(HKCR, "A\\B\\C"));
  Reload();
  EXPECT_FALSE(RegKeyExists(HKCR, "A\\B\\C"));
  EXPECT_EQ(RegReadString(HKCR, "A", "keep"), "2");
  EXPECT_FALSE(RegDeleteKey(HKCR, "A\\B"));
  EXPECT_FALSE(RegDeleteKey(HKCR, ""));
}

TEST_F(RegistryTest, AwkwardTextSurvivesTheFile) {
  const std::string value = "say \"hi\" \\ back\nslash\ttab\x01 \xe4";
  const std::string name = "odd \"name\" =";
  ASSERT_TRUE(RegCreateKey(HKCU, "K [1]"));
  ASSERT_TRUE(RegWriteString(HKCU, "K [1]", name, value));
  Reload();
  EXPECT_EQ(RegReadString(HKCU, "K [1]", name), value);
}

TEST_F(RegistryTest, ReadsWhatAnotherWriterLeftAndSkipsGarbage) {
  ASSERT_TRUE(RegCreateKey(HKCU, "Mine"));
  fs::create_directories(file.parent_path());
  vektest::MakeFile(file,
                    "; hand made\r\n"
                    "[HKEY_CURRENT_USER\\Theirs]\r\n"
                    "\"Good\"=\"yes\"\r\n"
                    "\"Broken=\"no\"\n"
                    "\"Escape\"=\"\\q\"\n"
                    "junk line\n"
                    "[HKEY_NOWHERE\\X]\n"
                    "\"Lost\"=\"x\"\n"
                    "[HKEY_CURRENT_USER\\Theirs]\n"
                    "@=\"default\"\n");
  EXPECT_EQ(RegReadString(HKCU, "Theirs", "Good"), "yes");
  EXPECT_EQ(RegReadString(HKCU, "Theirs", ""), "default");
  EXPECT_EQ(RegReadString(HKCU, "Theirs", "Escape"), std::nullopt);
  EXPECT_FALSE(RegKeyExists(HKCU, "Mine"));
  // "Software" stands for the shell folders that the host answers for.
  EXPECT_EQ(RegSubKeys(HKCU, ""), (std::vector<std::string>{"Software", "Theirs"}));
}

TEST_F(RegistryTest, AFailedSaveChangesNothing) {
  vektest::MakeFile(dir / "blocker", "a file where the store's folder should be");
  file = dir / "blocker" / "registry";
  Reload();
  EXPECT_FALSE(RegCreateKey(HKCU, "Software\\New"));
  EXPECT_FALSE(RegKeyExists(HKCU, "Software\\New"));
}

TEST_F(RegistryTest, MachineValuesComeFromTheHostWhenNotStored) {
  char host[256] = {};
  ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
  const char* kNt = "SYSTEM\\ControlSet002\\Control\\ComputerName\\ComputerName";
  const char* k9x = "System\\CurrentControlSet\\Services\\VxD\\VNETSUP";
  EXPECT_EQ(RegReadString(HKLM, kNt, "ComputerName"), std::string(host));
  EXPECT_EQ(RegReadString(HKLM, k9x, "computername"), std::string(host));
  EXPECT_TRUE(RegKeyExists(HKLM, kNt));
  EXPECT_TRUE(RegKeyExists(HKLM, "system"));
  EXPECT_EQ(RegSubKeys(HKLM, "SYSTEM"),
            (std::vector<std::string>{"ControlSet002", "CurrentControlSet"}));
  EXPECT_EQ(RegReadString(HKLM, "SYSTEM\\ControlSet002\\Control", "ComputerName"), std::nullopt);
  EXPECT_EQ(RegReadString(HKCU, kNt, "ComputerName"), std::nullopt);

  const passwd* user = ::getpwuid(::getuid());
  const std::string gecos = user && user->pw_gecos ? user->pw_gecos : "";
  const std::string owner = gecos.substr(0, gecos.find(','));
  for (const char* key : {"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                          "SOFTWARE\\Microsoft\\Windows\\CurrentVersion"}) {
    EXPECT_EQ(RegReadString(HKLM, key, "RegisteredOwner"),
              owner.empty() ? std::nullopt : std::optional<std::string>(owner));
    EXPECT_EQ(RegReadString(HKLM, key, "RegisteredOrganization"), std::nullopt);
    EXPECT_EQ(RegReadString(HKLM, key, "ProductId"), std::nullopt);
  }

  // A stored value wins, and the host's answers are never written to the file.
  ASSERT_TRUE(RegWriteString(HKLM, kNt, "ComputerName", "STORED"));
  EXPECT_EQ(RegReadString(HKLM, kNt, "ComputerName"), "STORED");
  EXPECT_EQ(RegReadString(HKLM, k9x, "ComputerName"), std::string(host));
  EXPECT_EQ(ReadText(file).find(host), std::string::npos);
}

TEST_F(RegistryTest, ShellFoldersAreTheDesktopAndMenuFolders) {
  const std::string home = std::getenv("HOME");
  SetDriveMap({{'C', home}});
  const char* kFolders = "Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  EXPECT_EQ(RegReadString(HKCU, kFolders, "Desktop"), "C:\\Desktop");
  EXPECT_EQ(RegReadString(HKCU, kFolders, "Start Menu"), "C:\\data\\applications");

  const fs::path dirs = fs::path(std::getenv("XDG_CONFIG_HOME")) / "user-dirs.dirs";
  vektest::MakeFile(dirs,
                    "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
  EXPECT_EQ(RegReadString(HKCU, kFolders, "Desktop"), "C:\\Schreibtisch");
  fs::remove(dirs);

  SetDriveMap({{'D', "/nowhere"}});
  EXPECT_EQ(RegReadString(HKCU, kFolders, "Desktop"), std::nullopt);
}

TEST(RegistryFileTest, DefaultsToTheXdgDataFolder) {
  SetRegistryFileForTest(std::nullopt);
  EXPECT_EQ(RegistryFile(), std::string(std::getenv("XDG_DATA_HOME")) + "/vek2003/registry");
  SetRegistryFileForTest("");
  EXPECT_EQ(RegistryFile(), std::string(std::getenv("XDG_DATA_HOME")) + "/vek2003/registry");
  SetRegistryFileForTest("/tmp/x");
  EXPECT_EQ(RegistryFile(), "/tmp/x");
  SetRegistryFileForTest(std::nullopt);
}
