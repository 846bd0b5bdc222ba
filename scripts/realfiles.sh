#!/usr/bin/env bash
# Checks mavocheck on real files of this system that no one here wrote:
# for each type, a definition is built by mavoscan from half of the files,
# verified on the other half (and on the other types' files, which must not
# match), and the cross-check's estimate from the building half is set
# against the share measured on the held-out half.
#
# Usage: scripts/realfiles.sh [BUILD_DIR] [WORK_DIR]
# Needs python3 (to read the JSON reports). Prints one table row per type.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-${root}/build}" && pwd)"
work="${2:-/tmp/mavo-realfiles}"
scan="${build}/mavoscan"
check="${build}/mavocheck"
per_type=80

# type|find arguments (files under 8 MiB; the project's own trees left out)
types=(
  "png|/usr/share -name *.png"
  "gif|/usr/share /usr/lib -name *.gif"
  "gzip|/usr/share -name *.gz"
  "woff2|/usr/share /usr/lib /root/.rustup -name *.woff2"
  "gettext|/usr/share/locale -name *.mo"
  "truetype|/usr/share/fonts -name *.ttf"
  "svg|/usr/share /usr/lib -name *.svg"
  "pyc|/usr/lib /root/.pyenv -name *.pyc"
  "elf-exec|/usr/bin /usr/sbin -type f"
  "elf-so|/usr/lib -name *.so*"
  "terminfo|/usr/share/terminfo /lib/terminfo -type f"
  "xml|/usr/share /usr/lib -name *.xml"
  "html|/usr/share /usr/lib -name *.html"
  "python|/usr/lib -name *.py"
  "postscript|/usr/share /usr/lib -name *.ps"
  "jar|/usr/share /usr/lib -name *.jar"
  "shell|/usr/share /usr/lib -name *.sh"
)

collect() {
  local type="$1" dirs_and_test="$2"
  local out="${work}/${type}"
  if [[ -f "${out}/.done" ]]; then return; fi
  rm -rf "${out}"
  mkdir -p "${out}/train" "${out}/test"
  # Sorted paths, thinned evenly to per_type files: the same files on every
  # run of the same system. ELF files are told by their first four bytes.
  # The find arguments are split on spaces but never globbed: "*.py" must
  # reach find as it is, whatever files the current directory holds.
  # shellcheck disable=SC2086
  set -f
  find ${dirs_and_test} -type f -size -8M -size +0 2>/dev/null |
    { grep -v '^/work\|^/tmp\|/\.[^/]*$' || true; } | LC_ALL=C sort |
    while read -r path; do
      if [[ "${type}" == elf-* ]]; then
        [[ "$(head -c 4 "${path}" | od -An -tx1 | tr -d ' \n')" == 7f454c46 ]] ||
          continue
      fi
      echo "${path}"
    done >"${out}/list"
  set +f
  local total count=0 index=0 step
  total=$(wc -l <"${out}/list")
  step=$(((total + per_type - 1) / per_type))
  ((step > 0)) || step=1
  while read -r path; do
    if ((index % step == 0)); then
      local half=train
      ((count % 2 == 1)) && half=test
      cp "${path}" "${out}/${half}/$(printf 'f%04d' "${count}").${type}"
      count=$((count + 1))
    fi
    index=$((index + 1))
  done <"${out}/list"
  touch "${out}/.done"
}

for entry in "${types[@]}"; do
  collect "${entry%%|*}" "${entry#*|}"
done

# One row per type: the cross-check's estimate from the building half, the
# share of the held-out half that matches the definition built from the
# whole building half, and false matches among the other types' held-out
# files.
read -r -d '' share_py <<'PY' || true
import json, sys
report = json.load(sys.stdin)
if sys.argv[1] == "cross":
    print("%d/%d" % (report["matched"], report["total"]))
else:
    files = len(report["files"])
    nots = len(report["not_files"])
    print("%d/%d %d/%d %d %s" % (
        report["matched"], files, nots - report["not_matched"], nots,
        report["strength"]["informative_bytes"],
        ",".join(w["kind"] for w in report["warnings"]) or "-"))
PY
share() { python3 -c "${share_py}" "$1"; }

percent() { python3 -c "a,b=map(int,'$1'.split('/')); print(f'{100*a/b:5.1f}%')"; }

printf '%-10s %5s %9s %9s %7s %7s  %s\n' type files estimate measured false info warnings
for entry in "${types[@]}"; do
  type="${entry%%|*}"
  dir="${work}/${type}"
  run="${work}/runs/${type}"
  rm -rf "${run}"
  mkdir -p "${run}"
  nots=()
  for other in "${types[@]}"; do
    other="${other%%|*}"
    [[ "${other}" == "${type}" ]] || nots+=(--not "${work}/${other}/test/*")
  done
  estimate=$(cd "${run}" &&
    { "${check}" --cross-check "${dir}/train/*" --json || true; } | share cross)
  (cd "${run}" && "${scan}" "${dir}/train/*" >scan.out) || true
  if [[ -f "${run}/newtype.mavo.xml" ]]; then
    read -r measured false info warnings < <(cd "${run}" &&
      { "${check}" newtype.mavo.xml "${dir}/test/*" "${nots[@]}" --json ||
        true; } | share verify)
  else
    measured="0/$(find "${dir}/test" -type f | wc -l)" false="-" info="-"
    warnings="no definition"
  fi
  printf '%-10s %5s %9s %9s %7s %7s  %s\n' "${type}" \
    "$(find "${dir}/train" -type f | wc -l)" "$(percent "${estimate}")" \
    "$(percent "${measured}")" "${false}" "${info}" "${warnings}"
done

# The same types tuned: each definition above tuned on its building half
# with the other types' building halves as the files that must not match,
# then tested on the held-out halves as before.
read -r -d '' tune_py <<'PY' || true
import json, sys
report = json.load(sys.stdin)
print("%d/%d %d %d %d" % (
    report["after"]["unseen_matched"], report["samples"],
    report["after"]["pattern_bytes"], report["after"]["strings"],
    len(report["inseparable"])))
PY
echo
printf '%-10s %9s %9s %7s %6s %7s %11s\n' type estimate measured false bytes strings inseparable
for entry in "${types[@]}"; do
  type="${entry%%|*}"
  dir="${work}/${type}"
  run="${work}/runs/${type}"
  [[ -f "${run}/newtype.mavo.xml" ]] || continue
  train_nots=()
  test_nots=()
  for other in "${types[@]}"; do
    other="${other%%|*}"
    if [[ "${other}" != "${type}" ]]; then
      train_nots+=(--not "${work}/${other}/train/*")
      test_nots+=(--not "${work}/${other}/test/*")
    fi
  done
  read -r estimate bytes strings inseparable < <(cd "${run}" &&
    { "${check}" tune newtype.mavo.xml "${dir}/train/*" "${train_nots[@]}" \
      --out tuned.mavo.xml --json || true; } | python3 -c "${tune_py}")
  read -r measured false _ < <(cd "${run}" &&
    { "${check}" verify tuned.mavo.xml "${dir}/test/*" "${test_nots[@]}" \
      --json || true; } | share verify)
  printf '%-10s %9s %9s %7s %6s %7s %11s\n' "${type}" "$(percent "${estimate}")" \
    "$(percent "${measured}")" "${false}" "${bytes}" "${strings}" \
    "${inseparable}"
done
