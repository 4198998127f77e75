// Build tool: makes the installer file. Appends the payload files named by
// the installer's compiled-in table, in table order, to the installer's
// program image, then the 4-byte trailer with the byte sum of all before it.
// It refuses when a file's size differs from the table, when the image has
// anything behind its end (the installer would look for its payload there)
// or when the sum would not fit 31 bits.
//
//   vek_pack_installer <image> <payload folder> <output>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "installer/image.h"
#include "platform/system.h"

namespace {

namespace fs = std::filesystem;
using vek::installer::ShippedPayloadTable;
using Bytes = std::vector<uint8_t>;

struct PackError {
  std::string Message;
};

Bytes ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw PackError{"cannot read " + path.string()};
  return Bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The whole file, with what goes into it, and its sum.
struct Installer {
  Bytes Contents;
  int32_t Sum = 0;

  void Append(const Bytes& bytes, const std::string& what) {
    if (!vek::installer::AddByteSum(Sum, bytes.data(), bytes.size())) {
      throw PackError{"the byte sum leaves 31 bits while adding " + what +
                      ": the installer's self-check could not hold it"};
    }
    Contents.insert(Contents.end(), bytes.begin(), bytes.end());
  }
};

void CheckImage(const fs::path& image, size_t size) {
  const auto end = platform::ElfImageEnd(image.string());
  if (!end) throw PackError{image.string() + " is no readable program image"};
  if (*end != size) {
    throw PackError{image.string() + " holds " + std::to_string(size - *end) +
                    " bytes behind its program image"};
  }
}

// Written beside the output and renamed over it: no half installer file.
void WriteInstaller(const fs::path& output, const Bytes& contents) {
  const fs::path temporary = output.string() + ".part";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(contents.data()),
              static_cast<std::streamsize>(contents.size()));
    out.close();
    if (!out) throw PackError{"cannot write " + temporary.string()};
  }
  fs::permissions(temporary, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                 fs::perms::others_read | fs::perms::others_exec);
  fs::rename(temporary, output);
}

void Pack(const fs::path& image, const fs::path& folder, const fs::path& output) {
  Installer installer;
  const Bytes program = ReadAll(image);
  CheckImage(image, program.size());
  installer.Append(program, "the image");
  std::printf("image %s: %zu bytes\n", image.filename().c_str(), program.size());

  int64_t payload = 0;
  int index = 0;
  for (const auto& entry : ShippedPayloadTable()) {
    const fs::path file = folder / std::string(entry.Name);
    const Bytes bytes = ReadAll(file);
    if (bytes.size() != static_cast<size_t>(entry.Size)) {
      throw PackError{file.string() + " has " + std::to_string(bytes.size()) +
                      " bytes where the installer's table says " + std::to_string(entry.Size)};
    }
    installer.Append(bytes, file.string());
    payload += entry.Size;
    std::printf("payload file %d \"%s\": %d bytes\n", ++index, std::string(entry.Name).c_str(),
                entry.Size);
  }
  const auto trailer = vek::installer::TrailerOf(installer.Sum);
  installer.Contents.insert(installer.Contents.end(), trailer.begin(), trailer.end());
  WriteInstaller(output, installer.Contents);
  std::printf("payload total: %lld bytes; byte sum %d (0x%08X); %s: %zu bytes\n",
              static_cast<long long>(payload), installer.Sum, static_cast<unsigned>(installer.Sum),
              output.filename().c_str(), installer.Contents.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: vek_pack_installer <image> <payload folder> <output>\n");
    return 2;
  }
  try {
    Pack(argv[1], argv[2], argv[3]);
  } catch (const PackError& error) {
    std::fprintf(stderr, "vek_pack_installer: %s\n", error.Message.c_str());
    return 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "vek_pack_installer: %s\n", error.what());
    return 1;
  }
  return 0;
}
