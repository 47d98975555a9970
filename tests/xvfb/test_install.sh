#!/usr/bin/env bash
# The installed program: this build installed into a temporary prefix, its files checked (by
# the validators where installed), its Debian package checked by lintian (where installed), the
# command line without a display (and with one that cannot be opened); then, from the prefix made read-only and run by an ordinary
# user: the named files open, an administrator's opt.cfg in $XDG_CONFIG_DIRS is read (an
# installed copy never takes options from its installation, which belongs to the package), the
# user's options are kept in the config folder across a restart, and a named file that is not
# a TGA says "Wrong format"; run by root from the writable prefix, it still writes nothing there.
source "$(dirname "$0")/lib.sh"
xv_init "$@"
prefix="$XV_TMP/prefix" id=org.patchery.Patchery f="$XV_TMP/files" home="$XV_TMP/home"
build=$(dirname "$(readlink -f "$1")") man="$prefix/share/man/man1/patchery.1.gz"

xv_step "install"
cmake --install "$build" --prefix "$prefix" >"$XV_TMP/install.log" ||
    xv_fail "cmake --install failed"
XV_APP="$prefix/bin/patchery"
for n in 16 32 48 64 128 256; do
    icon="$prefix/share/icons/hicolor/${n}x$n/apps/$id.png"
    [ "$(identify -format '%m %wx%h' "$icon")" = "PNG ${n}x$n" ] || xv_fail "$icon is not ${n}x$n"
done
out=$(zcat "$man" | groff -man -ww -z 2>&1) && [ -z "$out" ] || xv_fail "$out"
if command -v desktop-file-validate >/dev/null && command -v appstreamcli >/dev/null; then
    out=$(desktop-file-validate "$prefix/share/applications/$id.desktop" 2>&1) && [ -z "$out" ] &&
        out=$(appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" 2>&1) ||
        xv_fail "$out"
else
    xv_log "validators skipped: desktop-file-validate or appstreamcli missing (scripts/install-deps)"
fi

xv_step "the Debian package"
if command -v lintian >/dev/null; then
    cpack --config "$build/CPackConfig.cmake" -B "$XV_TMP/deb" >"$XV_TMP/cpack.log" 2>&1 ||
        xv_fail "cpack failed: $(cat "$XV_TMP/cpack.log")"
    out=$(TMPDIR="$XV_TMP" lintian --fail-on error,warning "$XV_TMP"/deb/*.deb 2>&1) ||
        xv_fail "lintian: $out"
else
    xv_log "lintian skipped: not installed (scripts/install-deps)"
fi

xv_step "command line without a display"
bare() { env -u DISPLAY "$XV_APP" "$@" >"$XV_TMP/out" 2>"$XV_TMP/err"; }
bare --version && [ "$(cat "$XV_TMP/out")" = "Patchery 1.3" ] || xv_fail "--version"
version=$(cat "$XV_TMP/out")
zgrep -q "^\.TH PATCHERY 1 .* \"$version\" " "$man" &&
    grep -q "<release version=\"${version#* }\" " "$prefix/share/metainfo/$id.metainfo.xml" ||
    xv_fail "the man page or the metainfo is not of $version"
# No display, one that nobody serves, and a server that refuses: one line and status 1 each.
refused() { # the expected line, then the command's environment
    local line=$1 status=0
    shift
    env -u DISPLAY -u WAYLAND_DISPLAY "$@" "$XV_APP" >"$XV_TMP/out" 2>"$XV_TMP/err" || status=$?
    [ "$status" -eq 1 ] && [ "$(cat "$XV_TMP/err")" = "$line" ] && [ ! -s "$XV_TMP/out" ] ||
        xv_fail "without a display: status $status, $(cat "$XV_TMP/out" "$XV_TMP/err")"
}
refused 'patchery: no display (DISPLAY is not set)'
free=100
while [ -e "/tmp/.X11-unix/X$free" ] || [ -e "/tmp/.X$free-lock" ]; do free=$((free + 1)); done
refused "patchery: cannot open the display \":$free\"" DISPLAY=":$free"
xauth -q -f "$XV_TMP/cookies" add :0 . "$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')"
# The window manager's slot of the clean-up ends this server if a check fails.
Xvfb -displayfd 3 -auth "$XV_TMP/cookies" -nolisten tcp 3>"$XV_TMP/locked" 2>/dev/null &
XV_WM_PID=$!
xv_poll grep -q '^[0-9]' "$XV_TMP/locked" || xv_fail "the locked Xvfb did not start"
locked=":$(head -n1 "$XV_TMP/locked")"
refused "patchery: cannot open the display \"$locked\": Authorization required, but no authorization protocol specified" \
    DISPLAY="$locked" XAUTHORITY=/dev/null
bare --help && grep -q '^Usage: patchery' "$XV_TMP/out" || xv_fail "--help without a display"
kill "$XV_WM_PID"
wait "$XV_WM_PID" || true
XV_WM_PID=""
status=0
bare --bogus "$f/x.tga" || status=$?
[ "$status" -eq 2 ] && grep -q bogus "$XV_TMP/err" && [ ! -s "$XV_TMP/out" ] ||
    xv_fail "an unknown option: status $status, $(cat "$XV_TMP/out" "$XV_TMP/err")"
# A sheet built and checked from its layout without a display; a missing source writes nothing.
mkdir -p "$f/layout"
sheet="$f/layout/s.tga"
cells='"cells": [{"at": [1, 2], "blank": true}]'
printf '{"patchery": 1, "size": [256, 768], "sheet": "s.tga", %s}' "$cells" >"$f/layout/l.patchery"
(cd "$f/layout" && bare --build l.patchery) && [ "$(stat -c %s "$sheet")" = 589842 ] &&
    bare --check "$f/layout/l.patchery" || xv_fail "--build, --check: $(cat "$XV_TMP/err")"
cells='"sources": {"a": "a.png"}, "cells": [{"at": [1, 2], "from": "a", "cell": [0, 0]}]'
printf '{"patchery": 1, "size": [256, 256], "sheet": "s.tga", %s}' "$cells" >"$f/layout/l.patchery"
status=0
(cd "$f/layout" && bare --build l.patchery) || status=$?
[ "$status" -eq 1 ] && [ "$(stat -c %s "$sheet")" = 589842 ] && [ ! -s "$XV_TMP/out" ] &&
    [ "$(cat "$XV_TMP/err")" = "patchery: l.patchery: cell 1,2: a.png: No such file or directory" ] ||
    xv_fail "--build with a missing source: status $status, $(cat "$XV_TMP/err")"
status=0
bare --check "$f/layout/l.patchery" || status=$?
[ "$status" -eq 2 ] || xv_fail "--check of a layout that cannot be built: status $status"

xv_step "a read-only prefix, run by an ordinary user"
python3 "$XV_IMG" pattern "$f/source.tga" 512 1024 1
python3 "$XV_IMG" pattern "$f/target.tga" 256 768 2 --bottom-left
echo "not a picture" >"$f/notes.tga"
for who in admin user; do # programs launched at start-up, each leaving a mark
    printf '#!/bin/sh\necho started >"%s"\n' "$home/$who-launched" >"$f/$who.sh"
    chmod 755 "$f/$who.sh"
done
mkdir -p "$XV_TMP/xdg/Patchery" "$home"/{config,runtime,state}
printf ' 1 \r\n%s\r\n' "$f/admin.sh" >"$XV_TMP/xdg/Patchery/opt.cfg"
admin=$(od -c "$XV_TMP/xdg/Patchery/opt.cfg")
chmod 700 "$home/runtime"
if [ "$(id -u)" -eq 0 ]; then # root writes anywhere: run as nobody
    chown -R 65534:65534 "$home"
    chmod 755 "$XV_TMP" "$f"
    XV_RUN_AS=(setpriv --reuid=65534 --regid=65534 --clear-groups)
else
    chmod -R a-w "$prefix"
fi
XV_RUN_AS+=(env HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/runtime"
    XDG_STATE_HOME="$home/state" XDG_CONFIG_DIRS="$XV_TMP/xdg")
! "${XV_RUN_AS[@]}" test -w "$prefix/bin" || xv_fail "the user can write $prefix/bin"
xv_start_wm
xv_start_app --target "$f/target.tga" "$f/source.tga"
xv_expect_source "named source shown" "$f/source.tga" 0 0
xv_expect_target "named target shown" "$f/target.tga" 0 0
xv_wait_file "$home/admin-launched"

xv_step "Options...: Browse... (on, as the administrator's file says) to another program, OK"
xv_file_menu options
read -r dx dy _ _ < <(xv_geometry "$(xv_wait_dialog '^Options$')")
xv_click_screen $((dx + 239 + 27)) $((dy + 107 + 11))
xv_answer_file_dialog '^Select Executable\.\.\.$' "$f/user.sh"
xv_wait_dialog '^Options$' >/dev/null
xv_click_screen $((dx + 310 + 40)) $((dy + 140 + 12))
xv_file_menu quit
xv_answer_quit yes
xv_wait_app_end
[ "$(od -An -c "$home/config/Patchery/opt.cfg")" = "$(printf ' 1 \r\n%s\r\n' "$f/user.sh" | od -An -c)" ] ||
    xv_fail "the user's opt.cfg: $(od -c "$home/config/Patchery/opt.cfg")"
[ "$(od -c "$XV_TMP/xdg/Patchery/opt.cfg")" = "$admin" ] || xv_fail "the administrator's file changed"

rm -rf "$home/state/Patchery" # the opened target just quit, which the next start would offer
xv_step "restart: the user's program launched; a named file that is not a TGA"
rm "$home/admin-launched"
xv_launch "$f/notes.tga"
xv_wait_dialog '^Patchery$' >/dev/null
xv_key Return
xv_wait_gone '^Patchery$'
xv_wait_file "$home/user-launched"
[ ! -e "$home/admin-launched" ] || xv_fail "the administrator's program was launched again"
xv_expect_region "the source view stays blank" 0 20 256 477 --colour "$(xv_colour_at 500 200)"
xv_main_focus
xv_file_menu quit
xv_answer_quit yes
xv_wait_app_end
[ "$(id -u)" -eq 0 ] || chmod -R u+w "$prefix"

if [ "$(id -u)" -eq 0 ]; then
    xv_step "run by root, who may write into the prefix: the options go to root's config folder"
    XV_RUN_AS=(env HOME="$XV_TMP/root" XDG_CONFIG_HOME="$XV_TMP/root/config" XDG_CONFIG_DIRS="$XV_TMP/xdg")
    xv_start_app
    xv_file_menu quit
    xv_answer_quit yes
    xv_wait_app_end
    [ -s "$XV_TMP/root/config/Patchery/opt.cfg" ] || xv_fail "root's options were not written"
    [ -z "$(find "$prefix" -name opt.cfg)" ] || xv_fail "options written into $prefix"
fi
xv_log "passed"
