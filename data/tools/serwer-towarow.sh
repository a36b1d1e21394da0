#!/usr/bin/env bash
# Prandel etykiet: serwer towarów dla kilku stanowisk jednym poleceniem.
#
# Na komputerze z Debianem i pakietem postgresql (apt install postgresql)
# zakłada użytkownika i bazę danych UTF-8 na towary sklepów, a na standardowe
# wyjście wypisuje linie [GOODSSTORE] do pliku settings.ini stanowisk:
#
#   sudo serwer-towarow.sh UŻYTKOWNIK [BAZA] [SIEĆ]
#
#   UŻYTKOWNIK  login stanowisk na serwerze (np. kasa)
#   BAZA        baza danych na towary (domyślnie etykiety)
#   SIEĆ        sieć stanowisk, np. 192.168.1.0/24: serwer zacznie nasłuchiwać
#               na wszystkich adresach, wpuści z niej tego użytkownika do tej
#               bazy (hasłem) i zostanie uruchomiony ponownie
#
# Hasło: ze zmiennej PRANDEL_HASLO albo podane dwa razy z klawiatury. Trafia
# do serwera na standardowe wejście psql, nigdy w wierszu polecenia ani na
# wyjście. Ponowne uruchomienie zmienia hasło istniejącego użytkownika, a
# istniejącą bazę zostawia w spokoju.
#
# Bez PGHOST polecenia idą do klastra tego komputera jako użytkownik postgres;
# z PGHOST (oraz PGPORT, PGUSER) do wskazanego serwera jako jego administrator.
set -euo pipefail

fail() { echo "serwer-towarow: $*" >&2; exit 1; }

if [ $# -lt 1 ] || [ $# -gt 3 ]; then fail "użycie: serwer-towarow.sh UŻYTKOWNIK [BAZA] [SIEĆ]"; fi
user=$1
db=${2:-etykiety}
net=${3:-}
for name in "$user" "$db"; do
  [ -n "$name" ] || fail "pusta nazwa użytkownika albo bazy danych"
  [ "${#name}" -le 63 ] || fail "nazwa dłuższa niż 63 znaki: $name"
  case "$name" in pg_*|PG_*) fail "nazwa nie może zaczynać się od pg_: $name" ;; esac
done

if [ -n "${PRANDEL_HASLO:-}" ]; then
  password=$PRANDEL_HASLO
else
  read -rsp "Hasło użytkownika $user: " password; echo >&2
  read -rsp "Powtórz hasło: " again; echo >&2
  [ "$password" = "$again" ] || fail "hasła się różnią"
fi
[ -n "$password" ] || fail "puste hasło"

# psql as the cluster's administrator.
admin_psql() {
  if [ -n "${PGHOST:-}" ]; then
    psql "$@"
  elif [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- psql "$@"
  else
    sudo -u postgres psql "$@"
  fi
}
command -v psql >/dev/null || fail "brak programu psql: apt install postgresql"

# A text as an SQL literal (standard strings: only the quote doubles).
literal() { printf "'%s'" "${1//\'/\'\'}"; }

admin_psql -X -q -v ON_ERROR_STOP=1 -d postgres >/dev/null <<SQL || fail "serwer odmówił założenia użytkownika lub bazy danych"
SELECT format('CREATE ROLE %I LOGIN PASSWORD %L', $(literal "$user"), $(literal "$password"))
 WHERE NOT EXISTS (SELECT FROM pg_roles WHERE rolname = $(literal "$user")) \gexec
SELECT format('ALTER ROLE %I LOGIN PASSWORD %L', $(literal "$user"), $(literal "$password"))
 WHERE EXISTS (SELECT FROM pg_roles WHERE rolname = $(literal "$user")) \gexec
SELECT format('CREATE DATABASE %I OWNER %I ENCODING %L LOCALE %L TEMPLATE template0',
              $(literal "$db"), $(literal "$user"), 'UTF8', 'C.UTF-8')
 WHERE NOT EXISTS (SELECT FROM pg_database WHERE datname = $(literal "$db")) \gexec
SQL

setting() { admin_psql -X -q -At -d postgres -c "SHOW $1"; }
encoding=$(admin_psql -X -q -At -d postgres -c "SELECT pg_encoding_to_char(encoding) FROM pg_database WHERE datname = $(literal "$db")")
[ "$encoding" = UTF8 ] || fail "baza danych $db istnieje, ale nie jest w UTF-8 ($encoding): wybierz inną nazwę"
port=$(setting port)

if [ -n "$net" ]; then
  hba=$(setting hba_file)
  rule="host \"$db\" \"$user\" $net scram-sha-256"
  if ! admin_psql -X -q -At -d postgres -c "SELECT 1 FROM pg_hba_file_rules WHERE $(literal "$db") = ANY(database) AND $(literal "$user") = ANY(user_name) AND address IS NOT NULL" | grep -q 1; then
    if [ -n "${PGHOST:-}" ]; then fail "SIEĆ tylko na samym serwerze (bez PGHOST)"; fi
    if [ "$(id -u)" -eq 0 ]; then printf '%s\n' "$rule" >>"$hba"; else printf '%s\n' "$rule" | sudo tee -a "$hba" >/dev/null; fi
  fi
  admin_psql -X -q -d postgres -c "ALTER SYSTEM SET listen_addresses = '*'" >/dev/null
  cluster=$(setting cluster_name)
  if [ -n "$cluster" ]; then
    as_root=(); [ "$(id -u)" -eq 0 ] || as_root=(sudo)
    "${as_root[@]}" pg_ctlcluster "${cluster%/*}" "${cluster#*/}" restart || fail "nie udało się ponownie uruchomić serwera ($cluster)"
  else
    echo "Uruchom serwer PostgreSQL ponownie, aby nasłuchiwał w sieci." >&2
  fi
fi

host=${PGHOST:-$(hostname -f 2>/dev/null || hostname)}
cat >&2 <<EOF
Baza danych $db i użytkownik $user są gotowe. Dopisz poniższe linie do pliku
settings.ini każdego stanowiska (folder ~/.local/share/Prandel etykiet/),
a hasło wpisz na stronie Konfiguracja w polu "Hasło" (program zapisze je
zaszyfrowane); połączenie sprawdzi przycisk "Sprawdź połączenie".
EOF
cat <<EOF
[GOODSSTORE]
KIND=1
HOST=$host
PORT=$port
DATABASE=$db
USER=$user
SHOP=sklep
EOF
