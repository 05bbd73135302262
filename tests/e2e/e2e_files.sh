#!/usr/bin/env bash
# Files named on the command line are loaded into the left and right panes at start-up, each in
# its own encoding and line ends; "另存为…" from the left pane's menu writes the same bytes back.
# A file that cannot be loaded is reported in the message box and leaves its pane empty.
source "$(dirname "$0")/lib.sh"
start_xvfb
work=$(mktemp -d)

# GB18030 with CRLF lines, and UTF-8 with LF lines.
printf '\xd6\xd0\xce\xc4 left\r\nsecond line\r\n' >"$work/left.txt"
printf '\xe4\xb8\xad\xe6\x96\x87 right\nsecond line\n' >"$work/right.txt"

echo "start-up with two files"
start_program "$1" "$work/left.txt" "$work/right.txt"
xdotool search --name "^信息：\$" >/dev/null 2>&1 && fail "message at start-up"
read_pane_at "${LEFT_PANE[@]}"
[ "$PANE_TEXT" = $'中文 left\nsecond line' ] || fail "left pane: $PANE_TEXT"
read_pane_at "${RIGHT_PANE[@]}"
[ "$PANE_TEXT" = $'中文 right\nsecond line' ] || fail "right pane: $PANE_TEXT"

# The left pane's menu ends with 打开文件…, 另存为…, the two moves and 对齐比较 (F7); Up from
# the bottom reaches 另存为… on the fourth step.
xdotool mousemove --window "$WINDOW" "${LEFT_PANE[@]}" click 3
wait_for_popup
sleep 0.2
xdotool key Up Up Up Up Return
dialog=$(wait_for_window_named "另存为") || fail "no save dialog"
focus_window "$dialog"
sleep 0.3
xdotool type --delay 10 "$work/saved.txt"
xdotool key Return
for _ in $(seq 50); do
    [ -f "$work/saved.txt" ] && break
    sleep 0.1
done
cmp -s "$work/left.txt" "$work/saved.txt" || fail "saved bytes differ: $(od -c "$work/saved.txt" | head)"

xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
xdotool key Escape
expect_exit_status 0

# A missing left file: the box names it, the right file still loads.
echo "start-up with a missing file"
start_program "$1" "$work/missing.txt" "$work/right.txt"
box=$(wait_for_window_named "信息：") || fail "no message for a missing file"
press_enter_in_box "$box" "信息："
read_pane_at "${LEFT_PANE[@]}"
[ -z "$PANE_TEXT" ] || fail "left pane not empty: $PANE_TEXT"
read_pane_at "${RIGHT_PANE[@]}"
[ "$PANE_TEXT" = $'中文 right\nsecond line' ] || fail "right pane after the message: $PANE_TEXT"
xdotool key Escape
expect_exit_status 0

rm -rf "$work"
echo ok
