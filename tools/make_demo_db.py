#!/usr/bin/env python3
"""Writes the demonstration shop's goods table, a dBase III file in the
Windows-1250 code page: data/DEMO/TOWARY.DBF, and data/DEMO2/TOWARY.DBF, the same
shop a week later (some prices changed, two goods added), to try an update on.

    python3 tools/make_demo_db.py [output-root]    (default: data/)

The output depends on nothing but this script, so it is reproducible."""
import datetime
import os
import struct
import sys

# ID, name, price, weight or content, barcode (without check digit for EAN),
# barcode type (14 EAN-13, 13 EAN-8, 6 Code 128 B, 3 Code 39)
GOODS = [
    (1001, "Chleb żytni razowy", "6,49", "500 g", "590123400001", 14),
    (1002, "Bułka kajzerka", "0,89", "60 g", "590123400002", 14),
    (1003, "Masło ekstra 82%", "8,99", "200 g", "590123400003", 14),
    (1004, "Mleko świeże 3,2%", "4,29", "1 l", "590123400004", 14),
    (1005, "Mleko UHT 2%", "3,79", "1 l", "590123400005", 14),
    (1006, "Jogurt naturalny", "2,49", "180 g", "590123400006", 14),
    (1007, "Śmietana 18%", "3,99", "400 g", "590123400007", 14),
    (1008, "Ser żółty gouda plastry", "7,49", "150 g", "590123400008", 14),
    (1009, "Twaróg półtłusty", "5,29", "250 g", "590123400009", 14),
    (1010, "Jaja z wolnego wybiegu L", "12,99", "10 szt", "590123400010", 14),
    (1011, "Kiełbasa śląska", "24,90", "1 kg", "590123400011", 14),
    (1012, "Szynka wędzona plastry", "9,99", "100 g", "590123400012", 14),
    (1013, "Parówki cielęce", "8,49", "250 g", "590123400013", 14),
    (1014, "Filet z kurczaka", "23,99", "1 kg", "590123400014", 14),
    (1015, "Pierogi ruskie mrożone", "11,49", "450 g", "590123400015", 14),
    (1016, "Makaron świderki", "4,59", "500 g", "590123400016", 14),
    (1017, "Ryż długoziarnisty", "5,99", "1 kg", "590123400017", 14),
    (1018, "Kasza gryczana prażona", "6,79", "400 g", "590123400018", 14),
    (1019, "Mąka pszenna typ 450", "3,49", "1 kg", "590123400019", 14),
    (1020, "Cukier biały", "4,19", "1 kg", "590123400020", 14),
    (1021, "Sól kamienna jodowana", "1,79", "1 kg", "590123400021", 14),
    (1022, "Olej rzepakowy", "9,49", "1 l", "590123400022", 14),
    (1023, "Oliwa z oliwek extra vergine", "29,99", "0,5 l", "590123400023", 14),
    (1024, "Ocet spirytusowy 10%", "2,99", "0,5 l", "590123400024", 14),
    (1025, "Ketchup łagodny", "6,29", "480 g", "590123400025", 14),
    (1026, "Musztarda sarepska", "3,89", "185 g", "590123400026", 14),
    (1027, "Majonez dekoracyjny", "7,99", "400 ml", "590123400027", 14),
    (1028, "Ogórki kiszone", "8,49", "900 g", "590123400028", 14),
    (1029, "Koncentrat pomidorowy 30%", "2,89", "200 g", "590123400029", 14),
    (1030, "Groszek konserwowy", "4,49", "400 g", "590123400030", 14),
    (1031, "Kawa mielona", "19,99", "250 g", "590123400031", 14),
    (1032, "Kawa rozpuszczalna", "27,49", "200 g", "590123400032", 14),
    (1033, "Herbata czarna ekspresowa", "8,99", "100 szt", "590123400033", 14),
    (1034, "Herbata zielona liściasta", "12,49", "100 g", "590123400034", 14),
    (1035, "Czekolada gorzka 70%", "6,99", "100 g", "590123400035", 14),
    (1036, "Czekolada mleczna z orzechami", "7,29", "90 g", "590123400036", 14),
    (1037, "Krówki ciągutki", "11,99", "1 kg", "590123400037", 14),
    (1038, "Paluszki słone", "2,79", "200 g", "590123400038", 14),
    (1039, "Woda mineralna niegazowana", "1,99", "1,5 l", "590123400039", 14),
    (1040, "Woda gazowana", "1,89", "0,5 l", "590123400040", 14),
    (1041, "Sok jabłkowy 100%", "5,49", "1 l", "590123400041", 14),
    (1042, "Napój pomarańczowy", "4,99", "2 l", "590123400042", 14),
    (1043, "Piwo jasne pełne", "3,99", "0,5 l", "590123400043", 14),
    (1044, "Wino czerwone półwytrawne", "24,99", "0,75 l", "590123400044", 14),
    (1045, "Jabłka Ligol", "4,99", "1 kg", "2340045", 13),
    (1046, "Ziemniaki młode", "3,49", "1 kg", "2340046", 13),
    (1047, "Marchew", "2,99", "1 kg", "2340047", 13),
    (1048, "Cebula żółta", "3,29", "1 kg", "2340048", 13),
    (1049, "Pomidory malinowe", "14,99", "1 kg", "2340049", 13),
    (1050, "Banany", "5,99", "1 kg", "2340050", 13),
    (1051, "Płyn do naczyń cytrynowy", "7,49", "900 ml", "590123400051", 14),
    (1052, "Proszek do prania kolor", "34,99", "3 kg", "590123400052", 14),
    (1053, "Papier toaletowy", "15,99", "8 szt", "590123400053", 14),
    (1054, "Ręczniki papierowe", "8,99", "2 szt", "590123400054", 14),
    (1055, "Mydło w płynie", "6,49", "500 ml", "590123400055", 14),
    (1056, "Pasta do zębów", "9,99", "75 ml", "590123400056", 14),
    (1057, "Folia aluminiowa", "5,99", "20 m", "590123400057", 14),
    (1058, "Worki na śmieci 35 l", "4,99", "50 szt", "590123400058", 14),
    (1059, "Panele podłogowe dąb", "39,99", "2 m2", "PAN-DAB-2", 6),
    (1060, "Tapeta winylowa beżowa", "49,00", "5,3 m2", "TAP-BEZ-53", 3),
]

# A week later: new prices and two new goods.
CHANGED_PRICES = {1003: "9,49", 1004: "4,49", 1011: "26,90", 1031: "18,49", 1049: "12,99", 1052: "32,99"}
ADDED = [
    (1061, "Pączek z różą", "2,99", "90 g", "590123400061", 14),
    (1062, "Sernik krakowski", "39,90", "1 kg", "590123400062", 14),
]

FIELDS = [("ID", "N", 6, 0), ("NAZWA", "C", 40, 0), ("CENA", "C", 10, 0),
          ("WAGA", "C", 15, 0), ("KOD", "C", 20, 0), ("TYPKODU", "N", 2, 0)]


def ean_check(digits):
    total = sum(int(d) * (3 if i % 2 == 0 else 1) for i, d in enumerate(reversed(digits)))
    return str((10 - total % 10) % 10)


def barcode(code, kind):
    return code + ean_check(code) if kind in (13, 14) else code


def write_dbf(path, rows):
    record_size = 1 + sum(f[2] for f in FIELDS)
    header_size = 32 + 32 * len(FIELDS) + 1
    today = datetime.date(2026, 12, 1)
    out = bytearray()
    # dBase III without memo; language driver 0xC8: Windows-1250
    out += struct.pack("<BBBBIHH", 0x03, today.year - 1900, today.month, today.day,
                       len(rows), header_size, record_size)
    out += bytes(17) + bytes([0xC8]) + bytes(2)
    for name, kind, length, decimals in FIELDS:
        out += name.encode("ascii").ljust(11, b"\0") + kind.encode("ascii") + bytes(4)
        out += bytes([length, decimals]) + bytes(14)
    out += b"\r"
    for row in rows:
        out += b" "
        for (name, kind, length, _), value in zip(FIELDS, row):
            if kind == "N":
                out += str(value).rjust(length).encode("ascii")
            else:
                out += str(value).encode("cp1250").ljust(length, b" ")[:length]
    out += b"\x1a"
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(out)


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "data")
    first = [(i, n, p, w, barcode(c, t), t) for i, n, p, w, c, t in GOODS]
    write_dbf(os.path.join(root, "DEMO", "TOWARY.DBF"), first)
    second = [(i, n, CHANGED_PRICES.get(i, p), w, c, t) for i, n, p, w, c, t in first]
    second += [(i, n, p, w, barcode(c, t), t) for i, n, p, w, c, t in ADDED]
    write_dbf(os.path.join(root, "DEMO2", "TOWARY.DBF"), second)


if __name__ == "__main__":
    main()
