#!/usr/bin/env bash
# Start and quit in a real window under a window manager: the window and its client area, the
# first-run position, "Really Quit?" from the close box and from the menu (No keeps everything,
# Yes ends the program), the position and the options written at the end, and the private
# temporary folder of a save removed at exit. SIGTERM (and SIGQUIT, SIGUSR1, SIGUSR2) after a
# save, and SIGINT while "Really Quit?" asks, end the program in the same order without asking.
# With Resizable Window ticked, the window maximised on a 1920 x 1080 screen fits a 256 x 2048
# sheet whole near 50 %, presses landing on its first and last rows, and stays maximised.
source "$(dirname "$0")/lib.sh"
XV_SCREEN_W=1920
XV_SCREEN_H=1080
xv_init "$@"
xv_start_wm
xv_start_app

xv_step "window title and client area"
read -r _ _ inner_w inner_h < <(xv_geometry "$XV_WIN")
[ "$(xdotool getwindowname "$XV_WIN")" = "Patchery v1.3" ] || xv_fail "title is not Patchery v1.3"
[ "$inner_w" -eq 721 ] || xv_fail "client width $inner_w"
menu_h=$((inner_h - 512))
[ "$menu_h" -ge 15 ] || xv_fail "only $menu_h pixels above the 512 client rows: no menu bar"

xv_step "first-run position: outer frame at 1000, 1000 twips"
# 1000 twips are 66.7 pixels.
at_default() {
    read -r frame_x frame_y < <(xv_frame_position)
    [ "$frame_x" -ge 66 ] && [ "$frame_x" -le 67 ] && [ "$frame_y" -ge 66 ] && [ "$frame_y" -le 67 ]
}
xv_poll at_default || xv_fail "frame at $frame_x,$frame_y, not 66.7 px"
# The frame must really be there: a title bar above the inside.
read -r _ inner_y _ _ < <(xv_geometry "$XV_WIN")
[ "$inner_y" -gt "$frame_y" ] || xv_fail "no window-manager frame above the window"

xv_step "the empty target: one back colour over the whole target view"
back=$(xv_colour_at 500 200)
xv_expect_region "blank target view" 450 20 256 477 --colour "$back"

# The close box of the frame: openbox draws it at the right end of the title bar.
close_box() {
    local extents right top
    extents=$(xprop -id "$XV_WIN" _NET_FRAME_EXTENTS | sed -n 's/.*= *//p')
    right=$(echo "$extents" | cut -d, -f2 | tr -d ' ')
    top=$(echo "$extents" | cut -d, -f3 | tr -d ' ')
    read -r x y w _ < <(xv_geometry "$XV_WIN")
    echo "$((x + w + right - 10)) $((y - top + top / 2))"
}

settings="$XDG_CONFIG_HOME/Patchery/Patchery.conf"
options="$XV_TMP/app/opt.cfg"

xv_step "close box, Really Quit? No"
read -r bx by < <(close_box)
xv_click_screen "$bx" "$by"
xv_answer_quit no
xv_app_running || xv_fail "the program ended after No"
xdotool search --onlyvisible --name '^Patchery v1\.3$' >/dev/null || xv_fail "window gone after No"
[ ! -e "$settings" ] || xv_fail "No wrote the settings file"
[ ! -e "$options" ] || xv_fail "No wrote opt.cfg"

xv_step "File > Quit, Really Quit? No"
xv_file_menu quit
xv_answer_quit no
xv_app_running || xv_fail "the program ended after No"
[ ! -e "$settings" ] || xv_fail "No wrote the settings file"

xv_step "save the blank start-up sheet through the dialog"
xv_file_menu save
xv_answer_file_dialog '^Save tga\.\.\.$' "$XV_TMP/files/blank.tga"
xv_wait_file "$XV_TMP/files/blank.tga"
python3 "$XV_IMG" sheet "$XV_TMP/files/blank.tga" 256 2048 "$back" ||
    xv_fail "the blank sheet is not 256x2048 in the back colour"
temp_dirs=("$XV_TMP"/tmp/patchery-*)
[ -d "${temp_dirs[0]}" ] || xv_fail "the save made no private folder under TMPDIR"
[ "$(stat -c %a "${temp_dirs[0]}")" = 700 ] || xv_fail "the temporary folder is not private"

xv_step "drag the window by its title bar"
xv_drag_window 120 90
read -r frame_x frame_y < <(xv_frame_position)

xv_step "close box, Really Quit? Yes"
read -r bx by < <(close_box)
xv_click_screen "$bx" "$by"
xv_answer_quit yes
xv_wait_app_end

# The temporary folder gone, the frame's position (pixels) and the options written.
expect_shutdown_left() {
    [ ! -e "${temp_dirs[0]}" ] || xv_fail "the temporary folder ${temp_dirs[0]} is still there"
    xv_wait_file "$settings"
    grep -qx '\[Settings\]' "$settings" || xv_fail "no [Settings] group in $settings"
    grep -qx "MainLeft=$(($1 * 15))" "$settings" ||
        xv_fail "MainLeft is not $(($1 * 15)) twips: $(cat "$settings")"
    grep -qx "MainTop=$(($2 * 15))" "$settings" ||
        xv_fail "MainTop is not $(($2 * 15)) twips: $(cat "$settings")"
    [ "$(od -An -c "$options" | tr -s ' ')" = "$(printf ' 0 \r\n\r\n' | od -An -c | tr -s ' ')" ] ||
        xv_fail "opt.cfg is not ' 0 ' and an empty line: $(od -c "$options")"
}

# Sends a signal; the program must end by itself with status 128 + the signal's number.
end_by_signal() {
    kill -s "$1" "$XV_APP_PID"
    xv_poll xv_app_ended || xv_fail "patchery is still running after SIG$1"
    local status=0
    wait "$XV_APP_PID" || status=$?
    XV_APP_PID=""
    [ "$status" -eq $((128 + $(kill -l "$1"))) ] || xv_fail "SIG$1 ended patchery with $status"
}

xv_step "what the shutdown left"
expect_shutdown_left "$frame_x" "$frame_y"

rm -f "$settings" "$options"
xv_start_app
xv_step "second run: save once, then SIGTERM"
xv_file_menu save
xv_answer_file_dialog '^Save tga\.\.\.$' "$XV_TMP/files/again.tga"
xv_wait_file "$XV_TMP/files/again.tga"
temp_dirs=("$XV_TMP"/tmp/patchery-*)
[ -d "${temp_dirs[0]}" ] || xv_fail "the save made no private folder under TMPDIR"
read -r frame_x frame_y < <(xv_frame_position)
end_by_signal TERM
expect_shutdown_left "$frame_x" "$frame_y"

rm -f "$settings" "$options"
xv_start_app
xv_step "third run: SIGINT while Really Quit? asks"
xv_file_menu quit
xv_wait_dialog '^Patchery$' >/dev/null
end_by_signal INT
expect_shutdown_left "$frame_x" "$frame_y"

for signal in QUIT USR1 USR2; do
    rm -f "$settings" "$options"
    xv_start_app
    xv_step "SIG$signal after a save: ends as SIGTERM does"
    xv_file_menu save
    xv_answer_file_dialog '^Save tga\.\.\.$' "$XV_TMP/files/$signal.tga"
    xv_wait_file "$XV_TMP/files/$signal.tga"
    temp_dirs=("$XV_TMP"/tmp/patchery-*)
    [ -d "${temp_dirs[0]}" ] || xv_fail "the save made no private folder under TMPDIR"
    read -r frame_x frame_y < <(xv_frame_position)
    end_by_signal "$signal"
    expect_shutdown_left "$frame_x" "$frame_y"
done

xv_step "relative XDG folders are ignored: nothing is kept under the working folder"
home="$XV_TMP/home"
mkdir -p "$home"
XV_RUN_AS=(env HOME="$home" XDG_CONFIG_HOME=relcfg XDG_STATE_HOME=relstate XDG_CACHE_HOME=relcache)
xv_start_app
xv_key ctrl+q
xv_answer_quit yes
xv_wait_app_end
XV_RUN_AS=()
[ -f "$home/.config/Patchery/Patchery.conf" ] || xv_fail "no settings in ~/.config/Patchery"
left=$(ls -A "$XV_TMP/files" | grep '^rel' || true)
[ -z "$left" ] || xv_fail "written under the working folder: $left"
xv_step "Resizable Window, maximised on the 1920 x 1080 screen: Fit shows 256x2048 at nearly 50 %"
rm -rf "$XDG_STATE_HOME"
printf '[Settings]\nResizableWindow=1\n' >"$settings"
python3 "$XV_IMG" pattern "$XV_TMP/files/source.tga" 256 256 4
xv_start_app "$XV_TMP/files/source.tga"
read -r fx fy < <(xv_frame_position)
xdotool mousemove $((fx + 150)) $((fy + 8)) click --repeat 2 --delay 80 1 # the title bar
maximised() { read -r _ _ w _ < <(xv_geometry "$XV_WIN") && [ "$w" -eq 1920 ]; }
xv_poll maximised || xv_fail "a double click on the title bar did not maximise the window"
xv_grown "$menu_h"
[ "$XV_FIT" -ge 45 ] || xv_fail "Fit would show 256x2048 at $XV_FIT % only"
xv_press_rows_at_fit 0 31
xv_file_menu save
xv_answer_file_dialog '^Save tga\.\.\.$' "$XV_TMP/files/fit.tga"
xv_wait_file "$XV_TMP/files/fit.tga"
python3 "$XV_IMG" sheet "$XV_TMP/files/fit.tga" 256 2048 "$back" \
    --tga "$XV_TMP/files/source.tga" 0 0 0 0 --tga "$XV_TMP/files/source.tga" 0 0 0 1984 ||
    xv_fail "the presses at $XV_FIT % missed the first and the last row"
xv_key ctrl+q
xv_answer_quit yes
xv_wait_app_end
grep -qx 'MainMaximized=1' "$settings" || xv_fail "the maximised window was not remembered"
xv_log "passed"
