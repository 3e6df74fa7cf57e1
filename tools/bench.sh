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
[ -x /usr/bin/time ] || { echo "bench.sh needs /usr/bin/time (Debian package time; bash tools/dev.sh test installs it)" >&2; exit 1; }
cmake -S "$root" -B "$release" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$release" -j2 --target zelt-makedb zelt-bench zelt-bench-pages zelt-bench-search zelt-tour >/dev/null
mkdir -p "$out"
export QT_QPA_PLATFORM=offscreen

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }

# Milliseconds of one search's statements in the sqlite3 shell, elapsed and processor time: one
# warm-up line, then 11 timed lines each repeating the whole run REPEAT times (the shell times a
# line, elapsed to the millisecond, processor time to the microsecond).
shell_search_ms() {
    local file=$1 sql=$2 repeat=$3
    local line timings
    line=$(for _ in $(seq "$repeat"); do printf '%s ' "$sql"; done)
    timings=$({
        echo ".output /dev/null"
        echo "$line"
        echo ".timer on"
        for _ in $(seq 11); do echo "$line"; done
    } | sqlite3 -readonly "$file" | grep '^Run Time:')
    printf '%s %s\n' \
        "$(awk '{ print $4 }' <<<"$timings" | median | awk -v r="$repeat" '{ printf "%.2f", $1 * 1000 / r }')" \
        "$(awk '{ print $6 + $8 }' <<<"$timings" | median | awk -v r="$repeat" '{ printf "%.2f", $1 * 1000 / r }')"
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
echo "Command: \`bash tools/bench.sh\` ($(date -u +%Y-%m-%d)). Milliseconds, medians. Pages: entered through"
echo "the dispatcher, and in brackets with the repaint of the page. Searches: the whole run of the window"
echo "(ZELT) beside the same statements run by the sqlite3 shell on the same file, warm (shell); elapsed"
echo "time and processor time, the ratio on processor time, which other work on the machine disturbs least."
for scale in 1 50; do
    db=$out/ZELT-${scale}x.mdb
    echo
    echo "## Sample ${scale}x ($(du -m "$db" | cut -f1) MB)"
    echo

    probe="SELECT count(*) FROM ZELT_Classificacao"
    ours=$("$bin/zelt-bench" --runs 15 --query "$probe" "$db" 2>/dev/null)
    open=$(awk '/^  open  / { print $3 }' <<<"$ours")
    first=$(awk '/^  open and first run/ { print $9 }' <<<"$ours")
    echo "| Step | ZELT |"
    echo "|---|---:|"
    echo "| open the database | $open |"
    echo "| open and first statement | $first |"

    "$bin/zelt-bench-pages" "$db" 30 2>/dev/null | awk '
        NR > 2 { printf "| enter page %s (with repaint) | %.2f (%.2f) |\n", $1, $2, $5 }'

    repeat=$((scale == 1 ? 10 : 1))
    echo
    echo "| Search (activities found) | ZELT | ZELT processor | shell | shell processor | ratio (processor) |"
    echo "|---|---:|---:|---:|---:|---:|"
    # Other work on the machine comes in bursts: three alternating rounds of ours and the shell's,
    # the median of each side's three medians, and the ratio taken on processor time.
    for text in "${texts[@]}"; do
        sql=$("$bin/zelt-bench-search" "$db" --sql "$text" 2>/dev/null | tr '\n' ' ')
        rounds=()
        for _ in 1 2 3; do
            line=$("$bin/zelt-bench-search" "$db" --runs $((scale == 1 ? runs : 11)) "$text" 2>/dev/null)
            rounds+=("$(awk '/^whole run/ { w = $4 } /^processor time/ { c = $4 } END { print w, c }' <<<"$line") $(shell_search_ms "$db" "$sql" "$repeat")")
        done
        found=$(sed -n 's/.* finds \([0-9]*\)$/\1/p' <<<"$line")
        column() { printf '%s\n' "${rounds[@]}" | awk -v k="$1" '{ print $k }' | median; }
        echo "| \"$text\" ($found) | $(column 1) | $(column 2) | $(column 3) | $(column 4) | $(ratio "$(column 2)" "$(column 4)") |"
    done

    # The tour copies the database into a temporary folder; its peak memory is the program's.
    peak=$(/usr/bin/time -f %M "$bin/zelt-tour" "$db" "$work/tour-$scale" 2>&1 >/dev/null | tail -1)
    echo
    echo "Peak memory of the screenshot tour (max RSS): $(awk -v k="$peak" 'BEGIN { printf "%.0f MB", k / 1024 }')."
done
