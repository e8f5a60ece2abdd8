"""Frame rendering of the real binary: what the start-up frame shows, stereo
views, blending, display modes, culling and decorations read from
screenshots, and the OpenGL calls of whole frames read from an apitrace
recording of the program."""

import math
import os
import re
import subprocess
import tempfile
import unittest

import harness
import hud
from harness import Viewer

# Colour classes as inclusive channel ranges. Anything drawn differs from
# the black background; three disjoint tests (by the first channel that is
# not 0) cover every such pixel. Axes and the target cross are drawn unlit in
# pure colours.
NON_BLACK = [dict(r=(1, 255)), dict(r=(0, 0), g=(1, 255)), dict(r=(0, 0), g=(0, 0), b=(1, 255))]
RED = dict(r=(255, 255), g=(0, 0), b=(0, 0))
GREEN = dict(r=(0, 0), g=(255, 255), b=(0, 0))
BLUE = dict(r=(0, 0), g=(0, 0), b=(255, 255))
CYAN = dict(r=(0, 0), g=(255, 255), b=(255, 255))


def non_black(shot, box=None):
    return sum(shot.count_rgb(box, **c) for c in NON_BLACK)


def disc_centroid(shot, box):
    """(x, y, n): centre and pixel count of everything drawn in `box`."""
    parts = [p for p in (shot.centroid(box, **c) for c in NON_BLACK) if p]
    n = sum(p[2] for p in parts)
    return sum(p[0] * p[2] for p in parts) / n, sum(p[1] * p[2] for p in parts) / n, n


def lit_pixels(shot, box):
    return [p for _, _, p in shot.region(*box) if sum(p) > 0]


def disc_box(cx, cy, radius):
    r = int(radius) + 3
    return (int(cx) - r, int(cy) - r, int(cx) + r + 2, int(cy) + r + 2)


class StartupFrame(unittest.TestCase):
    def test_mono_start_shows_the_lit_front_side_and_the_time_line(self):
        with Viewer() as v:
            v.wait_window()
            shot = v.screenshot()
            self.assertEqual(hud.read_hud(shot).lines, ("t = 0.0000, delta_t = 1/256", "", ""))
            # The first line's cells cover rows 21..38 from x = 20, texel for
            # texel: every cell matches its glyph exactly there and the line
            # does not read one pixel off; no other text ink is at the top.
            text = "t = 0.0000, delta_t = 1/256"
            self.assertEqual([hud.read_cell(shot, 20 + 10 * i, 38) for i in range(len(text))],
                             [(c, 0) for c in text])
            for dx, dy in ((0, -1), (0, 1), (-1, 0), (1, 0)):
                self.assertNotEqual("".join(hud.read_cell(shot, 20 + dx + 10 * i, 38 + dy)[0]
                                            for i in range(len(text))), text, (dx, dy))
            white = dict(r=(hud.INK_MIN, 255), g=(hud.INK_MIN, 255), b=(hud.INK_MIN, 255))
            self.assertEqual(shot.count_rgb((0, 0, 512, 21), **white), 0)
            self.assertEqual(shot.count_rgb((0, 39, 512, 110), **white), 0)
            self.assertEqual(shot.count_rgb((0, 21, 20, 39), **white), 0)

            # The sphere: centred, of the computed size.
            radius = harness.sphere_radius_px(256)
            cx, cy, n = disc_centroid(shot, (0, 110, 512, 512))
            self.assertAlmostEqual(cx, 255.5, delta=harness.CENTROID_TOLERANCE)
            self.assertAlmostEqual(cy, 255.5, delta=harness.CENTROID_TOLERANCE)
            self.assertAlmostEqual(n / (math.pi * radius ** 2), 1, delta=harness.AREA_TOLERANCE)

            # Only the front colour is seen from outside: green is 0.9 of red
            # wherever the highlight does not whiten the pixel, and no pixel
            # leans to the blue-violet of the back.
            pixels = lit_pixels(shot, disc_box(cx, cy, radius))
            diffuse = sorted(g / r for r, g, b in pixels if r > 60 and b < 20)
            self.assertGreater(len(diffuse), 0.8 * len(pixels))
            self.assertAlmostEqual(diffuse[len(diffuse) // 2], 0.9, delta=0.02)
            self.assertEqual(sum(1 for r, g, b in pixels if b > g), 0)
            self.assertEqual(v.stdout(), "")

    def test_stereo_start_shows_two_views_with_their_own_text(self):
        with Viewer("-s") as v:
            v.wait_window()
            shot = v.screenshot()
            self.assertEqual((shot.width, shot.height), (1024, 512))
            offset = harness.stereo_offset_px(0.1, 256)
            area = math.pi * harness.sphere_radius_px(256) ** 2
            for view, centre in ((0, 255.5 + offset), (1, 512 + 255.5 - offset)):
                with self.subTest(view=view):
                    self.assertEqual(hud.read_hud(shot, view, 2).lines,
                                     ("t = 0.0000, delta_t = 1/256", "", "stereo distance = 0.100"))
                    # The alpha line keeps its place empty without blending.
                    self.assertEqual(hud.ink_count(shot, 2, view, 2), 0)
                    cx, cy, n = disc_centroid(shot, (512 * view, 110, 512 * view + 512, 512))
                    self.assertAlmostEqual(cx, centre, delta=harness.CENTROID_TOLERANCE)
                    self.assertAlmostEqual(cy, 255.5, delta=harness.CENTROID_TOLERANCE)
                    self.assertAlmostEqual(n / area, 1, delta=harness.AREA_TOLERANCE)

            # With blending every view shows all three lines.
            v.key("a", delay=0)
            shot = v.wait_for(lambda s: hud.read_line(s, 2, 1, 2) == "alpha = 0.300", what="alpha line")
            lines = ("t = 0.0000, delta_t = 1/256", "alpha = 0.300", "stereo distance = 0.100")
            for view in (0, 1):
                self.assertEqual(hud.read_hud(shot, view, 2).lines, lines)

            # An odd window width: each view is 511 pixels wide (truncated),
            # so the right view and its text start at x = 511.
            v.resize(1023, 512, delay=0)
            shot = v.wait_for(lambda s: s.width == 1023 and hud.read_hud(s, 1, 2).lines == lines,
                              what="the right view's text at x = 531")
            self.assertEqual(hud.read_hud(shot, 0, 2).lines, lines)


class Options(unittest.TestCase):
    """One session: each option is switched on, checked, and switched off
    again, which must give back the start-up frame exactly."""

    def test_blending_modes_culling_and_decorations(self):
        with Viewer() as v:
            v.wait_window()
            start = v.screenshot()
            box = disc_box(255.5, 255.5, harness.sphere_radius_px(256))

            def back_to_start(*keys):
                v.key(*keys, delay=0)
                v.wait_for(lambda s: s.data == start.data, what=f"the start frame after {keys}")

            with self.subTest("blending"):
                v.key("a", delay=0)
                shot = v.wait_for(lambda s: hud.read_line(s, 2) == "alpha = 0.300", what="alpha line")
                self.assertEqual(hud.read_line(shot, 1), "t = 0.0000, delta_t = 1/256")
                # Away from the highlight every layer is scaled by alpha, so
                # the front is darker than opaque; without depth test the
                # inside of the far half adds its blue through it.
                flank = (140, 250, 200, 262)
                opaque = [p for _, _, p in start.region(*flank)]
                blended = [p for _, _, p in shot.region(*flank)]
                self.assertLess(sum(p[0] for p in blended), 0.75 * sum(p[0] for p in opaque))
                self.assertGreater(sum(p[2] for p in blended), 2 * sum(p[2] for p in opaque))
                back_to_start("a")

            with self.subTest("display modes"):
                # space: 2 -> 3 -> 4 -> 0 -> 1 -> 2.
                area = non_black(start, box)
                v.key("space", delay=0)
                checker = v.wait_for(lambda s: s.data != start.data, what="checkerboard")
                v.key("space", delay=0)
                rows = v.wait_for(lambda s: s.data != checker.data, what="alternate rows")
                for shot in (checker, rows):
                    # Holes in the front half show the inside of the far half.
                    pixels = lit_pixels(shot, box)
                    front = sum(1 for r, g, b in pixels if b < 0.5 * r)
                    back = sum(1 for r, g, b in pixels if b > g and r > g)
                    self.assertGreater(front, 0.3 * area)
                    self.assertGreater(back, 0.1 * area)
                    self.assertLess(len(pixels), 0.9 * area)
                self.assertGreater(checker.differs(rows, box), 0.2 * area)
                v.key("space", delay=0)
                points = v.wait_for(lambda s: s.data != rows.data, what="points")
                v.key("space", delay=0)
                wires = v.wait_for(lambda s: s.data != points.data, what="wireframe")
                for shot, low, high in ((points, 0.01, 0.1), (wires, 0.3, 0.9)):
                    pixels = lit_pixels(shot, box)
                    self.assertTrue(low * area < len(pixels) < high * area, len(pixels))
                    # Unlit and white: every drawn pixel is a grey.
                    self.assertTrue(all(r == g == b for r, g, b in pixels))
                back_to_start("space")

            with self.subTest("flat shading"):
                v.key("s", delay=0)
                flat = v.wait_for(lambda s: s.data != start.data, what="flat shading")
                self.assertGreater(flat.differs(start, box), 0.5 * non_black(start, box))
                back_to_start("s")

            with self.subTest("culling"):
                # Back faces culled: the outside of a closed surface is all
                # front faces, so nothing visible changes.
                v.key("b")
                self.assertEqual(v.screenshot().data, start.data)
                # Front faces culled: the inside of the far half shows.
                v.key("f", delay=0)
                inside = v.wait_for(lambda s: s.data != start.data, what="front faces culled")
                pixels = lit_pixels(inside, box)
                self.assertGreater(sum(1 for r, g, b in pixels if b > g and r > g), 0.95 * len(pixels))
                # Culling off: cullBackFaces no longer matters.
                back_to_start("b")
                v.key("f")
                self.assertEqual(v.screenshot().data, start.data)

            with self.subTest("world axes"):
                v.key("w", delay=0)
                axes = v.wait_for(lambda s: s.count_rgb(None, **RED) > 0, what="axes")
                # From (-1, -1, -1): all three run below left of the centre,
                # the x axis (red) to the right of the y axis (green).
                found = {name: axes.centroid(None, **c) for name, c in (("x", RED), ("y", GREEN), ("z", BLUE))}
                for name, c in found.items():
                    self.assertIsNotNone(c, name)
                    self.assertGreater(c[2], 10, name)
                    self.assertLess(c[0], 255, name)
                    self.assertGreater(c[1], 256, name)
                self.assertGreater(found["x"][0], found["y"][0])
                back_to_start("w")

            with self.subTest("target cross"):
                # The target is the centre of the sphere: hidden by it.
                v.key("t")
                self.assertEqual(v.screenshot().count_rgb(None, **CYAN), 0)
                # Among points it shows: a cyan cross at the centre whose arms
                # span 5 % of the view each way (51.2 pixels across).
                v.key("space", "space", "space", delay=0)
                cross = v.wait_for(lambda s: s.count_rgb(None, **CYAN) > 50, what="target cross")
                cx, cy, _ = cross.centroid(None, **CYAN)
                self.assertAlmostEqual(cx, 255.5, delta=harness.CENTROID_TOLERANCE)
                self.assertAlmostEqual(cy, 255.5, delta=harness.CENTROID_TOLERANCE)
                row = [x for x in range(512) if cross.pixel(x, 256) == (0, 255, 255)]
                self.assertAlmostEqual(len(row), 0.1 * 512, delta=2)
                back_to_start("t", "space", "space")
            self.assertEqual(v.stdout(), "")


# ---------------------------------------------------------------------------
# apitrace: the calls of whole frames.

CALL = re.compile(r"^\d+ (\w+)\((.*)\)(?: = .*?)?(?: // .*)?$")


def split_top(text):
    """Splits at the commas that are not inside braces."""
    parts, depth, start = [], 0, 0
    for i, ch in enumerate(text):
        depth += ch == "{"
        depth -= ch == "}"
        if ch == "," and depth == 0:
            parts.append(text[start:i])
            start = i + 1
    if text.strip():
        parts.append(text[start:])
    return [p.strip() for p in parts]


def parse_value(text):
    text = text.strip()
    if text.startswith("&"):
        return parse_value(text[1:])
    if text.startswith("{"):
        return tuple(parse_value(p) for p in split_top(text[1:-1]))
    if " | " in text:
        return frozenset(text.split(" | "))
    try:
        return float(text)
    except ValueError:
        return text


def parse_dump(dump):
    """The frames of a dump: lists of (name, args) ending at each buffer
    swap. Window-system calls other than the swap are dropped."""
    frames, current = [], []
    for line in dump.splitlines():
        m = CALL.match(line)
        if not m:
            continue
        name = m.group(1)
        if name == "glXSwapBuffers":
            frames.append(current)
            current = []
        elif not name.startswith("glX"):
            args = tuple(parse_value(a.split(" = ", 1)[1]) for a in split_top(m.group(2)))
            current.append((name, args))
    return frames


def condense(calls):
    """Replaces each glBegin .. glEnd batch by ("batch", mode, vertices) and
    returns (tokens, batches), `batches` holding each batch's calls."""
    tokens, batches, i = [], [], 0
    while i < len(calls):
        name, args = calls[i]
        if name == "glBegin":
            j = i + 1
            while calls[j][0] != "glEnd":
                j += 1
            body = calls[i + 1:j]
            tokens.append(("batch", args[0], sum(1 for c in body if c[0].startswith("glVertex"))))
            batches.append(body)
            i = j + 1
        else:
            tokens.append((name, args))
            i += 1
    return tokens, batches


def quad_text(body):
    """The characters of a GL_QUADS text batch, from each quad's texture
    rectangle: glyph g sits in a 12 x 20 cell of a 256-texel texture, 13
    cells a row, one texel inside the cell's border."""
    text = []
    for k in range(0, len(body), 8):
        s0, t1 = body[k][1]
        px, py = round(s0 * 256), round(t1 * 256) - 18
        text.append(chr(32 + (px - 1) // 12 + 13 * ((py - 1) // 20)))
    return "".join(text)


def look_at(eye, centre, up):
    """gluLookAt as a column-major rotation and the translation by -eye."""
    def norm(v):
        n = math.sqrt(sum(c * c for c in v))
        return tuple(c / n for c in v)

    def cross(a, b):
        return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])

    f = norm(tuple(c - e for c, e in zip(centre, eye)))
    s = norm(cross(f, up))
    u = cross(s, f)
    m = (s[0], u[0], -f[0], 0, s[1], u[1], -f[1], 0, s[2], u[2], -f[2], 0, 0, 0, 0, 1)
    return m, tuple(-e for e in eye)


# Trace values are printed with about 7 significant digits.
TRACE_TOLERANCE = 2e-6
ANY = object()


def expected_view(view, views, blending, lines, width):
    """The calls of one view from the projection to the end of its text, as
    tokens; `ANY` matches any argument."""
    a = 0.3 if blending else 1.0
    s = 2 * harness.NEAR_HALF_EXTENT
    near_w, near_h = (s, s * 512 / width) if width < 512 else (s * width / 512, s)
    shift, eye_x = 0.0, 0.0
    if views == 2:
        sign = 1 if view == 1 else -1
        shift = sign * 0.1 * 0.5 * 0.2 / harness.HOME_DISTANCE
        eye_x = sign * 0.05
    rotation, translation = look_at((eye_x, 0, harness.HOME_DISTANCE), (0, 0, 0), (0, 1, 0))
    tokens = []
    if views == 2:
        tokens.append(("glViewport", (view * width, 0, width, 512)))
    tokens += [
        ("glMatrixMode", ("GL_PROJECTION",)), ("glLoadIdentity", ()),
        ("glFrustum", (shift - near_w / 2, shift + near_w / 2, -near_h / 2, near_h / 2, 0.2, 30)),
        ("glMatrixMode", ("GL_MODELVIEW",)), ("glLoadIdentity", ()),
        # gluLookAt, as the GLU library issues it.
        (("glMultMatrixf", "glMultMatrixd"), (rotation,)), ("glTranslated", translation),
        ("glDisable", ("GL_CULL_FACE",)),
        ("glMaterialfv", ("GL_FRONT_AND_BACK", "GL_SPECULAR", (1, 1, 1, 1))),
        ("glMaterialfv", ("GL_FRONT_AND_BACK", "GL_SHININESS", 50)),
        ("glMaterialfv", ("GL_FRONT", "GL_DIFFUSE", (a, 0.9 * a, 0, 1))),
        ("glMaterialfv", ("GL_BACK", "GL_DIFFUSE", (0.6 * a, 0.05 * a, 0.95 * a, 1))),
        # Behind the viewer: eye + (eye - target), from the mono eye.
        ("glLightfv", ("GL_LIGHT0", "GL_POSITION", (0, 0, 2 * harness.HOME_DISTANCE, 1))),
        ("glEnable", ("GL_LIGHT0",)), ("glEnable", ("GL_LIGHTING",)),
        ("glLightModeli", ("GL_LIGHT_MODEL_TWO_SIDE", 1)), ("glShadeModel", ("GL_SMOOTH",)),
    ]
    if blending:
        tokens += [("glBlendFunc", ("GL_ONE", "GL_ONE")), ("glEnable", ("GL_BLEND",)),
                   ("glDisable", ("GL_DEPTH_TEST",))]
    tokens += [("glColor3f", (1, 1, 1)), ("glFrontFace", ("GL_CW",)), ("glMatrixMode", ("GL_MODELVIEW",))]
    # One strip of one hemisphere, replayed 8 times per hemisphere: strip s
    # of hemisphere 0 turned by -45 s degrees about z, of hemisphere 1 (the
    # half turn about y) by 45 (s + 1).
    for h in (0, 1):
        tokens += [("glPushMatrix", ()), ("glRotatef", (180 * h, 0, 1, 0))]
        for strip in range(8):
            k = -strip if h == 0 else strip + 1
            tokens += [("glPushMatrix", ()), ("glRotatef", (45 * k, 0, 0, 1))]
            tokens += [("batch", "GL_TRIANGLE_STRIP", 26)] * 12
            tokens += [("glPopMatrix", ())]
        tokens += [("glPopMatrix", ())]
    tokens += [("glDisable", ("GL_LIGHTING",))]
    if blending:
        tokens += [("glDisable", ("GL_BLEND",)), ("glEnable", ("GL_DEPTH_TEST",))]
    tokens += [("glDisable", ("GL_CULL_FACE",)),
               ("glMatrixMode", ("GL_MODELVIEW",)), ("glPushMatrix", ()), ("glLoadIdentity", ()),
               ("glMatrixMode", ("GL_PROJECTION",)), ("glPushMatrix", ()), ("glLoadIdentity", ()),
               ("glOrtho", (0, width, 0, 512, -1, 1)), ("glMatrixMode", ("GL_MODELVIEW",))]
    for text in lines:
        tokens += [
            ("glBindTexture", ("GL_TEXTURE_2D", ANY)),
            ("glTexParameteri", ("GL_TEXTURE_2D", "GL_TEXTURE_WRAP_S", "GL_CLAMP")),
            ("glTexParameteri", ("GL_TEXTURE_2D", "GL_TEXTURE_WRAP_T", "GL_CLAMP")),
            ("glTexParameteri", ("GL_TEXTURE_2D", "GL_TEXTURE_MIN_FILTER", "GL_LINEAR")),
            ("glTexParameteri", ("GL_TEXTURE_2D", "GL_TEXTURE_MAG_FILTER", "GL_LINEAR")),
            ("glTexEnvi", ("GL_TEXTURE_ENV", "GL_TEXTURE_ENV_MODE", "GL_MODULATE")),
            ("glEnable", ("GL_TEXTURE_2D",)), ("glEnable", ("GL_BLEND",)),
            ("glBlendFunc", ("GL_SRC_ALPHA", "GL_ONE_MINUS_SRC_ALPHA")), ("glShadeModel", ("GL_FLAT",)),
            ("batch", "GL_QUADS", 4 * len(text)),
            ("glDisable", ("GL_BLEND",)), ("glDisable", ("GL_TEXTURE_2D",)),
        ]
    tokens += [("glMatrixMode", ("GL_PROJECTION",)), ("glPopMatrix", ()), ("glMatrixMode", ("GL_MODELVIEW",)),
               ("glPopMatrix", ())]
    return tokens


def same_value(actual, expected):
    if expected is ANY:
        return True
    if isinstance(expected, tuple):
        return isinstance(actual, tuple) and len(actual) == len(expected) and all(
            same_value(a, e) for a, e in zip(actual, expected))
    if isinstance(expected, (int, float)) and isinstance(actual, float):
        return abs(actual - expected) <= TRACE_TOLERANCE * max(1, abs(expected))
    return actual == expected


def same_token(actual, expected):
    if actual[0] == "batch" or expected[0] == "batch":
        return actual == expected
    names = expected[0] if isinstance(expected[0], tuple) else (expected[0],)
    return actual[0] in names and same_value(actual[1], expected[1])


class Trace(unittest.TestCase):
    def test_call_sequence_of_mono_blended_and_stereo_frames(self):
        with tempfile.TemporaryDirectory() as tmp:
            trace = os.path.join(tmp, "frames.trace")
            with Viewer(wrapper=["apitrace", "trace", "-o", trace]) as v:
                v.wait_window()
                v.key("plus")
                v.key("a")
                v.key("F7")
                v.key("Escape", delay=0)
                self.assertEqual(v.wait_exit(20), 0)
            dump = subprocess.run(["apitrace", "dump", trace], capture_output=True, text=True, check=True,
                                  timeout=120).stdout
        frames = [condense(f) for f in parse_dump(dump)]

        # The font texture is made once, in the first frame.
        self.assertEqual(dump.count("glTexImage2D("), 1)

        def frame_with(lines):
            """The last frame whose text batches read `lines` in order."""
            for tokens, batches in reversed(frames):
                quads = [b for t, b in zip([t for t in tokens if t[0] == "batch"], batches)
                         if t[1] == "GL_QUADS"]
                if [quad_text(b) for b in quads] == lines:
                    return tokens, batches
            self.fail(f"no frame shows {lines}")

        time_line = "t = 0.0039, delta_t = 1/256"
        cases = [
            ("mono", [time_line], 1, False, 512),
            ("blended", [time_line, "alpha = 0.300"], 1, True, 512),
            ("stereo", [time_line, "alpha = 0.300", "stereo distance = 0.100"] * 2, 2, True, 256),
        ]
        for name, lines, views, blending, width in cases:
            with self.subTest(name):
                tokens, batches = frame_with(lines)
                # Calls before the clear belong to other callbacks (reshape).
                start = tokens.index(("glClear", (frozenset({"GL_COLOR_BUFFER_BIT", "GL_DEPTH_BUFFER_BIT"}),)))
                expected = [("glClear", ANY), ("glDepthFunc", ("GL_LEQUAL",)), ("glEnable", ("GL_DEPTH_TEST",))]
                per_view = len(lines) // views
                for view in range(views):
                    expected += expected_view(view, views, blending,
                                              lines[view * per_view:(view + 1) * per_view], width)
                actual = tokens[start:]
                # glutSwapBuffers flushes before the swap.
                if actual and actual[-1] == ("glFlush", ()):
                    actual = actual[:-1]
                self.assertEqual(len(actual), len(expected), name)
                for i, (a, e) in enumerate(zip(actual, expected)):
                    self.assertTrue(same_token(a, e), f"call {i}: {a} but expected {e}")
                self.check_surface(batches)
                self.check_text_quads(batches, lines)

    def check_surface(self, batches):
        """Every replay of the strip (16 per view) sends the very same
        vertices, each a normal then a position, with unit normals."""
        strips = [b for b in batches if b and b[0][0] == "glNormal3fv"]
        self.assertIn(len(strips), (16 * 12, 2 * 16 * 12))
        first = strips[:12]
        for r in range(1, len(strips) // 12):
            self.assertEqual(strips[12 * r:12 * (r + 1)], first, f"replay {r}")
        for body in first:
            self.assertEqual([c[0] for c in body], ["glNormal3fv", "glVertex3fv"] * 26)
            for name, (n,) in body[0::2]:
                self.assertAlmostEqual(math.sqrt(sum(c * c for c in n)), 1, delta=1e-5)

    def check_text_quads(self, batches, lines):
        """Each line's cells are 10 x 18 pixels from x = 20 of its view, with
        the bottom edge at 512 - y - 1 for the line's overlay row y."""
        quads = [b for b in batches if b and b[0][0] == "glTexCoord2f"]
        self.assertEqual(len(quads), len(lines))
        for text, body in zip(lines, quads):
            y = {"t": 38, "a": 61, "s": 84}[text[0]]
            bottom = 512 - y - 1
            for i in range(len(text)):
                x0 = 20 + 10 * i
                corners = [body[8 * i + 2 * k + 1][1] for k in range(4)]
                self.assertEqual(corners, [(x0, bottom), (x0 + 10, bottom), (x0 + 10, bottom + 18),
                                           (x0, bottom + 18)])


if __name__ == "__main__":
    harness.main()
