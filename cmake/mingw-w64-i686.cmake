# 32-bit Windows, the console the program was first made for.
set(mingw_arch i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
# The x87 unit keeps 64-bit significands unless told otherwise; SSE2 gives
# the same IEEE double arithmetic, and so the same statistic, as every other
# build.
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
# Tests run under wine where its 32-bit part (Debian's wine32) is installed
# and the kernel can run 32-bit programs at all (some are built without).
if(EXISTS /usr/lib/wine/wine)
  execute_process(COMMAND /usr/lib/wine/wine --version
    RESULT_VARIABLE die_roll_wine32_status OUTPUT_QUIET ERROR_QUIET)
  if(die_roll_wine32_status EQUAL 0)
    set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine)
  endif()
endif()
