#!/usr/bin/env bash
# What the book starts (here the file manager, through the options window's "Open the
# 'colored pictures' folder") gets the environment the program was given: not the setting
# the program makes for its own windows (QT_XCB_NO_MITSHM), while whatever was given from
# outside, even under that name, passes on. The desktop's opener is a stand-in that
# records its environment.
set -u
here=$(dirname "$0")
. "$here/lib.sh"
program_dir=$1
trap e2e_stop EXIT
fail() { echo "FAIL: $*" >&2; e2e_shot "$(dirname "$program_dir")/e2e-opener-failed.png"; exit 1; }

e2e_start "$program_dir" || exit 1
printf 'secret\r\n 1 \r\n 0 \r\n 0 \r\n4\r\n' >"$work/Settings.txt"
mkdir -p "$work/.opener" "$work/colored pictures"
cat >"$work/.opener/xdg-open" <<'EOF'
#!/bin/sh
env >"$TV_OPENED.part"
echo "ARGS=$*" >>"$TV_OPENED.part"
mv "$TV_OPENED.part" "$TV_OPENED"
EOF
chmod +x "$work/.opener/xdg-open"
export PATH="$work/.opener:$PATH" TV_OPENED=$work/opened TV_GIVEN="from outside"
unset QT_XCB_NO_MITSHM BROWSER DEFAULT_BROWSER

# Starts the program, opens a picture and the options (the fifth small button, behind the
# password), asks for the folder and continues past the advice; waits for the opener's
# record.
open_folder() {
  local options
  rm -f "$TV_OPENED"
  e2e_launch
  # The small buttons wait until the chooser has gone.
  e2e_open_first_picture || fail "could not open a picture"
  xdotool mousemove 87 10 click 1
  e2e_enter_password secret || fail "no password request"
  e2e_wait_gone "Message" || fail "the password was refused"
  options=$(e2e_wait_window "Options") || fail "no options window"
  e2e_click_in "$options" 30 240 || fail "the options window is covered"
  e2e_wait_window "Message" >/dev/null || fail "no advice before the folder opens"
  e2e_message_continue || fail "no Continue"
  e2e_wait_file "$TV_OPENED" || fail "the folder was not handed to the desktop"
  grep -qx "ARGS=file://$work/colored%20pictures" "$TV_OPENED" ||
    fail "the opener got $(grep ^ARGS= "$TV_OPENED")"
  kill "$app_pid" && wait "$app_pid" 2>/dev/null
  app_pid=
}

open_folder
grep -q '^QT_XCB_NO_MITSHM=' "$TV_OPENED" &&
  fail "the program's own setting reached the file manager: $(grep ^QT_XCB_NO_MITSHM= "$TV_OPENED")"
grep -qx 'TV_GIVEN=from outside' "$TV_OPENED" || fail "what the program was given did not pass on"

# Given from outside under the very name the program sets: it passes on as given.
QT_XCB_NO_MITSHM=0 open_folder
grep -qx 'QT_XCB_NO_MITSHM=0' "$TV_OPENED" ||
  fail "QT_XCB_NO_MITSHM given from outside reached the file manager as: $(grep ^QT_XCB_NO_MITSHM "$TV_OPENED")"
echo "opener: 2 passed, 0 failed"
