#!/usr/bin/env python3
"""Checks the musician's manual as a reader's browser shows it.

  check_manual.py MANUAL_DIR [--screenshots DIR] [--chromium PROGRAM]

Every page (*.html) of MANUAL_DIR is read as written and opened in headless
Chromium. It fails when
  - a page runs a script, or needs anything from the network;
  - a picture has no text for a screen reader (an <img> without alt, an
    inline <svg> without a role and label, a link in it without a label);
  - a link or picture points to a file that is not there, or to an #anchor
    the page it names does not have;
  - a picture does not load (Chromium decodes none of it);
  - at 400 px wide the page is not one column (two blocks side by side) or
    scrolls sideways, or at 1280 px it scrolls sideways.
The first page (index.html) is kept as a screenshot at 1280 and 400 px in
DIR (default: none kept).
"""
import html
import html.parser
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.parse

FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
         "--disable-component-update", "--disable-sync", "--no-first-run", "--hide-scrollbars",
         "--disable-extensions", "--mute-audio"]

# Measured in the page once it has loaded, inside a frame of the width to
# check (headless Chromium's windows are at least 500 px wide), and handed to
# the frame's parent, which writes it into its document for --dump-dom.
PROBE = r"""
<script>
window.addEventListener("load", function () {
  var result = {width: document.documentElement.clientWidth,
                scrollWidth: document.documentElement.scrollWidth,
                brokenImages: [], sideBySide: []};
  document.querySelectorAll("img").forEach(function (img) {
    if (!img.complete || img.naturalWidth === 0) result.brokenImages.push(img.getAttribute("src"));
  });
  function blockLevel(e) {
    var s = getComputedStyle(e);
    if (s.display === "none" || s.position === "absolute" || s.position === "fixed") return false;
    if (/^(inline|table-|contents)/.test(s.display) || e.closest("svg")) return false;
    var r = e.getBoundingClientRect();
    return r.width > 0 && r.height > 0;
  }
  function name(e) {
    return e.tagName.toLowerCase() + (e.id ? "#" + e.id : "") +
           (e.className && typeof e.className === "string" ? "." + e.className : "");
  }
  document.querySelectorAll("body, body *").forEach(function (parent) {
    var kids = Array.prototype.filter.call(parent.children, blockLevel);
    for (var i = 0; i < kids.length; i++) {
      var a = kids[i].getBoundingClientRect();
      for (var j = i + 1; j < kids.length; j++) {
        var b = kids[j].getBoundingClientRect();
        var sameRows = a.top < b.bottom - 1 && b.top < a.bottom - 1;
        var apart = a.right <= b.left + 1 || b.right <= a.left + 1;
        if (sameRows && apart)
          result.sideBySide.push(name(kids[i]) + " beside " + name(kids[j]) + " in " + name(parent));
      }
    }
  });
  // What sticks out past the right edge, outermost first.
  result.overflowing = [];
  document.querySelectorAll("body *").forEach(function (e) {
    var r = e.getBoundingClientRect();
    var p = e.parentElement.getBoundingClientRect();
    if (r.right > result.width + 1 && p.right <= result.width + 1 && !e.closest("svg"))
      result.overflowing.push(name(e) + " to " + Math.round(r.right) + " px");
  });
  parent.postMessage(JSON.stringify(result), "*");
});
</script>
"""


class Page(html.parser.HTMLParser):
    """What one page holds: ids, links, pictures and what is wrong with them."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.ids, self.links, self.problems = set(), [], []
        self.svg_depth = 0

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if "id" in a:
            self.ids.add(a["id"])
        if tag == "script":
            self.problems.append("runs a script")
        if tag == "svg":
            self.svg_depth += 1
            if self.svg_depth == 1 and not (a.get("role") and (a.get("aria-label") or "").strip()):
                self.problems.append("an inline picture (<svg>) has no role and label")
        if tag == "img":
            if not (a.get("alt") or "").strip():
                self.problems.append(f"the picture {a.get('src')} has no alt text")
            self.links.append(("picture", a.get("src") or ""))
        if tag == "a":
            if self.svg_depth and not (a.get("aria-label") or "").strip():
                self.problems.append(f"a link in a picture ({a.get('href')}) has no label")
            if "href" in a:
                self.links.append(("link", a["href"]))
        if tag == "link" and "href" in a:
            self.links.append(("style sheet", a["href"]))
        for attribute in ("src", "href"):
            value = a.get(attribute) or ""
            if tag in ("img", "link", "script", "iframe") and "//" in value:
                self.problems.append(f"needs {value} from the network")

    def handle_endtag(self, tag):
        if tag == "svg":
            self.svg_depth -= 1


def read_pages(folder):
    pages = {}
    for name in sorted(os.listdir(folder)):
        if name.endswith(".html"):
            page = Page()
            with open(os.path.join(folder, name), encoding="utf-8") as f:
                page.feed(f.read())
            pages[name] = page
    return pages


def link_problems(folder, pages):
    problems = []
    for name, page in pages.items():
        for kind, target in page.links:
            if urllib.parse.urlsplit(target).scheme in ("http", "https", "mailto"):
                continue
            path, _, anchor = urllib.parse.unquote(target).partition("#")
            file = os.path.normpath(os.path.join(folder, path)) if path else os.path.join(folder, name)
            if not os.path.isfile(file):
                problems.append(f"{name}: the {kind} {target} is not there")
            elif anchor:
                target_page = pages.get(os.path.basename(file))
                if target_page is None or anchor not in target_page.ids:
                    problems.append(f"{name}: the {kind} {target} leads to no #{anchor}")
    return problems


def chromium(program, profile, *args):
    command = [program, *FLAGS, f"--user-data-dir={profile}", *args]
    r = subprocess.run(command, capture_output=True, text=True, timeout=120)
    if r.returncode != 0:
        sys.exit(f"chromium failed ({r.returncode}): {' '.join(command)}\n{r.stderr[-2000:]}")
    return r.stdout


FRAME = """<!DOCTYPE html><html><head><meta charset="utf-8"><style>
body {{ margin: 0; }} iframe {{ border: 0; width: {width}px; height: 100vh; display: block; }}
</style></head><body><iframe src="{page}"></iframe><script>
window.addEventListener("message", function (event) {{
  var out = document.createElement("pre");
  out.id = "quillet-probe";
  out.textContent = event.data;
  document.body.appendChild(out);
}});
</script></body></html>
"""


def framed(copy, page, width):
    """A page that shows PAGE in a frame WIDTH pixels wide."""
    path = os.path.join(copy, f"{page[:-5]}.frame-{width}.html")
    with open(path, "w", encoding="utf-8") as f:
        f.write(FRAME.format(width=width, page=html.escape(page)))
    return path


def measure(program, profile, frame_path):
    dom = chromium(program, profile, "--window-size=1400,1000", "--virtual-time-budget=5000",
                   "--dump-dom", "file://" + frame_path)
    start = dom.find('<pre id="quillet-probe">')
    end = dom.find("</pre>", start)
    if start < 0 or end < 0:
        sys.exit(f"{os.path.basename(frame_path)}: the page's measurements did not come back")
    return json.loads(html.unescape(dom[start + len('<pre id="quillet-probe">'):end]))


def main():
    args = sys.argv[1:]
    if not args or args[0].startswith("--"):
        sys.exit(__doc__)
    folder = os.path.abspath(args[0])
    options = dict(zip(args[1::2], args[2::2]))
    program = options.get("--chromium") or shutil.which("chromium")
    if not program or not os.access(program, os.X_OK):
        sys.exit("chromium not found: install the Debian package chromium "
                 "(sudo apt-get install chromium)")
    screenshots = options.get("--screenshots")
    began = time.monotonic()

    pages = read_pages(folder)
    if "index.html" not in pages:
        sys.exit(f"{folder}: no index.html")
    problems = [f"{name}: {p}" for name, page in pages.items() for p in page.problems]
    problems += link_problems(folder, pages)

    work = tempfile.mkdtemp(prefix="manual-check-")
    try:
        copy = os.path.join(work, "manual")
        shutil.copytree(folder, copy)
        profile = os.path.join(work, "profile")
        for name in pages:
            with open(os.path.join(copy, name), encoding="utf-8") as f:
                text = f.read()
            probe = os.path.join(copy, name[:-5] + ".probe.html")
            with open(probe, "w", encoding="utf-8") as f:
                f.write(text.replace("</body>", PROBE + "</body>"))
            for width in (400, 1280):
                m = measure(program, profile, framed(copy, os.path.basename(probe), width))
                where = f"{name} at {width} px"
                if abs(m["width"] - width) > 20:
                    problems.append(f"{where}: the window was {m['width']} px wide")
                for src in m["brokenImages"]:
                    problems.append(f"{where}: the picture {src} does not load")
                if m["scrollWidth"] > m["width"] + 1:
                    problems.append(f"{where}: scrolls sideways ({m['scrollWidth']} px of content: "
                                    f"{', '.join(m['overflowing'][:5])})")
                if width == 400:
                    for pair in m["sideBySide"]:
                        problems.append(f"{where}: not one column: {pair}")
            print(f"{name}: read, opened at 400 and 1280 px")
        if screenshots:
            os.makedirs(screenshots, exist_ok=True)
            for width in (1280, 400):
                shot = os.path.join(os.path.abspath(screenshots), f"index-{width}.png")
                # The narrow page in a frame of its width, the window no narrower than
                # Chromium makes it.
                target = framed(copy, "index.html", width) if width < 500 else os.path.join(
                    copy, "index.html")
                chromium(program, profile, f"--window-size={max(width, 500)},1600",
                         f"--screenshot={shot}", "file://" + target)
                if not os.path.getsize(shot):
                    problems.append(f"no screenshot {shot}")
            print(f"screenshots of the first page: {screenshots}/index-1280.png, index-400.png")
    finally:
        shutil.rmtree(work, ignore_errors=True)

    seconds = time.monotonic() - began
    if problems:
        print("\n".join(problems))
        sys.exit(f"{len(problems)} problem(s) in the manual ({seconds:.1f} s)")
    print(f"the manual's {len(pages)} pages: pictures load and are described, links lead "
          f"somewhere, one column at 400 px, no sideways scroll ({seconds:.1f} s)")


if __name__ == "__main__":
    main()
