# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 compilers.
# The kit ships as 32-bit programs; this build exists so that the tests can run
# under Wine on hosts whose kernel does not execute 32-bit Linux code, where
# only 64-bit Wine works.
# The -posix variants carry std::thread and std::mutex, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KIT_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${KIT_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KIT_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${KIT_MINGW_PREFIX}-windres)
set(CMAKE_AR           ${KIT_MINGW_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB       ${KIT_MINGW_PREFIX}-ranlib CACHE FILEPATH "")
set(KIT_OBJDUMP        ${KIT_MINGW_PREFIX}-objdump)
set(KIT_WIDL           ${KIT_MINGW_PREFIX}-widl)

set(CMAKE_FIND_ROOT_PATH /usr/${KIT_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
