include(GoogleTest)

# The test programs share one precompiled header of GoogleTest and the Qt headers most tests
# use: it takes about a quarter off the time the suite takes to build.
file(WRITE ${CMAKE_BINARY_DIR}/test_pch.cpp "")
add_library(test_pch OBJECT ${CMAKE_BINARY_DIR}/test_pch.cpp)
target_link_libraries(test_pch PRIVATE Qt6::Widgets GTest::gtest GTest::gmock)
set_target_properties(test_pch PROPERTIES AUTOMOC OFF)
target_precompile_headers(test_pch PRIVATE
    <gtest/gtest.h> <QApplication> <QDialog> <QDir> <QFile> <QImage> <QLabel> <QObject>
    <QPainter> <QPushButton> <QString> <QStringList> <QTimer> <QVector> <QWidget>
    <functional> <memory> <string> <vector>)

# tonvale_add_test(<name> SOURCES <files...> LIBS <libs...> [PLATFORM <platform>])
# One GoogleTest executable per module's tests/ folder, run offscreen by the shared test main.
# PLATFORM gives the offscreen platform's options (default "offscreen"), such as a file of
# screens to simulate: "offscreen:configfile=<file.json>".
function(tonvale_add_test name)
  cmake_parse_arguments(T "" "PLATFORM" "SOURCES;LIBS" ${ARGN})
  if(NOT T_PLATFORM)
    set(T_PLATFORM offscreen)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE testmain ${T_LIBS} GTest::gtest GTest::gmock)
  target_precompile_headers(${name} REUSE_FROM test_pch)
  target_compile_definitions(${name} PRIVATE
      TEST_OUTPUT_DIR="${TONVALE_TEST_OUTPUT}"
      TEST_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}")
  gtest_discover_tests(${name}
      DISCOVERY_MODE PRE_TEST
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=${T_PLATFORM};TONVALE_TEST_OUTPUT=${TONVALE_TEST_OUTPUT}"
                 TIMEOUT 300)
endfunction()

# tonvale_add_xvfb_test(<name> SOURCES <files...> LIBS <libs...> [SCREENS <WxH>=<gtest filter>...])
# A test that takes pictures of windows on a real X server. The executable is always built, so
# it cannot rot; the test is registered only where Xvfb is available. By default it runs
# once on a 1280x1024 screen; SCREENS runs the tests of each filter on an X server of its own
# with the screen size given (test <name>_<WxH>).
find_program(XVFB Xvfb)
function(_tonvale_xvfb_run test target size filter)
  add_test(NAME ${test}
           COMMAND ${PROJECT_SOURCE_DIR}/scripts/on-private-display ${size} $<TARGET_FILE:${target}> --gtest_filter=${filter})
  set_tests_properties(${test} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=xcb;TONVALE_TEST_OUTPUT=${TONVALE_TEST_OUTPUT}"
      TIMEOUT 120)
endfunction()
function(tonvale_add_xvfb_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;SCREENS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE testmain ${T_LIBS} GTest::gtest)
  target_precompile_headers(${name} REUSE_FROM test_pch)
  target_compile_definitions(${name} PRIVATE TEST_OUTPUT_DIR="${TONVALE_TEST_OUTPUT}")
  if(NOT XVFB)
    return()
  endif()
  if(NOT T_SCREENS)
    _tonvale_xvfb_run(${name} ${name} 1280x1024 "*")
  endif()
  foreach(screen IN LISTS T_SCREENS)
    string(REGEX REPLACE "=.*" "" size "${screen}")
    string(REGEX REPLACE "^[^=]*=" "" filter "${screen}")
    _tonvale_xvfb_run(${name}_${size} ${name} ${size} "${filter}")
  endforeach()
endfunction()
