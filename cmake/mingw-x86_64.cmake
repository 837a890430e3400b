# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 compilers.
# The kit ships as 32-bit programs; this build exists so that the tests can run
# under Wine on hosts whose kernel does not execute 32-bit Linux code, where
# only 64-bit Wine works.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KIT_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
