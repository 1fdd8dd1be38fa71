#!/bin/bash
# reridu regex match and subst, end to end.
#   regex_cli_test.sh WINE_RUN... -- RERIDU_EXE
source "$(dirname "$0")/cli_harness.sh"

check "match prints group 0 and the groups" "$(printf '1 2\n2 1')" "$(reridu regex match 'b(c)' abcd)"
check "match reads standard input" "4 3" "$(printf 'one two' | reridu regex match 't\w+')"
check "flags by name" "$(printf '0 1\n2 1\n4 1')" \
    "$(reridu regex match --flags global,first_backrefs a aXaXa)"
check "ignore_case" "2 3" "$(reridu regex match --flags ignore_case ABC xxabc)"
check "an unmatched group spans nothing" "$(printf '1 1\n0 0')" "$(reridu regex match '(a)|b' xb)"

reridu regex match q abc > "$work/out"
check "no match exits 1" "1" "$?"
check "no match prints nothing" "" "$(cat "$work/out")"

check "subst once" "bbXa" "$(reridu regex subst a bb aXa)"
check "subst globally" "bbXbb" "$(reridu regex subst --flags global a bb aXa)"
check "subst with groups" "world hello" "$(reridu regex subst '(\w+) (\w+)' '$2 $1' 'hello world')"

# Large enough that the first guess at the output size is too small.
head -c 30000 /dev/zero | tr '\0' 'a' > "$work/text"
reridu regex subst --flags global a xyzxyz < "$work/text" > "$work/rewritten"
check "output larger than the first guess" "180000" "$(wc -c < "$work/rewritten")"
check "rewritten bytes" "xyzxyz" "$(head -c 6 "$work/rewritten")"

printf 'a\0b\0' > "$work/nul"
reridu regex subst --flags global b X < "$work/nul" > "$work/nul.out"
check "NUL bytes pass through" "$(printf 'a\0X\0' | od -An -tx1)" "$(od -An -tx1 < "$work/nul.out")"

check "TEXT as an argument ends its line" "$(printf 'bbc\n' | od -An -tx1)" \
    "$(reridu regex subst a b abc | od -An -tx1)"
check "subst without a match prints the text" "abc" "$(reridu regex subst q x abc)"
reridu regex subst q x abc > /dev/null
check "subst without a match exits 1" "1" "$?"

reridu regex match '(a' abc 2> "$work/err"
check "malformed pattern exits 2" "2" "$?"
check "malformed pattern says why" "reridu: regex: malformed pattern: mismatched parenthesis" "$(tr -d '\r' < "$work/err")"
reridu regex subst a '$2' abc 2> "$work/err" > /dev/null
check "malformed replacement exits 2" "2" "$?"
check "malformed replacement says why" "reridu: regex: malformed replacement: invalid backreference in substitution" \
    "$(tr -d '\r' < "$work/err")"
reridu regex match --flags global,shiny a a 2> "$work/err"
check "unknown flag exits 2" "2" "$?"
grep -q "unknown flag 'shiny'" "$work/err"
check "unknown flag is named" "0" "$?"
reridu regex frobnicate a a > /dev/null 2>&1
check "unknown action exits 2" "2" "$?"
reridu regex subst a > /dev/null 2>&1
check "missing operand exits 2" "2" "$?"
reridu regex --help | grep -q 'usage: reridu regex match'
check "--help describes the command" "0" "$?"

finish
