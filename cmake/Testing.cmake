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
# it cannot rot; the test is registered only where xvfb-run is available. By default it runs
# once on a 1280x1024 screen; SCREENS runs the tests of each filter on an X server of its own
# with the screen size given (test <name>_<WxH>).
find_program(XVFB_RUN xvfb-run)
# tonvale_xvfb_run(<var>): the xvfb-run command for one more test. Each test looks for a free
# display from a number of its own, so two that ctest starts at the same moment never both
# take the same one.
function(tonvale_xvfb_run var)
  get_property(started GLOBAL PROPERTY TONVALE_XVFB_TESTS)
  if(NOT started)
    set(started 0)
  endif()
  math(EXPR first "100 + ${started} * 10")
  math(EXPR started "${started} + 1")
  set_property(GLOBAL PROPERTY TONVALE_XVFB_TESTS ${started})
  set(${var} ${XVFB_RUN} -a -n ${first} PARENT_SCOPE)
endfunction()
function(_tonvale_xvfb_run test target size filter)
  tonvale_xvfb_run(xvfb)
  add_test(NAME ${test}
           COMMAND ${xvfb} -s "-screen 0 ${size}x24" $<TARGET_FILE:${target}> --gtest_filter=${filter})
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
  if(NOT XVFB_RUN)
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
