#!/usr/bin/env bash
# One account check loads nothing the check does not need: no XML library
# (Xerces, ICU), no HTTP, TLS, hashing, compression, ZIP or database
# library. The dynamic loader lists every file it opens.
set -euo pipefail
zel=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache"
"$zel" --quiet check 37040044 532013000 > /dev/null  # the data file verified once
LD_DEBUG=files "$zel" --quiet check 37040044 532013000 > /dev/null 2> "$work/files"
opened=$(sed -n 's/.*file=\([^ ]*\).*/\1/p' "$work/files" | sort -u)
bad=$(grep -Ei 'xerces|icu|curl|gnutls|ssl|crypto|zstd|libzip|odbc|Qt6|nghttp|krb5|ldap|zelxml' <<<"$opened" || true)
if [ -n "$bad" ]; then
  echo "FAIL: one zel check loads libraries it does not need:" >&2
  echo "$bad" >&2
  exit 1
fi
echo "lean start: $(wc -l <<<"$opened") files: ok"
