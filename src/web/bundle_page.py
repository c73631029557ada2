#!/usr/bin/env python3
"""Puts the page together as one file: its styles, its script (the page's
modules as esbuild bundled them) and the program (the web build's
die_roll.js, and its die_roll.wasm gzipped, as base64) inlined, under a
Content-Security-Policy that allows exactly these and no request at all.

    bundle_page.py SOURCE-FOLDER page.js die_roll.js die_roll.wasm VERSION PROMPT OUTPUT.html
"""
import base64
import gzip
import hashlib
import pathlib
import re
import sys


def digest(text):
    return "'sha256-" + base64.b64encode(hashlib.sha256(text.encode()).digest()).decode() + "'"


def main(source, script_path, program_path, wasm_path, version, prompt, output):
    source = pathlib.Path(source)
    page = (source / "page.html").read_text()
    style = (source / "page.css").read_text()
    script = pathlib.Path(script_path).read_text()
    program = pathlib.Path(program_path).read_text()
    # Dated 0 and named nothing, so that the same WebAssembly packs the same.
    wasm = base64.b64encode(gzip.compress(pathlib.Path(wasm_path).read_bytes(), 9, mtime=0)).decode()
    # The program stands in a <script type="text/plain"> and is read back as
    # its text; HTML ends or escapes such an element at these, so they must
    # not occur (the build would be wrong, not the page merely odd).
    for text, name in ((program, program_path), (script, script_path), (style, "page.css")):
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
    # The answer field is named by the program's question: its prompt
    # without the colon that asks for the answer.
    question = prompt.rstrip(": ")
    values = {"POLICY": policy, "VERSION": version, "QUESTION": question, "STYLE": style,
              "SCRIPT": script, "PROGRAM": program, "WASM": wasm}
    marks = set(re.findall(r"@([A-Z]+)@", page))
    if marks != set(values):
        sys.exit(f"bundle_page.py: page.html's marks are {sorted(marks)}, not {sorted(values)}")
    # One pass: text put in is never searched for marks again.
    page = re.sub(r"@([A-Z]+)@", lambda mark: values[mark.group(1)], page)
    pathlib.Path(output).write_text(page)


if __name__ == "__main__":
    if len(sys.argv) != 8:
        sys.exit(__doc__)
    main(*sys.argv[1:])
