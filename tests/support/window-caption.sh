#!/usr/bin/env bash
# Starts a program on its own X display (Xvfb) and checks the caption the window system shows
# for its main window (_NET_WM_NAME, the window whose caption names the version): exactly the expected
# text, with no application name appended.
# Usage: window-caption.sh PROGRAM "expected caption"
set -uo pipefail
program=$1
expected=$2
# A display that does not come up in time (it happens now and then on a busy machine) is tried
# again with a new one; a wrong caption fails at once.
if [ -z "${KX_CAPTION_ATTEMPT:-}" ]; then
  for attempt in 1 2 3; do
    KX_CAPTION_ATTEMPT=$attempt timeout -k 2 15 bash "$0" "$@"
    rc=$?
    [ $rc -eq 0 ] && exit 0
    [ $rc -eq 1 ] && exit 1
    echo "attempt $attempt: no answer from the display, trying again"
  done
  exit 1
fi
work=$(mktemp -d)
app=""
xvfb=""
# Nothing is waited for at the end: a child that does not go at once is killed outright.
trap 'kill -9 $app $xvfb 2>/dev/null; rm -rf "$work"' EXIT
cp "$program" "$work/"
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.1; done
exec 3>&-
export DISPLAY=":$(head -n1 "$work/display")"
unset QT_QPA_PLATFORM
# Its own instance names: a program already running on this machine does not refuse it.
export KESTRIX_INSTANCE_SCOPE="caption-$$"
"$work/$(basename "$program")" </dev/null >/dev/null 2>&1 &
app=$!
for _ in $(seq 300); do
  for w in $(timeout 2 xwininfo -root -children 2>/dev/null | grep -o '0x[0-9a-f]\+'); do
    # _NET_WM_NAME is what window managers show; Qt appends a display name there.
    name=$(timeout 2 xprop -id "$w" _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME([A-Z0-9_]*) = "\(.*\)"$/\1/p')
    case "$name" in
      *Ver\ 9.0*)
        if [ "$name" = "$expected" ]; then echo "caption: $name"; exit 0; fi
        echo "caption is \"$name\", expected \"$expected\""; exit 1 ;;
    esac
  done
  sleep 0.1
done
echo "no main window appeared"
exit 3
