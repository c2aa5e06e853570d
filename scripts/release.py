#!/usr/bin/python3
"""Packs the release zip: the program, the user guide made from the README's user
sections (one HTML page that Internet Explorer 6 reads, its pictures as PNG files
in a folder beside it), the licence and SHA256SUMS, in a fixed order with one
fixed time and fixed permissions, so that the same inputs give the same bytes.

  release.py SOURCE_TREE PROGRAM VERSION EPOCH ZIP
"""
import hashlib, html, re, sys, time, zipfile

import markdown

GUIDE = "Blinkwatch.html"          # the name the program's Online help button looks for
PICTURES = "Blinkwatch-images"     # the guide's pictures, beside it
USER_SECTIONS = ["Install on Windows", "Using Blinkwatch"]
VERSION_MARK = "<version>"         # where those sections name the version
PAGE = """<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01//EN" "http://www.w3.org/TR/html4/strict.dtd">
<html lang="en">
<head>
<meta http-equiv="Content-Type" content="text/html; charset=us-ascii">
<title>Blinkwatch {version}: user guide</title>
<style type="text/css">
body {{ font-family: Tahoma, Verdana, Arial, sans-serif; font-size: 10pt; margin: 1em 2em; line-height: 140%; }}
h1, h2, h3 {{ font-family: Verdana, Arial, sans-serif; }}
code, pre {{ font-family: "Courier New", monospace; }}
pre {{ background: #f0f0f0; border: 1px solid #ccc; padding: 0.5em; }}
</style>
</head>
<body>
<h1>Blinkwatch {version}</h1>
{body}
</body>
</html>
"""


def sections(readme, titles):
    """The README's level-2 sections of these titles, in this order, each whole."""
    parts = re.split(r"(?m)^(?=## )", readme)
    found = {p.splitlines()[0][3:].strip(): p for p in parts if p.startswith("## ")}
    missing = [t for t in titles if t not in found]
    if missing:
        sys.exit("release: the README has no section " + ", ".join(missing))
    return [found[t] for t in titles]


def guide(source, version):
    """The guide's HTML and the pictures it shows: [(name in the zip, path in the tree)].
    The sections write the version as <version>; the number comes from the build."""
    text = "\n".join(sections(open(source + "/README.md", encoding="utf-8").read(), USER_SECTIONS))
    if re.search(r"(?<![\d.])%s(?![\d])" % re.escape(version), text):
        sys.exit("release: the guide types the version %s; write <version> instead" % version)
    text = text.replace(VERSION_MARK, version)
    pictures = []

    def picture(match):
        path = match.group(2)
        pictures.append((PICTURES + "/" + path.rsplit("/", 1)[-1], source + "/" + path))
        return "![%s](%s)" % (match.group(1), pictures[-1][0])

    text = re.sub(r"!\[([^\]]*)\]\(([^)\s]+\.png)\)", picture, text)
    body = markdown.markdown(text, output_format="html")
    page = PAGE.format(version=html.escape(version), body=body)
    return page.encode("ascii", "xmlcharrefreplace"), pictures


def main(source, program, version, epoch, out):
    page, pictures = guide(source, version)
    files = [("blinkwatch.exe", open(program, "rb").read()), (GUIDE, page)]
    files += [(name, open(path, "rb").read()) for name, path in pictures]
    files.append(("LICENSE", open(source + "/LICENSE", "rb").read()))
    sums = "".join("%s  %s\n" % (hashlib.sha256(data).hexdigest(), name) for name, data in files)
    files.append(("SHA256SUMS", sums.encode("ascii")))
    stamp = time.gmtime(max(int(epoch), 315532800))[:6]   # zip times start in 1980
    with zipfile.ZipFile(out, "w") as archive:
        for name, data in files:
            entry = zipfile.ZipInfo(name, date_time=stamp)
            entry.create_system = 3                  # Unix, so that the permissions below hold
            entry.external_attr = 0o100644 << 16     # a plain file, readable by all
            entry.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(entry, data, compresslevel=9)


if __name__ == "__main__":
    if len(sys.argv) != 6:
        sys.exit(__doc__)
    main(*sys.argv[1:])
