#!/bin/sh
# A short bench run with --bench-plot, --bench-json and --bench-effects: the
# costliest parts and then the costliest effect passes follow the summary, and
# both files hold the run's five frames.
# Usage: bench_files.sh ORVANE SOURCE_DIR
set -eu
orvane=$1
cd "$2"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
SDL_AUDIODRIVER=dummy "$orvane" --bench --size 160x90 --frames 5 --bench-scene \
  --bench-plot "$out/frames.svg" --bench-json "$out/frames.json" --bench-effects > "$out/stdout"
cat "$out/stdout"
grep -q '^max frame      [0-9.]* ms$' "$out/stdout"
grep -q '^costliest ' "$out/stdout"
grep -Eq '^ +1\. +(scene [01]|entry [0-9]+) +[0-9.]+-[0-9.]+ +5 ' "$out/stdout"
grep -q 'bench.cubes' "$out/stdout"
# Every frame draws its effects at least once; each row names an effect and pass.
grep -q '^costliest effects ' "$out/stdout"
grep -Eq '^ +1\. +([5-9]|[1-9][0-9]+) +[0-9.]+ +[0-9.]+ % +[A-Za-z]+, pass [0-9]+$' "$out/stdout"
[ "$(grep -o '"time_ms"' "$out/frames.json" | wc -l)" -eq 5 ]
grep -q '"kind": "scene", "name": "bench.cubes"' "$out/frames.json"
if command -v python3 > /dev/null; then
  python3 -c 'import json, sys; d = json.load(open(sys.argv[1])); assert d["summary"]["frames"] == 5' "$out/frames.json"
fi
grep -q '</svg>' "$out/frames.svg"
grep -q '>bench.cubes<' "$out/frames.svg"
[ "$(grep -o 'points="[^"]*"' "$out/frames.svg" | tr ' ' '\n' | wc -l)" -eq 5 ]
echo "bench files ok"
