# Run by CPack on the staged files before it packs them: Debian wants the
# manual page, the changelog and the README (over 4 kB) compressed (gzip
# -9n, so that the package is the same whenever it is built), the licence as
# a machine-readable copyright file, and no .comment section in the program
# (the compilers' version strings, which it does not need).
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
set(root "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
set(doc "${root}/${CPACK_DIE_ROLL_DOCDIR}")
file(REMOVE "${doc}/LICENSE")
file(COPY_FILE "${CPACK_DIE_ROLL_COPYRIGHT}" "${doc}/copyright")
execute_process(
  COMMAND gzip -9n "${doc}/changelog" "${doc}/README.md" "${root}/${CPACK_DIE_ROLL_MANDIR}/man1/die_roll.1"
  COMMAND_ERROR_IS_FATAL ANY)
execute_process(
  COMMAND "${CPACK_DIE_ROLL_OBJCOPY}" --remove-section=.comment "${root}/${CPACK_DIE_ROLL_BINDIR}/die_roll"
  COMMAND_ERROR_IS_FATAL ANY)
