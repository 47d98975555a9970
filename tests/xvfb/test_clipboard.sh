#!/usr/bin/env bash
# The tile clipboard in a real X session, with no window manager: a copied tile reaches another
# program (xclip) as image/png; a PNG put on the clipboard by xclip is pasted as the selected
# tile (shown and stamped from its top-left 64x64 pixels) and the clipboard is emptied; Copy
# gives the whole pasted picture back; a paste from the empty clipboard leaves no tile, so a
# press on the target stamps nothing; Ctrl+C and Ctrl+V (Edit > Copy Tile, Paste Tile) do what
# the two buttons do; Ctrl+Shift+V (Paste as Block) stamps the whole PNG from xclip as a 2 x 2
# block, blank beyond the picture, and leaves the clipboard to xclip. A picture bomb from another program (an XBM of 79 bytes declaring 32767 x
# 32767) asks before it is decoded, No (the default) leaving tile and clipboard, and the
# program's memory peak stays where it was; a large PNG accepted shows its progress dialog,
# whose Esc leaves them too.
source "$(dirname "$0")/lib.sh"
xv_init "$@"

f="$XV_TMP/files"
src="$f/source.tga"
python3 "$XV_IMG" pattern "$src" 256 1024 1
python3 "$XV_IMG" png "$f/picture.png" 96 80 7
xv_start_app

xv_step "without a window manager the window itself is at 1000, 1000 twips"
at_default() {
    read -r frame_x frame_y < <(xv_frame_position)
    [ "$frame_x" -ge 66 ] && [ "$frame_x" -le 67 ] && [ "$frame_y" -ge 66 ] && [ "$frame_y" -le 67 ]
}
xv_poll at_default || xv_fail "window at $frame_x,$frame_y, not 66.7 px"

copy_button() { xv_click 361 145; }
paste_button() { xv_click 361 185; }

clipboard_offers() {
    xclip -selection clipboard -t TARGETS -o 2>/dev/null | grep -qx "$1"
}
clipboard_empty() {
    ! xclip -selection clipboard -t TARGETS -o >/dev/null 2>&1
}

xv_step "open the source and pick cell 128,64"
back=$(xv_colour_at 500 200)
xv_click 100 10
xv_answer_file_dialog '^Select tga\.\.\.$' "$src"
xv_expect_source "source shown" "$src" 0 0
xv_click 140 100 1
xv_expect_tile "tile 128,64" "$src" 128 64

xv_step "Copy To Clipboard: another program reads the tile as image/png"
copy_button
xv_poll clipboard_offers image/png || xv_fail "the clipboard offers no image/png"
xclip -selection clipboard -t image/png -o >"$f/copied.png" || xv_fail "xclip could not read it"
python3 "$XV_IMG" samepng "$f/copied.png" --tga "$src" 128 64 64 64 ||
    xv_fail "the copied picture is not the 64x64 tile"

xv_step "a 96x80 PNG from another program, pasted"
xclip -quiet -selection clipboard -t image/png -i "$f/picture.png" 2>>"$XV_TMP/xclip.log" &
XV_XCLIP_PID=$!
xv_poll clipboard_offers image/png || xv_fail "xclip does not serve the PNG"
paste_button
xv_expect_region "pasted tile: the picture's top-left 64x64" 329 45 64 64 --png "$f/picture.png" 0 0
# Paste empties the clipboard: xclip loses the selection and ends.
xv_poll xv_pid_ended "$XV_XCLIP_PID" || xv_fail "the clipboard was not emptied by Paste"
XV_XCLIP_PID=""
clipboard_empty || xv_fail "the clipboard still offers something after Paste"

xv_step "stamp the pasted picture: its top-left 64x64"
xv_click 460 30 1
xv_park
xv_expect_region "target cell 0,0" 450 20 64 64 --png "$f/picture.png" 0 0

xv_step "Copy gives the whole pasted picture back"
copy_button
xv_poll clipboard_offers image/png || xv_fail "the clipboard offers no image/png"
xclip -selection clipboard -t image/png -o >"$f/copied2.png"
python3 "$XV_IMG" samepng "$f/copied2.png" --png "$f/picture.png" ||
    xv_fail "the copied picture is not the 96x80 picture"

xv_step "Paste, then Paste again from the empty clipboard: no tile"
paste_button
xv_poll clipboard_empty || xv_fail "the clipboard was not emptied by Paste"
paste_button
xv_click 530 30 1 # target cell 64,0: nothing may be stamped there
# One arrow down on the target's bar: once the view has moved, the press was handled.
xv_click 713 490
xv_expect_region "target cell 0,0 after scrolling" 450 20 64 48 --png "$f/picture.png" 0 16
xv_expect_region "target cell 64,0 stays blank" 514 20 64 48 --colour "$back"

xv_step "Ctrl+C and Ctrl+V: Edit > Copy Tile and Paste Tile, as the buttons"
xv_click 140 100 1
xv_expect_tile "tile 128,64" "$src" 128 64
xv_main_focus
xv_key ctrl+c
xv_poll clipboard_offers image/png || xv_fail "Ctrl+C put no image/png on the clipboard"
xv_key ctrl+v
xv_poll clipboard_empty || xv_fail "Ctrl+V did not empty the clipboard"

xv_step "Ctrl+Shift+V: another program's 96x80 PNG as a 2 x 2 block, the clipboard kept"
xclip -quiet -selection clipboard -t image/png -i "$f/picture.png" 2>>"$XV_TMP/xclip.log" &
XV_XCLIP_PID=$!
xv_poll clipboard_offers image/png || xv_fail "xclip does not serve the PNG"
xv_key ctrl+shift+v
tile_changed() { ! xv_region_is 329 45 64 64 --tga "$src" 128 64; }
xv_poll tile_changed || xv_fail "Paste as Block left the tile"
xv_click 460 142 1 # the target scrolled 16 down: image 10,138, cell 0,128
xdotool mousemove $((XV_CX + 360)) $((XV_CY + 300)) # off the views: no outline
xv_expect_region "the picture at 0,128" 450 132 96 80 --png "$f/picture.png" 0 0
xv_expect_region "blank right of it, to the block's edge" 546 132 32 128 --colour "$back"
xv_expect_region "blank below it" 450 212 96 48 --colour "$back"
xv_expect_region "nothing beyond the 2 x 2 cells" 578 132 128 128 --colour "$back"
clipboard_offers image/png || xv_fail "Paste as Block emptied the clipboard"
xv_pid_ended "$XV_XCLIP_PID" && xv_fail "xclip lost the clipboard to Paste as Block"
kill "$XV_XCLIP_PID" 2>/dev/null || true
XV_XCLIP_PID=""
xv_click 140 100 1 # the tile the next steps keep
xv_expect_tile "tile 128,64 again" "$src" 128 64

xv_step "a 79-byte XBM declaring 32767 x 32767, pasted: a question first, No leaves it all"
# Qt's own XBM reader would decode 134 MB of pixels merely to recognise the picture.
printf '#define b_width 32767\n#define b_height 32767\nstatic char b_bits[] = {0x00};\n' >"$f/bomb.xbm"
peak_kb() { awk '/^VmHWM:/ { print $2 }' "/proc/$XV_APP_PID/status"; }
peak_before=$(peak_kb)
xclip -quiet -selection clipboard -t image/x-xbitmap -i "$f/bomb.xbm" 2>>"$XV_TMP/xclip.log" &
XV_XCLIP_PID=$!
xv_poll clipboard_offers image/x-xbitmap || xv_fail "xclip does not serve the XBM"
# Alt+N answers a question only; Enter then shows No to be the default.
for answer in alt+n Return; do
    paste_button
    xv_wait_dialog '^Patchery$' >/dev/null
    xv_key "$answer"
    xv_wait_gone '^Patchery$'
    xv_expect_tile "the tile stays after $answer" "$src" 128 64
    clipboard_offers image/x-xbitmap || xv_fail "the clipboard lost the XBM after $answer"
done
peak=$(peak_kb)
xv_log "memory peak before the pastes $peak_before kB, after them $peak kB"
[ $((peak - peak_before)) -lt $((64 * 1024)) ] ||
    xv_fail "the program's memory peak grew from $peak_before kB to $peak kB"

xv_step "a 16000 x 16000 PNG pasted, Yes: the progress dialog shows; Esc leaves it all"
python3 - "$f/large.png" <<'PY'
import struct, sys, zlib
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
side = 16000
packer, row, rows = zlib.compressobj(9), b"\0" + b"\x80" * (3 * side), []
rows = [packer.compress(row) for _ in range(side)] + [packer.flush()]
with open(sys.argv[1], "wb") as out:
    out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", side, side, 8, 2, 0, 0, 0)))
    out.write(chunk(b"IDAT", b"".join(rows)) + chunk(b"IEND", b""))
PY
kill "$XV_XCLIP_PID"
xclip -quiet -selection clipboard -t image/png -i "$f/large.png" 2>>"$XV_TMP/xclip.log" &
XV_XCLIP_PID=$!
xv_poll clipboard_offers image/png || xv_fail "xclip does not serve the PNG"
paste_button
xv_wait_dialog '^Patchery$' >/dev/null
xv_key alt+y
xv_wait_dialog '^Pasting\.\.\.$' >/dev/null
xv_key Escape
xv_wait_gone '^Pasting\.\.\.$'
xv_expect_tile "the tile stays after Cancel" "$src" 128 64
clipboard_offers image/png || xv_fail "the clipboard lost the PNG after Cancel"
kill "$XV_XCLIP_PID"
XV_XCLIP_PID=""

xv_step "quit"
xv_file_menu quit
xv_answer_quit yes
xv_wait_app_end
xv_log "passed"
