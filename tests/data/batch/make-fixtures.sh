#!/usr/bin/env bash
# How the results-file fixture was made: three 355-byte records of artist
# (50 bytes), album (50) and picture address (255), Windows-1252 text padded
# with blanks, written with printf. The tests read the committed file; they
# never run this script. The pages (*.html) are written by hand in the
# retailers' hit layout: two Vantory hits that both match Metallica / Black
# (the first with a GIF thumbnail), and a Brinsell page with one product of
# the shop itself and two partner offers.
set -euo pipefail
cd "$(dirname "$0")"
export LC_ALL=C
field() { printf "%-$2s" "$1" | head -c "$2"; }
{
  # Björk, Café €: one byte a character.
  field $'Bj\xf6rk' 50; field $'Caf\xe9 \x80' 50; field "http://img.example/a.jpg" 255
  # Texts longer than their fields, cut.
  field "$(printf 'A%.0s' {1..50})$(printf 'B%.0s' {1..10})" 50
  field "$(printf 'c%.0s' {1..70})" 50
  field "http://x/$(printf 'u%.0s' {1..291})" 255
  # 東京 has no Windows-1252 bytes; blanks around a text are kept on disk.
  field "??" 50; field "  Padded  " 50; field "" 255
} > three-records.rlt
