# What the server's benchmarks share: a PostgreSQL 15 of their own in the work folder, and a
# board filled straight with SQL, and wrk's script for random reads. Sourced by
# server_load.sh and server_scale.sh at their start: it makes the work folder and removes it,
# with the servers (pids) and the database, when they end.
work=$(mktemp -d)
pg=/usr/lib/postgresql/15/bin
as=""
pids=()
cleanup() {
    [ ${#pids[@]} -gt 0 ] && kill "${pids[@]}" 2> /dev/null && wait "${pids[@]}" 2> /dev/null || true
    [ -f "$work/pg/PG_VERSION" ] && $as $pg/pg_ctl -D "$work/pg" -m immediate stop > /dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

# wrk asks for PATTERN with a random entry or offset of ENTRIES at each request.
cat > "$work/random.lua" <<'EOF'
local pattern = os.getenv("PATTERN")
local entries = tonumber(os.getenv("ENTRIES"))
request = function()
    return wrk.format("GET", string.format(pattern, math.random(1, entries - 100)))
end
EOF

# Initialised, started on a Unix socket in the work folder, with an empty database "board".
start_postgres() {
    $as $pg/initdb -A trust -U postgres -D "$work/pg" > /dev/null
    # No copy of the writes for a standby: a table emptied in the transaction that fills it
    # is then written without its WAL. Room for a fill of millions of rows without a
    # checkpoint in the middle, and for the sorts that build its indexes.
    $as $pg/pg_ctl -D "$work/pg" -l "$work/pg.log" -w \
        -o "-k $work -c listen_addresses='' -c max_connections=${PG_CONNECTIONS:-100} \
            -c max_wal_size=8GB -c maintenance_work_mem=512MB -c wal_level=minimal \
            -c max_wal_senders=0" start > /dev/null
    psql -q -h "$work" -U postgres -c "CREATE DATABASE board" postgres
}

# Entries and a recording for them. The tokens are
# numbered in the order their index sorts them, so that each row's key goes at its end.
fill_sql() {
    local series=$1 day=$2 week=$3 score=$4 token=$5
    cat <<EOF
INSERT INTO recordings (id, body, version) VALUES (1, 'x', 'bench');
INSERT INTO entries (board, day, week, name, score, version, created, token, game,
                     submission, recording, input_digest)
SELECT 'open', $day, $week, 'BENCH', $score, 'bench', 0, $token, 0, 0, 1, ''
FROM $series;
EOF
}

# The counts that ranks are read from, of the entries there; each an index's walk once the
# entries' indexes are built.
counts_sql() {
    cat <<EOF
INSERT INTO counts SELECT board, 'all', score, COUNT(*) FROM entries WHERE hidden = 0
    GROUP BY board, score;
INSERT INTO counts SELECT board, 'day:' || day, score, COUNT(*) FROM entries WHERE hidden = 0
    GROUP BY board, day, score;
INSERT INTO counts SELECT board, 'week:' || week, score, COUNT(*) FROM entries WHERE hidden = 0
    GROUP BY board, week, score;
EOF
}


# fill_board SERVER DATABASE ENTRIES: the schema made by the server, then ENTRIES entries
# (over thirty days and three hundred scores) written with the entries' own indexes dropped
# and built again after from their definitions, which takes minutes off ten million rows;
# then the planner's statistics, and on PostgreSQL a vacuum and a checkpoint, as a board
# long in use would have had, so that no autovacuum of the fill runs during the reads.
fill_board() {
    local server=$1 database=$2 entries=$3 indexes drops
    "$server" --database "$database" migrate > /dev/null
    if [[ "$database" == sqlite:* ]]; then
        local file=${database#sqlite:}
        local which="FROM sqlite_master WHERE type = 'index' AND tbl_name = 'entries' AND sql IS NOT NULL"
        indexes=$(sqlite3 "$file" "SELECT sql || ';' $which")
        drops=$(sqlite3 "$file" "SELECT 'DROP INDEX ' || name || ';' $which")
        {
            echo "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; PRAGMA cache_size = -500000;"
            echo "$drops"
            echo "BEGIN;"
            fill_sql "(WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < $entries) SELECT i FROM n)" \
                "date('2026-11-02', '+' || (i % 30) || ' days')" "'2026-W' || (45 + (i % 30) / 7)" \
                "(abs(random()) % 300) * 10" "printf('bench-%010d', i)"
            echo "$indexes"
            counts_sql
            echo "COMMIT;"
            echo "PRAGMA analysis_limit = 1000; ANALYZE; PRAGMA journal_mode = WAL;"
        } | sqlite3 "$file" > /dev/null
    else
        local psql=(psql -qAt -h "$work" -U postgres -v ON_ERROR_STOP=1 board)
        # The indexes the server made, not the keys' own.
        local which="FROM pg_indexes WHERE tablename = 'entries' AND indexname <> 'entries_pkey'
            AND indexname NOT LIKE '%\_key'"
        indexes=$("${psql[@]}" -c "SELECT indexdef || ';' $which")
        drops=$("${psql[@]}" -c "SELECT 'DROP INDEX ' || indexname || ';' $which")
        # In one transaction that empties the tables first, without the foreign key's check of
        # every row (the rows name the one recording).
        {
            echo "BEGIN; SET LOCAL session_replication_role = replica;"
            echo "TRUNCATE recordings, entries, counts;"
            echo "$drops"
            fill_sql "generate_series(1, $entries) AS i" \
                "to_char(date '2026-11-02' + (i % 30), 'YYYY-MM-DD')" \
                "to_char(date '2026-11-02' + (i % 30), 'IYYY-\"W\"IW')" "(random() * 299)::int * 10" \
                "'bench-' || lpad(i::text, 10, '0')"
            echo "$indexes"
            counts_sql
            # The fill names its recording's id, which PostgreSQL's sequence does not see.
            echo "SELECT setval(pg_get_serial_sequence('recordings', 'id'), 1);"
            echo "COMMIT;"
        } | "${psql[@]}" > /dev/null
        "${psql[@]}" -c "VACUUM ANALYZE" -c "CHECKPOINT"
    fi
}

# wrk_split PATH CONNECTIONS SECONDS URL...: wrk's connections split between the servers,
# one wrk each (one thread each when there are two, so that wrk takes the same share),
# at once; a PATTERN with %d asks for a random entry or offset (ENTRIES) at each request.
# Prints each wrk's requests a second, percentiles and errors.
wrk_split() {
    local path=$1 connections=$2 seconds=$3 k
    shift 3
    local wrks=() threads=$(($# > 1 ? 1 : 2))
    # The same address: asked once first, so that wrk measures a board in use rather than
    # the first read of a process just started, which all the connections would wait for.
    if [[ "$path" != *%d* ]]; then
        for k in $(seq $#); do curl -s -o /dev/null "${!k}$path"; done
    fi
    for k in $(seq $#); do
        local url=${!k}
        if [[ "$path" == *%d* ]]; then
            PATTERN=$path ENTRIES=$entries wrk -t"$threads" -c$((connections / $#)) -d"${seconds}s" \
                --latency -s "$work/random.lua" "$url" > "$work/wrk$k" &
        else
            wrk -t"$threads" -c$((connections / $#)) -d"${seconds}s" --latency "$url$path" \
                > "$work/wrk$k" &
        fi
        wrks+=($!)
    done
    wait "${wrks[@]}"
    for k in $(seq $#); do
        grep -E 'Requests/sec|^ +(50|90|99)%|Non-2xx|Socket errors' "$work/wrk$k"
    done
}
