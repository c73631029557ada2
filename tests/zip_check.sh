#!/usr/bin/env bash
# Packs the zip of PRESET's build (built already), packs it again from a
# clean clone under Debian's reprotest, building TARGET, and checks that the
# two are the same bytes (a zip entry's DOS time would follow the time
# zone) and that the zip holds PROGRAM beside the README, its docs and the
# licence. Prints the folder that it unpacked the zip's one folder in; the
# caller removes its parent.
#
#   tests/zip_check.sh PRESET TARGET NAME-SUFFIX PROGRAM CLONE REPROTEST-VARIATIONS [CMAKE-OPTION...]
set -euo pipefail
preset=$1 target=$2 suffix=$3 program=$4 clone=$5 variations=$6
shift 6
(cd "build-$preset" && cpack -G ZIP) >&2
reprotest --vary="$variations" -s "$clone" \
  "cmake --preset $preset $* >/dev/null &&
   cmake --build --preset $preset -j2 --target $target >/dev/null &&
   cd build-$preset && cpack -G ZIP >/dev/null" \
  "build-$preset/die_roll-*-$suffix.zip" >&2
zip=$(ls "$PWD/build-$preset"/die_roll-*-"$suffix".zip)
unpacked=$(mktemp -d)
(cd "$unpacked" && cmake -E tar xf "$zip")
unpacked=$(ls -d "$unpacked"/die_roll-*-"$suffix")
(cd "$unpacked" && ls "$program" README.md LICENSE.txt docs/statistic.svg docs/page.png docs/page-phone.png \
  docs/page.md docs/bad-input.md docs/random-source.md docs/builds.md docs/layout.md \
  docs/speed.md docs/dieharder.md) >&2
echo "$unpacked"
