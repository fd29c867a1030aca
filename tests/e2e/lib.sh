# Shared steps of the end-to-end tests: a private Xvfb screen, a copy of the staged
# program folder, and waiting for windows by title.

e2e_start() {
  program_dir=$1
  work=$(mktemp -d)
  cp -a "$program_dir/." "$work/"
  # Xvfb picks a free display itself and tells which, so parallel runs never collide.
  Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$work/.display" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$work/.display" ] && break; sleep 0.1; done
  [ -s "$work/.display" ] || { echo "Xvfb did not start" >&2; return 1; }
  export DISPLAY=:$(tr -d '[:space:]' <"$work/.display")
  export XDG_RUNTIME_DIR=$work/.runtime
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
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

# Prints the id of the first visible window with this exact title, waiting up to 20 s.
e2e_wait_window() {
  local title=$1 id
  for _ in $(seq 200); do
    id=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -1)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    if ! kill -0 "$app_pid" 2>/dev/null; then
      echo "the program ended before showing \"$title\"" >&2
      cat "$work/stdout.log" >&2
      return 1
    fi
    sleep 0.1
  done
  echo "no window \"$title\" appeared" >&2
  return 1
}

e2e_shot() {
  /usr/bin/import -display "$DISPLAY" -window root "$1"
}

# At start-up: waits for the colouring window and the chooser, opens the first picture of
# the sheet (the first picture of the first book) and waits until the chooser has gone.
e2e_open_first_picture() {
  local chooser
  e2e_wait_window "The Tintavale" >/dev/null || return 1
  chooser=$(e2e_wait_window "Open") || return 1
  sleep 1
  eval "$(xdotool getwindowgeometry --shell "$chooser")"
  xdotool mousemove $((X + 60)) $((Y + 60)) click 1
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name "^Open\$" >/dev/null 2>&1 || break
    sleep 0.1
  done
  sleep 0.5
}

# Clicks the message window's OK button (at its right, beside the password box), waiting
# up to 20 s for the window.
e2e_message_ok() {
  local message
  message=$(e2e_wait_window "Message") || return 1
  eval "$(xdotool getwindowgeometry --shell "$message")"
  xdotool mousemove $((X + 296 + 20)) $((Y + 120 + 12)) click 1
}

# Quits through the quit button and its confirmation (quitting allowed without the
# password) and waits up to 15 s for the program to end; fails if it is still running.
e2e_quit() {
  xdotool mousemove 11 11 click 1
  e2e_message_ok || return 1
  for _ in $(seq 150); do kill -0 "$app_pid" 2>/dev/null || return 0; sleep 0.1; done
  return 1
}
