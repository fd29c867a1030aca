#!/usr/bin/env bash
# The sound effects reach a real audio server: a private PulseAudio with a null sink whose
# monitor is recorded. With sound on, opening a picture and popping a bubble are each
# heard within a second, and the message window's OK lets the program go on as soon as its
# sound has ended (within 150 ms); with sound off the same session is silent; OK hammered on
# Clear's question paints nothing where the clicks land after the window has gone; and
# with no server at all the program still runs and ends normally.
set -u
here=$(dirname "$0")
. "$here/lib.sh"
program_dir=$1
shots=$(dirname "$program_dir")
rate=22050 # mono s16le: two bytes a sample
second=$((rate * 2))
loud=1000  # a peak at least this high is a sound
quiet=100  # a peak below this is silence

pulse_stop() {
  for pid in ${recorder_pid:-} ${feeder_pid:-} ${pulse_pid:-}; do kill "$pid" 2>/dev/null; done
  for pid in ${recorder_pid:-} ${feeder_pid:-} ${pulse_pid:-}; do wait "$pid" 2>/dev/null; done
  recorder_pid= feeder_pid= pulse_pid=
}
trap 'pulse_stop; e2e_stop' EXIT
fail() {
  echo "FAIL: $*" >&2
  e2e_shot "$shots/e2e-sound-failed.png"
  [ -f "${recording:-}" ] && cp "$recording" "$shots/e2e-sound-failed.raw"
  exit 1
}

e2e_start "$program_dir" || exit 1

# The server lives in a folder of its own, as whoever runs the tests (root included), on
# no bus and no display, and clients never start one behind our back.
pulse=$work/.pulse
mkdir -p "$pulse/run" "$pulse/home" && chmod 700 "$pulse/run"
printf 'autospawn = no\n' >"$pulse/client.conf"
export PULSE_CLIENTCONFIG=$pulse/client.conf
(
  unset DISPLAY
  export HOME=$pulse/home XDG_RUNTIME_DIR=$pulse/run PULSE_RUNTIME_PATH=$pulse/run \
    PULSE_STATE_PATH=$pulse/state DBUS_SESSION_BUS_ADDRESS=disabled:
  exec pulseaudio -n --daemonize=no --system=no --use-pid-file=no --exit-idle-time=-1 \
    --high-priority=no --realtime=no --log-target=stderr \
    -L "module-null-sink sink_name=tv_null rate=$rate channels=1" \
    -L "module-native-protocol-unix socket=$pulse/run/native auth-anonymous=1"
) 2>"$pulse/log" &
pulse_pid=$!
export PULSE_SERVER=unix:$pulse/run/native
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl info >/dev/null 2>&1 || { cat "$pulse/log" >&2; fail "the audio server did not start"; }

# An idle null sink hands its monitor over in bursts of seconds; a stream of zeros keeps
# it running, so the recording grows with the clock and its length marks each moment.
pacat --playback --raw --format=s16le --rate=$rate --channels=1 --latency-msec=20 \
  </dev/zero 2>/dev/null &
feeder_pid=$!
recording=$work/recording.raw
parec -d tv_null.monitor --raw --format=s16le --rate=$rate --channels=1 --latency-msec=20 \
  >"$recording" 2>/dev/null &
recorder_pid=$!

# The recording's length in bytes, at a whole sample.
mark() { local n; n=$(stat -c %s "$recording"); echo $((n / 2 * 2)); }

# Waits until the recording is $1 bytes long.
wait_recorded() {
  for _ in $(seq 100); do [ "$(mark)" -ge "$1" ] && return 0; sleep 0.1; done
  fail "the recording stopped growing"
}
wait_recorded $((second / 2))

# The samples of the recording from byte $1 to byte $2, one a line.
samples() { tail -c +$(($1 + 1)) "$recording" | head -c $(($2 - $1)) | od -An -v -td2 -w2; }

# Peaks of the recording from byte $1 to byte $2, one per 50 ms.
peaks() {
  samples "$1" "$2" | awk -v n=$((rate / 20)) '{ v = $1 < 0 ? -$1 : $1; if (v > p) p = v }
    ++i == n { printf "%d ", p; p = 0; i = 0 } END { if (i) printf "%d", p; print "" }'
}
loudest() { tr ' ' '\n' | sort -n | tail -1; }

# Milliseconds from the first to the last loud sample between byte $1 and byte $2.
loud_ms() {
  samples "$1" "$2" | awk -v loud=$loud -v rate=$rate '
    ($1 >= loud || -$1 >= loud) { if (!first) first = NR; last = NR }
    END { print first ? int((last - first) * 1000 / rate) : 0 }'
}

# Heard: silent just before byte $2, and within the second after it a sound that lasts
# at least $3 ms (the shortest sound that may play, less a margin), not just a click.
expect_heard() {
  local what=$1 at=$2 least=$3 before after lasted
  wait_recorded $((at + second))
  before=$(peaks $((at - second * 3 / 10)) "$at")
  after=$(peaks "$at" $((at + second)))
  lasted=$(loud_ms "$at" $((at + second)))
  echo "$what: before [$before] after [$after], heard for $lasted ms"
  [ "$(loudest <<<"$before")" -lt $quiet ] || fail "sound already playing before $what"
  [ "$lasted" -gt 0 ] || fail "no sound within a second of $what"
  [ "$lasted" -ge "$least" ] || fail "the sound of $what was cut short"
}

# Prints the screen position of a point well inside a bubble of the panel (right of the
# buttons, above the band): the panel's white turned black, the bubbles shrunk by 6 pixels.
find_bubble() {
  local x y
  e2e_shot "$work/panel.png"
  read -r x y < <(/usr/bin/convert "$work/panel.png" -crop 280x94+744+0 +repage \
    -fuzz 3% -fill black -opaque white -fill white +opaque black \
    -morphology Erode Disk:6 txt:- | awk -F'[,:]' '/#FFFFFF/ { print $1, $2; exit }')
  [ -n "${x:-}" ] && echo $((744 + x)) $((y))
}

# Waits until the last 300 ms of the recording are silent: the sounds before have died away.
wait_silence() {
  local now
  [ -n "$recorder_pid" ] || return 0 # no server: nothing can be heard
  for _ in $(seq 100); do
    now=$(mark)
    [ "$(peaks $((now - second * 3 / 10)) "$now" | loudest)" -lt $quiet ] && return 0
    sleep 0.1
  done
  fail "the sound never died away"
}

# Byte just after the last audible sample between byte $1 and byte $2 (0 when silent).
sound_end() {
  samples "$1" "$2" | awk -v quiet=$quiet -v from="$1" '
    ($1 >= quiet || -$1 >= quiet) { last = NR }
    END { print last ? from + last * 2 : 0 }'
}

# Quits through the quit button and its confirmation (quitting allowed without the
# password), as e2e_quit does, noting the recording's length when OK is clicked (ok_at)
# and as soon as the message window has gone (closed_at); fails when the program does not
# end within 15 s.
quit_timed() {
  local start
  xdotool mousemove 11 11 click 1
  e2e_wait_window "Message" >/dev/null || return 1
  ok_at=$(mark)
  e2e_message_ok || return 1
  closed_at= start=$SECONDS
  while [ $((SECONDS - start)) -lt 15 ]; do
    if ! xdotool search --onlyvisible --name "^Message\$" >/dev/null 2>&1; then
      closed_at=$(mark)
      break
    fi
  done
  [ -n "$closed_at" ] || return 1
  for _ in $(seq 150); do kill -0 "$app_pid" 2>/dev/null || return 0; sleep 0.1; done
  return 1
}

quiet_output() {
  [ -s "$work/stdout.log" ] && fail "the program wrote: $(cat "$work/stdout.log")"
  return 0
}

# A child's session: line 3 of the settings is $1. The chooser opens a picture, a bubble
# is popped, and quitting (allowed without the password) ends the program. Sets
# opened_at, popped_at, ok_at and closed_at to the recording's length at those moments.
session() {
  printf 'secret\r\n 1 \r\n %s \r\n 0 \r\n10\r\n' "$1" >"$work/Settings.txt"
  e2e_launch
  e2e_wait_window "The Tintavale" >/dev/null || fail "no colouring window"
  chooser=$(e2e_wait_window "Open") || fail "no picture chooser"
  wait_silence
  eval "$(xdotool getwindowgeometry --shell "$chooser")"
  e2e_wait_drawn $((X + 8)) $((Y + 8)) 120 120 || fail "the chooser shows no pictures"
  opened_at=$(mark)
  e2e_click_in "$chooser" 60 60 || fail "the chooser is not on top"
  e2e_wait_gone "Open" || fail "the chooser stayed"
  xdotool search --onlyvisible --name "^Message\$" >/dev/null 2>&1 &&
    fail "a message came up: $(cat "$work/stdout.log")"
  # On the slow setting bubbles rise into view within seconds, and none can reach the top
  # (and pop by itself) before twelve seconds have passed.
  local bubble=
  for _ in $(seq 16); do bubble=$(find_bubble) && break; sleep 0.5; done
  [ -n "$bubble" ] || fail "no bubble in the panel"
  popped_at=$(mark)
  xdotool mousemove $bubble click 1
  # The pop is judged over the second after the click: quitting's sounds come after it.
  [ -z "$recorder_pid" ] || wait_recorded $((popped_at + second))

  quit_timed || fail "the program did not end through quitting"
  wait "$app_pid" || fail "the program ended with status $?"
  app_pid=
  return 0
}

session 1
quiet_output
# A new picture's sounds are loud for 665 ms or more, a popped bubble's for 78 ms or more;
# a sound clipped after the first buffer the server took lasts about 60 ms.
expect_heard "opening a picture" "$opened_at" 600
expect_heard "popping a bubble" "$popped_at" 70
# The OK sound plays to its end before the message window closes, and the window does not
# linger after it: a wait of a fixed allowance past the sound's length (250 ms) is too
# long. The recording marks the close up to a poll late; under load some 60 ms.
wait_recorded $((closed_at + second))
ok_end=$(sound_end "$ok_at" $((closed_at + second)))
[ "$ok_end" -gt "$ok_at" ] || fail "no OK sound"
hold_ms=$(((closed_at - ok_end) * 1000 / second))
echo "OK sound: ends $(((ok_end - ok_at) * 1000 / second)) ms after the click, window closes $hold_ms ms after its end"
[ "$hold_ms" -ge 0 ] || fail "the message window closed before its OK sound ended"
[ "$hold_ms" -le 150 ] || fail "the message window stayed $hold_ms ms after its OK sound"

started=$(mark) clock=$SECONDS
session 0
quiet_output
ended=$(mark)
# The recorder ran all along: the recording grew with the clock.
[ $((ended - started)) -ge $(((SECONDS - clock - 2) * second)) ] ||
  fail "the recording missed part of the silent session"
silent=$(peaks "$started" "$ended")
[ "$(loudest <<<"$silent")" -lt $quiet ] || fail "sound with sound effects off: [$silent]"
echo "sound off: silent over $(((ended - started) / second)) s"

# A child hammers OK on Clear's question: 6 clicks 300 ms apart at one spot. OK plays its
# sound to the end before the window closes, so the later clicks land on the canvas once
# it has gone; none may paint, on the screen or in the saved copy. The picture: 1000 x 600
# white with one outline, so it lies under the message window.
hammer_session() {
  local message frame X Y WIDTH HEIGHT SCREEN tries gaps= burst= spot_x spot_y
  printf 'secret\r\n 1 \r\n 1 \r\n 0 \r\n4\r\n' >"$work/Settings.txt"
  rm -rf "$work/books" "$work/colored pictures" && mkdir -p "$work/books/doors"
  /usr/bin/convert -size 1000x600 xc:white +antialias -fill none -stroke black -strokewidth 2 \
    -draw "rectangle 150,100 250,280" -type TrueColor "BMP3:$work/books/doors/door.bmp" ||
    fail "cannot draw the picture"
  /usr/bin/convert "$work/books/doors/door.bmp" "$work/art.png"
  e2e_launch
  e2e_open_first_picture || fail "could not open the picture"
  for tries in 1 2 3; do
    xdotool mousemove 131 60 click 1 # Clear
    message=$(e2e_wait_window Message) || fail "Clear asked nothing"
    eval "$(xdotool getwindowgeometry --shell "$message")"
    spot_x=$((X + 316 - 12)) spot_y=$((Y + 132 - 135))
    wait_silence
    frame=$(e2e_frame "$message")
    xdotool mousemove $((X + 316)) $((Y + 132))
    e2e_poll eval '[ "$(xdotool getmouselocation --shell | sed -n "s/^WINDOW=//p")" = "$frame" ]' ||
      fail "the message window is not on top"
    gaps=$(hammer 6 300) && { burst=1; break; }
    echo "the machine was too slow for a burst (click gaps$gaps ms), again"
    e2e_wait_gone Message || fail "the message window stayed"
  done
  [ -n "$burst" ] || fail "no burst in $tries tries: the machine is too slow"
  e2e_wait_gone Message || fail "the message window stayed"
  echo "hammered OK of Clear's question (click gaps$gaps ms)"
  # A deliberate click after the burst paints; once its dab shows, every click before it
  # has been handled.
  xdotool mousemove $((12 + 900)) $((135 + 450)) click 1
  e2e_wait_pixel $((12 + 900)) $((135 + 450)) dark || fail "a deliberate click painted nothing"
  e2e_shot "$work/screen.png"
  /usr/bin/convert "$work/screen.png" -crop 1000x600+12+135 +repage "$work/canvas.png"
  n=$(e2e_differ_at "$work/canvas.png" "$work/art.png" "$spot_x" "$spot_y")
  [ "$n" = 0 ] || fail "the clicks on OK painted $n pixels on the screen"
  quit_timed || fail "the program did not end through quitting"
  wait "$app_pid" || fail "the program ended with status $?"
  app_pid=
  copy="$work/colored pictures/doors/door.jpg"
  [ -f "$copy" ] || fail "no coloured copy saved"
  [ "$(e2e_differ_at "$copy" "$work/art.png" 900 450 20)" != 0 ] ||
    fail "the saved copy lacks the deliberate dab"
  n=$(e2e_differ_at "$copy" "$work/art.png" "$spot_x" "$spot_y" 20)
  [ "$n" = 0 ] || fail "the saved copy holds $n pixels where OK was hammered"
}

# Clicks $1 times where the pointer is, $2 ms apart; prints the gaps between the clicks as
# they were made, and fails when one came too late to be part of a burst. The shell's own
# clock starts no process.
hammer() {
  local start=${EPOCHREALTIME/./} i at last=0 gaps= late=0
  for i in $(seq 0 $(($1 - 1))); do
    while [ $(((${EPOCHREALTIME/./} - start) / 1000)) -lt $((i * $2)) ]; do sleep 0.005; done
    at=$(((${EPOCHREALTIME/./} - start) / 1000))
    xdotool click 1
    [ "$i" = 0 ] || gaps="$gaps $((at - last))"
    [ $((at - last)) -lt $(($2 + 60)) ] || late=1
    last=$at
  done
  echo "$gaps"
  [ "$late" = 0 ]
}

hammer_session

# No server at all: nothing answers where the program looks for one.
pulse_stop
export PULSE_SERVER=unix:$work/.no-server/native
session 1
echo "no audio server: the program wrote: $(cat "$work/stdout.log")"
echo "no audio server: the session ran and ended"
echo "sound: 5 passed, 0 failed"
