# Sourced by the test scripts that drive the real program. The sourcing script
# defines fail MESSAGE, which reports and exits.

# wait_for SECONDS WHAT COMMAND...: polls COMMAND until it succeeds.
wait_for() {
    local seconds=$1 what=$2
    shift 2
    local deadline=$((SECONDS + seconds))
    until "$@" >/dev/null 2>&1; do
        ((SECONDS < deadline)) || fail "timed out after ${seconds}s waiting for $what"
        sleep 0.1
    done
}

alive() { kill -0 "$1" 2>/dev/null; }
