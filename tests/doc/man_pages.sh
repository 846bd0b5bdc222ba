#!/usr/bin/env bash
# Renders every manual page of doc/ with groff, all warnings on, and with
# man -l as a reader's man would; fails on any warning or error. Exits 77
# (skipped) without groff.
#
# Usage: man_pages.sh DOC_DIR
set -euo pipefail
shopt -s nullglob

command -v groff >/dev/null 2>&1 || { echo "no groff: skipped"; exit 77; }
pages=("$1"/*.[1-9])
if ((${#pages[@]} == 0)); then
  echo "no manual pages in $1" >&2
  exit 1
fi
failed=0
for page in "${pages[@]}"; do
  messages="$(groff -man -ww -z "${page}" 2>&1 >/dev/null)"
  if command -v man >/dev/null 2>&1; then
    messages+="${messages:+$'\n'}$(MANWIDTH=80 man --warnings -E UTF-8 -l "${page}" 2>&1 >/dev/null)"
  fi
  if [[ -n "${messages}" ]]; then
    echo "FAILED ${page##*/}:"
    echo "${messages}" | sed 's/^/    /'
    failed=1
  else
    echo "ok     ${page##*/}"
  fi
done
exit "${failed}"
