#!/usr/bin/env bash
# Aligned compare in the real program: F7 marks only the inserted character (the pixels change
# under it in the right pane and nowhere in the left one), Ctrl+Z in the right pane takes the
# mark back, and the right-click menu of 比较 still offers the position-by-position Compare,
# which marks every position after the insertion.
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

# Checks that the change between two shots spans characters $4..$5 (1-based) of a line of $6
# characters: it starts and ends within a character's width of where the average character
# width puts them (the font is proportional).
check_change() {
    local before=$1 after=$2 rect=$3 first=$4 last=$5 count=$6 name=$7
    local text_x text_w mark_x mark_w
    read -r text_x text_w < <(text_columns "$before" "$rect")
    read -r mark_x mark_w < <(changed_columns "$before" "$after" "$rect") ||
        fail "$name: nothing changed"
    local char_w=$((text_w / count))
    local start=$((text_x + (first - 1) * char_w))
    local end=$((text_x + last * char_w))
    local mark_end=$((mark_x + mark_w))
    [ "$mark_x" -ge $((start - char_w)) ] && [ "$mark_x" -le $((start + char_w)) ] &&
        [ "$mark_end" -ge $((end - char_w)) ] && [ "$mark_end" -le $((end + char_w)) ] ||
        fail "$name: change from x=$mark_x to $mark_end, characters $first..$last lie" \
            "from $start to $end (character width $char_w)"
}

# Takes screenshots into $3 until the rectangle $2 differs from shot $1 (or, with "same" as $4,
# until it is back to shot $1), for at most five seconds: a busy machine may paint late.
shot_until() {
    local before=$1 rect=$2 after=$3 want=${4:-changed}
    for _ in $(seq 25); do
        screenshot "$after"
        local change
        change=$(changed_columns "$before" "$after" "$rect")
        if [ "$want" = same ]; then [ -z "$change" ] && return 0; else [ -n "$change" ] && return 0; fi
        sleep 0.2
    done
}


check_unchanged() {
    [ -z "$(changed_columns "$1" "$2" "$3")" ] || fail "$4: pixels changed"
}

paste_at "${LEFT_PANE[@]}" "abcdefgh"
paste_at "${RIGHT_PANE[@]}" "abXcdefgh"
click_at "${FIND_BUTTON[@]}" # focus on a button: no caret in the shots
screenshot "$work/before.png"

xdotool key F7
# Both panes are marked by one command, the left one first: once the right pane shows its
# mark, the left pane shows whatever it got.
shot_until "$work/before.png" "$RIGHT_RECT" "$work/aligned.png"
check_unchanged "$work/before.png" "$work/aligned.png" "$LEFT_RECT" "left pane after F7"
check_change "$work/before.png" "$work/aligned.png" "$RIGHT_RECT" 3 3 9 "right pane after F7"

# One Ctrl+Z in the right pane: back to the unmarked text.
click_at "${RIGHT_PANE[@]}"
xdotool key --clearmodifiers ctrl+z
click_at "${FIND_BUTTON[@]}"
shot_until "$work/before.png" "$RIGHT_RECT" "$work/undone.png" same
check_unchanged "$work/before.png" "$work/undone.png" "$RIGHT_RECT" "right pane after Ctrl+Z"
read_pane_at "${RIGHT_PANE[@]}"
[ "$PANE_TEXT" = "abXcdefgh" ] || fail "right pane holds '$PANE_TEXT' after Ctrl+Z"

# The first entry of the button's menu is the position-by-position Compare.
click_at "${FIND_BUTTON[@]}"
screenshot "$work/before-menu.png"
xdotool mousemove --window "$WINDOW" "${COMPARE_BUTTON[@]}" click 3
wait_for_popup
xdotool key Down Return
sleep 0.2
click_at "${FIND_BUTTON[@]}"
shot_until "$work/before-menu.png" "$LEFT_RECT" "$work/position.png"
check_change "$work/before-menu.png" "$work/position.png" "$LEFT_RECT" 3 8 8 \
    "left pane after 按位置比较"

xdotool key Escape
expect_exit_status 0
rm -rf "$work"
echo ok
