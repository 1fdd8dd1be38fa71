# Sourced by the reridu CLI tests, which are run as
#   TEST.sh WINE_RUN... -- RERIDU_EXE
# Gives them reridu (the program under Wine), check, a scratch folder in
# $work, and finish, which reports and sets the exit status.
set -uo pipefail
runner=()
while [ "$1" != "--" ]; do runner+=("$1"); shift; done
shift
exe=$1
reridu() { "${runner[@]}" "$exe" "$@"; }

failures=0
check() {  # check NAME EXPECTED ACTUAL
    if [ "$2" != "$3" ]; then
        echo "FAIL $1: expected [$2], got [$3]"
        failures=$((failures + 1))
    else
        echo "ok   $1"
    fi
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

finish() {
    echo "$failures failure(s)"
    [ "$failures" -eq 0 ]
}
