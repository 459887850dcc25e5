#!/usr/bin/env python3
"""How many of a page's links the crawl takes, against Python's standard HTML parser.

For each real page of the corpus (pages/ and faxpages/) the links `norvane-tool links` prints
(today's reading: the first "href=" of each CR-ended line) and those `norvane-tool links --all`
prints (with "All Links of a Page" on) are compared with the links html.parser reads: the href
of every <a> and <area> and the src of every <frame> and <iframe> outside comments, scripts,
styles and templates, references decoded, spaces trimmed, fragment cut. Both sides go through
the same link filter (the one the crawl applies with the item on) and are compared as sets of
distinct links per page: recall = share of the parser's links the tool prints, precision =
share of the tool's links the parser reads.

Usage: bench/link_recall.py [--tool build/bin/norvane-tool] [--corpus ../shared/corpus]
                            [--worst N] [FOLDER...]
Exits 0 without measuring when the corpus is absent.
"""
import argparse
import html
import html.entities
import html.parser
import os
import re
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# The filter of the links read with "All Links of a Page" on: schemes other than http(s), and
# paths ending in the extension of a file that is no page.
NO_PAGE = set("""jpg jpeg png gif bmp webp svg svgz ico tif tiff avif heic css js mjs mp3 mp4 m4a
m4v wav avi mov mpg mpeg wmv wma flv swf ogg ogv oga webm mkv aac flac ra rm ram mid midi 3gp
woff woff2 ttf otf eot zip rar 7z gz tgz tar bz2 xz exe msi dmg apk deb rpm iso jar pdf doc docx
xls xlsx ppt pptx""".split())
SCHEME = re.compile(rb"^([A-Za-z][A-Za-z0-9+.\-]*):")


def filter_drops(link):
    m = SCHEME.match(link)
    if m and m.group(1).lower() not in (b"http", b"https"):
        return True
    path = re.split(rb"[?#]", link, maxsplit=1)[0]
    if m:
        path = path[len(m.group(0)):]
    if path.startswith(b"//"):
        slash = path.find(b"/", 2)
        path = b"" if slash < 0 else path[slash:]
    name = path.rsplit(b"/", 1)[-1]
    return b"." in name and name.rsplit(b".", 1)[1].lower().decode("latin-1") in NO_PAGE


def as_bytes(text):
    """The bytes the tool prints for a decoded text: characters up to 255 as one byte (the page's
    own bytes were read as Latin-1), higher ones in UTF-8."""
    return b"".join(bytes([ord(c)]) if ord(c) < 256 else c.encode("utf-8") for c in text)


def as_read(value):
    return re.sub("[\t\n\r]", "", value.split("#", 1)[0].strip(" \t\n\r\f"))


# HTML5 leaves a named reference without ";" in an attribute as written when a letter, digit or
# "=" follows ("?a=1&copy=2"); html.unescape decodes it. The reading follows the browsers.
ATTR_REFERENCE = re.compile(r"&(#[0-9]+;?|#[xX][0-9a-fA-F]+;?|[A-Za-z][A-Za-z0-9]*;?)")


def unescape_attribute(value):
    def one(m):
        ref = m.group(1)
        if ref.startswith("#") or ref.endswith(";"):
            return html.unescape(m.group(0))
        if value[m.end():m.end() + 1] == "=":
            return m.group(0)
        return html.entities.html5.get(ref, m.group(0))
    return ATTR_REFERENCE.sub(one, value)


class LinkReader(html.parser.HTMLParser):
    LINK_ATTRIBUTE = {"a": "href", "area": "href", "frame": "src", "iframe": "src"}

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.links = set()
        self.template = 0

    def handle_starttag(self, tag, attrs):
        if tag == "template":
            self.template += 1
        name = self.LINK_ATTRIBUTE.get(tag)
        if not name or self.template:
            return
        for key, value in attrs:
            if key == name:
                if value is not None:
                    link = as_bytes(as_read(value))
                    if link and not filter_drops(link):
                        self.links.add(link)
                return

    def handle_endtag(self, tag):
        if tag == "template" and self.template:
            self.template -= 1


def parser_links(data):
    # html.parser decodes attribute values with html.unescape: read them the browsers' way.
    html.parser.unescape = unescape_attribute
    reader = LinkReader()
    try:
        reader.feed(data.decode("latin-1"))
        reader.close()
    except Exception as error:  # a page the parser gives up on counts as read up to there
        print("parser: %s" % error, file=sys.stderr)
    return reader.links


def tool_links(tool, path, all_links):
    args = [tool, "links"] + (["--all"] if all_links else []) + [path]
    out = subprocess.run(args, check=True, stdout=subprocess.PIPE).stdout
    links = set()
    for line in out.split(b"\n"):
        link = as_bytes(as_read(line.decode("latin-1"))) if line else b""
        if link and not filter_drops(link):
            links.add(link)
    return links


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--tool", default=os.path.join(ROOT, "build", "bin", "norvane-tool"))
    parser.add_argument("--corpus", default=os.environ.get(
        "NORVANE_CORPUS_DIR", os.path.join(ROOT, "..", "shared", "corpus")))
    parser.add_argument("--worst", type=int, default=5, help="pages to list below 99%%")
    parser.add_argument("folders", nargs="*", help="folders of pages (default: the corpus')")
    args = parser.parse_args()
    folders = args.folders or [os.path.join(args.corpus, "pages"),
                               os.path.join(args.corpus, "faxpages")]
    folders = [f for f in folders if os.path.isdir(f)]
    if not folders:
        print("no corpus pages in %s: skipped" % args.corpus)
        return 0
    pages = [os.path.join(f, n) for f in folders for n in sorted(os.listdir(f))
             if n.endswith((".html", ".htm"))]
    modes = {"today": False, "all links": True}
    totals = {mode: [0, 0, 0] for mode in modes}  # found, printed, both
    below = {mode: [] for mode in modes}
    for path in pages:
        with open(path, "rb") as f:
            reference = parser_links(f.read())
        for mode, all_links in modes.items():
            printed = tool_links(args.tool, path, all_links)
            both = len(reference & printed)
            t = totals[mode]
            t[0] += len(reference)
            t[1] += len(printed)
            t[2] += both
            recall = both / len(reference) if reference else 1.0
            precision = both / len(printed) if printed else 1.0
            if recall < 0.99 or precision < 0.99:
                below[mode].append((min(recall, precision), recall, precision, path,
                                    sorted(reference - printed)[:3], sorted(printed - reference)[:3]))
    print("%d pages, %d distinct links read by html.parser" % (len(pages), totals["today"][0]))
    for mode in modes:
        found, printed, both = totals[mode]
        print("%-9s recall %6.2f%%  precision %6.2f%%  (%d of %d found, %d printed); "
              "pages below 99%%: %d" % (mode, 100.0 * both / max(found, 1),
                                         100.0 * both / max(printed, 1), both, found, printed,
                                         len(below[mode])))
    for _, recall, precision, path, missed, extra in sorted(below["all links"])[:args.worst]:
        print("  %5.1f%% %5.1f%% %s" % (100 * recall, 100 * precision, os.path.basename(path)))
        for link in missed:
            print("      missed %r" % link[:100])
        for link in extra:
            print("      extra  %r" % link[:100])
    return 0


if __name__ == "__main__":
    sys.exit(main())
