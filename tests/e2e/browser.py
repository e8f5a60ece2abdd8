"""Drives the browser build as a user would: the static site in site/
served on a free loopback port, Debian's headless Chromium (WebGL 2 on
SwiftShader) driven through selenium, keys and mouse sent as real input
events, the canvas read back as a harness.Image, and the browser console
collected so that a test can fail on any error in it."""

import base64
import os
import socket
import subprocess
import sys
import time

import harness

SOURCE_DIR = os.environ.get("VV_SOURCE_DIR", os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
SITE_DIR = os.environ.get("VV_SITE_DIR", os.path.join(SOURCE_DIR, "site"))
CHROMEDRIVER = "/usr/bin/chromedriver"
CHROMIUM_FLAGS = ("--headless=new", "--use-angle=swiftshader", "--enable-unsafe-swiftshader", "--no-sandbox",
                  "--window-size=1200,900")


def site_built():
    return os.path.exists(os.path.join(SITE_DIR, "index.html")) and \
        os.path.exists(os.path.join(SITE_DIR, "vedoze-vaderuve.wasm"))


class Site:
    """python3 -m http.server on 127.0.0.1 at a port the system picked."""

    def __enter__(self):
        with socket.socket() as s:
            s.bind(("127.0.0.1", 0))
            self.port = s.getsockname()[1]
        self.proc = subprocess.Popen([sys.executable, "-m", "http.server", str(self.port), "--bind", "127.0.0.1",
                                      "--directory", SITE_DIR], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.time() + 10
        while time.time() < deadline:
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=0.2).close()
                return self
            except OSError:
                time.sleep(0.05)
        self.proc.kill()
        raise RuntimeError("the web server did not start")

    def url(self, query=""):
        return f"http://127.0.0.1:{self.port}/index.html{query}"

    def __exit__(self, *exc):
        self.proc.terminate()
        self.proc.wait(5)


class Page:
    """One browser with the viewer page loaded and running."""

    def __init__(self, query="", phone=None, site=None):
        """`phone` = (width, height, pixel ratio) emulates a touch screen of
        that size; `site` shares a running Site (the caller stops it)."""
        self.query = query
        self.phone = phone
        self.shared_site = site
        self.console = []

    def __enter__(self):
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
        self.site = self.shared_site or Site().__enter__()
        options = webdriver.ChromeOptions()
        for flag in CHROMIUM_FLAGS:
            options.add_argument(flag)
        if self.phone:
            width, height, ratio = self.phone
            options.add_experimental_option("mobileEmulation", {"deviceMetrics": {
                "width": width, "height": height, "pixelRatio": ratio, "touch": True}})
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        try:
            # Headless Chromium needs no X server, and a stale DISPLAY (one
            # whose server is gone) would make it try and fail to reach it.
            env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
            self.driver = webdriver.Chrome(service=Service(CHROMEDRIVER, env=env), options=options)
        except BaseException:
            if not self.shared_site:
                self.site.__exit__(None, None, None)
            raise
        try:
            self.open(self.query)
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def open(self, query="", fresh=False):
        """Navigates to the page and waits until the viewer runs and has
        drawn its first frame. `fresh` loads the page anew even when only
        the fragment differs (which would otherwise only change the hash)."""
        if fresh:
            self.driver.get("about:blank")
        self.driver.get(self.site.url(query))
        self.wait_for(lambda: "Running" in self.status() or "Stopped" in self.status(), what="the viewer to start")
        if "Running" in self.status():
            self.wait_for(lambda: self.driver.execute_script("return window.vvFirstFrameMs !== undefined"),
                          what="the first frame")
        self.canvas = self.driver.find_element("id", "canvas")
        self.sync()

    def __exit__(self, *exc):
        try:
            self.driver.quit()
        finally:
            if not self.shared_site:
                self.site.__exit__(*exc)

    # -- what the page shows ---------------------------------------------
    def status(self):
        return self.driver.execute_script("return document.getElementById('status').textContent")

    def logs(self):
        """Every console entry so far, as (level, message)."""
        for entry in self.driver.get_log("browser"):
            self.console.append((entry["level"], entry["message"]))
        return self.console

    def errors(self):
        return [m for level, m in self.logs() if level == "SEVERE"]

    def messages(self):
        """The viewer's console lines (printf output), in order."""
        out = []
        for level, message in self.logs():
            # Console entries read: <source> <line:column> "<text>"
            if message.endswith('"') and ' "' in message:
                out.append(message[message.index(' "') + 2:-1])
        return out

    def canvas_image(self):
        """The drawing buffer as RGB, rows downward from the top."""
        url = self.driver.execute_script("return document.getElementById('canvas').toDataURL('image/png')")
        png = base64.b64decode(url.split(",", 1)[1])
        ppm = subprocess.run(["convert", "png:-", "ppm:-"], input=png, capture_output=True, check=True,
                             timeout=30).stdout
        return harness.parse_ppm(ppm)

    def warnings(self):
        return [m for level, m in self.logs() if level == "WARNING"]

    def link(self):
        """The view link as the page writes it (without '#')."""
        return self.js("return Module.UTF8ToString(Module._vvViewLink())")

    def link_field(self, key):
        fields = dict(pair.split("=", 1) for pair in self.link().split("&") if "=" in pair)
        return fields.get(key)

    def wait_link_field(self, key, value, what=None):
        self.wait_for(lambda: self.link_field(key) == value, what=what or f"{key}={value} in the link")

    # -- the page's own controls -----------------------------------------
    def choose(self, element_id, value):
        """Picks an option of a select by its value, as a user would."""
        from selenium.webdriver.support.ui import Select
        Select(self.driver.find_element("id", element_id)).select_by_value(value)
        self.sync()

    def enter_number(self, element_id, value):
        """Types a number into a number field and commits it with Enter."""
        from selenium.webdriver.common.keys import Keys
        field = self.driver.find_element("id", element_id)
        field.clear()
        field.send_keys(str(value), Keys.ENTER)
        self.sync()

    def click_id(self, element_id):
        self.driver.find_element("id", element_id).click()
        self.sync()

    def drop_file(self, path, mime="image/png"):
        """Drops the file on the canvas, as dragging it from the desktop does."""
        with open(path, "rb") as f:
            data = base64.b64encode(f.read()).decode()
        self.js("""const bytes = Uint8Array.from(atob(arguments[0]), (c) => c.charCodeAt(0));
                   const transfer = new DataTransfer();
                   transfer.items.add(new File([bytes], arguments[1], { type: arguments[2] }));
                   const canvas = document.getElementById('canvas');
                   for (const type of ['dragenter', 'dragover', 'drop'])
                     canvas.dispatchEvent(new DragEvent(type, { dataTransfer: transfer, bubbles: true, cancelable: true }));""",
                data, os.path.basename(path), mime)

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def frame_count(self):
        """Frames drawn so far (the page counts them for its tests)."""
        return self.js("return Module._vvFramesDrawn()")

    def wait_drawn(self, after, what="a new frame"):
        """Waits until a frame after the count `after` has been drawn and no
        other is pending: the canvas then holds the state's frame."""
        self.wait_for(lambda: self.frame_count() > after, what=what)
        self.wait_idle()

    def wait_idle(self):
        """Waits until no frame is requested: every input so far is drawn."""
        self.wait_for(lambda: not self.js("return Module._vvFramePending()"), what="the pending frame")

    # -- touch and mouse through the DevTools protocol ---------------------
    def touch(self, kind, points):
        """kind: touchStart, touchMove, touchEnd; points: [(x, y), ...] in
        CSS px of the viewport, finger k with id k."""
        self.driver.execute_cdp_cmd("Input.dispatchTouchEvent", {
            "type": kind, "touchPoints": [{"x": x, "y": y, "id": k} for k, (x, y) in enumerate(points)]})

    def canvas_origin(self):
        box = self.js("const b = document.getElementById('canvas').getBoundingClientRect(); return [b.left, b.top]")
        return box[0], box[1]

    def mouse(self, kind, x, y, button="left", buttons=1, modifiers=0):
        """kind: mousePressed, mouseMoved, mouseReleased at viewport (x, y)."""
        self.driver.execute_cdp_cmd("Input.dispatchMouseEvent", {
            "type": kind, "x": x, "y": y, "button": button, "buttons": buttons, "modifiers": modifiers,
            "clickCount": 1 if kind != "mouseMoved" else 0})

    def click_canvas(self, x, y):
        """A left click at canvas pixel (x, y), wherever the page is scrolled."""
        left, top = self.canvas_origin()
        self.mouse("mousePressed", left + x, top + y)
        self.mouse("mouseReleased", left + x, top + y, buttons=0)
        self.sync()

    def wait_for(self, condition, timeout=15, what="condition"):
        deadline = time.time() + timeout
        while not condition():
            if time.time() > deadline:
                raise AssertionError(f"timed out waiting for {what}")
            time.sleep(0.05)

    def reload_offline(self, site):
        """Waits until the service worker controls the page and has filled its
        cache, stops `site` (the server the page came from), turns the HTTP
        cache off and loads the page again: only the worker can serve it."""
        self.wait_for(lambda: self.js("return !!navigator.serviceWorker.controller"), timeout=30,
                      what="the service worker to take the page")
        self.wait_for(lambda: self.js("""return window.vvCached === true ||
            (caches.keys().then(k => window.vvCached = k.length > 0), false)"""), what="the cache")
        site.__exit__(None, None, None)
        self.driver.execute_cdp_cmd("Network.enable", {})
        self.driver.execute_cdp_cmd("Network.setCacheDisabled", {"cacheDisabled": True})
        self.driver.get("about:blank")
        self.open()

    def settle(self, seconds=0.3):
        """Lets time pass: for animations, never as the proof that input was
        handled (that is `sync`)."""
        time.sleep(seconds)

    def sync(self):
        """Returns once the page has drawn the frame that follows the input
        sent so far. Input events run their handlers before the driver's
        action returns, and a handler asks for a redraw in the next animation
        frame; a callback queued now runs in that frame after the page's own,
        and a second one makes sure the first frame has been presented."""
        self.driver.execute_async_script(
            "const done = arguments[arguments.length - 1];"
            "requestAnimationFrame(() => requestAnimationFrame(() => done()));")

    # -- input -----------------------------------------------------------
    def actions(self):
        from selenium.webdriver.common.action_chains import ActionChains
        return ActionChains(self.driver, duration=10)

    def keys(self, *keys, delay=0):
        """Types the keys (characters or selenium Keys values) in order."""
        chain = self.actions()
        for key in keys:
            chain.send_keys(key)
        chain.perform()
        self.sync()
        self.settle(delay)

    def at(self, chain, x, y):
        """Moves to canvas pixel (x, y), counted from the top-left corner."""
        size = self.canvas.size
        return chain.move_to_element_with_offset(self.canvas, x - size["width"] // 2, y - size["height"] // 2)

    def drag(self, start, end, steps=10, delay=0):
        (x0, y0), (x1, y1) = start, end
        chain = self.at(self.actions(), x0, y0).click_and_hold()
        for i in range(steps):
            chain.move_by_offset((x1 - x0) * (i + 1) // steps - (x1 - x0) * i // steps,
                                 (y1 - y0) * (i + 1) // steps - (y1 - y0) * i // steps)
        chain.release().perform()
        self.sync()
        self.settle(delay)

    def menu_labels(self):
        return self.driver.execute_script(
            "return Array.from(document.querySelectorAll('#menu li')).map(e => e.textContent)")

    def open_menu(self, at=(100, 100)):
        self.at(self.actions(), *at).context_click().perform()
        self.wait_for(lambda: self.driver.find_element("id", "menu").is_displayed(), what="the menu to open")

    def pick(self, label, delay=0):
        """Opens the menu with the right button and clicks the entry."""
        self.open_menu()
        for item in self.driver.find_elements("css selector", "#menu li"):
            if item.text == label:
                self.actions().move_to_element(item).click().perform()
                self.sync()
                self.settle(delay)
                return
        raise AssertionError(f"no menu entry {label!r}")


def close_enough(a, b, levels):
    """Share of pixels whose channels all differ by at most `levels`."""
    assert (a.width, a.height) == (b.width, b.height), ((a.width, a.height), (b.width, b.height))
    n = a.width * a.height
    table = bytes(1 if d <= levels else 0 for d in range(256))
    # 1 per channel within range, then a pixel counts when all three are.
    within = bytes(abs(x - y) for x, y in zip(a.data[:3 * n], b.data[:3 * n])).translate(table)
    return sum(1 for i in range(0, 3 * n, 3) if within[i] and within[i + 1] and within[i + 2]) / n
