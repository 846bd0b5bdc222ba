#!/usr/bin/env bash
# Runs the bash completion functions of completion/ on command lines typed
# in a directory of known files and compares what they offer, one row per
# case.
#
# Usage: completion_test.sh COMPLETION_DIR
set -uo pipefail

completion_dir="$(cd "$1" && pwd)"
source "${completion_dir}/mavoscan" || exit 1
source "${completion_dir}/mavocheck" || exit 1

work="$(mktemp -d "${TMPDIR:-/tmp}/mavo-completion-XXXXXX")"
trap 'rm -rf "${work}"' EXIT
cd "${work}" || exit 1
mkdir defs samples
touch a.mavo.xml B.MAVO.XML b.bin defs/c.mavo.xml samples/s1.mvx samples/s2.mvx

# name | function | the words typed, the last one being completed | offered
rows=(
  "scan first word: files and directories|_mavoscan|mavoscan s|samples"
  "scan quoted mask: names without the quote|_mavoscan|mavoscan \"samples/|samples/s1.mvx samples/s2.mvx"
  "scan help switch first only|_mavoscan|mavoscan /h|/HELP"
  "scan second word: definitions, not samples|_mavoscan|mavoscan *.bin |B.MAVO.XML a.mavo.xml defs samples"
  "scan switch in any case|_mavoscan|mavoscan *.bin /n|/NS"
  "scan no help switch after the mask|_mavoscan|mavoscan *.bin /|/FS /NS"
  "scan third word: switches only|_mavoscan|mavoscan *.bin a.mavo.xml |"
  "scan absolute path when no switch fits|_mavoscan|mavoscan ${work}/sa|${work}/samples"
  "check subcommands and definitions|_mavocheck|mavocheck |B.MAVO.XML a.mavo.xml cross-check defs explain export identify samples split tune verify"
  "check first options|_mavocheck|mavocheck --|--cross-check --help --version"
  "check verify takes a definition first|_mavocheck|mavocheck verify |B.MAVO.XML a.mavo.xml defs samples"
  "check verify then masks|_mavocheck|mavocheck verify a.mavo.xml b|b.bin"
  "check an option's value is not a positional|_mavocheck|mavocheck verify --not b.bin |B.MAVO.XML a.mavo.xml defs samples"
  "check verify options|_mavocheck|mavocheck verify a.mavo.xml --s|--strict"
  "check cross-check options|_mavocheck|mavocheck cross-check --|--folds --help --json --no-strings --seed --version"
  "check export formats|_mavocheck|mavocheck export a.mavo.xml --format |droid magic mime yara"
  "check identify options|_mavocheck|mavocheck identify -|--all --defs --files-from --help --json --threads --version -0"
  "check identify --defs: definitions|_mavocheck|mavocheck identify --defs |B.MAVO.XML a.mavo.xml defs samples"
  "check split --out-dir: directories|_mavocheck|mavocheck split samples/* --out-dir |defs samples"
  "check no value offered for numbers|_mavocheck|mavocheck cross-check --folds |"
  "check old form options|_mavocheck|mavocheck a.mavo.xml b.bin --e|--explain"
  "check old cross-check options|_mavocheck|mavocheck --cross-check * --f|--folds"
)

failed=0
for row in "${rows[@]}"; do
  IFS='|' read -r name function line want <<<"${row}"
  read -r -a COMP_WORDS <<<"${line}"
  [[ "${line}" == *' ' ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  "${function}" 2>/dev/null
  got="$(printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | tr '\n' ' ')"
  got="${got% }"
  got="${got# }"
  if [[ "${got}" == "${want}" ]]; then
    echo "ok     ${name}"
  else
    echo "FAILED ${name}: offered '${got}', expected '${want}'"
    failed=1
  fi
done
exit "${failed}"
