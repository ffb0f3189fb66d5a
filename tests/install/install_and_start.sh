#!/usr/bin/env bash
# Installs the build into a scratch prefix, checks what lands where, and starts the installed
# program the way the desktop menu does (the Exec line of its .desktop entry) on a virtual X
# display: within the wait it must show its login window, and stay up.
#   install_and_start.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/scrollkin-install-XXXXXX")
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || {
    cat "$work/install.log"
    fail "cmake --install failed"
}
for f in bin/scrollkin bin/scrollkin-admin bin/scrollkin-extract \
    lib/scrollkin/scrollkin-extract-pdf.so lib/scrollkin/scrollkin-extract-ocr.so \
    share/applications/scrollkin.desktop \
    share/icons/hicolor/scalable/apps/scrollkin.svg \
    share/icons/hicolor/48x48/apps/scrollkin.png \
    share/icons/hicolor/256x256/apps/scrollkin.png \
    share/scrollkin/schema/mssql.sql share/scrollkin/schema/sqlite.sql \
    share/doc/scrollkin/sql-server.md; do
    [ -s "$prefix/$f" ] || fail "the install lacks $f"
done
for size in 48 256; do
    [ "$(file -b "$prefix/share/icons/hicolor/${size}x$size/apps/scrollkin.png" | cut -d, -f1-2)" = \
        "PNG image data, $size x $size" ] || fail "the ${size}x$size icon is no PNG of that size"
done

desktop=$prefix/share/applications/scrollkin.desktop
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "the desktop entry does not validate"
fi
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ "$icon" = scrollkin ] || fail "the desktop entry names icon '$icon'"

# A user of their own: no settings, runtime folder or lock of anyone else's.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
export XDG_CACHE_HOME=$work/home/.cache XDG_RUNTIME_DIR=$work/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
export PATH="$prefix/bin:$PATH"
[ "$(command -v "${exec_line%% *}")" = "$prefix/bin/scrollkin" ] ||
    fail "the desktop entry's Exec '$exec_line' does not start the installed program"

# The installed tool works on its own too.
scrollkin-admin init "Provider=SQLite;Data Source=$work/library.db" >/dev/null ||
    fail "the installed scrollkin-admin could not create a library"
# So does the extractor, and it finds its PDF and OCR modules where they were installed.
printf 'installed extractor' >"$work/words.txt"
[ "$(scrollkin-extract "$work/words.txt")" = "installed extractor" ] ||
    fail "the installed scrollkin-extract did not read a text file"
scrollkin-extract --version | grep -q '^libzip .*, poppler .*, tesseract ' ||
    fail "the installed scrollkin-extract lacks a module: $(scrollkin-extract --version)"

# Start on a display of our own (xcb, as on a desktop) and wait for the login window.
unset QT_QPA_PLATFORM
cat >"$work/start.sh" <<'INNER'
#!/usr/bin/env bash
set -u
$1 >"$2/program.log" 2>&1 &
pid=$!
for _ in $(seq 1 60); do
    sleep 0.5
    kill -0 $pid 2>/dev/null || { echo "the program ended early:"; cat "$2/program.log"; exit 1; }
    if title=$(xwininfo -root -tree 2>/dev/null | grep -o '"Datebase Login"'); then
        sleep 2 # and it stays up
        kill -0 $pid 2>/dev/null || { echo "the program ended after showing its login"; exit 1; }
        echo "shown: $title"
        kill $pid
        wait $pid 2>/dev/null
        exit 0
    fi
done
echo "no login window within 30 s; windows:"
xwininfo -root -tree | head -40
kill $pid
exit 1
INNER
chmod +x "$work/start.sh"
timeout 120 xvfb-run -a -s "-screen 0 1280x1024x24" "$work/start.sh" "$exec_line" "$work" ||
    fail "the installed program did not show its login window"
echo "installed into $prefix and started: the login window showed"
