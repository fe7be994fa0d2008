#!/usr/bin/env bash
# lumadir-cli writes one fixture tree as HTML, CSV, JSON and plain text with the
# same settings; CSV and JSON are read back with Python's csv and json modules,
# the page with its HTML parser, and every folder, row, cell, count and size
# must agree with the page's. The names hold commas, quotes, line breaks, tabs,
# 日本 and formula-like beginnings (= + - @); a column title is the classic
# `=cmd|' /C calc'!A0` (no file system allows its slash in a name).
#
# Wine lists a Unix name that holds a line feed, a carriage return, a tab, a
# double quote or a "|" exactly as it is (the file API would refuse to create
# one), but cannot open a folder of such a name: the listing shows it as a
# folder that cannot be read.
#   check_forms.sh WINE_RUN PREFIX LUMADIR_CLI_EXE
set -u
wine_run=$1 prefix=$2 cli=$3
. "$(dirname "$0")/checks.sh"
run_cli() { "$wine_run" --prefix="$prefix" "$cli" "$@"; }

tree=$work/forms
mkdir -p "$tree/sub, folder/日本" "$tree/say \"hi\"" "$tree/new"$'\n'"line" "$tree/empty"
put() { head -c "$1" /dev/zero >"$tree/$2"; }
put 3 "a,b.txt"
put 1023 "q\"uote\".txt"
put 10 "line"$'\n'"break.txt"
put 11 "tab"$'\t'"inside.txt"
put 7 "=cmd|' C calc'!A0"
put 12 "+1.txt"
put 13 "-2.csv"
put 14 "@sum.txt"
put 15 "'=x.txt"
put 16 "'plain"
put 17 $'\t'"lead.txt"
put 1048576 "sub, folder/big.bin"
put 5 "sub, folder/日本/日本語.txt"
put 2 "sub, folder/日本/=1+2"
put 4 "say \"hi\"/inside.txt"
put 6 "new"$'\n'"line/inside.txt"

# The shipped settings with six columns, sizes in bytes, times, rows for files
# and folders, and the formula-like title on the Name column.
settings=$work/settings.ini
python3 - "$(dirname "$cli")/settings.ini" "$settings" <<'PY'
import re, sys
text = open(sys.argv[1], encoding="utf-8").read()
columns = [("Name", 1, "=cmd|' /C calc'!A0"), ("Extension", 1, "Ext."), ("Size", 1, "Size"),
           ("Modified", 1, "Modified"), ("Created", 0, "Created"), ("Accessed", 0, "Accessed"),
           ("Attributes", 1, "Attr."), ("Type", 1, "Type")]
lines = "\r\n".join(f"{k}\r\n{s}\r\n10\r\n{t}" for k, s, t in columns)
text = re.sub(r"<columns>.*?</columns>", lambda m: f"<columns>{lines}</columns>", text, flags=re.S)
for key, value in (("size_units", "0"), ("show_times", "1"), ("show_folders", "3"),
                   ("order_files", "5"), ("recursive_options", "0")):
    text = re.sub(f"<{key}>[^<]*</{key}>", f"<{key}>{value}</{key}>", text)
open(sys.argv[2], "w", encoding="utf-8", newline="").write(text)
PY
sed 's|<recursive_options>0<|<recursive_options>1<|' "$settings" >"$work/totals.ini"

# Reads the four listings of one set of settings and compares them.
cat >"$work/compare.py" <<'PY'
import csv, html.parser, io, json, re, sys, unicodedata
page, csv_file, json_file, text_file = sys.argv[1:5]
ok = True
def expect(cond, what):
    global ok
    if not cond: print("BAD  " + what)
    ok = ok and cond

class Page(html.parser.HTMLParser):
    """The page as rows: ('title', [...]), ('folder', path), ('row', [...]),
    ('summary', text), ('unreadable', text), ('total', text)."""
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.items, self.cells, self.cell, self.text = [], None, None, ""
    def handle_starttag(self, tag, attrs):
        if tag == "tr": self.cells = []
        if tag in ("td", "th"): self.cell, self.text = (tag, dict(attrs).get("class")), ""
    def handle_data(self, data):
        if self.cell: self.text += data
    def handle_endtag(self, tag):
        if tag in ("td", "th") and self.cell:
            self.cells.append((self.cell, self.text)); self.cell = None
        if tag != "tr" or self.cells is None: return
        kinds = {c[0][1] for c in self.cells}
        texts = [t for _, t in self.cells]
        if self.cells and self.cells[0][0][0] == "th": self.items.append(("title", texts))
        elif kinds & {"folder", "summary", "unreadable", "total"}:
            kind = (kinds & {"folder", "summary", "unreadable", "total"}).pop()
            self.items.append((kind, texts[0]))
        elif kinds != {"spacer"}: self.items.append(("row", texts))
        self.cells = None

p = Page(); p.feed(open(page, encoding="utf-8").read())
titles = next(t for k, t in p.items if k == "title")
blocks, unreadable, total = [], [], None  # blocks: [path, rows, summary]
for kind, value in p.items:
    if kind == "folder": blocks.append([value, [], None])
    elif kind == "row": blocks[-1][1].append(value)
    elif kind == "summary": blocks[-1][2] = value
    elif kind == "unreadable": unreadable.append(value.split(": ", 1)[1])
    elif kind == "total": total = value
def numbers(text):
    m = re.search(r"files: ([\d,]+), folders: ([\d,]+), size: ([\d,]+)", text, re.I)
    return [int(g.replace(",", "")) for g in m.groups()]
def size_of(cell): return int(cell.replace(",", "")) if cell else None
rows = [(path, r) for path, rs, _ in blocks for r in rs]
print(f"  the page: {len(blocks)} folders, {len(rows)} rows, {len(unreadable)} unreadable")
expect(len(rows) > 10 and unreadable, "the page lists the fixture")
N, E, S, M, A, T = range(6)  # the shown columns, in order

def as_page_time(machine):  # "2026-12-08 12:20:05" as the page shows it
    y, mo, d, h, mi = (int(machine[i:j]) for i, j in ((0, 4), (5, 7), (8, 10), (11, 13), (14, 16)))
    return f"{mo}/{d}/{y} {h % 12 or 12}:{mi:02d} {'AM' if h < 12 else 'PM'}"

# CSV: a byte-order mark, CR LF after every record, quotes where needed, and the
# formula rule undone by its one step.
raw = open(csv_file, "rb").read()
expect(raw.startswith(b"\xef\xbb\xbf"), "CSV starts with a byte-order mark")
outside = re.sub(rb'"(?:[^"]|"")*"', b"", raw)
expect(outside.count(b"\n") == outside.count(b"\r\n") == outside.count(b"\r"),
       "CSV records end with CR LF, line breaks only inside quotes")
def undo(cell): return cell[1:] if re.match(r"'+[=+\-@\t\r]", cell) else cell
records = list(csv.reader(io.StringIO(raw.decode("utf-8-sig"), newline="")))
expect([undo(c) for c in records[0]] == ["Folder"] + titles, f"CSV header {records[0]}")
expect(records[0][1] == "'=cmd|' /C calc'!A0", "the formula-like title is written as text")
body = records[1:]
expect(len(body) == len(rows), f"CSV has {len(body)} rows, the page {len(rows)}")
for (path, r), c in zip(rows, body):
    name = undo(c[1])
    expect(c[0] == path and name == r[N], f"CSV row {c[:2]} is {path!r} {r[N]!r}")
    expect(c[2] == r[E] and undo(c[6]) == r[T], f"CSV extension and type of {name!r}")
    expect(size_of(r[S]) == (int(c[3]) if c[3] else None), f"CSV size of {name!r}")
    expect(as_page_time(c[4]) == r[M], f"CSV time of {name!r}: {c[4]} / {r[M]}")
    expect(r[A] == "Folder" or c[5] == r[A], f"CSV attributes of {name!r}")
    if re.match(r"'*[=+\-@\t\r]", name):
        expect(c[1] == "'" + name, f"{name!r} is written as text")

# JSON: the same folders, entries, summaries and total; names exact.
doc = json.load(open(json_file, encoding="utf-8"))
expect([c["title"] for c in doc["settings"]["columns"]] == titles, "JSON column titles")
expect([c["field"] for c in doc["settings"]["columns"]] ==
       ["name", "extension", "size", "modified", "attributes", "type"], "JSON column fields")
folders = [f for f in doc["folders"] if not f.get("unreadable")]
expect([f["path"] for f in doc["folders"] if f.get("unreadable")] == unreadable,
       "JSON names the unreadable folders")
expect([f["path"] for f in folders] == [b[0] for b in blocks], "JSON folders are the page's")
for f, (path, rs, summary) in zip(folders, blocks):
    expect([e["name"] for e in f["entries"]] == [r[N] for r in rs], f"JSON entries of {path!r}")
    for e, r in zip(f["entries"], rs):
        expect(e["size"] == size_of(r[S]) and e["extension"] == r[E] and e["type"] == r[T],
               f"JSON entry {e['name']!r}")
        expect(e["kind"] == ("folder" if r[A] == "Folder" else "file"), f"JSON kind of {e['name']!r}")
        expect(e["modified"].endswith("+00:00") and
               as_page_time(e["modified"][:19].replace("T", " ")) == r[M],
               f"JSON time of {e['name']!r}")
    s = f["summary"]
    expect([s["files"], s["folders"], s["size"]] == numbers(summary), f"JSON summary of {path!r}")
t = doc["total"]
expect([t["files"], t["folders"], t["size"]] == numbers(total), "JSON total")

# Text: the same blocks, each row's cells where the titles put them (counted
# in character cells), the summaries and the total as the page words them.
def width(s):
    return sum(0 if unicodedata.combining(ch) else
               2 if unicodedata.east_asian_width(ch) in "WF" else 1 for ch in s)
def clean(s): return re.sub(r"[\x00-\x1f\x7f]", "\ufffd", s)
def at(line, start, end=None):  # the characters between two cell positions
    out, pos = "", 0
    for ch in line:
        if pos >= start and (end is None or pos < end): out += ch
        pos += width(ch)
    return out
lines = open(text_file, "rb").read().decode("utf-8").split("\r\n")
expect(lines[-1] == "" and "\n" not in "".join(lines), "text lines end with CR LF")
groups = [g.split("\r\n") for g in "\r\n".join(lines[:-1]).split("\r\n\r\n")]
expect(groups[-1] == [total], f"the text ends with the total: {groups[-1]}")
listed = [g for g in groups[:-1] if not g[0].lstrip().startswith("This folder cannot be read")]
expect(len(listed) == len(blocks), f"text has {len(listed)} folders, the page {len(blocks)}")
for g, (path, rs, summary) in zip(listed, blocks):
    depth = (len(g[0]) - len(g[0].lstrip(" "))) // 2
    name = path.rsplit("\\", 1)[1] + "\\" if depth else path
    expect(g[0].strip() == clean(name), f"text folder line {g[0]!r} for {path!r}")
    expect(g[-1] == "  " * (depth + 1) + summary, f"text summary {g[-1]!r}")
    if not rs: continue
    head, body_lines = g[1], g[2:-1]
    expect(len(body_lines) == len(rs), f"text rows of {path!r}")
    starts, pos = [], 0
    for title in titles:  # where each title begins, in cells
        i = head.index(title, pos); starts.append(width(head[:i])); pos = i + len(title)
    size_end = starts[S] + width(titles[S])
    for line, r in zip(body_lines, rs):
        for col in (N, M, A, T):  # left-aligned, each up to the next title
            cell = at(line, starts[col], starts[col + 1] - 2 if col != T else None)
            expect(cell.rstrip() == clean(r[col]), f"text cell {col} of {r[N]!r}: {cell!r}")
        ext = clean(r[E])  # the size column after it may be wider than its title
        expect(at(line, starts[E], starts[E] + width(ext) + 1) == ext + " ",
               f"text extension of {r[N]!r}")
        expect(at(line, 0, size_end).endswith(" " + r[S]), f"text size of {r[N]!r} ends under its title")
print("  all four agree" if ok else "  they differ")
sys.exit(0 if ok else 1)
PY

for set in settings totals; do
  for type in html csv json txt; do
    check "$set: the $type listing runs" run_cli --settings "$work/$set.ini" --depth -1 \
      -o "$work/$set.$type" "$tree"
  done
  python3 "$work/compare.py" "$work/$set".{html,csv,json,txt} >"$work/report.txt"
  status=$?
  cat "$work/report.txt"
  check "$set: CSV, JSON and text agree with the page" test $status -eq 0
done

check "the type goes by the output's extension" bash -c "head -c 3 '$work/settings.csv' | cmp -s - <(printf '\xef\xbb\xbf') && head -c 1 '$work/settings.json' | grep -q '{'"
check "--as writes that type to standard output" bash -c "'$wine_run' --prefix='$prefix' '$cli' --settings '$work/settings.ini' --depth -1 --as csv '$tree' >'$work/stdout.csv' && cmp '$work/stdout.csv' '$work/settings.csv'"
check "--as beats the extension" bash -c "'$wine_run' --prefix='$prefix' '$cli' --settings '$work/settings.ini' --as json -o '$work/x.html' '$tree' && python3 -c 'import json,sys; json.load(open(sys.argv[1], encoding=\"utf-8\"))' '$work/x.html'"
check "an unknown type exits 1" bash -c "'$wine_run' --prefix='$prefix' '$cli' --as xls '$tree' 2>'$work/err'; [ \$? -eq 1 ] && grep -q 'unknown listing type' '$work/err'"
check "another extension writes HTML" bash -c "'$wine_run' --prefix='$prefix' '$cli' --settings '$work/settings.ini' -o '$work/list.dat' '$tree' && grep -q '^<!DOCTYPE html>' '$work/list.dat'"
finish
