#!/bin/bash
# reridu.exe's command structure and its base64 commands, end to end.
#   base64_cli_test.sh WINE_RUN... -- RERIDU_EXE
source "$(dirname "$0")/cli_harness.sh"

check "encode from standard input" "Zm9vYmFy" "$(printf 'foobar' | reridu base64 encode)"
check "decode from standard input" "foobar" "$(printf 'Zm9v\r\nYmFy' | reridu base64 decode)"

head -c 100000 /dev/urandom > "$work/bytes"
reridu base64 encode "$work/bytes" > "$work/text"
reridu base64 decode "$work/text" > "$work/back"
check "binary round trip through files" "$(sha256sum < "$work/bytes")" "$(sha256sum < "$work/back")"

reridu base64 encode "$work/missing" 2> "$work/err" > /dev/null
check "missing file fails" "1" "$?"
grep -q 'missing' "$work/err"
check "missing file is named on stderr" "0" "$?"

reridu --help > /dev/null
check "--help succeeds" "0" "$?"
reridu base64 --help | grep -q 'usage: reridu base64'
check "base64 --help describes the command" "0" "$?"
reridu frobnicate 2> /dev/null
check "unknown command fails" "2" "$?"
reridu base64 transmogrify 2> /dev/null
check "unknown direction fails" "1" "$?"

finish
