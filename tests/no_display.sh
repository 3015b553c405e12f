#!/usr/bin/env bash
# The desktop program started where there is no display (over SSH, from a
# service): a Dutch explanation that names the command-line program, exit 1,
# not Qt's English abort. Argument: the desktop program.
set -uo pipefail
program=$1
failures=0
expect_explained() {
    local what=$1 out status
    shift
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@" "$program" 2>&1 </dev/null)
    status=$?
    if [ "$status" -ne 1 ] || ! grep -q "heeft een beeldscherm nodig" <<<"$out" ||
        ! grep -q "zelkextract2-cli" <<<"$out"; then
        echo "FAILED ($what): exit $status: $out"
        failures=$((failures + 1))
    fi
}
expect_explained "no display set"
# A display that is named but does not answer: Qt's own check ends in it.
expect_explained "display that does not answer" DISPLAY=:1999
expect_explained "the X11 platform asked for" QT_QPA_PLATFORM=xcb
[ "$failures" -eq 0 ] && echo "no display: explained in Dutch, exit 1"
exit $((failures > 0))
