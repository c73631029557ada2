#!/usr/bin/env bash
# Checks that builds for different machines roll the same: started within
# the same second, they must print byte for byte the same dialogue (line
# ends aside) for answers that cross several blocks and a fold of the
# vector loop's lanes (1,048,560 rolls).
#   tests/same_rolls.sh COMMAND...   e.g. ./build/die_roll "qemu-s390x build-linux-s390x/die_roll"
# Each COMMAND is split at blanks. The start of the second is waited for,
# but an emulator may start a program late, so a mismatch is tried again:
# a real difference shows every time.
set -euo pipefail
answers='1000 77777 3000001 0'
[ $# -ge 2 ] || { echo "usage: $0 COMMAND COMMAND..." >&2; exit 2; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# A first start of each, so that wine or qemu is warm for the timed one.
for command in "$@"; do
  echo 0 | timeout 120 $command > /dev/null
done

for attempt in 1 2 3; do
  # Wait until just after the clock turns to a new second.
  start=$(date +%s)
  while [ "$(date +%s)" = "$start" ]; do sleep 0.01; done
  i=0
  for command in "$@"; do
    echo "$answers" | timeout 120 $command > "$scratch/$i" &
    i=$((i + 1))
  done
  wait
  for ((j = 0; j < i; j++)); do tr -d '\r' < "$scratch/$j" > "$scratch/$j.lf"; done
  same=yes
  for ((j = 1; j < i; j++)); do
    cmp -s "$scratch/0.lf" "$scratch/$j.lf" || same=no
  done
  if [ "$same" = yes ]; then
    grep -q '^The observed counts: ' "$scratch/0.lf"
    echo "same_rolls: $i builds printed the same dialogue (attempt $attempt)"
    exit 0
  fi
done
echo "same_rolls: the builds differ:" >&2
for ((j = 0; j < i; j++)); do
  echo "--- ${*:j+1:1}" >&2
  cat "$scratch/$j.lf" >&2
done
exit 1
