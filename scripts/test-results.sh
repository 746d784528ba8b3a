#!/usr/bin/env bash
# Reads GoogleTest's XML results (the folder given) and prints, after every run, the tests
# that failed and the tests that were skipped. A skip counts as a pass only when its message
# begins with a machine condition that the README lists under "Machine conditions a test may
# skip on"; any other skip, a failure, or a test program without results fails the run.
set -uo pipefail
results=$1
shift
readme=$(dirname "$0")/../README.md
# The list below that heading, at whatever level the README puts it, up to the next heading.
mapfile -t conditions < <(sed -n '/^#\+ Machine conditions a test may skip on/,/^#/p' "$readme" |
                          sed -n 's/^- `\([^`]*\)`.*/\1/p')
status=0
mapfile -t lines < <(
  for program in "$@"; do
    if [ -s "$results/$program.xml" ]; then cat "$results/$program.xml"
    else echo "<nothing name=\"$program\">"; fi
  done | tr -d '\r' | awk '
    /<nothing / { match($0, /name="[^"]*"/); print "MISSING\t" substr($0, RSTART + 6, RLENGTH - 7) }
    /<testcase / {
      match($0, / name="[^"]*"/); name = substr($0, RSTART + 7, RLENGTH - 8)
      match($0, / classname="[^"]*"/); test = substr($0, RSTART + 12, RLENGTH - 13) "." name
    }
    /<failure / && !(test in failed) { failed[test]; print "FAILED\t" test }
    /<skipped message="/ {
      match($0, /message="[^"]*"/); message = substr($0, RSTART + 9, RLENGTH - 10)
      sub(/^[^&]*&#x0A;/, "", message)  # the file and line come first
      gsub(/&#x0A;/, " ", message); gsub(/&quot;/, "\"", message); gsub(/&apos;/, "'"'"'", message)
      gsub(/&lt;/, "<", message); gsub(/&gt;/, ">", message); gsub(/&amp;/, "\\&", message)
      print "SKIPPED\t" test "\t" message
    }')

failed=() skipped=() refused=()
for line in "${lines[@]}"; do
  IFS=$'\t' read -r kind test message <<<"$line"
  case $kind in
    MISSING) failed+=("$test: no results (it did not run to its end)") ;;
    FAILED) failed+=("$test") ;;
    SKIPPED)
      listed=0
      for condition in "${conditions[@]}"; do
        [ "${message#"$condition"}" != "$message" ] && listed=1
      done
      if [ "$listed" = 1 ]; then skipped+=("$test: $message")
      else refused+=("$test: $message"); fi ;;
  esac
done

print_list() {
  local title=$1
  shift
  echo "$title: $#"
  for item in "$@"; do echo "  $item"; done
}
echo
print_list "Failed" "${failed[@]}"
print_list "Skipped on a listed machine condition" "${skipped[@]}"
print_list "Skipped without a listed machine condition (counted as failed)" "${refused[@]}"
[ ${#failed[@]} -eq 0 ] && [ ${#refused[@]} -eq 0 ] || status=1
exit $status
