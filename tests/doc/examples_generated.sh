#!/usr/bin/env bash
# Checks that examples/ holds exactly what examples/make_samples.py writes,
# so that the generator and the checked-in sets cannot part (the worked
# example programs, *.cc, are not sets). Exits 77
# (skipped) without python3.
#
# Usage: examples_generated.sh EXAMPLES_DIR
set -euo pipefail

examples="$1"
command -v python3 >/dev/null 2>&1 || { echo "no python3: skipped"; exit 77; }
work="$(mktemp -d "${TMPDIR:-/tmp}/mavo-examples-XXXXXX")"
trap 'rm -rf "${work}"' EXIT
python3 "${examples}/make_samples.py" "${work}"
diff -r --exclude=make_samples.py --exclude='*.cc' --exclude='newtype.mavo.xml*' \
  "${work}" "${examples}"
echo "examples/ is what make_samples.py writes ($(find "${work}" -type f | wc -l) files)"
