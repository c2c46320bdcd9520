# shellcheck shell=bash
# Sourced by scripts/deps and scripts/package: runs apt-get so that it waits for another
# package manager instead of failing at once (exit 100). On a freshly booted machine
# unattended-upgrades holds the dpkg lock for minutes; a second apt, or a user's
# Synaptic, holds it too.
#
# apt-get's own DPkg::Lock::Timeout covers the dpkg locks of "install" only: "update" (apt
# 2.6) still fails at once on the lists lock. So the locks are looked up in /proc/locks first
# (apt takes fcntl locks, which flock(1) neither takes part in nor sees), the wait is told
# once on standard error, and a call that failed while a lock was taken again (the other
# package manager ran a second apt-get) is repeated. The bound is for a package manager that
# hangs, not for a slow one:
#
#   locks free                 -> apt-get runs at once
#   locks held                 -> the message, then apt-get when they are free
#   held past the bound        -> apt-get runs and fails with its own message naming the holder
#   apt-get fails, lock held   -> waits again and repeats it, within the same bound
#   apt-get fails, locks free  -> its failure, as it is
#
#   apt_get_waiting PREFIX APT-GET-ARGUMENTS...   (as root, or with sudo_cmd=(sudo) set)

apt_lock_timeout_s="${TACTILO_APT_LOCK_TIMEOUT_S:-600}"

apt_lock_busy() {
    local file inode
    for file in /var/lib/dpkg/lock-frontend /var/lib/dpkg/lock /var/lib/apt/lists/lock \
        /var/cache/apt/archives/lock; do
        [ -e "$file" ] || continue
        inode="$(stat -c %i "$file")" || continue
        # "1: POSIX  ADVISORY  WRITE 4711 fe:00:408224 0 EOF": device and inode of the file.
        grep -q ":$inode " /proc/locks 2>/dev/null && return 0
    done
    return 1
}

apt_get_waiting() {
    local prefix="$1" deadline=$((SECONDS + apt_lock_timeout_s)) told="" status
    shift
    while :; do
        while apt_lock_busy && [ "$SECONDS" -lt "$deadline" ]; do
            [ -n "$told" ] || echo "$prefix: waiting for another package manager to finish..." \
                "(at most $(((apt_lock_timeout_s + 59) / 60)) minutes)" >&2
            told=1
            sleep 2
        done
        status=0
        # shellcheck disable=SC2154 # sudo_cmd: set by the script that sources this one
        "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get \
            -o DPkg::Lock::Timeout=$((deadline > SECONDS ? deadline - SECONDS : 0)) "$@" ||
            status=$?
        if [ "$status" = 0 ] || [ "$SECONDS" -ge "$deadline" ] || ! apt_lock_busy; then
            return "$status"
        fi
    done
}
