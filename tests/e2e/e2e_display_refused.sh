#!/usr/bin/env bash
# A display that refuses the program (its server wants a cookie the program lacks, as over a
# badly forwarded SSH session): standard error gets the error box's text and then a line naming
# the display, and the exit status is 255. Given the cookie, the program opens the same display.
source "$(dirname "$0")/lib.sh"
PROGRAM=$1

E2E_TMP=$(mktemp -d)
cookie=$(od -An -tx1 -N16 /dev/urandom | tr -d ' \n')
: >"$E2E_TMP/server"
xauth -q -f "$E2E_TMP/server" add :0 . "$cookie"
start_xvfb -auth "$E2E_TMP/server"

status=0
XAUTHORITY="$E2E_TMP/none" "$PROGRAM" </dev/null 2>"$E2E_TMP/stderr" || status=$?
[ "$status" -eq 255 ] || fail "exit status $status without the cookie, expected 255"
printf -v expected '运行时出错!\n\n错误信息：载入启动窗口失败\n无法打开显示：DISPLAY="%s"\n' "$DISPLAY"
stderr=$(cat "$E2E_TMP/stderr"; echo .)
[[ "${stderr%.}" == *"$expected"* ]] || fail "standard error: ${stderr%.}"

: >"$E2E_TMP/client"
xauth -q -f "$E2E_TMP/client" add "$DISPLAY" . "$cookie"
export XAUTHORITY="$E2E_TMP/client"
start_program "$PROGRAM"
xdotool key Escape
expect_exit_status 0
echo "ok"
