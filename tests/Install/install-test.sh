#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the installed tree as a user's desktop
# would use it: the desktop entry is valid and its commands reach the installed binary, and the
# binary finds its sherpa-onnx libraries through its own RPATH (no LD_LIBRARY_PATH), also after
# the whole prefix has moved elsewhere. (Which files the install puts where: package-test.sh.)
# Usage: install-test.sh CMAKE BUILD_DIR PRIVATE_LIBDIR VERSION
# Run inside a private session bus (dbus-run-session) on which no app runs.
set -uo pipefail
cmake=$1 build=$2 libdir=$3 version=$4

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Reserved characters of desktop-entry Exec values in the prefix: the entry must quote them.
prefix="$work/pre fix \$x 50%"
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
    { fail "cmake --install: $(cat "$work/install.log")"; exit 1; }

# The installed desktop entry (the source's with each Exec naming the installed binary) passes the
# validator.
desktop="$prefix/share/applications/vocena.desktop"
out=$(desktop-file-validate "$desktop" 2>&1)
[ $? -eq 0 ] && [ -z "$out" ] || fail "desktop-file-validate: $out"

# Every Exec line, unescaped as a launcher does (the string escapes, then the quoting, which is
# that of a shell's double quotes), names the installed binary. The actions' commands exist and
# reach the bus: with no app running they exit 1 saying so (an unknown command would exit 2).
execs=$(grep -c '^Exec=' "$desktop")
[ "$execs" -ge 3 ] || fail "expected the main Exec and two actions, found $execs Exec lines"
while IFS= read -r line; do
    value=${line#Exec=}
    value=${value//\\\\/\\}
    value=${value//%%/%}
    eval "argv=($value)"
    [ "${argv[0]}" = "$prefix/bin/vocena" ] || { fail "Exec=$value starts ${argv[0]}"; continue; }
    [ "${#argv[@]}" -gt 1 ] || continue  # the app itself
    out=$(env -u LD_LIBRARY_PATH "${argv[@]}" 2>&1)
    rc=$?
    [ "$rc" -eq 1 ] && [[ "$out" == *澄言未运行* ]] || fail "Exec=$value with no app: exit $rc, output: $out"
done < <(grep '^Exec=' "$desktop")

# The fcitx5 bridge, when this build has it: a stock fcitx5 that reads addon descriptions from the
# prefix (as it reads ~/.local/share) loads the installed module, found by the path the
# description names. Only the bus is asked whether fcitx5 is up: a call before it owns its name
# would start another fcitx5 through D-Bus activation.
if [ -e "$build/fcitx5/lib/fcitx5/libvocenabridge.so" ]; then
    has_owner() {
        gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus \
            -m org.freedesktop.DBus.NameHasOwner org.fcitx.Fcitx5 2>/dev/null | grep -q true
    }
    HOME="$work" XDG_CONFIG_HOME="$work/fcitx5-config" FCITX_DATA_DIRS="$prefix/share/fcitx5" \
        fcitx5 --disable=all --enable=dbus,dbusfrontend,keyboard,vocenabridge >"$work/fcitx5.log" 2>&1 &
    fcitx5=$!
    for _ in $(seq 100); do has_owner && break; kill -0 "$fcitx5" 2>/dev/null || break; sleep 0.1; done
    if has_owner; then
        out=$(gdbus call --session -d org.fcitx.Fcitx5 -o /com/vocena/Fcitx5Bridge -m com.vocena.Fcitx5Bridge1.Version 2>&1)
        [ "$out" = "(uint32 1,)" ] || fail "the installed fcitx5 bridge does not answer: $out; $(grep -i vocena "$work/fcitx5.log")"
    else
        fail "fcitx5 did not start: $(cat "$work/fcitx5.log")"
    fi
    kill "$fcitx5" 2>/dev/null && wait "$fcitx5" 2>/dev/null
fi

# The binary runs from wherever the prefix moves, with the sherpa-onnx libraries resolved from
# there.
moved="$work/moved elsewhere"
mv "$prefix" "$moved"
out=$(env -u LD_LIBRARY_PATH "$moved/bin/vocena" --version 2>&1) || fail "vocena --version after a move: $out"
[[ "$out" == *"$version"* ]] || fail "--version prints '$out', not $version"
deps=$(env -u LD_LIBRARY_PATH ldd "$moved/bin/vocena")
for lib in libsherpa-onnx-c-api.so libonnxruntime.so; do
    resolved=$(sed -n "s|^[[:space:]]*$lib => \(.*\) (0x[0-9a-f]*)\$|\1|p" <<<"$deps")
    expected=$(realpath -m "$moved/$libdir/$lib")
    [ -n "$resolved" ] && [ "$(realpath -m "$resolved")" = "$expected" ] || fail "$lib resolves to '$resolved', not $moved/$libdir/$lib"
done
! grep -q 'not found' <<<"$deps" || fail "unresolved libraries: $(grep 'not found' <<<"$deps")"

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
echo "install checks passed"
