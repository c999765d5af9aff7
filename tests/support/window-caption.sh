#!/usr/bin/env bash
# Starts a program on its own X display (Xvfb) and checks the caption the window system shows
# for its main window (_NET_WM_NAME, the window whose caption names the version): exactly the expected
# text, with no application name appended.
# Usage: window-caption.sh PROGRAM "expected caption"
set -uo pipefail
program=$1
expected=$2
work=$(mktemp -d)
trap 'kill $app $xvfb 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
cp "$program" "$work/"
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$work/display")"
unset QT_QPA_PLATFORM
# Its own instance names: a program already running on this machine does not refuse it.
export KESTRIX_INSTANCE_SCOPE="caption-$$"
"$work/$(basename "$program")" >/dev/null 2>&1 &
app=$!
for _ in $(seq 300); do
  for w in $(xwininfo -root -children 2>/dev/null | grep -o '0x[0-9a-f]\+'); do
    # _NET_WM_NAME is what window managers show; Qt appends a display name there.
    name=$(xprop -id "$w" _NET_WM_NAME 2>/dev/null | sed -n 's/^_NET_WM_NAME([A-Z0-9_]*) = "\(.*\)"$/\1/p')
    case "$name" in
      *Ver\ 9.0*)
        if [ "$name" = "$expected" ]; then echo "caption: $name"; exit 0; fi
        echo "caption is \"$name\", expected \"$expected\""; exit 1 ;;
    esac
  done
  sleep 0.1
done
echo "no main window appeared"
exit 1
