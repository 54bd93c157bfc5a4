#!/usr/bin/python3
"""Checks and trims the user's manual of a product folder.

  check_manual.py check FOLDER PAGE   every link and picture of PAGE points at a file shipped
                                      in FOLDER (or at an id of the page itself); nothing is
                                      fetched from elsewhere and no script runs
  check_manual.py trim PICTURE        cuts the empty background off the bottom of a rendered
                                      page, failing when the page ran past the picture's end

Runs with Debian's /usr/bin/python3: trimming needs its python3-pil.
"""
import html.parser
import os
import re
import sys
import urllib.parse

# Elements that run or embed something: a manual opened from a local folder needs none.
FORBIDDEN = {"script", "iframe", "object", "embed", "applet", "base"}
CSS_URL = re.compile(r"url\(\s*['\"]?([^'\")]+)['\"]?\s*\)")


class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.ids = set()
        self.references = []  # (line, tag, address)
        self.problems = []
        self.in_style = False

    def handle_starttag(self, tag, attrs):
        line = self.getpos()[0]
        if tag in FORBIDDEN:
            self.problems.append(f"line {line}: <{tag}> has no place in the manual")
        for name, value in attrs:
            if value is None:
                continue
            if name == "id":
                self.ids.add(value)
            elif name in ("href", "src", "srcset", "poster", "data"):
                self.references.append((line, tag, value.strip()))
            elif name == "style":
                self.references.extend((line, tag, url) for url in CSS_URL.findall(value))
            elif name.startswith("on"):
                self.problems.append(f"line {line}: <{tag} {name}> is script")
        self.in_style = tag == "style"

    def handle_endtag(self, tag):
        if tag == "style":
            self.in_style = False

    def handle_data(self, data):
        if self.in_style:
            line = self.getpos()[0]
            self.references.extend((line, "style", url) for url in CSS_URL.findall(data))


def check(folder, page_name):
    folder = os.path.realpath(folder)
    page_path = os.path.join(folder, page_name)
    with open(page_path, encoding="utf-8") as f:
        page = Page()
        page.feed(f.read())
        page.close()
    problems = list(page.problems)
    files = set()
    for line, tag, address in page.references:
        parts = urllib.parse.urlsplit(address)
        where = f"line {line}: <{tag}> '{address}'"
        if parts.scheme or parts.netloc:
            problems.append(f"{where} points outside the product folder")
            continue
        if not parts.path:
            if parts.fragment not in page.ids:
                problems.append(f"{where} names no id of the page")
            continue
        target = os.path.realpath(os.path.join(os.path.dirname(page_path), urllib.parse.unquote(parts.path)))
        if os.path.commonpath([folder, target]) != folder:
            problems.append(f"{where} leaves the product folder")
        elif not os.path.isfile(target):
            problems.append(f"{where} is not shipped")
        else:
            files.add(os.path.relpath(target, folder))
    for problem in problems:
        print(f"manual: {page_name}: {problem}", file=sys.stderr)
    if problems:
        return 1
    print(f"manual: {page_name}: {len(page.references)} links and pictures, all inside the folder "
          f"({', '.join(sorted(files))})")
    return 0


def trim(picture, margin=24):
    from PIL import Image

    image = Image.open(picture).convert("RGB")
    width, height = image.size
    background = image.getpixel((0, height - 1))
    pixels = image.load()
    bottom = height
    while bottom > 0 and all(pixels[x, bottom - 1] == background for x in range(0, width, 2)):
        bottom -= 1
    if bottom >= height - margin:
        print(f"manual: the page runs past the end of {picture} ({height} pixels): render it taller",
              file=sys.stderr)
        return 1
    image.crop((0, 0, width, bottom + margin)).save(picture)
    print(f"manual: rendered page {width} x {bottom + margin}")
    return 0


def main(argv):
    if len(argv) == 4 and argv[1] == "check":
        return check(argv[2], argv[3])
    if len(argv) == 3 and argv[1] == "trim":
        return trim(argv[2])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
