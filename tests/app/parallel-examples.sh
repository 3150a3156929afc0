#!/usr/bin/env bash
# Renders the example materials at once through GNU parallel and through make -j, as the README shows,
# and checks every collector against its kept digests.
#   parallel-examples.sh RENDER SOURCE_DIR
set -euo pipefail
render=$(realpath "$1")
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

parallel --will-cite --halt now,fail=1 \
  "$render" {} -o "$work/parallel/{/.}" --threads 1 '>' /dev/null '&&' \
  "$render" {} --check "$source/tests/golden/{/.}.digest" --threads 1 \
  ::: "$source"/examples/*.ostra-material
for material in "$source"/examples/*.ostra-material; do
  name=$(basename "$material" .ostra-material)
  ls "$work/parallel/$name"/*.png > /dev/null
done

make --no-print-directory -s -C "$source/examples" -j 3 RENDER="$render" GOLDEN="$source/tests/golden" \
  OUT="$work/make"
ls "$work"/make/*/checked > /dev/null
echo "every example matches its digests through parallel and make -j"
