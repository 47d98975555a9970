# Shared by the real-window scenarios: a private X server (Xvfb), optionally a window manager
# (openbox), a private copy of the program with its own settings and temporary folders, and
# the moves of a person at the keyboard and mouse (xdotool, xclip).
#
# A scenario sources this file, calls xv_init with the path of the patchery binary, then
# xv_start_wm / xv_start_app, and checks only what a person could see or find on disk:
# screenshots, saved files, the settings file, the clipboard.
# Positions given to xv_click and xv_expect_* are in the main window's 721 x 512 client area;
# a failure names its step, keeps a screenshot of it and keeps the scenario's folder.

set -euo pipefail

XV_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
XV_IMG="$XV_DIR/xvimg.py"
XV_SCREEN_W=1024
XV_SCREEN_H=768
XV_CLIENT_W=721
XV_CLIENT_H=512
XV_POLL_SECONDS=${XV_POLL_SECONDS:-15}

XV_TMP=""
XV_XVFB_PID=""
XV_WM_PID=""
XV_APP_PID=""
XV_XCLIP_PID=""
XV_STEP="start"
XV_FAILED=0
XV_WIN=""
XV_CX=0
XV_CY=0
# The program xv_start_app runs, and a command to run it under (as another user, say).
XV_APP=""
XV_RUN_AS=()

xv_log() { printf '[%s] %s\n' "${XV_NAME:-xvfb}" "$*" >&2; }

# Marks the step that follows, so that a failure names it and its screenshot.
xv_step() {
    XV_STEP="$*"
    xv_log "step: $XV_STEP"
}

xv_fail() {
    XV_FAILED=1
    xv_log "FAILED at step '$XV_STEP': $*"
    if [ -n "$XV_TMP" ] && [ -n "${DISPLAY:-}" ]; then
        local shot
        shot="$XV_TMP/failed-$(printf '%s' "$XV_STEP" | tr -c 'A-Za-z0-9' '_' | cut -c1-60).png"
        if import -window root "png:$shot" 2>/dev/null; then
            xv_log "screenshot of the failing step: $shot"
        fi
        xv_log "kept for a look: $XV_TMP (program output in $XV_TMP/patchery.log)"
    fi
    exit 1
}

xv_cleanup() {
    local status=$?
    trap - EXIT
    for pid in "$XV_XCLIP_PID" "$XV_APP_PID" "$XV_WM_PID" "$XV_XVFB_PID"; do
        if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
            kill "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true
        fi
    done
    if [ "$status" -ne 0 ] && [ "$XV_FAILED" -eq 0 ]; then
        XV_FAILED=1
        xv_log "FAILED at step '$XV_STEP' (exit status $status); kept $XV_TMP"
    fi
    if [ "$XV_FAILED" -eq 0 ] && [ -n "$XV_TMP" ]; then
        rm -rf "$XV_TMP"
    fi
    exit "$status"
}

# Repeats a command until it succeeds or the poll time is up. Returns its last status.
xv_poll() {
    local deadline=$((SECONDS + XV_POLL_SECONDS))
    while true; do
        if "$@"; then
            return 0
        fi
        if [ "$SECONDS" -ge "$deadline" ]; then
            return 1
        fi
        sleep 0.1
    done
}

xv_init() {
    XV_NAME=$(basename "$0" .sh)
    [ $# -ge 1 ] || {
        echo "usage: $0 <path-to-patchery>" >&2
        exit 2
    }
    local binary
    binary=$(readlink -f "$1")
    [ -x "$binary" ] || {
        echo "$XV_NAME: no executable at $1" >&2
        exit 2
    }
    local tool
    for tool in Xvfb xdotool xclip openbox xwininfo xprop import python3; do
        command -v "$tool" >/dev/null || {
            echo "$XV_NAME: $tool is missing; scripts/install-deps installs it" >&2
            exit 2
        }
    done

    XV_TMP=$(mktemp -d "${TMPDIR:-/tmp}/pxv-$XV_NAME.XXXXXX")
    trap xv_cleanup EXIT
    trap 'exit 130' INT TERM
    mkdir -p "$XV_TMP"/{app,config,tmp,files,runtime,cache}
    chmod 700 "$XV_TMP/runtime"
    # The options file is written beside the executable: each scenario has its own copy, of the
    # command and of the window program it becomes.
    cp "$binary" "$XV_TMP/app/patchery"
    cp "$(dirname "$binary")/patchery-window" "$XV_TMP/app/patchery-window"
    XV_APP="$XV_TMP/app/patchery"

    # Nothing from the caller's desktop may leak in.
    unset WAYLAND_DISPLAY XAUTHORITY SESSION_MANAGER QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE \
        QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR \
        QT_ENABLE_HIGHDPI_SCALING QT_FONT_DPI
    export XDG_CONFIG_HOME="$XV_TMP/config" XDG_CACHE_HOME="$XV_TMP/cache"
    export XDG_STATE_HOME="$XV_TMP/state"
    export XDG_RUNTIME_DIR="$XV_TMP/runtime" QT_QPA_PLATFORM=xcb
    # The sanitizer build reports leaks in system libraries (D-Bus) at exit.
    export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"

    xv_step "start Xvfb"
    Xvfb -displayfd 3 -screen 0 "${XV_SCREEN_W}x${XV_SCREEN_H}x24" -dpi 96 -nolisten tcp \
        -noreset 3>"$XV_TMP/display" 2>"$XV_TMP/xvfb.log" &
    XV_XVFB_PID=$!
    local tries=0
    until [ -s "$XV_TMP/display" ] && grep -q '^[0-9]' "$XV_TMP/display"; do
        kill -0 "$XV_XVFB_PID" 2>/dev/null || {
            cat "$XV_TMP/xvfb.log" >&2
            xv_fail "Xvfb did not start"
        }
        tries=$((tries + 1))
        [ "$tries" -lt 200 ] || xv_fail "Xvfb gave no display number within 10 s"
        sleep 0.05
    done
    DISPLAY=":$(head -n1 "$XV_TMP/display")"
    export DISPLAY
    xv_log "display $DISPLAY, files in $XV_TMP"
}

xv_start_wm() {
    xv_step "start openbox"
    openbox --sm-disable >"$XV_TMP/openbox.log" 2>&1 &
    XV_WM_PID=$!
    xv_poll xv_wm_running || xv_fail "openbox did not take over the screen"
}

xv_wm_running() {
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

# Waits for a visible window whose title matches the regular expression; prints its id.
xv_wait_window() {
    local id
    id=$(timeout "$XV_POLL_SECONDS" xdotool search --sync --onlyvisible --name "$1" 2>/dev/null |
        head -n1) || true
    [ -n "$id" ] || xv_fail "no window titled /$1/ appeared within $XV_POLL_SECONDS s"
    printf '%s\n' "$id"
}

# The window with the keyboard focus, if it is a dialog or message box (not a menu or a list
# popup) whose title matches the expression and which is not the window given second.
xv_focused_dialog() {
    local id
    id=$(xdotool getwindowfocus 2>/dev/null) || return 1
    [ "$id" != "${2:-}" ] || return 1
    xdotool getwindowname "$id" 2>/dev/null | grep -Eq -- "$1" || return 1
    xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q '_NET_WM_WINDOW_TYPE_DIALOG' ||
        return 1
    printf '%s\n' "$id"
}

# Waits for a dialog or message box with a matching title to show with the keyboard focus;
# prints its id. A second argument names a window to pass over (a dialog's own question box
# has the dialog's title).
xv_wait_dialog() {
    local deadline=$((SECONDS + XV_POLL_SECONDS)) id
    until id=$(xv_focused_dialog "$1" "${2:-}"); do
        xv_assert_alive
        [ "$SECONDS" -lt "$deadline" ] ||
            xv_fail "no dialog titled /$1/ got the keyboard focus within $XV_POLL_SECONDS s"
        sleep 0.05
    done
    printf '%s\n' "$id"
}

xv_window_gone() {
    ! xdotool search --onlyvisible --name "$1" >/dev/null 2>&1
}

xv_wait_gone() {
    xv_poll xv_window_gone "$1" || xv_fail "the window titled /$1/ is still open"
}

# Absolute position and size of a window's inside: "X Y W H".
xv_geometry() {
    xwininfo -id "$1" | awk '
        /Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF }
        END { print x, y, w, h }'
}

# Outer frame's top-left corner, "X Y": the inside less the window manager's frame extents.
xv_frame_position() {
    local x y w h left=0 top=0 extents
    read -r x y w h < <(xv_geometry "$XV_WIN")
    extents=$(xprop -id "$XV_WIN" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= *//p')
    if [ -n "$extents" ]; then
        left=$(echo "$extents" | cut -d, -f1 | tr -d ' ')
        top=$(echo "$extents" | cut -d, -f3 | tr -d ' ')
    fi
    echo "$((x - left)) $((y - top))"
}

xv_frame_at() {
    [ "$(xv_frame_position)" = "$1 $2" ]
}

# Finds the client area: the bottom 721 x 512 of the window's inside, below the menu bar.
xv_measure() {
    local x y w h
    read -r x y w h < <(xv_geometry "$XV_WIN")
    [ "$w" -eq "$XV_CLIENT_W" ] || xv_fail "the window is $w pixels wide inside, not $XV_CLIENT_W"
    if [ "$h" -le "$XV_CLIENT_H" ] || [ "$h" -ge $((XV_CLIENT_H + 60)) ]; then
        xv_fail "the window is $h pixels high inside: not a menu bar above 512 client rows"
    fi
    XV_CX=$x
    XV_CY=$((y + h - XV_CLIENT_H))
}

# Starts the program (from its private folder) with these arguments; waits for the main window
# and finds it, and for the window to have the keyboard focus.
xv_start_app() {
    xv_launch "$@"
    xv_main_focus
}

# The same without waiting for the focus, which a box over the window may have taken.
xv_launch() {
    xv_step "start patchery $*"
    (cd "$XV_TMP/files" && TMPDIR="$XV_TMP/tmp" exec ${XV_RUN_AS[@]+"${XV_RUN_AS[@]}"} "$XV_APP" "$@") \
        >>"$XV_TMP/patchery.log" 2>&1 &
    XV_APP_PID=$!
    XV_WIN=$(xv_wait_window '^Patchery v1\.3$')
    xv_measure
    # The stored position is applied once the frame is known, and the window manager may
    # move the window once more: wait until it has rested for a while. Every click and check
    # measures the window again anyway.
    local last="" now steady=0 tries=0
    while [ "$steady" -lt 3 ]; do
        now=$(xv_geometry "$XV_WIN")
        if [ "$now" = "$last" ]; then
            steady=$((steady + 1))
        else
            steady=0
        fi
        last=$now
        tries=$((tries + 1))
        [ "$tries" -lt 100 ] || xv_fail "the main window keeps moving: $now"
        sleep 0.1
    done
    xv_measure
}

# A crash should say so at once, not after a wait for a window that will never come.
xv_assert_alive() {
    if [ -n "$XV_APP_PID" ] && ! kill -0 "$XV_APP_PID" 2>/dev/null; then
        xv_fail "patchery ended unexpectedly; the end of its output:" \
            "$(tail -n 30 "$XV_TMP/patchery.log")"
    fi
}

xv_pid_ended() {
    ! kill -0 "$1" 2>/dev/null
}

xv_app_running() {
    kill -0 "$XV_APP_PID" 2>/dev/null
}

xv_app_ended() {
    ! kill -0 "$XV_APP_PID" 2>/dev/null
}

# Waits for the program to end after an answered "Really Quit?"; fails if it hangs.
xv_wait_app_end() {
    xv_poll xv_app_ended || xv_fail "patchery is still running"
    local status=0
    wait "$XV_APP_PID" || status=$?
    XV_APP_PID=""
    [ "$status" -eq 0 ] || xv_fail "patchery ended with status $status (see $XV_TMP/patchery.log)"
}

# ---------------------------------------------------------------------------- hands

# Press and release a mouse button at a point of the client area: xv_click X Y [button].
xv_click() {
    xv_assert_alive
    xv_measure
    xdotool mousemove $((XV_CX + $1)) $((XV_CY + $2)) click "${3:-1}"
}

# The pointer off the views, so that no outline or stamp preview covers what is checked.
xv_park() {
    xv_measure
    xdotool mousemove $((XV_CX + 360)) $((XV_CY + 300))
}

# The same with a modifier key held: xv_click_with shift X Y [button].
xv_click_with() {
    xv_measure
    xdotool keydown "$1" mousemove $((XV_CX + $2)) $((XV_CY + $3)) click "${4:-1}" keyup "$1"
}

# Holds the left button down at the first point, jumps to each next point in one move, and
# lets go at the last, with a modifier key held ("" for none): xv_drag MOD X1 Y1 X2 Y2 ...
xv_drag() {
    local mod=$1
    shift
    xv_assert_alive
    xv_measure
    [ -z "$mod" ] || xdotool keydown "$mod"
    xdotool mousemove $((XV_CX + $1)) $((XV_CY + $2)) mousedown 1
    shift 2
    while [ $# -ge 2 ]; do
        sleep 0.2 # a move of its own, not merged with the next
        xdotool mousemove $((XV_CX + $1)) $((XV_CY + $2))
        shift 2
    done
    sleep 0.2
    xdotool mouseup 1
    [ -z "$mod" ] || xdotool keyup "$mod"
}

# Turns the wheel at a point of the client area: xv_wheel X Y BUTTON [NOTCHES]; buttons 4 up,
# 5 down, 6 left, 7 right.
xv_wheel() {
    xv_measure
    xdotool mousemove $((XV_CX + $1)) $((XV_CY + $2)) click --repeat "${4:-1}" --delay 50 "$3"
}

# Click at a point of the screen (dialogs, the frame).
xv_click_screen() {
    xdotool mousemove "$1" "$2" click "${3:-1}"
}

xv_key() {
    xdotool key --delay 30 "$@"
}

xv_type() {
    xdotool type --delay 8 -- "$1"
}

xv_has_focus() {
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]
}

# Waits until this window has the keyboard focus again (after a box over it has closed).
xv_wait_focus() {
    xv_poll xv_has_focus "$1" || xv_fail "window $1 did not get the focus back"
}

# Waits until the main window has the keyboard focus. Without a window manager nobody gives
# it the focus at start-up (Qt does so only for its dialogs), so the test does what a window
# manager would.
xv_main_focus() {
    if [ -z "$XV_WM_PID" ] && ! xv_has_focus "$XV_WIN"; then
        xdotool windowfocus --sync "$XV_WIN"
    fi
    xv_wait_focus "$XV_WIN"
}

# Types a full path into the file dialog with this title once it has come up, and presses
# Return; prints the dialog's id. The file name box has the focus when the dialog opens and
# may hold the name of the dialog's last use: select it all first so the path replaces it.
xv_enter_path() {
    local id
    id=$(xv_wait_dialog "$1")
    xv_key ctrl+a
    xv_type "$2"
    xv_key Return
    printf '%s\n' "$id"
}

# Answers a file dialog with a full path and waits for it to close.
xv_answer_file_dialog() {
    xv_enter_path "$1" "$2" >/dev/null
    xv_wait_gone "$1"
}

# Drags the main window by its title bar by (dx, dy) pixels; waits until it has moved there.
xv_drag_window() {
    local fx fy i steps=6
    read -r fx fy < <(xv_frame_position)
    xdotool mousemove $((fx + 150)) $((fy + 8)) mousedown 1
    for ((i = 1; i <= steps; i++)); do
        xdotool mousemove $((fx + 150 + $1 * i / steps)) $((fy + 8 + $2 * i / steps))
        sleep 0.03
    done
    xdotool mouseup 1
    xv_poll xv_frame_at $((fx + $1)) $((fy + $2)) ||
        xv_fail "the window was dragged to $((fx + $1)),$((fy + $2)) but its frame is at" \
            "$(xv_frame_position)"
    xv_measure
}

# The window's inside is W x H: the client area below the menu bar (MENU_H high) measured from
# now on; xv_grown MENU_H. Sets where a grown window puts the target view: XV_TARGET_LEFT, its
# width XV_TARGET_W and the views' height XV_GROWN_H (the extra width shared, the middle panel
# kept), and XV_FIT, the percentage Fit shows a 256 x 2048 sheet at there.
xv_grown() {
    local x y w h extra
    read -r x y w h < <(xv_geometry "$XV_WIN")
    XV_CLIENT_W=$w
    XV_CLIENT_H=$((h - $1))
    extra=$((XV_CLIENT_W - 721))
    XV_TARGET_LEFT=$((256 + extra / 2 + 15 + 179))
    XV_TARGET_W=$((256 + extra - extra / 2))
    XV_GROWN_H=$((477 + XV_CLIENT_H - 512))
    XV_FIT=$(awk -v w="$XV_TARGET_W" -v h="$XV_GROWN_H" 'BEGIN {
        f = w / 256; if (h / 2048 < f) f = h / 2048; p = int(f * 100 + 1e-9)
        print (p > 800 ? 800 : p < 10 ? 10 : p) }')
    xv_measure
}

# With no tile yet, a press on the target (stamping nothing) and Ctrl+Shift+F fit it; then the tile
# is the source's cell 0,0, pressed on the sheet's column 0, rows ROW...: at the Fit
# percentage each must land in its row, which the caller checks in the saved sheet.
xv_press_rows_at_fit() {
    xv_click $((XV_TARGET_LEFT + 5)) 25
    xv_key ctrl+shift+f
    xv_click 10 30
    local row
    for row in "$@"; do
        # Two screen pixels into the row's first screen row at that zoom.
        xv_click $((XV_TARGET_LEFT + 5)) $((20 + (64 * row * XV_FIT + 99) / 100 + 2))
    done
}

# Whether a menu or list popup of the program is showing (an untitled window, not a dialog).
xv_popup_showing() {
    local id
    for id in $(xdotool search --onlyvisible --class '^patchery$' 2>/dev/null); do
        [ "$(xdotool getwindowname "$id" 2>/dev/null)" = Patchery ] || continue
        xprop -id "$id" _NET_WM_WINDOW_TYPE 2>/dev/null | grep -q _NET_WM_WINDOW_TYPE_DIALOG ||
            return 0
    done
    return 1
}

xv_wait_popup() {
    xv_poll xv_popup_showing || xv_fail "no menu or list popped up"
}

# Chooses an item of the File menu by keyboard: open-source, open-target, save-target, save
# (Save Target As...), options or quit. Opened from the keyboard, the menu starts on its first item; Down skips separators.
xv_file_menu() {
    # The first items counted from the top, the last four from the bottom (Up from the first
    # item wraps to the last), so that items added between them move none of these.
    local key=Down count keys=()
    case "$1" in
    open-source) count=0 ;;
    open-target) count=1 ;;
    save-layout) key=Up count=5 ;;
    save-target) key=Up count=4 ;;
    save) key=Up count=3 ;;
    options) key=Up count=2 ;;
    quit) key=Up count=1 ;;
    *) xv_fail "no File menu item '$1'" ;;
    esac
    xv_main_focus
    xv_key alt+f
    xv_wait_popup
    while [ "$count" -gt 0 ]; do
        keys+=("$key")
        count=$((count - 1))
    done
    xv_key "${keys[@]}" Return
}

# "Really Quit?" must be showing (title Patchery); answer it: xv_answer_quit yes|no.
xv_answer_quit() {
    xv_wait_dialog '^Patchery$' >/dev/null
    if [ "$1" = yes ]; then
        xv_key alt+y
    else
        xv_key alt+n
    fi
    # The box must close.
    xv_wait_gone '^Patchery$'
}

# The size list (sizeList, at (318, 230) of the client area): opens its list with a click and
# picks an item with the keyboard: Home, then Down to the item (0 = 256x768 ... 4 = Custom...).
xv_choose_size() {
    local downs=$1 keys=(Home)
    xv_click 361 240
    xv_wait_popup
    while [ "$downs" -gt 0 ]; do
        keys+=(Down)
        downs=$((downs - 1))
    done
    xv_key "${keys[@]}" Return
}

# ---------------------------------------------------------------------------- eyes

XV_SHOT_COUNT=0

# A screenshot of the whole screen as PPM; prints its path.
xv_shot() {
    XV_SHOT_COUNT=$((XV_SHOT_COUNT + 1))
    local shot="$XV_TMP/shot-$XV_SHOT_COUNT.ppm"
    import -window root -depth 8 "ppm:$shot" 2>/dev/null ||
        xv_fail "import could not grab the screen"
    printf '%s\n' "$shot"
}

# Whether a client-area region on screen now is as expected (see xvimg.py region).
xv_region_is() {
    local x=$1 y=$2 w=$3 h=$4 shot
    shift 4
    xv_assert_alive
    xv_measure
    shot=$(xv_shot)
    if python3 "$XV_IMG" region "$shot" $((XV_CX + x)) $((XV_CY + y)) "$w" "$h" "$@" \
        2>"$XV_TMP/last-check.txt"; then
        rm -f "$shot"
        return 0
    fi
    rm -f "$shot"
    return 1
}

# Waits until a region shows what is expected: xv_expect_region WHAT X Y W H check...
xv_expect_region() {
    local what=$1
    shift
    xv_poll xv_region_is "$@" || xv_fail "$what: $(cat "$XV_TMP/last-check.txt")"
}

# The colour of one client-area pixel, RRGGBB.
xv_colour_at() {
    local shot colour
    xv_measure
    shot=$(xv_shot)
    colour=$(python3 "$XV_IMG" colour "$shot" $((XV_CX + $1)) $((XV_CY + $2)))
    rm -f "$shot"
    printf '%s\n' "$colour"
}

# The words a window shows, as a person reads them: its picture enlarged four times and read by
# tesseract (German and English), once in grey and once in black and white, which reads
# underlined and greyed letters better. One line per piece of text.
xv_read_window() {
    local shot="$XV_TMP/read.png"
    import -window "$1" "png:$shot" 2>/dev/null || return 1
    convert "$shot" -resize 400% -colorspace gray "$shot.grey.png"
    convert "$shot" -resize 400% -colorspace gray -threshold 60% "$shot.bw.png"
    tesseract "$shot.grey.png" - -l deu+eng --psm 11 2>/dev/null
    tesseract "$shot.bw.png" - -l deu+eng --psm 11 2>/dev/null
}

xv_window_reads() {
    local id=$1 text
    shift
    text=$(xv_read_window "$id") || return 1
    printf '%s\n' "$text" >"$XV_TMP/last-read.txt"
    for words in "$@"; do
        grep -qF -- "$words" <<<"$text" || return 1
    done
}

# Waits until a window reads every one of these texts: xv_expect_words WHAT ID TEXT...
xv_expect_words() {
    local what=$1
    shift
    xv_poll xv_window_reads "$@" ||
        xv_fail "$what does not read: ${*:2}; it reads: $(tr '\n' '|' <"$XV_TMP/last-read.txt")"
}

# Waits for a file to exist (and to stop growing).
xv_wait_file() {
    xv_poll test -s "$1" || xv_fail "$1 did not appear"
    local size="" now
    while now=$(stat -c %s "$1") && [ "$now" != "$size" ]; do
        size=$now
        sleep 0.1
    done
}

# ---------------------------------------------------------------------------- views
# The views are seen through 256 x 477 areas at (0, 20) (source) and (450, 20) (target); the
# selected tile at (329, 45), 64 x 64.

XV_SOURCE_X=0
XV_TARGET_X=450
XV_VIEW_Y=20
XV_VIEW_W=256
XV_VIEW_H=477
XV_TILE_X=329
XV_TILE_Y=45

# The source view shows this image scrolled to (sx, sy): xv_expect_source WHAT TGA SX SY [W H].
xv_expect_source() {
    xv_expect_region "$1" $XV_SOURCE_X $XV_VIEW_Y "${5:-$XV_VIEW_W}" "${6:-$XV_VIEW_H}" \
        --tga "$2" "$3" "$4"
}

xv_expect_target() {
    xv_expect_region "$1" $XV_TARGET_X $XV_VIEW_Y "${5:-$XV_VIEW_W}" "${6:-$XV_VIEW_H}" \
        --tga "$2" "$3" "$4"
}

# The selected-tile view shows the 64 x 64 cell of a TGA at (sx, sy).
xv_expect_tile() {
    xv_expect_region "$1" $XV_TILE_X $XV_TILE_Y 64 64 --tga "$2" "$3" "$4"
}
