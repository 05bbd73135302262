#!/usr/bin/env bash
# Compare changes the pixels under the differing character only, in both panes, for ASCII and
# for Chinese text pasted through the clipboard; Clear empties both panes.
source "$(dirname "$0")/lib.sh"
start_xvfb
start_program "$1"
work=$(mktemp -d)

# The text areas of the panes in the window (width x height + left + top), inside their frames.
LEFT_RECT="330x200+3+27"
RIGHT_RECT="330x200+439+27"

# Prints "x width" of the changed pixels between two shots within a rectangle, or nothing.
changed_columns() {
    compare -metric AE "$1" "$2" -compose src -highlight-color black -lowlight-color white \
        "$work/diff.png" 2>/dev/null || true
    convert "$work/diff.png" -crop "$3" +repage -format '%@' info: 2>/dev/null |
        awk '{ split($1, g, /[x+]/); if (g[1] > 0) print g[3], g[1] }'
}

# Prints "x width" of the text in a rectangle of one shot.
text_columns() {
    convert "$1" -crop "$2" +repage -fuzz 20% -format '%@' info: |
        awk '{ split($1, g, /[x+]/); print g[3], g[1] }'
}

# Checks that the change lies on character number $3 (1-based) of a line of $4 characters.
check_mark() {
    local shot_before=$1 rect=$2 index=$3 count=$4 name=$5
    read -r text_x text_w < <(text_columns "$shot_before" "$rect")
    read -r mark_x mark_w < <(changed_columns "$shot_before" "$work/after.png" "$rect") ||
        fail "$name: nothing changed"
    local char_w=$((text_w / count))
    local lo=$((text_x + (index - 1) * char_w - char_w / 2))
    local hi=$((text_x + index * char_w + char_w / 2))
    [ "$mark_x" -ge "$lo" ] && [ $((mark_x + mark_w)) -le "$hi" ] ||
        fail "$name: change at x=$mark_x w=$mark_w, character $index spans $lo..$hi"
}

run_case() {
    local left=$1 right=$2 index=$3 count=$4
    click_at "${CLEAR_BUTTON[@]}"
    paste_at "${LEFT_PANE[@]}" "$left"
    paste_at "${RIGHT_PANE[@]}" "$right"
    click_at "${FIND_BUTTON[@]}" # focus on a button: no caret in the shots
    click_at 395 10
    screenshot "$work/before.png"
    click_at "${COMPARE_BUTTON[@]}"
    screenshot "$work/after.png"
    check_mark "$work/before.png" "$LEFT_RECT" "$index" "$count" "left pane ($left)"
    check_mark "$work/before.png" "$RIGHT_RECT" "$index" "$count" "right pane ($right)"
}

run_case "abcdefgh" "abXdefgh" 3 8
run_case "中文字符比较" "中文宇符比较" 3 6

click_at "${CLEAR_BUTTON[@]}"
read_pane_at "${LEFT_PANE[@]}"
[ -z "$PANE_TEXT" ] || fail "left pane not empty after Clear"
read_pane_at "${RIGHT_PANE[@]}"
[ -z "$PANE_TEXT" ] || fail "right pane not empty after Clear"

xdotool key Escape
expect_exit_status 0
rm -rf "$work"
echo ok
