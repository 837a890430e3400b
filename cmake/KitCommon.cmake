# Settings shared by the Windows build and the native (Linux) build of the
# platform-free code.
if(CMAKE_SYSTEM_NAME STREQUAL "Windows" AND CMAKE_CROSSCOMPILING)
  set(KIT_WINDOWS ON)
else()
  set(KIT_WINDOWS OFF)
endif()

set(KIT_GOOGLETEST_DIR /usr/src/googletest CACHE PATH "GoogleTest sources (Debian package googletest)")
set(KIT_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/..)
get_filename_component(KIT_SOURCE_DIR ${KIT_SOURCE_DIR} ABSOLUTE)

add_compile_options(-Wall -Wextra)

# GoogleTest is built from source in both worlds so that it carries the same
# flags (static runtime on Windows, sanitizers natively) as the code under test.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(${KIT_GOOGLETEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

# Adds every folder below the current one that brings its own CMakeLists.txt,
# in name order: a new test or benchmark folder needs no edit elsewhere.
function(kit_add_each_subfolder)
  file(GLOB dirs LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT dirs)
  foreach(dir IN LISTS dirs)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()
