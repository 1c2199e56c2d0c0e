#!/usr/bin/env bash
# Draws the pictures the Trawlix dialog loads, at the sizes it expects. The outputs are
# checked in; run this again only to change a picture (needs ImageMagick, fonts-nanum).
set -euo pipefail
cd "$(dirname "$0")"
font=/usr/share/fonts/truetype/nanum/NanumGothicBold.ttf
latin=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf

# 134: the background, 800 x 600, 24-bit: white at the top (where the white status
# lines and the busy picture sit while searching), a soft wash below, and a dark foot
# band from y = 545 that holds the inquiry and close buttons, with an orange rule on top.
convert -size 800x120 xc:white \
    \( -size 800x425 gradient:'#ffffff-#e4ecf7' \) \
    \( -size 800x2 xc:'#ff8000' \) \
    \( -size 800x53 xc:'#3d3a53' \) -append \
    -type TrueColor -depth 8 BMP3:background.bmp

# 133: the logo, 356 x 82, drawn on the very part of the background it covers (at
# 222, 98), so it has no box of its own: the name in orange, the Korean name under it.
convert background.bmp -crop 356x82+222+98 +repage \
    -font "$latin" -pointsize 46 -fill '#ff8000' -gravity north -annotate +0+2 'Trawlix' \
    -font "$font" -pointsize 20 -fill '#3d3a53' -gravity south -annotate +0+4 '트롤릭스' \
    -type TrueColor -depth 8 BMP3:logo.bmp

# 135: the close button face, 67 x 34, on pure green (the transparent colour), drawn
# without smoothing so no edge pixel is a mix with the green: an orange pill with a
# light rim and the white word.
convert -size 67x34 xc:'#00ff00' +antialias \
    -fill '#ffb066' -draw 'roundrectangle 1,2 65,31 10,10' \
    -fill '#ff8000' -draw 'roundrectangle 2,3 64,30 9,9' \
    -antialias -fill white -font "$font" -pointsize 15 -gravity center -annotate +0+0 '닫기' \
    -type TrueColor -depth 8 BMP3:close.bmp

# 140 / 141: the check box faces, 14 x 14 with alpha: checked is an orange box with a
# white tick, unchecked a white box with a dark rim.
convert -size 14x14 xc:none -fill '#ff8000' -stroke '#d96c00' -draw 'roundrectangle 0,0 13,13 2,2' \
    -stroke white -strokewidth 2 -fill none -draw 'polyline 3,7 6,10 11,3' check_on.ico
convert -size 14x14 xc:none -fill white -stroke '#3d3a53' -draw 'roundrectangle 0,0 13,13 2,2' \
    check_off.ico

# 127: the application icon: an orange disc with a magnifier, 16, 32 and 48 pixels.
convert -size 48x48 xc:none -fill '#ff8000' -draw 'circle 24,24 24,2' \
    -stroke white -strokewidth 4 -fill none -draw 'circle 21,21 21,11' \
    -draw 'line 28,28 38,38' \( -clone 0 -resize 32x32 \) \( -clone 0 -resize 16x16 \) \
    trawlix.ico

# 130: the busy picture, 32 x 32, 8 frames of a turning ring of dots, delay 10,
# disposal 2 (each frame cleared to the background before the next).
frames=()
for i in 0 1 2 3 4 5 6 7; do
    draw=()
    for k in 0 1 2 3 4 5 6 7; do
        a=$(awk -v k="$k" 'BEGIN { printf "%.3f", k * 3.14159265 / 4 }')
        x=$(awk -v a="$a" 'BEGIN { printf "%.1f", 16 + 11 * cos(a) }')
        y=$(awk -v a="$a" 'BEGIN { printf "%.1f", 16 + 11 * sin(a) }')
        age=$(( (k - i + 8) % 8 ))
        draw+=(-fill "rgb(255,$(( 128 + age * 14 )),$(( age * 30 )))" -draw "circle $x,$y $x,$(awk -v y="$y" -v r="$(( 4 - age / 3 ))" 'BEGIN { print y + r }')")
    done
    convert -size 32x32 xc:white "${draw[@]}" "frame$i.png"
    frames+=("frame$i.png")
done
convert -delay 10 -dispose Background -loop 0 "${frames[@]}" busy.gif
rm -f "${frames[@]}"
