#!/bin/bash
# The files the desktop reads about the tutor, checked by the desktop's own
# validators; any warning fails.
#   ValidateInstalledFiles.sh desktop FILE.desktop
#   ValidateInstalledFiles.sh appstream FILE.metainfo.xml
#   ValidateInstalledFiles.sh man PAGE.1...
# Exit status 0 passed, 1 failed, 77 skipped (the validator is not installed).
set -uo pipefail
kind=$1
shift
require() {
    command -v "$1" >/dev/null || { echo "SKIP: $1 is not installed (Debian package $2)"; exit 77; }
}
case "$kind" in
desktop)
    require desktop-file-validate desktop-file-utils
    output=$(desktop-file-validate "$@" 2>&1)
    status=$?
    ;;
appstream)
    require appstreamcli appstream
    output=$(appstreamcli validate --no-net "$@" 2>&1)
    status=$?
    ;;
man)
    require groff groff-base
    output=$(for page in "$@"; do LC_ALL=C.UTF-8 groff -man -Tutf8 -ww -z "$page"; done 2>&1)
    status=$?
    ;;
*)
    echo "unknown kind $kind"
    exit 1
    ;;
esac
echo "$output"
if [ "$status" -ne 0 ] || grep -Eqi "(error|warning)" <<<"$output"; then
    exit 1
fi
