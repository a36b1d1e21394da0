#!/usr/bin/env python3
"""Writes a shop's goods of any size for trying the program on a big table.

    python3 tools/make_goods.py --count N --out FOLDER [--seed S] [--ean13-only]
            [--price-change GROSZE] [--format dbf|csv]
            [--data-dir DIR [--mark all|none|N | --definition-only]
                            [--definition NAME] [--cli PATH]]
    python3 tools/make_goods.py --verify FOLDER/TOWARY.DBF

FOLDER/TOWARY.DBF is a dBase III table in the Windows-1250 code page with the
columns of the demonstration shop (tools/make_demo_db.py): ID, NAZWA, CENA,
WAGA, KOD, TYPKODU, so the shipped definition "Sklep demonstracyjny" reads it
once its DataPath names FOLDER. The goods have Polish names, prices such as
"4,99", weights and contents such as "500 g", "0,5 kg", "1 l", "10 szt", and
unique barcodes: mostly EAN-13 (type 14) with valid check digits, a few EAN-8
(13) and Code 128 (6); --ean13-only gives every good an EAN-13. The same seed
gives the same goods, and the first N goods of any count are the same;
--price-change GROSZE raises every price by that many grosze (the same goods
on a later price list, for an update that changes every price).

--format csv writes the same goods as FOLDER/TOWARY.CSV instead, as a sales
program exports them: a header line with the column names, ";" between the
values, Windows-1250, CR LF line ends, values holding ";" or quotes in quotes.
With --data-dir the definition is then one of CSV files (TYPE=6), with the
same query.

--data-dir DIR fills the goods table DIR/DB/towary.db of a new data folder
the way a shop does: it writes a definition DIR/SQLCFG/NAME.cdb (a copy of the
shipped "Sklep demonstracyjny" with DataPath set to FOLDER) and runs the
companion's `update` against it (--definition-only stops after the
definition, for timing the update on its own). --mark then marks goods through
the companion: `all` (the default) every good, `none` none, N the first N
goods by ID (the first N goods are taken in by one update and marked, the rest
by a second update, which leaves marks alone).

--verify reads a table back and checks the record count, unique IDs and
barcodes and the EAN check digits; it exits non-zero on any fault.
"""
import argparse
import datetime
import math
import os
import random
import re
import struct
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # no __pycache__ beside the scripts
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
# The demonstration shop's columns (ID widens here when a count needs more than
# its six digits) and its EAN check digit.
from make_demo_db import FIELDS, ean_check  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
SHIPPED_DEFINITION = os.path.join(ROOT, "data", "SQLCFG", "Sklep demonstracyjny.cdb")
DEFAULT_DEFINITION = "Towary testowe"
TABLE_NAME = "TOWARY.DBF"
CSV_NAME = "TOWARY.CSV"
TABLE_DATE = datetime.date(2026, 12, 1)  # fixed, so the same seed gives the same bytes

ID_BASE = 1000

# Pack sizes: the text on the shelf and its amount in the unit of the price
# per unit (kg, l or piece).
G = {"100 g": 0.1, "150 g": 0.15, "180 g": 0.18, "200 g": 0.2, "250 g": 0.25, "300 g": 0.3,
     "400 g": 0.4, "450 g": 0.45, "500 g": 0.5, "0,5 kg": 0.5, "700 g": 0.7, "800 g": 0.8,
     "1 kg": 1.0, "2 kg": 2.0, "2,5 kg": 2.5, "5 kg": 5.0, "90 g": 0.09, "60 g": 0.06,
     "40 g": 0.04, "330 g": 0.33, "900 g": 0.9}
L = {"200 ml": 0.2, "250 ml": 0.25, "330 ml": 0.33, "400 ml": 0.4, "500 ml": 0.5,
     "0,5 l": 0.5, "0,75 l": 0.75, "1 l": 1.0, "1,5 l": 1.5, "2 l": 2.0, "5 l": 5.0,
     "750 ml": 0.75, "900 ml": 0.9, "100 ml": 0.1, "75 ml": 0.075}
PCS = {"1 szt": 1, "2 szt": 2, "4 szt": 4, "6 szt": 6, "8 szt": 8, "10 szt": 10,
       "12 szt": 12, "20 szt": 20, "25 szt": 25, "50 szt": 50, "100 szt": 100}

# Product, its kinds (already agreeing with the product's gender), pack sizes
# and a typical price per kg, l or piece in zloty.
PRODUCTS = [
    ("Chleb", ["żytni", "razowy", "wiejski", "orkiszowy", "graham", "z ziarnami", "słonecznikowy"], ["500 g", "700 g", "800 g"], 11.0),
    ("Bułka", ["kajzerka", "grahamka", "maślana", "z makiem", "wrocławska"], ["60 g", "90 g"], 14.0),
    ("Masło", ["extra", "osełkowe", "klarowane", "z solą", "roślinne"], ["200 g", "250 g", "300 g"], 42.0),
    ("Mleko", ["świeże 3,2%", "UHT 2%", "UHT 0,5%", "bez laktozy", "kozie", "owsiane"], ["0,5 l", "1 l", "1,5 l", "2 l"], 4.2),
    ("Jogurt", ["naturalny", "grecki", "truskawkowy", "jagodowy", "brzoskwiniowy", "pitny wiśniowy", "waniliowy"], ["150 g", "180 g", "400 g"], 14.0),
    ("Kefir", ["naturalny", "truskawkowy", "z mango"], ["400 g", "1 kg"], 7.5),
    ("Śmietana", ["18%", "12%", "30% kremówka", "do zup"], ["200 g", "400 g"], 16.0),
    ("Ser", ["żółty gouda", "żółty edamski", "królewski", "pleśniowy", "kozi", "mozzarella", "feta", "twarogowy"], ["150 g", "200 g", "250 g", "500 g", "1 kg"], 38.0),
    ("Twaróg", ["półtłusty", "tłusty", "chudy", "sernikowy"], ["250 g", "500 g", "1 kg"], 19.0),
    ("Jaja", ["z wolnego wybiegu L", "ściółkowe M", "ekologiczne L", "przepiórcze"], ["6 szt", "10 szt", "20 szt"], 1.1),
    ("Kiełbasa", ["śląska", "krakowska sucha", "podwawelska", "żywiecka", "jałowcowa", "biała surowa"], ["250 g", "400 g", "1 kg"], 32.0),
    ("Szynka", ["wędzona", "gotowana", "konserwowa", "parmeńska", "z indyka"], ["100 g", "150 g", "250 g"], 55.0),
    ("Parówki", ["cielęce", "z szynki", "drobiowe", "wieprzowe"], ["200 g", "250 g", "400 g"], 28.0),
    ("Filet", ["z kurczaka", "z indyka", "z dorsza", "z łososia", "z mintaja"], ["400 g", "500 g", "1 kg"], 36.0),
    ("Pierogi", ["ruskie", "z mięsem", "z kapustą i grzybami", "z jagodami", "ze szpinakiem"], ["400 g", "450 g", "1 kg"], 22.0),
    ("Makaron", ["świderki", "spaghetti", "penne", "nitki", "kokardki", "łazanki", "pełnoziarnisty"], ["250 g", "400 g", "500 g", "1 kg"], 11.0),
    ("Ryż", ["długoziarnisty", "basmati", "jaśminowy", "brązowy", "do risotto"], ["400 g", "1 kg", "5 kg"], 9.0),
    ("Kasza", ["gryczana prażona", "jęczmienna pęczak", "jaglana", "manna", "kuskus", "bulgur"], ["400 g", "500 g", "1 kg"], 10.0),
    ("Mąka", ["pszenna typ 450", "pszenna typ 650", "żytnia typ 2000", "orkiszowa", "ziemniaczana"], ["1 kg", "2 kg", "5 kg"], 4.0),
    ("Cukier", ["biały", "trzcinowy", "puder", "wanilinowy"], ["500 g", "1 kg", "2 kg"], 4.5),
    ("Sól", ["kamienna jodowana", "morska", "himalajska"], ["500 g", "1 kg"], 2.5),
    ("Olej", ["rzepakowy", "słonecznikowy", "lniany", "kokosowy"], ["0,5 l", "1 l", "5 l"], 10.0),
    ("Oliwa", ["z oliwek extra vergine", "z wytłoczyn", "smakowa z czosnkiem"], ["0,5 l", "0,75 l", "1 l"], 48.0),
    ("Ocet", ["spirytusowy 10%", "jabłkowy", "balsamiczny", "winny"], ["0,5 l", "1 l"], 7.0),
    ("Ketchup", ["łagodny", "pikantny", "bez cukru"], ["300 g", "450 g", "900 g"], 14.0),
    ("Musztarda", ["sarepska", "stołowa", "francuska", "miodowa", "kremska"], ["180 g", "300 g"], 16.0),
    ("Majonez", ["dekoracyjny", "stołowy", "light", "z czosnkiem"], ["200 ml", "400 ml", "750 ml"], 19.0),
    ("Ogórki", ["kiszone", "konserwowe", "małosolne", "korniszony"], ["500 g", "900 g"], 9.5),
    ("Koncentrat", ["pomidorowy 30%", "pomidorowy 28%", "paprykowy"], ["90 g", "200 g"], 14.0),
    ("Groszek", ["konserwowy", "mrożony", "cukrowy"], ["400 g", "450 g", "1 kg"], 10.5),
    ("Kawa", ["mielona", "ziarnista", "rozpuszczalna", "bezkofeinowa", "zbożowa"], ["100 g", "250 g", "500 g", "1 kg"], 72.0),
    ("Herbata", ["czarna ekspresowa", "zielona liściasta", "owocowa malinowa", "miętowa", "rooibos", "z cytryną"], ["20 szt", "25 szt", "50 szt", "100 szt"], 0.35),
    ("Czekolada", ["gorzka 70%", "mleczna", "biała", "z orzechami", "z rodzynkami", "z chili"], ["90 g", "100 g", "200 g"], 65.0),
    ("Krówki", ["ciągutki", "mleczne", "kakaowe"], ["200 g", "1 kg"], 25.0),
    ("Paluszki", ["słone", "sezamowe", "z serem"], ["200 g", "300 g"], 14.0),
    ("Woda", ["mineralna niegazowana", "mineralna gazowana", "źródlana", "z cytryną"], ["0,5 l", "1,5 l", "5 l"], 1.4),
    ("Sok", ["jabłkowy 100%", "pomarańczowy", "wielowarzywny", "z czarnej porzeczki", "grejpfrutowy"], ["200 ml", "1 l", "2 l"], 5.5),
    ("Napój", ["pomarańczowy", "cytrynowy", "izotoniczny", "energetyczny", "z aloesem"], ["250 ml", "330 ml", "0,5 l", "2 l"], 6.0),
    ("Piwo", ["jasne pełne", "pszeniczne", "ciemne", "bezalkoholowe", "niepasteryzowane"], ["330 ml", "0,5 l"], 8.5),
    ("Wino", ["czerwone półwytrawne", "białe wytrawne", "różowe słodkie", "musujące"], ["0,75 l"], 38.0),
    ("Jabłka", ["Ligol", "Szampion", "Jonagold", "Gala", "Idared"], ["1 kg", "2 kg"], 4.5),
    ("Ziemniaki", ["młode", "jadalne", "sałatkowe"], ["1 kg", "2,5 kg", "5 kg"], 2.8),
    ("Marchew", ["myta", "mini", "z natką"], ["500 g", "1 kg"], 3.5),
    ("Cebula", ["żółta", "czerwona", "szalotka", "dymka"], ["500 g", "1 kg"], 3.8),
    ("Pomidory", ["malinowe", "koktajlowe", "gałązkowe", "suszone"], ["250 g", "500 g", "1 kg"], 12.0),
    ("Płyn", ["do naczyń cytrynowy", "do szyb", "do podłóg", "do płukania", "micelarny"], ["500 ml", "750 ml", "900 ml", "1 l"], 11.0),
    ("Proszek", ["do prania kolor", "do prania biel", "do zmywarki"], ["1 kg", "2,5 kg", "5 kg"], 12.0),
    ("Papier", ["toaletowy", "toaletowy trzywarstwowy", "do pieczenia"], ["4 szt", "8 szt", "10 szt"], 1.9),
    ("Ręczniki", ["papierowe", "kuchenne"], ["2 szt", "4 szt"], 4.5),
    ("Mydło", ["w płynie", "glicerynowe", "szare", "antybakteryjne"], ["100 g", "500 ml", "1 l"], 14.0),
    ("Pasta", ["do zębów", "do zębów wybielająca", "jajeczna", "z tuńczyka"], ["75 ml", "100 ml"], 95.0),
    ("Worki", ["na śmieci 35 l", "na śmieci 60 l", "do mrożenia", "strunowe"], ["20 szt", "50 szt"], 0.18),
    ("Żurek", ["śląski", "w butelce", "instant"], ["0,5 l", "1 l"], 8.0),
    ("Dżem", ["truskawkowy", "wiśniowy", "z czarnej porzeczki", "morelowy", "niskosłodzony"], ["300 g", "450 g"], 22.0),
    ("Miód", ["wielokwiatowy", "lipowy", "gryczany", "akacjowy", "spadziowy"], ["250 g", "400 g", "900 g"], 55.0),
    ("Płatki", ["owsiane górskie", "kukurydziane", "jaglane", "musli z owocami"], ["400 g", "500 g", "1 kg"], 12.0),
    ("Ciastka", ["maślane", "owsiane", "z kremem kakaowym", "biszkopty", "pierniki"], ["150 g", "200 g", "300 g"], 28.0),
    ("Wafle", ["ryżowe", "kukurydziane", "tortowe", "z kremem orzechowym"], ["100 g", "150 g"], 32.0),
    ("Bułeczki", ["do hot-doga", "maślane", "mleczne", "pełnoziarniste"], ["4 szt", "6 szt"], 0.9),
    ("Pieczarki", ["białe", "brązowe", "krojone"], ["250 g", "500 g"], 13.0),
]
PACKS = {**G, **L, **PCS}

# Makers and product lines, invented.
MAKERS = ["Złota Łąka", "Smaki Warmii", "Kraina Zbóż", "Zagroda Nowaków", "Dwór Różany",
          "Pod Jabłonią", "Młyn Żuławski", "Ogród Ślężański", "Stary Młyn", "Spiżarnia",
          "Mleczna Dolina", "Słoneczny Sad", "Leśna Polana", "Bór", "Nadwiśle", "Kaszubka",
          "Gościniec", "Sielanka", "Podlasie", "Zielony Gaj", "Świeży Dzień", "Żurawiec",
          "Dolina Sanu", "Mazurski Dwór", "Wrzos", "Łan", "Kłos", "Jodła", "Orkisz", "Zdrój",
          "Pszenny Łan", "Koniczyna", "Wiślanka", "Rozlewnia Źródło", "Bieszczady", "Tatry",
          "Karpatka", "Wielkopolanka", "Kujawianka", "Ślężanka", "Osada", "Pasieka Kwiat",
          "Sad Grójecki", "Ogrodnik", "Przystań", "Kuźnia Smaku", "Ziarenko", "Gospodarz",
          "Młynarz", "Piekarz", "Rybak", "Kasztan", "Malwa", "Jarzębina", "Nałęcz",
          "Ciechanowianka", "Polanica", "Jasień", "Wierzba", "Mak", "Dąbrowa", "Sosenka",
          "Wiklina", "Kalina", "Lipa", "Grab", "Modrzew", "Borówka", "Żurawina", "Czeremcha",
          "Chaber", "Rumianek", "Bławatek", "Zagajnik", "Strumyk", "Świtezianka", "Grodzisko",
          "Kurpianka", "Łęczyca", "Opolanka"]
LINES = ["", "Bio", "Eko", "Premium", "Classic", "Light", "Max", "Mini", "XXL",
         "Family", "Fit", "Plus", "Gold", "Extra", "Select", "Junior", "Duo", "Mix"]

COMBOS = [(p, kind, pack) for p in PRODUCTS for kind in p[1] for pack in p[2]]
SPACE = len(COMBOS) * len(MAKERS) * len(LINES)


MASK64 = (1 << 64) - 1


def splitmix(x):
    """A well-mixed 64-bit number of x (SplitMix64's finaliser): per-good
    randomness without a generator object per good."""
    x = (x + 0x9E3779B97F4A7C15) & MASK64
    x = ((x ^ (x >> 30)) * 0xBF58476D1CE4E5B9) & MASK64
    x = ((x ^ (x >> 27)) * 0x94D049BB133111EB) & MASK64
    return x ^ (x >> 31)


def coprime_multiplier(rng, modulus):
    """A multiplier that makes i -> (a * i + b) % modulus a permutation."""
    while True:
        a = rng.randrange(modulus // 3, 2 * modulus // 3) | 1
        if math.gcd(a, modulus) == 1:
            return a


class Shop:
    """The goods of one seed; goods(i) depends on the seed and i only."""

    def __init__(self, seed, ean13_only=False, price_change=0):
        rng = random.Random(f"prandel-goods-{seed}")
        self.seed = seed
        self.ean13_only = ean13_only
        self.price_change = price_change
        self.name_step = (coprime_multiplier(rng, SPACE), rng.randrange(SPACE))
        self.ean13_step = (coprime_multiplier(rng, 10 ** 9), rng.randrange(10 ** 9))
        self.ean8_step = (coprime_multiplier(rng, 10 ** 6), rng.randrange(10 ** 6))
        self.key = rng.getrandbits(64)

    def goods(self, i):
        bits = splitmix(self.key ^ i)
        price_factor = 0.75 + 0.6 * (bits & 0xFFFFFFFF) / 2 ** 32
        roll = (bits >> 32) / 2 ** 32
        a, b = self.name_step
        c = (a * i + b) % SPACE
        c, line = divmod(c, len(LINES))
        c, maker = divmod(c, len(MAKERS))
        (product, _, _, per_unit), kind, pack = COMBOS[c]
        name = " ".join(w for w in (product, kind, LINES[line], MAKERS[maker]) if w)
        if len(name) > 40:  # the column's width: the product line goes first
            name = " ".join((product, kind, MAKERS[maker]))
        if i >= SPACE:  # past every combination: a further edition of the same goods
            name = f"{name} {i // SPACE + 1}"
        name = name[:40].rstrip()

        grosze = per_unit * PACKS[pack] * price_factor * 100
        grosze = max(49, int(round(grosze / 10.0)) * 10 - 1)  # prices end in 9
        grosze += self.price_change
        price = f"{grosze // 100},{grosze % 100:02d}"

        ident = ID_BASE + i
        if self.ean13_only or roll >= 0.05 or (roll < 0.04 and i >= 10 ** 6):
            a, b = self.ean13_step
            body = "590" + f"{(a * i + b) % 10 ** 9:09d}"
            code, kind_code = body + ean_check(body), 14
        elif roll < 0.04:
            a, b = self.ean8_step
            body = "2" + f"{(a * i + b) % 10 ** 6:06d}"  # in-store numbers
            code, kind_code = body + ean_check(body), 13
        else:
            code, kind_code = f"TOW-{ident:08d}", 6
        return ident, name, price, pack, code, kind_code


def fields_for(count):
    width = max(6, len(str(ID_BASE + max(count, 1) - 1)))
    return [(n, k, width if n == "ID" else w, d) for n, k, w, d in FIELDS]


def encode_record(fields, row):
    out = bytearray(b" ")
    for (_, kind, length, _), value in zip(fields, row):
        if kind == "N":
            out += str(value).rjust(length).encode("ascii")
        else:
            out += str(value).encode("cp1250").ljust(length, b" ")[:length]
    return out


def write_dbf(path, shop, first, count):
    """Writes goods first..count-1 as a dBase III table (language driver 0xC8:
    Windows-1250), streaming, so any count fits in little memory."""
    fields = fields_for(count)
    rows = count - first
    record_size = 1 + sum(f[2] for f in fields)
    header_size = 32 + 32 * len(fields) + 1
    header = bytearray(struct.pack("<BBBBIHH", 0x03, TABLE_DATE.year - 1900, TABLE_DATE.month,
                                   TABLE_DATE.day, rows, header_size, record_size))
    header += bytes(17) + bytes([0xC8]) + bytes(2)
    for name, kind, length, decimals in fields:
        header += name.encode("ascii").ljust(11, b"\0") + kind.encode("ascii") + bytes(4)
        header += bytes([length, decimals]) + bytes(14)
    header += b"\r"
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    tmp = path + ".part"
    with open(tmp, "wb") as f:
        f.write(header)
        chunk = bytearray()
        for i in range(first, count):
            chunk += encode_record(fields, shop.goods(i))
            if len(chunk) >= 1 << 20:
                f.write(chunk)
                chunk.clear()
        chunk += b"\x1a"
        f.write(chunk)
    os.replace(tmp, path)


def csv_value(value):
    text = str(value)
    if ";" in text or '"' in text or "\r" in text or "\n" in text:
        text = '"' + text.replace('"', '""') + '"'
    return text


def write_csv(path, shop, first, count):
    """Writes goods first..count-1 as a semicolon-separated export in
    Windows-1250, streaming."""
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    tmp = path + ".part"
    with open(tmp, "wb") as f:
        chunk = bytearray((";".join(f[0] for f in FIELDS) + "\r\n").encode("ascii"))
        for i in range(first, count):
            chunk += (";".join(csv_value(v) for v in shop.goods(i)) + "\r\n").encode("cp1250")
            if len(chunk) >= 1 << 20:
                f.write(chunk)
                chunk.clear()
        f.write(chunk)
    os.replace(tmp, path)


# --- reading back -------------------------------------------------------------

def read_dbf(path):
    """The field list, the record count of the header and the live rows (as
    text, one at a time) of a dBase III table."""
    with open(path, "rb") as f:
        data = f.read()
    if len(data) < 33:
        raise ValueError("plik jest za krótki na nagłówek tabeli dBase")
    version, _, _, _, records, header_size, record_size = struct.unpack_from("<BBBBIHH", data, 0)
    if version & 0x07 != 0x03:
        raise ValueError(f"nieznana wersja tabeli dBase: 0x{version:02x}")
    fields, offset, pos = [], 1, 32
    while pos < header_size - 1 and data[pos] != 0x0D:
        name = data[pos:pos + 11].split(b"\0", 1)[0].decode("ascii")
        kind, length = chr(data[pos + 11]), data[pos + 16]
        fields.append((name, kind, length, offset))
        offset += length
        pos += 32
    if offset != record_size:
        raise ValueError(f"długość rekordu {record_size} nie zgadza się z polami ({offset})")
    present = (len(data) - header_size) // record_size
    if present < records:
        raise ValueError(f"nagłówek podaje {records} rekordów, w pliku jest {present}")

    def rows():
        for r in range(records):
            start = header_size + r * record_size
            if data[start] == ord("*"):
                continue  # deleted
            yield {n: data[start + o:start + o + ln].decode("cp1250").strip() for n, _, ln, o in fields}
    return fields, records, rows()


def check_rows(rows, faults, ids, codes, kinds, labels):
    """Checks every row of a table, collecting faults (stops after 20)."""
    price_re = re.compile(r"^\d+,\d\d$")
    for row in rows:
        ident, code, kind = row["ID"], row["KOD"], row["TYPKODU"]
        if ident in ids:
            faults.append(f"powtórzony ID {ident}")
        ids.add(ident)
        if code in codes:
            faults.append(f"powtórzony kod {code} (ID {ident})")
        codes.add(code)
        kinds[kind] = kinds.get(kind, 0) + 1
        labels.add(hash((row["NAZWA"], row["WAGA"])))
        if not price_re.match(row["CENA"]):
            faults.append(f"cena {row['CENA']!r} (ID {ident})")
        if not row["NAZWA"] or not row["WAGA"]:
            faults.append(f"pusta nazwa lub waga (ID {ident})")
        want = {"14": 13, "13": 8}.get(kind)
        if want is not None:
            if len(code) != want or not code.isdigit() or ean_check(code[:-1]) != code[-1]:
                faults.append(f"zła cyfra kontrolna lub długość kodu {code} (typ {kind}, ID {ident})")
        elif not kind.isdigit():
            faults.append(f"typ kodu {kind!r} (ID {ident})")
        elif not code:
            faults.append(f"pusty kod typu {kind} (ID {ident})")
        if len(faults) > 20:
            break


def verify(path):
    try:
        fields, records, rows = read_dbf(path)
    except (OSError, ValueError, UnicodeDecodeError) as e:
        print(f"{path}: {e}", file=sys.stderr)
        return 1
    faults = []
    names = [f[0] for f in fields]
    if names != [f[0] for f in FIELDS]:
        faults.append(f"kolumny {names}, oczekiwano {[f[0] for f in FIELDS]}")
        rows = iter(())
    ids, codes, kinds, labels = set(), set(), {}, set()
    try:
        check_rows(rows, faults, ids, codes, kinds, labels)
    except UnicodeDecodeError as e:
        faults.append(f"tekst spoza Windows-1250: {e}")
    distinct = len(labels)
    print(f"{path}: {records} rekordów, {len(ids)} różnych ID, {len(codes)} różnych kodów, "
          f"{distinct} różnych nazw z wagą; typy kodów: "
          + ", ".join(f"{k}: {v}" for k, v in sorted(kinds.items())))
    if len(ids) != records and not faults:
        faults.append(f"{records - len(ids)} rekordów usuniętych")
    for f in faults[:20]:
        print("BŁĄD:", f, file=sys.stderr)
    return 1 if faults else 0


# --- the program's goods table ------------------------------------------------

def default_cli():
    build = os.environ.get("BUILD_DIR", "build")
    if not os.path.isabs(build):
        build = os.path.join(ROOT, build)
    return os.path.join(build, "src", "cli", "prandel-etykiet-cli")


def write_definition(data_dir, name, folder, csv=False):
    """The shipped demo definition with DataPath naming `folder` (Windows-1250
    INI, CRLF lines, as the program writes them); with `csv` a definition of
    CSV files (TYPE=6)."""
    try:
        with open(SHIPPED_DEFINITION, "rb") as f:
            text = f.read().decode("cp1250")
    except OSError as e:
        sys.exit(f"Nie można odczytać definicji {SHIPPED_DEFINITION}: {e}")
    try:
        os.path.abspath(folder).encode("cp1250")
    except UnicodeEncodeError:
        sys.exit(f"Ścieżki {folder} nie da się zapisać w definicji (Windows-1250).")
    lines, replaced = [], False
    for line in text.splitlines():
        if re.match(r"(?i)^\s*DataPath\s*=", line):
            line, replaced = "DataPath=" + os.path.abspath(folder), True
        elif csv and re.match(r"(?i)^\s*TYPE\s*=", line):
            line = "TYPE=6"
        lines.append(line)
    if not replaced:
        sys.exit(f"W {SHIPPED_DEFINITION} nie ma klucza DataPath.")
    os.makedirs(os.path.join(data_dir, "SQLCFG"), exist_ok=True)
    target = os.path.join(data_dir, "SQLCFG", name + ".cdb")
    with open(target, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("cp1250"))
    return target


def companion(cli, data_dir, *args):
    cmd = [cli, "--data-dir", data_dir, *args]
    result = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    if result.returncode != 0:
        sys.exit(f"{' '.join(cmd)} zakończył się kodem {result.returncode}:\n{result.stderr.strip()}")
    if result.stdout.strip():
        print(result.stdout.strip())


def fill_goods_table(args, shop):
    cli = args.cli or default_cli()
    if not args.definition_only and not os.access(cli, os.X_OK):
        sys.exit(f"Nie ma programu {cli}; zbuduj go: cmake --build build --target prandel-etykiet-cli")
    data_dir = os.path.abspath(args.data_dir)
    if os.path.exists(os.path.join(data_dir, "DB", "towary.db")):
        sys.exit(f"{data_dir} ma już tabelę towarów (DB/towary.db); podaj pusty folder danych.")
    os.makedirs(data_dir, exist_ok=True)
    csv = args.format == "csv"
    if args.definition_only:
        write_definition(data_dir, args.definition, args.out, csv)
        return
    mark = args.mark
    first = args.count if mark == "all" else 0 if mark == "none" else int(mark)
    if first < args.count and first > 0:
        # The first goods on their own, marked; the rest join them in a second
        # update, which leaves the marks of unchanged goods alone.
        with tempfile.TemporaryDirectory(prefix="prandel-goods-") as part:
            if csv:
                write_csv(os.path.join(part, CSV_NAME), shop, 0, first)
            else:
                write_dbf(os.path.join(part, TABLE_NAME), shop, 0, first)
            write_definition(data_dir, args.definition, part, csv)
            companion(cli, data_dir, "update", "--definition", args.definition)
        companion(cli, data_dir, "goods", "select", "--check-type", "0")
    write_definition(data_dir, args.definition, args.out, csv)
    companion(cli, data_dir, "update", "--definition", args.definition)
    if first >= args.count:
        companion(cli, data_dir, "goods", "select", "--check-type", "0")


def main():
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0],
                                formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("--count", type=int, help="number of goods")
    p.add_argument("--out", help="folder of TOWARY.DBF (the external database)")
    p.add_argument("--seed", type=int, default=1, help="seed (default 1)")
    p.add_argument("--ean13-only", action="store_true", help="every good gets an EAN-13 code")
    p.add_argument("--price-change", type=int, default=0, metavar="GROSZE",
                   help="every price raised by GROSZE (the same goods a price list later)")
    p.add_argument("--format", choices=("dbf", "csv"), default="dbf",
                   help="dbf (default): FOLDER/TOWARY.DBF; csv: FOLDER/TOWARY.CSV")
    p.add_argument("--data-dir", help="fill the goods table of this new data folder through the companion")
    p.add_argument("--definition-only", action="store_true",
                   help="with --data-dir: write the definition only; no update, no marks")
    p.add_argument("--mark", default="all", help="with --data-dir: all (default), none or the first N goods")
    p.add_argument("--definition", default=DEFAULT_DEFINITION,
                   help=f"with --data-dir: the definition's name (default \"{DEFAULT_DEFINITION}\")")
    p.add_argument("--cli", help="the companion (default $BUILD_DIR/src/cli/prandel-etykiet-cli, BUILD_DIR=build)")
    p.add_argument("--verify", metavar="FILE", help="check a written table and stop")
    args = p.parse_args()

    if args.verify:
        return verify(args.verify)
    if args.count is None or args.out is None:
        p.error("--count and --out are required (or --verify FILE)")
    if args.count < 0:
        p.error("--count must not be negative")
    if args.mark not in ("all", "none") and not (args.mark.isdigit() and int(args.mark) <= args.count):
        p.error("--mark takes all, none or a number of goods up to --count")
    if args.data_dir is None and (args.mark != "all" or args.definition_only):
        p.error("--mark and --definition-only need --data-dir")
    if args.price_change < 0 or args.price_change > 100000:
        p.error("--price-change takes 0 to 100000 grosze")
    shop = Shop(args.seed, args.ean13_only, args.price_change)
    if args.format == "csv":
        write_csv(os.path.join(args.out, CSV_NAME), shop, 0, args.count)
    else:
        write_dbf(os.path.join(args.out, TABLE_NAME), shop, 0, args.count)
    if args.data_dir:
        fill_goods_table(args, shop)
    return 0


if __name__ == "__main__":
    sys.exit(main())
