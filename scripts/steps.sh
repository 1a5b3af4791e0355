# shellcheck shell=bash
# Sourced by the scripts: times their steps. `step NAME` ends the step under
# way and starts NAME; the step under way when the script exits ends with it,
# failed if the script fails. Each step's end is printed with its time, and
# where SORVANE_STEP_TIMES names a file, added to it as one line of NAME,
# seconds and passed or failed, separated by tabs, for .ci/run's table.

step_name=
step_start=0

# record_step NAME SECONDS RESULT: prints a step's end, and adds it to the file.
record_step() {
    printf '== %s ... %s in %d:%02d\n' "$1" "$3" $(($2 / 60)) $(($2 % 60))
    [ -z "${SORVANE_STEP_TIMES:-}" ] ||
        printf '%s\t%d\t%s\n' "$1" "$2" "$3" >>"$SORVANE_STEP_TIMES"
}

end_step() {
    [ -n "$step_name" ] || return 0
    record_step "$step_name" $((SECONDS - step_start)) "$1"
    step_name=
}

step() {
    end_step passed
    step_name=$1
    step_start=$SECONDS
    echo "== $step_name"
}

trap 'if [ $? -eq 0 ]; then end_step passed; else end_step failed; fi' EXIT

# The lines of a SORVANE_STEP_TIMES file as a table, minutes and seconds.
print_steps() {
    local name seconds result
    printf '%-48s %7s  %s\n' step time result
    while IFS=$'\t' read -r name seconds result; do
        printf '%-48s %4d:%02d  %s\n' "$name" $((seconds / 60)) $((seconds % 60)) "$result"
    done <"$1"
}
