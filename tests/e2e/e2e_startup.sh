#!/usr/bin/env bash
# The real program starts with its window, offers the window manager no resizing, takes typed
# text in the left pane and closes on Escape with exit status 0.
source "$(dirname "$0")/lib.sh"
PROGRAM=$1

start_xvfb
start_program "$PROGRAM"

[ "$(xdotool getwindowname "$WINDOW")" = "$TITLE" ] || fail "window title"

# Motif hints: functions and decorations given (0x3); move, minimise, close (0x2c); border,
# title, menu, minimise button (0x3a): no resize function, no sizing border, no maximise.
HINTS=$(xprop -id "$WINDOW" _MOTIF_WM_HINTS)
[ "$HINTS" = "_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = 0x3, 0x2c, 0x3a, 0x0, 0x0" ] ||
    fail "frame hints: $HINTS"

click_at 100 100
xdotool type --delay 20 "typed text"
sleep 0.3
read_pane_at 100 100
[ "$PANE_TEXT" = "typed text" ] || fail "left pane text"

xdotool key Escape
expect_exit_status 0
echo "ok"
