#!/usr/bin/env bash
# Makes resources/torva.mpg, the clip the saver plays, from generated pictures and a steady tone.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="${1:-$root/resources/torva.mpg}"
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
[ -r "$font" ] || { echo "make_clip: $font is missing; install fonts-dejavu-core" >&2; exit 1; }

w=352 h=264 fps=25 secs=20
# One pure tone throughout, so a test can tell sound from silence by its frequency alone.
# 440 Hz fits a whole number of cycles into the clip, and every motion below repeats
# every 20 s or a divisor of it, so the loop point is seamless in picture and sound.
tone=440
# About -10 dBFS: loud enough to measure through the mixer, with ample headroom for the codec.
wave="0.3*sin(2*PI*$tone*t)"
# Half the playback bit budget: keeps the file under 2 MB with the audio at 128 kbit/s.
vrate=520k

# The plasma is computed at half size and scaled up: it is smooth anyway, and geq is
# the slow part of the whole job.
plasma_w=$((w / 2)) plasma_h=$((h / 2))
p="(2*PI*T/$secs)"
s="(sin(X/20+2*$p)+sin((X+Y)/28-3*$p)+sin(hypot(X-88-40*cos($p),Y-66-30*sin(2*$p))/12-4*$p))"
# Each channel stays well clear of black so the picture reads as bright from the first frame.
plasma="geq=r='165+90*sin(PI*$s/2)':g='125+95*sin(PI*$s/2+2.1)':b='145+105*sin(PI*$s/2+4.2)'"

# A chequered strip that scrolls 40 px/s: 800 px in 20 s, a whole number of 32 px cell pairs.
chequer="geq=lum='if(mod(floor((X+40*T)/16)+floor(Y/16),2),235,24)'"

title="drawtext=fontfile=$font:text=TORVA:fontsize=64:fontcolor=white:borderw=5:bordercolor=0x901000"
title+=":shadowcolor=black@0.6:shadowx=4:shadowy=4"
title+=":x='(w-tw)/2+40*sin(2*PI*t/10)':y='(h-th)/2-30+12*sin(2*PI*t/4)'"
address="drawtext=fontfile=$font:text=www.torva.example:fontsize=22:fontcolor=white"
address+=":borderw=2:bordercolor=black:x='(w-tw)/2':y=h-32-th-14"

mkdir -p "$(dirname "$out")"
tmp="$out.tmp.mpg"
trap 'rm -f "$tmp"' EXIT

ffmpeg -nostdin -hide_banner -loglevel error -y \
  -f lavfi -i "color=c=black:s=${plasma_w}x${plasma_h}:r=$fps:d=$secs,format=rgb24,$plasma,scale=${w}x${h}:flags=bicubic" \
  -f lavfi -i "color=c=black:s=${w}x32:r=$fps:d=$secs,format=gray,$chequer" \
  -f lavfi -i "aevalsrc=$wave|$wave:channel_layout=stereo:sample_rate=44100:duration=$secs" \
  -filter_complex "[0:v][1:v]overlay=0:H-h,$title,$address,format=yuv420p,setsar=1[v]" \
  -map "[v]" -map 2:a -t "$secs" \
  -c:v mpeg1video -b:v "$vrate" -maxrate 1000k -bufsize 327680 -g 15 -bf 2 -aspect 4:3 \
  -c:a mp2 -ar 44100 -ac 2 -b:a 128k \
  -threads 1 -flags +bitexact -fflags +bitexact -f mpeg "$tmp"

size=$(stat -c %s "$tmp")
limit=$((2 * 1024 * 1024))
if [ "$size" -gt "$limit" ]; then
  echo "make_clip: $size bytes is over the $limit byte budget" >&2
  exit 1
fi
mv "$tmp" "$out"
trap - EXIT
echo "${out#"$root"/}: $size bytes"
