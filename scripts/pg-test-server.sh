#!/usr/bin/env bash
# A throw-away PostgreSQL server on 127.0.0.1 for running the tests against
# the shared-office engine.
#   scripts/pg-test-server.sh start DIR [PORT]   makes and starts a cluster in DIR
#   scripts/pg-test-server.sh stop DIR           stops it (DIR can then be removed)
# After start, DIR/env holds the two variables the test run needs:
#   SHINSEIDESK_TEST_PG  the connection of the tests' administrator role
#   PGPASSFILE           its password, read by libpq (the tests never pass one)
# The server refuses connections without a password, so every test run
# against it also proves that ~/.pgpass-style authentication works.
set -euo pipefail

cmd=${1:-}
dir=${2:-}
port=${3:-55432}
if [ -z "$cmd" ] || [ -z "$dir" ]; then
  echo "usage: $0 start|stop DIR [PORT]" >&2
  exit 2
fi

bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$bindir" ] || [ ! -x "$bindir/initdb" ]; then
  echo "PostgreSQL server programs not found (Debian package 'postgresql')" >&2
  exit 1
fi

# initdb and the server refuse to run as root: use an unprivileged account.
as_owner=()
if [ "$(id -u)" -eq 0 ]; then
  owner=sdci
  if ! id -u "$owner" >/dev/null 2>&1; then
    useradd --system --no-create-home --shell /usr/sbin/nologin "$owner"
  fi
  as_owner=(runuser -u "$owner" --)
fi

case "$cmd" in
start)
  mkdir -p "$dir"
  dir=$(cd "$dir" && pwd)
  mkdir -p "$dir/sock"
  password=$(head -c 18 /dev/urandom | base64 | tr -dc 'A-Za-z0-9')
  # The password file is readable by its owner only from its first byte
  # (a chmod afterwards would leave a window open).
  (umask 077 && printf '%s\n' "$password" > "$dir/pwfile")
  if [ "${#as_owner[@]}" -gt 0 ]; then
    chown -R sdci "$dir"
    chmod 0711 "$dir"
  fi
  "${as_owner[@]}" "$bindir/initdb" -D "$dir/data" -U sdtest --pwfile="$dir/pwfile" \
    -E UTF8 --locale=C --auth-local=trust --auth-host=scram-sha-256 >"$dir/initdb.log"
  rm -f "$dir/pwfile"
  # fsync is off: the cluster lives for one test run and a killed client,
  # not a power cut, is what the tests simulate.
  "${as_owner[@]}" "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
    -o "-k $dir/sock -p $port -c listen_addresses=127.0.0.1 -c max_connections=400 -c fsync=off -c full_page_writes=off" \
    start >/dev/null
  umask 077
  printf '127.0.0.1:%s:*:sdtest:%s\n' "$port" "$password" > "$dir/pgpass"
  {
    printf 'export SHINSEIDESK_TEST_PG=%q\n' "host=127.0.0.1 port=$port user=sdtest"
    printf 'export PGPASSFILE=%q\n' "$dir/pgpass"
  } > "$dir/env"
  echo "PostgreSQL $("$bindir/postgres" --version | awk '{print $3}') on 127.0.0.1:$port (cluster $dir/data)"
  ;;
stop)
  if [ -f "$dir/data/postmaster.pid" ]; then
    "${as_owner[@]}" "$bindir/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null || true
  fi
  ;;
*)
  echo "usage: $0 start|stop DIR [PORT]" >&2
  exit 2
  ;;
esac
