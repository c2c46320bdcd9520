# shellcheck shell=bash
# Sourced by scripts/package and scripts/package-clean-root: tells on standard error how far
# a long build has got, without flooding a terminal or a test log with its output.
#
#   progress_step TEXT      "scripts/package: [2:05] TEXT" (minutes:seconds since the start)
#   CMD 2>&1 | progress_filter LOG
#                           keeps CMD's whole output in LOG and shows the lines that mark a
#                           step as they come (debhelper's build steps, dpkg-deb's packages,
#                           apt's and debootstrap's phases), and a compiler's or installer's
#                           running line ([12/97] ..., Unpacking ...) at most every few seconds
#
# The start time comes from TACTILO_PROGRESS_T0 when a parent script set it, so the times of
# a script that another one runs continue the parent's.

printf -v progress_t0 '%(%s)T' -1
progress_t0="${TACTILO_PROGRESS_T0:-$progress_t0}"
progress_prefix="${progress_prefix:-scripts/package}"
progress_every_s="${TACTILO_PROGRESS_EVERY_S:-5}"

progress_step() {
    local now elapsed
    printf -v now '%(%s)T' -1
    elapsed=$((now - progress_t0))
    printf '%s: [%d:%02d] %s\n' "$progress_prefix" $((elapsed / 60)) $((elapsed % 60)) "$*" >&2
}

progress_filter() { # LOG
    local line now last=0 text final
    while IFS= read -r line; do
        printf '%s\n' "$line" >>"$1"
        text=""
        case "$line" in
            # debhelper's steps, as dh runs them and as an override target names them.
            "   dh_auto_"* | "dh_auto_"* | "   dh_strip "* | "   dh_shlibdeps "* | \
                "   dh_builddeb "* | "dpkg-deb: building package"* | \
                "I: Retrieving Release"* | "I: Installing core packages..." | \
                "I: Base system installed successfully.")
                progress_step "${line#"${line%%[![:space:]]*}"}"
                last=0
                continue
                ;;
            "["[0-9]*/[0-9]*"]"*) text="$line" ;;
            "I: Retrieving "* | "I: Unpacking "* | "I: Configuring "* | "Unpacking "* | \
                "Setting up "* | "Get:"*) text="$line" ;;
        esac
        [ -n "$text" ] || continue
        printf -v now '%(%s)T' -1
        # ninja -v prints the whole compiler command: name the source file instead.
        if [[ "$text" =~ ^(\[[0-9]+/[0-9]+\]).*\ -c\ ([^ ]+) ]]; then
            text="${BASH_REMATCH[1]} compiling ${BASH_REMATCH[2]}"
            [[ "$text" =~ ^([^ ]+\ compiling\ ).*/tactilo-[^/]+/(.+)$ ]] &&
                text="${BASH_REMATCH[1]}${BASH_REMATCH[2]}"
        fi
        # The compiler's last line ([97/97]) always, so the build ends on its count.
        final=""
        [[ "$text" =~ ^\[([0-9]+)/([0-9]+)\] ]] &&
            [ "${BASH_REMATCH[1]}" = "${BASH_REMATCH[2]}" ] && final=1
        if [ $((now - last)) -ge "$progress_every_s" ] || [ -n "$final" ]; then
            progress_step "  ${text:0:110}"
            last=$now
        fi
    done
}

# After a failed build: the lines of LOG that name the cause (a build's last lines are often
# a dump of CMake's try-compile log, far below the "not found" that stopped it), then its end.
progress_failure() { # LOG
    echo "--- the first errors in $1:" >&2
    grep -n -E "(^|[ :])([Ee]rror|ERROR)[: ]|not found|No such file|Unmet|[Uu]nable to" "$1" |
        grep -v -E '^[0-9]+:\[[0-9]+/[0-9]+\] ' | head -n 12 >&2 || true
    echo "--- its last lines:" >&2
    tail -n 25 "$1" >&2
}
