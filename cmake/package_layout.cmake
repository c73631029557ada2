# Run by CPack on the staged files before it packs them.
#
# Debian wants the manual page and the changelog compressed whatever their
# size, and documents over 4 kB too: the README and the pages of docs/, all
# of them, so that their links to each other have one ending; with gzip
# -9n, so that the package is the same whenever it is built. The README's
# pictures stay as they are, as the README links to them.
# It wants the licence as a machine-readable copyright file, and no
# .comment section in the program (the compilers' version strings, which
# it does not need).
set(root "${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
if(CPACK_GENERATOR STREQUAL "DEB")
  set(doc "${root}/${CPACK_DIE_ROLL_DOCDIR}")
  file(REMOVE "${doc}/LICENSE")
  file(COPY_FILE "${CPACK_DIE_ROLL_COPYRIGHT}" "${doc}/copyright")
  file(GLOB pages "${doc}/docs/*.md")
  execute_process(
    COMMAND gzip -9n "${doc}/changelog" "${doc}/README.md" ${pages}
            "${root}/${CPACK_DIE_ROLL_MANDIR}/man1/die_roll.1"
    COMMAND_ERROR_IS_FATAL ANY)
  execute_process(
    COMMAND "${CPACK_DIE_ROLL_OBJCOPY}" --remove-section=.comment "${root}/${CPACK_DIE_ROLL_PROGRAM}"
    COMMAND_ERROR_IS_FATAL ANY)
endif()

# Every package holds its folders as 0755, its files as 0644 and the program
# as 0755, whatever the umask of whoever configured the build (which wrote
# the copyright file) and packs it: the modes go into the package, and a
# folder that only its owner may read would keep users from the docs.
file(CHMOD_RECURSE "${CPACK_TEMPORARY_DIRECTORY}"
  DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
# (The web zip has no program of its own: its page is a file like the rest.)
if(NOT CPACK_DIE_ROLL_PROGRAM STREQUAL "")
  file(CHMOD "${root}/${CPACK_DIE_ROLL_PROGRAM}"
    PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endif()
