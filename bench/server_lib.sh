# What the server's benchmarks share: a PostgreSQL 15 of their own in the work folder, and a
# board filled straight with SQL. Sourced by server_load.sh and server_scale.sh, which set
# work, pg and as.

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

