# Runs the built program with piped answers and checks what it writes.
#   cmake -DPROGRAM=... [-DEMULATOR=...] [-DWINDOWS_LINE_ENDS=ON] -P piped_dialogue.cmake
# With WINDOWS_LINE_ENDS every line end must be CR LF; it is then read as LF.

function(run_program input out_var err_var)
  file(WRITE "${CMAKE_CURRENT_BINARY_DIR}/piped_input.txt" "${input}")
  execute_process(
    COMMAND ${EMULATOR} "${PROGRAM}"
    INPUT_FILE "${CMAKE_CURRENT_BINARY_DIR}/piped_input.txt"
    # Files rather than variables: those would turn CR LF into LF.
    OUTPUT_FILE "${CMAKE_CURRENT_BINARY_DIR}/piped_output.txt"
    ERROR_FILE "${CMAKE_CURRENT_BINARY_DIR}/piped_error.txt"
    RESULT_VARIABLE status
    TIMEOUT 60)
  file(READ "${CMAKE_CURRENT_BINARY_DIR}/piped_output.txt" out)
  file(READ "${CMAKE_CURRENT_BINARY_DIR}/piped_error.txt" err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "exit status ${status} for input [${input}]")
  endif()
  if(WINDOWS_LINE_ENDS)
    # Byte by byte, as CMake's own reading would hide a missing CR.
    file(READ "${CMAKE_CURRENT_BINARY_DIR}/piped_output.txt" hex HEX)
    string(REGEX REPLACE "(..)" "\\1;" bytes "${hex}")
    set(previous "")
    foreach(byte IN LISTS bytes)
      if(byte STREQUAL "0a" AND NOT previous STREQUAL "0d")
        message(FATAL_ERROR "a line end is not CR LF:\n[${out}]")
      endif()
      set(previous "${byte}")
    endforeach()
  endif()
  string(REPLACE "\r\n" "\n" out "${out}")
  string(REPLACE "\r\n" "\n" err "${err}")
  if(EMULATOR)
    # wine's own diagnostics, such as "0044:err:winediag:...", are not ours.
    string(REGEX REPLACE "[0-9a-f]+:(err|fixme|warn|trace):[^\n]*\n" "" err "${err}")
  endif()
  set(${out_var} "${out}" PARENT_SCOPE)
  set(${err_var} "${err}" PARENT_SCOPE)
endfunction()

include(${CMAKE_CURRENT_LIST_DIR}/../cmake/dialogue_texts.cmake)
set(prompt "${DIE_ROLL_PROMPT}")
set(complaint "${DIE_ROLL_COMPLAINT}\n")
string(REGEX REPLACE "[][()+*.^$?|\\]" "\\\\\\0" prompt_re "${prompt}")

# One roll, then zero.
run_program("1\n0\n" out err)
set(one_roll "^${prompt_re}\nThe observed counts: ([01] )+\n\nChi-squared = 5\n\n${prompt_re}$")
if(NOT out MATCHES "${one_roll}")
  message(FATAL_ERROR "unexpected report for one roll:\n[${out}]")
endif()
string(REGEX MATCH "counts: [01 ]+" counts "${out}")
string(REGEX MATCHALL "[01] " faces "${counts}")
string(REGEX MATCHALL "1" ones "${counts}")
list(LENGTH faces face_count)
list(LENGTH ones one_count)
if(NOT face_count EQUAL 6 OR NOT one_count EQUAL 1 OR NOT err STREQUAL "")
  message(FATAL_ERROR "one roll must count one face:\n[${out}]\n[${err}]")
endif()

# Bad answers are refused on standard error; end of input ends quietly.
run_program("abc 2147483648" out err)
if(NOT out STREQUAL "${prompt}${prompt}${prompt}" OR NOT err STREQUAL "${complaint}${complaint}")
  message(FATAL_ERROR "unexpected handling of bad answers:\n[${out}]\n[${err}]")
endif()

# Numbers of tens of millions of digits, leading zeros and all, are read
# as any other, with memory that does not grow with their length.
string(REPEAT "0" 10000000 zeros)
run_program("${zeros}7\n+1${zeros}\n-${zeros}1 5\n" out err)
if(NOT out MATCHES "^${prompt_re}\nThe observed counts: ([0-7] )+\n\nChi-squared = [^\n]+\n\n${prompt_re}${prompt_re}$"
   OR NOT err STREQUAL "${complaint}")
  message(FATAL_ERROR "unexpected handling of long numbers:\n[${out}]\n[${err}]")
endif()

# Empty input.
run_program("" out err)
if(NOT out STREQUAL "${prompt}" OR NOT err STREQUAL "")
  message(FATAL_ERROR "unexpected output for empty input:\n[${out}]\n[${err}]")
endif()

# Failed reads and writes: one line on standard error and status 1, with
# nothing rolled after the failure. Each case runs under sh, which can close
# a descriptor or ignore SIGPIPE before it starts the program; RUN in the
# script stands for the program followed by a line with its status.
function(expect_failure what script expected_err)
  if(EMULATOR)
    set(run "{ \"${EMULATOR}\" \"${PROGRAM}\"; echo \"status $?\" >&2; }")
  else()
    set(run "{ \"${PROGRAM}\"; echo \"status $?\" >&2; }")
  endif()
  string(REPLACE "RUN" "${run}" script "${script}")
  execute_process(
    COMMAND sh -c "${script}"
    OUTPUT_VARIABLE out
    ERROR_VARIABLE err
    TIMEOUT 60)
  if(NOT err MATCHES "^${expected_err}\nstatus 1\n$")
    message(FATAL_ERROR "${what}: unexpected end:\n[${err}]")
  endif()
endfunction()
set(no_write "die_roll: standard output could not be written")
set(no_read "die_roll: standard input could not be read")
if(NOT WINDOWS_LINE_ENDS)
  expect_failure("a full disk" "echo '5 0' | RUN > /dev/full" "${no_write}: No space left on device")
  # node opens /dev/null on a standard descriptor that it finds closed, so
  # under node a closed output is no failure.
  if(NOT UNDER_NODE)
    expect_failure("closed output" "echo '5 0' | RUN >&-" "${no_write}: Bad file descriptor")
  endif()
  expect_failure("a directory as input" "RUN < / > /dev/null" "${no_read}: Is a directory")
  # With SIGPIPE ignored a reader that has gone is a failed write, not an
  # endless dialogue.
  expect_failure("a reader that has gone"
    "trap '' PIPE; yes 1 2>/dev/null | RUN | head -c 200 >/dev/null"
    "${no_write}: Broken pipe")
endif()
