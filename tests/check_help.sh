#!/usr/bin/env bash
# Checks the compiled help file as a reader of CHM files sees it: every page of the sources is
# in it unchanged, its links lead to pages inside it, its pictures are in it, and its contents and
# index are there.
#   tests/check_help.sh HELP_SOURCE_DIR folimar.chm
set -euo pipefail
src=$1
chm=$2
chmls=$(command -v chmls || command -v chmls-3.2.2) || { echo "chmls not found (Debian package fp-utils-3.2.2)"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }

[ -s "$chm" ] || { echo "FAIL: no help file at $chm"; exit 1; }
"$chmls" -n list "$chm" >"$work/list" 2>/dev/null

pages=()
for page in "$src"/*.htm; do pages+=("$(basename "$page")"); done
[ ${#pages[@]} -ge 5 ] || fail "only ${#pages[@]} pages in $src"
for name in "${pages[@]}" style.css toc.hhc index.hhk; do
  grep -qx "/$name" "$work/list" || { fail "$name is not in the help file"; continue; }
  "$chmls" extract "$chm" "/$name" "$work/$name" >/dev/null 2>&1
  cmp -s "$src/$name" "$work/$name" || fail "$name in the help file differs from its source"
done

# Links between pages: every href names a page of the help file (anchors allowed).
for name in "${pages[@]}"; do
  for target in $(grep -o 'href="[^"]*"' "$src/$name" | sed 's/^href="//; s/"$//; s/#.*//'); do
    [ -n "$target" ] || continue
    grep -qx "/$target" "$work/list" || fail "$name links to $target, which is not in the help file"
  done
done

# Pictures: every picture a page shows is in the help file too.
for name in "${pages[@]}"; do
  for target in $(grep -o 'src="[^"]*"' "$src/$name" | sed 's/^src="//; s/"$//'); do
    grep -qx "/$target" "$work/list" || fail "$name shows $target, which is not in the help file"
  done
done

# The contents name every page, and the binary index holds the keywords of index.hhk.
"$chmls" extracttoc "$chm" "$work/toc.out" >/dev/null 2>&1
for name in "${pages[@]}"; do
  grep -q "value=\"$name\"" "$work/toc.out" || fail "the contents do not list $name"
done
grep -q 'name="Local" value="troubleshooting.htm"' "$work/toc.out" || fail "contents without troubleshooting"
"$chmls" extractindex "$chm" "$work/index.out" >/dev/null 2>&1
keywords=$(grep -o 'name="Name" value="[^"]*"' "$src/index.hhk" | sort -u)
[ -n "$keywords" ] || fail "index.hhk holds no keywords"
while IFS= read -r keyword; do
  grep -qF "$keyword" "$work/index.out" || fail "the index lacks $keyword"
done <<<"$keywords"
"$chmls" printsystem "$chm" 2>/dev/null | grep -q 'Quorvel Folimar Help' || fail "the help file's title is not Quorvel Folimar Help"
"$chmls" printsystem "$chm" 2>/dev/null | grep -q 'index.htm' || fail "the default page is not index.htm"

[ $status -eq 0 ] && echo "help file: ${#pages[@]} pages, $(echo "$keywords" | wc -l) index keywords"
exit $status
