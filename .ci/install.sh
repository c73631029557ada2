# Sourced by .ci/run: installs what a fresh Debian 12 machine lacks, and
# sets what the checks need to know of it: `not_run`, what this run cannot
# run and why, for its closing line; `x86_not_run`, why the 32-bit Windows
# programs cannot run, if they cannot; `browsers`, the engines installed for
# the browser test; `screen_reader_browsers`, those of them that the screen
# reader's test runs in; and `npm_ok`, whether the npm packages are there.
export DEBIAN_FRONTEND=noninteractive
not_run=""

# Debian's registry sometimes serves an index mid-sync for an hour or more.
# A failed update is tried again; after the last try the run goes on with
# the lists that did come down, as an install that needs a missing one
# fails by itself. apt retries each download too.
apt_retries=(-o Acquire::Retries=5)
apt_options=(-y --no-install-recommends "${apt_retries[@]}")
# i386 packages for wine32, which runs the 32-bit Windows build.
dpkg --add-architecture i386
tries=3
for ((try = 1; ; try++)); do
  if apt-get "${apt_retries[@]}" update; then
    break
  elif ((try == tries)); then
    echo "apt-get update failed $tries times: going on with the package lists it fetched"
    break
  fi
  sleep 20
done
apt-get install "${apt_options[@]}" \
  g++ cmake make libgtest-dev libbenchmark-dev python3 \
  clang clang-format clang-tidy libfuzzer-14-dev libclang-rt-14-dev \
  dpkg-dev file lintian mandoc man-db devscripts \
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine64 \
  g++-aarch64-linux-gnu g++-s390x-linux-gnu qemu-user \
  reprotest diffoscope-minimal faketime locales-all emscripten esbuild nodejs
# Without wine32 everything else still runs, the 32-bit Windows build and
# the reading of its headers included; only its tests are left out.
x86_not_run=""
if ! apt-get install "${apt_options[@]}" wine32:i386; then
  x86_not_run="wine32:i386 could not be installed"
else
  status=0
  /usr/lib/wine/wine --version >/dev/null 2>&1 || status=$?
  case $status in
    0) ;;
    # The shell's status for a program that the kernel cannot execute.
    126) x86_not_run="this kernel runs no 32-bit programs" ;;
    *) x86_not_run="/usr/lib/wine/wine does not start" ;;
  esac
fi
if [ -n "$x86_not_run" ]; then
  echo "$x86_not_run: the 32-bit Windows programs are built and their headers read, not run"
  not_run="the 32-bit Windows programs, $x86_not_run"
fi

# The browsers that the page's test opens. Like wine32, what cannot be
# installed is named in the closing line, and everything else still runs.
# WebKitGTK is Debian's webkit2gtk-driver (WebKitWebDriver and MiniBrowser),
# which needs a display: xvfb's xvfb-run gives it one.
browsers=()
browsers_not_run=""
for browser in chromium:chromium firefox:firefox-esr webkit:"webkit2gtk-driver xvfb xauth"; do
  name=${browser%%:*}
  # shellcheck disable=SC2086 # the package list, word by word
  if apt-get install "${apt_options[@]}" ${browser#*:}; then
    browsers+=("$name")
  else
    browsers_not_run+="${browsers_not_run:+, }the page in $name (it could not be installed)"
  fi
done
# The screen reader, Orca, and what it needs to speak on a display of its
# own, for the screen reader's test in Chromium and Firefox.
screen_reader_browsers=()
if apt-get install "${apt_options[@]}" orca speech-dispatcher-espeak-ng at-spi2-core dbus xdotool xclip openbox xvfb xauth; then
  for browser in "${browsers[@]}"; do
    [ "$browser" = webkit ] || screen_reader_browsers+=("$browser")
  done
else
  browsers_not_run+="${browsers_not_run:+, }the screen reader's test (Orca could not be installed)"
fi
# The npm packages: ESLint, and what drives the browsers.
npm_ok=true
if ! npm ci --no-audit --no-fund; then
  npm_ok=false
  browsers_not_run+="${browsers_not_run:+, }ESLint${browsers[*]:+ and the page in ${browsers[*]}} (npm ci failed)"
  browsers=()
  screen_reader_browsers=()
fi
if [ -n "$browsers_not_run" ]; then
  echo "not run: $browsers_not_run"
  not_run+="${not_run:+; }$browsers_not_run"
fi
