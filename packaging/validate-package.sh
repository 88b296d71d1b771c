#!/usr/bin/env bash
# validate-package.sh DEB [SAME-DEB-REBUILT]: the checks on a built package, without installing it:
# - lintian on the .deb, desktop-file-validate on its desktop entry, and appstreamcli validate
#   --pedantic on its AppStream metadata;
# - appstreamcli compose on the unpacked package, as a distribution's catalog builder runs it: the
#   catalog must hold the component, with no error or warning (a missing icon size is one);
# - the program's ELF carries Debian's default hardening (check-hardening.sh);
# - given a second package built from the same commit, the two are byte for byte the same.
# Prints every finding and fails on any error, warning or pedantic remark; informational notes pass.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
deb=$(realpath "$1")
again=${2:+$(realpath "$2")}
for tool in lintian desktop-file-validate appstreamcli dpkg-deb readelf; do
    command -v "$tool" >/dev/null || { echo "validate-package: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
tree=$scratch/tree
dpkg-deb -x "$deb" "$tree"
findings=0

echo "== lintian $(basename "$deb")"
lintian --display-info --fail-on error,warning "$deb" || findings=1

for entry in "$tree"/usr/share/applications/*.desktop; do
    echo "== desktop-file-validate ${entry#"$tree"}"
    remarks=$(desktop-file-validate "$entry" 2>&1) || findings=1
    [[ -z $remarks ]] || { echo "$remarks"; findings=1; }
done

components=()
for metainfo in "$tree"/usr/share/metainfo/*.xml; do
    echo "== appstreamcli validate --pedantic ${metainfo#"$tree"}"
    report=$(appstreamcli validate --pedantic --no-net "$metainfo" 2>&1) || findings=1
    echo "$report"
    ! grep -Eq '^[EWP]:' <<<"$report" || findings=1
    components+=("$(sed -n 's|.*<id>\(.*\)</id>.*|\1|p' "$metainfo" | head -n1)")
done

echo "== appstreamcli compose"
catalog=$scratch/catalog
report=$(appstreamcli compose --no-net --no-color --origin vantrel-local --print-report=full \
    --result-root="$catalog" --hints-dir="$scratch/hints" "$tree" 2>&1) || findings=1
echo "$report"
! grep -Eq '^ *[EW]: ' <<<"$report" || findings=1
xml=$(find "$catalog" -name 'vantrel-local.xml.gz' | head -n1)
if [[ -z $xml ]]; then
    echo "compose wrote no catalog"
    findings=1
else
    for id in "${components[@]}"; do
        zgrep -q "<id>$id</id>" "$xml" || { echo "the catalog lacks the component $id"; findings=1; }
    done
    zgrep -q '<icon type="cached"' "$xml" || { echo "the catalog has no cached icon"; findings=1; }
fi

echo "== hardening of /usr/lib/vantrel-local/vantrel-local"
bash "$here/check-hardening.sh" "$tree/usr/lib/vantrel-local/vantrel-local" || findings=1

if [[ -n $again ]]; then
    echo "== reproducible: $(basename "$deb") built twice"
    if cmp "$deb" "$again"; then
        echo "byte-identical"
    else
        findings=1
        # Say where they differ: the members' metadata, then the contents.
        dpkg-deb --fsys-tarfile "$deb" | tar -tv --full-time >"$scratch/first.list"
        dpkg-deb --fsys-tarfile "$again" | tar -tv --full-time >"$scratch/second.list"
        diff "$scratch/first.list" "$scratch/second.list" || true
        diff <(dpkg-deb -I "$deb") <(dpkg-deb -I "$again") || true
        dpkg-deb -x "$again" "$scratch/again"
        diff -r "$tree" "$scratch/again" || true
    fi
fi

((findings == 0)) && echo "validate-package: no errors or warnings" ||
    { echo "validate-package: FAIL: findings above" >&2; exit 1; }
