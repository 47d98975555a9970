#!/usr/bin/env bash
# Opening images in a real window: source and target through their buttons and through the
# File menu, typing paths into Qt's file dialog; the views show the right pixels at several
# positions of all four scroll bars (arrow and page clicks), keep their positions across a new
# open as far as the new ranges allow, and a 32-bit or run-length-encoded file, or a FIFO with
# no writer, answers "Wrong format" and leaves the view, and for the source its bars, as they
# were. Then the shortcuts: Ctrl+O opens a PNG as the source, shown pixel for pixel and
# scrolled by the wheel (down, right, Shift+down); the three open sources are shown by Ctrl+PgUp,
# Ctrl+PgDown, Ctrl+3 and a click on a name, each where it was left, and Ctrl+W closes one;
# Ctrl+Shift+O the same PNG as the target;
# Ctrl+S and F1 bring up their windows, Ctrl+Q asks "Really Quit?". Files named on the command
# line by names that are not UTF-8 open. A 79-byte XBM bomb asks before it is decoded, Enter
# meaning No; a large TGA accepted shows its progress dialog, whose Esc leaves the view; so does
# a custom size of 20000 x 20000, the window repainting what the dialog uncovers meanwhile.
source "$(dirname "$0")/lib.sh"
xv_init "$@"
xv_start_wm

f="$XV_TMP/files"
python3 "$XV_IMG" pattern "$f/source.tga" 512 1024 1
python3 "$XV_IMG" pattern "$f/target.tga" 320 768 2 --bottom-left
python3 "$XV_IMG" pattern "$f/source2.tga" 256 600 3 --bottom-left
python3 "$XV_IMG" pattern "$f/target2.tga" 256 2048 4
python3 "$XV_IMG" pattern "$f/deep.tga" 256 256 5 --bits 32
python3 "$XV_IMG" pattern "$f/packed.tga" 256 256 6 --rle

xv_start_app

# Bars (client area): arrows 7 pixels in from each end, page clicks well inside the trough.
sourceVerticalBar_down() { xv_click 263 490; }
sourceVerticalBar_page_down() { xv_click 263 400; }
sourceHorizontalBar_right() { xv_click 249 504; }
sourceHorizontalBar_page_right() { xv_click 200 504; }
sourceHorizontalBar_page_left() { xv_click 20 504; }
targetVerticalBar_down() { xv_click 713 490; }
targetVerticalBar_page_down() { xv_click 713 400; }
targetHorizontalBar_page_right() { xv_click 650 504; }
targetHorizontalBar_left() { xv_click 457 504; }

xv_step "open the source with its button"
xv_click 100 10
xv_answer_file_dialog '^Select tga\.\.\.$' "$f/source.tga"
xv_expect_source "source at 0,0" "$f/source.tga" 0 0

xv_step "open the target (bottom-left origin) with File > Open Target..."
xv_file_menu open-target
xv_answer_file_dialog '^Select tga\.\.\.$' "$f/target.tga"
xv_expect_target "target at 0,0" "$f/target.tga" 0 0
xv_expect_source "source untouched by the target open" "$f/source.tga" 0 0

xv_step "source vertical bar: two arrow clicks, one page click"
sourceVerticalBar_down
xv_expect_source "source after one arrow" "$f/source.tga" 0 16
sourceVerticalBar_down
xv_expect_source "source after two arrows" "$f/source.tga" 0 32
sourceVerticalBar_page_down
xv_expect_source "source after a page" "$f/source.tga" 0 96

xv_step "source horizontal bar: arrow, page right, page left"
sourceHorizontalBar_right
xv_expect_source "source scrolled right by an arrow" "$f/source.tga" 16 96
sourceHorizontalBar_page_right
xv_expect_source "source scrolled right by a page" "$f/source.tga" 80 96
sourceHorizontalBar_page_left
xv_expect_source "source scrolled back left by a page" "$f/source.tga" 16 96

xv_step "target vertical bar: arrow, page"
targetVerticalBar_down
xv_expect_target "target after one arrow" "$f/target.tga" 0 16
targetVerticalBar_page_down
xv_expect_target "target after a page" "$f/target.tga" 0 80

xv_step "target horizontal bar: page right to the end, arrow left"
targetHorizontalBar_page_right
xv_expect_target "target at its right end" "$f/target.tga" 64 80
targetHorizontalBar_left
xv_expect_target "target one arrow back" "$f/target.tga" 48 80

xv_step "a new source with File > Open Source... keeps the bar positions the new ranges allow"
xv_file_menu open-source
xv_answer_file_dialog '^Select tga\.\.\.$' "$f/source2.tga"
# 256 x 600: the horizontal bar's range shrinks to 0, the vertical one (0..123) keeps 96.
xv_expect_source "second source" "$f/source2.tga" 0 96

xv_step "a new target with its button"
xv_click 585 10
xv_answer_file_dialog '^Select tga\.\.\.$' "$f/target2.tga"
xv_expect_target "second target" "$f/target2.tga" 0 80
xv_expect_source "source untouched by the target open" "$f/source2.tga" 0 96

xv_step "a 32-bit TGA as target: Wrong format, the target stays"
xv_click 585 10
xv_answer_file_dialog '^Select tga\.\.\.$' "$f/deep.tga"
xv_wait_dialog '^Patchery$' >/dev/null
xv_key Return
xv_wait_gone '^Patchery$'
xv_expect_target "target after the refused file" "$f/target2.tga" 0 80

xv_step "a FIFO with no writer as source: Wrong format without waiting, the source stays"
mkfifo "$f/pipe.tga"
xv_file_menu open-source
xv_enter_path '^Select tga\.\.\.$' "$f/pipe.tga" >/dev/null
asked=$(date +%s%N)
xv_wait_dialog '^Patchery$' >/dev/null
xv_log "the FIFO was refused $((($(date +%s%N) - asked) / 1000000)) ms after Return"
xv_key Return
xv_wait_gone '^Patchery$'
xv_expect_source "source after the FIFO" "$f/source2.tga" 0 96

xv_step "a run-length-encoded TGA as source: Wrong format, the source stays"
xv_file_menu open-source
xv_answer_file_dialog '^Select tga\.\.\.$' "$f/packed.tga"
xv_wait_dialog '^Patchery$' >/dev/null
xv_key Return
xv_wait_gone '^Patchery$'
xv_expect_source "source after the refused file" "$f/source2.tga" 0 96
xv_expect_target "target after the refused source" "$f/target2.tga" 0 80

xv_step "the views still scroll: target one page further, source one arrow"
targetVerticalBar_page_down
xv_expect_target "second target after a page" "$f/target2.tga" 0 144
sourceVerticalBar_down
xv_expect_source "second source after an arrow" "$f/source2.tga" 0 112

xv_step "Ctrl+O: a PNG as source"
python3 "$XV_IMG" png "$f/photo.png" 400 900 7
xv_key ctrl+o
xv_answer_file_dialog '^Select tga\.\.\.$' "$f/photo.png"
xv_expect_region "PNG source where the bars stood" 0 20 256 477 --png "$f/photo.png" 0 112

xv_step "the wheel over the source: two notches down, one right, Shift+down: one more right"
xv_wheel 100 300 5 2
xv_wheel 100 300 7
xdotool keydown shift && xv_wheel 100 300 5 && xdotool keyup shift
xdotool mousemove $((XV_CX + 300)) $((XV_CY + 100)) # off the view: its outline goes
xv_expect_region "PNG source scrolled by the wheel" 0 20 256 477 --png "$f/photo.png" 96 208

xv_step "three sources open: each key, and a click on a name, shows one where it was left"
xv_main_focus
xv_key ctrl+Prior
xv_expect_source "Ctrl+PgUp: the second source" "$f/source2.tga" 0 112
xv_click 300 288 # the first name in the list of open sources
xv_expect_source "the first source, clicked in the list" "$f/source.tga" 16 96
xv_main_focus
xv_key ctrl+3
xv_expect_region "Ctrl+3: the PNG" 0 20 256 477 --png "$f/photo.png" 96 208
xv_key ctrl+Next
xv_expect_source "Ctrl+PgDown from the last: the first" "$f/source.tga" 16 96
xv_key ctrl+3 ctrl+w
xv_expect_source "Ctrl+W closed the PNG: the first is shown" "$f/source.tga" 16 96
xv_key ctrl+3
xv_expect_source "two left: Ctrl+3 shows nothing new" "$f/source.tga" 16 96

xv_step "Ctrl+Shift+O: the PNG as target; Ctrl+S and F1 show their windows; Ctrl+Q asks"
xv_key ctrl+shift+o
xv_answer_file_dialog '^Select tga\.\.\.$' "$f/photo.png"
xv_expect_region "PNG target where the bars stood" 450 20 256 477 --png "$f/photo.png" 0 144
for keys in "ctrl+s Save tga\.\.\." "F1 About Patchery"; do
    xv_main_focus
    xv_key "${keys%% *}"
    xv_wait_dialog "^${keys#* }\$" >/dev/null
    xv_key Escape
    xv_wait_gone "^${keys#* }\$"
done
xv_main_focus
xv_key ctrl+q
xv_answer_quit no

xv_step "quit"
xv_file_menu quit
xv_answer_quit yes
xv_wait_app_end

xv_step "names that are not UTF-8 on the command line, under a UTF-8 locale"
rm -rf "$XDG_STATE_HOME" # the unsaved sheet just quit, which the next start would offer
latin=$(printf 'caf\351')
cp "$f/source2.tga" "$f/$latin.tga"
cp "$f/target.tga" "$f/$latin-t.tga"
LANG=C.UTF-8 xv_start_app --target "$f/$latin-t.tga" "$f/$latin.tga"
xv_expect_source "the Latin-1 named source" "$f/source2.tga" 0 0
xv_expect_target "the Latin-1 named target" "$f/target.tga" 0 0

xv_step "a 79-byte XBM declaring 32767 x 32767 asks first; Enter is No"
printf '#define b_width 32767\n#define b_height 32767\nstatic char b_bits[] = {0x00};\n' >"$f/bomb.xbm"
xv_key ctrl+o
xv_answer_file_dialog '^Select tga\.\.\.$' "$f/bomb.xbm"
xv_wait_dialog '^Patchery$' >/dev/null
xv_key Return
xv_wait_gone '^Patchery$'
xv_expect_source "the source stays after No" "$f/source2.tga" 0 0

xv_step "a large TGA, Yes: the progress dialog shows; Esc cancels and leaves the view"
python3 -c 'import struct, sys; f = open(sys.argv[1], "wb"); f.write(bytes([0, 0, 2]) + bytes(9) + struct.pack("<HHBB", 16000, 16000, 24, 0x20)); f.truncate(18 + 3 * 16000 * 16000)' "$f/large.tga"
xv_main_focus
xv_key ctrl+o
xv_answer_file_dialog '^Select tga\.\.\.$' "$f/large.tga"
xv_wait_dialog '^Patchery$' >/dev/null
xv_key alt+y
xv_wait_dialog '^Opening large\.tga\.\.\.$' >/dev/null
xv_key Escape
xv_wait_gone '^Opening large\.tga\.\.\.$'
xv_expect_source "the source stays after Cancel" "$f/source2.tga" 0 0

xv_step "Custom... 20000 x 20000: the progress dialog shows, the window repaints; Esc leaves it"
xv_main_focus
xv_choose_size 4
xv_wait_dialog '^Target Image Size$' >/dev/null
xv_key Tab Tab
xv_type "20000"
xv_key Tab
xv_type "20000"
xv_key Tab space
progress=$(xv_wait_dialog '^Sizing the sheet\.\.\.$')
# Moved off the window while the sheet is made, the dialog uncovers a part of the window, which
# keeps showing the dialog there until the program paints it again.
read -r px py pw ph < <(xv_geometry "$progress")
uncovered() { import -window root -crop "${pw}x${ph}+$px+$py" -depth 8 "ppm:$1" 2>/dev/null; }
uncovered "$XV_TMP/dialog.ppm"
xdotool windowmove "$progress" 0 600
repainted() { uncovered "$XV_TMP/now.ppm" && ! cmp -s "$XV_TMP/dialog.ppm" "$XV_TMP/now.ppm"; }
xv_poll repainted || xv_fail "the window was not painted again where the dialog had been"
xv_window_gone '^Sizing the sheet\.\.\.$' && xv_fail "the sheet was made before the check"
xv_key Escape
xv_wait_gone '^Sizing the sheet\.\.\.$'
xv_expect_target "the target stays after Cancel" "$f/target.tga" 0 0
xv_main_focus
xv_file_menu quit
xv_answer_quit yes
xv_wait_app_end
xv_log "passed"
