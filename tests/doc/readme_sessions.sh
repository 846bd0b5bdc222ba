#!/usr/bin/env bash
# Runs the README's sessions as a reader would: every line of a fenced block
# that begins with "$ " is a command (a line ending in a backslash goes on
# in the next line), run in that order in one fresh copy of examples/, each
# by its own bash started there, with the programs of this build first on
# PATH, so the files one command writes are there for the next. A command
# must end with exit code 0, unless a "$ echo $?" line follows it in the
# same block, whose next line is the code it must end with. A block opened
# with "```console" shows a session on files that examples/ cannot hold (a
# system's own files, the user's MIME database) and is not run.
#
# Usage: readme_sessions.sh README EXAMPLES_DIR BIN_DIR...
set -euo pipefail

readme="$1"
examples="$2"
shift 2
bin_path=""
for dir in "$@"; do
  bin_path="${bin_path}$(cd "${dir}" && pwd):"
done

commands=()
expected=()
in_block=0
run_block=1
pending=""
want_status=0
while IFS= read -r line || [[ -n "${line}" ]]; do
  if [[ "${line}" == '```'* ]]; then
    in_block=$((1 - in_block))
    run_block=1
    [[ "${line}" == '```console' ]] && run_block=0
    want_status=0
    continue
  fi
  ((in_block && run_block)) || continue
  if ((want_status)); then
    want_status=0
    if [[ ! "${line}" =~ ^[0-9]+$ ]] || ((${#commands[@]} == 0)); then
      echo "README: '\$ echo \$?' is not followed by a code or follows no command" >&2
      exit 1
    fi
    expected[${#expected[@]} - 1]="${line}"
    continue
  fi
  if [[ -n "${pending}" ]]; then
    pending="${pending%\\}${line}"
  elif [[ "${line}" == '$ echo $?' ]]; then
    want_status=1
    continue
  elif [[ "${line}" == '$ '* ]]; then
    pending="${line#\$ }"
  else
    continue
  fi
  if [[ "${pending}" != *\\ ]]; then
    commands+=("${pending}")
    expected+=(0)
    pending=""
  fi
done <"${readme}"

if ((${#commands[@]} == 0)); then
  echo "no session commands (lines beginning with '\$ ') found in ${readme}" >&2
  exit 1
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/mavo-readme-XXXXXX")"
trap 'rm -rf "${work}"' EXIT
# What a run in examples/ may have left there is not part of the sets.
(cd "${examples}" && tar -cf - --exclude='newtype.mavo.xml*' .) |
  (cd "${work}" && tar -xf -)

failed=0
for i in "${!commands[@]}"; do
  command="${commands[i]}"
  status=0
  (cd "${work}" && PATH="${bin_path}${PATH}" bash -c "${command}") \
    </dev/null >"${work}/.output" 2>&1 || status=$?
  if [[ "${status}" == "${expected[i]}" ]]; then
    echo "ok     exit ${status}: ${command}"
  else
    echo "FAILED exit ${status}, README says ${expected[i]}: ${command}"
    tail -n 20 "${work}/.output" | sed 's/^/    /'
    failed=1
  fi
done
echo "${#commands[@]} commands run"
exit "${failed}"
