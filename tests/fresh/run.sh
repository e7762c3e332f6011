#!/usr/bin/env bash
# The README's two commands on a machine that has never had any of the project's packages:
# a minimal Debian 12 root made with debootstrap, a fresh clone of the repository in it, and
# both commands run there exactly as the README writes them, as root and without sudo. The
# first one's game is shown on an Xvfb screen of this machine, looked at and closed with
# Alt+F4. Run by hand, as root; it takes about half an hour and a few GB in WORK.
#   bash tests/fresh/run.sh [REPOSITORY] [WORK]      (defaults: this checkout's main, a new folder)
# Each command's output goes to WORK/first.log and WORK/second.log; the times are printed.
set -euo pipefail
here=$(realpath "$(dirname "$0")/../..")
repo=${1:-$here}
work=${2:-$(mktemp -d /var/tmp/sidescroller-fresh.XXXXXX)}
mkdir -p "$work"
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
root=$work/root
[ "$(id -u)" -eq 0 ] || { echo "fresh: run as root (debootstrap and chroot need it)" >&2; exit 1; }
command -v debootstrap > /dev/null || { apt-get update -qq && apt-get install -y -qq debootstrap; }
# What this machine itself needs to show and close the first command's game.
bash "$here/.ci/setup" display

mounted=()
cleanup() {
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" 2> /dev/null || true; done
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2> /dev/null || true
}
trap cleanup EXIT
bind() {
    mkdir -p "$root$2"
    mount "${@:3}" "$1" "$root$2"
    mounted+=("$root$2")
}

echo "== a minimal Debian 12 root in $root"
start=$SECONDS
debootstrap --variant=minbase bookworm "$root" "$mirror" > "$work/debootstrap.log"
echo "   made in $((SECONDS - start)) s"
cp /etc/resolv.conf "$root/etc/resolv.conf"
bind proc /proc -t proc
bind sysfs /sys -t sysfs
bind /dev /dev --rbind
bind tmpfs /dev/shm -t tmpfs
git clone -q --no-local "$repo" "$root/root/sidescroller"
git -C "$root/root/sidescroller" log -1 --format='   at %h %s'

# The two commands, taken from the README itself.
mapfile -t commands < <(sed -n '/^```sh/,/^```/{/^```/d;p}' "$here/README.md" | head -2)
in_root() {
    chroot "$root" /usr/bin/env -i HOME=/root TERM=dumb PATH=/usr/sbin:/usr/bin:/sbin:/bin \
        DISPLAY="${DISPLAY:-}" /bin/bash -c "cd /root/sidescroller && $1"
}

# The chroot shares this machine's abstract X sockets, so its game can use a screen of ours.
named=$(mktemp)
Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp > "$named" 2> "$work/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do [ -s "$named" ] && break; sleep 0.1; done
export DISPLAY=:$(cat "$named")

echo "== first command: ${commands[0]}"
start=$SECONDS
in_root "${commands[0]}" > "$work/first.log" 2>&1 &
game=$!
window=""
while kill -0 "$game" 2> /dev/null; do
    window=$(xdotool search --name '^Sidescroller$' 2> /dev/null | head -1 || true)
    [ -n "$window" ] && break
    sleep 1
done
status=0
if [ -n "$window" ]; then
    echo "   the game's window is up after $((SECONDS - start)) s"
    sleep 3
    import -window root "$work/first-game.png"
    xdotool key alt+F4
    wait "$game" || status=$?
else
    wait "$game" || true
    echo "   no window appeared"
    status=1
fi
kill "$xvfb" 2> /dev/null || true
xvfb=""
unset DISPLAY
echo "   ended with $status after $((SECONDS - start)) s; the screen: $work/first-game.png"
[ "$status" -eq 0 ] || { tail -n 20 "$work/first.log"; exit 1; }

echo "== second command: ${commands[1]}"
start=$SECONDS
status=0
in_root "${commands[1]}" > "$work/second.log" 2>&1 || status=$?
echo "   ended with $status after $((SECONDS - start)) s"
grep -E '^== |tests passed|FAIL' "$work/second.log" | sed 's/^/   /'
[ "$status" -eq 0 ] || { tail -n 30 "$work/second.log"; exit 1; }
echo "both commands passed on a fresh Debian 12 root"
