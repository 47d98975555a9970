#!/usr/bin/env bash
# Unsaved work survives kill -9: a session of stamps is killed with SIGKILL at a random moment,
# several times over; each next start offers the sheet in a message box, and Yes shows every
# stamp made more than a second before the kill, and the sources open beside it come back, the
# one shown then shown again. A start after a saved session, or after the
# offer was answered, offers nothing. The question closed by its close box, Esc or a signal keeps
# the sheet; a kill right after Yes still leaves it; many left sheets come in one box.
source "$(dirname "$0")/lib.sh"
xv_init "$@"
xv_start_wm

f="$XV_TMP/files"
src="$f/source.tga"
python3 "$XV_IMG" pattern "$src" 512 1024 1
src2="$f/second.tga"
python3 "$XV_IMG" pattern "$src2" 256 600 2 --bottom-left
state="$XV_TMP/state/Patchery"

now() { date +%s.%N; }
older_than() { awk -v a="$1" -v b="$2" -v s="$3" 'BEGIN { exit !(b - a > s) }'; }

# The stamps so far: target cell "tx ty" holds source cell "sx sy", made at time t.
cells=()
times=()
next=0 # the next target cell, in reading order over the first 28 cells on screen

for round in 1 2 3 4; do
    xv_launch "$src"
    if [ "$round" -gt 1 ]; then
        xv_step "round $round: the sheet killed last round is offered"
        xv_wait_dialog '^Patchery$' >/dev/null
        xv_key alt+y
        xv_wait_gone '^Patchery$'
        for i in "${!cells[@]}"; do
            read -r sx sy tx ty <<<"${cells[$i]}"
            if older_than "${times[$i]}" "$killed" 1; then
                xv_expect_region "stamp $i at $tx,$ty, made before the kill" \
                    $((450 + tx)) $((20 + ty)) 64 64 --tga "$src" "$sx" "$sy"
            fi
        done
    fi
    xv_main_focus
    xv_expect_source "source shown" "$src" 0 0
    if [ "$round" -eq 1 ]; then # a second source, open beside it
        xv_key ctrl+o
        xv_answer_file_dialog '^Select tga\.\.\.$' "$src2"
        xv_expect_source "the second source" "$src2" 0 0
        xv_key ctrl+1
        xv_expect_source "source shown again" "$src" 0 0
    else
        xv_key ctrl+2
        xv_expect_source "the second source, reopened by the restore" "$src2" 0 0
        xv_key ctrl+1
    fi
    [ "$round" -lt 4 ] || break

    xv_step "round $round: stamps, then SIGKILL at a random moment"
    sx=$(((round * 64) % 256))
    xv_click $((sx + 10)) 30 1
    xv_expect_tile "tile $sx,0" "$src" "$sx" 0
    end=$(awk -v r="$RANDOM" 'BEGIN { printf "%.2f", 1.5 + r / 32767 * 2.5 }')
    start=$(now)
    while ! older_than "$start" "$(now)" "$end" && [ "$next" -lt 28 ]; do
        tx=$(((next % 4) * 64))
        ty=$((next / 4 * 64))
        xv_click $((450 + tx + 20)) $((20 + ty + 20)) 1
        cells+=("$sx 0 $tx $ty")
        times+=("$(now)")
        next=$((next + 1))
        sleep 0.$((RANDOM % 4))
    done
    kill -KILL "$XV_APP_PID"
    killed=$(now)
    wait "$XV_APP_PID" 2>/dev/null || true
    XV_APP_PID=""
    xv_log "killed after $next stamps"
    ls "$state"/*.sheet >/dev/null 2>&1 || xv_fail "no recovery file was left by the kill"
done

xv_step "saved and quit: nothing is offered at the next start"
xv_key ctrl+s
xv_answer_file_dialog '^Save tga\.\.\.$' "$f/saved.tga"
xv_wait_file "$f/saved.tga"
xv_key ctrl+q
xv_answer_quit yes
xv_wait_app_end
xv_start_app
sleep 1
xv_focused_dialog '^Patchery$' >/dev/null && xv_fail "a sheet was offered after a saved session"
[ -z "$(ls "$state"/*.sheet 2>/dev/null)" ] || xv_fail "a recovery file stayed: $(ls "$state")"
xv_key ctrl+q
xv_answer_quit yes
xv_wait_app_end
# A recovery file as a run of the program leaves it: NAME W H, in the state folder.
orphan() {
    python3 - "$state/$1.sheet" "$2" "$3" <<'PY'
import sys
path, w, h = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
head = b"Patchery recovery 1\nsize %d %d\nchanged 2026-01-02T03:04:05.000Z\nfile \n\n" % (w, h)
with open(path, "wb") as f:
    f.write(head + bytes([90, 60, 30, 255]) * (w * h))
PY
}
sheets() { find "$state" -maxdepth 1 -name '*.sheet' | wc -l; }
# Presses the close box openbox draws at the right end of a window's title bar.
click_close_box() {
    local extents right top x y w
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= *//p')
    right=$(echo "$extents" | cut -d, -f2 | tr -d ' ')
    top=$(echo "$extents" | cut -d, -f3 | tr -d ' ')
    read -r x y w _ < <(xv_geometry "$1")
    xdotool mousemove $((x + w + right - 10)) $((y - top + top / 2)) click 1
}
# The main window again, once a box over it has gone.
back_to_main() {
    xv_wait_gone '^Patchery$'
    xdotool windowactivate --sync "$XV_WIN" 2>/dev/null || true
    xv_main_focus
}
quit_unchanged() {
    xv_key ctrl+q
    xv_answer_quit yes
    xv_wait_app_end
}

xv_step "a question ended by its close box, Esc or SIGTERM keeps the sheet; No discards it"
rm -f "$state"/*
orphan left 64 64
for ending in close-box Escape TERM HUP; do
    xv_launch
    box=$(xv_wait_dialog '^Patchery$')
    if [ "$ending" = close-box ]; then
        click_close_box "$box"
        back_to_main
        quit_unchanged
    elif [ "$ending" = TERM ] || [ "$ending" = HUP ]; then
        kill -"$ending" "$XV_APP_PID"
        xv_poll xv_app_ended || xv_fail "SIGTERM did not end patchery"
        wait "$XV_APP_PID" 2>/dev/null || true
        XV_APP_PID=""
    else
        xv_key "$ending"
        back_to_main
        quit_unchanged
    fi
    [ -f "$state/left.sheet" ] || xv_fail "the question ended by $ending discarded the sheet"
done
xv_launch
xv_wait_dialog '^Patchery$' >/dev/null
xv_key alt+n
back_to_main
quit_unchanged
[ "$(sheets)" -eq 0 ] || xv_fail "No kept the sheet: $(ls "$state")"

xv_step "killed right after Yes: the sheet is offered again"
orphan large 4000 4000
xv_launch
xv_wait_dialog '^Patchery$' >/dev/null
xv_key alt+y
# The kill comes the moment the old file goes: its successor must be whole by then.
deadline=$((SECONDS + 30))
while [ -e "$state/large.sheet" ] && [ "$SECONDS" -lt "$deadline" ]; do sleep 0.005; done
kill -KILL "$XV_APP_PID"
wait "$XV_APP_PID" 2>/dev/null || true
XV_APP_PID=""
left=$(sheets) # the old file, or the new one, or both if the kill came in between
[ "$left" -ge 1 ] || xv_fail "the kill after Yes left no sheet"
xv_launch
xv_wait_dialog '^Patchery$' >/dev/null
if [ "$left" -eq 1 ]; then xv_key alt+n; else xv_key ctrl+a alt+d; fi
back_to_main
quit_unchanged
[ "$(sheets)" -eq 0 ] || xv_fail "No kept a sheet: $(ls "$state")"

xv_step "forty left sheets: one box; kept for later, then one restored, then the rest discarded"
for i in $(seq 10 49); do
    orphan "many$i" 64 64
    touch -d "2026-01-01 00:00:$i" "$state/many$i.sheet"
done
xv_launch
xv_wait_dialog '^Patchery$' >/dev/null
xv_key Escape
back_to_main
quit_unchanged
[ "$(sheets)" -eq 40 ] || xv_fail "Esc did not keep the forty sheets: $(sheets) left"
xv_launch
xv_wait_dialog '^Patchery$' >/dev/null
xv_key alt+r # the newest, selected first
back_to_main
xv_expect_region "the restored sheet's first cell" 450 20 64 64 --colour 1e3c5a
xv_poll test ! -e "$state/many49.sheet" || xv_fail "the restored sheet's old file stayed"
[ "$(sheets)" -eq 40 ] || xv_fail "not 39 left sheets and this run's own: $(sheets)"
kill -TERM "$XV_APP_PID"
xv_poll xv_app_ended || xv_fail "SIGTERM did not end patchery"
XV_APP_PID=""
xv_launch
xv_wait_dialog '^Patchery$' >/dev/null
xv_key ctrl+a alt+d
back_to_main
[ "$(sheets)" -eq 0 ] || xv_fail "Discard left sheets: $(sheets)"
quit_unchanged

xv_log "passed"
