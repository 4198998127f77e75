# Writes the header with the sizes of the three payload files, in table
# order, so that the installer's compiled-in table matches what is appended.
#   cmake -DOUTPUT=<header> -DPROGRAM=<file> -DREADME=<file> -DICON=<file> -P payload_sizes.cmake
foreach(part PROGRAM README ICON)
  if(NOT EXISTS "${${part}}")
    message(FATAL_ERROR "payload file missing: ${${part}}")
  endif()
  file(SIZE "${${part}}" SIZE_${part})
  if(SIZE_${part} GREATER 2147483647)
    message(FATAL_ERROR "payload file over 2 GB: ${${part}}")
  endif()
endforeach()
# Rewritten only when a size changes, so an unchanged payload rebuilds nothing.
file(CONFIGURE OUTPUT "${OUTPUT}" @ONLY CONTENT [=[
#pragma once
// Written by the build from the payload files it appends (installer/payload_sizes.cmake).

#include <cstdint>

namespace vek::installer::payload_sizes {
inline constexpr int32_t Program = @SIZE_PROGRAM@;  // "VEK 2003.exe"
inline constexpr int32_t Readme = @SIZE_README@;    // "README.txt"
inline constexpr int32_t Icon = @SIZE_ICON@;        // "VEK 2003.ico"
}  // namespace vek::installer::payload_sizes
]=])
