#!/usr/bin/env python3
"""The manual's check itself: a small sound manual passes, and a manual with
each kind of fault fails with that fault named.

  check_manual_test.py CHECK_MANUAL.py PICTURE.png
"""
import os
import shutil
import subprocess
import sys
import tempfile

check, picture = sys.argv[1], sys.argv[2]

PAGE = """<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>t</title><link rel="stylesheet" href="style.css"></head>
<body><header><p>Manual</p></header>
<nav><ul><li><a href="index.html">one</a></li><li><a href="two.html#end">two</a></li></ul></nav>
<main><h1>Page</h1>{body}</main></body></html>
"""
GOOD = """<p>Text.</p><figure><img src="panel.png" alt="The panel" width="586" height="385">
<svg viewBox="0 0 10 10" role="group" aria-label="numbers"><a href="two.html#end"
 aria-label="1: Delay"><circle cx="5" cy="5" r="4"/></a></svg></figure>"""
STYLE = "img, svg { max-width: 100%; height: auto; } svg { width: 10px; }"


def site(folder, index_body, two_body='<p id="end">End.</p>', style=STYLE):
    os.makedirs(folder)
    shutil.copy(picture, os.path.join(folder, "panel.png"))
    with open(os.path.join(folder, "broken.png"), "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n not a picture")
    with open(os.path.join(folder, "style.css"), "w") as f:
        f.write(style)
    for name, body in (("index.html", index_body), ("two.html", two_body)):
        with open(os.path.join(folder, name), "w") as f:
            f.write(PAGE.format(body=body))
    return folder


def run(folder):
    r = subprocess.run([sys.executable, check, folder], capture_output=True, text=True)
    return r.returncode, r.stdout + r.stderr


failures = 0


def expect(what, folder, ok, named=()):
    global failures
    status, output = run(folder)
    missing = [n for n in named if n not in output]
    if (status == 0) != ok or missing:
        failures += 1
        print(f"FAIL {what}: status {status}, missing {missing}\n{output}")
    else:
        print(f"ok   {what}")


work = tempfile.mkdtemp(prefix="manual-check-test-")
try:
    expect("a sound manual passes", site(f"{work}/good", GOOD), True)
    expect("faults in the pages as written are named",
           site(f"{work}/written", GOOD + """<img src="panel.png"><script>1</script>
<a href="two.html#nowhere">x</a><a href="gone.html">y</a>
<svg viewBox="0 0 1 1"><a href="index.html"><circle r="1"/></a></svg>
<img src="http://example.org/a.png" alt="far">"""), False,
           ["the picture panel.png has no alt text", "runs a script", "leads to no #nowhere",
            "the link gone.html is not there", "inline picture (<svg>) has no role",
            "a link in a picture (index.html) has no label", "needs http://example.org/a.png"])
    expect("faults the browser shows are named",
           site(f"{work}/shown", GOOD + """<img src="broken.png" alt="broken">
<div class="row"><p>left</p><p>right</p></div><pre class="far">x</pre>""",
                style=STYLE + " .row { display: flex; } .far { width: 1500px; }"), False,
           ["index.html at 400 px: the picture broken.png does not load",
            "index.html at 400 px: not one column: p beside p in div.row",
            "index.html at 400 px: scrolls sideways", "index.html at 1280 px: scrolls sideways"])
finally:
    shutil.rmtree(work, ignore_errors=True)
if failures:
    sys.exit(f"{failures} case(s) of the manual's check went wrong")
print("the manual's check finds every fault it should")
