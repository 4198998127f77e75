// Writes the fuzz targets' seed corpora: small valid inputs of each reader,
// one folder per target under the folder given as argument 1. Every seed
// is checked with the reader it is meant for before it is written, so a
// change of format that leaves a seed behind stops the build.
//
// The encrypted files are built here byte by byte, as the processing window
// writes them; the settings files come from the settings writer itself.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "core/cipher.h"
#include "core/file_info.h"
#include "core/settings.h"
#include "core/state.h"
#include "fuzz_support.h"
#include "installer/image.h"
#include "platform/system.h"
#include "platform_doubles.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using vek::BannerLineLength;
using vek::HeaderBanner;
using vek::KeyCheckLength;
using vekfuzz::Check;

constexpr std::string_view ProductLine =
    "VEK 2003 for Microsoft Windows 95/98/ME/NT/2000/XP (c)2003 Quarne T. Velso";

// --- Encrypted files ---------------------------------------------------------------

struct THeaderFields {
  std::vector<std::string> OwnerTexts;  // tags 0x10.. in order
  bool Timestamp = false;
  bool Attributes = false;
  std::vector<std::string> WindowsTexts;  // tags 0x40.. in order
};

void Append(Bytes& bytes, std::string_view text) {
  bytes.insert(bytes.end(), text.begin(), text.end());
}

void AppendText(Bytes& bytes, uint8_t tag, std::string_view text) {
  bytes.push_back(tag);
  bytes.push_back(static_cast<uint8_t>(text.size()));
  Append(bytes, text);
}

// Banner line, header, `content` (standing in for the enciphered data) and
// the key-check block.
Bytes EncryptedFile(const THeaderFields& fields, std::string_view content) {
  Bytes bytes;
  Append(bytes, HeaderBanner);
  Append(bytes, "\r\n");
  Append(bytes, ProductLine);
  bytes.insert(bytes.end(), {0x0D, 0x0A, 0x14, 0x00, 1, 0, 0x01, 1, 0});
  for (size_t i = 0; i < fields.OwnerTexts.size(); ++i) {
    AppendText(bytes, static_cast<uint8_t>(0x10 + i), fields.OwnerTexts[i]);
  }
  if (fields.Timestamp) bytes.insert(bytes.end(), {0x20, 15, 7, 5, 3, 9, 12, 0x07, 0xD3});
  if (fields.Attributes) bytes.insert(bytes.end(), {0x30, 0x00, 0x00, 0x00, 0x21});
  for (size_t i = 0; i < fields.WindowsTexts.size(); ++i) {
    AppendText(bytes, static_cast<uint8_t>(0x40 + i), fields.WindowsTexts[i]);
  }
  bytes.push_back(0x80);
  for (int shift = 56; shift >= 0; shift -= 8) {
    bytes.push_back(static_cast<uint8_t>(uint64_t{content.size()} >> shift));
  }
  Append(bytes, content);
  bytes.insert(bytes.end(), KeyCheckLength, 0xA5);
  return bytes;
}

std::vector<Bytes> EncryptedFiles() {
  const std::vector<std::string> owner = {
      "Ann", "Lee", "Acme", "http://www.acme.invalid/", "ann@acme.invalid", "one", "two", "three"};
  const std::vector<std::string> windows = {"Windows XP Version 5.1 (Build 2600)", "Ann Lee",
                                            "Acme", "DESK-7", "55274-640-0000000-23456"};
  return {
      EncryptedFile({owner, true, true, windows}, "enciphered bytes"),
      EncryptedFile({std::vector<std::string>(8), false, false, {}}, "x"),
      EncryptedFile({owner, true, false, {}}, std::string(300, 'd')),
      EncryptedFile({{}, false, true, {}}, ""),
  };
}

// The same files really enciphered under `key`, with their true key-check
// block, so that a run gets past the key check.
std::vector<Bytes> FilesUnderKey(std::string_view key) {
  std::vector<Bytes> files;
  for (const std::string& content :
       {std::string("enciphered bytes"), std::string("x"), std::string(300, 'd')}) {
    vek::TKeyState state;
    state.SetKey(key);
    std::string data = content;
    state.EncipherBlock(reinterpret_cast<uint8_t*>(data.data()), data.size());
    Bytes file = EncryptedFile({{"Ann", "Lee"}, true, true, {}}, data);
    std::copy(std::begin(state.State), std::end(state.State), file.end() - KeyCheckLength);
    files.push_back(file);
  }
  return files;
}

void CheckEncryptedFile(const Bytes& file) {
  vekfuzz::Drive().Place("seed.vek", file);
  vek::ReadFileInfo(vekfuzz::DriveRoot, "seed.vek");
  Check(vek::CurrentFile.Status == vek::TCurrentFile::StatusVekFile,
        "an encrypted-file seed is an encrypted file");
}

// --- Settings files ------------------------------------------------------------------

// The file the settings writer makes of the options as `set` leaves them,
// at a moment `millisecond` into the test clock's second (the moment draws
// the filler count, and with it the file's key and length).
template <class Setter>
Bytes SettingsFile(uint16_t millisecond, Setter set) {
  platform::SetLocalNowForTest(platform::CalendarTime{2003, 12, 9, 2, 15, 7, 5, millisecond});
  vek::ApplyDefaultSettings();
  vek::WindowLeft = {};
  vek::WindowTop = {};
  set();
  Check(vek::SaveSettings(), "the settings writer writes a seed");
  Check(vek::LoadSettings(), "a settings seed loads");
  return vekfuzz::ReadHostFile(vekfuzz::Drive().HostPath(vek::SettingsFileName));
}

std::vector<Bytes> SettingsFiles() {
  vek::ProgramFolder = vekfuzz::DriveRoot;
  return {
      SettingsFile(250, [] { vek::StartCount = 1; }),
      SettingsFile(611,
                   [] {
                     vek::StartCount = 42;
                     vek::OwnerFirstName.Assign("Ann");
                     vek::OwnerEmail.Assign("ann@acme.invalid");
                     vek::InfoLine2.Assign("second line");
                     vek::DeleteMethod = vek::DeleteTriplePass;
                     vek::HintPause = 3200;
                     vek::SaveWindowLayout = true;
                     vek::WindowLeft[0] = 120;
                     vek::WindowTop[20] = -5;
                   }),
      SettingsFile(937,
                   [] {
                     vek::StartCount = 7;
                     vek::ScreenLockEnabled = true;
                     vek::ScreenLockPassword.Assign("secret");
                     vek::LockWindowSpeed = 5;
                     vek::InsaneModeThreshold = 21;
                     vek::ShowHints = false;
                   }),
  };
}

// --- Update replies ------------------------------------------------------------------

std::vector<std::string> UpdateReplies() {
  return {
      "<LatestVersionString>1.10\r\n<DownloadURL>http://www.vek2003.example/VEK2003.exe\r\n"
      "<UpdateMessage>A newer version is ready.\r\n",
      "<LatestVersionString>1.00<DownloadURL>https://www.vek2003.example/get<UpdateMessage>",
      "<LatestVersionString>2.00\n<DownloadURL>ftp://files.vek2003.example/VEK2003.exe\n",
      "<html><body>Not found</body></html>",
  };
}

// --- Host files and arguments ---------------------------------------------------------

struct TTextSeeds {
  std::string_view Target;
  std::vector<std::string> Seeds;
};

std::vector<TTextSeeds> HostTextSeeds() {
  return {
      {"drive_map",
       {"C: /home/ann\nD: /media/ann/STICK\n", "c:/srv/share/\r\n; note\nZ: /\nC: /again\n",
        "E:   /mnt/cd  \nQ:relative\n"}},
      {"mounts",
       {"/dev/sda1 / ext4 rw 0 0\n/dev/sdb1 /media/ann/STICK vfat rw 0 0\n"
        "server:/srv /mnt/share nfs rw 0 0\n",
        "tmpfs /run tmpfs rw 0 0\n/dev/sr0 /media/cdrom iso9660 ro 0 0\n"
        "/dev/sdc1 /run/media/ann/My\\040Disk exfat rw 0 0\n"}},
      {"user_dirs",
       {"XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_MUSIC_DIR=\"$HOME/Music\"\n",
        "# written by hand\nXDG_DESKTOP_DIR=\"/srv/desk\"\n", "XDG_DESKTOP_DIR=\"$HOME\"\n"}},
      {"registry",
       {"[HKEY_CURRENT_USER\\Software\\VEK 2003]\n\"Folder\"=\"C:\\\\Program Files\"\n"
        "@=\"default\"\n",
        "; the store\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\n"
        "\"RegisteredOwner\"=\"Ann \\\"Lee\\\"\"\n[HKEY_CLASSES_ROOT\\.vek]\n@=\"vekfile\"\n"}},
      {"path_argument",
       {"C:\\file.vek", "/", "a b.txt", "..\\link", "\\docs\\a b.txt", "C:/docs/../file.vek"}},
  };
}

// The head of a real program image (its headers), and a bare header.
std::vector<Bytes> ElfSeeds() {
  Bytes head = vekfuzz::ReadHostFile("/proc/self/exe");
  head.resize(std::min<size_t>(head.size(), 4096));
  Bytes bare(64, 0);
  const uint8_t ident[] = {0x7F, 'E', 'L', 'F', 2, 1, 1};
  std::copy(std::begin(ident), std::end(ident), bare.begin());
  bare[0x3A] = 64;  // section header entry size
  return {head, bare};
}

// --- Installer files -----------------------------------------------------------------

// A program image of 256 bytes by its section table, the three payload files
// of the fuzz target's table (100, 50 and 20 bytes), and the trailer of the
// sum; once more with a wrong trailer, and once cut short.
std::vector<Bytes> InstallerFiles() {
  Bytes image(256, 0);
  const uint8_t ident[] = {0x7F, 'E', 'L', 'F', 2, 1, 1};
  std::copy(std::begin(ident), std::end(ident), image.begin());
  image[40] = 128;            // e_shoff
  image[58] = 64;             // e_shentsize
  image[60] = 2;              // e_shnum
  image[128 + 64 + 4] = 1;    // section 1: program data
  image[128 + 64 + 24] = 64;  // at 64
  image[128 + 64 + 32] = 64;  // of 64 bytes
  Bytes file = image;
  for (size_t i = 0; i < 170; ++i) file.push_back(static_cast<uint8_t>(i * 7 + 3));
  int32_t sum = 0;
  Check(vek::installer::AddByteSum(sum, file.data(), file.size()), "the seed's sum fits");
  const auto trailer = vek::installer::TrailerOf(sum);
  Bytes whole = file;
  whole.insert(whole.end(), trailer.begin(), trailer.end());
  Bytes wrong = whole;
  wrong.back() ^= 0x01;
  Bytes cut(whole.begin(), whole.begin() + 300);
  Check(platform::ElfImageEnd("/proc/self/exe").has_value(), "the ELF reader reads");
  return {whole, wrong, cut};
}

// --- Writing -------------------------------------------------------------------------

void WriteSeed(const fs::path& folder, size_t number, std::string_view bytes) {
  fs::create_directories(folder);
  std::ofstream out(folder / ("seed-" + std::to_string(number)), std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  Check(out.good(), "a seed can be written");
}

std::string_view AsText(const Bytes& bytes, size_t from = 0) {
  return {reinterpret_cast<const char*>(bytes.data()) + from, bytes.size() - from};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <seed folder>\n", argv[0]);
    return 2;
  }
  const fs::path out = argv[1];
  fs::remove_all(out);  // no seed of an older format stays behind
  const std::vector<Bytes> encrypted = EncryptedFiles();
  for (size_t i = 0; i < encrypted.size(); ++i) {
    CheckEncryptedFile(encrypted[i]);
    WriteSeed(out / "encrypted_file", i, AsText(encrypted[i]));
    WriteSeed(out / "header_fields", i, AsText(encrypted[i], BannerLineLength));
  }
  std::vector<Bytes> runs = FilesUnderKey("fuzzing key text");
  runs.push_back(encrypted[0]);  // under another key
  for (size_t i = 0; i < runs.size(); ++i) {
    CheckEncryptedFile(runs[i]);
    WriteSeed(out / "decrypt_run", i, AsText(runs[i]));
  }
  const std::vector<Bytes> settings = SettingsFiles();
  for (size_t i = 0; i < settings.size(); ++i) WriteSeed(out / "settings", i, AsText(settings[i]));
  const std::vector<std::string> replies = UpdateReplies();
  for (size_t i = 0; i < replies.size(); ++i) WriteSeed(out / "update_reply", i, replies[i]);
  for (const TTextSeeds& target : HostTextSeeds()) {
    for (size_t i = 0; i < target.Seeds.size(); ++i) {
      WriteSeed(out / target.Target, i, target.Seeds[i]);
    }
  }
  const std::vector<Bytes> setups = InstallerFiles();
  for (size_t i = 0; i < setups.size(); ++i)
    WriteSeed(out / "installer_file", i, AsText(setups[i]));
  const std::vector<Bytes> images = ElfSeeds();
  for (size_t i = 0; i < images.size(); ++i) WriteSeed(out / "elf", i, AsText(images[i]));
  return 0;
}
