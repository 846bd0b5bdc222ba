#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz with clang (libFuzzer, address and
# undefined-behaviour sanitizers), replays the saved regression inputs, then
# runs each target for SECONDS (default 30) on a temporary copy of its seed
# corpus, so the checked-in corpus never grows. Prints the executions and the
# coverage of each run; fails when any target fails. Inputs that break a
# target are kept under build-fuzz/artifacts/. JOBS sets the build
# parallelism (default 2).
set -euo pipefail
shopt -s nullglob

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-30}"
jobs="${JOBS:-2}"
build_dir="${root}/build-fuzz"
generator=()
if command -v ninja >/dev/null 2>&1; then
  generator=(-G Ninja)
fi

echo "=== build"
CC=clang CXX=clang++ cmake -S "${root}" -B "${build_dir}" "${generator[@]}" \
  -DFUZZ=ON -DMAVO_BENCH=OFF
if ! grep -q '^MAVO_HAVE_LIBFUZZER:INTERNAL=1$' "${build_dir}/CMakeCache.txt"; then
  echo "clang cannot link -fsanitize=fuzzer here (install clang's runtime)" >&2
  exit 1
fi
cmake --build "${build_dir}" -j "${jobs}" --target fuzz_targets

work="$(mktemp -d)"
trap 'rm -rf "${work}"' EXIT
artifacts="${build_dir}/artifacts"
mkdir -p "${artifacts}"
failed=()
summary=()
for corpus in "${root}"/tests/fuzz/corpus/*/; do
  name="$(basename "${corpus}")"
  binary="${build_dir}/tests/fuzz/${name}_fuzzer"
  log="${work}/${name}.log"
  echo "=== ${name}"

  regressions=("${root}/tests/fuzz/regressions/${name}"/*)
  if ((${#regressions[@]} > 0)) && ! "${binary}" "${regressions[@]}" >"${log}" 2>&1; then
    tail -n 30 "${log}"
    failed+=("${name} (regression)")
    continue
  fi

  mkdir -p "${work}/${name}"
  cp "${corpus}"/* "${work}/${name}/"
  if ! "${binary}" -max_total_time="${seconds}" -timeout=20 \
      -artifact_prefix="${artifacts}/${name}-" "${work}/${name}" \
      >"${log}" 2>&1; then
    tail -n 30 "${log}"
    failed+=("${name}")
  fi
  runs="$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "${log}")"
  coverage="$(grep -o 'cov: [0-9]* ft: [0-9]*' "${log}" | tail -n 1)"
  summary+=("$(printf '%-16s %10s execs  %s' "${name}" "${runs:-?}" "${coverage:-cov: ?}")")
done

echo "=== summary (${seconds} s each)"
printf '%s\n' "${summary[@]}"
if ((${#failed[@]} > 0)); then
  echo "=== failed: ${failed[*]} (inputs in ${artifacts})" >&2
  exit 1
fi
echo "=== no target failed"
