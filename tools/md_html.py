#!/usr/bin/python3
"""A reference page in Markdown made into one HTML page that stands alone.

    tools/md_html.py PAGINA.md PAGINA.html

Tables, fenced code and the headings' anchors as Python-Markdown makes them
(Debian's python3-markdown, installed by tools/prerequisiti.sh --prove);
links to other pages of the reference (".md") lead to their HTML pages.
"""
import html
import re
import sys

import markdown

STILE = """
body { font-family: sans-serif; max-width: 60em; margin: 2em auto; padding: 0 1em;
       line-height: 1.45; color: #222; }
code, pre { font-family: monospace; background: #f4f4f4; }
pre { padding: 0.6em; overflow-x: auto; }
table { border-collapse: collapse; margin: 1em 0; }
th, td { border: 1px solid #bbb; padding: 0.25em 0.5em; vertical-align: top; text-align: left; }
"""


def pagina(testo):
    corpo = markdown.markdown(testo, extensions=["tables", "fenced_code", "toc", "sane_lists"],
                              output_format="html")
    # A link to a page beside it ("file_compilati.md", with or without an
    # anchor) goes to that page's HTML; links out of the reference stay.
    corpo = re.sub(r'href="([^":/#]+)\.md(#[^"]*)?"', r'href="\1.html\2"', corpo)
    titolo = re.search(r"^#\s+(.+)$", testo, re.MULTILINE)
    titolo = titolo.group(1).strip() if titolo else ""
    return ("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
            f"<title>{html.escape(titolo)}</title>\n<style>{STILE}</style>\n"
            f"</head>\n<body>\n{corpo}\n</body>\n</html>\n")


def main():
    if len(sys.argv) != 3:
        sys.exit("uso: md_html.py PAGINA.md PAGINA.html")
    with open(sys.argv[1], encoding="utf-8") as ingresso:
        testo = ingresso.read()
    with open(sys.argv[2], "w", encoding="utf-8", newline="\n") as uscita:
        uscita.write(pagina(testo))


if __name__ == "__main__":
    main()
