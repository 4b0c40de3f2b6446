#!/bin/bash
# The Debian package as a user gets it: built from this build tree, unpacked
# into a scratch root, its declared dependencies and contents checked (and
# linted by Debian's lintian when that is installed), and
# the unpacked tutor started offscreen for a user without settings, who must
# reach the lesson tree with no set-up of their own. A second start reads the
# settings the first one wrote; damaged settings stay damaged.
#   PackageInstallTest.sh BUILD_DIR
# Exit status 0 passed, 1 failed, 77 skipped (with the reason printed).
set -euo pipefail
BUILD=$(cd "$1" && pwd)

if [ -e /etc/xdg/Tonvale/TonvaleTutor.conf ]; then
    echo "SKIP: this machine has /etc/xdg/Tonvale/TonvaleTutor.conf, so no start is a first start"
    exit 77
fi
for tool in cpack dpkg-deb; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

SCRATCH=$(mktemp -d)
trap 'rm -rf "$SCRATCH"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

(cd "$BUILD" && cpack -G DEB -B "$SCRATCH/out" >"$SCRATCH/cpack.log" 2>&1) ||
    { cat "$SCRATCH/cpack.log"; echo "FAIL: cpack"; exit 1; }
DEB=$(ls "$SCRATCH"/out/*.deb)
echo "package: $(basename "$DEB")"

# Debian's own check of the package: no error, no warning (information
# tags are advice, not faults).
if command -v lintian >/dev/null; then
    lintian --tag-display-limit 0 "$DEB" >"$SCRATCH/lintian.txt" 2>&1 || true
    if grep -E "^[EW]: " "$SCRATCH/lintian.txt"; then
        fail "lintian reports errors or warnings"
    fi
else
    echo "lintian is not installed (Debian package lintian): the package was not linted"
fi

# Run-time dependencies, linked or loaded, and none that nothing needs.
DEPENDS=$(dpkg-deb -f "$DEB" Depends)
for package in libqt6core6 libqt6gui6 libqt6widgets6 libqt6multimedia6 libqt6sql6-sqlite \
    libsndfile1 libsoxr0 libarchive13; do
    grep -Eq "(^|[ ,])$package([ ,(]|$)" <<<"$DEPENDS" || fail "Depends lacks $package: $DEPENDS"
done
for package in qt6-qpa-plugins libfftw3-single3; do
    ! grep -Eq "(^|[ ,])$package([ ,(]|$)" <<<"$DEPENDS" || fail "Depends names $package: $DEPENDS"
done

ROOT="$SCRATCH/root"
dpkg-deb -x "$DEB" "$ROOT"
PREFIX="$ROOT/usr"
for file in bin/tonvale-tutor bin/tonvale-studio bin/tvtool \
    share/tonvale-tutor/content/Sounds/Tree.txt share/tonvale-tutor/content/Sounds/SentList.txt \
    share/tonvale-tutor/content/Help/TVTutor.hlp \
    share/applications/org.tonvale.TonvaleTutor.desktop \
    share/applications/org.tonvale.TonvaleStudio.desktop \
    share/applications/org.tonvale.TonvaleTutor.InstallCourse.desktop \
    share/mime/packages/tonvale-tutor.xml share/man/man1/tonvale-studio.1.gz \
    share/icons/hicolor/scalable/apps/org.tonvale.TonvaleTutor.svg \
    share/metainfo/org.tonvale.TonvaleTutor.metainfo.xml \
    share/man/man1/tonvale-tutor.1.gz share/man/man1/tvtool.1.gz share/man/man1/TVM.1.gz \
    share/doc/tonvale-tutor/copyright share/doc/tonvale-tutor/changelog.gz; do
    [ -s "$PREFIX/$file" ] || fail "the package lacks /usr/$file"
done
[ -d "$PREFIX/lib/tonvale-tutor/Bin" ] || fail "the package lacks /usr/lib/tonvale-tutor/Bin"
if [ -x "$BUILD/src/TVM" ]; then
    [ -x "$PREFIX/lib/tonvale-tutor/Bin/TVM" ] || fail "the package lacks the analyser"
fi
if [ -f "$BUILD/demo-pack/.built" ]; then
    # The spoken pack: every phrase present, readable and with a help topic.
    "$PREFIX/bin/tvtool" lint "$PREFIX/share/tonvale-tutor/content" ||
        fail "the installed demo content does not pass tvtool lint"
fi

# A course file is known by its name, and opened by the entry that installs it.
if command -v update-mime-database >/dev/null; then
    update-mime-database "$PREFIX/share/mime" >/dev/null 2>&1 ||
        fail "update-mime-database rejects the course file's type"
    grep -q "application/x-tonvale-course:\*\.tvcourse" "$PREFIX/share/mime/globs2" ||
        fail "no type for *.tvcourse: $(cat "$PREFIX/share/mime/globs2" 2>/dev/null)"
fi
grep -qx "MimeType=application/x-tonvale-course;" \
    "$PREFIX/share/applications/org.tonvale.TonvaleTutor.InstallCourse.desktop" ||
    fail "no desktop entry opens application/x-tonvale-course"

# Without a display (over ssh, from a script) what needs no window works.
no_display() {
    env -i PATH="$PATH" HOME="$SCRATCH/nodisplay" XDG_RUNTIME_DIR="$SCRATCH/runtime" \
        timeout 60 "$@" >"$SCRATCH/out.txt" 2>"$SCRATCH/err.txt"
}
mkdir -p "$SCRATCH/nodisplay" "$SCRATCH/runtime"
chmod 700 "$SCRATCH/runtime"
for program in tonvale-tutor tonvale-studio; do
    no_display "$PREFIX/bin/$program" --version || fail "$program --version: $(cat "$SCRATCH/err.txt")"
    grep -q "1.0" "$SCRATCH/out.txt" || fail "$program --version printed: $(cat "$SCRATCH/out.txt")"
    no_display "$PREFIX/bin/$program" --help || fail "$program --help: $(cat "$SCRATCH/err.txt")"
done
status=0
no_display "$PREFIX/bin/tonvale-tutor" --install-course "$SCRATCH/no such course.tvcourse" ||
    status=$?
[ "$status" -eq 1 ] ||
    fail "--install-course of a missing file without a display ended with $status: $(cat "$SCRATCH/err.txt")"

# A first start that cannot set up says why, not that the system's settings
# file is missing (which no reinstalling would mend).
printf 'not a folder\n' >"$SCRATCH/a file"
mkdir -p "$SCRATCH/blocked"
if env -i PATH="$PATH" HOME="$SCRATCH/blocked" XDG_DATA_HOME="$SCRATCH/a file/data" \
    XDG_RUNTIME_DIR="$SCRATCH/runtime" QT_QPA_PLATFORM=offscreen \
    timeout 60 "$PREFIX/bin/tonvale-tutor" --check-startup >"$SCRATCH/out.txt" 2>"$SCRATCH/err.txt"; then
    fail "a first start that could not set up reached the lesson tree"
fi
grep -q "Could not set up: cannot create $SCRATCH/a file/data/tonvale-tutor/Data" "$SCRATCH/err.txt" ||
    fail "a failed first start does not say why: $(cat "$SCRATCH/err.txt")"
! grep -q "does not exist" "$SCRATCH/err.txt" ||
    fail "a failed first start blames a missing settings file: $(cat "$SCRATCH/err.txt")"

# A user with nothing set up yet.
HOME_DIR="$SCRATCH/home"
mkdir -p "$HOME_DIR" "$SCRATCH/runtime"
chmod 700 "$SCRATCH/runtime"
start_tutor() {
    env -i PATH="$PATH" HOME="$HOME_DIR" XDG_DATA_HOME="$HOME_DIR/data" \
        XDG_RUNTIME_DIR="$SCRATCH/runtime" QT_QPA_PLATFORM=offscreen \
        timeout 60 "$PREFIX/bin/tonvale-tutor" --check-startup >"$SCRATCH/out.txt" 2>"$SCRATCH/err.txt"
}
SETTINGS="$HOME_DIR/.config/Tonvale/TonvaleTutor.conf"
INSTALL="$HOME_DIR/data/tonvale-tutor"

if start_tutor; then
    grep -q "lesson tree shown" "$SCRATCH/out.txt" || fail "first start: no word of the lesson tree"
else
    fail "first start did not reach the lesson tree: $(cat "$SCRATCH/err.txt")"
fi
[ -f "$SETTINGS" ] || { fail "first start wrote no settings file"; exit 1; }
[ -d "$INSTALL/Data" ] || fail "first start made no Data folder"
[ "$(readlink "$INSTALL/Bin")" = "$PREFIX/lib/tonvale-tutor/Bin" ] ||
    fail "Bin leads to '$(readlink "$INSTALL/Bin")', not the installed analyser folder"
grep -qx "InstallDir=$INSTALL" "$SETTINGS" || fail "settings: InstallDir: $(cat "$SETTINGS")"
grep -qx "InstallCDDrive1331=$PREFIX/share/tonvale-tutor/content" "$SETTINGS" ||
    fail "settings: InstallCDDrive1331: $(cat "$SETTINGS")"
[ "$failures" -eq 0 ] || exit 1

cp "$SETTINGS" "$SCRATCH/settings.first"
start_tutor || fail "second start did not reach the lesson tree: $(cat "$SCRATCH/err.txt")"
cmp -s "$SETTINGS" "$SCRATCH/settings.first" || fail "the second start changed the settings file"

# Another user, with nothing set up yet, installs a shared course: the
# demo pack with a manifest, zipped as the studio exports it.
COURSE_HOME="$SCRATCH/learner"
mkdir -p "$COURSE_HOME"
python3 - "$PREFIX/share/tonvale-tutor/content" "$SCRATCH/shared.tvcourse" "$SCRATCH/hostile.tvcourse" <<'PY'
import os, sys, zipfile
content, shared, hostile = sys.argv[1:4]
manifest = "Format=1\nTitle=Shared Demo\nAuthor=Package Test\nLanguage=en\nVersion=1\n"
with zipfile.ZipFile(shared, "w", zipfile.ZIP_DEFLATED) as archive:
    archive.writestr("Manifest.txt", manifest)
    for folder in ("Sounds", "Help"):
        for name in sorted(os.listdir(os.path.join(content, folder))):
            archive.write(os.path.join(content, folder, name), folder + "/" + name)
with zipfile.ZipFile(hostile, "w") as archive:
    archive.writestr("Manifest.txt", manifest)
    archive.writestr("Sounds/Tree.txt", "Root\r\n*A / 10\r\n")
    archive.writestr("../escaped.txt", "boo")
PY
learner() {
    env -i PATH="$PATH" HOME="$COURSE_HOME" XDG_DATA_HOME="$COURSE_HOME/data" \
        XDG_RUNTIME_DIR="$SCRATCH/runtime" QT_QPA_PLATFORM=offscreen \
        timeout 60 "$PREFIX/bin/tonvale-tutor" "$@" >"$SCRATCH/out.txt" 2>"$SCRATCH/err.txt"
}
COURSES="$COURSE_HOME/data/tonvale-tutor/Courses"
if learner --install-course "$SCRATCH/hostile.tvcourse"; then
    fail "a course archive with a path out of its folder was installed"
fi
[ -z "$(ls -A "$COURSES" 2>/dev/null)" ] || fail "a refused course left files: $(ls -A "$COURSES")"
[ ! -e "$COURSE_HOME/data/tonvale-tutor/escaped.txt" ] || fail "a refused course wrote outside"
learner --install-course "$SCRATCH/shared.tvcourse" ||
    fail "installing a shared course failed: $(cat "$SCRATCH/err.txt")"
[ -f "$COURSES/shared-demo/Sounds/Tree.txt" ] || fail "the shared course is not in $COURSES"
grep -qx "InstallCDDrive1331=$COURSES/shared-demo" "$COURSE_HOME/.config/Tonvale/TonvaleTutor.conf" ||
    fail "the settings do not name the course: $(cat "$COURSE_HOME/.config/Tonvale/TonvaleTutor.conf")"
if learner --check-startup; then
    grep -q "2 courses to choose from; the one used last is Shared Demo" "$SCRATCH/out.txt" ||
        fail "the course chooser: $(cat "$SCRATCH/out.txt")"
else
    fail "the learner's tutor did not reach the course's lesson tree: $(cat "$SCRATCH/err.txt")"
fi

printf '[InstallDir]\n[OrntVr]\n' >"$SETTINGS"
if start_tutor; then
    fail "damaged settings: the tutor reached the lesson tree"
fi
grep -q "the settings are damaged" "$SCRATCH/err.txt" ||
    fail "damaged settings: no damaged-settings message: $(cat "$SCRATCH/err.txt")"
[ "$(cat "$SETTINGS")" = "$(printf '[InstallDir]\n[OrntVr]')" ] ||
    fail "damaged settings were overwritten: $(cat "$SETTINGS")"

[ "$failures" -eq 0 ] || exit 1
echo "package installs and starts"
