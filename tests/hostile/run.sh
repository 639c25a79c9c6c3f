#!/usr/bin/env bash
# Starts the real program in broken surroundings and plays a little in each:
# unwritable home and data folders, record files replaced by a folder, a
# device, a huge file or invalid bytes, no voice data, no display, no sound.
# Each trial must show its boxes, take an answer, end with Alt+X and exit 0,
# and must leave a good record pair it found exactly as it was.
# Usage: run.sh ZORVALI_BINARY. Set HOSTILE_RESULTS=DIR to keep logs and
# screenshots of every box.
set -uo pipefail
binary=$(readlink -f "$1")
here=$(cd "$(dirname "$0")" && pwd)

if [ -z "${ZORVALI_HOSTILE_INNER:-}" ]; then
  for tool in xvfb-run openbox xdotool import timeout; do
    command -v "$tool" >/dev/null || { echo "hostile: $tool missing"; exit 77; }
  done
  # Without a display at all: a plain message and exit code 1.
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 10 "$binary" 2>&1 >/dev/null)
  code=$?
  echo "trial no-display: exit $code, stderr: $out"
  if [ $code -ne 1 ] || [ -z "$out" ]; then echo "hostile FAIL: no-display"; exit 1; fi
  export ZORVALI_HOSTILE_INNER=1
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi

work=$(mktemp -d)
results=${HOSTILE_RESULTS:-$work/results}
mkdir -p "$results"
openbox >/dev/null 2>&1 &
wm=$!
trap 'kill $wm 2>/dev/null; chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
unset QT_QPA_PLATFORM
sleep 1

failures=0
trial=""
note() { echo "  $trial: $*"; }
bad() { echo "hostile FAIL: $trial: $*"; failures=$((failures + 1)); }

# The newest visible window whose title matches; empty after `seconds`.
find_window() {
  local pattern=$1 seconds=$2 end=$((SECONDS + $2)) ids
  while :; do
    ids=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null)
    [ -n "$ids" ] && { echo "$ids" | tail -n 1; return 0; }
    [ $SECONDS -ge $end ] && return 1
    sleep 0.1
  done
}

shot() { import -window "$1" "$results/$trial-$2.png" 2>/dev/null; md5sum <"$results/$trial-$2.png" | cut -c1-32; }

press() {
  xdotool windowactivate --sync "$1" >/dev/null 2>&1
  xdotool key --clearmodifiers "$2"
}

# Closes every box that is open (their title is the bare program name),
# keeping a picture of each. Prints how many there were.
close_boxes() {
  local count=0 id
  while id=$(find_window '^Zorvali$' "${1:-2}"); do
    count=$((count + 1))
    shot "$id" "box$count-$RANDOM" >/dev/null
    press "$id" Return
    sleep 0.3
  done
  echo $count
}

# One trial: `setup` prepares $data (the record folder) and may export
# variables; `keep` names record files whose bytes must not change.
play() {
  trial=$1
  local pid code main before after boxes
  "$binary" >"$results/$trial.out" 2>"$results/$trial.err" &
  pid=$!
  local id
  if ! id=$(find_window '^Zorvali$' 20); then
    bad "no name prompt"; kill -9 $pid 2>/dev/null; wait $pid 2>/dev/null; return
  fi
  xdotool windowactivate --sync "$id" >/dev/null 2>&1
  xdotool type --delay 20 "Ada"
  xdotool key Return
  sleep 0.3
  boxes=$(close_boxes 3)
  if ! main=$(find_window 'Scrivici' 10); then
    bad "the game window never came up"; kill -9 $pid 2>/dev/null; wait $pid 2>/dev/null; return
  fi
  boxes=$((boxes + $(close_boxes 1)))
  note "$((boxes - 1)) box(es) after the name prompt; stderr: $(tr '\n' ' ' <"$results/$trial.err" | cut -c1-400)"
  before=$(shot "$main" before)
  xdotool windowactivate --sync "$main" >/dev/null 2>&1
  xdotool type --delay 20 "21"
  xdotool key Return
  sleep 0.5
  after=$(shot "$main" verdict)
  [ "$before" != "$after" ] || bad "the answer left the window unchanged"
  # Back in the answer box, every product of the table in turn: one is
  # right, so the score beats an empty or unreadable record.
  local product
  for product in 3 6 9 12 15 18 21 24 27 30; do
    xdotool key --clearmodifiers shift+Tab ctrl+a
    xdotool type --delay 10 "$product"
    xdotool key Return
  done
  sleep 0.3
  xdotool windowactivate --sync "$main" >/dev/null 2>&1
  xdotool key --clearmodifiers alt+x
  sleep 0.3
  boxes=$(close_boxes 3)
  note "$boxes box(es) at the exit"
  local waited=0
  while kill -0 $pid 2>/dev/null && [ $waited -lt 100 ]; do sleep 0.1; waited=$((waited + 1)); done
  if kill -0 $pid 2>/dev/null; then
    bad "still running 10 s after the exit"; kill -9 $pid 2>/dev/null
  fi
  wait $pid
  code=$?
  [ $code -eq 0 ] && note "exit 0" || bad "exit code $code"
}

good_pair() {
  mkdir -p "$1"
  printf '99\r\n' >"$1/azorvrec3.txt"
  printf 'Niccol\xf2\r\n' >"$1/nzorvrec3.txt"
}

# Fails the trial when a file in $1 differs from its saved copy in $2.
unchanged() {
  local f
  for f in azorvrec3.txt nzorvrec3.txt; do
    [ -e "$2/$f" ] || continue
    cmp -s "$1/$f" "$2/$f" && note "$f unchanged" || bad "$f changed"
  done
}

fresh() {
  local home=$work/$1
  mkdir -p "$home/share"
  export HOME=$home XDG_DATA_HOME=$home/share XDG_RUNTIME_DIR=$home/run
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  data=$XDG_DATA_HOME/zorvali
  unset ESPEAK_DATA_PATH
}

# 0. As normally run (no sound device here, as in CI): the reference.
fresh baseline; good_pair "$data"; cp -r "$data" "$work/baseline.copy"
play baseline; unchanged "$data" "$work/baseline.copy"

# 1. Home and data folders read-only, with a good pair inside.
fresh readonly; good_pair "$data"; cp -r "$data" "$work/readonly.copy"
if unshare -m true 2>/dev/null; then
  export -f play find_window shot press close_boxes note bad
  export binary results work
  trial=readonly
  unshare -m bash -c 'mount --bind -o ro "$HOME" "$HOME" && play readonly; exit $failures' && true
  [ $? -eq 0 ] || failures=$((failures + 1))
else
  chmod -R a-w "$HOME"; play readonly; chmod -R u+w "$HOME"
fi
unchanged "$data" "$work/readonly.copy"

# 1b. Read-only and empty: the beaten record cannot be saved, and says so.
fresh readonly-empty
if unshare -m true 2>/dev/null; then
  unshare -m bash -c 'mount --bind -o ro "$HOME" "$HOME" && play readonly-empty; exit $failures' && true
  [ $? -eq 0 ] || failures=$((failures + 1))
else
  chmod -R a-w "$HOME"; play readonly-empty; chmod -R u+w "$HOME"
fi

# 2. Data folder impossible to create: its parent is a regular file.
fresh nodir; rm -rf "$XDG_DATA_HOME"; echo file >"$XDG_DATA_HOME"
play nodir

# 3. Record files replaced by folders (the name file stays good).
fresh folders; good_pair "$data"; rm "$data/azorvrec3.txt"; mkdir "$data/azorvrec3.txt"
cp "$data/nzorvrec3.txt" "$work/folders.name"
play folders
[ -d "$data/azorvrec3.txt" ] && note "the folder is still there" || bad "the folder was removed"
cmp -s "$data/nzorvrec3.txt" "$work/folders.name" && note "name file unchanged" || bad "name file changed"

# 4. Record files are links to an endless device.
fresh device; mkdir -p "$data"; ln -s /dev/zero "$data/azorvrec3.txt"; ln -s /dev/zero "$data/nzorvrec3.txt"
play device
[ -L "$data/azorvrec3.txt" ] && note "link kept" || note "link replaced by a saved record"

# 5. A 100 MB points file holding a high record at its start.
fresh huge; good_pair "$data"
{ printf '99\r\n'; head -c 100000000 /dev/zero; } >"$data/azorvrec3.txt"
cp -r "$data" "$work/huge.copy"
play huge; unchanged "$data" "$work/huge.copy"

# 6. Invalid bytes in both files.
fresh garbage; mkdir -p "$data"
printf '\xff\xfe\x00\x80\x9d\r\n' >"$data/azorvrec3.txt"; printf '\xc3(\xed\xa0\x80\x01\x1b[2J' >"$data/nzorvrec3.txt"
play garbage
grep -qa 'Ada' "$data/nzorvrec3.txt" && note "the beaten record replaced the invalid pair" || bad "no record saved over the invalid pair"
note "points file now: $(od -An -c "$data/azorvrec3.txt" | tr -s ' ' | head -c 60)"

# 7. No voice data for the speech engine.
fresh novoice; good_pair "$data"; cp -r "$data" "$work/novoice.copy"; mkdir -p "$work/empty-voice"
export ESPEAK_DATA_PATH=$work/empty-voice
play novoice; unchanged "$data" "$work/novoice.copy"
unset ESPEAK_DATA_PATH

echo "screenshots and logs: $results"
[ $failures -eq 0 ] && { echo "hostile: all trials passed"; exit 0; }
echo "hostile: $failures failure(s)"
exit 1
