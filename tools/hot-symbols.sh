#!/usr/bin/env bash
# Writes the functions and data a converter touches when it previews or converts one cursor, in
# the order it first touches them. The build runs it on a copy of the converter linked without an
# order (src/converter/CMakeLists.txt), then links nconvert with that order: lld lays those parts
# out together, first, so a conversion runs through few pages and the animation encoders, which
# it never touches, stay out of them. The order only affects speed.
#   bash tools/hot-symbols.sh CONVERTER SAMPLEGEN OUTPUT      (needs valgrind and python3)
set -euo pipefail
converter=$1
samplegen=$2
out=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$samplegen" gallery "$work/gallery" >/dev/null
"$samplegen" samples "$work/samples" "$work/expected" >/dev/null

# One run of each kind the generator draws, as the thumbnailer runs it, then as the window
# converts the samples to JPEG.
runs=()
for kind in sun arrow clock hourglass pencil pulse spinner traffic; do
  runs+=("-size 128 -out png -uncompressed -overwrite -o $work/out.png -- $work/gallery/$kind-0.ani")
done
for sample in "$work"/samples/Samples/*.ani; do
  runs+=("-q 80 -out jpeg -truecolors -o $work/out.jpg $sample")
done

# Each run's addresses in the order first touched (valgrind's lackey traces every access).
i=0
for args in "${runs[@]}"; do
  rm -f "$work/out.png" "$work/out.jpg"
  # shellcheck disable=SC2086 # the generated paths hold no spaces
  valgrind --tool=lackey --trace-mem=yes --log-file="$work/trace" "$converter" $args >/dev/null
  awk '!/^==/ && NF == 2 { split($2, a, ","); if (!seen[a[1]]++) print a[1] }' "$work/trace" \
    >"$work/touched.$i"
  i=$((i + 1))
done

nm -n -S --defined-only "$converter" >"$work/symbols"
python3 - "$work" "$i" >"$work/order" <<'PY'
import bisect, re, sys

work, runs = sys.argv[1], int(sys.argv[2])
# Symbols of assembly code (libjpeg-turbo's SIMD routines) carry no size: each is taken to reach
# the next symbol.
symbols, sizeless = [], []
for line in open(f"{work}/symbols"):
    fields = line.split()
    if len(fields) == 4 and fields[2].lower() in "tdbrwvi":
        start = int(fields[0], 16)
        symbols.append((start, start + max(int(fields[1], 16), 1), fields[3]))
    elif len(fields) == 3 and fields[1].lower() in "tdbrwvi":
        sizeless.append((int(fields[0], 16), fields[2]))
starts = sorted({s[0] for s in symbols} | {s[0] for s in sizeless})
for start, name in sizeless:
    following = bisect.bisect_right(starts, start)
    end = starts[following] if following < len(starts) else start + 1
    symbols.append((start, end, name))
symbols.sort()
starts = [s[0] for s in symbols]

order, seen = [], set()
for run in range(runs):
    for line in open(f"{work}/touched.{run}"):
        address = int(line, 16)
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
[[ -s $work/order ]] || { echo "hot-symbols.sh: the trace named no symbol" >&2; exit 1; }
mv "$work/order" "$out"
