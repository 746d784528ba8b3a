#!/usr/bin/env bash
# Draws the about dialog's 300 x 200, 24-bit picture with ImageMagick. The version label
# is drawn over the light box on the right, the credit line over the dark band below.
set -euo pipefail
out=${1:-resources/AboutArtwork.bmp}
font=$(fc-match -f '%{file}' 'IPAPGothic')
convert -size 300x200 gradient:'#1d3b6e'-'#3f7fc1' \
  -fill '#f4c542' -stroke '#7a5a00' -strokewidth 2 \
  -draw 'polygon 24,66 70,66 80,76 130,76 130,162 24,162' \
  -fill '#ffd966' -draw 'rectangle 24,86 130,162' \
  -stroke '#c0392b' -strokewidth 7 -draw 'line 56,102 98,146' -draw 'line 98,102 56,146' \
  -stroke none -fill '#e9eef5' -draw 'roundrectangle 188,58 292,96 6,6' \
  -fill '#0d1f3c' -draw 'rectangle 0,180 300,200' \
  -font "$font" -fill white -pointsize 17 -annotate +18+30 'キャッシュデータ削除ツール' \
  -pointsize 12 -annotate +150+48 'for JRA-VAN Data Lab.' \
  -fill '#1d3b6e' -pointsize 11 -annotate +196+90 'JVCacheClean' \
  -fill '#cfe0f5' -pointsize 11 -annotate +150+128 '-402 / -403 の' -annotate +150+144 'ダウンロードエラーに' \
  -type TrueColor -define bmp:format=bmp3 BMP3:"$out"
