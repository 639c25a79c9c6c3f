#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Every tracked file that can hold a comment names its licence in its first
# three lines; packaging/copyright covers the rest. Usage: spdx.sh SOURCE_DIR
set -u
cd "$1" && files=$(git ls-files 2>/dev/null) && [ -n "$files" ] || { echo "SKIP: $1 is not a git checkout"; exit 77; }
missing=$(echo "$files" | while IFS= read -r f; do
    case $f in
        *.cpp | *.h | *.sh | *.py | *.cmake | *CMakeLists.txt | *.supp | *.desktop | *.svg | *.xml | *.md | *.[1-8] | .gitignore) ;;
        *) [ "$(head -c 2 "$f" 2>/dev/null | tr -d '\0')" = '#!' ] || continue ;;
    esac
    [ ! -f "$f" ] || head -n 3 "$f" | grep -Eq 'SPDX-License-Identifier: (GPL-3\.0-or-later|CC0-1\.0)( |$)' || echo "  $f"
done)
[ -z "$missing" ] || { printf 'FAIL: no SPDX-License-Identifier line at the top of:\n%s\n' "$missing" >&2; exit 1; }
echo "PASS: every tracked source, script and build file names its licence"
