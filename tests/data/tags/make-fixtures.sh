#!/usr/bin/env bash
# How the tag fixtures in this folder were made: once, with Debian's encoders
# and taggers, never with TagLib (the library the program reads them with).
# The files are committed; the tests do not run this script. It also makes
# the untagged templates the sample collection copies (src/batch/sampleaudio).
#   apt-get install sox lame flac vorbis-tools opus-tools ffmpeg wavpack \
#     id3v2 python3-mutagen imagemagick
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
samples="$here/../../../src/batch/sampleaudio"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$here"

# A fifth of a second of silence, small rates: each file stays a few KB.
sox -n -r 8000 -c 1 -b 16 "$work/silence.wav" trim 0 0.2
sox -n -r 48000 -c 1 -b 16 "$work/silence48.wav" trim 0 0.2
ffmpeg_aac() { ffmpeg -v error -y -i "$work/silence.wav" -map_metadata -1 -fflags +bitexact \
  -flags:a +bitexact -c:a aac -b:a 16k "$@"; }
# lame reads its texts in the locale's encoding and stores them as Latin-1.
lame_mp3() { LC_ALL=C.UTF-8 lame --silent -b 8 "$@"; }

# ID3v2.3 only, Latin-1 text (lame writes v2.3).
lame_mp3 --id3v2-only --id3v2-latin1 --tt "Svefn-g-englar" \
  --ta "Sigur Rós" --tl "Ágætis byrjun" \
  "$work/silence.wav" v23-latin1.mp3
# ID3v2.4 only, Cyrillic (mutagen writes v2.4), with a picture that makes
# the tag larger than the reader's 8 KiB windows.
lame_mp3 "$work/silence.wav" v24-cyrillic.mp3
convert -size 96x96 xc:gray +noise Random -strip -quality 100 "$work/cover.jpg"
mid3v2 -t "Звезда по имени Солнце" -a "Кино" -A "Группа крови" \
  -p "$work/cover.jpg:Cover:3:image/jpeg" v24-cyrillic.mp3
# ID3v2 (lame) and then ID3v1 (id3lib) with other texts: ID3v1 comes first.
lame_mp3 --id3v2-only --ta "Version Two" --tl "New Tag" "$work/silence.wav" v1-and-v2.mp3
id3v2 -1 -a "Version One" -A "Old Tag" v1-and-v2.mp3
# FLAC with an album artist besides the artist, Japanese.
flac --silent --no-padding --no-seektable -f -o flac-albumartist.flac "$work/silence.wav"
metaflac --no-utf8-convert --set-tag="ARTIST=YMO" --set-tag="ALBUMARTIST=冨田勲" \
  --set-tag="ALBUM=月の光" --set-tag="TITLE=月の光" flac-albumartist.flac
# Ogg Vorbis: two artists (the first counts) and an album longer than the
# results file's 50 characters.
oggenc --quiet -q -1 -o "$work/vorbis.ogg" "$work/silence.wav"
vorbiscomment -w -t "ARTIST=Ferne Küste" -t "ARTIST=Second Artist" \
  -t "ALBUM=Music for the Quiet Hours Between the Last Train and the First Light" \
  "$work/vorbis.ogg" vorbis.ogg
# Opus, with blanks around the texts.
opusenc --quiet --artist "  Nordlys  " --album " Polarnatt " "$work/silence48.wav" opus.opus
# M4A (AAC in MP4) with iTunes-style atoms.
ffmpeg_aac -metadata artist="Mirror Lake" -metadata album="Glass Tides" m4a.m4a
# WavPack with its APEv2 tag at the end, behind more than 8 KiB of faint
# noise, so the tag lies beyond the window that holds the file's head.
sox -n -r 8000 -c 1 -b 16 "$work/noise.wav" synth 1 whitenoise vol 0.02
wavpack -q -y -w "Artist=Kite Theory" -w "Album=Paper Satellites" "$work/noise.wav" -o apev2.wv
# WMA: ASF attributes.
ffmpeg -v error -y -i "$work/silence.wav" -map_metadata -1 -fflags +bitexact -c:a wmav2 \
  -b:a 32k -metadata artist="Hollow Pines" -metadata album="Winter Ledger" asf.wma
# Untagged audio, and a picture that merely carries an audio name.
cp "$work/silence.wav" "$work/u.wav"
flac --silent --no-padding --no-seektable -f -o untagged.flac "$work/u.wav"
convert -size 16x16 xc:'#808080' -strip jpg:picture.mp3

# The sample collection's templates: untagged, TagLib tags them when it copies.
mkdir -p "$samples"
cp untagged.flac "$samples/silence.flac"
lame_mp3 "$work/silence.wav" "$samples/silence.mp3"
ffmpeg_aac "$samples/silence.m4a"
ls -l "$here" "$samples"
