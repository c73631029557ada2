# The web build, with Debian's emscripten. Its tools run under the node on
# the PATH, which needs NODE_PATH=/usr/share/nodejs to find Debian's acorn
# where it is not Debian's own node (the `web` preset sets it). The tests
# run under that node too.
find_program(die_roll_node NAMES node nodejs NO_CACHE)
if(die_roll_node)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${die_roll_node})
endif()
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
