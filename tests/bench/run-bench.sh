#!/bin/sh
# Extraction benchmark: a package of about 7 MB and one of about 200 MB
# (a release-like mix: 1.5 MiB images of random bytes, executables and
# libraries, text), each extracted by the updater's code and, member by
# member, by `gzip -dc`. Prints the times, their ratio and the peak memory.
#
# usage: tests/bench/run-bench.sh [BUILD_DIR]
# BUILD_DIR (default build/bench) is configured as a Release build without
# sanitizers. Executables and libraries are taken from /usr/bin and /usr/lib.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/bench}
data=$build/bench-data

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORV_SANITIZE=OFF >/dev/null
cmake --build "$build" --target bench_extract orvpack >/dev/null
bench=$build/tests/bench/bench_extract
orvpack=$build/tools/orvpack/orvpack

# make_payload DIR MEGABYTES_OF_BINARIES IMAGES TEXT_FILES
make_payload() {
  dir=$1
  rm -rf "$dir"
  mkdir -p "$dir"
  i=0
  while [ $i -lt "$3" ]; do
    head -c 1572864 /dev/urandom >"$dir/R$(printf %04d $i).WPH"
    i=$((i + 1))
  done
  budget=$(($2 * 1048576))
  n=0
  for file in $(find /usr/bin /usr/lib/x86_64-linux-gnu -maxdepth 1 -type f -size +64k | sort); do
    [ "$budget" -gt 0 ] || break
    size=$(wc -c <"$file")
    case $((n % 3)) in
      0) name=tool$n.exe ;;
      1) name=lib$n.dll ;;
      *) name=drv$n.sys ;;
    esac
    cp "$file" "$dir/$name"
    budget=$((budget - size))
    n=$((n + 1))
  done
  i=0
  while [ $i -lt "$4" ]; do
    cat /usr/share/common-licenses/* >"$dir/notes$i.txt"
    i=$((i + 1))
  done
}

printf 'MZ' >"$build/updater.exe"
head -c 4094 /dev/zero >>"$build/updater.exe"

measure() {
  label=$1
  package=$data/$label.exe
  "$orvpack" build --updater "$build/updater.exe" --flags 8 --output "$package" \
    --payload "$data/$label" >/dev/null
  "$bench" --split "$package" "$data/$label-members"
  sync
  # Warm the page cache the same way for both.
  cat "$package" "$data/$label-members"/* >/dev/null
  /usr/bin/time -v "$bench" "$package" "$data/scratch" >"$data/ours.txt" 2>"$data/ours-time.txt"
  ours=$(sed -n 's/.* in \([0-9.]*\) s$/\1/p' "$data/ours.txt")
  ours_rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$data/ours-time.txt")
  rm -rf "$data/gunzip"
  mkdir -p "$data/gunzip"
  cat >"$data/gunzip.sh" <<SCRIPT
for member in "$data/$label-members"/*.gz; do
  gzip -dc "\$member" >"$data/gunzip/\$(basename "\$member" .gz)"
done
SCRIPT
  start=$(date +%s.%N)
  /usr/bin/time -v sh "$data/gunzip.sh" 2>"$data/gzip-time.txt"
  end=$(date +%s.%N)
  gz=$(echo "$end - $start" | bc)
  gz_rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$data/gzip-time.txt")
  printf '%-6s package %6.1f MB, extracted %6.1f MB, %3d members: updater %.3f s (peak %d KB), gzip -dc %.3f s (peak %d KB), ratio %.2f\n' \
    "$label" "$(echo "$(wc -c <"$package") / 1048576" | bc -l)" \
    "$(echo "$(du -sb "$data/gunzip" | cut -f1) / 1048576" | bc -l)" \
    "$(ls "$data/$label" | wc -l)" "$ours" "$ours_rss" "$gz" "$gz_rss" \
    "$(echo "$ours / $gz" | bc -l)"
  cmp -s "$data/gunzip/$(ls "$data/gunzip" | head -n 1)" \
    "$data/scratch/C/Work/$(ls "$data/gunzip" | head -n 1)" || echo "outputs differ!"
}

mkdir -p "$data"
make_payload "$data/small" 7 2 2
make_payload "$data/large" 420 20 40
measure small
measure large
