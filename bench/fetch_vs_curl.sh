#!/usr/bin/env bash
# Fetches per second of a small page from a loopback nginx: our HttpClient (bench program
# fetch_bench) against curl fetching the same page the same number of times in one process.
# Both open a new connection for every fetch (curl is told "Connection: close").
#   bench/fetch_vs_curl.sh [build-dir] [count]
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$here/build}" && pwd)
count=${2:-2000}
bench="$build/bench/fetch_bench"
nginx=/usr/sbin/nginx

[[ -x "$bench" ]] || { echo "build the fetch_bench target in $build first" >&2; exit 2; }
[[ -x "$nginx" ]] || { echo "nginx is not installed" >&2; exit 2; }
command -v curl >/dev/null || { echo "curl is not installed" >&2; exit 2; }
(( count > 0 && count <= 100000 )) || { echo "count must be 1..100000" >&2; exit 2; }

work="$build/bench/fetch-vs-curl"
rm -rf "$work"
mkdir -p "$work/root" "$work/tmp"
printf '<html><head><title>small</title></head><body><p>%s</p></body></html>\n' \
    "$(head -c 600 /dev/zero | tr '\0' 'x')" > "$work/root/small.html"
chmod -R a+rX "$work"

nginx_pid=
cleanup() {
    if [[ -n "$nginx_pid" ]]; then
        kill -TERM "$nginx_pid" 2>/dev/null || true
        wait "$nginx_pid" 2>/dev/null || true
    fi
}
trap cleanup EXIT

# A port nginx may take; a clash makes nginx exit and the next candidate is tried.
free_port() {
    echo $((20000 + RANDOM % 40000))
}

start_nginx() {
    local port=$1
    {
        echo "daemon off; master_process on; worker_processes 1;"
        echo "pid $work/nginx.pid; error_log $work/error.log warn;"
        [[ $(id -u) -eq 0 ]] && echo "user root;"
        echo "events { worker_connections 1024; }"
        echo "http {"
        echo "  access_log off;"
        for t in client_body proxy fastcgi uwsgi scgi; do echo "  ${t}_temp_path $work/tmp/$t;"; done
        echo "  types { text/html html; }"
        echo "  server { listen 127.0.0.1:$port; root $work/root; }"
        echo "}"
    } > "$work/nginx.conf"
    "$nginx" -p "$work/" -c "$work/nginx.conf" -e "$work/error.log" &
    nginx_pid=$!
    for _ in $(seq 1 200); do
        if curl -s -o /dev/null "http://127.0.0.1:$port/small.html"; then
            return 0
        fi
        kill -0 "$nginx_pid" 2>/dev/null || break
        sleep 0.05
    done
    cleanup
    nginx_pid=
    return 1
}

port=
for _ in 1 2 3 4 5; do
    candidate=$(free_port)
    if start_nginx "$candidate"; then
        port=$candidate
        break
    fi
done
[[ -n "$port" ]] || { echo "nginx did not start:" >&2; cat "$work/error.log" >&2; exit 1; }
url="http://127.0.0.1:$port/small.html"

ours=$("$bench" --url="$url" --count="$count" --benchmark_format=json |
       sed -n 's/.*"items_per_second": *\([0-9.e+]*\).*/\1/p' | awk '{ printf "%.0f", $1 }')
[[ -n "$ours" ]] || { echo "fetch_bench failed" >&2; exit 1; }

{
    echo 'silent'
    echo 'header = "Connection: close"'
    for _ in $(seq 1 "$count"); do
        echo "url = \"$url\""
        echo 'output = "/dev/null"'
    done
} > "$work/curl.cfg"
start=$(date +%s%N)
curl -K "$work/curl.cfg"
end=$(date +%s%N)
theirs=$(awk -v n="$count" -v ns=$((end - start)) 'BEGIN { printf "%.0f", n / (ns / 1e9) }')

echo "page: $(stat -c %s "$work/root/small.html") bytes, $count fetches each, new connection per fetch"
echo "HttpClient::fetch: $ours fetches/s"
echo "curl:              $theirs fetches/s"
