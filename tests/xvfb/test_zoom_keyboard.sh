#!/usr/bin/env bash
# Zoom, grid and keyboard in a real window, then the same program at a doubled screen scale.
# Ctrl+wheel zooms the source to 400 % and the target to 200 % without smoothing or shifting
# a pixel; presses on the last and the first screen pixel of neighbouring cells act on each
# cell; the grid comes and goes; the arrows and Space or Return pick and stamp. At
# QT_SCALE_FACTOR=2 on a 1600 x 1200 screen a stored position that would put the window partly
# off the screen is moved in, and a press on a cell's last device column or row picks that cell;
# at 1.5 too. View > Resizable Window: unticked, the window cannot grow; ticked, it and its views
# grow to 1200 x 900 and presses at Fit's percentage land in their rows; unticked again, it is
# 721 x 512 once more.
source "$(dirname "$0")/lib.sh"
XV_SCREEN_W=1600
XV_SCREEN_H=1200
xv_init "$@"
xv_start_wm

f="$XV_TMP/files"
src="$f/source.tga"
python3 "$XV_IMG" pattern "$src" 512 1024 1
xv_start_app

back=$(xv_colour_at 500 200)
# The pointer off the views, so that no outline or coordinates cover what is checked.
park() {
    xv_measure
    xdotool mousemove $((XV_CX + 360)) $((XV_CY + 300))
}
# Ctrl+wheel up at a point of the client area: ctrl_wheel X Y NOTCHES.
ctrl_wheel() {
    xv_measure
    xdotool mousemove $((XV_CX + $1)) $((XV_CY + $2)) keydown ctrl \
        click --repeat "$3" --delay 150 4 keyup ctrl
}

xv_step "open the source"
xv_click 100 10
xv_answer_file_dialog '^Select tga\.\.\.$' "$src"
xv_expect_source "source shown" "$src" 0 0

xv_step "Ctrl+wheel twice at the source's top-left corner: 400 %, each pixel a 4 x 4 block"
ctrl_wheel 0 20 2
park
xv_expect_region "the source at 400 %" 0 20 256 477 --tga-zoomed "$src" 0 0 4

xv_step "at 400 %, the last screen row of cell 0,0 and the first of cell 0,64"
xv_click 255 275
park
xv_expect_tile "row 275 picks cell 0,0" "$src" 0 0
xv_click 0 276
park
xv_expect_tile "row 276 picks cell 0,64" "$src" 0 64

xv_step "the target at 200 %: screen column 577 stamps cell 0,0, column 578 cell 64,0"
ctrl_wheel 450 20 1
park
xv_click 577 30
park
xv_expect_region "cell 0,0 stamped" 452 22 124 124 --tga-zoomed "$src" 1 65 2
xv_expect_region "cell 64,0 still blank" 580 22 124 124 --colour "$back"
xv_click 578 30
park
xv_expect_region "cell 64,0 stamped" 580 22 124 124 --tga-zoomed "$src" 1 65 2

xv_step "Ctrl+G shows the grid on the cell lines, on the screen only; Ctrl+G again hides it"
xv_key ctrl+g
xv_poll test "$(xv_colour_at 578 300)" != "$back" || xv_fail "no grid line at column 578"
[ "$(xv_colour_at 577 300)" = "$back" ] || xv_fail "the grid covers column 577"
xv_key ctrl+g
xv_poll test "$(xv_colour_at 578 300)" = "$back" || xv_fail "the grid stayed"

xv_step "keyboard: Down and Return stamp below; Shift+Tab, Down, Space pick on the source"
xv_key Down Return
xv_expect_region "cell 64,64 stamped" 580 150 124 124 --tga-zoomed "$src" 1 65 2
xv_key shift+Tab Down space
xv_expect_tile "Space picks cell 0,128" "$src" 0 128
# Below the cell readout, which the keyboard cursor has moved to the top.
xv_expect_region "the source scrolled to show it" 4 48 248 188 --tga-zoomed "$src" 1 80 4

xv_step "keyboard: Tab, Right, Return stamp at 128,64, the target scrolled to show it"
xv_key Tab Right Return
xv_expect_region "cell 128,64 stamped" 580 150 124 124 --tga-zoomed "$src" 1 129 2

xv_step "quit"
xv_file_menu quit
xv_answer_quit yes
xv_wait_app_end

xv_step "Resizable Window unticked: asked to grow, the window stays 721 x 512"
rm -rf "$XDG_STATE_HOME" "$XDG_CONFIG_HOME/Patchery/Patchery.conf" # no zoom kept
xv_start_app "$src"
read -r _ _ _ inner_h < <(xv_geometry "$XV_WIN")
menu_h=$((inner_h - 512))
xdotool windowsize "$XV_WIN" 1200 900
sleep 0.5
xv_measure # fails unless still 721 x 512 below the menu bar
xv_choose_size 3 # 256x2048

xv_step "ticked (View > Resizable Window, its last item): grown to 1200 x 900, the views too"
xv_key alt+v
xv_wait_popup
xv_key Up Return
grown() { read -r _ _ w h < <(xv_geometry "$XV_WIN") && [ "$w" -eq 1200 ] && [ "$h" -eq 900 ]; }
xdotool windowsize "$XV_WIN" 1200 900
xv_poll grown || xv_fail "the ticked window did not grow to 1200 x 900: $(xv_geometry "$XV_WIN")"
xv_grown "$menu_h"
xv_expect_region "the source view grown" 0 20 495 $XV_GROWN_H --tga "$src" 0 0

xv_step "Fit ($XV_FIT %, between the steps): presses land in rows 5 and 12"
xv_press_rows_at_fit 5 12
xv_file_menu save
xv_answer_file_dialog '^Save tga\.\.\.$' "$f/fit.tga"
xv_wait_file "$f/fit.tga"
python3 "$XV_IMG" sheet "$f/fit.tga" 256 2048 "$back" --tga "$src" 0 0 0 320 \
    --tga "$src" 0 0 0 768 || xv_fail "the presses at $XV_FIT % missed rows 5 and 12"

xv_step "unticked again: back to 721 x 512"
xv_main_focus
xv_key alt+v
xv_wait_popup
xv_key Up Return
XV_CLIENT_W=721
XV_CLIENT_H=512
fixed() { read -r _ _ w h < <(xv_geometry "$XV_WIN") && [ "$w" -eq 721 ] && [ "$h" -eq $((512 + menu_h)) ]; }
xv_poll fixed || xv_fail "unticked, the window is $(xv_geometry "$XV_WIN")"
xv_file_menu quit
xv_answer_quit yes
xv_wait_app_end

xv_step "at scale 2: a stored position partly off the screen is moved in"
rm -rf "$XDG_STATE_HOME"
printf '[Settings]\nMainLeft=1500\nMainTop=4500\n' >"$XDG_CONFIG_HOME/Patchery/Patchery.conf"
export QT_SCALE_FACTOR=2
XV_CLIENT_W=1442
XV_CLIENT_H=1024
xv_start_app "$src"
read -r x y w h < <(xv_geometry "$XV_WIN")
extents=$(xprop -id "$XV_WIN" _NET_FRAME_EXTENTS | sed -n 's/.*= *//p' | tr -d ' ')
IFS=, read -r el er et eb <<<"${extents:-0,0,0,0}"
if [ $((x - el)) -lt 0 ] || [ $((y - et)) -lt 0 ] || [ $((x + w + er)) -gt 1600 ] ||
    [ $((y + h + eb)) -gt 1200 ]; then
    xv_fail "the window ($((w + el + er)) x $((h + et + eb)) at $((x - el)),$((y - et))) is not wholly on the screen"
fi

xv_step "at scale 2: device column 127 picks cell 0,0, column 128 cell 64,0; rows 167 and 168"
xv_expect_region "source shown, doubled" 0 40 512 400 --tga-zoomed "$src" 0 0 2
xv_click 127 45
xv_expect_region "the tile is cell 0,0" 658 90 128 128 --tga-zoomed "$src" 0 0 2
# The pick's frame on the cell's last device column, the outline on the next one, the image
# beyond: each one device pixel, none blurred.
image_at() { python3 -c "print('%02x%02x%02x' % (40, $2, $1))"; }
[ "$(xv_colour_at 127 100)" = ffffff ] || xv_fail "no frame on device column 127"
[ "$(xv_colour_at 128 101)" != "$(image_at 64 30)" ] || xv_fail "no outline at device column 128"
xv_expect_region "the image beyond the outline" 130 100 4 2 --tga-zoomed "$src" 65 30 2
xv_click 128 45
xv_expect_region "the tile is cell 64,0" 658 90 128 128 --tga-zoomed "$src" 64 0 2
xv_click 5 167
xv_expect_region "row 167 picks cell 0,0" 658 90 128 128 --tga-zoomed "$src" 0 0 2
xv_click 5 168
xv_expect_region "row 168 picks cell 0,64" 658 90 128 128 --tga-zoomed "$src" 0 64 2

xv_step "quit"
xv_file_menu quit
xv_answer_quit yes
xv_wait_app_end

xv_step "at scale 1.5: device column 95 picks cell 0,0, column 96 cell 64,0"
rm -rf "$XDG_STATE_HOME"
export QT_SCALE_FACTOR=1.5
XV_CLIENT_W=1082
XV_CLIENT_H=768
xv_start_app "$src"
# The tile view's device pixel 510,85 (of the client area) shows the tile's pixel 11,11.
xv_click 95 40
xv_poll test "$(xv_colour_at 510 85)" = "$(image_at 11 11)" || xv_fail "column 95 missed cell 0,0"
xv_click 96 40
xv_poll test "$(xv_colour_at 510 85)" = "$(image_at 75 11)" || xv_fail "column 96 missed cell 64,0"

xv_step "quit"
xv_file_menu quit
xv_answer_quit yes
xv_wait_app_end
xv_log "passed"
