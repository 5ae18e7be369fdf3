#!/usr/bin/env python3
"""Writes Jet 4 (Access 2000) and Jet 3 (Access 97) files for the import tests
and the bench.

Built from the page formats libmdb documents (HACKING.md): a header page,
pages of usage maps, the MSysObjects catalog, and per table a definition page,
its data pages and, after all tables, the long-value pages of long memos. No
indexes: a reader walks the tables through their usage maps.

  jetgen.py records FILE [N]          the record store's two tables, N records
  jetgen.py bench FILE N              N plain records with three owners each
  jetgen.py brands FILE               Araclar
  jetgen.py notables FILE             a catalog without the record tables
  jetgen.py password FILE             the records file with a database password

A third argument "jet3" after N writes Jet 3: 2K pages, texts in cp1254.
"""
import struct
import sys

PAGE = 4096
JET3 = False
BOOL, BYTE, INT, LONG, DOUBLE, DATE, TEXT, MEMO = 1, 2, 3, 4, 7, 8, 10, 12
FIXED = {BOOL: 0, BYTE: 1, INT: 2, LONG: 4, DOUBLE: 8, DATE: 8}


def rc4(key, data):
    s = list(range(256))
    j = 0
    for i in range(256):
        j = (j + s[i] + key[i % len(key)]) & 255
        s[i], s[j] = s[j], s[i]
    out = bytearray()
    i = j = 0
    for b in data:
        i = (i + 1) & 255
        j = (j + s[i]) & 255
        s[i], s[j] = s[j], s[i]
        out.append(b ^ s[(s[i] + s[j]) & 255])
    return bytes(out)


def ucs2(text, compress=False):
    if JET3:
        return text.encode("cp1254")
    # Jet 4 may keep a text whose letters all fit one byte "compressed":
    # FF FE, then one byte a letter; a 00 byte switches to two bytes a letter.
    if compress:
        out = bytearray(b"\xff\xfe")
        wide = False
        for ch in text:
            narrow = 0 < ord(ch) < 256
            if narrow == wide:
                out.append(0)
                wide = not wide
            out += bytes([ord(ch)]) if narrow else ch.encode("utf-16-le")
        return bytes(out)
    return text.encode("utf-16-le")


class Jet4:
    def __init__(self):
        self.pages = [bytearray(PAGE), bytearray(PAGE)]  # header, usage maps
        self.map_pages = [(1, [])]  # (page, usage map rows)
        self.tables = []  # (name, tdef page)

    def new_page(self):
        self.pages.append(bytearray(PAGE))
        return len(self.pages) - 1

    @staticmethod
    def data_page(tdef_pg, rows, owner=None):
        head = 10 if JET3 else 14  # Jet 4 has four more unknown bytes
        page = bytearray(PAGE)
        page[0:2] = b"\x01\x01"
        page[4:8] = owner if owner else struct.pack("<I", tdef_pg)
        struct.pack_into("<H", page, head - 2, len(rows))
        end = PAGE
        for i, row in enumerate(rows):
            end -= len(row)
            page[end:end + len(row)] = row
            struct.pack_into("<H", page, head + 2 * i, end)
        struct.pack_into("<H", page, 2, end - head - 2 * len(rows))
        return page

    @staticmethod
    def fits(rows, row):
        return 14 + 2 * (len(rows) + 1) + sum(map(len, rows)) + len(row) <= PAGE

    def add_map(self, first, pages):
        # Type 0 map: its first page, then one bit a page from there.
        bits = bytearray((max(pages) - first) // 8 + 1 if pages else 1)
        for p in pages:
            bits[(p - first) // 8] |= 1 << ((p - first) % 8)
        row = b"\x00" + struct.pack("<I", first) + bytes(bits)
        if len(row) > 1000:
            row = self.map_pages_of(pages)
        if not self.fits(self.map_pages[-1][1], row):
            self.map_pages.append((self.new_page(), []))
        page, rows = self.map_pages[-1]
        rows.append(row)
        return (page << 8) | (len(rows) - 1)

    def map_pages_of(self, pages):
        # Type 1 map for a large table: pointers to whole pages of bits, the
        # n-th page covering pages from n times its bits on.
        span = (PAGE - 4) * 8
        pointers = []
        for n in range(max(pages) // span + 1):
            bits = bytearray(PAGE)
            bits[0:2] = b"\x05\x01"
            for p in pages:
                if p // span == n:
                    bits[4 + (p % span) // 8] |= 1 << (p % 8)
            pointers.append(self.new_page())
            self.pages[pointers[-1]] = bits
        return b"\x01" + b"".join(struct.pack("<I", p) for p in pointers)

    def tdef(self, cols, nrows, used, system=False):
        if JET3:
            return self.tdef3(cols, nrows, used, system)
        var_no = fix_off = 0
        entries = bytearray()
        names = bytearray()
        for num, (name, ctype, size) in enumerate(cols):
            fixed = ctype in FIXED
            e = bytearray(25)
            e[0] = ctype
            struct.pack_into("<HHH", e, 5, num, 0 if fixed else var_no, num)
            if ctype in (TEXT, MEMO):
                struct.pack_into("<H", e, 11, 0x409)
                e[16] = 1
            e[15] = 0x03 if fixed else 0x02
            struct.pack_into("<HH", e, 21, fix_off if fixed else 0,
                             FIXED[ctype] if fixed else (size * 2 if ctype == TEXT else 0))
            if fixed:
                fix_off += FIXED[ctype]
            else:
                var_no += 1
            entries += e
            n = name.encode("utf-16-le")
            names += struct.pack("<H", len(n)) + n
        head = bytearray(63)
        head[0:2] = b"\x02\x01"
        struct.pack_into("<I", head, 16, nrows)
        head[40] = 0x53 if system else 0x4E
        struct.pack_into("<HHHIIII", head, 41, len(cols), var_no, len(cols), 0, 0, used, used)
        page = head + entries + names + b"\xff\xff"
        struct.pack_into("<I", page, 8, len(page) - 8)
        struct.pack_into("<H", page, 2, PAGE - len(page) - 8)
        if len(page) > PAGE:
            raise SystemExit("table definition larger than a page")
        return page + bytearray(PAGE - len(page))

    def tdef3(self, cols, nrows, used, system):
        var_no = fix_off = 0
        entries = bytearray()
        names = bytearray()
        for num, (name, ctype, size) in enumerate(cols):
            fixed = ctype in FIXED
            e = bytearray(18)
            e[0] = ctype
            struct.pack_into("<HHH", e, 1, num, 0 if fixed else var_no, num)
            if ctype in (TEXT, MEMO):
                struct.pack_into("<HH", e, 7, 0x409, 1254)
            e[13] = 0x03 if fixed else 0x02
            struct.pack_into("<HH", e, 14, fix_off if fixed else 0,
                             FIXED[ctype] if fixed else (size if ctype == TEXT else 0))
            if fixed:
                fix_off += FIXED[ctype]
            else:
                var_no += 1
            entries += e
            names += bytes([len(name)]) + name.encode("ascii")
        head = bytearray(43)
        head[0:4] = b"\x02\x01VC"
        struct.pack_into("<I", head, 12, nrows)
        head[20] = 0x53 if system else 0x4E
        struct.pack_into("<HHHIIII", head, 21, len(cols), var_no, len(cols), 0, 0, used, used)
        page = head + entries + names + b"\xff\xff"
        struct.pack_into("<I", page, 8, len(page) - 8)
        if len(page) > PAGE:
            raise SystemExit("table definition larger than a page")
        return page + bytearray(PAGE - len(page))

    @staticmethod
    def tail3(body, offsets, ncols):
        # Jet 3 keeps one byte an offset; a jump table names the first
        # offset past each 256 bytes, and may end in a dummy entry.
        nulls = (ncols + 7) // 8
        marks = offsets + [len(body)]
        real = [next(i for i, o in enumerate(marks) if o >= 256 * (k + 1))
                for k in range(len(body) // 256)]
        jumps = list(real)
        while True:
            total = len(body) + len(marks) + len(jumps) + 1 + nulls
            if (total - 1) // 256 <= len(jumps):
                break
            jumps.append(0xFF)
        out = bytearray(o & 0xFF for o in reversed(marks))
        out += bytes(reversed(jumps))
        return bytes(out + bytes([len(offsets)]))

    def row(self, cols, values):
        fixed = bytearray()
        var = []
        nulls = bytearray((len(cols) + 7) // 8)
        for num, ((_, ctype, _), v) in enumerate(zip(cols, values)):
            if ctype == BOOL:
                if v:
                    nulls[num // 8] |= 1 << (num % 8)
                continue
            if v is not None:
                nulls[num // 8] |= 1 << (num % 8)
            if ctype in FIXED:
                fmt = {BYTE: "<B", INT: "<h", LONG: "<i", DOUBLE: "<d", DATE: "<d"}[ctype]
                fixed += struct.pack(fmt, v if v is not None else 0)
            elif v is None:
                var.append(b"")
            elif ctype == TEXT:
                var.append(ucs2(v[1:], True) if v.startswith("\x01") else ucs2(v))
            else:
                var.append(self.memo(v))
        body = bytearray(struct.pack("<B" if JET3 else "<H", len(cols))) + fixed
        offsets = []
        for v in var:
            offsets.append(len(body))
            body += v
        if JET3:
            return bytes(body + self.tail3(body, offsets, len(cols)) + nulls)
        tail = struct.pack("<H", len(body))
        for off in reversed(offsets):
            tail += struct.pack("<H", off)
        return bytes(body + tail + struct.pack("<H", len(var)) + nulls)

    def memo(self, text):
        data = ucs2(text)
        if len(data) < 1000:
            return struct.pack("<II", len(data) | 0x80000000, 0) + bytes(4) + data
        # Longer than a page allows: a chain of long-value rows, each row
        # naming the next, one row a page, written after the tables.
        self.lvals.append(data)
        return struct.pack("<II", len(data), 0) + bytes(4)

    def add_table(self, name, cols, rows, system=False):
        tdef_pg = self.new_page()
        packed = []
        self.lvals = []
        memo_refs = []
        for values in rows:
            start = len(self.lvals)
            r = self.row(cols, values)
            packed.append([r, list(range(start, len(self.lvals)))])
        first = len(self.pages)
        pages, current = [], []
        page_rows = []
        for r, lv in packed:
            if not self.fits([c[0] for c in current], r):
                page_rows.append(current)
                current = []
            current.append((r, lv))
        if current:
            page_rows.append(current)
        for group in page_rows:
            pages.append(len(self.pages))
            self.pages.append(None)
            memo_refs.append(group)
        used = self.add_map(first, pages)
        self.pages[tdef_pg] = self.tdef(cols, len(rows), used, system)
        self.pending = getattr(self, "pending", []) + [(tdef_pg, pages, memo_refs, self.lvals)]
        if not system:
            self.tables.append((name, tdef_pg))
        return tdef_pg

    def finish(self, catalog_extra=(), password=None):
        # Long memos go after every table's pages; their rows' pointers are
        # patched in once the pages are known.
        for tdef_pg, pages, groups, lvals in self.pending:
            where = []
            for data in lvals:
                chunk = PAGE - (10 if JET3 else 14) - 2 - 4
                pieces = [data[i:i + chunk] for i in range(0, len(data), chunk)]
                nums = [self.new_page() for _ in pieces]
                for k, (pg, piece) in enumerate(zip(nums, pieces)):
                    nxt = (nums[k + 1] << 8) if k + 1 < len(nums) else 0
                    self.pages[pg] = self.data_page(0, [struct.pack("<I", nxt) + piece], b"LVAL")
                where.append(nums[0] << 8)
            for pg, group in zip(pages, groups):
                rows = []
                for r, lv in group:
                    r = bytearray(r)
                    for k in lv:
                        at = r.find(struct.pack("<I", len(lvals[k])) + bytes(8))
                        struct.pack_into("<I", r, at + 4, where[k])
                    rows.append(bytes(r))
                self.pages[pg] = self.data_page(tdef_pg, rows)
        for page, rows in self.map_pages:
            self.pages[page] = self.data_page(0, rows)
        hdr = bytearray(PAGE)
        hdr[0:4] = b"\x00\x01\x00\x00"
        hdr[4:20] = b"Standard Jet DB\x00"
        struct.pack_into("<I", hdr, 0x14, 0 if JET3 else 1)
        clear = bytearray(126 if JET3 else 128)
        struct.pack_into("<H", clear, 0x3C - 0x18, 1254)
        struct.pack_into("<H" if JET3 else "<I", clear, (0x3A if JET3 else 0x6E) - 0x18, 0x41F)
        if password:
            p = password.encode("utf-16-le")
            clear[0x42 - 0x18:0x42 - 0x18 + len(p)] = p
        hdr[0x18:0x18 + len(clear)] = rc4(struct.pack("<I", 0x6B39DAC7), bytes(clear))
        self.pages[0] = hdr
        return b"".join(bytes(p) for p in self.pages)


CATALOG = [("Id", LONG, 0), ("ParentId", LONG, 0), ("Name", TEXT, 128), ("Type", INT, 0),
           ("Flags", LONG, 0), ("LvProp", MEMO, 0)]


def build(tables, password=None):
    """tables: list of (name, columns, rows)."""
    jet = Jet4()
    cat_pg = jet.new_page()  # page 2, as readers expect
    assert cat_pg == 2
    jet.pages[2] = None
    placed = []
    jet.pending = []
    # The catalog's rows name pages not yet made: lay the tables out first.
    jet.pages.append(None)  # page 3: the catalog's data
    for name, cols, rows in tables:
        placed.append((name, jet.add_table(name, cols, rows)))
    cat_rows = [(pg, 0x0F000000, name, 1, 0, None) for name, pg in placed]
    jet.pages[2] = jet.tdef(CATALOG, len(cat_rows), jet.add_map(3, [3]), True)
    jet.pages[3] = jet.data_page(2, [jet.row(CATALOG, r) for r in cat_rows])
    return jet.finish(password=password)


def days(y, m, d, frac=0.0):
    import datetime
    return (datetime.date(y, m, d) - datetime.date(1899, 12, 30)).days + frac


SCHEMA = "resources/sql/tescil.sql"
WIDTHS = {}  # the store's width of each text column
WIDE = ("NETAGR", "YUKLUAGR", "KATARAGR", "YUKLUROMORKAGR", "SILINDIRHACMI", "MOTORGUCU", "GUCORANI")


def schema_columns(table):
    """The record store's columns as Jet types, read from the schema file."""
    import os
    import re
    here = os.path.dirname(os.path.abspath(__file__))
    text = open(os.path.join(here, "..", "..", SCHEMA), encoding="utf-8").read()
    body = text.split("CREATE TABLE %s (" % table)[1].split(");")[0]
    cols = []
    for line in body.splitlines():
        m = re.match(r"\s*(\w+) (\w+)(?:\((\d+)\))?", line)
        if not m:
            continue
        name, sqltype, width = m.group(1), m.group(2), m.group(3)
        ctype = {"INTEGER": LONG, "SMALLINT": INT, "DOUBLE": DOUBLE, "DATE": DATE}.get(sqltype, TEXT)
        if name in ("HAKLAR", "DEGISIKLIKLER"):
            ctype = MEMO  # kept as memos by many offices
        cols.append((name, ctype, 255 if ctype == TEXT else 0))
        WIDTHS[name] = int(width or 0)
    return cols


TR = "ŞÇĞİÖÜ şçğıöü"


def record_values(cols, rid, plain=False):
    vals = []
    for name, ctype, _ in cols:
        if name == "ID":
            vals.append(rid)
        elif ctype == TEXT:
            text = ("%s%d%s" % (name[:3], rid, "" if plain else "Ğü"))[-WIDTHS[name]:]
            if name == "OTV_Tarihi":
                text = "01.02.2020"
            vals.append(text if plain or rid % 2 else "\x01" + text)
        elif ctype == MEMO:
            vals.append("%s kaydı %d: %s" % (name.lower(), rid, TR))
        elif ctype == INT:
            vals.append(rid % 3)
        elif ctype == DOUBLE:
            vals.append(float(rid % 50) + 0.5 if name in WIDE else float(rid % 10))
        elif ctype == DATE:
            vals.append(days(2000 + rid % 25, 1 + rid % 12, 1 + rid % 28, 0.5))
        else:
            vals.append(rid)
    return vals


def owner_values(cols, oid, car, slot, plain=False):
    vals = []
    for name, ctype, _ in cols:
        if name == "ID":
            vals.append(oid)
        elif name == "ARACID":
            vals.append(car)
        elif name == "SAHIPNO":
            vals.append(slot)
        elif name in ("CINSIYET", "ADRESTIPI", "SAHIPTIPI"):
            vals.append("E")
        elif name == "KIMLIKNO":
            vals.append("%011d" % (10000000000 + oid))
        elif ctype == DATE:
            vals.append(days(1950 + oid % 50, 1 + oid % 12, 1 + oid % 28, 0.25))
        elif ctype == TEXT:
            vals.append(("%s%d" % ("Şükrü" if not plain else name[:2], oid))[-WIDTHS[name]:])
        else:
            vals.append(oid)
    return vals


def records_file(n, plain=False, owners_each=None):
    cars = schema_columns("ARACKAYIT")
    owners = schema_columns("ARACSAHIPLERI")
    crow, orow = [], []
    idx = {name: i for i, (name, _, _) in enumerate(cars)}
    oid = 0
    for k in range(1, n + 1):
        rid = k if plain or k <= 100 else k + 1000  # a gap: IDs are kept, not renumbered
        v = record_values(cars, rid, plain)
        slots = [1, 2, 3] if plain or owners_each else [1, 2, 3][: 1 + k % 3]
        if not plain:
            if k == 1:
                v = [rid] + [None] * (len(cars) - 1)
            elif k == 2:
                v[idx["MOTORNO"]] = "Motor İŞÇĞÜÖ ışçğüö"
                v[idx["SASENO"]] = "\x01Şase ÇAĞRI"
                v[idx["BELGETARIHI"]] = days(2024, 2, 29, 0.999)
                v[idx["DEGISIKLIKLER"]] = "Değişiklik " * 5
            elif k == 3:
                v[idx["MOTORNO"]] = "M" * 70
                v[idx["BELGETARIHI"]] = days(1850, 6, 1)
                v[idx["SIGORTATARIHI"]] = days(2050, 1, 1)
                v[idx["DEGISIKLIKLER"]] = ("Uzun açıklama ğüşıöç " * 150)[:3000]
                v[idx["KAPASITE"]] = 1234.0
                v[idx["SIGORTAAYSURE"]] = 12.0
            elif k == 4:
                slots = [1, 1, 2, 3]  # two rows in slot 1: both kept as stored
            elif k == 5:
                slots = [None, 0, -1, 2]
        crow.append(v)
        for slot in slots:
            oid += 1
            o = owner_values(owners, oid, rid, slot, plain)
            if not plain and k == 1:
                o = [oid, rid, slot] + [None] * (len(owners) - 3)
            orow.append(o)
    return [("ARACKAYIT", cars, crow), ("ARACSAHIPLERI", owners, orow)]


def brands_file():
    cols = [("ID", LONG, 0), ("Tip", TEXT, 1), ("Marka", TEXT, 60), ("Model", TEXT, 60)]
    rows = [
        [1, "A", "FIAT", "DOĞAN SLX"],
        [2, "A", "FIAT", "DOĞAN SLX"],  # the same pair twice in the file
        [3, "A", "TOFAŞ", "ŞAHİN 1.6"],
        [4, "A", "Çağdaş Motor", "Ünal Gül"],
        [5, "K", "BMC", "Fatih 280"],
        [6, "A", None, "Adsız"],
        [7, "A", "X" * 70, "Geniş"],
    ]
    return [("Araclar", cols, rows)]


def main():
    global JET3, PAGE
    kind, out = sys.argv[1], sys.argv[2]
    n = int(sys.argv[3]) if len(sys.argv) > 3 else 300
    if sys.argv[4:] == ["jet3"]:
        JET3, PAGE = True, 2048
    password = None
    if kind == "records":
        tables = records_file(n)
    elif kind == "password":
        tables, password = records_file(5), "gizli"
    elif kind == "bench":
        tables = records_file(n, plain=True, owners_each=3)
    elif kind == "brands":
        tables = brands_file()
    elif kind == "notables":
        tables = [("Musteriler", [("ID", LONG, 0), ("Ad", TEXT, 50)], [[1, "Ayşe"]])]
    else:
        raise SystemExit(__doc__)
    with open(out, "wb") as f:
        f.write(build(tables, password))


if __name__ == "__main__":
    main()
