#!/usr/bin/env bash
# Builds the Debian package with CPack and checks it with lintian, which it
# installs (as root, with apt-get) when it is missing. Fails when lintian
# reports any error or warning, and prints the package's files.
#
# Usage: scripts/package.sh [BUILD_DIR]
# BUILD_DIR defaults to build-package, a Release build without the tests;
# the name of a build directory that is already built (CI passes build-test)
# saves building again. JOBS sets the parallelism (default 2).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="${JOBS:-2}"
build_dir="${1:-${root}/build-package}"
generator=()
if command -v ninja >/dev/null 2>&1; then
  generator=(-G Ninja)
fi

if ! command -v lintian >/dev/null 2>&1; then
  echo "=== installing: lintian"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update || echo "=== apt-get update failed in part; going on"
  apt-get install -y --no-install-recommends lintian
fi

echo "=== ${build_dir##*/}"
if [[ ! -f "${build_dir}/CMakeCache.txt" ]]; then
  cmake -S "${root}" -B "${build_dir}" "${generator[@]}" \
    -DCMAKE_BUILD_TYPE=Release -DMAVO_TESTS=OFF -DMAVO_BENCH=OFF
fi
cmake --build "${build_dir}" -j "${jobs}"

# The package's changelog must have an entry for the version it ships.
version="$(sed -n 's/^project(MavoScan VERSION \([0-9.]*\).*/\1/p' "${root}/CMakeLists.txt")"
if ! head -n 1 "${root}/doc/changelog" | grep -q "^mavoscan (${version}) "; then
  echo "doc/changelog has no entry for version ${version} at its top" >&2
  exit 1
fi

echo "=== cpack"
rm -f "${build_dir}"/mavoscan_*.deb
(cd "${build_dir}" && cpack -G DEB)
package=("${build_dir}"/mavoscan_*.deb)
dpkg-deb --info "${package[0]}"
dpkg-deb --contents "${package[0]}"

echo "=== lintian ${package[0]##*/}"
# Info tags are shown too, but only errors and warnings fail the check.
lintian --info --display-info --fail-on error,warning "${package[0]}"
echo "=== lintian: no error, no warning"
