# The web build, with Debian's emscripten. Its linker runs a JavaScript
# optimiser under the node on the PATH, which finds Debian's acorn only with
# NODE_PATH=/usr/share/nodejs where that node is not Debian's own: every
# link is run with it, whoever starts the build (cpack too). The tests run
# under that node.
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
find_program(die_roll_node NAMES node nodejs NO_CACHE)
if(die_roll_node)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${die_roll_node})
endif()
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
