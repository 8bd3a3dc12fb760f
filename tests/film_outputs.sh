#!/usr/bin/env bash
# Films of the runner: the container and stream read back by ffprobe (codec, size, rate, frame
# count); the world's hash the same with and without a film; a resumed world's film goes on
# with the frames of the unbroken run; a film that cannot be written fails before the first
# step, naming the file, and leaves nothing behind.
# Usage: film_outputs.sh CLI SETTINGS
set -u
cli="$1" settings="$2"
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT
fail() { echo "$1"; exit 1; }
run() { "$cli" --settings "$settings" --seed 4 --hash "$@"; }
probe() {  # FILE: codec,width,height,rate,frames
  ffprobe -v error -count_frames -select_streams v:0 \
    -show_entries stream=codec_name,width,height,r_frame_rate,nb_read_frames -of csv=p=0 "$1"
}

plain=$(run --steps 2000) || fail "the runner failed"
filmed=$(run --steps 2000 --film "$work/whole.mp4" --film-every 100 --film-size 640x360 --film-fps 24 2>"$work/err") ||
  fail "the filmed run failed: $(cat "$work/err")"
[ "$filmed" = "$plain" ] || fail "filming changed the world: '$filmed' against '$plain'"
grep -q "whole.mp4: 21 frames of 640x360 at 24 fps, H.264 (libx264) in MP4" "$work/err" || fail "no summary: $(cat "$work/err")"
got=$(probe "$work/whole.mp4")
[ "$got" = "h264,640,360,24/1,21" ] || fail "the film reads back as '$got'"
ls -A "$work" | grep -q vivarion- && fail "a temporary file was left: $(ls -A "$work")"

# Resumed from a world file: the second film starts with the frame after the first's last.
run --steps 1000 --film "$work/first.mp4" --film-every 100 --film-size 640x360 --save-world "$work/half.vivw" \
  >/dev/null 2>&1 || fail "the first half failed"
run --load-world "$work/half.vivw" --world-settings --until 2000 --film "$work/second.webm" --film-every 100 \
  --film-size 640x360 >/dev/null 2>&1 || fail "the resumed half failed"
[ "$(probe "$work/first.mp4")" = "h264,640,360,30/1,11" ] || fail "first half: $(probe "$work/first.mp4")"
[ "$(probe "$work/second.webm")" = "vp9,640,360,30/1,10" ] || fail "second half: $(probe "$work/second.webm")"
# Its first frame is the whole film's twelfth (step 1,100), nearer to it than to the frames beside it.
/usr/bin/python3 - "$work" <<'PY' || fail "the resumed film does not go on with the same frames"
import subprocess, sys
import numpy as np
work = sys.argv[1]
def frames(name):
    raw = subprocess.run(["ffmpeg", "-v", "error", "-i", f"{work}/{name}", "-f", "rawvideo", "-pix_fmt", "gray", "-"],
                         capture_output=True, check=True).stdout
    return np.frombuffer(raw, np.uint8).reshape(-1, 360, 640).astype(np.int32)
whole, second = frames("whole.mp4"), frames("second.webm")
difference = [np.abs(second[0] - whole[k]).mean() for k in (10, 11, 12)]
print("mean differences to steps 1000, 1100, 1200:", difference)
sys.exit(0 if difference[1] < min(difference[0], difference[2]) else 1)
PY

# Failures before the first step, naming what is wrong.
start=$(date +%s)
out=$(run --steps 100000000 --film "$work/missing/film.mp4" 2>&1) && fail "a film into a missing folder ran"
[ $(( $(date +%s) - start )) -lt 20 ] || fail "a film into a missing folder failed only after stepping"
[[ "$out" == *"$work/missing/film.mp4: cannot write the file"* ]] || fail "the missing folder was not named: $out"
out=$(run --steps 100000000 --film "$work/film.txt" 2>&1) && fail "a film named .txt ran"
[[ "$out" == *"film.txt: a film's name must end in a video container's ending"* ]] || fail "bad ending: $out"
out=$(run --steps 10 --film "$work/film.avi" 2>&1) && fail "a film named .avi ran"
[[ "$out" == *"film.avi: a film's name must end in a video container's ending: .mp4, .webm, .mkv or .mov"* ]] ||
  fail "AVI: $out"
out=$(run --steps 10 --film "$work/odd.mp4" --film-size 641x360 2>&1) && fail "an odd film size ran"
[[ "$out" == *"even numbers from 16 to 8192, not 641x360"* ]] || fail "odd size: $out"
out=$(run --steps 10 --film-every 5 2>&1) && fail "--film-every without --film ran"
[[ "$out" == *"go with --film"* ]] || fail "--film-every alone: $out"
ls -A "$work" | grep -qE "vivarion-|odd|film\.txt" && fail "a failed film left a file: $(ls -A "$work")"

# The view options: a followed creature stays in the middle of the picture.
run --steps 500 --follow 1 --zoom 1 --png "$work/followed.png" >/dev/null || fail "--follow with --png failed"
run --steps 500 --png "$work/default.png" >/dev/null || fail "--png failed"
cmp -s "$work/followed.png" "$work/default.png" && fail "--follow and --zoom did not change the picture"
echo "films read back, resume, keep the world, and fail early"
