#!/usr/bin/env bash
# The AppStream metainfo passes appstreamcli's validation, pedantic remarks
# included, and describes the program in Chinese and English.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
need_tools appstreamcli
metainfo=$1

report=$(appstreamcli validate --no-net --pedantic "$metainfo" 2>&1) ||
    fail "appstreamcli rejects $metainfo: $report"
grep -q '<p xml:lang="zh_CN">' "$metainfo" || fail "no Chinese description paragraph"
grep -q '<p>' "$metainfo" || fail "no English description paragraph"
grep -q '<screenshot type="default">' "$metainfo" || fail "no default screenshot"
echo "metainfo: $report"
