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
    $as $pg/pg_ctl -D "$work/pg" -l "$work/pg.log" -w \
        -o "-k $work -c listen_addresses='' -c max_connections=${PG_CONNECTIONS:-100}" start > /dev/null
    psql -q -h "$work" -U postgres -c "CREATE DATABASE board" postgres
}

# Entries, a recording for them, and the counts that ranks are read from.
fill_sql() {
    local series=$1 day=$2 week=$3 score=$4
    cat <<EOF
INSERT INTO recordings (id, body, version) VALUES (1, 'x', 'bench');
INSERT INTO entries (board, day, week, name, score, version, created, token, game,
                     submission, recording, input_digest)
SELECT 'open', $day, $week, 'BENCH', $score, 'bench', 0, 'bench-' || i, 0, 0, 1, ''
FROM $series;
INSERT INTO counts SELECT board, 'all', score, COUNT(*) FROM entries GROUP BY board, score;
INSERT INTO counts SELECT board, 'day:' || day, score, COUNT(*) FROM entries
    GROUP BY board, day, score;
INSERT INTO counts SELECT board, 'week:' || week, score, COUNT(*) FROM entries
    GROUP BY board, week, score;
EOF
}

