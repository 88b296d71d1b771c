#!/usr/bin/env bash
# validate-package.sh DEB: the three validators on a built package, without installing it: lintian
# on the .deb, desktop-file-validate on its desktop entry and appstreamcli on its AppStream metadata.
# Prints every finding. Fails on any lintian error or warning, any remark of desktop-file-validate
# (hints included) and any AppStream error or warning; informational notes are printed and pass.
set -euo pipefail

deb=$(realpath "$1")
for tool in lintian desktop-file-validate appstreamcli dpkg-deb; do
    command -v "$tool" >/dev/null || { echo "validate-package: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
done
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"
findings=0

echo "== lintian $(basename "$deb")"
lintian --display-info --fail-on error,warning "$deb" || findings=1

for entry in "$tree"/usr/share/applications/*.desktop; do
    echo "== desktop-file-validate ${entry#"$tree"}"
    remarks=$(desktop-file-validate "$entry" 2>&1) || findings=1
    [[ -z $remarks ]] || { echo "$remarks"; findings=1; }
done

for metainfo in "$tree"/usr/share/metainfo/*.xml; do
    echo "== appstreamcli validate ${metainfo#"$tree"}"
    report=$(appstreamcli validate --no-net "$metainfo" 2>&1) || findings=1
    echo "$report"
    ! grep -Eq '^[EW]:' <<<"$report" || findings=1
done

((findings == 0)) && echo "validate-package: no errors or warnings" ||
    { echo "validate-package: FAIL: findings above" >&2; exit 1; }
