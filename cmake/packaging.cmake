# Installation and packages: `cmake --install`, `cpack -G DEB` on Linux and
# `cpack -G ZIP` in the Windows builds.
include(GNUInstallDirs)

# Debian's package names allow no underscore; the program keeps its own name.
set(die_roll_package die-roll)

if(WIN32)
  # One folder to unpack: the program beside its README and licence.
  install(TARGETS die_roll RUNTIME DESTINATION .)
  install(FILES README.md DESTINATION .)
  install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)
else()
  set(die_roll_docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/${die_roll_package})
  install(TARGETS die_roll RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES docs/die_roll.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES README.md LICENSE docs/changelog DESTINATION ${die_roll_docdir})
endif()

# A parent project that adds this one makes its own packages.
if(NOT PROJECT_IS_TOP_LEVEL)
  return()
endif()

set(CPACK_PACKAGE_NAME die_roll)
set(CPACK_PACKAGE_VENDOR "the die_roll authors")
set(CPACK_PACKAGE_CONTACT "die_roll authors <die-roll@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "roll a slightly unfair die and report the chi-squared statistic")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/build[^/]*/" "/\\\\.git/")

# Debian: policy wants the manual page and the changelog compressed and the
# licence as a machine-readable copyright file, which a plain install does
# not; package_layout.cmake reshapes the staged files before they are packed.
set(CPACK_DEBIAN_PACKAGE_NAME ${die_roll_package})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "die_roll asks how many times to roll a six-sided die, rolls it that many
times and reports the six observed counts together with Pearson's
chi-squared statistic against a fair die's expectation. It asks again after
every report and ends at the first answer of zero or less.
.
The simulated die is deliberately a little unfair: its thresholds cut bands
of unequal width, so small experiments look fair while the statistic of a
large one grows in proportion to the number of rolls. It is a small lesson
in how much data a goodness-of-fit test needs to see a small bias. The roll
loop is vectorised: two billion rolls take well under a second.")
set(die_roll_copyright ${PROJECT_BINARY_DIR}/copyright)
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE die_roll_licence_lines)
set(die_roll_licence "")
foreach(line IN LISTS die_roll_licence_lines)
  if(line STREQUAL "")
    string(APPEND die_roll_licence " .\n")
  else()
    string(APPEND die_roll_licence " ${line}\n")
  endif()
endforeach()
file(WRITE ${die_roll_copyright}
  "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
  "Upstream-Name: die_roll\n"
  "\n"
  "Files: *\n"
  "Copyright: 2026 the die_roll authors\n"
  "License: Expat\n"
  "${die_roll_licence}")
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/package_layout.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/deb_member_modes.cmake)
set(CPACK_DIE_ROLL_COPYRIGHT ${die_roll_copyright})
set(CPACK_DIE_ROLL_DOCDIR ${die_roll_docdir})
set(CPACK_DIE_ROLL_MANDIR ${CMAKE_INSTALL_MANDIR})
set(CPACK_DIE_ROLL_OBJCOPY ${CMAKE_OBJCOPY})
if(WIN32)
  set(CPACK_DIE_ROLL_PROGRAM die_roll.exe)
else()
  set(CPACK_DIE_ROLL_PROGRAM ${CMAKE_INSTALL_BINDIR}/die_roll)
endif()

# Every package of one source is the same file whenever and wherever it is
# made: CPack dates what it packs SOURCE_DATE_EPOCH, which, unless set,
# is the date of the newest changelog entry, as Debian takes it.
function(die_roll_changelog_time changelog out)
  file(STRINGS ${changelog} trailer REGEX "^ -- " LIMIT_COUNT 1)
  if(NOT trailer MATCHES
     ", ([0-9]+) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) ([0-9]+) ([0-9][0-9]):([0-9][0-9]):([0-9][0-9]) ([+-])([0-9][0-9])([0-9][0-9])$")
    message(FATAL_ERROR "${changelog}: no date in the first trailer line: ${trailer}")
  endif()
  set(day ${CMAKE_MATCH_1})
  set(month_name ${CMAKE_MATCH_2})
  set(year ${CMAKE_MATCH_3})
  math(EXPR seconds_of_day "${CMAKE_MATCH_4} * 3600 + ${CMAKE_MATCH_5} * 60 + ${CMAKE_MATCH_6}")
  math(EXPR offset "${CMAKE_MATCH_7}(${CMAKE_MATCH_8} * 60 + ${CMAKE_MATCH_9}) * 60")
  # Days from 1970-01-01 (Hinnant's days_from_civil, for years from 1970):
  # the year is taken to start on 1 March, so that a leap day comes last.
  set(month_names Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(FIND month_names ${month_name} month)
  if(month LESS 2)
    math(EXPR year "${year} - 1")
    math(EXPR month_from_march "${month} + 10")
  else()
    math(EXPR month_from_march "${month} - 2")
  endif()
  math(EXPR era "${year} / 400")
  math(EXPR year_of_era "${year} - ${era} * 400")
  math(EXPR day_of_year "(153 * ${month_from_march} + 2) / 5 + ${day} - 1")
  math(EXPR day_of_era "${year_of_era} * 365 + ${year_of_era} / 4 - ${year_of_era} / 100 + ${day_of_year}")
  math(EXPR time "(${era} * 146097 + ${day_of_era} - 719468) * 86400 + ${seconds_of_day} - ${offset}")
  set(${out} ${time} PARENT_SCOPE)
endfunction()
die_roll_changelog_time(${PROJECT_SOURCE_DIR}/docs/changelog CPACK_DIE_ROLL_CHANGELOG_TIME)
# A new changelog entry dates the next packages without a fresh configure.
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/docs/changelog ${PROJECT_SOURCE_DIR}/docs/die_roll.1)

# The newest changelog entry and the manual page name the version that the
# packages carry, so a release cannot raise one and forget the others.
string(REPLACE "." "\\." die_roll_version_pattern ${PROJECT_VERSION})
file(STRINGS ${PROJECT_SOURCE_DIR}/docs/changelog die_roll_newest LIMIT_COUNT 1)
if(NOT die_roll_newest MATCHES "^${die_roll_package} \\(${die_roll_version_pattern}\\) ")
  message(FATAL_ERROR "docs/changelog: the newest entry is not version ${PROJECT_VERSION}: ${die_roll_newest}")
endif()
file(STRINGS ${PROJECT_SOURCE_DIR}/docs/die_roll.1 die_roll_title REGEX "^\\.TH " LIMIT_COUNT 1)
if(NOT die_roll_title MATCHES "\"die_roll ${die_roll_version_pattern}\"")
  message(FATAL_ERROR "docs/die_roll.1: the title line does not name version ${PROJECT_VERSION}: ${die_roll_title}")
endif()
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/package_time.cmake)

include(CPack)
