#!/usr/bin/env bash
# Checks the Debian package that `cpack -G DEB` made in BUILD: lintian finds
# no error or warning (nor a lack of BIND_NOW or an unneeded section), the
# program has Debian's hardening, and once installed it runs, its manual
# page is found, and the installed documents hold what the README and the
# manual page refer to. Installs the package and removes it again: run it
# as root, on a machine where that may be done.
#
#   tests/deb_check.sh BUILD
set -euo pipefail
build=$1
deb=$(ls "$build"/die-roll_*.deb)
lintian -I --fail-on error,warning "$deb" | tee "$build/lintian.txt"
if grep -E 'hardening-no-bindnow|binary-has-unneeded-section' "$build/lintian.txt"; then
  exit 1
fi
# Debian's flags, which dpkg-buildflags gives on amd64, bring no control flow
# protection.
unpacked=$(mktemp -d)
dpkg-deb -x "$deb" "$unpacked"
hardening-check --nocfprotection "$unpacked/usr/bin/die_roll"
rm -rf "$unpacked"
dpkg -i "$deb"
transcript=$(printf '1 0\n' | /usr/bin/die_roll)
grep -q '^The observed counts: ' <<<"$transcript"
man -w die_roll
(cd /usr/share/doc/die-roll/docs && ls statistic.svg page.png page-phone.png page.md.gz bad-input.md.gz \
  random-source.md.gz builds.md.gz layout.md.gz speed.md.gz dieharder.md.gz)
dpkg -r die-roll
echo "deb_check: $deb is sound, installs, runs and is removed"
