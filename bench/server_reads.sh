#!/usr/bin/env bash
# Board reads as a site grows, in one run: on SQLite and on a PostgreSQL 15 started for the
# run, a board of each size filled with SQL, read through one and two `--role api` processes
# at each number of connections (wrk's split between the processes, one wrk each, at once).
# Four reads each: the top-100 page and an entry's ranks at the same address over and over
# (the server's copy answers), then a page at a random offset and a random entry's ranks
# (the database answers every one). Prints the fill's time and disk, each measurement as it
# ends, and at the end the table for docs/deployment.md.
#   bash bench/server_reads.sh build/sidescroller-server [SECONDS]
# SECONDS a read (default 5); SIZES ("1000000 10000000"), CONNECTIONS ("32 256"), APIS
# ("1 2") and ENGINES ("sqlite postgresql") choose the rest.
set -euo pipefail
server=$(realpath "$1")
seconds=${2:-5}
read -ra sizes <<< "${SIZES:-1000000 10000000}"
read -ra connections <<< "${CONNECTIONS:-32 256}"
read -ra apis <<< "${APIS:-1 2}"
read -ra engines <<< "${ENGINES:-sqlite postgresql}"
root=$(realpath "$(dirname "$0")/..")
source "$root/bench/server_lib.sh"
say() { echo "== $* (load average $(cut -d' ' -f1-3 /proc/loadavg), $(date -u +%H:%M:%S) UTC)"; }

# Each process serves every connection wrk gives it at once (a keep-alive connection holds a
# thread), and on PostgreSQL holds as many connections to the database.
most=0
for c in "${connections[@]}"; do [ "$c" -gt "$most" ] && most=$c; done
threads() { echo $(($1 / $2 + 8)); }
if [[ " ${engines[*]} " == *" postgresql "* ]]; then
    if [ "$(id -u)" = 0 ]; then
        as="runuser -u postgres --"
        chown postgres "$work"
    fi
    PG_CONNECTIONS=$((most + 2 * 8 + 20)) start_postgres
fi

echo "$(nproc) cores: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')," \
    "$(free -g | awk '/Mem:/ { print $2 }') GB, Linux $(uname -r)"
table=("| Engine | Entries | Read | api processes | connections | req/s | p50 | p99 | load |"
    "| --- | ---: | --- | ---: | ---: | ---: | ---: | ---: | ---: |")
fills=()

# wrk's outputs to a row's figures: requests a second summed over the wrks, the worse p50
# and p99 of them, and the timeouts and errors, if any.
figures() {
    awk '
        function ms(v) { return v ~ /us$/ ? v / 1000 : v ~ /ms$/ ? v + 0 : v * 1000 }
        function thousands(n,  s, out) { s = sprintf("%d", n); while (length(s) > 3) { out = "," substr(s, length(s) - 2) out; s = substr(s, 1, length(s) - 3) } return s out }
        function show(v) { return v >= 1000 ? sprintf("%.2f s", v / 1000) : v >= 10 ? sprintf("%.0f ms", v) : sprintf("%.1f ms", v) }
        /Requests\/sec/ { rate += $2 }
        $1 == "50%" && ms($2) > p50 { p50 = ms($2) }
        $1 == "99%" && ms($2) > p99 { p99 = ms($2) }
        /Socket errors/ { gsub(",", ""); timeouts += $NF; errors += $4 + $6 + $8 }
        /Non-2xx/ { errors += $NF }
        END {
            extra = timeouts ? sprintf(" (%d timeouts)", timeouts) : ""
            extra = extra (errors ? sprintf(" (%d errors)", errors) : "")
            printf "%s | %s | %s%s", thousands(rate), show(p50), show(p99), extra
        }'
}

for engine in "${engines[@]}"; do
    for entries in "${sizes[@]}"; do
        if [ "$engine" = sqlite ]; then
            rm -f "$work"/board.sqlite*
            database="sqlite:$work/board.sqlite"
        else
            psql -q -h "$work" -U postgres -c "DROP DATABASE IF EXISTS board" \
                -c "CREATE DATABASE board" postgres
            database="postgresql://postgres@/board?host=$work"
        fi
        say "$engine: filling $entries entries"
        began=$SECONDS
        fill_board "$server" "$database" "$entries"
        used=$(du -sh "$work" | cut -f1)
        fills+=("$engine, $entries entries: filled in $((SECONDS - began)) s, $used on disk")
        echo "${fills[-1]}; $(df -h "$work" | awk 'NR == 2 { print $4 }') left"
        middle=$((entries / 2))
        for n in "${apis[@]}"; do
            for c in "${connections[@]}"; do
                urls=()
                for k in $(seq "$n"); do
                    "$server" --role api --database "$database" --listen 127.0.0.1:0 \
                        --game-folder "$root" --threads "$(threads "$c" "$n")" \
                        > "$work/out$k" 2> "$work/err$k" &
                    pids+=($!)
                    for _ in $(seq 300); do grep -q listening "$work/out$k" 2> /dev/null && break; sleep 0.1; done
                    urls+=("$(grep -o 'http://[0-9.:]*' "$work/out$k")")
                done
                for read in "top-100 page, same|/api/v1/boards/open?period=all&limit=100" \
                    "an entry's ranks, same|/api/v1/games/$middle" \
                    "a page at a random offset|/api/v1/boards/open?period=all&limit=100&offset=%d" \
                    "a random entry's ranks|/api/v1/games/%d"; do
                    load=$(cut -d' ' -f1 /proc/loadavg)
                    say "$engine, $entries entries, $n api, $c connections: ${read%%|*}"
                    wrk_split "${read#*|}" "$c" "$seconds" "${urls[@]}" | tee "$work/wrk"
                    table+=("| $engine | $entries | ${read%%|*} | $n | $c | $(figures < "$work/wrk") | $load |")
                done
                kill "${pids[@]}"
                wait "${pids[@]}" 2> /dev/null || true
                pids=()
            done
        done
    done
done

say "done"
printf '%s\n' "${fills[@]}" "" "${table[@]}"
