#!/usr/bin/env bash
# Proves the README on a bare Debian 12: in a minimal root made by debootstrap, a clone of this commit follows
# the README's way to a first frame without a desktop (scripts/install-packages.sh watch, then
# xvfb-run scripts/run.sh) and builds the Debian package; a second bare root installs that package with apt-get
# and starts vantrell from /. Each time the picture on the root's virtual screen is checked from outside, with
# this machine's own tools, so that nothing is installed into a root beyond what the README or the package asks.
#
#   .ci/bare-root.sh [WORK_DIR]     (default: a new folder under /var/tmp; needs root and Debian's mirror)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-}
own_work=0
[ -n "$work" ] || { work=$(mktemp -d /var/tmp/bare-root.XXXXXX); own_work=1; }
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}
mkdir -p "$work"

mounted=()
release_roots() {
  local target
  for target in "${mounted[@]}"; do umount -R -l "$target" 2>/dev/null || true; done
  mounted=()
}
trap release_roots EXIT

# The system folders a program expects, shared with this machine (the network namespace too, so that the X
# server's abstract socket in a root can be reached from here).
enter_root() {
  local root=$1 target
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  for target in proc sys dev; do
    mount --rbind "/$target" "$root/$target"
    mount --make-rslave "$root/$target"
    mounted+=("$root/$target")
  done
}

in_root() { local root=$1; shift; chroot "$root" env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"; }

seconds() { echo $((SECONDS - $1)); }

# Waits until a window titled $3 shows a drawn picture on display $2 of root $1 (xvfb-run's authority file at
# /root/xauthority), and fails if a message box is open beside it.
expect_first_frame() {
  local root=$1 display=$2 title=$3 deadline=$((SECONDS + $4)) spread=0
  export DISPLAY=":$display" XAUTHORITY="$root/root/xauthority"
  until [ "$SECONDS" -ge "$deadline" ]; do
    if xdotool search --onlyvisible --name "^$title\$" >/dev/null 2>&1; then
      spread=$(xwd -root -silent 2>/dev/null | convert xwd:- -colorspace gray -format "%[fx:standard_deviation]" info: 2>/dev/null || echo 0)
      awk -v s="$spread" 'BEGIN { exit !(s > 0.05) }' && break
    fi
    sleep 2
  done
  awk -v s="$spread" 'BEGIN { exit !(s > 0.05) }' || { echo "no drawn $title window on the bare root's screen" >&2; return 1; }
  local windows
  windows=$(xdotool search --onlyvisible --name "^$title\$" | wc -l)
  [ "$windows" = 1 ] || { echo "$windows windows titled $title: a message box is open" >&2; return 1; }
  xwd -root -silent | convert xwd:- "$work/$title-$display.png"
  unset DISPLAY XAUTHORITY
}

stop_in_root() { local root=$1 program=$2 pid; for pid in $(pgrep -x "$program"); do
  [ "$(readlink "/proc/$pid/root")" = "$root" ] && kill "$pid"; done; return 0; }

start=$SECONDS
if [ ! -x "$work/pristine/bin/bash" ]; then
  rm -rf "$work/pristine"
  debootstrap --variant=minbase bookworm "$work/pristine" "$mirror" >"$work/debootstrap.log" 2>&1 ||
    { tail -n 20 "$work/debootstrap.log"; exit 1; }
fi
echo "bare root made in $(seconds "$start") s ($(du -sh "$work/pristine" | cut -f1))"

# The README's path: install the virtual X server, then the run command, which installs, builds and starts.
newcomer=$work/newcomer
rm -rf "$newcomer"
cp -a "$work/pristine" "$newcomer"
enter_root "$newcomer"
git clone --quiet "$repo" "$newcomer/root/project"
start=$SECONDS
in_root "$newcomer" bash -c 'cd /root/project && scripts/install-packages.sh watch' >"$work/install.log" 2>&1 ||
  { tail -n 30 "$work/install.log"; exit 1; }
display=$((200 + RANDOM % 500))
in_root "$newcomer" bash -c "cd /root/project && exec xvfb-run -n $display -f /root/xauthority -s '-screen 0 1024x768x24' scripts/run.sh" \
  >"$work/run.log" 2>&1 &
runner=$!
until [ -x "$newcomer/root/project/build/bin/vantrell" ] || ! kill -0 $runner 2>/dev/null; do sleep 2; done
echo "newcomer: run command's install and build took $(seconds "$start") s"
expect_first_frame "$newcomer" "$display" Vantrell 600 || { tail -n 30 "$work/run.log"; exit 1; }
echo "newcomer: first frame of Vantrell $(seconds "$start") s after the README's commands began"
stop_in_root "$newcomer" vantrell
wait $runner || true

start=$SECONDS
deb=$(in_root "$newcomer" bash -c 'cd /root/project && scripts/package.sh' 2>"$work/package.log" | tail -n 1) ||
  { tail -n 30 "$work/package.log"; exit 1; }
echo "package built in $(seconds "$start") s: $(basename "$deb")"

# A second bare root gets only the package and what it declares.
user=$work/user
rm -rf "$user"
cp -a "$work/pristine" "$user"
enter_root "$user"
cp "$newcomer$deb" "$user/root/"
start=$SECONDS
in_root "$user" bash -c "apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq /root/$(basename "$deb") xvfb xauth" \
  >"$work/deb-install.log" 2>&1 || { tail -n 30 "$work/deb-install.log"; exit 1; }
echo "package installed with its dependencies in $(seconds "$start") s"
in_root "$user" bash -c 'cd / && sceneinfo /usr/lib/vantrell/data/models.dae >/dev/null && scenerender --frame --size 64 -o /tmp/thumb.png /usr/lib/vantrell/data/model.dae'
display=$((200 + RANDOM % 500))
in_root "$user" bash -c "cd / && exec xvfb-run -n $display -f /root/xauthority -s '-screen 0 1024x768x24' vantrell" >"$work/deb-run.log" 2>&1 &
runner=$!
expect_first_frame "$user" "$display" Vantrell 120 || { tail -n 30 "$work/deb-run.log"; exit 1; }
echo "installed package: vantrell drew its first frame, started from /"
stop_in_root "$user" vantrell
wait $runner || true
release_roots
# A folder of our own goes once nothing is mounted below it any more.
if [ $own_work = 1 ] && ! findmnt -rn -o TARGET | grep -q "^$work/"; then rm -rf "$work"; fi
echo "bare root: PASS"
