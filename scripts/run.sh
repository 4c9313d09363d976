#!/usr/bin/env bash
# Starts Quil from the build folder; until the window exists, shows what quil-cli does.
set -euo pipefail
build="${1:-build}"
if [ -x "$build/app/quil" ]; then
  exec "$build/app/quil" "${@:2}"
fi
cli="$build/cli/quil-cli"
echo "A random expression:"
"$cli" generate
