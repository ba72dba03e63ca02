#!/bin/sh
# The Debian package built from this build tree: its name, its files, a valid
# desktop entry, and a dependency line computed from the binaries that names
# runtime libraries only.
set -eu
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "package: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1) || { cat "$out/cpack.log" >&2; fail "cpack failed"; }
arch=$(dpkg --print-architecture)
deb="$out/veltrano_3.16_$arch.deb"
[ -f "$deb" ] || fail "no $deb (have: $(ls "$out"))"

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for f in ./usr/bin/veltrano ./usr/bin/veltrano-cli ./usr/bin/veltrano-sim \
         ./usr/share/applications/org.veltrano.Veltrano.desktop \
         ./usr/share/metainfo/org.veltrano.Veltrano.metainfo.xml \
         ./usr/share/icons/hicolor/scalable/apps/veltrano.svg \
         ./usr/share/man/man1/veltrano.1.gz ./usr/share/man/man1/veltrano-cli.1.gz \
         ./usr/share/man/man1/veltrano-sim.1.gz; do
    echo "$contents" | grep -qx "$f" || fail "missing $f"
done

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6; do
    echo "$depends" | grep -q "$lib" || fail "Depends lacks $lib: $depends"
done
echo "$depends" | grep -q -- '-dev' && fail "Depends names a build package: $depends"

dpkg-deb -x "$deb" "$out/root"
desktop-file-validate "$out/root/usr/share/applications/org.veltrano.Veltrano.desktop" || fail "desktop entry"
gzip -t "$out/root/usr/share/man/man1/veltrano-cli.1.gz" || fail "man page"
"$out/root/usr/bin/veltrano-sim" --list-profiles | grep -q kanban || fail "packaged veltrano-sim does not run"
echo "package ok: $(basename "$deb"); Depends: $depends"
