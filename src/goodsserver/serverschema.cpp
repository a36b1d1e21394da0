#include "serverschema.h"

namespace {

// The advisory lock class under which the schema of a shop changes (the shop
// name's hash is the other key: a schema has no oid before it is made).
constexpr int kLockSchema = 0x50450001;

// Version 1: the goods, the shop's price history, the workstations' own marks
// and print dates, the deleted rows of the change feed. `zmiana` is the
// transaction that last wrote a row, which a workstation's copy reads changes
// by; `usuniete_od` the oldest transaction from which on every deletion is
// still in `usuniete` (raised when old ones are pruned).
// History entries are written by the server in one statement per statement on
// the goods, by the rules of the local goods file: a new record or a changed
// CENA adds an entry when its amount differs from the last of its ID, dated
// now (the server's clock, or `prandel.teraz` when set), never before that last
// entry. The amount `kwota` is the program's reading of CENA; a price written
// by anything else gets none, so it shows no lowest price rather than a wrong one.
const char kVersion1[] = R"SQL(
CREATE SCHEMA %1;
SET LOCAL search_path = %1;
CREATE TABLE wersja (schemat int NOT NULL, epoka uuid NOT NULL DEFAULT gen_random_uuid(),
  usuniete_od xid8 NOT NULL DEFAULT '0');
INSERT INTO wersja (schemat) VALUES (0);
CREATE COLLATION pl_nocase (provider = icu, locale = 'pl-u-ks-level2', deterministic = false);
CREATE TABLE towary (nr bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
  "ID" varchar(30) NOT NULL UNIQUE, "NAZWA" varchar(50) NOT NULL, "CENA" varchar(10) NOT NULL,
  "WAGA" varchar(50), "ABSCENA" varchar(50), "KODKRESKOWY" varchar(50), "TYPKODU" integer,
  "NEW" boolean NOT NULL DEFAULT false, "KROTKITERMIN" boolean NOT NULL DEFAULT false,
  kwota bigint, zmiana xid8 NOT NULL DEFAULT pg_current_xact_id());
CREATE INDEX ON towary (zmiana);
CREATE TABLE usuniete (nr bigint PRIMARY KEY, zmiana xid8 NOT NULL DEFAULT pg_current_xact_id());
CREATE TABLE historia_cen (nr bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY, "ID" varchar(30) NOT NULL,
  "KWOTA" bigint, "CHWILA" bigint NOT NULL, zmiana xid8 NOT NULL DEFAULT pg_current_xact_id());
CREATE INDEX ON historia_cen ("ID", "CHWILA");
CREATE INDEX ON historia_cen (zmiana);
CREATE TABLE stanowiska_towary (stanowisko text NOT NULL,
  "ID" varchar(30) NOT NULL REFERENCES towary ("ID") ON DELETE CASCADE ON UPDATE CASCADE,
  "SELECT" boolean NOT NULL DEFAULT false, "PRINTDATE" timestamp(3),
  zmiana xid8 NOT NULL DEFAULT pg_current_xact_id(), PRIMARY KEY (stanowisko, "ID"));
CREATE INDEX ON stanowiska_towary (stanowisko, zmiana);

CREATE FUNCTION prandel_now() RETURNS bigint LANGUAGE sql VOLATILE AS
$$ SELECT coalesce(nullif(current_setting('prandel.teraz', true), '')::bigint,
                   (extract(epoch FROM clock_timestamp()) * 1000)::bigint) $$;
CREATE FUNCTION prandel_zmiana() RETURNS trigger LANGUAGE plpgsql AS
$$ BEGIN NEW.zmiana := pg_current_xact_id(); RETURN NEW; END $$;
CREATE FUNCTION prandel_towar() RETURNS trigger LANGUAGE plpgsql AS $$
BEGIN
  NEW.zmiana := pg_current_xact_id();
  IF coalesce(current_setting('prandel.program', true), '') <> 'on'
     AND (TG_OP = 'INSERT' OR NEW."CENA" IS DISTINCT FROM OLD."CENA") THEN
    NEW.kwota := NULL;
  END IF;
  RETURN NEW;
END $$;
CREATE FUNCTION prandel_historia() RETURNS trigger LANGUAGE plpgsql SET search_path FROM CURRENT AS $$
DECLARE teraz bigint := prandel_now();
BEGIN
  IF coalesce(current_setting('prandel.kopia', true), '') = 'on' THEN RETURN NULL; END IF;
  IF TG_OP = 'INSERT' THEN
    INSERT INTO historia_cen ("ID", "KWOTA", "CHWILA")
    SELECT n."ID", n.kwota, greatest(teraz, coalesce(l."CHWILA", teraz)) FROM nowe n
    LEFT JOIN LATERAL (SELECT h."KWOTA", h."CHWILA" FROM historia_cen h WHERE h."ID" = n."ID"
                       ORDER BY h."CHWILA" DESC, h.nr DESC LIMIT 1) l ON true
    WHERE l."CHWILA" IS NULL OR n.kwota IS DISTINCT FROM l."KWOTA" ORDER BY n.nr;
  ELSE
    INSERT INTO historia_cen ("ID", "KWOTA", "CHWILA")
    SELECT n."ID", n.kwota, greatest(teraz, coalesce(l."CHWILA", teraz)) FROM nowe n JOIN stare s ON s.nr = n.nr
    LEFT JOIN LATERAL (SELECT h."KWOTA", h."CHWILA" FROM historia_cen h WHERE h."ID" = n."ID"
                       ORDER BY h."CHWILA" DESC, h.nr DESC LIMIT 1) l ON true
    WHERE n."CENA" IS DISTINCT FROM s."CENA" AND (l."CHWILA" IS NULL OR n.kwota IS DISTINCT FROM l."KWOTA") ORDER BY n.nr;
  END IF;
  RETURN NULL;
END $$;
CREATE FUNCTION prandel_usuniete() RETURNS trigger LANGUAGE plpgsql SET search_path FROM CURRENT AS $$
BEGIN
  INSERT INTO usuniete (nr) SELECT nr FROM stare ON CONFLICT (nr) DO UPDATE SET zmiana = pg_current_xact_id();
  RETURN NULL;
END $$;
-- What the change feed cannot tell (goods emptied at once, history entries
-- taken away) gives the shop a new epoch: every copy is then read anew.
CREATE FUNCTION prandel_nowa_epoka() RETURNS trigger LANGUAGE plpgsql SET search_path FROM CURRENT AS $$
BEGIN
  -- A statement trigger of a TRUNCATE has no table of old rows to read.
  IF TG_OP = 'DELETE' THEN
    IF NOT EXISTS (SELECT FROM stare) THEN RETURN NULL; END IF;
  END IF;
  UPDATE wersja SET epoka = gen_random_uuid();
  RETURN NULL;
END $$;
-- The channel is named by the schema's oid: a shop name may be as long as a
-- channel name may.
CREATE FUNCTION prandel_powiadom() RETURNS trigger LANGUAGE plpgsql AS $$
DECLARE kanal text := 'prandel_' || (SELECT relnamespace FROM pg_class WHERE oid = TG_RELID)::text;
BEGIN
  IF TG_TABLE_NAME = 'towary' THEN
    PERFORM pg_notify(kanal, 'towary');
  ELSIF TG_OP = 'DELETE' THEN
    PERFORM pg_notify(kanal, 'stanowisko:' || s) FROM (SELECT DISTINCT stanowisko AS s FROM stare) d;
  ELSE
    PERFORM pg_notify(kanal, 'stanowisko:' || s) FROM (SELECT DISTINCT stanowisko AS s FROM nowe) d;
  END IF;
  RETURN NULL;
END $$;

CREATE TRIGGER zmiana BEFORE INSERT OR UPDATE ON towary FOR EACH ROW EXECUTE FUNCTION prandel_towar();
CREATE TRIGGER zmiana BEFORE INSERT OR UPDATE ON historia_cen FOR EACH ROW EXECUTE FUNCTION prandel_zmiana();
CREATE TRIGGER zmiana BEFORE INSERT OR UPDATE ON stanowiska_towary FOR EACH ROW EXECUTE FUNCTION prandel_zmiana();
CREATE TRIGGER historia_dodane AFTER INSERT ON towary REFERENCING NEW TABLE nowe
  FOR EACH STATEMENT EXECUTE FUNCTION prandel_historia();
CREATE TRIGGER historia_zmienione AFTER UPDATE ON towary REFERENCING NEW TABLE nowe OLD TABLE stare
  FOR EACH STATEMENT EXECUTE FUNCTION prandel_historia();
CREATE TRIGGER usuniete AFTER DELETE ON towary REFERENCING OLD TABLE stare
  FOR EACH STATEMENT EXECUTE FUNCTION prandel_usuniete();
CREATE TRIGGER nowa_epoka AFTER TRUNCATE ON towary FOR EACH STATEMENT EXECUTE FUNCTION prandel_nowa_epoka();
CREATE TRIGGER nowa_epoka AFTER TRUNCATE ON historia_cen FOR EACH STATEMENT EXECUTE FUNCTION prandel_nowa_epoka();
CREATE TRIGGER historia_usunieta AFTER DELETE ON historia_cen REFERENCING OLD TABLE stare
  FOR EACH STATEMENT EXECUTE FUNCTION prandel_nowa_epoka();
CREATE TRIGGER powiadom AFTER INSERT OR UPDATE OR DELETE OR TRUNCATE ON towary
  FOR EACH STATEMENT EXECUTE FUNCTION prandel_powiadom();
CREATE TRIGGER powiadom_dodane AFTER INSERT ON stanowiska_towary REFERENCING NEW TABLE nowe
  FOR EACH STATEMENT EXECUTE FUNCTION prandel_powiadom();
CREATE TRIGGER powiadom_zmienione AFTER UPDATE ON stanowiska_towary REFERENCING NEW TABLE nowe
  FOR EACH STATEMENT EXECUTE FUNCTION prandel_powiadom();
CREATE TRIGGER powiadom_usuniete AFTER DELETE ON stanowiska_towary REFERENCING OLD TABLE stare
  FOR EACH STATEMENT EXECUTE FUNCTION prandel_powiadom();
)SQL";

// kUpgrades[n] takes a shop's schema from version n to n + 1; %1 is the
// schema's quoted name.
const char* const kUpgrades[] = {kVersion1};
static_assert(std::size(kUpgrades) == kServerSchemaVersion);

void CheckShopName(const QString& shop) {
    const qsizetype bytes = shop.toUtf8().size();
    if (bytes < 1 || bytes > 63 || shop.startsWith(QLatin1String("pg_"), Qt::CaseInsensitive))
        throw TServerError(QStringLiteral("Nieprawidłowa nazwa sklepu na serwerze: \"%1\".").arg(shop), QStringLiteral("42602"));
}

}  // namespace

int ShopSchemaVersion(TPgConnection& conn, const QString& shop) {
    const QString schema = conn.Identifier(shop);
    // The catalog read as a query, in the statement's snapshot: name look-ups
    // (to_regclass) may answer from a cache that has not yet seen a schema
    // another workstation made while this one waited for the lock.
    if (!conn.Scalar(QStringLiteral("SELECT EXISTS (SELECT FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace"
                                    " WHERE n.nspname = ? AND c.relname = 'wersja')"),
                     {shop})
             .toBool())
        return 0;
    return conn.Scalar(QStringLiteral("SELECT schemat FROM %1.wersja").arg(schema)).toInt();
}

int PrepareShopSchema(TPgConnection& conn, const QString& shop) {
    CheckShopName(shop);
    const QString schema = conn.Identifier(shop);
    for (int version = ShopSchemaVersion(conn, shop);; ) {
        if (version > kServerSchemaVersion)
            throw TServerError(QStringLiteral("Baza towarów na serwerze ma nowszą wersję (%1) niż program (%2).")
                                   .arg(version)
                                   .arg(kServerSchemaVersion),
                               QStringLiteral("P0001"));
        if (version == kServerSchemaVersion) return version;
        conn.Begin();
        try {
            conn.Exec(QStringLiteral("SELECT pg_advisory_xact_lock(?::int, hashtext(?))"), {kLockSchema, shop});
            // Another workstation may have stepped on while this one waited.
            version = ShopSchemaVersion(conn, shop);
            if (version < kServerSchemaVersion) {
                conn.Exec(QString::fromUtf8(kUpgrades[version]).arg(schema));
                conn.Exec(QStringLiteral("UPDATE %1.wersja SET schemat = ?").arg(schema), {++version});
            }
            conn.Commit();
        } catch (...) {
            conn.Rollback();
            throw;
        }
    }
}
