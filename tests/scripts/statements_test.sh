#!/usr/bin/env bash
# zel statements as a user runs it: the sample statements into SQLite and
# into a PostgreSQL server of its own (started here on a private port and
# directory, stopped at the end); the rows are checked by the databases'
# own clients. Every result code is provoked once.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
zel_bin=$1      # the zel of the build under test
fake_odbc=$2    # a directory with a libodbc.so.2 that is no driver manager
fixtures="$root/tests/fixtures/mt940"
camt="$root/tests/fixtures/camt"
work=$(mktemp -d)
chmod 755 "$work"
pg_stop=""
cleanup() { [ -z "$pg_stop" ] || eval "$pg_stop" >/dev/null 2>&1 || true; rm -rf "$work"; }
trap cleanup EXIT
# The data source of the test server is a system data source of an ODBC
# configuration directory of its own (with the installed drivers).
export XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" ODBCSYSINI="$work/odbc"
mkdir -p "$ODBCSYSINI"
cp /etc/odbcinst.ini "$ODBCSYSINI/odbcinst.ini"
fail() { echo "FAIL: $*" >&2; exit 1; }
zel() { "$zel_bin" --quiet "$@"; }
sample="$fixtures/mt940_parser_sepa_mt9401.txt"  # 20 statements, 97 bookings

# A statement whose purpose holds quotes and SQL.
cat > "$work/quotes.sta" <<'EOF'
:20:STARTUMS
:25:10020030/1234567
:28C:1/1
:60F:C130101EUR100,00
:61:1301020102DR12,50NTRFNONREF
:86:166?00GUTSCHRIFT?20Rechnung 'A'?21'); DROP TABLE KontoUmsaetze; --?32O"Brien
:62F:C130102EUR87,50
-
EOF

# run_checks NAME QUERY-COMMAND IMPORT-ARGS...: the same checks for each database.
run_checks() {
  local name=$1 query=$2
  shift 2
  out=$(zel statements import "$@" --user-id 7 "$sample") || fail "$name: import: $out"
  [ "$out" = "$sample: 20 Auszüge, 97 Umsätze übernommen" ] || fail "$name: counts: $out"
  [ "$($query 'SELECT MIN(NR), MAX(NR) FROM "KontoUmsaetze"')" = "1|97" ] || fail "$name: numbering"
  # The same file again: every statement is known and skipped, unless asked.
  out=$(zel statements import "$@" --user-id 7 "$sample" 2> "$work/notes") ||
    fail "$name: second import"
  [ "$out" = "$sample: 0 Auszüge, 0 Umsätze übernommen, 20 Auszüge schon übernommen" ] ||
    fail "$name: duplicates: $out"
  grep -q "ist schon übernommen" "$work/notes" || fail "$name: duplicate notice"
  zel statements import "$@" --user-id 7 --allow-duplicates "$sample" > /dev/null ||
    fail "$name: import with duplicates"
  [ "$($query 'SELECT MAX(NR) FROM "KontoAuszuege"')" = "40" ] || fail "$name: statements go on"
  [ "$($query 'SELECT COUNT(*) FROM "KontoUmsaetze" WHERE BENUTZER <> 7')" = "0" ] ||
    fail "$name: user id"
  [ "$($query 'SELECT MIN(AUSZUG), MAX(AUSZUG) FROM "KontoUmsaetze"')" = "1|40" ] ||
    fail "$name: statement numbers of the bookings"
  zel statements import "$@" --user-id 7 "$work/quotes.sta" > /dev/null || fail "$name: quotes"
  purpose=$($query 'SELECT VERWENDUNG, GEGENNAME FROM "KontoUmsaetze" WHERE NR = 195')
  [ "$purpose" = "Rechnung  A  ); DROP TABLE KontoUmsaetze; --|O Brien" ] ||
    fail "$name: purpose stored as text: $purpose"
  [ "$($query 'SELECT VALUTA, BETRAG FROM "KontoUmsaetze" WHERE NR = 195')" = "02.01.2013|-12.50" ] ||
    fail "$name: date and amount form"
  # 1: a table name that is no plain identifier; 4: no such file.
  set +e
  msg=$(zel statements import "$@" --tables "A';--#U" "$sample" 2>&1); rc=$?
  [ $rc -eq 2 ] && grep -q "Fehler 1:" <<<"$msg" || fail "$name: code 1 ($rc): $msg"
  msg=$(zel statements import "$@" "$work/fehlt.sta" 2>&1); rc=$?
  [ $rc -eq 1 ] && grep -q "Fehler 4:" <<<"$msg" || fail "$name: code 4 ($rc): $msg"
  # 5 and 6: tables of the wrong shape.
  msg=$(zel statements import "$@" --tables "Kurz#KontoUmsaetze" "$sample" 2>&1); rc=$?
  [ $rc -eq 1 ] && grep -q "Fehler 5:" <<<"$msg" || fail "$name: code 5 ($rc): $msg"
  msg=$(zel statements import "$@" --allow-duplicates --tables "KontoAuszuege#Kurz" "$sample" 2>&1)
  rc=$?
  [ $rc -eq 1 ] && grep -q "Fehler 6:" <<<"$msg" || fail "$name: code 6 ($rc): $msg"
  set -e
  # camt: one day, the same day again, a ZIP of that day and the next.
  out=$(zel statements import "$@" "$camt/camt053_v08_2026-11-03.xml" 2> "$work/notes") ||
    fail "$name: camt: $out"
  [ "$out" = "$camt/camt053_v08_2026-11-03.xml: 1 Auszüge, 4 Umsätze übernommen" ] ||
    fail "$name: camt counts: $out"
  grep -q "1 noch nicht gebuchte Umsätze (Vormerkposten) ausgelassen" "$work/notes" ||
    fail "$name: pending entries"
  [ "$($query "SELECT GEGENNAME, GEGENKONTO, CAST(BETRAG * 100 AS INTEGER) FROM \"KontoUmsaetze\" WHERE BUCHUNGSTEXT = 'GUTSCHR. UEBERWEISUNG'")" = \
    "Erika Müller|DE02120300000000202051|30000" ] || fail "$name: camt booking"
  out=$(zel statements import "$@" "$camt/camt053_days.zip" 2> "$work/notes") || fail "$name: zip: $out"
  grep -q "Auszug 17 vom 03.11.2026 ist schon übernommen" "$work/notes" || fail "$name: zip known"
  grep -q "liesmich.txt: kein camt-Dokument im Archiv, übergangen" "$work/notes" ||
    fail "$name: zip text entry"
  grep -q "sub/nested.xml: kein camt-Dokument" "$work/notes" || fail "$name: zip nested entry"
  [ "$out" = "$camt/camt053_days.zip: 1 Auszüge, 4 Umsätze übernommen, 1 Auszug schon übernommen" ] ||
    fail "$name: zip counts: $out"
  for f in camt053_v02_2013-12-02.xml camt052_v08_2026-11-04.xml camt054_v08_2026-11-05.xml; do
    zel statements import "$@" "$camt/$f" > /dev/null 2>&1 || fail "$name: $f"
  done
  [ "$($query "SELECT COUNT(*) FROM \"KontoAuszuege\" WHERE KONTO = 'DE89370400440532013000'")" = "4" ] ||
    fail "$name: camt statements"
}

# --- SQLite ---------------------------------------------------------------
db="$work/bank.sqlite"
zel statements init-db "$db" > /dev/null || fail "init-db"
sqlite3 "$db" 'CREATE TABLE "Kurz" (NR INTEGER)'
sq() { sqlite3 -separator '|' "$db" "$1" | sed 's/|-12.5$/|-12.50/'; }
run_checks SQLite sq --db "$db"
for f in "$fixtures"/*.txt; do zel statements import --db "$db" "$f" > /dev/null 2>&1 || true; done
set +e
msg=$(zel statements import --dsn KeineQuelle "$sample" 2>&1); rc=$?
[ $rc -eq 2 ] && grep -q "Fehler 3:" <<<"$msg" || fail "code 3 ($rc): $msg"
msg=$(LD_LIBRARY_PATH="$fake_odbc" "$zel_bin" --quiet statements import --db "$db" "$sample" 2>&1)
rc=$?
[ $rc -eq 2 ] && grep -q "Fehler 2: ADO scheint nicht installiert zu sein" <<<"$msg" ||
  fail "code 2 ($rc): $msg"
set -e

# --- PostgreSQL -----------------------------------------------------------
pgbin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
[ -x "$pgbin/initdb" ] || fail "PostgreSQL is not installed (scripts/setup.sh installs it)"
as_pg=()
if [ "$(id -u)" -eq 0 ]; then as_pg=(runuser -u postgres --); fi
mkdir -p "$work/pg"
[ ${#as_pg[@]} -eq 0 ] || chown postgres "$work/pg"
port=$((20000 + RANDOM % 20000))
"${as_pg[@]}" "$pgbin/initdb" -D "$work/pg/data" -U zel --auth=trust -E UTF8 > "$work/pg.log" 2>&1 ||
  { cat "$work/pg.log"; fail "initdb"; }
"${as_pg[@]}" "$pgbin/pg_ctl" -D "$work/pg/data" -l "$work/pg/log" -w \
  -o "-p $port -k $work/pg -c listen_addresses=127.0.0.1" start > /dev/null ||
  { cat "$work/pg/log"; fail "PostgreSQL did not start"; }
pg_stop="${as_pg[*]} $pgbin/pg_ctl -D $work/pg/data -m fast stop"
"${as_pg[@]}" "$pgbin/createdb" -h 127.0.0.1 -p "$port" -U zel bank
cat > "$ODBCSYSINI/odbc.ini" <<EOF
[ZelTestPg]
Driver=PostgreSQL Unicode
Servername=127.0.0.1
Username=zel
Port=$port
Database=bank
EOF
zel statements init-db --dsn ZelTestPg --user zel --password x > /dev/null || fail "pg init-db"
pq() { psql -h 127.0.0.1 -p "$port" -U zel -d bank -At -F '|' -c "$1"; }
pq 'CREATE TABLE "Kurz" (NR INTEGER)' > /dev/null
run_checks PostgreSQL pq --dsn ZelTestPg --user zel --password x
# A row the table cannot take rolls the whole file back: no half statement.
pq 'CREATE TABLE "Eng" (NR INTEGER, AUSZUG INTEGER, VALUTA VARCHAR(10), BUCHUNGSDATUM VARCHAR(10),
  BETRAG DECIMAL(15,2), ORIGWAEHRUNG VARCHAR(3), ORIGBETRAG DECIMAL(15,2), GVC INTEGER,
  BUCHUNGSTEXT VARCHAR(27), PRIMANOTA VARCHAR(10), GEGENBLZ VARCHAR(11), GEGENKONTO VARCHAR(34),
  GEGENNAME VARCHAR(5), VERWENDUNG VARCHAR(400), TEXTSCHLUESSELERG INTEGER, BENUTZER INTEGER)' > /dev/null
before=$(pq 'SELECT COUNT(*) FROM "KontoAuszuege"')
set +e
msg=$(zel statements import --dsn ZelTestPg --user zel --password x --allow-duplicates \
  --tables "KontoAuszuege#Eng" "$camt/camt054_v08_2026-11-05.xml" 2>&1); rc=$?
set -e
[ $rc -eq 1 ] && grep -q "Fehler 6:" <<<"$msg" || fail "narrow column ($rc): $msg"
[ "$(pq 'SELECT COUNT(*) FROM "KontoAuszuege"')" = "$before" ] || fail "not rolled back"
echo "statements: SQLite and PostgreSQL passed"
