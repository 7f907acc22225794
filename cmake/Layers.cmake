# The layer check of the student program (scripts/check-layers, docs/architecture.md), run by
# CTest: it fails when a file under student/ includes a folder above its own or beside it, or
# when a library or test program defined there links one. The table of links it reads is
# written here, once every folder has been added.

function(_tonvale_targets_in dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    _tonvale_targets_in(${sub} more)
    list(APPEND targets ${more})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

function(tonvale_add_layer_check)
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  _tonvale_targets_in(${CMAKE_SOURCE_DIR} targets)
  set(table "")
  foreach(t IN LISTS targets)
    get_target_property(dir ${t} SOURCE_DIR)
    string(APPEND table "target ${t} ${dir}\n")
    get_target_property(libs ${t} LINK_LIBRARIES)
    if(libs)
      foreach(lib IN LISTS libs)
        if(TARGET ${lib})
          string(APPEND table "link ${t} ${lib}\n")
        endif()
      endforeach()
    endif()
  endforeach()
  set(file ${CMAKE_BINARY_DIR}/student-links.txt)
  file(WRITE ${file} "${table}")
  add_test(NAME StudentLayers
           COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/check-layers --links ${file} ${CMAKE_SOURCE_DIR})
  # The check itself, on a small tree of its own.
  add_test(NAME StudentLayersCheck COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/tests/check_layers_test.py)
endfunction()
