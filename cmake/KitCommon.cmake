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

# One compiler cache for both trees, the native one and every clone of the
# project: it lives outside the work tree (ccache's own folder in the home),
# and paths below the source root are hashed relative to it, so a fresh clone
# in another folder still hits. Without ccache the build simply runs cold.
find_program(KIT_CCACHE ccache)
if(KIT_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
  set(kit_launcher env CCACHE_BASEDIR=${KIT_SOURCE_DIR} CCACHE_NOHASHDIR=1 ${KIT_CCACHE})
  set(CMAKE_C_COMPILER_LAUNCHER ${kit_launcher})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${kit_launcher})
endif()

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
