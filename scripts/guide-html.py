#!/usr/bin/env python3
"""Turns the user guide (docs/guide/*.md, Japanese Markdown) into HTML pages for the
browser that ヘルプ → 取扱説明書 opens: each page with the same style, links between pages
pointing at the .html files, and the screenshots copied beside them.

  guide-html.py SOURCE_DIR OUT_DIR
"""
import html
import re
import shutil
import sys
from pathlib import Path

import markdown

STYLE = """
body { font-family: "Noto Sans CJK JP", "IPAGothic", sans-serif; max-width: 52em;
       margin: 2em auto; padding: 0 1em; line-height: 1.7; color: #222; }
h1, h2, h3 { color: #004d4d; } h1 { border-bottom: 3px solid #008080; }
h2 { border-bottom: 1px solid #8cc; margin-top: 2em; }
table { border-collapse: collapse; margin: 1em 0; }
th, td { border: 1px solid #bbb; padding: .3em .6em; vertical-align: top; }
th { background: #e6f2f2; } code, pre { background: #f4f4f4; }
pre { padding: .6em; overflow-x: auto; } img { max-width: 100%; border: 1px solid #ccc; }
nav { font-size: .9em; margin-bottom: 1em; }
"""

PAGE = """<!DOCTYPE html>
<html lang="ja">
<head>
<meta charset="utf-8">
<title>{title} — Tidrun for GPS 取扱説明書</title>
<style>{style}</style>
</head>
<body>
<nav><a href="index.html">目次</a></nav>
{body}
</body>
</html>
"""


def convert(src, out):
    out.mkdir(parents=True, exist_ok=True)
    for md in sorted(src.glob("*.md")):
        text = md.read_text(encoding="utf-8")
        # Links between the pages of the guide lead to their HTML.
        text = re.sub(r"\]\(([\w.-]+)\.md(#[\w.-]*)?\)", r"](\1.html\2)", text)
        body = markdown.markdown(text, extensions=["tables", "fenced_code", "toc"])
        m = re.search(r"^# (.+)$", text, re.M)
        title = html.escape(m.group(1).strip() if m else md.stem)
        (out / (md.stem + ".html")).write_text(
            PAGE.format(title=title, style=STYLE, body=body), encoding="utf-8")
    if (src / "images").is_dir():
        shutil.rmtree(out / "images", ignore_errors=True)
        shutil.copytree(src / "images", out / "images")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    convert(Path(sys.argv[1]), Path(sys.argv[2]))
