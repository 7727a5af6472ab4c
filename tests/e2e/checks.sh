# Sourced by the end-to-end scripts: check DESCRIPTION COMMAND... runs the
# command and counts a failure in $failures, so that one run reports every
# check that failed instead of stopping at the first.
failures=0

check() { # description, then the test command
    what="$1"
    shift
    if ! "$@"; then
        echo "FAILED: $what" >&2
        failures=$((failures + 1))
    fi
}
