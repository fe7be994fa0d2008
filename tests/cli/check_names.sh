#!/usr/bin/env bash
# lumadir-cli on a tree of names that an ANSI program gets wrong: every script,
# an emoji, names that differ only in width ("AB" and "ＡＢ"), names that look
# like paths ("..＼..＼..＼etc", "．．"), names the system's path rules would
# rewrite ("foo." beside "foo", "bar "), and a path of over 1,000 characters.
# Each name must be listed exactly, each folder entered (its own marker file
# inside), nothing outside the tree listed, and the page must pass the HTML
# checker without an error.
#   check_names.sh WINE_RUN PREFIX LUMADIR_CLI_EXE VNU_JAR
set -u
wine_run=$1 prefix=$2 cli=$3 vnu=$4
. "$(dirname "$0")/checks.sh"

tree=$work/names
names=("日本" "Ελληνικά" "Жж" "😀 emoji" "é" "AB" "ＡＢ" "．．" "..＼..＼..＼etc" "foo" "foo." "bar ")
mkdir -p "$tree"
for i in "${!names[@]}"; do
  mkdir "$tree/${names[$i]}"
  printf '%s' "$i" >"$tree/${names[$i]}/marker $i.txt"
done
printf 'x' >"$tree/日本/日本語.txt"
printf 'x' >"$tree/emoji 😀.txt"
deep=$tree/long
for _ in $(seq 11); do deep=$deep/$(printf 'x%.0s' $(seq 100)); done
mkdir -p "$deep" && printf 'deep' >"$deep/deep.txt"

out=$work/names.html
check "the listing runs" "$wine_run" --prefix="$prefix" "$cli" --depth -1 -o "$out" "$tree"

# Folder blocks and their rows, as a reader of the page sees them.
python3 - "$out" "$tree" "${names[@]}" >"$work/report.txt" <<'PY'
import html.parser, sys
page, tree, names = sys.argv[1], sys.argv[2], sys.argv[3:]
class Blocks(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.blocks, self.cell, self.text, self.row = [], None, "", None
    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == "tr" and a.get("class") in ("odd", "even"): self.row = []
        if tag == "td": self.cell, self.text = a.get("class"), ""
    def handle_data(self, data):
        if self.cell is not None: self.text += data
    def handle_endtag(self, tag):
        if tag != "td" or self.cell is None: return
        if self.cell == "folder": self.blocks.append((self.text, []))
        elif self.row is not None and len(self.row) == 0 and self.blocks:
            self.row.append(self.text); self.blocks[-1][1].append(self.text)
        self.cell = None
    def handle_endtag_tr(self): pass
p = Blocks(); p.feed(open(page, encoding="utf-8").read())
# The header shows the folder as Windows names it; the part below the tree
# is what matters.
top = p.blocks[0][0]
def below(header):
    return header[len(top):].lstrip("\\") if header.startswith(top) else None
blocks = {below(h): rows for h, rows in p.blocks}
ok = True
def expect(cond, what):
    global ok
    print(("ok   " if cond else "BAD  ") + what)
    ok = ok and cond
expect(all(below(h) is not None for h, _ in p.blocks), "every block lies inside the tree")
for i, name in enumerate(names):
    expect(name in blocks[""], f"the top lists {name!r}")
    expect(blocks.get(name) is not None and f"marker {i}.txt" in blocks[name]
           and all(not r.startswith("marker") or r == f"marker {i}.txt" for r in blocks[name]),
           f"{name!r} is entered and holds its own marker")
expect("emoji 😀.txt" in blocks[""], "a file name with an emoji")
expect("日本語.txt" in blocks.get("日本", []), "a file name in Japanese")
deepest = max(blocks, key=len)
expect(len(top) + len(deepest) > 1000 and "deep.txt" in blocks[deepest],
       f"a folder {len(top) + len(deepest)} characters deep is listed")
listed = [r for rows in blocks.values() for r in rows]
expect(not any(r in ("passwd", "hostname", "fstab") for r in listed), "nothing of /etc is listed")
sys.exit(0 if ok else 1)
PY
status=$?
sed 's/^/  /' "$work/report.txt"
check "every name listed exactly and entered, nothing outside" test $status -eq 0
check "the page passes the HTML checker" java -jar "$vnu" --errors-only "$out"
finish
