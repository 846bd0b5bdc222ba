#!/usr/bin/env bash
# Cross-builds the 32-bit Windows program (build-windows/mavoscan.exe), runs
# the end-to-end suite against it under Wine, and packs the zip that is
# handed out (the programs, the licence and the README), checking what it
# holds. Installs the cross compiler and Wine when they are missing (as
# root, with apt-get). On a machine whose kernel runs no 32-bit programs (and
# so no 32-bit Wine), the same code is built and tested as a 64-bit program
# under 64-bit Wine instead (build-windows64). The native test programs come
# from build-test, which scripts/test.sh makes; whatever is missing there is
# built. JOBS sets the parallelism (default 2).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="${JOBS:-2}"
generator=()
if command -v ninja >/dev/null 2>&1; then
  generator=(-G Ninja)
fi

install() {
  echo "=== installing: $*"
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  # A mirror that is being synchronised fails some of its index files; the
  # others still serve what is installed below.
  apt-get update || echo "=== apt-get update failed in part; going on"
  # With the recommended packages, the way this script was tried; Wine
  # without them was not.
  apt-get install -y "$@"
}

missing=()
command -v i686-w64-mingw32-g++-posix >/dev/null 2>&1 ||
  missing+=(g++-mingw-w64-i686-posix)
# The 32-bit program needs the 32-bit Wine loader beside the 64-bit one.
{ command -v wine >/dev/null 2>&1 && dpkg -s wine32:i386 >/dev/null 2>&1; } ||
  missing+=(wine wine32:i386)
if ((${#missing[@]} > 0)); then
  # Where the 32-bit packages cannot be had, the 64-bit build is tested
  # below instead.
  install "${missing[@]}" || echo "=== the 32-bit tools could not be installed"
fi

# Wine's 32-bit server is a 32-bit Linux program: when it cannot start, the
# kernel runs no 32-bit programs.
if /usr/lib/wine/wineserver32 --version >/dev/null 2>&1; then
  toolchain=mingw-w64-i686
  build_windows="${root}/build-windows"
  export WINEARCH=win32
  wine=(wine)
else
  echo "=== this machine runs no 32-bit programs: testing the 64-bit build"
  missing=()
  command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1 ||
    missing+=(g++-mingw-w64-x86-64-posix)
  [[ -x /usr/lib/wine/wine64 ]] || missing+=(wine64)
  if ((${#missing[@]} > 0)); then
    install "${missing[@]}"
  fi
  toolchain=mingw-w64-x86_64
  build_windows="${root}/build-windows64"
  # The wine command prefers the 32-bit loader whenever it is installed.
  export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
  wine=(/usr/lib/wine/wine64)
fi

echo "=== ${build_windows##*/}"
cmake -S "${root}" -B "${build_windows}" "${generator[@]}" \
  -DCMAKE_TOOLCHAIN_FILE="${root}/cmake/${toolchain}.cmake" \
  -DCMAKE_BUILD_TYPE=Release
cmake --build "${build_windows}" -j "${jobs}"
tool="${build_windows}/mavoscan.exe"

echo "=== build-test (native end-to-end programs)"
cmake -S "${root}" -B "${root}/build-test" "${generator[@]}"
cmake --build "${root}/build-test" -j "${jobs}" --target e2e_tests

# A prefix of our own, removed at the end, so that nothing depends on the
# user's Wine set-up.
WINEPREFIX="$(mktemp -d "${TMPDIR:-/tmp}/mavoscan-wine-XXXXXX")"
export WINEPREFIX WINEDEBUG=-all
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "${WINEPREFIX}"
}
trap cleanup EXIT

echo "=== Wine prefix ${WINEPREFIX}"
# A server that stays up keeps each start of the tool quick. The first run
# in a prefix starts Wine's own background programs, which would hold the
# harness's output pipes open until they end, so one run goes first here.
wineserver -p
"${wine[@]}" wineboot -i >/dev/null 2>&1
"${wine[@]}" "${tool}" /? >/dev/null 2>&1 || true

echo "=== end-to-end suite against ${tool}"
MAVO_E2E_TOOL="${wine[*]} ${tool}" ctest --test-dir "${root}/build-test" \
  --output-on-failure -j "${jobs}" -R '^e2e\.'

echo "=== cpack (the Windows zip)"
rm -f "${build_windows}"/mavoscan-*.zip
(cd "${build_windows}" && cpack -G ZIP)
zip=("${build_windows}"/mavoscan-*.zip)
listing="$(cd "${build_windows}" && cmake -E tar tf "${zip[0]}")"
echo "${listing}"
for name in mavoscan.exe mavocheck.exe LICENSE README.md; do
  if ! grep -qx "${name}" <<<"${listing}"; then
    echo "${zip[0]##*/} does not hold ${name}" >&2
    exit 1
  fi
done
echo "=== Windows tests passed"
