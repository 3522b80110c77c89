#!/usr/bin/env bash
# Rewrites src/converter/hot-symbols.txt: the functions and data the converter touches when it
# previews or converts one cursor, in the order it first touches them. The link lays them out
# together in that order: spread over the binary, they cost a preview of a 256 x 256 frame
# about 300 us of its 2.8 ms on our virtual machine.
# Run it after changing what a conversion runs through; the list only affects speed.
#   bash tools/hot-symbols.sh        (needs valgrind and python3; installs them when missing)
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
sudo_cmd=""
[ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
for p in valgrind python3; do
  command -v "$p" >/dev/null || DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q "$p"
done

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2 --target nconvert samplegen corvenda_samples >/dev/null
converter="$build/bin/nconvert"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/samples/samplegen" gallery "$work/gallery" >/dev/null

# One run of each kind the generator draws, as the thumbnailer runs it, then as the window
# converts the samples to JPEG.
runs=()
for kind in sun arrow clock hourglass pencil pulse spinner traffic; do
  runs+=("-size 128 -out png -uncompressed -overwrite -o $work/out.png -- $work/gallery/$kind-0.ani")
done
for sample in "$build"/bin/Samples/*; do
  runs+=("-q 80 -out jpeg -truecolors -o $work/out.jpg $sample")
done

i=0
for args in "${runs[@]}"; do
  rm -f "$work/out.png" "$work/out.jpg"
  # shellcheck disable=SC2086 # the generated paths hold no spaces
  valgrind --tool=lackey --trace-mem=yes --log-file="$work/trace.$i" "$converter" $args
  i=$((i + 1))
done

nm -n -S --defined-only "$converter" >"$work/symbols"
python3 - "$work" "$i" >"$work/hot-symbols.txt" <<'PY'
import bisect, re, sys

work, runs = sys.argv[1], int(sys.argv[2])
symbols = []
for line in open(f"{work}/symbols"):
    fields = line.split()
    if len(fields) == 4 and fields[2].lower() in "tdbrwvi":
        start = int(fields[0], 16)
        symbols.append((start, start + max(int(fields[1], 16), 1), fields[3]))
symbols.sort()
starts = [s[0] for s in symbols]

order, seen = [], set()
for run in range(runs):
    for line in open(f"{work}/trace.{run}"):
        if line.startswith("=="):
            continue
        fields = line.split()
        if len(fields) != 2:
            continue
        address = int(fields[1].split(",")[0], 16)
        i = bisect.bisect_right(starts, address) - 1
        if i >= 0 and address < symbols[i][1] and symbols[i][2] not in seen:
            seen.add(symbols[i][2])
            order.append(symbols[i][2])

# The C library picks its string functions by processor; valgrind's is not the one the program
# meets. Every variant of a function the trace reached goes at the end of the list.
variant = re.compile(r"^(__\w+?)_(sse2|ssse3|sse4_1|sse4_2|avx|avx2|evex|avx512|evex512)(_|$)")
families = {m.group(1) for name in order if (m := variant.match(name))}
names = sorted({s[2] for s in symbols})
for name in names:
    m = variant.match(name)
    if m and m.group(1) in families and name not in seen:
        seen.add(name)
        order.append(name)
print("\n".join(order))
PY
mv "$work/hot-symbols.txt" src/converter/hot-symbols.txt
echo "src/converter/hot-symbols.txt: $(wc -l <src/converter/hot-symbols.txt) symbols"
