#!/usr/bin/env bash
# The real program starts with its window, takes typed text in the left pane and closes on
# Escape with exit status 0.
source "$(dirname "$0")/lib.sh"
PROGRAM=$1

start_xvfb
start_program "$PROGRAM"

[ "$(xdotool getwindowname "$WINDOW")" = "$TITLE" ] || fail "window title"

click_at 100 100
xdotool type --delay 20 "typed text"
sleep 0.3
read_pane_at 100 100
[ "$PANE_TEXT" = "typed text" ] || fail "left pane text"

xdotool key Escape
expect_exit_status 0
echo "ok"
