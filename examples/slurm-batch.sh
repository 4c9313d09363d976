#!/bin/bash
# One seeded run of quil-cli batch spread over a Slurm job array: task K makes
# the pictures numbered K x PER + 1 to (K + 1) x PER, so tasks 0 to 99 with
# PER = 100 make pictures 1 to 10000, the very files one run of
# "quil-cli batch --seed SEED --count 10000" would make.
#
#   QUIL_SEED=7 QUIL_OUT=/shared/pictures sbatch --array=0-99 slurm-batch.sh --size 512x512 --type png
#
# Arguments go to quil-cli batch as they are. The environment (sbatch passes
# it on) names the rest:
#   QUIL_SEED      the run's seed (default 1); every task must have the same
#   QUIL_PER_TASK  pictures per task (default 100)
#   QUIL_OUT       folder of the pictures and .quil files, one that every node
#                  writes to (default: quil-pictures in the submitting folder)
#   QUIL_CLI       the quil-cli to run (default: quil-cli on the PATH)
#SBATCH --job-name=quil-batch
#SBATCH --cpus-per-task=4
#SBATCH --output=quil-batch-%A_%a.log
set -euo pipefail

task=${SLURM_ARRAY_TASK_ID:?not a task of a job array: submit with sbatch --array=0-N}
seed=${QUIL_SEED:-1}
per=${QUIL_PER_TASK:-100}
out=${QUIL_OUT:-${SLURM_SUBMIT_DIR:-$PWD}/quil-pictures}
cli=${QUIL_CLI:-quil-cli}

# As many pictures at once as the task was given cores; the machine may have more.
jobs=()
if [ -n "${SLURM_CPUS_PER_TASK:-}" ]; then
  jobs=(--jobs "$SLURM_CPUS_PER_TASK" --threads 1)
fi

mkdir -p "$out"
exec "$cli" batch --seed "$seed" --count "$per" --offset $((task * per)) --out "$out" "${jobs[@]}" "$@"
