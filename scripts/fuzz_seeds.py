#!/usr/bin/env python3
"""Builds one seed folder per fuzz target: the string literals of the target's tests, the
real pages of ../shared/corpus/pages when present, and the kept inputs in fuzz/regressions/<target>.

Usage: fuzz_seeds.py OUT_DIR [TARGET...]
A target not listed in SEEDS below gets the corpus pages and its regressions only.
"""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# target -> (test files whose string literals are seeds, use the corpus pages,
#            use the entity names found in the corpus pages)
SEEDS = {
    "html_to_text": (["tests/text/html_to_text_test.cpp", "tests/text/html_to_text_linear_test.cpp"],
                     True, False),
    "html_tokenizer": (["tests/text/html_tokenizer_test.cpp"], True, False),
    "decode_entity": (["tests/text/entity_decoder_test.cpp"], False, True),
    "fax_scan": (["tests/harvest/fax_scan_test.cpp", "tests/harvest/fax_scan_page_test.cpp"],
                 True, False),
    "url_rules": (["tests/harvest/url_rules_test.cpp"], False, False),
    "http_response": (["tests/harvest/http_response_test.cpp"], False, False),
    "chunked_body": (["tests/harvest/chunked_body_test.cpp"], False, False),
    "link_extraction": (["tests/harvest/http_response_test.cpp",
                         "tests/harvest/link_extraction_test.cpp"], False, False),
    "robots_rules": (["tests/harvest/robots_rules_test.cpp"], False, False),
    "retry_after": (["tests/harvest/retry_after_test.cpp"], False, False),
    "rtf_reader": (["tests/desktop/rtf_reader_test.cpp"], False, False),
    "search_results": (["tests/search/search_rules_test.cpp"], True, False),
}

LITERAL = re.compile(r'"((?:[^"\\\n]|\\.)*)"')
ESCAPES = {"n": b"\n", "r": b"\r", "t": b"\t", "0": b"\0", "\\": b"\\", '"': b'"', "'": b"'",
           "a": b"\a", "b": b"\b", "f": b"\f", "v": b"\v", "?": b"?"}


def decode(body):
    """The bytes of a C++ string literal's body (simple, hex and octal escapes)."""
    out = bytearray()
    i = 0
    while i < len(body):
        c = body[i]
        if c != "\\" or i + 1 == len(body):
            out += c.encode("latin-1", "replace")
            i += 1
            continue
        e = body[i + 1]
        if e == "x":
            m = re.match(r"[0-9a-fA-F]+", body[i + 2:])
            out.append(int(m.group(0), 16) & 0xFF if m else ord("x"))
            i += 2 + (len(m.group(0)) if m else 0)
        elif e in "01234567":
            m = re.match(r"[0-7]{1,3}", body[i + 1:])
            out.append(int(m.group(0), 8) & 0xFF)
            i += 1 + len(m.group(0))
        else:
            out += ESCAPES.get(e, e.encode("latin-1", "replace"))
            i += 2
    return bytes(out)


def corpus_pages():
    folder = os.environ.get("NORVANE_CORPUS_DIR", os.path.join(ROOT, "..", "shared", "corpus"))
    folder = os.path.join(folder, "pages")
    if not os.path.isdir(folder):
        return []
    return [os.path.join(folder, name) for name in sorted(os.listdir(folder))]


def seeds_for(target):
    tests, pages, entities = SEEDS.get(target, ([], True, False))
    seeds = set()
    for test in tests:
        with open(os.path.join(ROOT, test), encoding="utf-8", errors="replace") as f:
            for m in LITERAL.finditer(f.read()):
                seeds.add(decode(m.group(1)))
    for page in corpus_pages():
        with open(page, "rb") as f:
            data = f.read()
        if pages:
            seeds.add(data)
        if entities:
            seeds.update(m.group(1) for m in re.finditer(rb"&([#0-9A-Za-z]{1,12});", data))
    kept = os.path.join(ROOT, "fuzz", "regressions", target)
    if os.path.isdir(kept):
        for name in sorted(os.listdir(kept)):
            with open(os.path.join(kept, name), "rb") as f:
                seeds.add(f.read())
    seeds.discard(b"")
    return seeds


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    targets = sys.argv[2:] or sorted(SEEDS)
    for target in targets:
        folder = os.path.join(out, target)
        os.makedirs(folder, exist_ok=True)
        for old in os.listdir(folder):
            os.remove(os.path.join(folder, old))
        seeds = sorted(seeds_for(target))
        for n, seed in enumerate(seeds):
            with open(os.path.join(folder, "seed-%05d" % n), "wb") as f:
                f.write(seed)
        print("%s: %d seeds" % (target, len(seeds)))


if __name__ == "__main__":
    main()
