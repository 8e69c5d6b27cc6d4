# shellcheck shell=bash
# The local servers for the network tests of win32_tests.exe; source this file.
#
#   net_servers_start DIR TRUST_EXE   starts tests/win32/servers/net_servers.py (its pid in
#                                     NET_SERVERS_PID; the caller stops it), exports its
#                                     PICTORN_TEST_NET_* variables and trusts its certificate
#                                     in the current WINEPREFIX with TRUST_EXE
#
# Run it after the prefix is ready and before the test exe starts: a Wine process keeps the
# view of the certificate store it first opened.
NET_SERVERS_HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

net_servers_start() {
    local dir="$1" trust="$2" name value i
    rm -rf "$dir"
    mkdir -p "$dir"
    /usr/bin/python3 "$NET_SERVERS_HERE/servers/net_servers.py" "$dir" \
        >"$dir/servers.out" 2>"$dir/servers.err" </dev/null &
    NET_SERVERS_PID=$!
    for ((i = 0; i < 400; i++)); do
        grep -qx READY "$dir/servers.out" 2>/dev/null && break
        kill -0 "$NET_SERVERS_PID" 2>/dev/null || break
        sleep 0.05
    done
    if ! grep -qx READY "$dir/servers.out" 2>/dev/null; then
        echo "[net-servers] the servers did not start:" >&2
        cat "$dir/servers.err" >&2
        return 1
    fi
    while IFS='=' read -r name value; do
        [[ "$name" == PICTORN_TEST_NET_* ]] && export "$name=$value"
    done <"$dir/servers.out"
    # Wine sees the Unix root as drive Z:.
    wine "$trust" "Z:$PICTORN_TEST_NET_TRUSTED_CERT" </dev/null >"$dir/trust.log" 2>&1 || {
        echo "[net-servers] could not trust the test certificate:" >&2
        cat "$dir/trust.log" >&2
        return 1
    }
}
