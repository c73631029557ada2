# The web build: the program as WebAssembly with SIMD (build-web/
# die_roll.wasm) and the JavaScript that runs it (die_roll.js), under node
# and in the page's Web Worker, and the page that holds both
# (build-web/die_roll.html), the WebAssembly gzipped.
set(die_roll_web ${PROJECT_SOURCE_DIR}/src/web)
# Exceptions on, as in every other build: emscripten leaves them off unless
# asked (a stream buffer that throws must set badbit, as a test checks).
# Every program linked with the core is built for the same features.
target_compile_options(die_roll_core PUBLIC -msimd128 -fexceptions)
target_link_options(die_roll_core INTERFACE -msimd128 -fexceptions)

# esbuild bundles the page's modules, and the one module that the worker
# shares with the page, each into one script: run from the source folder,
# which its comments name the modules by. The browsers that run the page
# are those with WebAssembly SIMD, which the program needs; its script is
# lowered to ES2017 all the same, so that an older browser (every one with
# WebAssembly has ES2017) parses it and hears why it cannot run die_roll.
find_program(die_roll_esbuild esbuild)
if(NOT die_roll_esbuild)
  message(FATAL_ERROR "The web build needs esbuild to bundle the page's script: apt-get install esbuild")
endif()
set(die_roll_esbuild_options --bundle --format=iife --charset=utf8 --log-level=warning
    --target=es2017)
function(die_roll_bundle output entry)
  file(GLOB_RECURSE modules CONFIGURE_DEPENDS ${die_roll_web}/*.mjs)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${die_roll_esbuild} ${entry} ${die_roll_esbuild_options} ${ARGN} --outfile=${output}
    DEPENDS ${modules}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    COMMENT "Bundling ${entry}"
    VERBATIM)
endfunction()

# What the worker's glue uses of the page's core (the protocol and the
# program's streams), as the one global worker_core, minified as the page's
# script is.
set(die_roll_worker_core_js ${PROJECT_BINARY_DIR}/worker_core.js)
die_roll_bundle(${die_roll_worker_core_js} src/web/worker/worker_core.mjs --global-name=worker_core
  --minify --legal-comments=none)
add_custom_target(die_roll_worker_core DEPENDS ${die_roll_worker_core_js})
add_dependencies(die_roll die_roll_worker_core)

# src/web/worker/console.js takes the place of emscripten's standard
# streams. In the page, reading standard input waits for the page
# (Asyncify, through fd_read alone); pre.js and worker.js let the page
# start the program and learn its exit status.
set(die_roll_worker ${die_roll_web}/worker)
set(die_roll_web_glue ${die_roll_worker}/console.js ${die_roll_worker_core_js} ${die_roll_worker}/pre.js
    ${die_roll_worker}/worker.js)
target_sources(die_roll PRIVATE ${die_roll_worker}/warm_up.cpp)
target_link_options(die_roll PRIVATE
  # The program's standard streams are console.js's own, and it opens no
  # file: without emscripten's file system its JavaScript is half as long.
  -sFILESYSTEM=0
  # A heap that cannot grow makes a failed allocation abort the program
  # unless told otherwise; this way it throws std::bad_alloc, which main
  # reports as the native program does.
  -sABORTING_MALLOC=0
  -sENVIRONMENT=web,worker,node
  -sASYNCIFY "-sASYNCIFY_IMPORTS=['wasi_snapshot_preview1.fd_read']"
  -sEXPORTED_FUNCTIONS=_main,_die_roll_warm_up
  -sINCOMING_MODULE_JS_API=onRuntimeInitialized,noInitialRun,instantiateWasm
  # Each as one option, which CMake would otherwise take apart and rid of
  # its repeated --pre-js.
  "SHELL:--js-library ${die_roll_worker}/console.js"
  "SHELL:--pre-js ${die_roll_worker_core_js}"
  "SHELL:--pre-js ${die_roll_worker}/pre.js"
  "SHELL:--post-js ${die_roll_worker}/worker.js")
set_property(TARGET die_roll APPEND PROPERTY LINK_DEPENDS ${die_roll_web_glue})

# The page's own script, minified: half the size. (emscripten's JavaScript
# is left as it makes it, the same file that the tests run under node.)
set(die_roll_page_js ${PROJECT_BINARY_DIR}/page.js)
die_roll_bundle(${die_roll_page_js} src/web/page.mjs --minify --legal-comments=none)

find_package(Python3 COMPONENTS Interpreter REQUIRED)
add_custom_command(
  OUTPUT ${PROJECT_BINARY_DIR}/die_roll.html
  COMMAND ${Python3_EXECUTABLE} ${die_roll_web}/bundle_page.py
          ${die_roll_web} ${die_roll_page_js} $<TARGET_FILE:die_roll>
          $<TARGET_FILE_DIR:die_roll>/die_roll.wasm ${PROJECT_VERSION}
          ${DIE_ROLL_PROMPT} ${PROJECT_BINARY_DIR}/die_roll.html
  DEPENDS die_roll ${die_roll_page_js} ${die_roll_web}/page.html ${die_roll_web}/page.css
          ${die_roll_web}/bundle_page.py
  COMMENT "Putting the page together: die_roll.html"
  VERBATIM)
add_custom_target(die_roll_page ALL DEPENDS ${PROJECT_BINARY_DIR}/die_roll.html)
