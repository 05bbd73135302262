# Helpers for driving the real program under a private X server with xdotool.

set -euo pipefail
# The program runs on the private X server, whatever platform the calling shell asks Qt for.
unset QT_QPA_PLATFORM

TITLE="文本比较1.0      BY:Quorvel ID：Orrindel"

# Starts Xvfb on a free display, with any extra server options of the arguments, and exports
# DISPLAY; the server stops when the script exits. The display number is drawn at random from a
# wide range: servers that let Xvfb pick (-displayfd alone) all start from :0, and one that loses
# the race for a display can take the winner's lock and socket with it. The server reports its
# display once it takes connections; a draw that was taken meanwhile is drawn again.
start_xvfb() {
    local number_file display
    trap 'stop_all' EXIT
    for _ in $(seq 20); do
        display=$((1000 + RANDOM % 30000))
        [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ] && continue
        number_file=$(mktemp)
        # -noreset: by default the server resets when its last client leaves, and a program
        # started again during the reset is refused the display.
        Xvfb ":$display" -displayfd 3 -noreset -screen 0 1280x800x24 -nolisten tcp "$@" \
            3>"$number_file" >/dev/null 2>&1 &
        XVFB_PID=$!
        for _ in $(seq 100); do
            if grep -q "^$display\$" "$number_file"; then
                rm -f "$number_file"
                export DISPLAY=":$display"
                return 0
            fi
            kill -0 "$XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
        rm -f "$number_file"
        kill "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=""
    done
    echo "Xvfb did not start" >&2
    return 1
}

# Stops the program and the server, and removes the script's scratch folder E2E_TMP if it made
# one.
stop_all() {
    [ -n "${APP_PID:-}" ] && kill "$APP_PID" 2>/dev/null || true
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
    [ -n "${E2E_TMP:-}" ] && rm -rf "$E2E_TMP" || true
}

# Starts the program and waits for its main window; sets APP_PID and WINDOW.
start_program() {
    "$@" &
    APP_PID=$!
    WINDOW=$(wait_for_window_named "$TITLE") ||
        { echo "the main window did not appear" >&2; return 1; }
    xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
    sleep 0.3
}

# Clicks at a point of the window's client area.
click_at() {
    xdotool mousemove --window "$WINDOW" "$1" "$2" click 1
    sleep 0.2
}

# Puts a text on the clipboard and waits until the clipboard serves it: xclip takes the
# selection in a process of its own, and until it has, a paste gets the previous text. (The
# dot read after the clipboard keeps a text's final line breaks in the comparison.)
put_on_clipboard() {
    local served
    printf '%s' "$1" | xclip -selection clipboard -i
    for _ in $(seq 100); do
        served=$(xclip -selection clipboard -o 2>/dev/null || true; echo .)
        [ "${served%.}" = "$1" ] && return 0
        sleep 0.05
    done
    fail "the clipboard did not take the text"
}

# Puts a text on the clipboard and pastes it into the control under the point.
paste_at() {
    click_at "$1" "$2"
    put_on_clipboard "$3"
    xdotool key --clearmodifiers ctrl+v
    sleep 0.2
}

# Reads the text of the pane under the point through the clipboard into PANE_TEXT (a variable,
# not output: the script's exit trap must not run in a command substitution). Copying an
# empty pane leaves the clipboard as it was, so a marker put there first reads as empty.
read_pane_at() {
    local marker="(clipboard not written)"
    put_on_clipboard "$marker"
    click_at "$1" "$2"
    xdotool key --clearmodifiers ctrl+a ctrl+c
    # The program takes the clipboard when it handles the key; an empty pane never does.
    for _ in $(seq 20); do
        sleep 0.1
        PANE_TEXT=$(xclip -selection clipboard -o 2>/dev/null || true)
        [ "$PANE_TEXT" != "$marker" ] && return 0
    done
    PANE_TEXT=""
}

# Waits for the program to end and checks its exit status.
expect_exit_status() {
    local status=0
    for _ in $(seq 100); do
        kill -0 "$APP_PID" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$APP_PID" 2>/dev/null; then
        echo "the program did not end" >&2
        return 1
    fi
    wait "$APP_PID" || status=$?
    APP_PID=""
    [ "$status" -eq "$1" ] || { echo "exit status $status, expected $1" >&2; return 1; }
}

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Places of the controls in the window's client area (centres).
LEFT_PANE=(170 130)
RIGHT_PANE=(610 130)
SEARCH_BOX=(200 257)
REPLACEMENT_BOX=(610 256)
COMPARE_BUTTON=(395 207)
CLEAR_BUTTON=(395 134)
FIND_BUTTON=(356 257)
REPLACE_BUTTON=(731 257)

# Types into the edit box under the point, replacing what it held.
fill_box_at() {
    click_at "$1" "$2"
    xdotool key --clearmodifiers ctrl+a BackSpace
    paste_at "$@"
}

# Waits for a top-level window with exactly this name and prints its id.
wait_for_window_named() {
    local id=""
    for _ in $(seq 100); do
        id=$(xdotool search --name "^$1\$" 2>/dev/null | head -n 1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

# Waits until the program shows one more window than its main one (a menu).
wait_for_popup() {
    for _ in $(seq 50); do
        [ "$(xdotool search --onlyvisible --pid "$APP_PID" 2>/dev/null | wc -l)" -ge 2 ] &&
            return 0
        sleep 0.1
    done
    fail "the menu did not open"
}

# Gives the window ID the keyboard focus and waits until it has it.
focus_window() {
    local focused=""
    for _ in $(seq 50); do
        xdotool windowfocus --sync "$1" 2>/dev/null || true
        focused=$(xdotool getwindowfocus 2>/dev/null || true)
        [ "$focused" = "$1" ] && return 0
        sleep 0.1
    done
    fail "the window $1 did not take the focus"
}

# Waits until no top-level window has exactly this name; fails naming it when one stays.
wait_until_closed() {
    for _ in $(seq 100); do
        xdotool search --name "^$1\$" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "the window '$1' stayed open"
}

# Gives the box window ID the keyboard focus, presses Enter there and waits for the box named
# NAME to close. The box takes the focus of its own accord once it is mapped; the key waits
# until it has, so that it cannot reach the main window instead.
press_enter_in_box() {
    focus_window "$1"
    xdotool key Return
    wait_until_closed "$2"
}

# Saves a screenshot of the program's window.
screenshot() {
    sleep 0.3
    import -window "$WINDOW" "$1"
}
