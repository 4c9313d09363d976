#!/usr/bin/env bash
# Starts Quil from the build folder; until the window exists, renders a random
# picture with quil-cli and says where it is.
set -euo pipefail
build="${1:-build}"
if [ -x "$build/app/quil" ]; then
  exec "$build/app/quil" "${@:2}"
fi
cli="$build/cli/quil-cli"
out="$(cd "$build" && pwd)/random"
"$cli" random -o "$out.png" --quil "$out.quil" --size 600x600 --antialias
echo "A random picture: $out.png"
echo "Its expression:   $out.quil"
