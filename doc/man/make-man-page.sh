#!/usr/bin/env bash
# Makes one manual page from its head (NAME and the list of what it holds) and the sections of the
# documentation that the head names, so that the page and the documentation cannot drift apart.
#
#   doc/man/make-man-page.sh HEAD VERSION OUTPUT_DIR
#
# A line "@from FILE: HEADING > SUBHEADING ..." of the head (FILE relative to the head) stands for
# that section of FILE: its own text in place, each subsection as a section of the page and the
# levels below as subsections. A section that is not there fails the build, so a renamed heading
# cannot empty a page. Tables become tagged paragraphs (go-md2man's tables do not wrap), links their
# text. Writes OUTPUT_DIR/NAME.1.md (the assembled text), NAME.1 and NAME.1.gz (gzip -9n, as Debian
# wants it), and fails on any warning of groff about the page.
set -euo pipefail

head=$1
version=$2
out_dir=$3
page="$out_dir/$(basename "$head" .md)"
mkdir -p "$out_dir"

awk -v version="$version" -v base="$(dirname "$head")/" '
function fail(message) {
    printf "make-man-page: %s:%d: %s\n", FILENAME, FNR, message > "/dev/stderr"
    failed = 1
    exit 1
}

# Reads FILE once: its lines, and the level and title of each heading outside code blocks.
function load(file,    n, line, fenced) {
    if (file in lines) return
    fenced = 0
    while ((getline line < file) > 0) {
        text[file, ++n] = line
        level[file, n] = 0
        if (line ~ /^(```|~~~)/) {
            fenced = !fenced
        } else if (!fenced && line ~ /^#+ /) {
            match(line, /^#+/)
            level[file, n] = RLENGTH
            title[file, n] = substr(line, RLENGTH + 2)
        }
    }
    close(file)
    if (n == 0) fail("cannot read " file)
    lines[file] = n
}

function inside(file, at, i) {
    return i <= lines[file] && (level[file, i] == 0 || level[file, i] > level[file, at])
}

# The line of the heading that PATH ("A > B > C") names: A a section ("## A") of the file, once;
# each further part a direct subsection of the one before.
function find(file, path,    parts, n, k, i, at, found) {
    n = split(path, parts, / > /)
    at = 0
    for (i = 1; i <= lines[file]; i++) {
        if (level[file, i] == 2 && title[file, i] == parts[1]) {
            if (at) fail("two sections \"" parts[1] "\" in " file)
            at = i
        }
    }
    if (!at) fail("no section \"" parts[1] "\" in " file)
    for (k = 2; k <= n; k++) {
        found = 0
        for (i = at + 1; inside(file, at, i); i++) {
            if (level[file, i] == level[file, at] + 1 && title[file, i] == parts[k]) found = i
        }
        if (!found) fail("no section \"" parts[k] "\" under \"" parts[k - 1] "\" in " file)
        at = found
    }
    return at
}

function emit(file, at,    i, shifted, heading) {
    for (i = at + 1; inside(file, at, i); i++) {
        if (!level[file, i]) {
            page = page text[file, i] "\n"
            continue
        }
        shifted = level[file, i] - level[file, at] + 1
        heading = shifted == 2 ? toupper(title[file, i]) : title[file, i]
        page = page substr("######", 1, shifted) " " heading "\n"
    }
}

function trim(s) {
    sub(/^[ \t]+/, "", s)
    sub(/[ \t]+$/, "", s)
    return s
}

function cells(row, into,    n, i) {
    gsub(/\\\|/, "\001", row)
    row = trim(row)
    sub(/^\|/, "", row)
    sub(/\|$/, "", row)
    n = split(row, into, /\|/)
    for (i = 1; i <= n; i++) {
        gsub(/\001/, "|", into[i])
        into[i] = trim(into[i])
    }
    return n
}

# Each row of a table becomes its first cell as a tag, the others as paragraphs under it, named
# by their column when there are more than two.
function tables(all,    n, line, i, out, header, columns, row, k, c) {
    n = split(all, line, /\n/)
    for (i = 1; i <= n; i++) {
        if (line[i] !~ /^\|/ || i == n || line[i + 1] !~ /^\|[-:| ]+\|$/) {
            out = out line[i] "\n"
            continue
        }
        columns = cells(line[i], header)
        for (i += 2; i <= n && line[i] ~ /^\|/; i++) {
            c = cells(line[i], row)
            out = out row[1] "\n"
            for (k = 2; k <= c; k++) {
                if (row[k] == "") continue
                out = out ": " (columns > 2 ? "*" header[k] ":* " : "") row[k] "\n"
            }
            out = out "\n"
        }
        i--
    }
    return out
}

# Links keep their text (the pages they lead to are not beside a manual page); pictures go.
function plain(all,    out, link) {
    while (match(all, /!\[[^]]*\]\([^)]*\)/)) all = substr(all, 1, RSTART - 1) substr(all, RSTART + RLENGTH)
    out = ""
    while (match(all, /\[[^]]*\]\([^)]*\)/)) {
        link = substr(all, RSTART + 1, RLENGTH - 1)
        out = out substr(all, 1, RSTART - 1) substr(link, 1, index(link, "](") - 1)
        all = substr(all, RSTART + RLENGTH)
    }
    return out all
}

/^@from / {
    source_line = substr($0, 7)
    colon = index(source_line, ": ")
    if (!colon) fail("expected @from FILE: HEADING")
    file = base substr(source_line, 1, colon - 1)
    load(file)
    emit(file, find(file, substr(source_line, colon + 2)))
    next
}
{
    gsub(/@VERSION@/, version)
    page = page $0 "\n"
}
END {
    if (failed) exit 1
    printf "%s", plain(tables(page))
}
' "$head" >"$page.md.new"
mv "$page.md.new" "$page.md"

go-md2man -in "$page.md" -out "$page.new"
# Paths and names must not be hyphenated. go-md2man's ".nh" stands before ".TH", which turns
# hyphenation on again from the register HY.
sed -i '1s/^\.nh$/.nr HY 0/' "$page.new"
if command -v groff >/dev/null; then
  # As man shows it on an 80-column terminal, with every warning on.
  warnings=$(groff -k -t -man -Tutf8 -rLL=78n -ww -z "$page.new" 2>&1)
  if [[ -n "$warnings" ]]; then
    echo "make-man-page: groff warns about $page:" >&2
    echo "$warnings" >&2
    exit 1
  fi
fi
mv "$page.new" "$page"
gzip -9nkf "$page"
