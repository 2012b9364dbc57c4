#!/usr/bin/env bash
# The installer's real window under Wine on a private Xvfb, driven with
# xdotool and checked on screenshots and through window_probe:
#   idle page   pixels of the background, status band, outline, option box
#               and mark, Install button corner and outline, hover colour;
#               Enter without focus and Alt+F4 leave it open; a drag moves it; the
#               licence link opens the licence dialog (top, nothing selected)
#               and Escape closes it; the language switch changes the texts;
#               the close button ends the program before Install
#   install     a real installation to "Installation Complete!", the window
#               closing about 2 s after the finish
#               control messages (1224-1229) naming no control of the page
#               leave the window unharmed
#   close       right after Install: the program ends and no worker starts
#   picker      close while the folder picker is open: the window hides at
#               once, Install can no longer start a worker, and the program
#               ends with nothing installed once the picker is closed
#   cancel      close during the installation rolls back to
#               "Installation Cancelled!"
#   escape      Escape does what close does: on the idle window it ends the
#               program, during the installation it cancels it
#   keyboard    a whole installation from the keyboard alone (Tab, Space,
#               Enter, arrows; the folder picker and the licence dialog
#               opened and left), focus outlines on screen, and what a
#               screen reader reads: the parts' names, roles and states
#               (AccessibleObjectFromWindow, AccessibleChildren), names that
#               follow the language, and the status band's name changes
#   unattended  script.ini accepting the licence: no window, installs, exits
# Screenshots of the idle page in both languages and with a focus outline,
# and what the screen reader read, are kept in --artifacts.
#
#   window_ui_test.sh --template DIR --scratch DIR --installer EXE --probe EXE --shell EXE --artifacts DIR
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../support/wine/wine-suite.sh"
suite_options installer probe shell artifacts -- "$@"
export LANG=C.UTF-8 LC_ALL=C.UTF-8
mkdir -p "$artifacts"
suite_start

# Prefix templates made before CJK font linking was part of them get it here.
for face in Arial 'Liberation Sans'; do
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v "$face" \
        /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1 </dev/null
done

inst_dir="$C/inst"
mkdir -p "$inst_dir"
cp "$installer" "$inst_dir/TrovalisInstallV7.exe"
cp "$probe" "$inst_dir/window_probe.exe"
start_test_shell "$shell"
# The Program Files folder a 32-bit program gets on 64-bit Windows, or a
# 64-bit build's own.
# (No pipe into "grep -q" here: under pipefail the writer's SIGPIPE would
# make a match count as a miss.)
program_files="Program Files (x86)"
case "$(objdump -f "$installer" 2>/dev/null)" in *pei-x86-64*) program_files="Program Files" ;; esac
product_dir="$C/$program_files/Zorvanelle/ZorvanelleV7"
chosen_dir="$C/users/$(id -un)/Documents/Zorvanelle/ZorvanelleV7"
shots="$WINEPREFIX/shots"
mkdir -p "$shots"

# The probe ran and found nothing (1); a probe that could not run at all
# (Wine's own failures, 2 for bad use) proves no absence.
not() { "$@" >/dev/null; [ $? -eq 1 ]; }
msgbox_says() { probe msgbox | grep -q "$1"; }

. "$here/installer_process.sh"

# Window geometry from the probe: left, top, client width and height.
read_window() {
    local line
    line=$(probe find) || return 1
    read -r VISIBLE WX WY _ _ CW CH <<<"$line"
}

shoot() { import -window root "$1"; }
# "r g b" of a screenshot pixel at window-relative X Y.
pixel() {
    convert "$1" -format "%[fx:round(255*u.r)] %[fx:round(255*u.g)] %[fx:round(255*u.b)]" \
        -crop "1x1+$((WX + $2))+$((WY + $3))" info:
}
near() {  # SHOT X Y R G B: the pixel is within 3 levels of R G B
    local r g b
    read -r r g b <<<"$(pixel "$1" "$2" "$3")"
    local d
    for d in $((r - $4)) $((g - $5)) $((b - $6)); do
        [ "${d#-}" -le 3 ] || { echo "     pixel $2,$3 is $r $g $b, expected $4 $5 $6" >&2; return 1; }
    done
}
click() { xdotool mousemove $((WX + $1)) $((WY + $2)) click 1; sleep 0.3; }
window_crop() { convert "$1" -crop "${CW}x${CH}+${WX}+${WY}" +repage "$2"; }
# The status band (inside the outline) of a screenshot, or of a reference.
band_of_shot() { convert "$1" -crop "$((CW - 2))x58+$((WX + 1))+$((WY + CH - 59))" +repage "$2"; }
same_band() {  # SHOT REFERENCE.bmp: the band shows exactly the reference text
    band_of_shot "$1" "$shots/band.png"
    convert "$2" -crop "$((CW - 2))x58+1+$((CH - 59))" +repage "$shots/refband.png"
    # The band is filled with alpha 0xfe over the previous text, which leaves
    # a trace of one level: compare with a small tolerance.
    [ "$(compare -fuzz 2% -metric AE "$shots/band.png" "$shots/refband.png" null: 2>&1)" = 0 ]
}
reference_band() {  # TEXT NAME: the status band drawn by the window's own painters
    probe render-status "$CW" "$CH" "$1" "C:\\inst\\$2.bmp" >/dev/null
    echo "$inst_dir/$2.bmp"
}

# The licence link: the first pixel of link blue in the notice row.
link_point() {
    convert "$1" -crop "${CW}x24+${WX}+$((WY + CH - 88))" +repage txt:- |
        awk -F'[,:() ]+' -v row=$((CH - 88)) \
            '/srgb/ { if ($3 < 20 && $4 > 130 && $4 < 170 && $5 > 230) { print $1 + 2, $2 + row; exit } }'
}

# Layout of the page for the window's client size.
layout() {
    INSTALL_X=$(((CW - 140) / 2)); INSTALL_Y=$((CH - 55))
    CLOSE_X=$((CW - 34 + 12)); CLOSE_Y=22
}

echo "== idle page"
start_installer
check "the window appears" probe wait visible 15000
read_window
layout
sleep 0.3
shoot "$shots/idle-en.png"
check "outline is black at the top-left corner" near "$shots/idle-en.png" 0 0 0 0 0
check "background is 0x2d2d2d" near "$shots/idle-en.png" 250 5 44 44 44
check "status band is 0x141414" near "$shots/idle-en.png" 20 $((CH - 10)) 19 19 19
check "option box outline is 0xa0a0a0" near "$shots/idle-en.png" 13 93 159 159 159
check "English option carries the mark" near "$shots/idle-en.png" 111 93 179 179 179
check "Chinese option carries no mark" near "$shots/idle-en.png" 21 93 44 44 44
check "Install button corner shows the band colour" near "$shots/idle-en.png" $INSTALL_X $INSTALL_Y 19 19 19
check "Install button outline is 0xa0a0a0" near "$shots/idle-en.png" $INSTALL_X $((INSTALL_Y + 25)) 159 159 159
xdotool mousemove $((WX + INSTALL_X + 70)) $((WY + INSTALL_Y + 25)); sleep 0.3
shoot "$shots/hover.png"
check "hovering the Install button turns its outline 0x27a0fd" \
    near "$shots/hover.png" $INSTALL_X $((INSTALL_Y + 25)) 39 159 252
xdotool mousemove $((WX + 300)) $((WY + 50)); sleep 0.2
window_crop "$shots/idle-en.png" "$artifacts/window-en.png"

xdotool key Return; xdotool key alt+F4; sleep 0.5
check "Enter without a focused control and Alt+F4 leave the window open" probe wait visible 100

left=$WX top=$WY
# A person's drag: each step takes a moment.
for step in "mousemove $((WX + 300)) $((WY + 50))" "mousedown 1" "mousemove $((WX + 320)) $((WY + 60))" \
    "mousemove $((WX + 360)) $((WY + 80))" "mousemove $((WX + 400)) $((WY + 100))" "mouseup 1"; do
    xdotool $step
    sleep 0.1
done
sleep 0.2
read_window
check "a drag on an empty spot moves the window by the pointer's way" \
    test "$((WX - left)) $((WY - top))" = "100 50"

shoot "$shots/link.png"
link=$(link_point "$shots/link.png")
check "the licence link is drawn in link blue" test -n "$link"
if [ -n "$link" ]; then
    click $link
    sleep 0.3
    license=$(probe license)
    read -r owned sel_start sel_end first_line length <<<"$license"
    check "the link opens the licence dialog owned by the main window" test "${owned:-0}" = 1
    check "the licence opens at the top with nothing selected" test "$sel_start $sel_end $first_line" = "0 0 0"
    check "the licence dialog shows the licence text" test "${length:-0}" -gt 100
    xdotool key Escape; sleep 0.3
    check "Escape closes the licence dialog" not probe license
    check "the main window stays after the licence dialog" probe wait visible 100
fi

click 30 93
xdotool mousemove $((WX + 300)) $((WY + 50)); sleep 0.3
shoot "$shots/idle-zh.png"
window_crop "$shots/idle-zh.png" "$artifacts/window-zh.png"
check "the Chinese option takes the mark" near "$shots/idle-zh.png" 21 93 179 179 179
# "简体中文" drawn with real glyphs has about twice the ink of four
# missing-glyph boxes (hollow rectangles).
ink=$(convert "$shots/idle-zh.png" -crop "48x24+$((WX + 31))+$((WY + 81))" +repage -colorspace gray \
    -threshold 40% -format "%[fx:round(mean*w*h)]" info:)
check "Chinese text shows real glyphs ($ink ink pixels)" test "$ink" -gt 130
check "the English option loses the mark" near "$shots/idle-zh.png" 111 93 44 44 44
convert "$shots/idle-en.png" -crop "$((CW - 20))x24+$((left + 10))+$((top + 54))" +repage "$shots/prompt-en.png"
convert "$shots/idle-zh.png" -crop "$((CW - 20))x24+$((WX + 10))+$((WY + 54))" +repage "$shots/prompt-zh.png"
check "the language prompt changes with the language" \
    test "$(compare -metric AE "$shots/prompt-en.png" "$shots/prompt-zh.png" null: 2>&1)" != 0
click 111 93
xdotool mousemove $((WX + 300)) $((WY + 50)); sleep 0.3
shoot "$shots/back-en.png"
convert "$shots/back-en.png" -crop "$((CW - 20))x24+$((WX + 10))+$((WY + 54))" +repage "$shots/prompt-back.png"
check "switching back gives the English prompt again" \
    test "$(compare -fuzz 2% -metric AE "$shots/prompt-en.png" "$shots/prompt-back.png" null: 2>&1)" = 0

convert "$shots/back-en.png" -crop "$((CW - 60))x25+$((WX + 13))+$((WY + 142))" +repage "$shots/path-before.png"
click $((CW - 24)) 154
check "the browse button opens the folder picker" quiet probe wait-titled "Browse for Folder" 5000
xdotool key Escape; sleep 0.3
check "Escape closes the folder picker" not probe titled "Browse for Folder"
shoot "$shots/after-cancel.png"
convert "$shots/after-cancel.png" -crop "$((CW - 60))x25+$((WX + 13))+$((WY + 142))" +repage "$shots/path-after.png"
check "a cancelled folder choice leaves the path as it was" \
    test "$(compare -fuzz 2% -metric AE "$shots/path-before.png" "$shots/path-after.png" null: 2>&1)" = 0

# Reports are read within their cbData only, and the status text is cut to
# its 259-unit field.
probe report 0 "$(printf 'A%.0s' $(seq 1 400))" 10 >/dev/null
shoot "$shots/short-report.png"
check "a report's text is read only within its cbData" \
    same_band "$shots/short-report.png" "$(reference_band 'Copying file \r\nAAAAA' short)"
long=$(printf 'B%.0s' $(seq 1 600))
probe report 0 "$long" 1202 >/dev/null
shoot "$shots/long-report.png"
check "a long report is cut to the 259-unit status field" \
    same_band "$shots/long-report.png" "$(reference_band "Copying file \\r\\n${long:0:244}" long)"
check "the window survives the long report" probe wait visible 100

# The control messages carry their control's address: values that name none
# of the page's controls (null, small, and an unmapped address) are ignored.
for message in 1224 1226 1227 1228 1229; do
    probe post $message 0 1 0x7ffe12345670 >/dev/null
done
sleep 0.5
check "control messages naming no control of the page leave the window unharmed" probe answers 2000
shoot "$shots/after-bogus.png"
check "a bogus option click changes no language" near "$shots/after-bogus.png" 111 93 179 179 179

click $CLOSE_X $CLOSE_Y
check "the close button before Install ends the program" test "$(installer_exit 10)" = 0
check "no installation was made" test ! -e "$product_dir"

echo "== close right after Install"
start_installer
probe wait visible 15000 >/dev/null
read_window
layout
# Both clicks are queued at once, ahead of the 33 ms start timer's tick
# (a timer message only comes when nothing else is queued).
probe post-clicks $((INSTALL_X + 70)) $((INSTALL_Y + 25)) $CLOSE_X $CLOSE_Y
check "closing within 33 ms of Install ends the program" test "$(installer_exit 10)" = 0
check "no worker started" test ! -e "$product_dir" -a ! -e "$chosen_dir"

echo "== close while the folder picker is open"
start_installer
probe wait visible 15000 >/dev/null
read_window
layout
click $((CW - 24)) 154
read -r picker_x picker_y <<<"$(probe wait-titled "Browse for Folder" 5000)"
sleep 0.3
# The picker has no owner: the main window still takes clicks.
click $CLOSE_X $CLOSE_Y
check "the close button hides the window at once, the picker still open" probe wait hidden 500
click $((INSTALL_X + 70)) $((INSTALL_Y + 25))
# A pointer click no longer reaches the hidden window; one posted to it does.
probe post-clicks $((INSTALL_X + 70)) $((INSTALL_Y + 25))
sleep 2  # a worker started by those clicks would be writing files by now
check "the ended window starts no worker while the picker is open" test ! -e "$product_dir"
xdotool mousemove $((picker_x + 60)) $((picker_y + 8)) click 1 key Escape
check "the picker closes" quiet probe wait-gone-titled "Browse for Folder" 5000
check "the program ends once the picker has closed" test "$(installer_exit 15)" = 0
check "no installation was made, not even half of one" test ! -e "$product_dir" -a ! -e "$chosen_dir"

echo "== install"
start_installer
probe wait visible 15000 >/dev/null
read_window
layout
complete=$(reference_band "Installation Complete!" complete)
# Install into a folder chosen with the picker: Documents, the third row of
# its tree, then OK.
click $((CW - 24)) 154
read -r picker_x picker_y <<<"$(probe wait-titled "Browse for Folder" 5000)"
sleep 0.3
xdotool mousemove $((picker_x + 95)) $((picker_y + 129)) click 1; sleep 0.3
xdotool mousemove $((picker_x + 160)) $((picker_y + 319)) click 1; sleep 0.5
click $((INSTALL_X + 70)) $((INSTALL_Y + 25))
seen_complete= panel_at= gone_at=
start=$(date +%s%N)
for i in $(seq 1 900); do
    now=$(( ($(date +%s%N) - start) / 1000000 ))
    if ! probe find >/dev/null; then gone_at=$now; break; fi
    [ -z "$panel_at" ] && probe titled ZorvanellePanelV7 && panel_at=$now
    if [ -z "$seen_complete" ]; then
        shoot "$shots/progress.png"
        if same_band "$shots/progress.png" "$complete"; then
            seen_complete=$now
            # The licence stays reachable; the closing ends it with the window.
            [ -n "$link" ] && click $link && quiet probe license && license_open=1
        fi
    fi
    sleep 0.05
done
check "the status band shows \"Installation Complete!\"" test -n "$seen_complete"
check "the licence dialog opened while installing closes with the window" \
    test "${license_open:-0}" = 1 -a "$(probe license)" = none
check "the installation wrote the product's files into the chosen folder" test -f "$chosen_dir/uninstall.log"
check "the program ends after the installation" test "$(installer_exit 10)" = 0
if [ -n "$panel_at" ] && [ -n "$gone_at" ]; then
    echo "     panel started at ${panel_at} ms, window gone at ${gone_at} ms"
    check "the window closes about 2 s after the finish" \
        test $((gone_at - panel_at)) -ge 1700 -a $((gone_at - panel_at)) -le 3500
else
    check "the finish and the closing were both seen" false
fi
wine taskkill /f /im ZorvanellePanelV7.exe >/dev/null 2>&1 </dev/null

echo "== cancel"
start_installer
probe wait visible 15000 >/dev/null
read_window
layout
cancelled=$(reference_band "Installation Cancelled!" cancelled)
click $((INSTALL_X + 70)) $((INSTALL_Y + 25))
# Cancel once the worker is writing files (seconds before its last install
# step: drivers, services and shortcuts follow).
writing=
for i in $(seq 1 300); do
    [ -f "$product_dir/ZorvanellePanelV7.exe" ] && { writing=1; break; }
    sleep 0.05
done
check "the worker writes the product's files before the cancel" test -n "$writing"
click $CLOSE_X $CLOSE_Y
click $CLOSE_X $CLOSE_Y  # a second press does nothing
seen_cancelled=
for i in $(seq 1 600); do
    probe find >/dev/null || break
    if [ -z "$seen_cancelled" ]; then
        shoot "$shots/cancel.png"
        same_band "$shots/cancel.png" "$cancelled" && seen_cancelled=1
    fi
    sleep 0.05
done
check "the status band shows \"Installation Cancelled!\"" test -n "$seen_cancelled"
cancel_rc=$(installer_exit 10); echo "     exit code $cancel_rc"
check "a cancelled installation ends the program with its failure code" test "$cancel_rc" = $((1602 % 256))  # 1602 as a shell sees it
check "the rollback removed the written files" test ! -e "$product_dir/uninstall.log" -a ! -e "$product_dir/ZorvanellePanelV7.exe"

echo "== escape"
start_installer
probe wait visible 15000 >/dev/null
sleep 0.3
xdotool key Escape
check "Escape on the idle window ends the program, as the close button does" test "$(installer_exit 10)" = 0
start_installer
probe wait visible 15000 >/dev/null
read_window
layout
click $((INSTALL_X + 70)) $((INSTALL_Y + 25))
for i in $(seq 1 300); do
    [ -f "$product_dir/ZorvanellePanelV7.exe" ] && break
    sleep 0.05
done
xdotool key Escape
check "Escape during the installation cancels it, as the close button does" \
    test "$(installer_exit 60)" = $((1602 % 256))
check "the cancelled installation was rolled back" test ! -e "$product_dir/ZorvanellePanelV7.exe"

echo "== keyboard and screen reader"
# What a screen reader reads, saved as NAME.txt: one "ID ROLE NAME STATES
# [VALUE]" line (tab-separated) for each part of the page.
read_page() { probe accessible >"$shots/$1.txt"; cp "$shots/$1.txt" "$artifacts/accessible-$1.txt"; }
part() { awk -F'\t' -v id="$2" -v f="$3" '$1 == id { print $f }' "$shots/$1.txt"; }  # NAME ID FIELD
focused_part() { awk -F'\t' '$4 ~ /focused/ { print $1 }' "$shots/$1.txt"; }
key() { xdotool key "$@"; sleep 0.3; }
check "nothing is installed before the keyboard installation" \
    test ! -e "$product_dir/uninstall.log" -a -z "$(product_value MainAppPath)"
start_installer
probe wait visible 15000 >/dev/null
read_window
layout
sleep 0.3
# The events come as they happen: straight into the file, not through the
# probe function's pipe, whose end would hold them back until it exits.
wine 'C:\inst\window_probe.exe' events 300000 </dev/null >"$shots/events.txt" 2>/dev/null &
events_pid=$!
sleep 0.5
read_page en
sed 's/^/     /' "$shots/en.txt"
check "a screen reader finds the page's eight parts" test "$(wc -l <"$shots/en.txt")" = 8
check "the language options are radio buttons, English checked" \
    test "$(part en 1 2)|$(part en 1 3)|$(part en 1 4)|$(part en 2 3)|$(part en 2 4)" = \
    "radio button|简体中文|focusable|English|checked,focusable"
check "the folder is a read-only text holding the installation path" \
    test "$(part en 3 3)|$(part en 3 4)|$(part en 3 5)" = \
    "Please Select Installation Folder|readonly|C:\\$program_files\\Zorvanelle\\ZorvanelleV7"
check "browse, Install and close are named buttons" \
    test "$(part en 4 2)|$(part en 4 3)|$(part en 6 2)|$(part en 6 3)|$(part en 7 2)|$(part en 7 3)" = \
    "push button|Browse|push button|Install|push button|Close"
check "the licence link is a link" test "$(part en 5 2)|$(part en 5 3)" = "link|License Agreement"
check "the status band is a static text" test "$(part en 8 2)|$(part en 8 4)" = "static text|readonly"
check "nothing has the focus before the first key" test -z "$(focused_part en)"

key Tab
shoot "$shots/focus-chinese.png"
window_crop "$shots/focus-chinese.png" "$artifacts/window-focus-option.png"
read_page tab
check "Tab puts the focus on the Chinese option" test "$(focused_part tab)" = 1
check "the focused option shows the focus outline" near "$shots/focus-chinese.png" 31 81 39 160 253
key space
read_page zh
check "Space selects the Chinese option" test "$(part zh 1 4)" = "checked,focused,focusable"
check "the names follow the language" \
    test "$(part zh 5 3)|$(part zh 6 3)|$(part zh 7 3)|$(part zh 3 3)" = "安装协议|安装|关闭|请选择安装目录"
key Right
read_page right
check "the right arrow selects and focuses English" \
    test "$(part right 2 4)|$(part right 1 4)|$(part right 6 3)" = "checked,focused,focusable|focusable|Install"
shoot "$shots/focus-english.png"
check "the focus outline leaves the Chinese option" near "$shots/focus-english.png" 31 81 44 44 44
probe press 1 >/dev/null; sleep 0.3
read_page pressed
check "a screen reader's press on the Chinese option selects it" \
    test "$(part pressed 1 4)|$(part pressed 6 3)" = "checked,focusable|安装"
probe press 2 >/dev/null; sleep 0.3

key Tab
key space
check "Space on the browse button opens the folder picker" quiet probe wait-titled "Browse for Folder" 5000
sleep 0.3
key Escape
check "Escape leaves the folder picker" not probe titled "Browse for Folder"
key Tab
read_page link
check "the focus is back on the page after the picker: Tab reaches the licence link" test "$(focused_part link)" = 5
key Return
check "Enter on the link opens the licence dialog" quiet probe license
key Return
check "Enter closes the licence dialog" not probe license
key Tab
read_page install
check "Tab after the licence dialog reaches Install" test "$(focused_part install)" = 6
shoot "$shots/focus-install.png"
window_crop "$shots/focus-install.png" "$artifacts/window-focus-install.png"
check "the focused Install button shows the focus outline" \
    near "$shots/focus-install.png" $((INSTALL_X + 4)) $((INSTALL_Y + 25)) 39 160 253
key shift+Tab
key Tab
read_page back
check "Shift+Tab and Tab go back and forth" test "$(focused_part back)" = 6

key Return
sleep 0.5
read_page installing
check "after Install the focus moves on to the close button" test "$(focused_part installing)" = 7
check "Install is gone and the language options are unavailable" \
    test "$(part installing 6 4)|$(part installing 1 4)" = "unavailable,invisible|unavailable"
key Tab
key Tab
key Right
read_page installing2
check "while installing Tab cycles the link and close, and arrows change nothing" \
    test "$(focused_part installing2)|$(part installing2 2 4)" = "7|checked,unavailable"
for i in $(seq 1 1200); do
    probe find >/dev/null || break
    sleep 0.1
done
check "the keyboard installation ends the program" test "$(installer_exit 10)" = 0
kill "$events_pid" 2>/dev/null
wait "$events_pid" 2>/dev/null
tr -d '\r' <"$shots/events.txt" >"$artifacts/accessible-events.txt"
check "focus changes are announced" grep -qx "focus 6 Install" "$artifacts/accessible-events.txt"
check "the status band's changes are announced" \
    grep -qx "namechange 8 Installation Complete!" "$artifacts/accessible-events.txt"
check "a two-line status is read as one line with its file" \
    grep -qx "namechange 8 Copying file C:.*ZorvanellePanelV7.exe" "$artifacts/accessible-events.txt"
check "the keyboard installation wrote the product's files" test -f "$product_dir/uninstall.log"
check "the keyboard installation recorded the product key" \
    test "$(product_value MainAppPath)" = "C:\\$program_files\\Zorvanelle\\ZorvanelleV7\\ZorvanellePanelV7.exe"
wine taskkill /f /im ZorvanellePanelV7.exe >/dev/null 2>&1 </dev/null
# The next case installs into the same folder: remove this installation.
wine "C:\\$program_files\\Zorvanelle\\ZorvanelleV7\\Uninstall.exe" /quiet </dev/null >/dev/null 2>&1
check "the keyboard installation is removed again" test ! -e "$product_dir/uninstall.log"

echo "== unattended"
printf '<Unattended Lang="English" EndUserLicense="Agree" ShowPanel="No" HID="1" Path="C:\\%s" />\n' "$program_files" \
    >"$inst_dir/script.ini"
start_installer
shown=0
for i in $(seq 1 100); do
    probe wait visible 0 >/dev/null && [ "$i" -gt 3 ] && shown=1
    [ -f "$WINEPREFIX/installer.rc" ] && break
    sleep 0.1
done
check "an unattended run keeps its window hidden" test "$shown" = 0
check "an unattended run ends by itself" test "$(installer_exit 120)" = 0
check "an unattended run installs the product" test -f "$product_dir/uninstall.log"
rm -f "$inst_dir/script.ini"

echo "== no package"
rm -rf "$product_dir" "$chosen_dir"
probe spoil-package 'C:\inst\TrovalisInstallV7.exe' 'C:\inst\NoPackage.exe' >/dev/null
mv "$inst_dir/NoPackage.exe" "$inst_dir/TrovalisInstallV7.exe"
start_installer
probe wait visible 15000 >/dev/null
read_window
layout
for i in $(seq 1 50); do probe msgbox >/dev/null && break; sleep 0.1; done
check "a program without its package says so" msgbox_says "no usable package"
xdotool key Return; sleep 0.3
click $((INSTALL_X + 70)) $((INSTALL_Y + 25))
sleep 1
check "Install does nothing without a package" test ! -e "$product_dir"
check "the window stays open" probe wait visible 100
click $CLOSE_X $CLOSE_Y
check "the close button ends a program without package" test "$(installer_exit 10)" = $((1620 % 256))  # 1620 as a shell sees it
printf '<Unattended Lang="English" EndUserLicense="Agree" ShowPanel="No" HID="1" />\n' >"$inst_dir/script.ini"
start_installer
check "an unattended run without package ends at once" test "$(installer_exit 15)" = $((1620 % 256))
check "an unattended run without package installs nothing" test ! -e "$product_dir"
rm -f "$inst_dir/script.ini"

suite_end
