#!/usr/bin/env bash
# The sound converter: makes every sound and music file listed in a sound list (content/audio/sounds.txt
# describes its lines) from recordings installed by Debian packages, with sox and oggenc.
#
#   convert_sounds.sh <sound list> <output folder>
#
# Effects become 22050 Hz 16-bit mono WAV, music 22050 Hz stereo Ogg Vorbis. Each file is brought to the
# loudness its line asks for, its peak kept below -1 dBFS. The output depends only on the list and the
# recordings: sox runs without dither and in repeatable mode, oggenc with a fixed stream serial number.
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: convert_sounds.sh <sound list> <output folder>" >&2
  exit 2
fi
list=$1
out_root=$2
rate=22050
FD=/usr/share/sounds/freedesktop/stereo
LC=/usr/share/games/lincity-ng
export FD LC

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

sox_() { sox -R -D -V1 "$@"; }

# Seconds to a whole number of samples at the output rate.
samples() { awk -v s="$1" -v r="$rate" 'BEGIN { printf "%d", s * r + 0.5 }'; }

# stat <file> <field>: a figure of sox's statistics ("RMS lev dB", "Pk lev dB"), first channel.
stat() { sox "$1" -n stats 2>&1 | awk -v f="$2" 'index($0, f) == 1 { print $(NF > 4 ? 4 : NF); exit }'; }

# The gain that brings <file> to <rms dB> without its peak going above -1 dBFS.
level_gain() {
  local rms pk
  rms=$(stat "$1" "RMS lev dB")
  pk=$(stat "$1" "Pk lev dB")
  awk -v t="$2" -v r="$rms" -v p="$pk" 'BEGIN { g = t - r; if (g > -1 - p) g = -1 - p; printf "%.2f", g }'
}

# Decodes a source into mono at the output rate with the line's own effects.
decode() {
  local source=$1 output=$2
  shift 2
  [ -f "$source" ] || { echo "convert_sounds: missing recording $source" >&2; exit 1; }
  # First to the output's rate and channels, so that the effects count samples of the output.
  sox_ "$source" -r "$rate" -c 1 -b 16 "$work/decoded.wav"
  sox_ "$work/decoded.wav" "$output" "$@"
}

effect() {
  local name=$1 source=$2 level=$3
  shift 3
  decode "$source" "$work/a.wav" "$@" fade t 0.002 -0 0.01
  sox_ "$work/a.wav" "$out_root/$name.wav" gain "$(level_gain "$work/a.wav" "$level")"
}

ticks() {
  local name=$1 source=$2 level=$3 period=$4
  shift 4
  decode "$source" "$work/a.wav" "$@" fade t 0.002 -0 0.01
  local length total
  length=$(soxi -s "$work/a.wav")
  total=$(samples "$period")
  if [ "$length" -gt "$total" ]; then
    echo "convert_sounds: $name: the sound is longer than its period" >&2
    exit 1
  fi
  sox_ "$work/a.wav" "$out_root/$name.wav" gain "$(level_gain "$work/a.wav" "$level")" pad 0 "$((total - length))s"
}

# A loop of <length> seconds from <start>: the recording's next <fade> seconds are faded out over the
# loop's first <fade> seconds, so that the end runs on into the start without a step.
loop() {
  local name=$1 source=$2 level=$3 start=$4 length=$5 fade=$6
  shift 6
  local s l f
  s=$(samples "$start")
  l=$(samples "$length")
  f=$(samples "$fade")
  decode "$source" "$work/a.wav" "$@" trim "${s}s" "$((l + f))s"
  if [ "$(soxi -s "$work/a.wav")" -ne $((l + f)) ]; then
    echo "convert_sounds: $name: the recording is too short for the loop" >&2
    exit 1
  fi
  sox_ "$work/a.wav" "$work/body.wav" trim "${f}s" "$((l - f))s"
  sox_ "$work/a.wav" "$work/tail.wav" trim "${l}s" "${f}s" fade q 0 -0 "${f}s"
  sox_ "$work/a.wav" "$work/head.wav" trim 0s "${f}s" fade q "${f}s"
  sox_ -m -v 1 "$work/tail.wav" -v 1 "$work/head.wav" "$work/join.wav"
  sox_ "$work/body.wav" "$work/join.wav" "$work/b.wav"
  sox_ "$work/b.wav" "$out_root/$name.wav" gain "$(level_gain "$work/b.wav" "$level")"
}

music() {
  local name=$1 source=$2 level=$3
  [ -f "$source" ] || { echo "convert_sounds: missing recording $source" >&2; exit 1; }
  sox_ "$source" -r "$rate" -c 2 -b 16 "$work/a.wav"
  sox_ "$work/a.wav" "$work/b.wav" gain "$(level_gain "$work/a.wav" "$level")" fade t 0.05 -0 0.5
  # The serial number comes from the name, so every track has its own and every build the same.
  local serial
  serial=$(printf '%s' "$name" | cksum | awk '{ print $1 % 2147483647 }')
  oggenc -Q -q 4 -s "$serial" -o "$out_root/$name.ogg" "$work/b.wav"
}

while IFS= read -r line || [ -n "$line" ]; do
  line=${line%%#*}
  [ -z "${line//[[:space:]]/}" ] && continue
  eval "set -- $line"
  kind=$1
  shift
  mkdir -p "$(dirname "$out_root/$1")"
  case $kind in
    effect | ticks | loop | music) "$kind" "$@" ;;
    *)
      echo "convert_sounds: unknown line kind '$kind'" >&2
      exit 1
      ;;
  esac
done <"$list"
