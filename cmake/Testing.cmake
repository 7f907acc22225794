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
