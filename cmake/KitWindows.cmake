# The 32-bit Windows build: static runtime, Unicode APIs, tests through Wine.

add_compile_definitions(UNICODE _UNICODE WINVER=0x0601 _WIN32_WINNT=0x0601 NOMINMAX)
# The 32-bit build does its arithmetic in SSE2 registers, as the 64-bit build
# does, rather than in the x87 unit's 80-bit registers: both trees then round
# every double and float alike, so what the 64-bit tests see is what the
# shipped 32-bit programs compute. Every processor that runs a supported
# Windows has SSE2.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_compile_options(-msse2 -mfpmath=sse)
endif()
# Only system DLLs may be imported: the C and C++ runtimes and winpthread go in statically.
add_link_options(-static -static-libgcc -static-libstdc++)

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

option(KIT_WINE_TESTS "Register the tests that run under Wine" ON)
option(KIT_NATIVE "Also build the platform-free code natively with its tests" ON)
set(KIT_OTHER_TREE "" CACHE PATH "The other Windows tree (32-bit beside 64-bit), built whole but not run: its imports and its list of binaries are checked from here")

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(KIT_WINE_ARCH win64)
else()
  set(KIT_WINE_ARCH win32)
endif()

# Where the build tree keeps its private Wine prefix, Xvfb display and logs.
set(KIT_WINE_STATE ${CMAKE_BINARY_DIR}/wine)
file(MAKE_DIRECTORY ${KIT_WINE_STATE})
file(WRITE ${KIT_WINE_STATE}/arch ${KIT_WINE_ARCH})
set(CMAKE_CROSSCOMPILING_EMULATOR ${KIT_SOURCE_DIR}/scripts/wine-run.sh ${KIT_WINE_STATE})
# For tests that start a Windows program that is not a target, or a tool of
# Wine's own (regsvr32, regedit): ${KIT_WINE_RUN} program args...
set(KIT_WINE_RUN ${KIT_SOURCE_DIR}/scripts/wine-run.sh ${KIT_WINE_STATE})

set(KIT_WINE_INCLUDE /usr/include/wine/wine/windows)
set(KIT_WINE_TLB_DIR /usr/lib/i386-linux-gnu/wine/i386-windows)

# The Wine test bed as a CTest fixture: the prefix is prepared and a persistent
# wineserver started before the first Windows test, and stopped after the last.
if(KIT_WINE_TESTS)
  add_test(NAME wine_testbed_start COMMAND ${KIT_SOURCE_DIR}/scripts/wine-testbed.sh start ${KIT_WINE_STATE})
  set_tests_properties(wine_testbed_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
  add_test(NAME wine_testbed_stop COMMAND ${KIT_SOURCE_DIR}/scripts/wine-testbed.sh stop ${KIT_WINE_STATE})
  set_tests_properties(wine_testbed_stop PROPERTIES FIXTURES_CLEANUP wine)
endif()

# kit_add_wine_test(NAME n COMMAND target-or-path args...
#                   [FIXTURES f...] [DESKTOP] [TIMEOUT s] [ENVIRONMENT k=v...])
# DESKTOP marks tests that use the shared virtual display's focus, mouse,
# clipboard or screenshots; CTest never runs two of them at once.
function(kit_add_wine_test)
  cmake_parse_arguments(T "DESKTOP" "NAME;TIMEOUT" "COMMAND;FIXTURES;ENVIRONMENT;LABELS" ${ARGN})
  if(NOT KIT_WINE_TESTS)
    return()
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_COMMAND})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES
    FIXTURES_REQUIRED "wine;${T_FIXTURES}"
    TIMEOUT ${T_TIMEOUT}
    LABELS "windows;${T_LABELS}")
  if(T_DESKTOP)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK desktop)
  endif()
  if(T_ENVIRONMENT)
    set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${T_ENVIRONMENT}")
  endif()
endfunction()

# kit_add_windows_gtest(NAME n SOURCES s... [LIBS l...] [FIXTURES f...] [DESKTOP] [TIMEOUT s])
# One CTest entry per GoogleTest program: each Wine start costs a little, and
# GoogleTest's own output names the failing case.
function(kit_add_windows_gtest)
  cmake_parse_arguments(T "DESKTOP;GUI" "NAME;TIMEOUT" "SOURCES;LIBS;FIXTURES;ENVIRONMENT;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  set(extra)
  if(T_DESKTOP)
    list(APPEND extra DESKTOP)
  endif()
  if(T_TIMEOUT)
    list(APPEND extra TIMEOUT ${T_TIMEOUT})
  endif()
  kit_add_wine_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_color=no
    FIXTURES ${T_FIXTURES} ENVIRONMENT ${T_ENVIRONMENT} LABELS ${T_LABELS} ${extra})
endfunction()

# The platform-free code is also built natively with the sanitizers; its tests
# join this tree's CTest run through a test include file.
if(KIT_NATIVE)
include(ExternalProject)
ExternalProject_Add(native
  SOURCE_DIR ${KIT_SOURCE_DIR}
  BINARY_DIR ${CMAKE_BINARY_DIR}/native
  CMAKE_ARGS
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
    -DCMAKE_C_COMPILER=gcc
    -DCMAKE_CXX_COMPILER=g++
  BUILD_ALWAYS ON
  INSTALL_COMMAND ""
  TEST_COMMAND "")
file(WRITE ${CMAKE_BINARY_DIR}/native-tests.cmake "subdirs(\"${CMAKE_BINARY_DIR}/native\")\n")
set_property(DIRECTORY ${KIT_SOURCE_DIR} APPEND PROPERTY TEST_INCLUDE_FILES ${CMAKE_BINARY_DIR}/native-tests.cmake)
endif()

# Every program and library this tree builds, relative to the tree, one a
# line: the other tree must build the same ones.
function(kit_list_binaries dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  set(found)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type MATCHES "^(EXECUTABLE|MODULE_LIBRARY|SHARED_LIBRARY)$")
      list(APPEND found "$<TARGET_FILE:${target}>")
    endif()
  endforeach()
  foreach(subdir IN LISTS subdirs)
    kit_list_binaries(${subdir} more)
    list(APPEND found ${more})
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()

function(kit_finish_windows_build)
  kit_list_binaries(${KIT_SOURCE_DIR} binaries)
  list(JOIN binaries "\n" lines)
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/binaries.txt CONTENT "${lines}\n")

  # Every shipped or test binary must import system DLLs only.
  add_test(NAME windows_binaries_import_only_system_dlls
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${KIT_OBJDUMP} -DDIR=${CMAKE_BINARY_DIR}/bin
            -P ${KIT_SOURCE_DIR}/cmake/CheckImports.cmake)
  if(NOT KIT_OTHER_TREE)
    return()
  endif()
  if(KIT_WINE_ARCH STREQUAL "win64")
    set(other win32)
    set(other_objdump i686-w64-mingw32-objdump)
  else()
    set(other win64)
    set(other_objdump x86_64-w64-mingw32-objdump)
  endif()
  add_test(NAME ${other}_binaries_import_only_system_dlls
    COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${other_objdump} -DDIR=${KIT_OTHER_TREE}/bin
            -P ${KIT_SOURCE_DIR}/cmake/CheckImports.cmake)
  # A program that only one tree builds is code that only one tree compiles:
  # the tree users get must never be the one that quietly lacks it.
  add_test(NAME both_trees_build_the_same_binaries
    COMMAND ${CMAKE_COMMAND} -DTHIS=${CMAKE_BINARY_DIR} -DOTHER=${KIT_OTHER_TREE}
            -P ${KIT_SOURCE_DIR}/cmake/CompareTrees.cmake)
  if(KIT_WINE_ARCH STREQUAL "win64")
    # This tree stands in for the 32-bit one on a host that cannot run 32-bit
    # Wine. Say so where the run's summary lists what did not run, so that a
    # green run is never read as the shipped programs having been tested.
    add_test(NAME win32_tree_built_not_run_on_this_host
      COMMAND sh -c "echo 'The 32-bit tree (${KIT_OTHER_TREE}) was built whole and its imports checked, but its tests were not run: this host cannot run 32-bit Wine. Its code ran here as the 64-bit tree.'; exit 77")
    set_tests_properties(win32_tree_built_not_run_on_this_host PROPERTIES SKIP_RETURN_CODE 77)
  endif()
endfunction()
