# IBM Z Linux, big-endian (Debian's g++-s390x-linux-gnu; tests under
# qemu-s390x): the one build here that takes the big-endian paths.
set(cross_triple s390x-linux-gnu)
set(cross_processor s390x)
set(qemu_name qemu-s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross-common.cmake)
