#!/usr/bin/env bash
# Runs steiner_bench on every .stp file under DIR and compares with the optima of a table.
#
#   bench/steiner_sweep.sh DIR OPTIMA.tsv [seconds] [name=value ...]
#
# OPTIMA.tsv: a header line, then "instance<TAB>nodes<TAB>edges<TAB>terminals<TAB>optimum" with the
# instance path relative to some folder above DIR (matched as a suffix of the file's path).
# seconds (default 60) caps each run: passed as R-maxSec, and the run is killed at twice that.
# The settings are handed to every run. STEINER_BENCH names the program (default
# build-rel/bin/steiner_bench).
#
# One line per file: the file, its optimum, value, gap in per cent, proven, valid, seconds and a
# status (ok, WRONG: a proven value that differs from the optimum, INVALID: no valid tree,
# TIMEOUT, ERROR). Then one line per folder: solved (value = optimum and proven), optimal (value =
# optimum), wrong, invalid, the mean gap and the total seconds; the last line sums every folder.
set -u
if [ $# -lt 2 ]; then
  echo "usage: $0 DIR OPTIMA.tsv [seconds] [name=value ...]" >&2
  exit 2
fi
dir=$1
optima=$2
shift 2
cap=60
if [ $# -gt 0 ] && [[ $1 =~ ^[0-9]+$ ]]; then
  cap=$1
  shift
fi
bench=${STEINER_BENCH:-build-rel/bin/steiner_bench}
if [ ! -x "$bench" ]; then
  echo "$0: $bench is not an executable (set STEINER_BENCH)" >&2
  exit 2
fi
if [ ! -r "$optima" ]; then
  echo "$0: cannot read $optima" >&2
  exit 2
fi

# Arithmetic on decimals without outside calculators.
calc() { awk "BEGIN { printf \"%.3f\", $1 }"; }

declare -A solved optimal wrong invalid count gapsum seconds
total_wrong=0
while IFS= read -r file; do
  folder=$(dirname "$file")
  optimum=$(awk -F'\t' -v f="$file" 'NR > 1 && length($1) > 0 && substr(f, length(f) - length($1) + 1) == $1 { print $5; exit }' "$optima")
  start=$(date +%s.%N)
  line=$(timeout $((2 * cap + 5)) "$bench" "$file" "R-maxSec=$cap" "$@" 2>/dev/null | tail -n 1)
  rc=${PIPESTATUS[0]}
  elapsed=$(calc "$(date +%s.%N) - $start")
  value=$(sed -n 's/.*\bvalue=\([-0-9]*\).*/\1/p' <<<"$line")
  proven=$(sed -n 's/.*\bproven=\([01]\).*/\1/p' <<<"$line")
  valid=$(sed -n 's/.*\bvalid=\([01]\).*/\1/p' <<<"$line")
  status=ok
  gap=""
  if [ "$rc" = 124 ]; then
    status=TIMEOUT
  elif [ -z "$value" ]; then
    status=ERROR
  elif [ "$valid" != 1 ]; then
    status=INVALID
  fi
  : "${count[$folder]:=0}" "${solved[$folder]:=0}" "${optimal[$folder]:=0}" "${wrong[$folder]:=0}"
  : "${invalid[$folder]:=0}" "${gapsum[$folder]:=0}" "${seconds[$folder]:=0}"
  count[$folder]=$((count[$folder] + 1))
  seconds[$folder]=$(calc "${seconds[$folder]} + $elapsed")
  if [ "$status" = ok ] && [ -n "$optimum" ]; then
    gap=$(calc "100 * ($value - $optimum) / $optimum")
    gapsum[$folder]=$(calc "${gapsum[$folder]} + $gap")
    if [ "$value" = "$optimum" ]; then
      optimal[$folder]=$((optimal[$folder] + 1))
      [ "$proven" = 1 ] && solved[$folder]=$((solved[$folder] + 1))
    elif [ "$proven" = 1 ]; then
      status=WRONG
      wrong[$folder]=$((wrong[$folder] + 1))
      total_wrong=$((total_wrong + 1))
    fi
  elif [ "$status" != ok ]; then
    invalid[$folder]=$((invalid[$folder] + 1))
  fi
  printf '%s optimum=%s value=%s gap=%s%% proven=%s valid=%s seconds=%.2f %s\n' \
    "${file#"$dir"/}" "${optimum:-?}" "${value:-?}" "${gap:-?}" "${proven:-?}" "${valid:-?}" "$elapsed" "$status"
done < <(find "$dir" -name '*.stp' | sort)

all_count=0 all_solved=0 all_optimal=0 all_invalid=0 all_seconds=0 all_gap=0
for folder in $(printf '%s\n' "${!count[@]}" | sort); do
  n=${count[$folder]}
  mean=$(calc "${gapsum[$folder]} / $n")
  printf 'folder=%s instances=%d solved=%d optimal=%d wrong=%d invalid=%d mean_gap=%s%% seconds=%.2f\n' \
    "${folder#"$dir"/}" "$n" "${solved[$folder]}" "${optimal[$folder]}" "${wrong[$folder]}" "${invalid[$folder]}" "$mean" "${seconds[$folder]}"
  all_count=$((all_count + n))
  all_solved=$((all_solved + solved[$folder]))
  all_optimal=$((all_optimal + optimal[$folder]))
  all_invalid=$((all_invalid + invalid[$folder]))
  all_seconds=$(calc "$all_seconds + ${seconds[$folder]}")
  all_gap=$(calc "$all_gap + ${gapsum[$folder]}")
done
if [ "$all_count" -gt 0 ]; then
  printf 'instances=%d solved=%d optimal=%d wrong=%d invalid=%d mean_gap=%s%% seconds=%.2f\n' "$all_count" "$all_solved" \
    "$all_optimal" "$total_wrong" "$all_invalid" "$(calc "$all_gap / $all_count")" "$all_seconds"
fi
[ "$total_wrong" = 0 ]
