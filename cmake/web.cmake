# The web build: the program as WebAssembly with SIMD, in one JavaScript
# file (build-web/die_roll.js) that runs under node and in the page's Web
# Worker, and the page that holds it (build-web/die_roll.html).
set(die_roll_web ${PROJECT_SOURCE_DIR}/src/web)
# Exceptions on, as in every other build: emscripten leaves them off unless
# asked (a stream buffer that throws must set badbit, as a test checks).
# Every program linked with the core is built for the same features.
target_compile_options(die_roll_core PUBLIC -msimd128 -fexceptions)
target_link_options(die_roll_core INTERFACE -msimd128 -fexceptions)

# src/web/console.js takes the place of emscripten's standard streams. In
# the page, reading standard input waits for the page (Asyncify, through
# fd_read alone); pre.js and worker.js let the page start the program and
# learn its exit status.
set(die_roll_web_glue ${die_roll_web}/console.js ${die_roll_web}/pre.js ${die_roll_web}/worker.js)
target_sources(die_roll PRIVATE ${die_roll_web}/warm_up.cpp)
target_link_options(die_roll PRIVATE
  # The WebAssembly as base64 inside the JavaScript: one file to inline,
  # and no file to fetch, which neither node nor a page from file:// can.
  -sSINGLE_FILE
  # A heap that cannot grow makes a failed allocation abort the program
  # unless told otherwise; this way it throws std::bad_alloc, which main
  # reports as the native program does.
  -sABORTING_MALLOC=0
  -sENVIRONMENT=web,worker,node
  -sASYNCIFY "-sASYNCIFY_IMPORTS=['wasi_snapshot_preview1.fd_read']"
  -sEXPORTED_FUNCTIONS=_main,_die_roll_warm_up
  -sINCOMING_MODULE_JS_API=onRuntimeInitialized,noInitialRun,instantiateWasm
  --js-library ${die_roll_web}/console.js
  --pre-js ${die_roll_web}/pre.js
  --post-js ${die_roll_web}/worker.js)
set_property(TARGET die_roll APPEND PROPERTY LINK_DEPENDS ${die_roll_web_glue})

find_package(Python3 COMPONENTS Interpreter REQUIRED)
set(die_roll_page_sources
  ${die_roll_web}/page.html ${die_roll_web}/page.css ${die_roll_web}/page.js
  ${die_roll_web}/terminal.js ${die_roll_web}/charts.js ${die_roll_web}/experiments.js)
add_custom_command(
  OUTPUT ${PROJECT_BINARY_DIR}/die_roll.html
  COMMAND ${Python3_EXECUTABLE} ${die_roll_web}/bundle_page.py
          ${die_roll_web} $<TARGET_FILE:die_roll> ${PROJECT_VERSION} ${PROJECT_BINARY_DIR}/die_roll.html
  DEPENDS die_roll ${die_roll_page_sources} ${die_roll_web}/bundle_page.py
  COMMENT "Putting the page together: die_roll.html"
  VERBATIM)
add_custom_target(die_roll_page ALL DEPENDS ${PROJECT_BINARY_DIR}/die_roll.html)
