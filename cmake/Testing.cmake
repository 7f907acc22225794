include(GoogleTest)

# tonvale_add_test(<name> SOURCES <files...> LIBS <libs...>)
# One GoogleTest executable per module's tests/ folder, run offscreen by the shared test main.
function(tonvale_add_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE testmain ${T_LIBS} GTest::gtest GTest::gmock)
  target_compile_definitions(${name} PRIVATE
      TEST_OUTPUT_DIR="${TONVALE_TEST_OUTPUT}"
      TEST_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}")
  gtest_discover_tests(${name}
      DISCOVERY_MODE PRE_TEST
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TONVALE_TEST_OUTPUT=${TONVALE_TEST_OUTPUT}"
                 TIMEOUT 300)
endfunction()

# tonvale_add_xvfb_test(<name> SOURCES <files...> LIBS <libs...>)
# A test that takes pictures of windows on a real X server. The executable is always built, so
# it cannot rot; the test is registered only where xvfb-run is available.
find_program(XVFB_RUN xvfb-run)
function(tonvale_add_xvfb_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE testmain ${T_LIBS} GTest::gtest)
  target_compile_definitions(${name} PRIVATE TEST_OUTPUT_DIR="${TONVALE_TEST_OUTPUT}")
  if(XVFB_RUN)
    add_test(NAME ${name}
             COMMAND ${XVFB_RUN} -a -s "-screen 0 1280x1024x24" $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=xcb;TONVALE_TEST_OUTPUT=${TONVALE_TEST_OUTPUT}"
        TIMEOUT 120)
  endif()
endfunction()
