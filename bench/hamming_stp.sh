#!/usr/bin/env bash
# Writes a Steiner instance on the Hamming graph of words of length D over K letters (vertices are
# the K^D words, edges join words that differ in one letter) to standard output, in STP format.
#
#   bench/hamming_stp.sh K D TERMINALS [seed] [low high]
#
# TERMINALS distinct vertices are drawn at random (seed, default 1); edge costs are drawn
# uniformly from low..high (default 1..1, unit costs). Dense, highly symmetric graphs like these
# leave the reductions little to delete and many optimal trees of equal cost.
set -u
if [ $# -lt 3 ]; then
  echo "usage: $0 K D TERMINALS [seed] [low high]" >&2
  exit 2
fi
k=$1 d=$2 t=$3 seed=${4:-1} low=${5:-1} high=${6:-1}
for n in "$k" "$d" "$t" "$seed" "$low" "$high"; do
  if ! [[ $n =~ ^[0-9]+$ ]]; then
    echo "$0: $n is not a non-negative whole number" >&2
    exit 2
  fi
done
if [ "$k" -lt 2 ] || [ "$d" -lt 1 ] || [ "$high" -lt "$low" ]; then
  echo "$0: need K >= 2, D >= 1 and low <= high" >&2
  exit 2
fi
awk -v k="$k" -v d="$d" -v t="$t" -v seed="$seed" -v low="$low" -v high="$high" '
BEGIN {
  n = 1
  for (i = 0; i < d; ++i) n *= k
  if (n > 2000000) { print "hamming_stp.sh: more than 2000000 vertices" > "/dev/stderr"; exit 2 }
  if (t < 1 || t > n) { print "hamming_stp.sh: TERMINALS must lie in 1.." n > "/dev/stderr"; exit 2 }
  srand(seed)
  m = n * d * (k - 1) / 2
  print "33D32945 STP File, STP Format Version 1.0\n"
  print "SECTION Comment"
  printf "Name    \"hamming-%d-%d-%d-s%d\"\n", k, d, t, seed
  print "END\n"
  print "SECTION Graph"
  print "Nodes " n
  print "Edges " m
  # Vertex v (0-based) is the word of its base-k digits; the edge to a larger word per digit.
  for (v = 0; v < n; ++v) {
    p = 1
    for (i = 0; i < d; ++i) {
      digit = int(v / p) % k
      for (c = digit + 1; c < k; ++c)
        printf "E %d %d %d\n", v + 1, v + (c - digit) * p + 1, low + int(rand() * (high - low + 1))
      p *= k
    }
  }
  print "END\n"
  print "SECTION Terminals"
  print "Terminals " t
  for (i = 0; i < t; ) {
    v = 1 + int(rand() * n)
    if (!(v in chosen)) { chosen[v] = 1; print "T " v; ++i }
  }
  print "END\n"
  print "EOF"
}'
