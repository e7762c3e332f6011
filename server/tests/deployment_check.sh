#!/usr/bin/env bash
# The files a site deploys the server with, checked by the tools that read them: the systemd
# unit by systemd-analyze (any warning fails it), the options of the sample defaults file by
# the server itself, and the reverse proxy's configuration by nginx -t, with a throwaway
# certificate in place of the site's.
#   server/tests/deployment_check.sh SOURCE_DIR SERVER_BINARY
set -euo pipefail
source_dir=$1
server=$(realpath "$2")
here=$source_dir/packaging/server
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The unit names the installed program; here the one just built stands in for it.
sed "s|/usr/bin/sidescroller-server|$server|" "$here/sidescroller-server.service" \
    > "$work/sidescroller-server.service"
if ! systemd-analyze verify "$work/sidescroller-server.service" > "$work/unit.log" 2>&1 ||
    [ -s "$work/unit.log" ]; then
    cat "$work/unit.log"
    echo "FAIL the unit: systemd-analyze verify" >&2
    exit 1
fi
echo "ok   the unit passes systemd-analyze verify"

# Every option the defaults file sets is one the server knows.
options=$(. "$here/sidescroller-server.default" && echo "$SIDESCROLLER_SERVER_OPTIONS")
# shellcheck disable=SC2086  # the options are words, as systemd splits them
if ! "$server" $options --help > /dev/null; then
    echo "FAIL the defaults file's options: $options" >&2
    exit 1
fi
echo "ok   the defaults file's options: $options"

if command -v nginx > /dev/null; then
    openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 1 \
        -subj /CN=board.example.org -keyout "$work/privkey.pem" -out "$work/fullchain.pem" \
        2> /dev/null
    sed "s|/etc/ssl/board.example.org|$work|" "$here/nginx.conf" > "$work/nginx.conf"
    if ! nginx -t -q -c "$work/nginx.conf" -e "$work/error.log" -g "pid $work/nginx.pid;"; then
        cat "$work/error.log" >&2
        echo "FAIL the proxy's configuration: nginx -t" >&2
        exit 1
    fi
    echo "ok   the proxy's configuration passes nginx -t"
else
    echo "FAIL nginx is missing (the package nginx)" >&2
    exit 1
fi
