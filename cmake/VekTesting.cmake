include(GoogleTest)
find_package(GTest REQUIRED)

# vek_add_gtest(<name> SOURCES ... LIBS ...)
# Builds one GoogleTest executable and registers each of its tests with CTest.
# Every test runs with Qt's offscreen platform, so no display is needed.
function(vek_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} vek::options)
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)
endfunction()
