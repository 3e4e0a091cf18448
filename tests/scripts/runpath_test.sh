#!/usr/bin/env bash
# No program or library of a tree searches the current directory for
# libraries: no empty entry in any RUNPATH or RPATH (":" at either end, "::").
set -euo pipefail
tree=$1
bad=0
while IFS= read -r -d '' f; do
  head -c 4 "$f" 2>/dev/null | grep -q $'^\x7fELF' || continue
  paths=$(readelf -d "$f" 2>/dev/null | sed -n 's/.*(R\(UN\)\{0,1\}PATH).*\[\(.*\)\]/\2/p')
  for p in $paths; do
    case ":$p:" in
      *::*) echo "FAIL: $f has an empty run path entry: [$p]" >&2; bad=1 ;;
    esac
  done
done < <(find "$tree" -type f \( -perm -u+x -o -name '*.so*' -o -name '*.wbd' \) \
           -not -path '*/CMakeFiles/*' -print0)
[ $bad -eq 0 ] || exit 1
echo "run paths of $tree: ok"
