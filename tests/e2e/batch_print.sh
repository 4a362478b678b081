#!/usr/bin/env bash
# Print programs the batch controls, and the names they are given: text in UTF-8 comes out right,
# "%" and characters outside code page 1252 in a name print the document itself, a document gone
# since it was added fails at once, a print program that never prints is ended at the print limit
# with what it started, Stop ends the tries of a DDE conversation at once, and a killed batch's
# print program does not outlive it.
. "$(dirname "$0")/batch_lib.sh"

host=$FOLIMAR_BIN/tests/batch_host.exe
note=$data/~printprog.tmp

# run [OPTION...] DOCUMENT...: the host's status lines, failed rows with their reasons,
# space-separated.
run() {
  local o
  o=$("$host" --reasons "$@") || fail "batch_host failed: $o"
  tr '\n' ' ' <<<"$o"
}
# with_out [OPTION VALUE...] DOCUMENT...: run, with the output folder before the documents.
with_out() {
  local opts=()
  while [ "${1:-}" != "${1#--}" ]; do
    opts+=("$1" "$2")
    shift 2
  done
  run "${opts[@]}" "$outw" "$@"
}
text_of() { pdftotext "$1" - 2>/dev/null | tr -s '\n\f' '\n'; }

# A type whose program starts a child of its own (the DDE server, which never prints it) and waits
# for it; and a type whose DDE service never answers.
reg 'HKCR\.qspawn' /ve /d Quorvel.Spawning
reg 'HKCR\Quorvel.Spawning\shell\print\command' /ve /d "C:\\windows\\system32\\cmd.exe /c $(winpath "$print_dde") & rem \"%1\""
reg 'HKCR\.qnodde' /ve /d Quorvel.NoDde
reg 'HKCR\Quorvel.NoDde\shell\print\command' /ve /d "\"$(winpath "$print_dde")\""
reg 'HKCR\Quorvel.NoDde\shell\print\ddeexec' /ve /d '[print("%1")]'
reg 'HKCR\Quorvel.NoDde\shell\print\ddeexec\Application' /ve /d QuorvelNoSuchService
echo x >"$docs/child.qspawn"
echo x >"$docs/silent.qnodde"

# Text in UTF-8 (with and without its byte-order mark) and in code page 1252.
printf 'Caf\xc3\xa9 cr\xc3\xa8me\r\n' >"$docs/utf8.txt"
printf '\xef\xbb\xbfCaf\xc3\xa9 cr\xc3\xa8me with a mark\r\n' >"$docs/bom.txt"
printf 'Caf\xe9 cr\xe8me in 1252\r\n' >"$docs/ansi.txt"
expect "encodings" "$(with_out "$(w utf8.txt)" "$(w bom.txt)" "$(w ansi.txt)")" \
  "started 0 done 0 started 1 done 1 started 2 done 2 finished "
expect "UTF-8 text" "$(text_of "$out/utf8.txt.pdf")" "Café crème"
expect "UTF-8 text with its mark" "$(text_of "$out/bom.txt.pdf")" "Café crème with a mark"
expect "code page 1252 text" "$(text_of "$out/ansi.txt.pdf")" "Café crème in 1252"
after "encodings"

# Names with "%", and names outside code page 1252: each PDF holds its own document's text.
names=("Sales 100%.txt" "%PATH%.txt" "Ωmega.txt" "日本.txt")
args=()
for i in "${!names[@]}"; do
  printf 'Text of document %d\r\n' "$i" >"$docs/${names[$i]}"
  args+=("$(w "${names[$i]}")")
done
expect "names" "$(with_out "${args[@]}")" \
  "started 0 done 0 started 1 done 1 started 2 done 2 started 3 done 3 finished "
for i in "${!names[@]}"; do
  expect "text of ${names[$i]}" "$(text_of "$out/${names[$i]}.pdf")" "Text of document $i"
done
after "names"

# A print program that never prints is ended at the limit, the child it started with it; a
# document deleted while the batch waited for it fails at once.
printf 'Soon gone\r\n' >"$docs/gone.txt"
rm -f "$out"/*.pdf
o=$work/limit.out
"$host" --reasons --print-limit 4000 "$outw" "$(w child.qspawn)" "$(w gone.txt)" "$(w wait.qwait)" >"$o" &
hostpid=$!
wait_until 60 grep -qs '^started 0' "$o" || fail "the batch did not start"
rm "$docs/gone.txt"
wait $hostpid || fail "batch_host failed: $(cat "$o")"
expect "limit" "$(tr '\n' ' ' <"$o")" \
  "started 0 failed 0: the print program showed no sign of printing for 4 s started 1 failed 1: file not found started 2 failed 2: the print program showed no sign of printing for 4 s finished "
[ -z "$(ls -A "$out")" ] || fail "limit: PDFs were made: $(ls "$out")"
[ ! -e "$note" ] || fail "the note of the print program outlived the batch"
after "limit"

# Stop while the batch still tries to reach a DDE service: the batch ends within a second or two,
# not after the ten seconds of tries.
o=$work/stop.out
"$host" --stop-after 2500 "$outw" "$(w silent.qnodde)" | while IFS= read -r line; do
  echo "$(date +%s%N) $line"
done >"$o"
stopped=$(sed -n 's/ stop$//p' "$o")
finished=$(sed -n 's/ finished$//p' "$o")
[ -n "$stopped" ] && [ -n "$finished" ] || fail "stop during DDE: $(cat "$o")"
expect "stop during DDE" "$(cut -d' ' -f2- "$o" | tr '\n' ' ')" "started 0 stop stopped finished "
took=$(((finished - stopped) / 1000000))
echo "stop during DDE: the batch ended $took ms after the stop"
[ "$took" -lt 5000 ] || fail "stop during DDE took $took ms"
after "stop during DDE"

# A killed batch: its print program (and what that started) ends with it; the note it left is
# cleared by the next start.
o=$work/killed.out
"$host" "$outw" "$(w child.qspawn)" >"$o" &
hostpid=$!
print_program_noted() { [ "$(prefix_pids 'print_dde\.exe' | wc -l)" -ge 1 ] && [ -e "$note" ]; }
wait_until 60 print_program_noted || fail "the print program did not start: $(cat "$o")"
# shellcheck disable=SC2046
kill -9 $(prefix_pids 'batch_host\.exe')
wait $hostpid 2>/dev/null || true
expect "killed batch: print programs running" "$(print_programs)" "0"
expect "killed batch: its note" "$([ -e "$note" ] && echo left || echo gone)" "left"
# A printed document, which also empties the spool folder the killed batch left its note for the
# port in.
expect "next batch" "$(with_out "$(w letter.txt)")" "started 0 done 0 finished "
expect "next batch: the note" "$([ -e "$note" ] && echo left || echo gone)" "gone"
after "killed batch"
