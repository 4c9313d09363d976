#!/bin/sh
# One seeded run of quil-cli batch cut into SHARDS shards of PER pictures,
# run by GNU parallel: shard K makes the pictures numbered K x PER + 1 to
# (K + 1) x PER, together the very files of one run of
# "quil-cli batch --seed SEED --count SHARDS x PER".
#
#   parallel-batch.sh SEED SHARDS PER OUT [quil-cli batch options]
#
# On this machine:      examples/parallel-batch.sh 7 8 500 pictures --type png
# Over ssh hosts (OUT a folder every host sees, quil-cli installed on each;
# ":" is this machine):
#   PARALLEL="-S :,4/alpha,4/beta" examples/parallel-batch.sh 7 40 250 /shared/pictures --type png
# GNU parallel reads its own options from $PARALLEL; it runs one shard per
# core, and each shard computes several pictures at once too, so give
# quil-cli "--jobs 1" or parallel "-j 1" when the cores are few. QUIL_CLI
# names the quil-cli to run (default: quil-cli on the PATH). Every host must
# have the same Quil version and the same generation settings (section "Prob"
# of ~/.config/TalvosArtPrograms/Quil.conf).
set -eu
if [ $# -lt 4 ]; then
  echo "usage: $0 SEED SHARDS PER OUT [quil-cli batch options]" >&2
  exit 2
fi
seed=$1 shards=$2 per=$3 out=$4
shift 4
mkdir -p "$out"
case $out in /*) ;; *) out=$PWD/$out ;; esac

seq 0 "$per" $(( (shards - 1) * per )) |
  parallel -q --halt now,fail=1 "${QUIL_CLI:-quil-cli}" batch --seed "$seed" --count "$per" --offset '{}' \
    --out "$out" "$@"
