#!/usr/bin/env bash
# The installed program: this build installed into a temporary prefix, its desktop files
# checked by their validators where these are installed, the command line's answers without a
# display; then, with the prefix read-only and run by an ordinary user, the files named on the
# command line open, the options an administrator left beside the executable are read, the
# user's own are kept in the config folder across a restart, and a named file that is not a
# TGA says "Wrong format".
source "$(dirname "$0")/lib.sh"
xv_init "$@"
build=$(dirname "$(readlink -f "$1")")
prefix="$XV_TMP/prefix"
id=org.patchery.Patchery

xv_step "install"
cmake --install "$build" --prefix "$prefix" >"$XV_TMP/install.log" 2>&1 ||
    xv_fail "cmake --install: $(cat "$XV_TMP/install.log")"
XV_APP="$prefix/bin/patchery"
for size in 16 32 48 64 128 256; do
    icon="$prefix/share/icons/hicolor/${size}x$size/apps/$id.png"
    [ "$(identify -format '%m %wx%h' "$icon" 2>&1)" = "PNG ${size}x$size" ] ||
        xv_fail "$icon is not a ${size}x$size PNG: $(identify "$icon" 2>&1)"
done
entry="$prefix/share/applications/$id.desktop"
metainfo="$prefix/share/metainfo/$id.metainfo.xml"
manual="$prefix/share/man/man1/patchery.1"
[ -f "$metainfo" ] && [ -x "$XV_APP" ] || xv_fail "installed: $(cd "$prefix" && find . -type f)"
[ "$(groff -man -ww -z "$manual" 2>&1)" = "" ] || xv_fail "man page: $(groff -man -ww -z "$manual" 2>&1)"
if command -v desktop-file-validate >/dev/null && command -v appstreamcli >/dev/null; then
    out=$(desktop-file-validate "$entry" 2>&1) && [ -z "$out" ] || xv_fail "desktop entry: $out"
    out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || xv_fail "metainfo: $out"
else
    xv_log "skipped the validators: desktop-file-validate or appstreamcli is missing" \
        "(scripts/install-deps installs them)"
fi

xv_step "command line without a display"
run_bare() { env -u DISPLAY "$XV_APP" "$@" >"$XV_TMP/out" 2>"$XV_TMP/err"; }
run_bare --version && [ "$(cat "$XV_TMP/out")" = "Patchery 1.3" ] ||
    xv_fail "--version: $(cat "$XV_TMP/out" "$XV_TMP/err")"
run_bare --help && grep -q -- '--target <SHEET>' "$XV_TMP/out" ||
    xv_fail "--help: $(cat "$XV_TMP/out" "$XV_TMP/err")"
status=0
run_bare --bogus "$XV_TMP/files/x.tga" || status=$?
[ "$status" -eq 2 ] && grep -q "bogus" "$XV_TMP/err" && [ ! -s "$XV_TMP/out" ] ||
    xv_fail "an unknown option gave status $status: $(cat "$XV_TMP/out" "$XV_TMP/err")"

xv_step "a read-only prefix, run by an ordinary user"
home="$XV_TMP/home"
mkdir -p "$home"/{config,cache,runtime,tmp}
chmod 700 "$home/runtime"
if [ "$(id -u)" -eq 0 ]; then
    # Root may write anywhere: the program runs as nobody, the prefix stays root's.
    chown -R 65534:65534 "$home"
    chmod 755 "$XV_TMP" "$XV_TMP/files"
    XV_RUN_AS=(setpriv --reuid=65534 --regid=65534 --clear-groups)
else
    chmod -R a-w "$prefix"
fi
XV_RUN_AS+=(env HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_CACHE_HOME="$home/cache"
    XDG_RUNTIME_DIR="$home/runtime" TMPDIR="$home/tmp")
! "${XV_RUN_AS[@]}" test -w "$prefix/bin" || xv_fail "the user can write $prefix/bin"

f="$XV_TMP/files"
python3 "$XV_IMG" pattern "$f/source.tga" 512 1024 1
python3 "$XV_IMG" pattern "$f/target.tga" 256 768 2 --bottom-left
echo "not a picture" >"$f/notes.tga"
# Two programs to launch at start-up: the administrator's and the user's choice.
for who in admin user; do
    printf '#!/bin/sh\necho started > "%s"\n' "$home/$who-launched" >"$f/$who.sh"
    chmod 755 "$f/$who.sh"
done
[ -w "$prefix/bin" ] || chmod u+w "$prefix/bin"
printf ' 1 \r\n%s\r\n' "$f/admin.sh" >"$prefix/bin/opt.cfg"
[ "$(id -u)" -eq 0 ] || chmod a-w "$prefix/bin"
admin=$(od -An -c "$prefix/bin/opt.cfg")

xv_start_wm
xv_start_app --target "$f/target.tga" "$f/source.tga"
xv_expect_source "named source shown" "$f/source.tga" 0 0
xv_expect_target "named target shown" "$f/target.tga" 0 0
xv_wait_file "$home/admin-launched"

xv_step "Options...: Browse... to the user's program, OK, quit"
xv_file_menu options
dialog=$(xv_wait_dialog '^Options$')
read -r dx dy _ _ < <(xv_geometry "$dialog")
# The administrator's file ticked the box: Browse is enabled.
xv_click_screen $((dx + 239 + 27)) $((dy + 107 + 11))
xv_answer_file_dialog '^Select Executable\.\.\.$' "$f/user.sh"
xv_wait_dialog '^Options$' >/dev/null
xv_click_screen $((dx + 310 + 40)) $((dy + 140 + 12))
xv_wait_gone '^Options$'
xv_file_menu quit
xv_answer_quit yes
xv_wait_app_end
mine="$home/config/Patchery/opt.cfg"
expected=$(printf ' 1 \r\n%s\r\n' "$f/user.sh" | od -An -c)
[ -f "$mine" ] && [ "$(od -An -c "$mine")" = "$expected" ] || xv_fail "$mine: $(od -c "$mine")"
[ "$(od -An -c "$prefix/bin/opt.cfg")" = "$admin" ] || xv_fail "the administrator's file changed"

xv_step "restart: the user's options, and a named file that is not a TGA"
rm -f "$home/admin-launched"
xv_launch "$f/notes.tga"
xv_wait_dialog '^Patchery$' >/dev/null
xv_key Return
xv_wait_gone '^Patchery$'
xv_wait_file "$home/user-launched"
[ ! -e "$home/admin-launched" ] || xv_fail "the administrator's program was launched again"
back=$(xv_colour_at 500 200)
xv_expect_region "the source view stays blank" 0 20 256 477 --colour "$back"
xv_main_focus
xv_file_menu quit
xv_answer_quit yes
xv_wait_app_end
[ "$(id -u)" -eq 0 ] || chmod -R u+w "$prefix"
xv_log "passed"
