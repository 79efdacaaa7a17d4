#!/bin/bash
# Builds the Debian package from a build tree, unpacks it into a scratch root and checks what a
# desktop installs: the programs, the menu entry, icon, AppStream metadata, manual pages, the
# Debian documents, the control fields; apt must be able to install it with its dependencies,
# and lintian, when present, must find no error.
# Usage: check_package.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/orb-package.XXXXXX")
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) ||
    fail "cpack: $(tail -n 20 "$work/cpack.log")"
debs=("$work"/out/orb-wizard_*.deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || fail "no single package in $(ls "$work/out")"
deb=${debs[0]}
root=$work/root
dpkg-deb -x "$deb" "$root"

for program in orb-wizard orb-probe; do
    [[ -x $root/usr/bin/$program ]] || fail "usr/bin/$program missing or not executable"
done
id=example.corvane.OrbWizard
for file in usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/$id.svg usr/share/man/man1/orb-wizard.1.gz \
    usr/share/man/man1/orb-probe.1.gz usr/share/doc/orb-wizard/copyright \
    usr/share/doc/orb-wizard/changelog.gz; do
    [[ -s $root/$file ]] || fail "$file missing"
done
# Nothing but /usr: no test programs, no simulator, no build paths.
extra=$(cd "$root" && find . -mindepth 1 -maxdepth 1 ! -name usr)
[[ -z $extra ]] || fail "outside /usr: $extra"
! dpkg-deb -c "$deb" | grep -qE 'orb-sim|_tests|bench_' || fail "test programs in the package"

grep -qx "Exec=orb-wizard" "$root/usr/share/applications/$id.desktop" ||
    fail "the menu entry does not start the wizard"
gzip -dc "$root/usr/share/man/man1/orb-probe.1.gz" | grep -q '^\.SH NAME' ||
    fail "the orb-probe manual page is not a manual page"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "menu entry invalid"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/$id.metainfo.xml" >"$work/as.log" 2>&1 ||
        appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" ||
        fail "AppStream metadata invalid"
fi

[[ $(dpkg-deb -f "$deb" Package) == orb-wizard ]] || fail "package name"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libcurl4 libssl3 qt6-qpa-plugins; do
    [[ $depends == *"$library"* ]] || fail "Depends lacks $library: $depends"
done
! readelf -S "$root/usr/bin/orb-wizard" | grep -q '\.symtab' || fail "the wizard is not stripped"

# What apt would do with it here: every dependency resolves (nothing is installed).
if command -v apt-get >/dev/null; then
    apt-get install --simulate --no-install-recommends "$deb" >"$work/apt.log" 2>&1 ||
        fail "apt cannot install it: $(tail -n 5 "$work/apt.log")"
    grep -q '^Inst orb-wizard' "$work/apt.log" || fail "apt would not install it: $(cat "$work/apt.log")"
fi

if command -v lintian >/dev/null; then
    status=0
    lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 || status=$?
    grep -v 'running with root privileges' "$work/lintian.log" >&2 || true
    [[ $status -eq 0 ]] || fail "lintian found errors"
fi
echo "package: $(basename "$deb") checked"
