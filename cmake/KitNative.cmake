# The native build of the platform-free code: tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, and libFuzzer targets built with clang.

set(KIT_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_compile_options(${KIT_SANITIZE})
add_link_options(${KIT_SANITIZE})

find_program(KIT_CLANGXX NAMES clang++ clang++-14)

# kit_add_native_test(NAME n SOURCES s... [LIBS l...])
function(kit_add_native_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  add_test(NAME native_${T_NAME} COMMAND ${T_NAME} --gtest_color=no)
  set_tests_properties(native_${T_NAME} PROPERTIES LABELS native TIMEOUT 300)
endfunction()

# kit_add_fuzzer(NAME n SOURCES s... [INCLUDES dirs...] [RUNS n] [SECONDS s])
# Built by clang outside CMake's own compiler (the tree is configured with g++),
# then run for a bounded time as a test.
function(kit_add_fuzzer)
  cmake_parse_arguments(T "" "NAME;SECONDS" "SOURCES;INCLUDES" ${ARGN})
  if(NOT KIT_CLANGXX)
    message(STATUS "clang++ not found: fuzzer ${T_NAME} not built")
    return()
  endif()
  if(NOT T_SECONDS)
    set(T_SECONDS 10)
  endif()
  set(srcs)
  foreach(s IN LISTS T_SOURCES)
    get_filename_component(abs ${s} ABSOLUTE)
    list(APPEND srcs ${abs})
  endforeach()
  set(incs)
  foreach(i IN LISTS T_INCLUDES)
    list(APPEND incs -I${i})
  endforeach()
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${T_NAME})
  add_custom_command(OUTPUT ${out}
    COMMAND ${KIT_CLANGXX} -std=c++17 -O1 -g -fsanitize=fuzzer,address,undefined
            -fno-sanitize-recover=all ${incs} ${srcs} -o ${out}
    DEPENDS ${srcs}
    COMMENT "Building fuzzer ${T_NAME} with clang"
    VERBATIM)
  add_custom_target(${T_NAME}_build ALL DEPENDS ${out})
  set(corpus ${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}_corpus)
  file(MAKE_DIRECTORY ${corpus})
  add_test(NAME native_${T_NAME} COMMAND ${out} -max_total_time=${T_SECONDS} -max_len=256 ${corpus})
  set_tests_properties(native_${T_NAME} PROPERTIES LABELS "native;fuzz" TIMEOUT 120)
endfunction()
