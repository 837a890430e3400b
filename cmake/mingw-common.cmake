# What both MinGW-w64 toolchain files share, once KIT_MINGW_PREFIX and
# CMAKE_SYSTEM_PROCESSOR are set. The -posix variants carry std::thread and
# std::mutex, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)

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
