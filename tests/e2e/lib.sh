# Shared steps of the end-to-end tests: a private Xvfb screen, a copy of the staged
# program folder, and waits for what each next step needs (a window, a drawn screen, the
# program's end) instead of fixed pauses. Every wait polls with a generous timeout.

# Seconds any wait of these helpers gives its condition before it fails.
e2e_timeout=${E2E_TIMEOUT:-30}

# Runs its arguments (a command) every 0.1 s until it succeeds; fails after $e2e_timeout
# seconds. A condition given to eval sees the caller's local variables.
e2e_poll() {
  local e2e_poll_until=$((SECONDS + e2e_timeout))
  while :; do
    "$@" && return 0
    [ "$SECONDS" -ge "$e2e_poll_until" ] && return 1
    sleep 0.1
  done
}

e2e_start() {
  program_dir=$1
  work=$(mktemp -d)
  cp -a "$program_dir/." "$work/"
  # Xvfb picks a free display itself and tells which, so parallel runs never collide. By
  # default it resets when its last client leaves and refuses whoever connects meanwhile:
  # -noreset keeps it accepting after the readiness probe below disconnects.
  Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp -noreset 5>"$work/.display" >/dev/null 2>&1 &
  xvfb_pid=$!
  e2e_poll test -s "$work/.display" || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=:$(tr -d '[:space:]' <"$work/.display")
  export XDG_RUNTIME_DIR=$work/.runtime
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  e2e_poll eval 'xdpyinfo >/dev/null 2>&1' && return 0
  echo "Xvfb did not start" >&2
  return 1
}

e2e_stop() {
  [ -n "${app_pid:-}" ] && kill "$app_pid" 2>/dev/null
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  [ -n "${work:-}" ] && rm -rf "$work"
}

e2e_launch() {
  "$work/tintavale" >"$work/stdout.log" 2>&1 &
  app_pid=$!
}

# Prints the id of the first visible window with this exact title, waiting up to 30 s.
e2e_wait_window() {
  local title=$1 id until=$((SECONDS + e2e_timeout))
  while :; do
    id=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -1)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    if ! kill -0 "$app_pid" 2>/dev/null; then
      echo "the program ended before showing \"$title\"" >&2
      cat "$work/stdout.log" >&2
      return 1
    fi
    [ "$SECONDS" -ge "$until" ] && break
    sleep 0.1
  done
  echo "no window \"$title\" appeared" >&2
  return 1
}

# Waits until no visible window has this exact title.
# Then waits out the double-click interval (400 ms): until it has passed, the program takes
# a press where the window lay for one more click meant for the window, and paints nothing.
e2e_wait_gone() {
  local title=$1
  e2e_poll eval '! xdotool search --onlyvisible --name "^$title\$" >/dev/null 2>&1' ||
    { echo "the window \"$title\" stayed" >&2; return 1; }
  sleep 0.5
}

# Waits until the program has ended.
e2e_wait_ended() {
  e2e_poll eval '! kill -0 "$app_pid" 2>/dev/null'
}

# Waits until a file exists.
e2e_wait_file() {
  e2e_poll test -e "$1" || { echo "no file $1" >&2; return 1; }
}

e2e_shot() {
  /usr/bin/import -display "$DISPLAY" -window root "$1"
}

# Intensity 0..255 of the screen pixel at x, y.
e2e_grey() {
  /usr/bin/import -display "$DISPLAY" -window root -crop "1x1+$1+$2" +repage \
    -format "%[fx:int(255*p{0,0}.intensity)]" info:
}

# Waits until the screen pixel at x, y is dark (below 128) or light: e2e_wait_pixel X Y dark|light.
e2e_wait_pixel() {
  local x=$1 y=$2 test=-ge
  [ "$3" = dark ] && test=-lt
  e2e_poll eval '[ "$(e2e_grey "$x" "$y")" "$test" 128 ]' ||
    { echo "the pixel at $x, $y did not turn $3" >&2; return 1; }
}

# Prints a checksum of the screen region x y w h.
e2e_region_sum() {
  /usr/bin/import -display "$DISPLAY" -window root -crop "$3x$4+$1+$2" +repage rgb:- | md5sum
}

# Waits until the screen region x y w h stops changing (the same in two shots 0.3 s apart).
e2e_wait_still() {
  local before after until=$((SECONDS + e2e_timeout))
  before=$(e2e_region_sum "$@")
  while :; do
    sleep 0.3
    after=$(e2e_region_sum "$@")
    [ "$after" = "$before" ] && return 0
    [ "$SECONDS" -ge "$until" ] && { echo "the screen at $* kept changing" >&2; return 1; }
    before=$after
  done
}

# Waits until the screen region x y w h shows more than one colour and stops changing.
e2e_wait_drawn() {
  local region="$3x$4+$1+$2"
  e2e_poll eval '[ "$(/usr/bin/import -display "$DISPLAY" -window root -crop "$region" +repage \
    -format "%k" info:)" -gt 1 ]' || { echo "nothing drawn at $*" >&2; return 1; }
  e2e_wait_still "$@"
}

# Waits until the window with this id has the keyboard focus.
e2e_wait_focus() {
  local window=$1
  e2e_poll eval '[ "$(xdotool getwindowfocus 2>/dev/null)" = "$window" ]' ||
    { echo "the window $window never got the keyboard" >&2; return 1; }
}

# Prints the height in pixels of the window with this id.
e2e_height() {
  xdotool getwindowgeometry --shell "$1" | sed -n 's/^HEIGHT=//p'
}

# Prints the id of the window's frame (its ancestor just below the root window), which
# is the window itself without a window manager.
e2e_frame() {
  local id=$1 parent root
  root=$(xwininfo -root | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p')
  while parent=$(xwininfo -tree -id "$id" | sed -n 's/.*Parent window id: \(0x[0-9a-f]*\).*/\1/p') &&
    [ $((parent)) != 0 ] && [ $((parent)) != $((root)) ]; do
    id=$parent
  done
  echo $((id))
}

# Clicks at x, y inside the window with this id once that window is the one under the
# pointer there (mapped is not enough: it may not be above the others yet).
e2e_click_in() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$1")"
  local window
  window=$(e2e_frame "$1")
  xdotool mousemove $((X + $2)) $((Y + $3))
  e2e_poll eval '[ "$(xdotool getmouselocation --shell | sed -n "s/^WINDOW=//p")" = "$window" ]' ||
    { echo "the window $window is not under the pointer at $2, $3" >&2; return 1; }
  xdotool click 1
}

# Number of white pixels in a black and white picture: convert's arguments making it.
e2e_white_pixels() {
  /usr/bin/convert "$@" -format "%[fx:int(mean*w*h+0.5)]" info:
}

# Pixels of the 41 x 41 square around canvas point x, y that differ between two pictures
# of the canvas (with a fuzz in percent for a JPEG); not a number when they cannot be
# compared.
e2e_differ_at() {
  local crop="41x41+$(($3 - 20))+$(($4 - 20))"
  /usr/bin/convert "$1" -crop "$crop" +repage "$work/square-a.png" &&
    /usr/bin/convert "$2" -crop "$crop" +repage "$work/square-b.png" &&
    { /usr/bin/compare -fuzz "${5:-0}%" -metric AE "$work/square-a.png" "$work/square-b.png" null: 2>&1 || :; }
}

# Pixels at screen position x, y that do not show the line art in file $3 as the canvas
# shows it: every dark pixel of the art must be dark on the screen, and of its light ones
# (which colouring may cover) no more than half dark, so that neither an unpainted canvas
# nor one still black passes. Prints the number of art pixels not shown: 0 when shown.
e2e_art_missing() {
  local art=$work/.art.png shown=$work/.shown.png size
  /usr/bin/convert "$3[0]" -colorspace gray -threshold 50% "$art" || return 1
  size=$(/usr/bin/identify -format "%wx%h" "$art") || return 1
  /usr/bin/import -display "$DISPLAY" -window root -crop "$size+$1+$2" +repage "$shown" &&
    /usr/bin/convert "$shown" -colorspace gray -threshold 50% "$shown" || return 1
  # Screen minus art is 1 where an outline is missing; art minus screen where a light
  # pixel is dark.
  local pixels light missing dark
  pixels=$(e2e_white_pixels "$art" -fx 1) light=$(e2e_white_pixels "$art")
  missing=$(e2e_white_pixels "$shown" "$art" -compose Minus_Src -composite)
  dark=$(e2e_white_pixels "$art" "$shown" -compose Minus_Src -composite)
  [ "$light" -lt "$pixels" ] || { echo "$pixels"; return 0; } # no outline to look for
  [ $((dark * 2)) -le "$light" ] && dark=0
  echo $((missing + dark))
}

# Waits until the canvas shows the line art of the picture file $1, at its own size and
# centred below the colouring window's 103-pixel toolbar.
e2e_wait_art() {
  local art=$1 main w h left top X Y WIDTH HEIGHT SCREEN
  main=$(e2e_wait_window "The Tintavale") || return 1
  eval "$(xdotool getwindowgeometry --shell "$main")"
  read -r w h <<<"$(/usr/bin/identify -format "%w %h" "$art[0]")"
  left=$((X + (WIDTH - w) / 2)) top=$((Y + 103 + (HEIGHT - 103 - h) / 2))
  e2e_poll eval '[ "$(e2e_art_missing "$left" "$top" "$art")" = 0 ]' || {
    echo "the canvas does not show $art: $(e2e_art_missing "$left" "$top" "$art") pixels differ" >&2
    return 1
  }
}

# The first picture of the first book, as the program shows it on a 1024 x 768 screen
# whose colouring window lies at ($1, $2) (default 0, 0): sets first (the book), picture,
# pw and ph (its size), left and top (where the canvas shows it).
e2e_first_picture() {
  first=$(ls "$work/books" | sort -f | head -1)
  picture=$(ls "$work/books/$first" | sort -f | head -1)
  read -r pw ph <<<"$(/usr/bin/identify -format "%w %h" "$work/books/$first/$picture[0]")"
  left=$((${1:-0} + (1024 - pw) / 2)); top=$((${2:-0} + 103 + (665 - ph) / 2))
}

# At start-up: waits for the colouring window and the chooser, opens the first picture of
# the sheet (the first picture of the first book) and waits until the chooser has gone
# and the picture is on the screen.
e2e_open_first_picture() {
  local chooser X Y WIDTH HEIGHT SCREEN
  e2e_wait_window "The Tintavale" >/dev/null || return 1
  chooser=$(e2e_wait_window "Open") || return 1
  eval "$(xdotool getwindowgeometry --shell "$chooser")"
  # The first thumbnail.
  e2e_wait_drawn $((X + 8)) $((Y + 8)) 120 120 || return 1
  e2e_click_in "$chooser" 60 60 || return 1
  e2e_wait_gone "Open" || return 1
  local book
  book=$work/books/$(ls "$work/books" | sort -f | head -1)
  e2e_wait_art "$book/$(ls "$book" | sort -f | head -1)"
}

# Clicks the message window's OK button (at its right, beside the password box), waiting
# up to 30 s for the window.
e2e_message_ok() {
  local message
  message=$(e2e_wait_window "Message") || return 1
  e2e_click_in "$message" $((296 + 20)) $((120 + 12))
}

# Answers a message that asks for the password with this one: OK shows the password row,
# and once it shows (the window grows) and has the keyboard, types it and Return.
e2e_enter_password() {
  local message height
  message=$(e2e_wait_window "Message") || return 1
  height=$(e2e_height "$message")
  e2e_click_in "$message" $((296 + 20)) $((120 + 12)) || return 1
  e2e_poll eval '[ "$(e2e_height "$message")" != "$height" ]' ||
    { echo "no password row" >&2; return 1; }
  e2e_wait_focus "$message" || return 1
  xdotool type --delay 20 "$1"
  xdotool key Return
}

# Quits through the quit button and its confirmation (quitting allowed without the
# password) and waits up to 30 s for the program to end; fails if it is still running.
e2e_quit() {
  xdotool mousemove 11 11 click 1
  e2e_message_ok || return 1
  e2e_wait_ended
}

# Clicks the parents' message window's Continue (at its bottom right), waiting up to 30 s
# for the window.
e2e_message_continue() {
  local message
  message=$(e2e_wait_window "Message") || return 1
  e2e_click_in "$message" 379 152
}
