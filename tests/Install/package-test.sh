#!/usr/bin/env bash
# Builds the Debian package from this build (CPack, as `make deb` does) and checks it as a user's
# machine would take it: the files are where Debian and fcitx5 look, the unpacked binary runs
# without LD_LIBRARY_PATH, the AppStream metadata validates, apt resolves its dependencies on
# this machine (simulated: nothing changes), and lintian finds no error or warning (the manual
# page's groff warnings among them). The desktop entry passes the validator: install-test.sh.
# Usage: package-test.sh BUILD_DIR VERSION
set -uo pipefail
build=$1 version=$2

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$build" && cpack -G DEB -B "$work/cpack" >"$work/cpack.log" 2>&1) ||
    { fail "cpack: $(cat "$work/cpack.log")"; exit 1; }
deb="$work/cpack/vocena_${version}_amd64.deb"
[ -f "$deb" ] || { fail "no $deb: $(ls "$work/cpack")"; exit 1; }

# The files, by the paths the package puts them at.
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/files"
while read -r path; do
    grep -qx "$path" "$work/files" || fail "$path is not in the package"
done <<ROWS
/usr/bin/vocena
/usr/lib/x86_64-linux-gnu/vocena/libsherpa-onnx-c-api.so
/usr/lib/x86_64-linux-gnu/vocena/libonnxruntime.so
/usr/share/applications/vocena.desktop
/usr/share/icons/hicolor/scalable/apps/vocena.svg
/usr/share/metainfo/com.vocena.Vocena.metainfo.xml
/usr/share/man/man1/vocena.1.gz
/usr/share/doc/vocena/copyright
/usr/share/doc/vocena/changelog.gz
ROWS
# The bridge, where this build has it, where the system's fcitx5 loads addons.
if [ -e "$build/fcitx5/lib/fcitx5/libvocenabridge.so" ]; then
    for path in /usr/lib/x86_64-linux-gnu/fcitx5/libvocenabridge.so /usr/share/fcitx5/addon/vocenabridge.conf; do
        grep -qx "$path" "$work/files" || fail "$path is not in the package"
    done
fi
stray=$(grep -v '^/usr/\(bin\|lib/x86_64-linux-gnu\|share\)/\|^/\(usr/\(lib/\)\?\)\?$' "$work/files")
[ -z "$stray" ] || fail "files outside /usr/bin, /usr/lib and /usr/share: $stray"

# Unpacked anywhere, the binary finds its libraries through its own RPATH.
dpkg-deb -x "$deb" "$work/root"
out=$(env -u LD_LIBRARY_PATH "$work/root/usr/bin/vocena" --version 2>&1)
[ "$out" = "vocena $version" ] || fail "the unpacked vocena --version says: $out"
# Installed through a staging folder, the desktop entry and the addon description still name the
# paths the package puts the binary and the module at.
grep -q '^Library=/usr/lib/x86_64-linux-gnu/fcitx5/libvocenabridge$' "$work/root/usr/share/fcitx5/addon/vocenabridge.conf" 2>/dev/null ||
    [ ! -e "$work/root/usr/share/fcitx5/addon/vocenabridge.conf" ] || fail "the addon description names another module"
grep -q '^Exec=/usr/bin/vocena$' "$work/root/usr/share/applications/vocena.desktop" || fail "the desktop entry does not start /usr/bin/vocena"

out=$(appstreamcli validate --no-net "$work/root/usr/share/metainfo/com.vocena.Vocena.metainfo.xml" 2>&1) ||
    fail "appstreamcli validate: $out"

# apt resolves what the package needs from this machine's sources, changing nothing.
out=$(apt-get install --simulate "$deb" 2>&1) || fail "apt-get install --simulate: $out"

out=$(lintian --no-tag-display-limit "$deb" 2>&1 | grep '^[EW]:')
[ -z "$out" ] || fail "lintian: $out"

[ "$failures" -eq 0 ] && echo "package-test: all checks passed"
exit $((failures > 0))
