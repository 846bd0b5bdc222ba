#!/usr/bin/env bash
# How well a library identifies real files of this system: one definition
# per type, built by mavoscan from the training half of the files that
# scripts/realfiles.sh collects, then `mavocheck identify` over the held-out
# halves of every type, set beside `file --mime-type` on the same files.
#
# Usage: scripts/identify_accuracy.sh [BUILD_DIR] [WORK_DIR]
# Runs scripts/realfiles.sh first when WORK_DIR holds no collected files.
# Prints one table row per type: held-out files, the share whose best match
# (alone, not tied) is the type's own definition, the share identified as
# another type, the share unknown, and the share to which `file` gives the
# MIME type it gives most of the type's training files.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-${root}/build}" && pwd)"
work="${2:-/tmp/mavo-realfiles}"
scan="${build}/mavoscan"
check="${build}/mavocheck"

if ! ls "${work}"/*/.done >/dev/null 2>&1; then
  bash "${root}/scripts/realfiles.sh" "${build}" "${work}" >/dev/null
fi

lib="${work}/identify-lib"
rm -rf "${lib}" "${work}/identify-runs"
mkdir -p "${lib}"
types=()
for dir in "${work}"/*/; do
  type="$(basename "${dir}")"
  [[ -f "${dir}/.done" ]] || continue
  types+=("${type}")
  run="${work}/identify-runs/${type}"
  mkdir -p "${run}"
  if (cd "${run}" && "${scan}" "${dir}train/*" >scan.out); then
    cp "${run}/newtype.mavo.xml" "${lib}/${type}.mavo.xml"
  fi
done

read -r -d '' tally_py <<'PY' || true
import collections, json, subprocess, sys
work, check, lib = sys.argv[1:4]
types = sys.argv[4:]
def mime(paths):
    out = subprocess.run(["file", "--mime-type", "-b", *paths],
                         capture_output=True, text=True).stdout.split("\n")
    return out[:len(paths)]
import glob, os
print("| type | held-out files | identify top-1 | other type | unknown | file --mime-type |")
print("|---|---|---|---|---|---|")
for t in types:
    train = sorted(glob.glob(os.path.join(work, t, "train", "*")))
    test = sorted(glob.glob(os.path.join(work, t, "test", "*")))
    if not test:
        continue
    expected = collections.Counter(mime(train)).most_common(1)[0][0]
    file_right = sum(1 for m in mime(test) if m == expected)
    lines = subprocess.run([check, "identify", "--defs", lib, "--json", *test],
                           capture_output=True, text=True).stdout.splitlines()
    right = other = unknown = 0
    for line in lines:
        report = json.loads(line)
        matches = report["matches"]
        if not matches:
            unknown += 1
        elif len(matches) == 1 and matches[0]["definition"] == t + ".mavo.xml":
            right += 1
        else:
            other += 1
    n = len(test)
    pct = lambda k: "%.1f%%" % (100.0 * k / n)
    print("| %s | %d | %s | %s | %s | %s (%s) |" % (
        t, n, pct(right), pct(other), pct(unknown), pct(file_right), expected))
PY
python3 -c "${tally_py}" "${work}" "${check}" "${lib}" "${types[@]}"
