#!/usr/bin/env bash
# The .deb as a user gets it: made by CPack from this build, checked by
# lintian when it is there, unpacked into a scratch root, the installed
# command-line program run from there.
# Arguments: the build folder, the project's version. Exit 77: skipped.
set -euo pipefail
build=$1
version=$2

for tool in cpack dpkg-deb dpkg-shlibdeps; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool not found (Debian package dpkg-dev)"
        exit 77
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAILED: $*"
    exit 1
}

cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 || {
    cat "$work/cpack.log"
    fail "cpack"
}
debs=("$work"/package/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "one .deb expected, found: ${debs[*]}"
deb=${debs[0]}

contents=$(dpkg-deb -c "$deb")
for path in usr/bin/zelkextract2 usr/bin/zelkextract2-cli usr/share/applications/zelkextract2.desktop \
    usr/share/icons/hicolor/scalable/apps/zelkextract2.svg usr/share/icons/hicolor/48x48/apps/zelkextract2.png \
    usr/share/bash-completion/completions/zelkextract2-cli usr/share/man/man1/zelkextract2-cli.1.gz \
    usr/share/man/man1/zelkextract2.1.gz usr/share/doc/zelkextract2/copyright usr/share/doc/zelkextract2/changelog.gz; do
    grep -q " \./$path\$" <<<"$contents" || fail "$path not in the package"
done

# Dependencies computed from the programs' libraries, not written by hand.
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libsqlite3 libxlsxwriter libmdb libqt6core6 libqt6widgets6; do
    grep -q "$lib" <<<"$depends" || fail "$lib missing from Depends: $depends"
done

grep -q "bash-completion" <<<"$(dpkg-deb -f "$deb" Recommends)" || fail "bash-completion not recommended"

# Debian's own check of a package: no error and no warning.
if command -v lintian >/dev/null; then
    lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1 || {
        cat "$work/lintian.log"
        fail "lintian"
    }
else
    echo "lintian not found (Debian package lintian): the package's own check is left out"
fi

dpkg -x "$deb" "$work/root"
cli=$work/root/usr/bin/zelkextract2-cli
# Only the system's libraries: nothing may come from the build folder.
if ldd "$cli" | grep -e "not found" -e "$build"; then fail "libraries of the installed program"; fi
export HOME=$work/home XDG_CONFIG_HOME=$work/home
"$cli" --version | grep -qx "zelkextract2-cli $version (.*)" || fail "--version: $("$cli" --version)"
"$cli" demo-database "$work/demo.sqlite" --assets 20 >/dev/null || fail "demo-database"
"$cli" export -d "$work/demo.sqlite" -o "$work/out" --now 2026-12-06T10:15:03 all >"$work/export.log" || {
    cat "$work/export.log"
    fail "export"
}
for f in roerend onroerend mapping; do
    [ "$(head -c 2 "$work/out/$f.xlsx")" = "PK" ] || fail "$f.xlsx"
done
gzip -dc "$work/root/usr/share/man/man1/zelkextract2-cli.1.gz" | grep -q "ZELK_PASSWORD" || fail "man page"
completion=$work/root/usr/share/bash-completion/completions/zelkextract2-cli
bash -n "$completion" || fail "completion"
# With bash-completion (which the package recommends) a Tab after a partial
# command completes it.
if [ -f /usr/share/bash-completion/bash_completion ]; then
    completed=$(bash -c 'source /usr/share/bash-completion/bash_completion; source "$1"
        COMP_LINE="zelkextract2-cli exp"; COMP_POINT=${#COMP_LINE}; COMP_WORDS=(zelkextract2-cli exp); COMP_CWORD=1
        _zelkextract2_cli zelkextract2-cli exp zelkextract2-cli; echo "${COMPREPLY[*]}"' _ "$completion")
    [ "$completed" = "export" ] || fail "completion of 'zelkextract2-cli exp': '$completed'"
fi
echo "package $(basename "$deb") installs and runs"
