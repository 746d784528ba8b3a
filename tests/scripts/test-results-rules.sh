#!/usr/bin/env bash
# Checks scripts/test-results.sh against the README it reads: a skip on a machine condition
# the README lists passes, and any other skip, a failure, or a program without results fails.
set -uo pipefail
script=$(cd "$(dirname "$0")/../.." && pwd)/scripts/test-results.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0

# A results file with one test, passed or skipped with the message given, or failed.
results() {
  local outcome=$1 message=${2:-}
  local body=""
  case $outcome in
    skipped) body="<skipped message=\"DeletionTest.cpp:1&#x0A;$message\"><![CDATA[]]></skipped>" ;;
    failed) body='<failure message="DeletionTest.cpp:1&#x0A;Expected equality" type=""></failure>' ;;
  esac
  printf '<?xml version="1.0" encoding="UTF-8"?>\n<testsuites>\n  <testsuite name="Deletion">\n'
  printf '    <testcase name="Case" status="run" result="%s" classname="Deletion">%s</testcase>\n' "$outcome" "$body"
  printf '  </testsuite>\n</testsuites>\n'
}

expect() {
  local wanted=$1 what=$2
  shift 2
  bash "$script" "$work" "$@" >"$work/out.txt" 2>&1
  local got=$?
  if [ "$got" != "$wanted" ]; then
    echo "FAILED: $what: exit $got, expected $wanted"
    cat "$work/out.txt"
    status=1
  else
    echo "ok: $what"
  fi
}

results completed > "$work/passed.xml"
expect 0 "a passed program" passed
results skipped "no immutable files: chattr +i was refused on /tmp" > "$work/listed.xml"
expect 0 "a skip on a listed machine condition" passed listed
results skipped "not here" > "$work/unlisted.xml"
expect 1 "a skip without a listed condition" passed unlisted
results failed > "$work/failed.xml"
expect 1 "a failure" passed failed
expect 1 "a program without results" passed missing
exit $status
