#!/bin/sh
# Checks that the shards of a seeded quil-cli batch run add up to the run:
# OUT holds exactly a picture and a .quil file for each number 1 to TOTAL,
# and the first, a middle and the last number, made again here one at a time,
# give the same files byte for byte.
#
#   check-shards.sh SEED TOTAL OUT [the quil-cli batch options of the shards]
#
# QUIL_CLI names the quil-cli to run (default: quil-cli on the PATH).
set -eu
if [ $# -lt 3 ]; then
  echo "usage: $0 SEED TOTAL OUT [quil-cli batch options]" >&2
  exit 2
fi
seed=$1 total=$2 out=$3
shift 3
cli=${QUIL_CLI:-quil-cli}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

found=$(find "$out" -maxdepth 1 -type f | wc -l)
if [ "$found" -ne $((2 * total)) ]; then
  echo "$out holds $found files, not the $((2 * total)) of $total pictures" >&2
  exit 1
fi
status=0
for n in 1 $(((total + 1) / 2)) "$total"; do
  rm -rf "$work/again"
  mkdir "$work/again"
  "$cli" batch --seed "$seed" --count 1 --offset $((n - 1)) --out "$work/again" "$@" >/dev/null
  for made in "$work/again"/*; do
    if ! cmp -s "$made" "$out/${made##*/}"; then
      echo "picture $n: ${made##*/} differs" >&2
      status=1
    fi
  done
done
if [ "$status" -eq 0 ]; then
  echo "$total pictures; numbers 1, $(((total + 1) / 2)) and $total made again are the same"
fi
exit "$status"
