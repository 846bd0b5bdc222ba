#!/usr/bin/env bash
# Cross-builds the 32-bit Windows program (build-windows/mavoscan.exe) and
# runs the end-to-end suite against it under Wine. Installs the cross
# compiler and Wine when they are missing (as root, with apt-get). The
# native test programs come from build-test, which scripts/test.sh makes;
# whatever is missing there is built. JOBS sets the parallelism (default 2).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="${JOBS:-2}"
generator=()
if command -v ninja >/dev/null 2>&1; then
  generator=(-G Ninja)
fi

missing=()
command -v i686-w64-mingw32-g++-posix >/dev/null 2>&1 ||
  missing+=(g++-mingw-w64-i686-posix)
# The 32-bit program needs the 32-bit Wine loader beside the 64-bit one.
{ command -v wine >/dev/null 2>&1 && dpkg -s wine32:i386 >/dev/null 2>&1; } ||
  missing+=(wine wine32:i386)
if ((${#missing[@]} > 0)); then
  echo "=== installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  apt-get update
  # With the recommended packages, the way this script was tried; Wine
  # without them was not.
  apt-get install -y "${missing[@]}"
fi

echo "=== build-windows"
cmake -S "${root}" -B "${root}/build-windows" "${generator[@]}" \
  -DCMAKE_TOOLCHAIN_FILE="${root}/cmake/mingw-w64-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release
cmake --build "${root}/build-windows" -j "${jobs}"
tool="${root}/build-windows/mavoscan.exe"

echo "=== build-test (native end-to-end programs)"
cmake -S "${root}" -B "${root}/build-test" "${generator[@]}"
cmake --build "${root}/build-test" -j "${jobs}" --target e2e_tests

# A prefix of our own, removed at the end, so that nothing depends on the
# user's Wine set-up.
WINEPREFIX="$(mktemp -d "${TMPDIR:-/tmp}/mavoscan-wine-XXXXXX")"
export WINEPREFIX WINEDEBUG=-all WINEARCH=win32
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
wineboot -i >/dev/null 2>&1
wine "${tool}" /? >/dev/null 2>&1 || true

echo "=== end-to-end suite against ${tool}"
MAVO_E2E_TOOL="wine ${tool}" ctest --test-dir "${root}/build-test" \
  --output-on-failure -j "${jobs}" -R '^e2e\.'
echo "=== Windows tests passed"
