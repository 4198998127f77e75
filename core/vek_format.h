#pragma once
// The encrypted file's layout, in one place for its writer and its reader.
//
// An encrypted file is its plain header, the enciphered data and the
// 128-byte key-check block, back to back. The header is the banner line
// (the banner and CR LF), the product line and CR LF, the marker 0x14, the
// two version fields, then tagged fields up to and including the size tag
// 0x80, which always comes last. Numbers are big-endian; a short text is a
// length byte and that many characters.

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>
#include <string>
#include <string_view>

#include "core/state.h"

namespace vek {

// The banner that opens every encrypted file, and its line: the banner and
// CR LF.
inline constexpr std::string_view HeaderBanner =
    "VEK 1024 Bit Encrypted File (c)2003 Quarne T. Velso";
inline constexpr int64_t BannerLineLength = std::ssize(HeaderBanner) + 2;  // 53
// Bytes of the key-check block that ends every encrypted file.
inline constexpr int64_t KeyCheckLength = 128;

// Parses the part of a header that follows the 53-byte banner line:
// `bytes` are the bytes read after it. On status 0 the header fields of
// `file`, its ContentSize and its DataStart (53 + the bytes parsed) are
// set; on 2 (the bytes end inside the header) or 3 (not a header) `file`
// may hold a part of them. A product line longer than 255 characters or a
// tag that no header carries is status 3. Reads nothing outside `bytes`.
uint8_t ParseHeaderFields(std::span<const uint8_t> bytes, TCurrentFile& file);

namespace format {

inline constexpr uint8_t CR = 0x0D;
inline constexpr uint8_t LF = 0x0A;

// Header tags. The marker shares its value with the e-mail tag; only its
// place after the product line tells it apart.
inline constexpr uint8_t FieldsMarker = 0x14;
inline constexpr uint8_t SoftwareVersionTag = 0x00;
inline constexpr uint8_t FileFormatVersionTag = 0x01;
inline constexpr uint8_t FirstOwnerTag = 0x10;  // 0x10..0x17: the eight owner texts
inline constexpr uint8_t LastOwnerTag = 0x17;
inline constexpr uint8_t TimestampTag = 0x20;
inline constexpr uint8_t AttributesTag = 0x30;
inline constexpr uint8_t FirstWindowsTag = 0x40;  // 0x40..0x44: the Windows texts
inline constexpr uint8_t LastWindowsTag = 0x44;
inline constexpr uint8_t SizeTag = 0x80;

// The version bytes every header this program writes carries.
inline constexpr TVersionBytes WrittenSoftwareVersion = {1, 0};
inline constexpr TVersionBytes WrittenFileFormatVersion = {1, 0};

// The longest product line and short text: a short text's length is one
// byte. Longer texts are cut to this width when written.
inline constexpr size_t ShortTextMax = 255;

// Big-endian encoders: high byte first.
std::string WordToBytes(uint16_t value);
std::string DWordToBytes(uint32_t value);
std::string QWordToBytes(uint64_t value);

// The whole header for the fields of `fields` that a header carries: the
// product line, the version bytes, the owner texts, the timestamp when
// HasTimestamp is set, HeaderAttributes when PreserveAttributes is set, the
// five Windows texts when HasWindowsInfo is set, and ContentSize. What
// ParseHeaderFields reads back from the bytes after the banner line.
std::string BuildHeader(const TCurrentFile& fields);

}  // namespace format
}  // namespace vek
