# The program as Debian builds it: the compiler and linker flags that
# dpkg-buildflags gives with every hardening feature on (stack protector,
# _FORTIFY_SOURCE, read-only relocations, immediate binding, a map of the
# source folder to "." so that the binary does not depend on where it was
# built). Put in front of CMake's own flags, so that the build type's -O3
# still wins over their -O2. Included at top level only.
find_program(DIE_ROLL_DPKG_BUILDFLAGS dpkg-buildflags)
mark_as_advanced(DIE_ROLL_DPKG_BUILDFLAGS)
set(die_roll_debian_default OFF)
if(DIE_ROLL_DPKG_BUILDFLAGS AND NOT CMAKE_CROSSCOMPILING AND CMAKE_BUILD_TYPE STREQUAL "Release")
  set(die_roll_debian_default ON)
endif()
option(DIE_ROLL_DEBIAN_FLAGS
  "Build with Debian's hardening flags from dpkg-buildflags (on by default in a native Release build where it exists)"
  ${die_roll_debian_default})
if(NOT DIE_ROLL_DEBIAN_FLAGS)
  return()
endif()
if(NOT DIE_ROLL_DPKG_BUILDFLAGS)
  message(FATAL_ERROR "DIE_ROLL_DEBIAN_FLAGS needs dpkg-buildflags (Debian's dpkg-dev)")
endif()

function(die_roll_debian_flags kind out)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
            ${DIE_ROLL_DPKG_BUILDFLAGS} --get ${kind}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    OUTPUT_VARIABLE flags
    OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)
  set(${out} "${flags}" PARENT_SCOPE)
endfunction()

die_roll_debian_flags(CPPFLAGS die_roll_cppflags)
die_roll_debian_flags(CXXFLAGS die_roll_cxxflags)
die_roll_debian_flags(LDFLAGS die_roll_ldflags)
message(STATUS "Debian's build flags: ${die_roll_cppflags} ${die_roll_cxxflags} ${die_roll_ldflags}")
string(PREPEND CMAKE_CXX_FLAGS "${die_roll_cppflags} ${die_roll_cxxflags} ")
string(PREPEND CMAKE_EXE_LINKER_FLAGS "${die_roll_ldflags} ")
