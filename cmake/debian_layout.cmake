# Run by CPack on the staged files before it packs them: Debian wants the
# manual page and the changelog compressed (gzip -9n, so that the package
# is the same whenever it is built) and the licence as a machine-readable
# copyright file.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
set(root "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
set(doc "${root}/${CPACK_DIE_ROLL_DOCDIR}")
file(REMOVE "${doc}/LICENSE")
file(COPY_FILE "${CPACK_DIE_ROLL_COPYRIGHT}" "${doc}/copyright")
execute_process(
  COMMAND gzip -9n "${doc}/changelog" "${root}/${CPACK_DIE_ROLL_MANDIR}/man1/die_roll.1"
  COMMAND_ERROR_IS_FATAL ANY)
