#!/usr/bin/env bash
# bash tools/bench.sh: builds the release tools if needed, writes the 1x and 50x samples into
# build/bench/ (kept while newer than zelt-makedb), and prints a Markdown table of medians:
# opening, entering each level page, five typical searches beside the same statements run by the
# sqlite3 shell on the same file, and the peak memory of a scripted session (the screenshot tour).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
release=$root/build/release
bin=$release/bin
out=$root/build/bench
runs=41
texts=("venda" "venda de carros" "automov*" "+reatores -nucleares" "0111")

command -v sqlite3 >/dev/null || { echo "bench.sh needs the sqlite3 shell (Debian package sqlite3)" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "bench.sh needs /usr/bin/time (Debian package time)" >&2; exit 1; }
cmake -S "$root" -B "$release" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$release" -j2 --target zelt-makedb zelt-bench zelt-bench-pages zelt-bench-search zelt-tour >/dev/null
mkdir -p "$out"
export QT_QPA_PLATFORM=offscreen

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }

# Milliseconds of one search's statements in the sqlite3 shell: one warm-up line, then 11 timed
# lines each repeating the whole run REPEAT times (the shell times a line, to the millisecond).
shell_search_ms() {
    local file=$1 sql=$2 repeat=$3
    local line
    line=$(for _ in $(seq "$repeat"); do printf '%s ' "$sql"; done)
    {
        echo ".output /dev/null"
        echo "$line"
        echo ".timer on"
        for _ in $(seq 11); do echo "$line"; done
    } | sqlite3 -readonly "$file" | awk '/^Run Time:/ { print $4 }' | median |
        awk -v r="$repeat" '{ printf "%.2f", $1 * 1000 / r }'
}

for scale in 1 50; do
    db=$out/ZELT-${scale}x.mdb
    if [ ! "$db" -nt "$bin/zelt-makedb" ]; then
        "$bin/zelt-makedb" "$db" --scale "$scale" >&2
    fi
done

echo "# Benchmarks"
echo
echo "Machine: $(nproc) cores, $(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)," \
    "$(awk '/^MemTotal/ { printf "%.1f GB", $2 / 1048576 }' /proc/meminfo) RAM; $(sqlite3 --version | cut -d' ' -f1-2 | sed 's/^/SQLite /')."
echo "Command: \`bash tools/bench.sh\` ($(date -u +%Y-%m-%d)). Times in milliseconds, medians; the shell's"
echo "figures are the same statements run by the sqlite3 shell on the same file, warm (it times to the"
echo "millisecond, so opening, well under one, has no shell figure). Pages: the dispatcher alone, and with"
echo "the repaint of the page in brackets."

for scale in 1 50; do
    db=$out/ZELT-${scale}x.mdb
    echo
    echo "## Sample ${scale}x ($(du -m "$db" | cut -f1) MB)"
    echo

    probe="SELECT count(*) FROM ZELT_Classificacao"
    ours=$("$bin/zelt-bench" --runs 15 --query "$probe" "$db" 2>/dev/null)
    open=$(awk '/^  open  / { print $3 }' <<<"$ours")
    first=$(awk '/^  open and first run/ { print $9 }' <<<"$ours")
    echo "| Step | ZELT | sqlite3 shell | ratio |"
    echo "|---|---:|---:|---:|"
    echo "| open the database | $open | | |"
    echo "| open and first statement | $first | | |"

    "$bin/zelt-bench-pages" "$db" 30 2>/dev/null | awk '
        NR > 2 { printf "| enter page %s (with repaint) | %.2f (%.2f) | | |\n", $1, $2, $5 }'

    repeat=$((scale == 1 ? 10 : 1))
    # Other work on the machine comes in bursts: three alternating rounds of ours and the shell's,
    # and the median of each side's three medians.
    for text in "${texts[@]}"; do
        sql=$("$bin/zelt-bench-search" "$db" --sql "$text" 2>/dev/null | tr '\n' ' ')
        ours_runs=()
        bare_runs=()
        for _ in 1 2 3; do
            line=$("$bin/zelt-bench-search" "$db" --runs $((scale == 1 ? runs : 11)) "$text" 2>/dev/null)
            ours_runs+=("$(awk '/^whole run/ { print $4 }' <<<"$line")")
            bare_runs+=("$(shell_search_ms "$db" "$sql" "$repeat")")
        done
        found=$(sed -n 's/.* finds \([0-9]*\)$/\1/p' <<<"$line")
        ours=$(printf "%s\n" "${ours_runs[@]}" | median)
        bare=$(printf "%s\n" "${bare_runs[@]}" | median)
        echo "| search \"$text\" ($found found) | $ours | $bare | $(ratio "$ours" "$bare") |"
    done

    # The tour copies the database into a temporary folder; its peak memory is the program's.
    peak=$(/usr/bin/time -f %M "$bin/zelt-tour" "$db" "$work/tour-$scale" 2>&1 >/dev/null | tail -1)
    echo "| peak memory of the screenshot tour (max RSS) | $(awk -v k="$peak" 'BEGIN { printf "%.0f MB", k / 1024 }') | | |"
done
