#!/usr/bin/env bash
# Runs clang-tidy with the checks of .clang-tidy over ZAK's sources, using
# the compile commands of a build tree; any finding fails.
#   tools/clang-tidy-check.sh BUILD_DIR [FILE...]
# Without files: those under src/ that changed against ZAK_TIDY_BASE (a git
# revision) when it is set, else every source under src/. A changed header
# brings the sources of its folder along. Outside CI (CI=true checks the whole
# tree) the base defaults to where this branch left main: the whole tree takes
# ten minutes and more, and what did not change was checked when it landed.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "$1" && pwd)
shift
tidy=$(command -v run-clang-tidy || command -v run-clang-tidy-14 || true)
if [ -z "$tidy" ]; then
  echo "run-clang-tidy is not installed (Debian package clang-tidy)" >&2
  exit 1
fi
files=("$@")
if [ ${#files[@]} -eq 0 ] && [ -z "${ZAK_TIDY_BASE:-}" ] && [ "${CI:-}" != true ]; then
  ZAK_TIDY_BASE=$(git merge-base HEAD main 2>/dev/null || true)
fi
if [ ${#files[@]} -eq 0 ]; then
  if [ -n "${ZAK_TIDY_BASE:-}" ]; then
    # New files that are not committed yet count as changed too.
    mapfile -t changed < <(git diff --name-only --diff-filter=d "$ZAK_TIDY_BASE" -- 'src/*.cpp' 'src/*.h'
                           git ls-files --others --exclude-standard -- 'src/*.cpp' 'src/*.h')
    for f in "${changed[@]}"; do
      case "$f" in
        *.cpp) files+=("$f") ;;
        *.h) mapfile -t -O ${#files[@]} files < <(git ls-files "$(dirname "$f")/*.cpp") ;;
      esac
    done
    mapfile -t files < <(printf '%s\n' "${files[@]}" | sort -u | sed '/^$/d')
  else
    mapfile -t files < <(git ls-files 'src/*.cpp')
  fi
fi
[ ${#files[@]} -eq 0 ] && exit 0
# run-clang-tidy takes regular expressions; anchored full paths match one file each.
patterns=()
for f in "${files[@]}"; do patterns+=("^$(realpath "$f" | sed 's/[.+]/\\&/g')\$"); done
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
"$tidy" -p "$build" -j "$(nproc)" -quiet -extra-arg=-Wno-unknown-warning-option "${patterns[@]}" >"$log" 2>&1 || status=$?
# Only the findings, without colours and the counts of suppressed warnings.
sed 's/\x1b\[[0-9;]*m//g' "$log" | grep -v -e '^[0-9]* warnings\? \(and [0-9]* errors\? \)\?generated\.$' -e '^Suppressed [0-9]* warnings' \
        -e '^Use -header-filter' -e '^clang-tidy-14 ' -e '^Running clang-tidy' -e '^$' || true
if [ $status -ne 0 ]; then
  echo "clang-tidy found problems in ${#files[@]} checked file(s)" >&2
fi
exit $status
