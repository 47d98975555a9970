#!/usr/bin/env bash
# The installed program: this build installed into a temporary prefix, its files checked (every
# icon size with a transparent ground, the validators where installed); the desktop's view of
# it, built by the desktop's own tools: Patchery claims TGA images and its layouts only, and a
# layout is known by its name and its content after install and no longer after removal; its
# Debian package checked by lintian (where installed) and, as root where no Patchery is
# installed, installed on this system and purged again with the same checks through the
# package's triggers (MIME database, handlers, /etc/mailcap), nothing left behind; the command
# line without a display (and with one that cannot be opened); then, from the prefix made
# read-only and run by an ordinary user: the named files open, an administrator's opt.cfg is
# read where the installed man page says (an installed copy never takes options from its
# installation, which belongs to the package), Help > Patchery Handbook shows the README where
# the man page says it is, the user's options are kept in the config folder across a restart,
# and a named file that is not a TGA says "Wrong format"; run by root from the writable prefix,
# it still writes nothing there.
source "$(dirname "$0")/lib.sh"
xv_init "$@"
prefix="$XV_TMP/prefix" id=org.patchery.Patchery f="$XV_TMP/files" home="$XV_TMP/home"
build=$(dirname "$(readlink -f "$1")") man="$prefix/share/man/man1/patchery.1.gz"

xv_step "install"
cmake --install "$build" --prefix "$prefix" >"$XV_TMP/install.log" ||
    xv_fail "cmake --install failed"
XV_APP="$prefix/bin/patchery"
# Every size a desktop asks for, 22 and 24 included, with a transparent ground around an opaque
# middle; and the drawing they come from.
for n in 16 22 24 32 48 64 128 256 512; do
    icon="$prefix/share/icons/hicolor/${n}x$n/apps/$id.png"
    look=$(convert "$icon" -format '%m %wx%h %[fx:p{0,0}.a] %[fx:p{w/2,h/2}.a]' info: 2>&1) || look=missing
    [ "$look" = "PNG ${n}x$n 0 1" ] || xv_fail "$icon: $look, not a ${n}x$n PNG with a transparent ground"
done
grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/$id.svg" || xv_fail "no scalable icon"
out=$(zcat "$man" | groff -man -ww -z 2>&1) && [ -z "$out" ] || xv_fail "$out"
if command -v desktop-file-validate >/dev/null && command -v appstreamcli >/dev/null; then
    out=$(desktop-file-validate "$prefix/share/applications/$id.desktop" 2>&1) && [ -z "$out" ] &&
        out=$(appstreamcli validate --pedantic --no-net "$prefix/share/metainfo/$id.metainfo.xml" 2>&1) ||
        xv_fail "$out"
else
    xv_log "validators skipped: desktop-file-validate or appstreamcli missing (scripts/install-deps)"
fi

xv_step "the desktop's view of the prefix: the types claimed, the layout type"
# The handlers' table that desktops build from the entries, and the MIME database, both built by
# the desktop's own tools; then as the package's removal leaves them.
claims() { # the types a handlers' table gives Patchery, sorted, one line
    sed -n "s/^\([^=]*\)=.*\b$id\.desktop;.*/\1/p" "$1" 2>/dev/null | sort | tr '\n' ' '
}
wanted="application/x-patchery-layout image/x-tga "
update-desktop-database "$prefix/share/applications"
[ "$(claims "$prefix/share/applications/mimeinfo.cache")" = "$wanted" ] ||
    xv_fail "the desktop entry claims $(claims "$prefix/share/applications/mimeinfo.cache")"
provided=$(sed -n 's/.*<mediatype>\(.*\)<\/mediatype>.*/\1/p' \
    "$prefix/share/metainfo/$id.metainfo.xml" | sort | tr '\n' ' ')
[ "$provided" = "$wanted" ] || xv_fail "the metainfo provides $provided"
python3 "$XV_IMG" pattern "$f/walls.tga" 256 768 1
printf '{\n  "patchery": 1,\n  "size": [256, 1024]\n}\n' >"$f/walls.patchery"
printf '  {"patchery" : 1}' >"$f/unnamed-layout"
printf '{"size": [256, 1024], "patchery": 1}\n' >"$f/other.json"
types() { # the type of each file in f, as GLib reads the MIME database of these data folders
    local file
    for file in walls.tga walls.patchery unnamed-layout other.json; do
        XDG_DATA_DIRS="$1" XDG_DATA_HOME="$XV_TMP/no-data" gio info -a standard::content-type \
            "$f/$file" | sed -n 's/^ *standard::content-type: //p' | tr '\n' ' '
    done
}
mkdir -p "$prefix/share/mime/packages" # made by the package's type, if it brings one
update-mime-database "$prefix/share/mime"
known="image/x-tga application/x-patchery-layout application/x-patchery-layout application/json "
[ "$(types "$prefix/share:/usr/share")" = "$known" ] ||
    xv_fail "after install the files read as $(types "$prefix/share:/usr/share")"
xargs rm -f <"$build/install_manifest.txt"
update-mime-database "$prefix/share/mime"
update-desktop-database "$prefix/share/applications"
if [ -e /usr/share/mime/packages/$id.xml ]; then
    xv_log "removal from the prefix not checked: the system has the layout type of its own"
elif [[ "$(types "$prefix/share:/usr/share")" == *x-patchery-layout* ]]; then
    xv_fail "after removal the files read as $(types "$prefix/share:/usr/share")"
fi
[ -z "$(claims "$prefix/share/applications/mimeinfo.cache")" ] || xv_fail "claims left after removal"
cmake --install "$build" --prefix "$prefix" >"$XV_TMP/install.log" ||
    xv_fail "cmake --install failed again"

xv_step "the Debian package"
if command -v lintian >/dev/null; then
    cpack --config "$build/CPackConfig.cmake" -B "$XV_TMP/deb" >"$XV_TMP/cpack.log" 2>&1 ||
        xv_fail "cpack failed: $(cat "$XV_TMP/cpack.log")"
    out=$(TMPDIR="$XV_TMP" lintian --fail-on error,warning "$XV_TMP"/deb/*.deb 2>&1) ||
        xv_fail "lintian: $out"
else
    xv_log "lintian skipped: not installed (scripts/install-deps)"
fi

xv_step "the package installed on this system and removed again"
# Installing runs the triggers of shared-mime-info, desktop-file-utils and mailcap, as on a
# user's machine. Only as root, where no Patchery is installed already; one run at a time.
if [ "$(id -u)" -ne 0 ] || ! command -v lintian >/dev/null; then
    xv_log "not installed: needs root and the package"
elif dpkg-query -W -f='${Status}' patchery 2>/dev/null | grep -q installed; then
    xv_log "not installed: a Patchery package is installed already"
else
    exec 8>/tmp/patchery-package-scenario.lock
    flock -w 600 8 || xv_fail "another run keeps the package lock"
    dpkg -i "$XV_TMP"/deb/*.deb >"$XV_TMP/dpkg.log" 2>&1 || {
        dpkg --purge patchery >/dev/null 2>&1
        xv_fail "dpkg -i: $(cat "$XV_TMP/dpkg.log")"
    }
    dpkg -L patchery >"$XV_TMP/package-files"
    installed_types=$(types /usr/share) installed_claims=$(claims /usr/share/applications/mimeinfo.cache)
    mailcap_types=$(sed -n 's/^\([^;]*\);.*patchery.*/\1/p' /etc/mailcap 2>/dev/null | sort | tr '\n' ' ')
    dpkg --purge patchery >"$XV_TMP/dpkg.log" 2>&1 || xv_fail "dpkg --purge: $(cat "$XV_TMP/dpkg.log")"
    removed_types=$(types /usr/share)
    [ "$installed_types" = "$known" ] || xv_fail "installed, the files read as $installed_types"
    [ "$installed_claims" = "$wanted" ] || xv_fail "installed, the desktop entry claims $installed_claims"
    [ ! -e /etc/mailcap ] || [ "$mailcap_types" = "$wanted" ] ||
        xv_fail "installed, /etc/mailcap gives Patchery $mailcap_types"
    [[ "$removed_types" != *x-patchery-layout* ]] || xv_fail "removed, the files read as $removed_types"
    [ -z "$(claims /usr/share/applications/mimeinfo.cache)" ] || xv_fail "removed, claims are left"
    ! grep -q patchery /etc/mailcap 2>/dev/null || xv_fail "removed, /etc/mailcap names Patchery"
    while read -r file; do
        [ -d "$file" ] || [ ! -e "$file" ] || xv_fail "removed, $file is left"
    done <"$XV_TMP/package-files"
    [ ! -e /usr/share/doc/patchery ] || xv_fail "removed, /usr/share/doc/patchery is left"
    flock -u 8
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
# No Qt Wayland support here: a Wayland session without X is one line too.
if ! ls "$(qtpaths6 --plugin-dir 2>/dev/null || echo /nonexistent)"/platforms/libqwayland* >/dev/null 2>&1; then
    refused 'patchery: no display (DISPLAY is not set, and this Qt has no Wayland support for WAYLAND_DISPLAY)' \
        QT_QPA_PLATFORM= WAYLAND_DISPLAY=wayland-0
fi
# A display that takes the connection and never answers: one line within a few seconds.
silent=$(python3 -c 'import socket
for n in range(150, 400):
    s = socket.socket()
    try:
        s.bind(("127.0.0.1", 6000 + n)); print(n); break
    except OSError: pass')
python3 -c 'import socket, sys, time
s = socket.socket(); s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("127.0.0.1", 6000 + int(sys.argv[1]))); s.listen(4); print("ready", flush=True)
time.sleep(60)' "$silent" >"$XV_TMP/silent" &
silent_pid=$!
xv_poll grep -q ready "$XV_TMP/silent" || xv_fail "the silent display did not start"
started=$SECONDS
refused "patchery: cannot open the display \"127.0.0.1:$silent\": it does not answer" \
    DISPLAY="127.0.0.1:$silent"
[ $((SECONDS - started)) -le 10 ] || xv_fail "the silent display held patchery $((SECONDS - started)) s"
kill "$silent_pid"
wait "$silent_pid" 2>/dev/null || true
# --help and --version into a full or a closed output: a failed write is status 1.
for option in --help --version; do
    status=0
    env -u DISPLAY "$XV_APP" "$option" >/dev/full 2>"$XV_TMP/err" || status=$?
    [ "$status" -eq 1 ] && grep -q 'write error: No space left on device' "$XV_TMP/err" ||
        xv_fail "$option into /dev/full: status $status, $(cat "$XV_TMP/err")"
    status=0
    env -u DISPLAY "$XV_APP" "$option" >&- 2>"$XV_TMP/err" || status=$?
    [ "$status" -eq 1 ] || xv_fail "$option into a closed output: status $status"
done
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
# An RGB PNG patchery reads itself, without loading Qt's GUI library; the same pixels with an
# alpha channel are built by the window program it becomes: the same bytes either way.
python3 "$XV_IMG" png "$f/layout/a.png" 64 64 3
for kind in plain alpha; do
    [ "$kind" = plain ] || convert "$f/layout/a.png" -alpha opaque "PNG32:$f/layout/a.png"
    (cd "$f/layout" && LD_DEBUG=libs LD_DEBUG_OUTPUT="$XV_TMP/ld-$kind" bare --build l.patchery) ||
        xv_fail "--build of a $kind PNG: $(cat "$XV_TMP/err")"
    cp "$sheet" "$XV_TMP/sheet-$kind.tga"
done
cmp -s "$XV_TMP/sheet-plain.tga" "$XV_TMP/sheet-alpha.tga" ||
    xv_fail "a PNG with an alpha channel builds other bytes than the same pixels without"
! grep -q 'libQt6Gui' "$XV_TMP"/ld-plain.* && grep -q 'libQt6Gui' "$XV_TMP"/ld-alpha.* ||
    xv_fail "not read by patchery itself, or the other not by the window program"

xv_step "a read-only prefix, run by an ordinary user"
python3 "$XV_IMG" pattern "$f/source.tga" 512 1024 1
python3 "$XV_IMG" pattern "$f/target.tga" 256 768 2 --bottom-left
echo "not a picture" >"$f/notes.tga"
for who in admin user; do # programs launched at start-up, each leaving a mark
    printf '#!/bin/sh\necho started >"%s"\n' "$home/$who-launched" >"$f/$who.sh"
    chmod 755 "$f/$who.sh"
done
# The administrator's file and the handbook where the installed man page says they are: a page
# naming a file the program does not read fails the launch or the handbook's check below.
page=$(zcat "$man" | groff -man -Tutf8 -P-cbou 2>/dev/null)
admin_file=$(grep -o '\$XDG_CONFIG_DIRS/[^ )]*opt\.cfg' <<<"$page" | head -n1)
handbook=$(sed -n '/^SEE ALSO/,$p' <<<"$page" | grep -o '/usr/share/doc/[^ ]*\.md' | head -n1)
[ -n "$admin_file" ] && [ -n "$handbook" ] ||
    xv_fail "the man page names no administrator's file or no handbook"
admin_file="$XV_TMP/xdg/${admin_file#\$XDG_CONFIG_DIRS/}" handbook="$prefix/${handbook#/usr/}"
mkdir -p "$(dirname "$admin_file")" "$home"/{config,runtime,state} "$f/viewer"
printf ' 1 \r\n%s\r\n' "$f/admin.sh" >"$admin_file"
admin=$(od -c "$admin_file")
# The desktop's viewer, as Qt finds it on the PATH: it notes what it was asked to show.
printf '#!/bin/sh\nprintf "%%s" "$1" >"%s"\n' "$home/viewer-shown" >"$f/viewer/xdg-open"
chmod 755 "$f/viewer" "$f/viewer/xdg-open"
chmod 700 "$home/runtime"
if [ "$(id -u)" -eq 0 ]; then # root writes anywhere: run as nobody
    chown -R 65534:65534 "$home"
    chmod 755 "$XV_TMP" "$f"
    XV_RUN_AS=(setpriv --reuid=65534 --regid=65534 --clear-groups)
else
    chmod -R a-w "$prefix"
fi
XV_RUN_AS+=(env HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/runtime"
    XDG_STATE_HOME="$home/state" XDG_CONFIG_DIRS="$XV_TMP/xdg" PATH="$f/viewer:$PATH")
! "${XV_RUN_AS[@]}" test -w "$prefix/bin" || xv_fail "the user can write $prefix/bin"
xv_start_wm
xv_start_app --target "$f/target.tga" "$f/source.tga"
xv_expect_source "named source shown" "$f/source.tga" 0 0
xv_expect_target "named target shown" "$f/target.tga" 0 0
xv_wait_file "$home/admin-launched"

xv_step "Help > Patchery Handbook shows the installed README"
xv_key alt+h
xv_wait_popup
xv_key Return
xv_wait_file "$home/viewer-shown"
[ "$(cat "$home/viewer-shown")" = "file://$handbook" ] && [ -s "$handbook" ] ||
    xv_fail "the handbook shown: $(cat "$home/viewer-shown"), the man page's: $handbook"

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
[ "$(od -c "$admin_file")" = "$admin" ] || xv_fail "the administrator's file changed"

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
