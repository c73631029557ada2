# Cross build for Windows with Debian's MinGW-w64 (posix threads); the
# toolchain file that includes this sets mingw_arch first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${mingw_arch})
set(CMAKE_C_COMPILER ${mingw_arch}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_arch}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_arch}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${mingw_arch}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# One self-contained .exe: no MinGW runtime DLLs to ship beside it.
# No link time in the PE header, so that every build of a commit is the same file.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -Wl,--no-insert-timestamp")
