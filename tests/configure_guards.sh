#!/usr/bin/env bash
# The configure's guards on the changelog and the manual page: each fault
# stops the configure with one message that says what is wrong, and what
# Debian reads as a sound changelog configures, dated as Debian dates it.
# Works on copies of the committed tree (git archive HEAD), in temporary
# folders; needs git, cmake and dpkg-dev.
#
#   tests/configure_guards.sh
set -euo pipefail
cd "$(dirname "$0")/.."

changed_copy() {  # changed_copy COMMAND: prints the folder of a copy of this commit changed by it
  set -e  # as a command substitution, which bash runs without it
  local tree
  tree=$(mktemp -d)
  git archive HEAD | tar -x -C "$tree"
  (cd "$tree" && eval "$1")
  echo "$tree"
}

guard() {  # guard MESSAGE-PART COMMAND-THAT-MAKES-THE-FAULT
  local tree out
  tree=$(changed_copy "$2")
  if out=$(cmake -S "$tree" -B "$tree/build" -DBUILD_TESTING=OFF 2>&1); then
    echo "configured in spite of: $2"
    exit 1
  fi
  if [ "$(grep -c 'CMake Error' <<<"$out")" != 1 ] || ! tr -s ' \n' ' ' <<<"$out" | grep -qF "$1"; then
    printf 'expected one error saying "%s" after: %s\n%s\n' "$1" "$2" "$out"
    exit 1
  fi
  rm -rf "$tree"
}

accepted() {  # accepted COMMAND-THAT-CHANGES-THE-CHANGELOG
  local tree ours debians
  tree=$(changed_copy "$1")
  cmake -S "$tree" -B "$tree/build" -DBUILD_TESTING=OFF >/dev/null
  ours=$(sed -n 's/^set(CPACK_DIE_ROLL_CHANGELOG_TIME "\([0-9]*\)")$/\1/p' "$tree/build/CPackConfig.cmake")
  debians=$(dpkg-parsechangelog -l "$tree/docs/changelog" -S Timestamp)
  if [ "$ours" != "$debians" ]; then
    echo "after $1 the packages are dated ${ours:-nothing}, where Debian reads $debians"
    exit 1
  fi
  rm -rf "$tree"
}

guard 'docs/changelog is missing' 'rm docs/changelog'
guard 'docs/changelog has no entry' ': >docs/changelog'
guard 'the newest entry is not version' "sed -i '1s/([0-9.]*)/(0.0.1)/' docs/changelog"
guard 'has no trailer line' "sed -i '0,/^ -- /{/^ -- /d}' docs/changelog"
guard "no date in the newest entry's trailer line" "sed -i '0,/^ -- /s/ [+-][0-9]*\$//' docs/changelog"
guard 'docs/die_roll.1, the manual page that the packages install, is missing' 'rm docs/die_roll.1'
guard 'the title line does not name version' "sed -i 's/\"die_roll [0-9.]*\"/\"die_roll 0.0.1\"/' docs/die_roll.1"
guard "the title line's date is not" "sed -i 's/^\\(\\.TH [^ ]* [^ ]*\\) [^ ]*/\\1 1999-01-01/' docs/die_roll.1"
# The prompt in two pieces, which the compiler joins and the tests could not.
guard 'src/dialogue.h defines no prompt_text as one string' "sed -i 's/prompt_text =\$/prompt_text = \"\"/' src/dialogue.h"
accepted "sed -i '0,/^ -- /s/\$/  \t /' docs/changelog"
# Text beyond ASCII in an entry: a quote after an ellipsis.
accepted "sed -i '3s/\$/ “Starting…”/' docs/changelog"
echo "configure_guards: every fault stopped the configure, and every sound changelog configured"
