#!/bin/sh
# Runs ascent_bench --letters on every .stp file under DIR and compares with the optima of
# OPTIMA.tsv (columns: instance path relative to the data folder, nodes, edges, terminals,
# optimum). One line per file, then one line per instance folder with its figures.
#   bench/ascent_sweep.sh BENCH_BINARY DIR OPTIMA.tsv [seconds]
set -eu
bench=$1 dir=$2 optima=$3 cap=${4:-60}
[ -x "$bench" ] || { echo "not a program: $bench" >&2; exit 2; }
[ -d "$dir" ] || { echo "not a folder: $dir" >&2; exit 2; }
[ -r "$optima" ] || { echo "cannot read $optima" >&2; exit 2; }
base=$(dirname "$optima")
find "$dir" -name '*.stp' | sort | while read -r file; do
  rel=${file#"$base"/}
  opt=$(awk -F'\t' -v f="$rel" '$1 == f { print $5 }' "$optima")
  [ -n "$opt" ] || continue
  start=$(date +%s.%N)
  line=$(timeout "$cap" "$bench" "$file" --rounds 1 --letters 2>/dev/null | tail -n 1 || true)
  end=$(date +%s.%N)
  echo "file=$rel optimum=$opt seconds=$(echo "$end - $start" | bc) $line"
done | awk '
  function get(key,   i, kv) { for (i = 1; i <= NF; ++i) { split($i, kv, "="); if (kv[1] == key) return kv[2] } return "" }
  {
    print
    f = get("file"); n = split(f, parts, "/"); set = parts[1]; for (i = 2; i < n; ++i) set = set "/" parts[i]
    opt = get("optimum") + 0; lower = get("lower"); upper = get("upper")
    count[set]++; seconds[set] += get("seconds")
    if (lower == "") { failed[set]++; next }
    lower += 0; upper += 0
    if (lower > opt || upper < opt || (get("proven") == 1 && upper != opt)) wrong[set]++
    if (get("proven") == 1 && upper == opt) proven[set]++
    boundGap[set] += (opt - lower) / opt; treeGap[set] += (upper - opt) / opt
    edges[set] += get("edges")
    for (i = 1; i <= 5; ++i) { l = substr("mMnsA", i, 1); left[set, l] += get(l "_edges") }
  }
  END {
    for (s in count) {
      ran = count[s] - failed[s]
      line = sprintf("set=%s instances=%d failed=%d wrong=%d proven=%d bound_gap_pct=%.3f tree_gap_pct=%.3f seconds=%.2f",
                     s, count[s], failed[s], wrong[s], proven[s], ran ? 100 * boundGap[s] / ran : 0,
                     ran ? 100 * treeGap[s] / ran : 0, seconds[s])
      for (i = 1; i <= 5; ++i) { l = substr("mMnsA", i, 1); line = line sprintf(" %s_edges_left_pct=%.1f", l, edges[s] ? 100 * left[s, l] / edges[s] : 0) }
      print line
    }
  }'
