#!/bin/sh
# without_warnings.sh CHECKER ARGUMENTS...: runs a checking program and fails when it
# fails or reports a warning or an error, as some report warnings and still exit 0.
# Hints and pedantic notes pass.
output=$("$@" 2>&1)
status=$?
[ -n "$output" ] && printf '%s\n' "$output"
[ "$status" -eq 0 ] || exit "$status"
! printf '%s\n' "$output" | grep -Eiq 'warning|error'
