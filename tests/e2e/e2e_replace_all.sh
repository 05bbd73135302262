#!/usr/bin/env bash
# Replace all through the window, ignoring case; Ctrl+Z in the pane brings the text back and
# Ctrl+Y, the redo key users expect, the replaced text again (on X11 Qt's own redo key is only
# Ctrl+Shift+Z); Ctrl+Y redoes in an edit box too.
source "$(dirname "$0")/lib.sh"
start_xvfb
start_program "$1"

paste_at "${LEFT_PANE[@]}" "Abc abc ABC"
fill_box_at "${SEARCH_BOX[@]}" "abc"
fill_box_at "${REPLACEMENT_BOX[@]}" "x"
# Undone and redone in the box, the replacement is "x" again.
xdotool key --clearmodifiers ctrl+z
sleep 0.2
xdotool key --clearmodifiers ctrl+y
sleep 0.2
read_pane_at "${REPLACEMENT_BOX[@]}"
[ "$PANE_TEXT" = "x" ] || fail "the replacement box holds '$PANE_TEXT' after Ctrl+Z, Ctrl+Y"
click_at "${REPLACE_BUTTON[@]}"
read_pane_at "${LEFT_PANE[@]}"
[ "$PANE_TEXT" = "x x x" ] || fail "replace all"

xdotool key --clearmodifiers ctrl+z
sleep 0.2
read_pane_at "${LEFT_PANE[@]}"
[ "$PANE_TEXT" = "Abc abc ABC" ] || fail "undo after replace all"

xdotool key --clearmodifiers ctrl+y
sleep 0.2
read_pane_at "${LEFT_PANE[@]}"
[ "$PANE_TEXT" = "x x x" ] || fail "redo with Ctrl+Y gave '$PANE_TEXT'"

xdotool key Escape
expect_exit_status 0
echo ok
