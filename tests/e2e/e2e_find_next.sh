#!/usr/bin/env bash
# Find next walks the occurrences; the click whose search runs off the end shows the
# end-of-search message, which Enter dismisses.
source "$(dirname "$0")/lib.sh"
start_xvfb
start_program "$1"

paste_at "${LEFT_PANE[@]}" "abcabc"
fill_box_at "${SEARCH_BOX[@]}" "bc"
for _ in 1 2; do
    click_at "${FIND_BUTTON[@]}"
    xdotool search --name "^信息：\$" >/dev/null 2>&1 && fail "message before the end"
done
click_at "${FIND_BUTTON[@]}"
box=$(wait_for_window_named "信息：") || fail "no end-of-search message"

# The text of the box is checked by the widget tests; here a person sees it and presses Enter.
press_enter_in_box "$box" "信息："

xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
xdotool key Escape
expect_exit_status 0
echo ok
