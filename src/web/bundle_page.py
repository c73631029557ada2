#!/usr/bin/env python3
"""Puts the page together as one file: its styles, its script and the
program (the web build's die_roll.js, WebAssembly inside) inlined, under a
Content-Security-Policy that allows exactly these and no request at all.

    bundle_page.py SOURCE-FOLDER die_roll.js VERSION OUTPUT.html
"""
import base64
import hashlib
import pathlib
import re
import sys

# The page's own script, in the order its parts need each other.
SCRIPTS = ("terminal.js", "charts.js", "experiments.js", "page.js")


def digest(text):
    return "'sha256-" + base64.b64encode(hashlib.sha256(text.encode()).digest()).decode() + "'"


def main(source, program_path, version, output):
    source = pathlib.Path(source)
    page = (source / "page.html").read_text()
    style = (source / "page.css").read_text()
    script = "\n".join((source / name).read_text() for name in SCRIPTS)
    program = pathlib.Path(program_path).read_text()
    # The program stands in a <script type="text/plain"> and is read back as
    # its text; HTML ends or escapes such an element at these, so they must
    # not occur (the build would be wrong, not the page merely odd).
    for text, name in ((program, program_path), (script, "the page's script"), (style, "page.css")):
        if re.search(r"</(script|style)|<!--", text, re.IGNORECASE):
            sys.exit(f"bundle_page.py: {name} holds text that would end its element early")
    policy = "; ".join((
        "default-src 'none'",
        f"script-src {digest(script)} 'wasm-unsafe-eval'",
        "worker-src blob:",
        f"style-src {digest(style)}",
        "img-src data:",
        "base-uri 'none'",
        "form-action 'none'",
    ))
    values = {"POLICY": policy, "VERSION": version, "STYLE": style, "SCRIPT": script,
              "PROGRAM": program}
    marks = set(re.findall(r"@([A-Z]+)@", page))
    if marks != set(values):
        sys.exit(f"bundle_page.py: page.html's marks are {sorted(marks)}, not {sorted(values)}")
    # One pass: text put in is never searched for marks again.
    page = re.sub(r"@([A-Z]+)@", lambda mark: values[mark.group(1)], page)
    pathlib.Path(output).write_text(page)


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    main(*sys.argv[1:])
