"""The look by origin on the page, in real headless Chromium: each control
draws the frame its query-string option draws, a link with the look fields
comes back pixel for pixel, "Pick point" adds a track whose marker sits under
the pointer, a picture reaches the surface through the file picker and by
drag and drop, and a picture that is not equirectangular is refused with one
console warning while the page goes on."""

import os
import struct
import sys
import tempfile
import unittest
import zlib

try:
    import selenium  # noqa: F401
except ImportError:
    if sys.executable != "/usr/bin/python3" and os.path.exists("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3", *sys.argv])
    raise

import browser

RED, GREEN, BLUE, YELLOW = (230, 20, 20), (20, 230, 20), (20, 20, 230), (230, 230, 20)


def write_png(path, width, height, colour_at):
    """An 8-bit RGB PNG of colour_at(x, y), rows from the top."""
    rows = b"".join(b"\0" + b"".join(bytes(colour_at(x, y)) for x in range(width)) for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
                chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def quadrants(x, y, width=64, height=32):
    """North on top, longitude -180 at the left: red north-west, green
    north-east, blue south-west, yellow south-east."""
    north, east = y < height // 2, x >= width // 2
    return (GREEN if east else RED) if north else (YELLOW if east else BLUE)


def dominant(pixel):
    """The picture's colour that a lit pixel shows, by which channels lead."""
    r, g, b = pixel
    high = [c > 2 * min(pixel) + 30 for c in (r, g, b)]
    return {(True, False, False): "red", (False, True, False): "green", (False, False, True): "blue",
            (True, True, False): "yellow"}.get(tuple(high), str(pixel))


@unittest.skipUnless(browser.site_built(), f"no web build in {browser.SITE_DIR}: run scripts/web.sh")
class WebLook(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.site = browser.Site().__enter__()
        cls.folder = tempfile.TemporaryDirectory()

    @classmethod
    def tearDownClass(cls):
        cls.site.__exit__(None, None, None)
        cls.folder.cleanup()

    def drawn(self, page, act):
        """Runs the input and returns the frame it leads to."""
        before = page.frame_count()
        act()
        page.wait_drawn(before)
        page.sync()
        return page.canvas_image()

    def test_controls_draw_what_the_options_draw_and_show_them(self):
        cases = [
            ("?--colours&latitude&--graticule&30&--orthographic",
             [("choose", "colours", "latitude"), ("number", "graticuleDegrees", 30), ("click", "orthographic", None)],
             {"colours": "latitude", "graticuleDegrees": "30", "graticule": True, "orthographic": True}),
            ("?--colours&longitude&--bands&longitude&6",
             [("number", "bandCount", 6), ("choose", "bands", "longitude"), ("choose", "colours", "longitude")],
             {"colours": "longitude", "bands": "longitude", "bandCount": "6", "graticule": False}),
        ]
        with browser.Page(site=self.site) as page:
            for query, controls, shown in cases:
                with self.subTest(query):
                    page.open(query, fresh=True)
                    expected = page.canvas_image()
                    for key, value in shown.items():
                        prop = "checked" if isinstance(value, bool) else "value"
                        self.assertEqual(page.js(f"return document.getElementById('{key}').{prop}"), value, key)

                    page.open("", fresh=True)
                    plain = page.canvas_image()
                    for kind, element, value in controls:
                        frames = page.frame_count()
                        {"choose": page.choose, "number": page.enter_number}.get(
                            kind, lambda e, v=None: page.click_id(e))(element, value)
                        if kind != "number" or element != "bandCount":  # a count alone draws nothing new
                            page.wait_drawn(frames)
                    page.sync()
                    got = page.canvas_image()
                    self.assertNotEqual(got.data, plain.data)
                    self.assertEqual(got.data, expected.data)
            # Back to the plain sides, through the same controls.
            page.choose("bands", "none")
            page.choose("colours", "sides")
            page.wait_link_field("bands", "none")
            page.wait_idle()
            page.sync()
            self.assertEqual(page.canvas_image().data, plain.data)
            self.assertEqual(page.errors(), [])
            self.assertEqual(page.warnings(), [])

    def test_link_with_the_look_comes_back_pixel_exact(self):
        fragment = ("#t=0.3&colours=longitude&bands=latitude,5&graticule=20&tracks=30,40;-10.25,100&ortho=1"
                    "&cam=0.5,3,8,0,0,0,0,0.936329178,-0.351123452")
        with browser.Page(fragment, site=self.site) as page:
            link = page.link()
            self.assertIn("tracks=30,40;-10.25,100", link)
            first = page.canvas_image()
            page.open("#" + link, fresh=True)
            self.assertEqual(page.link(), link)
            self.assertEqual(page.canvas_image().data, first.data)
            # A link cannot carry a picture: the image scheme falls back.
            page.open("#colours=image", fresh=True)
            self.assertEqual(page.link_field("colours"), "sides")
            self.assertEqual(len([w for w in page.warnings() if "colours" in w]), 1, page.warnings())
            self.assertEqual(page.errors(), [])

    def test_pick_point_adds_a_track_under_the_pointer(self):
        with browser.Page(site=self.site) as page:
            self.assertEqual(page.link_field("tracks"), "")
            camera = page.link_field("cam")
            spot = (300, 215)
            before = page.canvas_image()
            page.click_id("pickPoint")
            self.assertEqual(page.js("return document.getElementById('pickPoint').getAttribute('aria-pressed')"), "true")
            frames = page.frame_count()
            page.click_canvas(*spot)
            page.wait_drawn(frames)
            page.sync()
            tracks = page.link_field("tracks")
            self.assertEqual(len(tracks.split(";")), 1)
            # Up and to the right of the north pole: east of longitude 0,
            # with the hundredths of a degree the page keeps.
            latitude, longitude = (float(x) for x in tracks.split(","))
            self.assertTrue(45 < latitude < 80 and 20 < longitude < 70, tracks)
            self.assertEqual(tracks, f"{latitude:g},{longitude:g}")
            self.assertEqual(page.js("return document.getElementById('trackCount').textContent"), "1 track")
            after = page.canvas_image()
            # The marker, a white dot in a red ring, is drawn where the pointer was.
            self.assertNotEqual(before.pixel(*spot), (255, 255, 255))
            self.assertEqual(after.pixel(*spot), (255, 255, 255))
            ring = after.pixel(spot[0] + 5, spot[1])
            self.assertTrue(ring[0] > 200 and ring[1] < 80 and ring[2] < 80, ring)
            # The press picked and did not turn the view.
            self.assertEqual(page.link_field("cam"), camera)
            page.click_id("clearTracks")
            page.wait_link_field("tracks", "")
            self.assertEqual(page.errors(), [])

    def test_on_a_phone_targets_are_large_named_and_a_tap_picks(self):
        with browser.Page(phone=(390, 844, 3.0), site=self.site) as page:
            controls = page.js("""
                return [...document.querySelectorAll('#lookPanel select, #lookPanel input, #lookPanel button')]
                  .map((e) => {
                    const target = e.type === 'checkbox' ? e.closest('label') : e;
                    const box = target.getBoundingClientRect();
                    const name = e.getAttribute('aria-label') || (e.labels && e.labels[0] && e.labels[0].textContent)
                                 || e.textContent;
                    return [e.id, Math.min(box.width, box.height), name.trim(), e.tabIndex];
                  });""")
            self.assertEqual(len(controls), 9)
            for element, size, name, tab in controls:
                with self.subTest(element):
                    self.assertGreaterEqual(size, 44)
                    self.assertTrue(name)
                    self.assertGreaterEqual(tab, 0)
            page.click_id("pickPoint")  # below the canvas: the page scrolled to it
            page.js("document.getElementById('canvas').scrollIntoView()")
            left, top = page.canvas_origin()
            side = page.js("return document.getElementById('canvas').getBoundingClientRect().width")
            frames = page.frame_count()
            page.touch("touchStart", [(left + side * 0.6, top + side * 0.4)])
            page.touch("touchEnd", [])
            page.wait_drawn(frames)
            self.assertEqual(page.js("return document.getElementById('trackCount').textContent"), "1 track")
            # Up and right of the pole, and the finger turned nothing.
            latitude, longitude = (float(x) for x in page.link_field("tracks").split(","))
            self.assertTrue(30 < latitude < 80 and 0 < longitude < 90, (latitude, longitude))
            self.assertEqual(page.errors(), [])

    def test_pictures_through_the_file_picker_and_by_drop(self):
        square = os.path.join(self.folder.name, "quadrants.png")
        write_png(square, 64, 32, quadrants)
        skewed = os.path.join(self.folder.name, "three-by-two.png")
        write_png(skewed, 3, 2, lambda x, y: RED)
        with browser.Page(site=self.site) as page:
            # The home view at t = 0 looks at the north pole from +z, x to the right.
            page.driver.find_element("id", "imageFile").send_keys(square)
            page.wait_link_field("colours", "image")
            page.wait_idle()
            page.sync()
            self.assertEqual(page.js("return document.getElementById('colours').value"), "image")
            north = page.canvas_image()
            self.assertEqual(dominant(north.pixel(256 + 40, 256 - 40)), "green")  # longitude 45
            self.assertEqual(dominant(north.pixel(256 - 40, 256 + 40)), "red")    # longitude -135

            # Seen from below (x now to the left), dropped anew on the sides.
            page.choose("colours", "sides")
            page.wait_link_field("colours", "sides")
            page.js("Module._vvApplyLinkText('cam=0,0,-8.5,0,0,0,0,1,0')")
            page.drop_file(square)
            page.wait_link_field("colours", "image")
            page.wait_idle()
            page.sync()
            south = page.canvas_image()
            self.assertEqual(dominant(south.pixel(256 + 40, 256 - 40)), "yellow")  # longitude 135
            self.assertEqual(dominant(south.pixel(256 + 40, 256 + 40)), "blue")    # longitude -135

            # Three by two is refused once, and the page goes on.
            page.choose("colours", "latitude")
            page.wait_link_field("colours", "latitude")
            warned = len(page.warnings())
            page.driver.find_element("id", "imageFile").send_keys(skewed)
            page.wait_for(lambda: len(page.warnings()) > warned, what="the warning")
            page.sync()
            new = page.warnings()[warned:]
            self.assertEqual(len(new), 1, new)
            self.assertIn("3x2, not equirectangular", new[0])
            self.assertEqual(page.link_field("colours"), "latitude")
            self.drawn(page, lambda: page.click_id("orthographic"))
            self.assertEqual(page.link_field("ortho"), "1")
            self.assertIn("Running", page.status())
            self.assertEqual(page.errors(), [])


if __name__ == "__main__":
    unittest.main()
