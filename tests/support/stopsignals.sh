#!/bin/sh
# The simulator program on a TCP port and a pseudo-terminal: once it has said where it
# serves (within 10 s), SIGTERM, and then SIGINT, must end it with exit status 0.
sim=$1
out=$(mktemp) || exit 1
trap 'rm -f "$out"' EXIT
for sig in TERM INT; do
    : >"$out"  # emptied here, not only by the started program: the wait below reads it at once
    "$sim" --tcp 0 --pty >"$out" 2>&1 &
    pid=$!
    tries=0
    while [ "$(wc -l <"$out")" -lt 2 ]; do
        tries=$((tries + 1))
        if [ "$tries" -gt 100 ] || ! kill -0 "$pid" 2>/dev/null; then
            echo "ctlsim did not start:"
            cat "$out"
            kill -KILL "$pid" 2>/dev/null
            exit 1
        fi
        sleep 0.1
    done
    kill -"$sig" "$pid"
    wait "$pid"
    status=$?
    if [ "$status" -ne 0 ]; then
        echo "SIG$sig: exit status $status"
        cat "$out"
        exit 1
    fi
done
echo "SIGTERM and SIGINT: exit status 0"
