#pragma once
// The file examination: what the main window, the job list and the settings
// loader learn about one file, and the reader of an encrypted file's plain
// header.
//
// An encrypted file starts with a 53-byte banner line (the banner text and
// CR LF), then its product line and CR LF, the marker 0x14 and tagged
// fields up to and including the size tag 0x80 (core/vek_format.h).
// The header comes from outside the program, so the reader trusts nothing
// in it: it never reads past the bytes it has, and any doubt makes the file
// "not an encrypted file".

#include <cstdint>
#include <iterator>
#include <optional>
#include <span>
#include <string_view>

#include "core/state.h"
#include "core/vek_format.h"

namespace platform {
class FileStream;
}

namespace vek {

// Examines folder + name (folder ends in "\") and fills CurrentFile:
// - Status 1 (missing): no such file; only Name and Folder are set.
// - Otherwise the directory entry gives the name, size and attributes, and
//   the three times when the file system reports an access time; then:
// - Status 2 (short): the file cannot be opened, is shorter than the banner
//   line, or its header runs past the end of the file (or past the 8192
//   bytes read after the banner line).
// - Status 3 (not encrypted): the banner line (CR LF included) differs, the
//   product line is longer than 255 characters or is not followed by LF and
//   the marker, a field tag is unknown, or the size field cannot be true: it
//   is negative or larger than the file has room for after the header and
//   the 128-byte key-check block. Callers may therefore rely on every
//   status-0 file holding its whole data region and key-check block.
// - Status 0: a valid encrypted file; IsVekFile is set and the header
//   fields, ContentSize (the size before encryption) and DataStart (the
//   header's length) are filled.
// Header fields are only filled for status 0; ContentSize is Size for any
// other existing file. SharedBuffer holds the bytes after the banner line.
void ReadFileInfo(std::string_view folder, std::string_view name);

// Reads the header from the start of `stream`: the banner line, then up to
// 8192 bytes into SharedBuffer, parsed into `header` by ParseHeaderFields.
// Gives status 2 when the stream ends inside the banner line, 3 when that
// line differs, else ParseHeaderFields' status; nothing when the stream
// reports a failed read. The size field is not checked (see SizeFieldFits).
std::optional<uint8_t> ReadHeader(platform::FileStream& stream, TCurrentFile& header);

// Whether a file of `fileSize` bytes has room for the data the parsed
// `header` announces and the key-check block after it.
bool SizeFieldFits(const TCurrentFile& header, int64_t fileSize);

}  // namespace vek
