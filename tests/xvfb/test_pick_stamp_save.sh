#!/usr/bin/env bash
# Picking and stamping in a real window, saved through the real dialog: tiles picked with the
# left, right and middle buttons, some with Ctrl held (Alt+press belongs to the window manager;
# on the target Ctrl and Shift pick and erase), with the source scrolled, stamped into a 256x1024 sheet chosen from the size list
# (with the target scrolled), saved, saved again over the file (the overwrite question, No
# then Yes), and under a name typed without an extension that exists as typed; a wheel over the
# unfocused size list changes nothing; then "Custom..." through the keyboard (Delete included)
# gives a 300x400 sheet saved at that size, which a target open and a size change that run out
# of memory leave exactly as it was.
# Presses after wheel turns land in the cell under the pointer, which is outlined on the screen
# (and the picked cell marked) but in no tile or saved file.
# Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z take back and redo a stamp, and Ctrl+Z the custom size (the
# sheet it restores saves byte for byte as before); Ctrl+Y then brings the custom size back.
# Every saved file is compared byte for byte with a sheet composed by the test from the source.
# The program runs under a file-size limit of 1,000,000 bytes, which those saves fit; a 256x2048
# sheet does not, and its save must fail with one message, leaving nothing behind.
source "$(dirname "$0")/lib.sh"
xv_init "$@"
xv_start_wm

# Out of memory: the sanitized build reserves terabytes of address space, so no address-space
# limit can be set on it; its allocator refuses each allocation over 8 MB instead, returning
# null as malloc does when memory is exhausted (and saying so in the program's output).
sanitized=$(grep -c __asan_init "$XV_TMP/app/patchery" || true)
export ASAN_OPTIONS="$ASAN_OPTIONS:allocator_may_return_null=1:max_allocation_size_mb=8"

f="$XV_TMP/files"
src="$f/source.tga"
python3 "$XV_IMG" pattern "$src" 512 1024 1
XV_RUN_AS=(prlimit --fsize=1000000 --)
xv_start_app

xv_step "the back colour of an empty target"
back=$(xv_colour_at 500 200)
xv_expect_region "blank target view" 450 20 256 477 --colour "$back"

xv_step "open the source"
xv_click 100 10
xv_answer_file_dialog '^Select tga\.\.\.$' "$src"
xv_expect_source "source shown" "$src" 0 0

xv_step "choose 256x1024 from the size list"
xv_choose_size 1
# The file-size limit stops the recovery file of the changed sheet too: said once, then the
# program goes on.
xv_wait_dialog '^Patchery$' >/dev/null
xv_key Return
xv_main_focus

stamps=()
# Expects the target cell at image (tx, ty), seen with the target scrolled to (ox, oy), to hold
# the source cell (sx, sy); records the stamp for the saved-file checks.
# Checked with the pointer off the views, where no stamp preview covers the cell, and put back.
expect_stamp() {
    local sx=$1 sy=$2 tx=$3 ty=$4 ox=$5 oy=$6 pointer
    pointer=$(xdotool getmouselocation | sed 's/x:\([0-9]*\) y:\([0-9]*\).*/\1 \2/')
    xv_park
    xv_expect_region "target cell $tx,$ty holds source cell $sx,$sy" \
        $((450 + tx - ox)) $((20 + ty - oy)) 64 64 --tga "$src" "$sx" "$sy"
    # shellcheck disable=SC2086 # x and y
    xdotool mousemove $pointer
    sleep 0.3 # the outline back under the pointer
    stamps+=(--tga "$src" "$sx" "$sy" "$tx" "$ty")
}

xv_step "left button: pick at image 70,10, stamp at target 10,10"
xv_click 70 30 1
xv_expect_tile "tile 64,0" "$src" 64 0
xv_click 460 30 1
expect_stamp 64 0 0 0 0 0

xv_step "right button: pick at image 200,150, stamp at target 100,200"
xv_click 200 170 3
xv_expect_tile "tile 192,128" "$src" 192 128
xv_click 550 220 3
expect_stamp 192 128 64 192 0 0

xv_step "scroll the source two pages down and one page right"
xv_click 263 400
xv_click 263 400
xv_click 200 504
# Below the last picked cell, 192,128, which is marked on the screen.
xv_expect_region "source scrolled to 64,128" 0 84 256 413 --tga "$src" 64 192

xv_step "middle button with Ctrl on the scrolled source: window 230,320 is image 294,428"
xv_click_with ctrl 230 320 2
xv_expect_tile "tile 256,384" "$src" 256 384

xv_step "middle button stamps at target 130,70 and again at 200,400"
xv_click 580 90 2
expect_stamp 256 384 128 64 0 0
xv_click 650 420 2
expect_stamp 256 384 192 384 0 0

xv_step "scroll the target four pages down and stamp at image 5,656"
for _ in 1 2 3 4; do xv_click 713 400; done
xv_click 200 60 1 # pick image 264,168 first: cell 256,128
xv_expect_tile "tile 256,128" "$src" 256 128
xv_click 455 420 1
expect_stamp 256 128 0 640 0 256

xv_step "the same tile twice into one cell changes nothing more"
xv_click 470 430 1
expect_stamp 256 128 0 640 0 256

xv_step "the wheel: a notch down on the source, a pick; two down on the target, a stamp"
xv_wheel 100 300 5 # source 64,176: window 100,300 is image 164,456
xv_click 100 300 1
xv_expect_tile "tile 128,448" "$src" 128 448
xv_wheel 600 300 5 2 # target 0,352: window 600,300 is image 150,632
xv_click 600 300 1
expect_stamp 128 448 128 576 0 352
ring=$(xv_colour_at 577 250)
[ "$ring" = 000000 ] || [ "$ring" = ffffff ] || xv_fail "no outline left of the cell: $ring"
[ "$(xv_colour_at 74 292)" = ffffff ] || xv_fail "the picked cell 128,448 is not marked"
xv_wheel 600 300 4 2
xv_wheel 100 300 4
xv_expect_source "source back at 64,128, above the pointer's cell" "$src" 64 128 256 250

xv_step "a wheel over the size list without the focus leaves the sheet's size"
xv_key Tab # the focus leaves the list it was chosen from
xv_measure
xdotool mousemove $((XV_CX + 361)) $((XV_CY + 240)) click --repeat 3 --delay 100 4

xv_step "save through the dialog"
out="$f/sheet.tga"
xv_file_menu save
xv_answer_file_dialog '^Save tga\.\.\.$' "$out"
xv_wait_file "$out"
python3 "$XV_IMG" sheet "$out" 256 1024 "$back" "${stamps[@]}" ||
    xv_fail "the saved sheet is not the stamped 256x1024 sheet"
saved_first=$(md5sum <"$out")

xv_step "Ctrl+Z takes back the last stamp; Ctrl+Y and Ctrl+Shift+Z stamp it again"
key_cell() { # the key, then what target cell X,Y (seen scrolled to 0,256) must show
    xv_main_focus
    xv_key "$1"
    xv_expect_region "after $1: target cell $2,$3" $((450 + $2)) $((20 + $3 - 256)) 64 64 "${@:4}"
}
key_cell ctrl+z 128 576 --colour "$back"
key_cell ctrl+y 128 576 --tga "$src" 128 448
key_cell ctrl+z 128 576 --colour "$back"
key_cell ctrl+shift+z 128 576 --tga "$src" 128 448

xv_step "one more stamp, save over the file: No keeps the old file"
xv_click 20 480 1 # image 84,588: cell 64,576
xv_expect_tile "tile 64,576" "$src" 64 576
xv_click 700 40 1 # target image 250,276
expect_stamp 64 576 192 256 0 256
xv_file_menu save
dialog=$(xv_enter_path '^Save tga\.\.\.$' "$out")
xv_wait_dialog '^Save tga\.\.\.$' "$dialog" >/dev/null
xv_key alt+n
# Back in the file dialog: cancel it; a cancelled save says nothing.
xv_wait_focus "$dialog"
xv_key Escape
xv_wait_gone '^Save tga\.\.\.$'
[ "$(md5sum <"$out")" = "$saved_first" ] || xv_fail "the file changed after No"

xv_step "save over the file again: Yes replaces it"
xv_file_menu save
dialog=$(xv_enter_path '^Save tga\.\.\.$' "$out")
xv_wait_dialog '^Save tga\.\.\.$' "$dialog" >/dev/null
xv_key alt+y
xv_wait_gone '^Save tga\.\.\.$'
sheet_now() {
    python3 "$XV_IMG" sheet "$out" 256 1024 "$back" "${stamps[@]}" 2>"$XV_TMP/last-check.txt"
}
xv_poll sheet_now || xv_fail "the replaced sheet: $(cat "$XV_TMP/last-check.txt")"

xv_step "a name typed without an extension that exists: asked, and saved under that name"
printf 'old\n' >"$f/copy"
xv_click 360 10 # the window takes the focus back from the closed dialog
xv_file_menu save
dialog=$(xv_enter_path '^Save tga\.\.\.$' "$f/copy")
xv_wait_dialog '^Save tga\.\.\.$' "$dialog" >/dev/null
xv_key alt+y
xv_wait_gone '^Save tga\.\.\.$'
xv_poll cmp -s "$f/copy" "$out" || xv_fail "the typed name does not hold the sheet"

xv_step "Custom... through the keyboard: 300 x 400"
xv_choose_size 4
xv_wait_dialog '^Target Image Size$' >/dev/null
# The focus starts on OK; Tab goes to Cancel, then to the width box, then the height box.
# Letters and signs are dropped: only the digits reach the boxes. Delete (which carries the
# character 0x7F under X11) deletes.
xv_key Tab Tab
xv_type "93a0-0"
xv_key Home Delete
xv_key Tab
xv_type "4x00"
xv_key Tab space
xv_wait_gone '^Target Image Size$'

xv_step "Ctrl+Z takes back the custom size: the 256x1024 sheet, scrolled as before, saves as before"
key_cell ctrl+z 0 640 --tga "$src" 256 128
xv_file_menu save
xv_answer_file_dialog '^Save tga\.\.\.$' "$f/undone.tga"
xv_wait_file "$f/undone.tga"
cmp -s "$f/undone.tga" "$out" || xv_fail "the sheet after undo is not the one saved before"

xv_step "Ctrl+Y brings the 300x400 sheet back, scrolled to its top"
xv_key ctrl+y
xv_expect_region "target cell 0,0" 450 20 64 64 --tga "$src" 64 0
xv_expect_region "no stamps right of it" 514 20 192 64 --colour "$back"

xv_step "stamp into the partial last column: scroll the target right to its end"
xv_click 650 504 # targetHorizontalBar page right: its range is 0..44
xv_click 100 192 1 # pick image 164,300 (source scrolled 64,128): cell 128,256
xv_expect_tile "tile 128,256" "$src" 128 256
xv_click 700 100 1 # target image 294,80 (scrolled 44,0): cell 256,64, cut to 44 columns
xv_park
xv_expect_region "partial cell 256,64" $((450 + 256 - 44)) $((20 + 64)) 44 64 --tga "$src" 128 256
stamps+=(--tga "$src" 128 256 256 64)

xv_step "save the custom sheet"
custom="$f/custom.tga"
xv_file_menu save
xv_answer_file_dialog '^Save tga\.\.\.$' "$custom"
xv_wait_file "$custom"
python3 "$XV_IMG" sheet "$custom" 300 400 "$back" "${stamps[@]}" ||
    xv_fail "the saved custom sheet is not the 300x400 sheet"

# The target's side of the window (caption, view, bars) stays as it was.
target_side() {
    xv_measure
    import -window root -crop "271x512+$((XV_CX + 450))+$XV_CY" -depth 8 "ppm:$1" 2>/dev/null
}
side_unchanged() {
    target_side "$XV_TMP/now.ppm" && cmp -s "$XV_TMP/before.ppm" "$XV_TMP/now.ppm"
}
answer_message_side_unchanged() {
    xv_wait_dialog '^Patchery$' >/dev/null
    xv_key Return
    xv_wait_gone '^Patchery$'
    xv_poll side_unchanged || xv_fail "the target's side of the window changed"
}

if [ "$sanitized" -gt 0 ]; then
    xv_step "out of memory: an open of a target too large to draw"
    python3 "$XV_IMG" pattern "$f/huge.tga" 1024 2200 7 # 6.8 MB of pixels, 9 MB drawn
    target_side "$XV_TMP/before.ppm"
    xv_file_menu open-target
    xv_answer_file_dialog '^Select tga\.\.\.$' "$f/huge.tga"
    answer_message_side_unchanged

    xv_step "out of memory: Custom... 2000 x 2000"
    xv_choose_size 4
    xv_wait_dialog '^Target Image Size$' >/dev/null
    xv_key Tab Tab
    xv_type "2000"
    xv_key Tab
    xv_type "2000"
    xv_key Tab space
    answer_message_side_unchanged
    [ "$(grep -c 'AddressSanitizer failed to allocate' "$XV_TMP/patchery.log")" -ge 2 ] ||
        xv_fail "memory did not run out twice"

    xv_step "the sheet saved after memory ran out is the one before"
    xv_file_menu save
    xv_answer_file_dialog '^Save tga\.\.\.$' "$f/after.tga"
    xv_wait_file "$f/after.tga"
    cmp -s "$f/after.tga" "$custom" || xv_fail "the sheet changed"
else
    xv_log "out of memory not tried: not a sanitized build"
fi

xv_step "a 256x2048 sheet past the file-size limit: one message, the program goes on"
xv_choose_size 3
big="$f/big.tga"
xv_file_menu save
xv_answer_file_dialog '^Save tga\.\.\.$' "$big"
xv_wait_dialog '^Patchery$' >/dev/null
xv_key Return
xv_wait_gone '^Patchery$'
xv_main_focus
xv_window_gone '^Patchery$' || xv_fail "a second message followed the first"
[ ! -e "$big" ] || xv_fail "$big was written"
left=$(find "$XV_TMP/tmp" "$f" -name temp000.bmp -o -name '.patchery-save-*')
[ -z "$left" ] || xv_fail "the failed save left: $left"

xv_step "quit"
xv_file_menu quit
xv_answer_quit yes
xv_wait_app_end
xv_log "passed"
