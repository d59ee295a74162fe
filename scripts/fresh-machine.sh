#!/usr/bin/env bash
# A clean-room check of the README's two set-up commands (usage below).
usage() {
  cat <<'EOF'
A clean-room check of the README's two set-up commands: a minimal Debian 12 system is made in
a chroot with debootstrap (only git added), the committed HEAD of this repository is cloned
into it, and the README's commands run there in the README's order (run.sh, then test.sh);
then, in a second fresh chroot, in the other order. Prints each command's exit status and
time and the test command's closing line; exits non-zero when anything failed.
  scripts/fresh-machine.sh [--only run-first|test-first] [--parallel] [--keep] [--write]
--parallel runs both chroots at once; --keep leaves the chroots under /var/tmp/varnex-fresh;
--write records the result in docs/fresh-machine.md. Needs root and Debian's package
servers; takes about half an hour. Not part of the test command.
EOF
}
set -uo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BASE=${FRESH_BASE:-/var/tmp/varnex-fresh}
LOGS=$ROOT/build/fresh-machine
MIRROR=${FRESH_MIRROR:-http://deb.debian.org/debian}
orders=(run-first test-first) parallel="" keep="" write=""
while [ $# -gt 0 ]; do
  case $1 in
    --only) orders=("${2:?--only needs run-first or test-first}"); shift ;;
    --parallel) parallel=1 ;;
    --keep) keep=1 ;;
    --write) write=1 ;;
    -h | --help) usage; exit 0 ;;
    *) echo "fresh-machine.sh: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
[ "$(id -u)" = 0 ] || { echo "fresh-machine.sh: run it as root (chroot, mount)" >&2; exit 2; }
commit=$(git -C "$ROOT" rev-parse --short HEAD) || exit 2
[ -z "$(git -C "$ROOT" status --porcelain --untracked-files=no)" ] ||
  echo "fresh-machine.sh: note: uncommitted changes are not part of the check (HEAD $commit is)"
mkdir -p "$LOGS" "$BASE/cache"

if ! command -v debootstrap >/dev/null; then
  echo "fresh-machine.sh: installing debootstrap"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null ||
    { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap >/dev/null; } ||
    { echo "fresh-machine.sh: debootstrap could not be installed" >&2; exit 1; }
fi

# Ends every process whose root is inside the chroot, then unmounts what lies below it.
release_chroot() {  # dir
  local dir=$1 p
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/root" 2>/dev/null)" = "$dir" ] && kill -9 "${p#/proc/}" 2>/dev/null
  done
  sleep 1
  grep -o " $dir/[^ ]*" /proc/mounts | sort -r | while read -r m; do umount -l "$m" 2>/dev/null; done
}

# Removes a chroot only when nothing is mounted below it any more (its /dev is the host's).
remove_chroot() {  # dir
  if grep -q " $1/" /proc/mounts; then
    echo "fresh-machine.sh: $1 still has mounts; not removed" >&2
    return 1
  fi
  rm -rf --one-file-system "$1"
}

# Makes the chroot: debootstrap minbase, package sources like a fresh install, git, the clone.
make_chroot() {  # dir log
  local dir=$1 log=$2
  release_chroot "$dir"
  remove_chroot "$dir" || return 1
  debootstrap --variant=minbase --cache-dir="$BASE/cache" bookworm "$dir" "$MIRROR" >>"$log" 2>&1 ||
    return 1
  cat >"$dir/etc/apt/sources.list" <<SRC
deb $MIRROR bookworm main
deb $MIRROR bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
SRC
  cp /etc/resolv.conf "$dir/etc/resolv.conf"
  mount -t proc proc "$dir/proc" && mount -t sysfs sys "$dir/sys" &&
    mount --rbind /dev "$dir/dev" && mount --make-rslave "$dir/dev" &&
    mount -t tmpfs tmpfs "$dir/dev/shm" || return 1
  in_chroot "$dir" 'apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq git >/dev/null' \
    >>"$log" 2>&1 || return 1
  git clone -q "$ROOT" "$dir/root/varnex" && git -C "$dir/root/varnex" checkout -q "$commit"
}

in_chroot() {  # dir command
  chroot "$1" /usr/bin/env -i HOME=/root TERM=dumb LANG=C.UTF-8 \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin bash -c "$2"
}

# One order in one fresh chroot; writes "order|command|status|seconds|closing line" rows.
run_order() {  # order
  local order=$1 dir=$BASE/$1 log=$LOGS/$1.log cmds t0 rc cmd closing
  : >"$log"
  t0=$SECONDS
  if ! make_chroot "$dir" "$log"; then
    echo "$order|make the chroot|1|$((SECONDS - t0))|see $log" >>"$LOGS/$order.rows"
    return
  fi
  echo "$order|make the chroot|0|$((SECONDS - t0))|" >>"$LOGS/$order.rows"
  if [ "$order" = run-first ]; then cmds=(run test); else cmds=(test run); fi
  for cmd in "${cmds[@]}"; do
    t0=$SECONDS
    in_chroot "$dir" "cd /root/varnex && bash scripts/$cmd.sh" >"$LOGS/$order-$cmd.log" 2>&1
    rc=$?
    closing=""
    if [ "$cmd" = test ]; then
      closing=$(grep -aE '^[0-9]+ passed, [0-9]+ failed$' "$LOGS/$order-$cmd.log" | tail -1)
    elif [ "$rc" = 0 ] && [ ! -s "$dir/root/varnex/build/screenshots/varnex.png" ]; then
      rc=1 closing="no screenshot"
    else
      closing=$(grep -a 'screenshot saved' "$LOGS/$order-$cmd.log" | tail -1)
    fi
    echo "$order|$cmd.sh|$rc|$((SECONDS - t0))|$closing" >>"$LOGS/$order.rows"
    [ "$cmd" = run ] && [ -s "$dir/root/varnex/build/screenshots/varnex.png" ] &&
      cp "$dir/root/varnex/build/screenshots/varnex.png" "$LOGS/$order-run.png"
  done
  release_chroot "$dir"
  [ -n "$keep" ] || remove_chroot "$dir"
}

started=$(date -u '+%Y-%m-%d %H:%M UTC') t_all=$SECONDS
echo "fresh-machine: commit $commit, orders: ${orders[*]}; logs in $LOGS"
for o in "${orders[@]}"; do rm -f "$LOGS/$o.rows"; done
if [ -n "$parallel" ]; then
  for o in "${orders[@]}"; do run_order "$o" & done
  wait
else
  for o in "${orders[@]}"; do run_order "$o"; done
fi

failed=0
table="| order | step | exit | time | closing line |"$'\n'"|---|---|---|---|---|"
for o in "${orders[@]}"; do
  while IFS='|' read -r order step rc secs closing; do
    [ "$rc" = 0 ] || failed=1
    case $step in test.sh) [[ $closing =~ ^[0-9]+\ passed,\ 0\ failed$ ]] || failed=1 ;; esac
    table+=$'\n'"| $order | $step | $rc | $((secs / 60)) min $((secs % 60)) s | $closing |"
  done <"$LOGS/$o.rows"
done
verdict=passed
[ "$failed" = 0 ] || verdict=FAILED
echo "$table"
echo "fresh-machine: $verdict in $(((SECONDS - t_all) / 60)) min (commit $commit)"

if [ -n "$write" ]; then
  cat >"$ROOT/docs/fresh-machine.md" <<DOC
# The README's two commands on a fresh machine

The latest run of \`scripts/fresh-machine.sh\`: a minimal Debian 12 (debootstrap minbase, git
added) in a chroot on this project's 2-core development machine, one fresh chroot per order.

- Date: $started
- Commit: $commit
- Result: $verdict ($(((SECONDS - t_all) / 60)) min in all$([ -n "$parallel" ] && echo ", both orders at once"))

$table
DOC
  echo "fresh-machine: wrote docs/fresh-machine.md"
fi
[ "$failed" = 0 ]
