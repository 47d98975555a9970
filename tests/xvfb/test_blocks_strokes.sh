#!/usr/bin/env bash
# Stamping more at once in a real window: a block picked with a drag on the source (right to
# left, bottom to top) and stamped whole; a drag stroke on the target that jumps several cells
# in one move; a horizontally flipped tile; a block picked from the sheet with Ctrl held (which
# stamps nothing and takes the source's frame away); cells erased with Shift held. Each is
# taken back by one Ctrl+Z; the sheet left is saved and compared byte for byte. Then layouts:
# Save Layout As... names the stroke's cells; the source replaced on disk by a rename reloads in
# the view and stamps those cells again, one Ctrl+Z taking that back; Ctrl+S writes the sheet
# that --check accepts and --build, without a display, writes byte for byte; a deleted source
# is said once and keeps its last pixels.
source "$(dirname "$0")/lib.sh"
xv_init "$@"
xv_start_wm

f="$XV_TMP/files"
src="$f/source.tga"
python3 "$XV_IMG" pattern "$src" 512 1024 1
xv_start_app

back=$(xv_colour_at 500 200)
xv_step "open the source, choose 256x1024"
xv_click 100 10
xv_answer_file_dialog '^Select tga\.\.\.$' "$src"
xv_expect_source "source shown" "$src" 0 0
xv_choose_size 1

# The target, seen unscrolled: cell X,Y is as the check says (see xv_expect_region).
target_cell() {
    xv_expect_region "target cell $1,$2" $((450 + $1)) $((20 + $2)) 64 64 "${@:3}"
}
blank_target() {
    xv_expect_region "$1: the target is blank" 450 20 256 477 --colour "$back"
}
undo() {
    xv_main_focus
    xv_key ctrl+z
}
xv_step "a block: drag from image 200,100 to 70,10 on the source, stamp it at target 74,74"
xv_drag "" 200 120 70 30
xv_park
xv_expect_region "the box shows the whole block, reduced 3 x" 329 45 64 32 --tga-reduced "$src" 64 0 3
xv_click 524 94
xv_park
xv_expect_region "the 3 x 2 block at 64,64" 514 84 192 128 --tga "$src" 64 0
xv_expect_region "left of the block" 450 20 64 477 --colour "$back"
xv_expect_region "below the block" 514 212 192 285 --colour "$back"
undo
blank_target "the block undone"

xv_step "a stroke: pick cell 0,0, drag down six cells in one move, then right three"
xv_click 10 30
xv_park
xv_drag "" 460 30 460 430 700 430
xv_park
stamps=()
for y in 0 64 128 192 256 320 384; do
    target_cell 0 $y --tga "$src" 0 0
    stamps+=(--tga "$src" 0 0 0 $y)
done
for x in 64 128 192; do
    target_cell $x 384 --tga "$src" 0 0
    stamps+=(--tga "$src" 0 0 $x 384)
done
xv_expect_region "nothing right of the column" 514 20 192 364 --colour "$back"
undo
blank_target "the stroke undone"
xv_key ctrl+y
target_cell 192 384 --tga "$src" 0 0

xv_step "flip horizontally: pick cell 64,0, X, stamp at target 148,20"
xv_click 70 30
xv_park
xv_main_focus
xv_key x
xv_click 598 40
xv_park
xv_expect_region "the mirrored cell at 128,0" 578 20 64 64 --tga-mirrored "$src" 64 0
undo
xv_expect_region "the flip's stamp undone" 514 20 192 364 --colour "$back"

xv_step "Ctrl+drag on the target picks the block 0,0..127,127 and stamps nothing"
xv_drag ctrl 460 30 530 100
xv_park
[ "$(xv_colour_at 64 20)" = 280040 ] || xv_fail "the source's frame is still shown"
xv_expect_region "the sheet unchanged" 514 20 192 364 --colour "$back"
xv_click 598 168 # target image 148,148: the block at 128,128
xv_park
target_cell 128 128 --tga "$src" 0 0
target_cell 128 192 --tga "$src" 0 0
target_cell 192 128 --colour "$back"
undo
xv_expect_region "the block's stamp undone" 514 20 192 364 --colour "$back"

xv_step "Shift+drag erases the cells 0,64..0,191; one Ctrl+Z puts them back"
xv_drag shift 460 100 460 200
xv_park
xv_expect_region "erased" 450 84 64 128 --colour "$back"
target_cell 0 0 --tga "$src" 0 0
target_cell 0 192 --tga "$src" 0 0
undo
target_cell 0 64 --tga "$src" 0 0
target_cell 0 128 --tga "$src" 0 0

xv_step "save: the stroke's cells alone"
out="$f/sheet.tga"
xv_file_menu save
xv_answer_file_dialog '^Save tga\.\.\.$' "$out"
xv_wait_file "$out"
python3 "$XV_IMG" sheet "$out" 256 1024 "$back" "${stamps[@]}" ||
    xv_fail "the saved sheet is not the stroke's"

xv_step "Save Layout As... writes the layout and the sheet beside it"
layout="$f/sheet.patchery"
xv_file_menu save-layout
xv_answer_file_dialog '^Save layout\.\.\.$' "$layout"
xv_wait_file "$layout"
grep -q '{ "at": \[3, 6\], "from": "source", "cell": \[0, 0\] }' "$layout" ||
    xv_fail "the layout does not name the stroke's cells: $(cat "$layout")"

xv_step "the source replaced by a rename, as editors save: the view and the cells follow"
cp "$src" "$f/old.tga"
python3 "$XV_IMG" pattern "$f/new.tga" 512 1024 7
cp "$f/new.tga" "$src.part" && mv "$src.part" "$src"
xv_expect_source "the source view reloaded in place" "$f/new.tga" 0 0
target_cell 0 384 --tga "$f/new.tga" 0 0
target_cell 192 384 --tga "$f/new.tga" 0 0
undo
target_cell 0 384 --tga "$f/old.tga" 0 0
target_cell 192 384 --tga "$f/old.tga" 0 0
xv_key ctrl+y
target_cell 0 0 --tga "$f/new.tga" 0 0

xv_step "Ctrl+S writes both; --build and --check without a display agree byte for byte"
check() { env -u DISPLAY -u XAUTHORITY "$XV_APP" --check "$layout"; }
check && xv_fail "--check accepted the sheet saved before the source changed"
xv_main_focus
xv_key ctrl+s
xv_poll check || xv_fail "--check: the sheet saved by Ctrl+S is not what the layout builds"
env -u DISPLAY -u XAUTHORITY "$XV_APP" --build "$layout" --output "$f/built.tga" ||
    xv_fail "--build failed"
cmp "$f/built.tga" "$out" || xv_fail "--build wrote other bytes than the window saved"

xv_step "the source deleted: said once, its last pixels stay"
rm "$src"
xv_wait_dialog '^Patchery$' >/dev/null
xv_key Return
xv_wait_gone '^Patchery$'
xv_main_focus
xv_expect_source "the deleted source's last pixels" "$f/new.tga" 0 0
sleep 1
xv_window_gone '^Patchery$' || xv_fail "the deletion was said twice"

xv_step "quit"
xv_file_menu quit
xv_answer_quit yes
xv_wait_app_end
xv_log "passed"
