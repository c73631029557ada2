# 64-bit Arm Linux (Debian's g++-aarch64-linux-gnu; tests under qemu-aarch64).
set(cross_triple aarch64-linux-gnu)
set(cross_processor aarch64)
set(qemu_name qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross-common.cmake)
