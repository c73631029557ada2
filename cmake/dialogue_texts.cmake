# The program's prompt and complaint, read from src/dialogue.h, where they
# are defined: the tests that talk to the program and the page use these
# (piped_dialogue.cmake includes this file too: -D would drop the blank
# that ends the prompt).
file(READ ${CMAKE_CURRENT_LIST_DIR}/../src/dialogue.h die_roll_dialogue_h)
foreach(text prompt complaint)
  string(TOUPPER ${text} name)
  if(NOT die_roll_dialogue_h MATCHES "${text}_text =[ \n]*\"([^\"]*)\";")
    message(FATAL_ERROR "src/dialogue.h defines no ${text}_text as one string")
  endif()
  set(DIE_ROLL_${name} "${CMAKE_MATCH_1}")
endforeach()
