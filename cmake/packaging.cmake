# Installation and packages: `cmake --install`, `cpack -G DEB` on Linux and
# `cpack -G ZIP` in the Windows builds.
include(GNUInstallDirs)

# Debian's package names allow no underscore; the program keeps its own name.
set(die_roll_package die-roll)

# What the README refers to: its pictures, the pages of reference, the speed
# of each release and the record of the dieharder run.
set(die_roll_docs docs/statistic.svg docs/page.png docs/page-phone.png docs/page.md docs/bad-input.md
  docs/random-source.md docs/builds.md docs/layout.md docs/speed.md docs/dieharder.md)
if(WIN32 OR EMSCRIPTEN)
  # One folder to unpack: the program beside its README and licence. On the
  # web the program is the page, which holds it.
  if(EMSCRIPTEN)
    install(FILES ${PROJECT_BINARY_DIR}/die_roll.html DESTINATION .)
    set(die_roll_installed_program "")
    set(CPACK_SYSTEM_NAME web)
    set(CPACK_GENERATOR ZIP)
  else()
    install(TARGETS die_roll RUNTIME DESTINATION .)
    set(die_roll_installed_program die_roll.exe)
  endif()
  install(FILES README.md DESTINATION .)
  install(FILES LICENSE DESTINATION . RENAME LICENSE.txt)
  install(FILES ${die_roll_docs} DESTINATION docs)
else()
  set(die_roll_docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/${die_roll_package})
  install(TARGETS die_roll RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  set(die_roll_installed_program ${CMAKE_INSTALL_BINDIR}/die_roll)
  install(FILES docs/die_roll.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES README.md LICENSE docs/changelog DESTINATION ${die_roll_docdir})
  install(FILES ${die_roll_docs} DESTINATION ${die_roll_docdir}/docs)
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
loop is vectorised, for SSE2, AVX2 or AVX-512 as the processor allows.")
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
set(CPACK_DIE_ROLL_PROGRAM ${die_roll_installed_program})

# The newest changelog entry gives the packages their version, which must
# be the project's, and their date: every package of one source is the same
# file whenever and wherever it is made, as CPack dates what it packs
# SOURCE_DATE_EPOCH, which, unless set, is the date of that entry's trailer,
# as Debian takes it. The manual page's title names the same version and
# date, so that a release cannot raise one and forget the others. Each fault
# stops the configure with one message.

# Seconds since 1970 and the day (YYYY-MM-DD, as written) of a trailer's
# date, such as "Wed, 09 Dec 2026 03:06:43 +0000", which blanks may follow,
# as Debian's tools allow.
function(die_roll_trailer_time trailer out_time out_day)
  if(NOT trailer MATCHES
     ", ([0-9]+) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) ([0-9]+) ([0-9][0-9]):([0-9][0-9]):([0-9][0-9]) ([+-])([0-9][0-9])([0-9][0-9])[ \t]*$")
    message(FATAL_ERROR "docs/changelog: no date in the newest entry's trailer line: ${trailer}")
  endif()
  set(day ${CMAKE_MATCH_1})
  set(month_name ${CMAKE_MATCH_2})
  set(year ${CMAKE_MATCH_3})
  math(EXPR seconds_of_day "${CMAKE_MATCH_4} * 3600 + ${CMAKE_MATCH_5} * 60 + ${CMAKE_MATCH_6}")
  math(EXPR offset "${CMAKE_MATCH_7}(${CMAKE_MATCH_8} * 60 + ${CMAKE_MATCH_9}) * 60")
  set(month_names Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(FIND month_names ${month_name} month)
  math(EXPR month_number "${month} + 1")
  string(REGEX REPLACE "^([0-9])$" "0\\1" month_digits ${month_number})
  string(REGEX REPLACE "^([0-9])$" "0\\1" day_digits ${day})
  set(${out_day} "${year}-${month_digits}-${day_digits}" PARENT_SCOPE)
  # Days from 1970-01-01 (Hinnant's days_from_civil, for years from 1970):
  # the year is taken to start on 1 March, so that a leap day comes last.
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
  set(${out_time} ${time} PARENT_SCOPE)
endfunction()

if(NOT EXISTS ${PROJECT_SOURCE_DIR}/docs/changelog)
  message(FATAL_ERROR "docs/changelog is missing: its newest entry gives the packages their version and date")
endif()
if(NOT EXISTS ${PROJECT_SOURCE_DIR}/docs/die_roll.1)
  message(FATAL_ERROR "docs/die_roll.1, the manual page that the packages install, is missing")
endif()
# A new changelog entry dates the next packages without a fresh configure.
set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/docs/changelog ${PROJECT_SOURCE_DIR}/docs/die_roll.1)

# An entry starts with its header line, flush left, and ends with its
# trailer line, " -- " and the maintainer and date: the first two such
# lines must be the newest entry's header and trailer. Read as UTF-8: read
# as bytes, a character beyond ASCII ends a line there, and the rest of it
# could pass for a header.
string(REPLACE "." "\\." die_roll_version_pattern ${PROJECT_VERSION})
file(STRINGS ${PROJECT_SOURCE_DIR}/docs/changelog die_roll_newest ENCODING UTF-8 REGEX "^([^ \t]| -- )" LIMIT_COUNT 2)
list(LENGTH die_roll_newest die_roll_newest_lines)
if(die_roll_newest_lines EQUAL 0)
  message(FATAL_ERROR "docs/changelog has no entry: its newest gives the packages' version and date")
endif()
list(GET die_roll_newest 0 die_roll_header)
if(NOT die_roll_header MATCHES "^${die_roll_package} \\(${die_roll_version_pattern}\\) ")
  message(FATAL_ERROR "docs/changelog: the newest entry is not version ${PROJECT_VERSION}: ${die_roll_header}")
endif()
if(die_roll_newest_lines LESS 2)
  set(die_roll_trailer "")
else()
  list(GET die_roll_newest 1 die_roll_trailer)
endif()
if(NOT die_roll_trailer MATCHES "^ -- ")
  message(FATAL_ERROR "docs/changelog: the newest entry (${PROJECT_VERSION}) has no trailer line"
    " (\" -- name <address>  date\") before the next entry")
endif()
die_roll_trailer_time("${die_roll_trailer}" CPACK_DIE_ROLL_CHANGELOG_TIME die_roll_changelog_day)

file(STRINGS ${PROJECT_SOURCE_DIR}/docs/die_roll.1 die_roll_title REGEX "^\\.TH " LIMIT_COUNT 1)
if(NOT die_roll_title MATCHES "\"die_roll ${die_roll_version_pattern}\"")
  message(FATAL_ERROR "docs/die_roll.1: the title line does not name version ${PROJECT_VERSION}: ${die_roll_title}")
endif()
if(NOT die_roll_title MATCHES "^\\.TH [^ ]+ [^ ]+ ${die_roll_changelog_day} ")
  message(FATAL_ERROR "docs/die_roll.1: the title line's date is not ${die_roll_changelog_day},"
    " the newest changelog entry's: ${die_roll_title}")
endif()
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/package_time.cmake)

include(CPack)
