# Read by CPack before it makes each package: without SOURCE_DATE_EPOCH of
# its own, the package is dated by the changelog (see packaging.cmake).
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  set(ENV{SOURCE_DATE_EPOCH} ${CPACK_DIE_ROLL_CHANGELOG_TIME})
endif()
# A zip entry's DOS date is in local time: packed in UTC, the zip is the same
# bytes in every time zone (its UT field carries the time in UTC anyway).
set(ENV{TZ} UTC0)
