#!/usr/bin/env bash
# While the program runs no other program of the desktop gets keys: a second X client
# (xev) hears the keys typed at it before the program starts, none while it runs (system
# keys, Ctrl and Alt combinations, Alt+F4 included), and the program is still there.
set -u
here=$(dirname "$0")
. "$here/lib.sh"
program_dir=$1
passed=0
failed=0
check() { # description, condition result
  if [ "$2" = 0 ]; then passed=$((passed + 1)); else echo "FAIL: $1" >&2; failed=$((failed + 1)); fi
}
stop_all() {
  [ -n "${xev_pid:-}" ] && kill "$xev_pid" 2>/dev/null
  e2e_stop
}
trap stop_all EXIT

e2e_start "$program_dir" || exit 1
printf 'secret\r\n 1 \r\n 0 \r\n 0 \r\n4\r\n' >"$work/Settings.txt"

xev -geometry 200x100+800+600 >"$work/xev.log" 2>&1 &
xev_pid=$!
e2e_poll eval 'xdotool search --onlyvisible --name "^Event Tester\$" >/dev/null 2>&1' ||
  { echo "xev did not show its window" >&2; exit 1; }
xev_window=$(xdotool search --onlyvisible --name '^Event Tester$' | head -1)

# Types at xev and prints how many key presses it heard. A change of its title, asked for
# after the keys, reaches it whoever holds the keyboard: once xev has told of that change
# it has told of every key that came to it.
presses_heard() {
  : >"$work/xev.log"
  xdotool windowfocus --sync "$xev_window"
  xdotool key "$@" set_window --name "Event Tester" "$xev_window"
  e2e_poll grep -aq '^PropertyNotify' "$work/xev.log" || { echo "xev hears nothing" >&2; return 1; }
  grep -ac '^KeyPress' "$work/xev.log"
}

heard=$(presses_heard a)
echo "before the program: xev heard $heard key presses"
[ "$heard" -ge 1 ]
check "xev hears nothing even without the program, the check would prove nothing" $?

e2e_launch
if e2e_wait_window "The Tintavale" >/dev/null; then
  # The lock holds the keyboard once the window can be held: until a key no longer
  # reaches xev.
  e2e_poll eval '[ "$(presses_heard a)" = 0 ]'
  heard=$(presses_heard a ctrl+a alt+F4 super Super_R Menu alt+Tab shift+b F1)
  echo "while the program runs: xev heard $heard key presses"
  [ "$heard" = 0 ]
  check "another program got keys while the program ran" $?
  # Whatever Alt+F4 would have closed has gone once the screen is still.
  e2e_wait_still 0 103 1024 665
  kill -0 "$app_pid" 2>/dev/null
  check "the program ended after Alt+F4" $?
  e2e_wait_window "The Tintavale" >/dev/null
  check "the colouring window is gone after Alt+F4" $?
  e2e_shot "$(dirname "$program_dir")/e2e-keyboard.png"
else
  check "the colouring window did not appear" 1
fi

# Once the program has gone the desktop has its keys back.
kill "$app_pid" 2>/dev/null
wait "$app_pid" 2>/dev/null
app_pid=
# The server lets go of the keyboard once it has seen the program go.
e2e_poll eval '[ "$(presses_heard a)" -ge 1 ]'
heard=$(presses_heard a)
echo "after the program: xev heard $heard key presses"
[ "$heard" -ge 1 ]
check "the keyboard stayed held after the program ended" $?

echo "e2e keyboard: $passed passed, $failed failed"
[ "$failed" = 0 ]
