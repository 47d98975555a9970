#!/usr/bin/env bash
# Unsaved work survives kill -9: a session of stamps is killed with SIGKILL at a random moment,
# several times over; each next start offers the sheet in a message box, and Yes shows every
# stamp made more than a second before the kill. A start after a saved session, or after the
# offer was answered, offers nothing.
source "$(dirname "$0")/lib.sh"
xv_init "$@"
xv_start_wm

f="$XV_TMP/files"
src="$f/source.tga"
python3 "$XV_IMG" pattern "$src" 512 1024 1
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
xv_log "passed"
