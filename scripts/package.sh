#!/usr/bin/env bash
# package.sh [BUILD-DIR]: builds the Debian package in a clean build folder (default build-deb/) as
# Debian builds its own programs: with the compiler and linker flags of dpkg-buildflags and every
# hardening feature (stack protector, _FORTIFY_SOURCE, full RELRO with BIND_NOW, PIE), the program
# alone (no tests, no benchmarks). Prints the package's path last.
#
# Reproducible: two runs on one commit give byte-identical packages. Every time stamp is the
# commit's (SOURCE_DATE_EPOCH, unless set already), and the source and build folders' paths are
# mapped out of what the compiler records. JOBS sets the number of parallel build jobs.
set -euo pipefail
# The package's folders and files get the modes Debian expects, whatever the caller's umask.
umask 022
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=$(realpath -m "${1:-$root/build-deb}")

bash scripts/setup.sh package

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null) ||
        SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l packaging/changelog -S Timestamp)
fi
export SOURCE_DATE_EPOCH
# Qt's resource compiler records each file's time unless told otherwise.
export QT_RCC_SOURCE_DATE_OVERRIDE=$SOURCE_DATE_EPOCH

# dpkg-buildflags maps the folder it is called from (the sources) to "."; the build folder, which
# holds the generated sources, is mapped after it. _FORTIFY_SOURCE goes from level 2 to 3: at 2 the
# compiler proves every checked call of this program safe while compiling, so nothing is checked at
# run time and nothing in the program shows the protection; 3 also checks the copies whose sizes are
# known only at run time.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS | sed 's/_FORTIFY_SOURCE=2/_FORTIFY_SOURCE=3/')"
CXXFLAGS="$CXXFLAGS $(dpkg-buildflags --get CXXFLAGS) -ffile-prefix-map=$build=build"
LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
export CXXFLAGS LDFLAGS

rm -rf "$build"
bash scripts/build.sh "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_BUILD_TESTS=OFF -DVANTREL_BUILD_BENCH=OFF
(cd "$build" && cpack -G DEB >cpack.log) || { cat "$build/cpack.log" >&2; exit 1; }
ls "$build"/vantrel-local_*.deb
