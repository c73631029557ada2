# Cross build for another Linux architecture with Debian's cross compilers;
# the toolchain file that includes this sets cross_triple, cross_processor
# and qemu_name first. Linked statically, so that qemu-user runs the
# programs without a sysroot for the target's shared libraries.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${cross_processor})
set(CMAKE_C_COMPILER ${cross_triple}-gcc)
set(CMAKE_CXX_COMPILER ${cross_triple}-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${cross_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Tests run under qemu-user where it is installed (Debian's qemu-user).
find_program(die_roll_qemu ${qemu_name} PATHS /usr/bin NO_CACHE)
if(die_roll_qemu)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${die_roll_qemu})
endif()
