#!/usr/bin/env bash
# Fails when an #include "..." goes against the layers (docs/architecture.md). Lowest first:
#   platform, util  <  link  <  frame  <  graph, stats  <  readout, profile, cdma, gsm, sweep  <  app
# A folder includes its own files and those of the layers below it; folders of one layer do not include
# each other (so no mode includes another). sim, the simulated bench, stands on frame and below; no
# layer of the program includes it but app. tools/, tests/ and bench/ may include anything.
#
#   tools/check_layers.sh [source tree]      (default: the tree this script is in)
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

modes="readout profile cdma gsm sweep"
below_frame="link platform util"
below_modes="graph stats frame $below_frame"
declare -A may=(
  [platform]=""
  [util]=""
  [link]="platform util"
  [frame]="$below_frame"
  [graph]="frame $below_frame"
  [stats]="frame $below_frame"
  [sim]="frame $below_frame"
  [app]="$modes sim $below_modes"
)
for mode in $modes; do may[$mode]=$below_modes; done

faults=0
checked=0
while IFS= read -r hit; do
  file=${hit%%:*}
  rest=${hit#*:}
  line=${rest%%:*}
  target=""
  [[ "${rest#*:}" =~ \"([^\"]*)\" ]] && target=${BASH_REMATCH[1]}
  checked=$((checked + 1))
  case "$file" in
    src/*) ;;
    *) continue ;;  # tools, tests and bench stand above everything
  esac
  from=${file#src/}
  from=${from%%/*}
  if [[ ! -v may[$from] ]]; then
    echo "$file:$line: src/$from/ is in no layer: add it to $0 and docs/architecture.md"
    faults=$((faults + 1))
    continue
  fi
  # A name without a folder is the including file's own folder (a generated .moc, say).
  [[ "$target" == */* ]] || continue
  to=${target%%/*}
  [[ "$to" == "$from" ]] && continue
  if [[ " ${may[$from]} " != *" $to "* ]]; then
    echo "$file:$line: $from/ may not include \"$target\" (it may include: ${may[$from]:-only its own files})"
    faults=$((faults + 1))
  fi
done < <(grep -rnE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' src tools tests bench | sort)

if [ "$faults" -gt 0 ]; then
  echo "$faults of $checked includes go against the layers"
  exit 1
fi
echo "$checked includes keep to the layers"
