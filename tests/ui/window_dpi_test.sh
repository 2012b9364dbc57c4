#!/usr/bin/env bash
# The installer's real window on displays of 96, 144 and 192 dots per inch
# (the prefix's LogPixels), under Wine on a private Xvfb. At each scale:
#   the window reports the display's dots per inch (read as the installer
#   reads it) and has a client area the template scaled;
#   screenshot pixels away from anti-aliasing: the window outline (2 pixels
#   wide from 144 on), background, status band, the Chinese option's box
#   outline, the English option's mark, the Install button's fill, outline
#   and rounded corner, the hover outline under the pointer at the scaled
#   button's middle;
#   the Install caption's ink height is the 96 one scaled, within 2 pixels;
#   the close button, where the scaled layout puts it, ends the program.
# The 192 screenshot is kept in --artifacts.
#
#   window_dpi_test.sh --template DIR --scratch DIR --installer EXE --probe EXE --artifacts DIR
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../support/wine/wine-suite.sh"
suite_options installer probe artifacts -- "$@"
export LANG=C.UTF-8 LC_ALL=C.UTF-8
mkdir -p "$artifacts"
suite_start

inst_dir="$C/inst"
mkdir -p "$inst_dir"
cp "$installer" "$inst_dir/TrovalisInstallV7.exe"
cp "$probe" "$inst_dir/window_probe.exe"
shots="$WINEPREFIX/shots"
mkdir -p "$shots"

# Wine 8 takes the display's scale from this one value when a program
# starts: the dialog template's size and the window's DPI follow it. A new
# session makes every program of the run see it alike; within the old one
# the installer did, but the probe went on reading 96.
set_display_dpi() {  # DPI
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 </dev/null
    stop_wine_session
    start_wine_session
}

. "$here/installer_process.sh"
read_window() {  # WX WY CW CH from the probe
    local line
    line=$(probe find) || return 1
    read -r _ WX WY _ _ CW CH <<<"$line"
}
shoot() { import -window root "$1"; }
pixel() {  # SHOT X Y: "r g b" at window-relative X Y
    convert "$1" -format "%[fx:round(255*u.r)] %[fx:round(255*u.g)] %[fx:round(255*u.b)]" \
        -crop "1x1+$((WX + $2))+$((WY + $3))" info:
}
near() {  # SHOT X Y R G B: the pixel is within 3 levels of R G B
    local r g b d
    read -r r g b <<<"$(pixel "$1" "$2" "$3")"
    for d in $((r - $4)) $((g - $5)) $((b - $6)); do
        [ "${d#-}" -le 3 ] || { echo "     pixel $2,$3 is $r $g $b, expected $4 $5 $6" >&2; return 1; }
    done
}
# Height of the bright ink inside a window-relative rectangle W H X Y.
ink_height() {  # SHOT W H X Y
    convert "$1" -crop "$2x$3+$((WX + $4))+$((WY + $5))" +repage -colorspace gray -threshold 50% \
        -format '%@' info: | sed -n 's/^[0-9]*x\([0-9]*\)+.*/\1/p'
}
within() { local d=$(($1 - $2)); [ "${d#-}" -le "$3" ]; }  # A B SLACK

declare -A caption_height
for dpi in 96 144 192; do
    echo "== $dpi dots per inch"
    S() { echo $((($1 * dpi + 48) / 96)); }  # a size at 96, scaled and rounded
    set_display_dpi "$dpi"
    start_installer
    check "the window appears" probe wait visible 15000
    read_window
    sleep 0.3
    seen_dpi=$(probe dpi)
    check "the window reports $dpi dots per inch to the installer (${seen_dpi:-nothing})" test "$seen_dpi" = "$dpi"
    check "the client area ${CW}x$CH follows the display" test "$CW" -ge $(($(S 496) * 9 / 10))

    pen=$(S 1) m=$(S 10) r=$(S 24) s=$(S 60) gap=$(S 3) inset=$(S 4)
    slot_y=$((3 * m + 2 * r + gap)) box=$((r - 2 * inset)) mark=$((r - 4 * inset))
    chinese_x=$((m + gap)) english_x=$((m + gap + $(S 80) + m))
    iw=$(S 140) ih=$(S 50)
    ix=$(((CW - iw) / 2)) iy=$((CH - s + (s - ih) / 2))
    shot="$shots/idle-$dpi.png"
    shoot "$shot"
    at() { echo "$1,$2"; }
    check "window outline at $(at $((pen - 1)) $((CH / 2))) is 0x000000" near "$shot" $((pen - 1)) $((CH / 2)) 0 0 0
    check "background inside the outline at $(at "$pen" $((CH / 2))) is 0x2d2d2d" \
        near "$shot" "$pen" $((CH / 2)) 44 44 44
    check "background at $(at $((CW / 2)) "$(S 5)") is 0x2d2d2d" near "$shot" $((CW / 2)) "$(S 5)" 44 44 44
    check "status band at $(at "$(S 20)" $((CH - $(S 10)))) is 0x141414" \
        near "$shot" "$(S 20)" $((CH - $(S 10))) 19 19 19
    box_mid=$((slot_y + inset + box / 2))
    check "Chinese option box outline at $(at $((chinese_x + pen - 1)) $box_mid) is 0xa0a0a0" \
        near "$shot" $((chinese_x + pen - 1)) $box_mid 159 159 159
    check "Chinese option box inside its outline at $(at $((chinese_x + pen)) $box_mid) is 0x2d2d2d" \
        near "$shot" $((chinese_x + pen)) $box_mid 44 44 44
    mark_x=$((english_x + inset + mark / 2)) mark_y=$((slot_y + 2 * inset + mark / 2))
    check "English option mark at $(at $mark_x $mark_y) is 0xb4b4b4" near "$shot" $mark_x $mark_y 180 180 180
    check "Install button fill at $(at $((ix + $(S 10))) $((iy + ih / 2))) is 0x141414" \
        near "$shot" $((ix + $(S 10))) $((iy + ih / 2)) 20 20 20
    check "Install button outline at $(at $((ix + pen - 1)) $((iy + ih / 2))) is 0xa0a0a0" \
        near "$shot" $((ix + pen - 1)) $((iy + ih / 2)) 159 159 159
    check "Install button top outline at $(at $((ix + iw / 2)) $((iy + pen - 1))) is 0xa0a0a0" \
        near "$shot" $((ix + iw / 2)) $((iy + pen - 1)) 159 159 159
    check "Install button inside its outline at $(at $((ix + pen)) $((iy + ih / 2))) is 0x141414" \
        near "$shot" $((ix + pen)) $((iy + ih / 2)) 20 20 20
    check "Install button's rounded corner at $(at $((ix + pen - 1)) $((iy + pen - 1))) shows the band 0x141414" \
        near "$shot" $((ix + pen - 1)) $((iy + pen - 1)) 20 20 20
    caption_height[$dpi]=$(ink_height "$shot" $((iw - 2 * $(S 6))) $((ih - 2 * $(S 6))) $((ix + $(S 6))) \
        $((iy + $(S 6))))
    echo "     Install caption ink height: ${caption_height[$dpi]} pixels"
    [ "$dpi" = 192 ] && convert "$shot" -crop "${CW}x${CH}+${WX}+${WY}" +repage "$artifacts/window-192dpi.png"

    xdotool mousemove $((WX + ix + iw / 2)) $((WY + iy + ih / 2))
    sleep 0.3
    shoot "$shots/hover-$dpi.png"
    check "hovering the Install button's middle turns its outline at $(at $((ix + pen - 1)) $((iy + ih / 2))) 0x27a0fd" \
        near "$shots/hover-$dpi.png" $((ix + pen - 1)) $((iy + ih / 2)) 39 160 253
    if [ "$dpi" = 192 ]; then
        # The layout is exactly twice the 96 one here, so the focus outline's
        # top band, at 31,81 on one pixel row at 96, lies on two rows.
        xdotool mousemove $((WX + CW / 2)) $((WY + $(S 5))) key Tab
        sleep 0.3
        shoot "$shots/focus-$dpi.png"
        check "Tab's focus outline on the Chinese option at 62,$slot_y is 0x27a0fd, 2 pixels high" \
            eval "near '$shots/focus-$dpi.png' 62 $slot_y 39 160 253 &&
                  near '$shots/focus-$dpi.png' 62 $((slot_y + 1)) 39 160 253 &&
                  ! near '$shots/focus-$dpi.png' 62 $((slot_y + 2)) 39 160 253 2>/dev/null"
    fi
    xdotool mousemove $((WX + CW - m - r / 2)) $((WY + m + r / 2)) click 1
    check "the close button where the scaled layout puts it ends the program" test "$(installer_exit 10)" = 0
done

for dpi in 144 192; do
    check "the Install caption is ${caption_height[$dpi]:-?} pixels high at $dpi, the 96 height scaled within 2" \
        within "${caption_height[$dpi]:-0}" $((${caption_height[96]:-0} * dpi / 96)) 2
done

suite_end
