#!/usr/bin/env bash
# Builds and runs the whole test suite twice, once normally and once with the
# address and undefined-behaviour sanitizers, then checks the formatting.
# Fails as soon as any step fails. JOBS sets the parallelism (default 2).
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs="${JOBS:-2}"
generator=()
if command -v ninja >/dev/null 2>&1; then
  generator=(-G Ninja)
fi

run_suite() {
  local build_dir="$1"
  shift
  echo "=== ${build_dir}"
  cmake -S "${root}" -B "${build_dir}" "${generator[@]}" "$@"
  cmake --build "${build_dir}" -j "${jobs}"
  ctest --test-dir "${build_dir}" --output-on-failure -j "${jobs}"
}

run_suite "${root}/build-test"
run_suite "${root}/build-test-asan" -DSANITIZE=ON

echo "=== clang-format"
sources=()
for dir in src tests bench; do
  if [[ -d "${root}/${dir}" ]]; then
    while IFS= read -r -d '' file; do
      sources+=("${file}")
    done < <(find "${root}/${dir}" -type f \( -name '*.cc' -o -name '*.h' \) -print0)
  fi
done
clang-format --dry-run -Werror "${sources[@]}"
echo "=== all tests passed"
