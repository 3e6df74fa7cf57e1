#!/usr/bin/env bash
# bash tools/bench-reading.sh [--runs N] [--before BIN]: reading a whole Access table. On the 10x
# and 50x Access samples (build/bench/, written when older than zelt-makedb) it times, in
# alternating rounds: the reader child alone dumping ZELT_200_Atividade, `zelt-sql FILE "SELECT *
# FROM ZELT_200_Atividade"` (processor time includes its reader child) and `mdb-export FILE
# ZELT_200_Atividade`; with --before, also the zelt-mdb-reader and zelt-sql of an older build's
# bin folder, for the figures before a change. Prints Markdown tables of medians of processor time
# (user + system, s), the ratios, the largest peak memory of zelt-sql and the table's size as
# SQLite stores it.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
release=$root/build/release
bin=$release/bin
out=$root/build/bench
runs=5
before=
table=ZELT_200_Atividade
while [ $# -gt 0 ]; do
    case $1 in
    --runs) runs=$2; shift 2 ;;
    --before) before=$(realpath "$2"); shift 2 ;;
    *) echo "usage: bash tools/bench-reading.sh [--runs N] [--before BIN]" >&2; exit 2 ;;
    esac
done

for tool in sqlite3 mdb-export; do
    command -v $tool >/dev/null || { echo "bench-reading.sh needs $tool" >&2; exit 1; }
done
[ -x /usr/bin/time ] || { echo "bench-reading.sh needs /usr/bin/time (Debian package time)" >&2; exit 1; }
cmake -S "$root" -B "$release" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$release" -j2 --target zelt-makedb zelt-sql zelt-mdb-reader >/dev/null
mkdir -p "$out"

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
# Processor seconds (user + system) and peak KB of one command, its output thrown away.
measure() { /usr/bin/time -f '%U %S %M' "$@" 2>&1 >/dev/null | tail -1 | awk '{ printf "%.2f %d\n", $1 + $2, $3 }'; }

echo "## Reading a whole Access table ($table)"
echo
echo "Machine: $(nproc) cores, $(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)," \
    "$(awk '/^MemTotal/ { printf "%.1f GB", $2 / 1048576 }' /proc/meminfo) RAM, load average" \
    "$(cut -d' ' -f1 /proc/loadavg) at the start."
echo "Command: \`bash tools/bench-reading.sh --runs $runs${before:+ --before BIN}\` ($(date -u +%Y-%m-%d))." \
    "Processor seconds (user + system), medians of $runs alternating rounds."
echo
if [ -n "$before" ]; then
    echo "| Sample | reader before | reader now | before / now | zelt-sql before | zelt-sql now | mdb-export | zelt-sql now / mdb-export | zelt-sql peak MB before, now | table in SQLite MB |"
    echo "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
else
    echo "| Sample | reader | zelt-sql | mdb-export | zelt-sql / mdb-export | zelt-sql peak MB | table in SQLite MB |"
    echo "|---|---:|---:|---:|---:|---:|---:|"
fi
for scale in 10 50; do
    db=$out/ZELT-${scale}x-access.mdb
    sqlite=$out/ZELT-${scale}x-sqlite.mdb
    for kind in access sqlite; do
        file=$out/ZELT-${scale}x-$kind.mdb
        [ "$file" -nt "$bin/zelt-makedb" ] || "$bin/zelt-makedb" --format "$kind" "$file" --scale "$scale" >&2
    done
    reader=() oldReader=() sql=() oldSql=() export=() peaks=() oldPeaks=()
    for _ in $(seq "$runs"); do
        if [ -n "$before" ]; then
            read -r cpu _ <<<"$(measure "$before/zelt-mdb-reader" "$db" --table "$table")"
            oldReader+=("$cpu")
            read -r cpu peak <<<"$(measure "$before/zelt-sql" "$db" "SELECT * FROM $table")"
            oldSql+=("$cpu")
            oldPeaks+=("$peak")
        fi
        read -r cpu _ <<<"$(measure "$bin/zelt-mdb-reader" "$db" --table "$table")"
        reader+=("$cpu")
        read -r cpu peak <<<"$(measure "$bin/zelt-sql" "$db" "SELECT * FROM $table")"
        sql+=("$cpu")
        peaks+=("$peak")
        read -r cpu _ <<<"$(measure mdb-export "$db" "$table")"
        export+=("$cpu")
    done
    m() { printf '%s\n' "$@" | median; }
    largest() { printf '%s\n' "$@" | sort -g | tail -1 | awk '{ printf "%.0f", $1 / 1024 }'; }
    r=$(m "${reader[@]}") s=$(m "${sql[@]}") e=$(m "${export[@]}")
    size=$(sqlite3 -readonly "$sqlite" "SELECT sum(pgsize) FROM dbstat WHERE name = '$table'" | awk '{ printf "%.1f", $1 / 1048576 }')
    if [ -n "$before" ]; then
        o=$(m "${oldReader[@]}") os=$(m "${oldSql[@]}")
        echo "| ${scale}x | $o | $r | $(ratio "$o" "$r") | $os | $s | $e | $(ratio "$s" "$e") | $(largest "${oldPeaks[@]}"), $(largest "${peaks[@]}") | $size |"
    else
        echo "| ${scale}x | $r | $s | $e | $(ratio "$s" "$e") | $(largest "${peaks[@]}") | $size |"
    fi
done
