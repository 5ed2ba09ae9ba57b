#!/usr/bin/env bash
# End-to-end checks of velkaro-cli: the real executable, real files and pipes.
# Usage: cli_end_to_end.sh path/to/velkaro-cli
set -u

CLI=${1:?usage: $0 path/to/velkaro-cli}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK" || exit 1
export LC_ALL=C.UTF-8

failures=0
checks=0

pass() { checks=$((checks + 1)); }
fail() {
    checks=$((checks + 1))
    failures=$((failures + 1))
    echo "FAIL: $1" >&2
    [ -s err ] && sed 's/^/    stderr: /' err >&2
}

# expect_status NAME STATUS COMMAND...: runs COMMAND (stdout to ./out, stderr to ./err),
# checks its exit status.
expect_status() {
    local name=$1 expected=$2
    shift 2
    "$@" >out 2>err
    local status=$?
    if [ "$status" -eq "$expected" ]; then pass; else fail "$name: exit status $status, expected $expected"; fi
}

# expect_true NAME COMMAND...: the command must succeed.
expect_true() {
    local name=$1
    shift
    if "$@"; then pass; else fail "$name"; fi
}

# expect_stderr NAME TEXT: the last command's messages contain TEXT.
expect_stderr() {
    if grep -qF -- "$2" err; then pass; else fail "$1: stderr lacks \"$2\""; fi
}

# no_temporary_files NAME: nothing but the files the test made is left in the work folder.
no_temporary_files() {
    if ls -a | grep -q '\.XXXXXX\|\.[A-Za-z0-9]\{6\}$'; then fail "$1: temporary file left: $(ls -a)"; else pass; fi
}

printf 'secret password\n' >pw
printf 'wrong password\n' >pw_wrong
printf 'abc\n' >pw_short
printf '\n' >pw_empty
printf 'Привет!\r\nВстречаемся в пятницу в 19:00.\r\nНе опаздывай — «Ёлка» №5.' >plain.txt

# ---- Round trips --------------------------------------------------------------------------

expect_status "seal file to file" 0 "$CLI" seal --password-file pw plain.txt sealed.txt
expect_status "open file to file" 0 "$CLI" open --password-file pw sealed.txt opened.txt
expect_true "file round trip gives the Cyrillic text back" cmp -s plain.txt opened.txt

"$CLI" seal --password-file pw <plain.txt 2>err | "$CLI" open --password-file pw >piped.txt 2>>err
expect_true "pipe round trip" cmp -s plain.txt piped.txt
expect_status "dashes mean the standard streams" 0 \
    bash -c "'$CLI' seal --password-file pw - - <plain.txt | '$CLI' open --password-file pw - - >dashed.txt"
expect_true "dash round trip" cmp -s plain.txt dashed.txt

# ---- What seal writes ---------------------------------------------------------------------

expect_true "block starts with the marker" grep -q '^\[!dgt_encry\]' sealed.txt
expect_true "output ends with the closing marker and no line break" \
    test "$(tail -c 13 sealed.txt)" = '[/!dgt_encry]'
expect_true "armour lines hold 50 characters and end with CR LF" \
    bash -c "head -n -1 sealed.txt | awk '{ if (length(\$0) != 51 || substr(\$0, 51) != \"\r\") exit 1 }'"
expect_status "seal with the default note" 0 "$CLI" seal --note --password-file pw plain.txt noted.txt
expect_true "note comes first, then the rule" bash -c "
    printf 'Сообщение зашифровано программой Velkaro Stego Версия 3.1\r\n%s\r\n[!dgt_encry]' \
        \"\$(printf '_%.0s' {1..50})\" >expected_head
    head -c \$(stat -c %s expected_head) noted.txt | cmp -s - expected_head"
printf 'Это письмо зашифровано.\r\nКлюч спросите у отправителя.' | iconv -f UTF-8 -t CP1251 >note.txt
expect_status "seal with a note file" 0 "$CLI" seal --note-file note.txt --password-file pw plain.txt noted2.txt
expect_true "note file text heads the output" \
    bash -c "head -n 1 noted2.txt | grep -q '^Это письмо зашифровано.'"
expect_status "noted text opens" 0 "$CLI" open --password-file pw noted2.txt noted2_opened.txt
expect_true "note is not part of the opened text" cmp -s plain.txt noted2_opened.txt

# ---- Blocks as mail software leaves them ---------------------------------------------------

{ printf 'Re: встреча\r\n> старая цитата\r\n\r\n'; sed 's/\r$/<BR>\r/; s/\(.\{10\}\)/\1 /' sealed.txt; printf '\r\n\r\n-- \r\nподпись'; } >mangled.txt
expect_status "block with <BR> tags, spaces and surrounding text opens" 0 \
    "$CLI" open --password-file pw mangled.txt mangled_opened.txt
expect_true "mangled block gives the text back" cmp -s plain.txt mangled_opened.txt
sed 's/\r$/\r\n\r/; s/^/<p><font size="2">/; s/\r$/<\/font><\/p>\r/' sealed.txt >html.txt
expect_status "block wrapped in HTML paragraphs opens" 0 "$CLI" open --password-file pw html.txt html_opened.txt
expect_true "HTML block gives the text back" cmp -s plain.txt html_opened.txt

# ---- Probe ----------------------------------------------------------------------------------

expect_status "probe finds the block" 0 "$CLI" probe sealed.txt
"$CLI" probe sealed.txt >probe.txt 2>err
expect_true "probe shows the plain length" grep -qF "Длина текста: $(iconv -f UTF-8 -t CP1251 plain.txt | wc -c)" probe.txt
expect_true "probe shows the version and htmlMode" bash -c "grep -qF 'Версия: 1' probe.txt && grep -qF 'htmlMode: 0' probe.txt"
expect_status "probe of plain text finds nothing" 4 "$CLI" probe plain.txt
expect_stderr "probe of plain text says so" "В тексте нет зашифрованного блока"

# ---- Charsets -------------------------------------------------------------------------------

iconv -f UTF-8 -t CP1251 plain.txt >plain1251.txt
expect_status "seal raw CP1251" 0 "$CLI" seal --charset CP1251 --password-file pw plain1251.txt sealed1251.txt
expect_status "open raw CP1251" 0 "$CLI" open --charset CP1251 --password-file pw sealed1251.txt opened1251.txt
expect_true "CP1251 round trip keeps the bytes" cmp -s plain1251.txt opened1251.txt
expect_status "a CP1251 block opens in UTF-8" 0 "$CLI" open --password-file pw sealed1251.txt opened_utf8.txt
expect_true "same text in both charsets" cmp -s plain.txt opened_utf8.txt
printf 'Съешь же ещё этих мягких французских булок.\r\n' >koi8.txt
iconv -f UTF-8 -t KOI8-R koi8.txt >plain_koi8.txt
expect_status "seal KOI8-R" 0 "$CLI" seal --charset KOI8-R --password-file pw plain_koi8.txt sealed_koi8.txt
expect_status "open KOI8-R block as UTF-8" 0 "$CLI" open --password-file pw sealed_koi8.txt koi8_opened.txt
expect_true "KOI8-R text arrives as UTF-8" cmp -s koi8.txt koi8_opened.txt
printf 'строка один\nстрока два 😀 и всё\n' >emoji.txt
expect_status "character outside CP1251 is refused" 2 "$CLI" seal --password-file pw emoji.txt out_emoji.txt
expect_stderr "refusal names line and column" "Строка 2, столбец 12"
expect_stderr "refusal names the character" "U+1F600"
expect_true "refused seal writes no file" test ! -e out_emoji.txt
expect_status "--lossy replaces it" 0 "$CLI" seal --lossy --password-file pw emoji.txt lossy_sealed.txt
"$CLI" open --password-file pw lossy_sealed.txt >lossy_opened.txt 2>err
expect_true "replaced by a question mark" grep -qF 'строка два ? и всё' lossy_opened.txt
printf 'abc \377 def' >invalid.txt
expect_status "invalid UTF-8 is refused" 2 "$CLI" seal --password-file pw invalid.txt
expect_stderr "invalid bytes are located" "Строка 1, столбец 5 (байт 4)"
expect_status "unknown charset" 2 "$CLI" seal --charset NO-SUCH-CHARSET --password-file pw plain.txt
expect_stderr "unknown charset is named" "NO-SUCH-CHARSET"

# ---- Exit statuses of failures -----------------------------------------------------------------

printf 'keep me' >existing.txt
expect_status "wrong password" 1 "$CLI" open --password-file pw_wrong sealed.txt existing.txt
expect_stderr "wrong password says so" "Неправильный пароль"
expect_true "OUT untouched after a wrong password" test "$(cat existing.txt)" = "keep me"
# One character of the body (line 4: past the header) is changed.
awk 'NR == 4 { c = substr($0, 5, 1); $0 = substr($0, 1, 4) (c == "X" ? "Y" : "X") substr($0, 6) } 1' \
    sealed.txt >damaged.txt
expect_status "damaged block" 1 "$CLI" open --password-file pw damaged.txt existing.txt
expect_stderr "damaged block says so" "Текст искажен"
expect_true "OUT untouched after a damaged block" test "$(cat existing.txt)" = "keep me"
no_temporary_files "failures leave no temporary file"
expect_status "open replaces an existing OUT" 0 "$CLI" open --password-file pw sealed.txt existing.txt
expect_true "replaced OUT holds the text" cmp -s plain.txt existing.txt
no_temporary_files "success leaves no temporary file"

expect_status "empty text" 2 "$CLI" seal --password-file pw /dev/null
expect_stderr "empty text says so" "Нет текста для шифрования"
head -c 64001 /dev/zero | tr '\0' 'a' >long.txt
expect_status "text over 64000 bytes" 2 "$CLI" seal --password-file pw long.txt
expect_stderr "over-long text says so" "Размер текста слишком большой"
head -c 64000 /dev/zero | tr '\0' 'a' >longest.txt
expect_status "text of 64000 bytes seals" 0 "$CLI" seal --password-file pw longest.txt longest_sealed.txt
expect_status "short password" 2 "$CLI" seal --password-file pw_short plain.txt
expect_stderr "short password says so" "Пароль слишком короткий"
expect_status "empty password" 2 "$CLI" seal --password-file pw_empty plain.txt
expect_stderr "empty password says so" "Введите пароль"
expect_status "password on the command line" 2 "$CLI" seal --password=secret plain.txt
expect_status "unknown option" 2 "$CLI" seal --frobnicate plain.txt
expect_status "no command" 2 "$CLI"

expect_status "missing input file" 3 "$CLI" seal --password-file pw no_such_file.txt
expect_status "missing note file" 3 "$CLI" seal --note-file no_such_note.txt --password-file pw plain.txt
expect_status "missing password file" 3 "$CLI" seal --password-file no_such_pw plain.txt
expect_status "output into a missing folder" 3 "$CLI" seal --password-file pw plain.txt no_such_dir/out.txt

expect_status "open of plain text" 4 "$CLI" open --password-file pw plain.txt

# ---- Password sources ------------------------------------------------------------------------

expect_status "password from a descriptor" 0 "$CLI" open --password-fd 3 sealed.txt fd_opened.txt 3<pw
expect_true "descriptor password opens" cmp -s plain.txt fd_opened.txt
expect_status "password from a here-string descriptor" 0 \
    bash -c "'$CLI' open --password-fd 5 sealed.txt fd2_opened.txt 5<<<'secret password'"
printf 'secret password\r\nsecond line\r\n' >pw_crlf
expect_status "password file with CR LF" 0 "$CLI" open --password-file pw_crlf sealed.txt crlf_opened.txt
expect_true "CR LF password opens" cmp -s plain.txt crlf_opened.txt
if command -v setsid >/dev/null; then
    expect_status "no terminal to ask on" 2 setsid -w "$CLI" open sealed.txt </dev/null
    expect_stderr "no terminal says how to give the password" "--password-fd"
fi

if command -v script >/dev/null; then
    # script gives the tool a terminal; the password is typed a moment after the prompt.
    (sleep 1; printf 'secret password\n') | script -qc "'$CLI' open sealed.txt tty_opened.txt" /dev/null >tty.txt 2>&1
    expect_true "terminal password opens" cmp -s plain.txt tty_opened.txt
    expect_true "terminal shows the prompt" grep -qF "Пароль:" tty.txt
    expect_true "terminal does not echo the password" bash -c "! grep -qF 'secret password' tty.txt"
fi

# ---- Fresh synchro in every process ----------------------------------------------------------

# Processes started back to back share the clock's seconds and often its milliseconds; the
# synchro (header bytes 20..27: characters 25..36 of the block's first line) must still differ.
seals=300
for i in $(seq "$seals"); do
    "$CLI" seal --password-file pw plain.txt 2>>err | head -n 1 | cut -c25-36
done >synchros.txt
expect_true "every seal process gets its own synchro" \
    test "$(sort -u synchros.txt | grep -c '^.\{12\}$')" -eq "$seals"

# ---- Help ---------------------------------------------------------------------------------------

expect_status "help" 0 "$CLI" --help
"$CLI" -h >help.txt 2>err
expect_true "help explains the exit statuses" bash -c "grep -q '^  4 ' help.txt && grep -q '^  3 ' help.txt"
expect_true "help names every command and option" bash -c \
    "for w in seal open probe --note --note-file --password-file --password-fd --charset --lossy; do grep -qe \"\$w\" help.txt || exit 1; done"

echo "$checks checks, $failures failed"
[ "$failures" -eq 0 ]
