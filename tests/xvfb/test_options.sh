#!/usr/bin/env bash
# The Options dialog in a real window: tick the box, browse to a small script (its path has
# blanks in it), OK, quit with Yes; opt.cfg beside the executable holds the values; the next
# start launches the script and puts the window back where it was moved to. A path written in
# Latin-1 under a UTF-8 locale is launched and written back byte for byte.
source "$(dirname "$0")/lib.sh"
xv_init "$@"
xv_start_wm

mkdir -p "$XV_TMP/files/my tools"
script="$XV_TMP/files/my tools/launch me.sh"
marker="$XV_TMP/files/launched"
printf '#!/bin/sh\necho "started with $# arguments" > "%s"\n' "$marker" >"$script"
chmod +x "$script"

xv_start_app

xv_step "File > Options..."
xv_file_menu options
dialog=$(xv_wait_dialog '^Options$')
# It opens at a fixed place: its client area at 184, 250 pixels on the screen.
dialog_placed() {
    read -r dx dy _ _ < <(xv_geometry "$dialog")
    [ "$dx $dy" = "184 250" ]
}
xv_poll dialog_placed || xv_fail "the Options dialog's client area is at $dx,$dy"

xv_step "tick Launch external application on start up"
xv_click_screen $((dx + 30)) $((dy + 93))

xv_step "Browse... to the script"
# Browse is enabled by the tick: its dialog opening shows that the tick took.
xv_click_screen $((dx + 239 + 27)) $((dy + 107 + 11))
xv_answer_file_dialog '^Select Executable\.\.\.$' "$script"

xv_step "OK"
xv_wait_dialog '^Options$' >/dev/null
xv_click_screen $((dx + 310 + 40)) $((dy + 140 + 12))
xv_wait_gone '^Options$'
[ ! -e "$marker" ] || xv_fail "the script ran before any restart"

xv_step "move the window, then File > Quit, Yes"
xv_drag_window 140 60
read -r frame_x frame_y < <(xv_frame_position)
xv_file_menu quit
xv_answer_quit yes
xv_wait_app_end

xv_step "opt.cfg beside the executable"
expected=$(printf ' 1 \r\n%s\r\n' "$script" | od -An -c)
[ "$(od -An -c "$XV_TMP/app/opt.cfg")" = "$expected" ] ||
    xv_fail "opt.cfg holds: $(od -c "$XV_TMP/app/opt.cfg")"
settings="$XDG_CONFIG_HOME/Patchery/Patchery.conf"
grep -qx "MainLeft=$((frame_x * 15))" "$settings" || xv_fail "MainLeft: $(cat "$settings")"
grep -qx "MainTop=$((frame_y * 15))" "$settings" ||
    xv_fail "settings do not hold the frame at $frame_x,$frame_y: $(cat "$settings")"

xv_step "restart: the script is launched, the window is where it was left"
xv_start_app
xv_wait_file "$marker"
[ "$(cat "$marker")" = "started with 0 arguments" ] ||
    xv_fail "the script was started as: $(cat "$marker")"
xv_poll xv_frame_at "$frame_x" "$frame_y" ||
    xv_fail "the window opened with its frame at $(xv_frame_position), not $frame_x $frame_y"

xv_step "quit again: the options are written back unchanged"
rm -f "$marker"
xv_file_menu quit
xv_answer_quit yes
xv_wait_app_end
[ "$(od -An -c "$XV_TMP/app/opt.cfg")" = "$expected" ] ||
    xv_fail "opt.cfg after the second run: $(od -c "$XV_TMP/app/opt.cfg")"

xv_step "a Latin-1 path under a UTF-8 locale: launched, and written back as it was"
latin="$XV_TMP/files/my tools/caf"$'\xe9'" launch.sh"
cp "$script" "$latin"
printf ' 1 \r\n%s\r\n' "$latin" >"$XV_TMP/app/opt.cfg"
expected=$(od -An -c "$XV_TMP/app/opt.cfg")
export LANG=C.UTF-8 LC_ALL=C.UTF-8
xv_start_app
xv_wait_file "$marker"
xv_file_menu quit
xv_answer_quit yes
xv_wait_app_end
[ "$(od -An -c "$XV_TMP/app/opt.cfg")" = "$expected" ] ||
    xv_fail "opt.cfg after the Latin-1 run: $(od -c "$XV_TMP/app/opt.cfg")"
xv_log "passed"
