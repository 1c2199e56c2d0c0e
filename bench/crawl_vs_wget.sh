#!/usr/bin/env bash
# Crawls the fixture web site with trawlix-crawl and with `wget -r -l 3`, in the same run,
# from the same loopback nginx, and reports the time and the number of documents each
# found. Usage: bench/crawl_vs_wget.sh [build-dir] [runs]
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
runs=${2:-5}
crawler=$build/bin/trawlix-crawl
site=$here/tests/e2e/fixtures/web/site
[ -x "$crawler" ] || { echo "no $crawler: build the tree first" >&2; exit 1; }

work=$(mktemp -d)
nginx_pid=
cleanup() {
    [ -n "$nginx_pid" ] && kill "$nginx_pid" 2>/dev/null && wait "$nginx_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

address=127.0.0.2
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.2", 0)); print(s.getsockname()[1])')
mkdir -p "$work/tmp"
user_line=
[ "$(id -u)" -eq 0 ] && user_line="user root;"
cat >"$work/nginx.conf" <<CONF
daemon off;
worker_processes 1;
$user_line
pid $work/nginx.pid;
error_log $work/error.log warn;
events { worker_connections 256; }
http {
    access_log off;
    client_body_temp_path $work/tmp/body;
    proxy_temp_path $work/tmp/proxy;
    fastcgi_temp_path $work/tmp/fastcgi;
    uwsgi_temp_path $work/tmp/uwsgi;
    scgi_temp_path $work/tmp/scgi;
    types { text/html html; }
    default_type application/octet-stream;
    server {
        listen $address:$port;
        root $site;
        absolute_redirect off;
        location = /moved.html { return 301 /landing.html; }
    }
}
CONF
nginx -c "$work/nginx.conf" -p "$work" &
nginx_pid=$!
for _ in $(seq 1 200); do
    curl -s -o /dev/null "http://$address:$port/" && break
    sleep 0.05
done

seed="http://$address:$port/"
docs='\.(doc|hwp|ppt|xls|zip|rar|alz|txt|pdf|torrent)'
now() { date +%s.%N; }

trawlix_total=0
wget_total=0
for _ in $(seq 1 "$runs"); do
    start=$(now)
    "$crawler" "-seed:$seed" -qlimit:100000 >"$work/trawlix.out" 2>/dev/null
    trawlix_total=$(echo "$trawlix_total + $(now) - $start" | bc)

    rm -rf "$work/wget"
    start=$(now)
    wget -q -r -l 3 -e robots=off -P "$work/wget" "$seed" || true
    wget_total=$(echo "$wget_total + $(now) - $start" | bc)
done

trawlix_docs=$(wc -l <"$work/trawlix.out")
wget_docs=$(cd "$work/wget" && find . -type f | grep -cE "$docs" || true)
wget_files=$(cd "$work/wget" && find . -type f | wc -l)
printf 'runs: %d, site: %s\n' "$runs" "$seed"
if [ "${SHOW_LISTS:-0}" = 1 ]; then
    echo "trawlix-crawl:"; cut -f1 "$work/trawlix.out" | sed "s|$seed|/|" | sort
    echo "wget:"; (cd "$work/wget"/* && find . -type f | grep -E "$docs" | sed "s|^\.||" | sort)
fi
printf 'trawlix-crawl: %.3f s per crawl, %d documents\n' "$(echo "$trawlix_total / $runs" | bc -l)" "$trawlix_docs"
printf 'wget -r -l 3:  %.3f s per crawl, %d documents (%d files saved)\n' \
    "$(echo "$wget_total / $runs" | bc -l)" "$wget_docs" "$wget_files"
