# One interface target that carries the warning and sanitizer flags; every
# library and executable of the project links it.
add_library(vek_options INTERFACE)
add_library(vek::options ALIAS vek_options)

target_compile_options(vek_options INTERFACE
  -Wall -Wextra -Wpedantic
  -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
  -Woverloaded-virtual -Wconversion -Wsign-conversion -Wnull-dereference
  -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough -Wmisleading-indentation
  # GCC's own; clang (the fuzz targets' compiler) does not know them.
  "$<$<CXX_COMPILER_ID:GNU>:-Wduplicated-cond;-Wduplicated-branches;-Wlogical-op>")

if(VEK_WARNINGS_AS_ERRORS)
  target_compile_options(vek_options INTERFACE -Werror)
endif()

if(VEK_SANITIZE)
  target_compile_options(vek_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(vek_options INTERFACE -fsanitize=address,undefined)
endif()
