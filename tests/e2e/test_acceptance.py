"""A user's journey through the viewer, checked from an OpenGL trace alone.

The real binary runs under `apitrace trace` on a private X server; keys
drive it as a user would and Esc ends it, which is when apitrace writes the
trace. Every frame in the trace is then compared, call by call and argument
by argument, with the frame that the rendering order prescribes for the
state the keys have reached so far: clear and depth set-up, per view the
viewport (stereo), projection and look-at, decorations, culling, polygon
mode, materials and light, blending, the surface batches under their strip
and hemisphere rotations, the undo steps, the heads-up text and the swap.
The surface vertices are compared with the grid that the project's own
construction code prints (tests/tools/grid_dump.cpp), and the heads-up text
is read back from the glyphs' texture coordinates, as a user reads the
screen.
"""

import math
import os
import subprocess
import tempfile
import unittest
from dataclasses import dataclass, replace

import harness
from harness import Viewer
import trace as gltrace

GRID_DUMP = os.environ.get("GRID_DUMP") or os.path.join(
    os.environ.get("VV_BUILD_DIR", os.path.join(os.path.dirname(__file__), "../../build")), "tests", "grid_dump")

# apitrace prints single-precision arguments with 7 significant digits (a
# relative error up to 5e-8) and the camera computes in floats (a few 1e-8
# relative); the expectations below are exact values in double.
RELATIVE_TOLERANCE = 1e-6
# Quantities that are zero in exact arithmetic come out of float round-off
# as a few 1e-8 (a product of unit vectors, say).
ABSOLUTE_TOLERANCE = 1e-7
# Grid vertices against the construction's own floats: the 7 printed digits
# of coordinates below 2 are within 1e-6.
GRID_TOLERANCE = 1e-6

# The camera of a scene of radius 2 about the origin: near and far planes at
# 0.1 and 15 radii, a 30-degree field of view across the smaller viewport
# side, and the home eye on +z at 1.1 times the distance where the radius
# fills half that side.
NEAR = 0.2
FAR = 30.0
HALF_EXTENT = NEAR * math.tan(math.radians(15))
HOME = 2.0 * 1.1 / math.tan(math.radians(15))

# Heads-up text: 10 x 18 glyph cells from x = 20, bottom edges at these rows
# counted down from the top of the view.
TEXT_X = 20
TIME_LINE_Y, ALPHA_LINE_Y, STEREO_LINE_Y = 38, 61, 84


# -- the state a user has reached ------------------------------------------

@dataclass(frozen=True)
class State:
    t: float = 0.0
    steps: int = 256          # delta_t = 1 / steps
    total: int = 8            # strips around the sphere
    shown: int = 8
    hemispheres: int = 2
    lat: int = 12             # latitudinal patches
    lon: int = 12             # longitudinal patches
    half: bool = False        # half strips
    mode: int = 2             # 0 points, 1 wireframe, 2 strips, 3 checkerboard, 4 alternate rows
    smooth: bool = True
    blending: bool = False
    culling: bool = False
    cull_back: bool = True
    axes: bool = False
    target: bool = False
    text: bool = True
    stereo: bool = False
    distance: float = 0.1
    width: int = 512          # window
    height: int = 512

    def view_width(self):
        return self.width // 2 if self.stereo else self.width

    def grid_key(self):
        return (self.t, self.total, self.lat, self.lon, self.half)


# -- matching calls ----------------------------------------------------------

class Check:
    """An expected argument tested by a predicate instead of a value."""

    def __init__(self, description, predicate):
        self.description, self.predicate = description, predicate

    def __repr__(self):
        return self.description


ANY = Check("anything", lambda value: True)


def close(actual, expected):
    return abs(actual - expected) <= RELATIVE_TOLERANCE * abs(expected) + ABSOLUTE_TOLERANCE


def same(actual, expected):
    if isinstance(expected, Check):
        return expected.predicate(actual)
    number = (int, float)
    if isinstance(expected, number) and not isinstance(expected, bool):
        return isinstance(actual, number) and close(actual, expected)
    if isinstance(expected, (list, tuple)):
        return isinstance(actual, list) and len(actual) == len(expected) and all(
            same(a, e) for a, e in zip(actual, expected))
    return actual == expected


@dataclass
class Want:
    """One expected call."""
    name: str
    args: list

    def mismatch(self, event):
        if not isinstance(event, gltrace.Call) or event.name != self.name:
            return f"expected {self}, found {event!r}"
        if not same(event.values(), self.args):
            return f"expected {self}, found {event!r}"
        return None

    def __repr__(self):
        return f"{self.name}({', '.join(map(repr, self.args))})"


@dataclass
class WantBatch:
    """One expected glBegin .. glEnd block: its calls, or a check of it."""
    mode: str
    calls: list = None
    check: object = None  # function of the Batch giving a complaint or None
    label: str = ""

    def mismatch(self, event):
        if not isinstance(event, gltrace.Batch) or event.mode != self.mode:
            return f"expected a {self.mode} batch{' ' + self.label if self.label else ''}, found {event!r}"
        if self.check:
            return self.check(event)
        if len(event.calls) != len(self.calls):
            return f"{self.mode} batch {self.label}: {len(event.calls)} calls instead of {len(self.calls)}"
        for i, (call, want) in enumerate(zip(event.calls, self.calls)):
            problem = want.mismatch(call)
            if problem:
                return f"{self.mode} batch {self.label}, call {i}: {problem}"
        return None

    def __repr__(self):
        return f"Batch({self.mode}{' ' + self.label if self.label else ''})"


def drawn_events(frame):
    """The frame as the program drew it: window-system calls left out (GLUT
    makes the context current and flushes before the swap) and the one-time
    creation of the font texture (checked on its own) taken out."""
    events = [e for e in frame.events()
              if not (isinstance(e, gltrace.Call) and e.name.startswith("glX") and e.name != "glXSwapBuffers")]
    if len(events) >= 2 and getattr(events[-2], "name", "") == "glFlush":
        del events[-2]
    for i, event in enumerate(events):
        if getattr(event, "name", "") == "glGenTextures":
            # Name, bind, unpack alignment, image, four parameters, env mode.
            del events[i:i + 9]
            break
    return events


def first_mismatch(events, wanted):
    for i, (event, want) in enumerate(zip(events, wanted)):
        problem = want.mismatch(event)
        if problem:
            before = "; ".join(repr(e) for e in events[max(0, i - 3):i])
            return f"event {i}: {problem} (after: {before})"
    if len(events) != len(wanted):
        return (f"{len(events)} events instead of {len(wanted)}; first extra or missing: "
                f"{events[len(wanted)] if len(events) > len(wanted) else wanted[len(events)]!r}")
    return None


# -- the expected frame --------------------------------------------------------

def sub(a, b):
    return [x - y for x, y in zip(a, b)]


def cross(a, b):
    return [a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]]


def normalized(a):
    n = math.sqrt(sum(x * x for x in a))
    return [x / n for x in a]


def look_at(eye, center, up):
    """The matrix gluLookAt multiplies in (column-major), before its
    translation by -eye."""
    f = normalized(sub(center, eye))
    s = normalized(cross(f, up))
    u = cross(s, f)
    return [s[0], u[0], -f[0], 0, s[1], u[1], -f[1], 0, s[2], u[2], -f[2], 0, 0, 0, 0, 1]


MONO, LEFT, RIGHT = 0, -1, 1


def eye_position(state, eye):
    # Stereo eyes stand half the separation to either side of the home eye.
    return [eye * state.distance / 2, 0.0, HOME]


def frustum(state, eye):
    """glFrustum arguments: the smaller side spans 2 HALF_EXTENT on the near
    plane; a stereo window is shifted by (e/2) NEAR / HOME to its eye's side."""
    w, h = state.view_width(), state.height
    s = 2 * HALF_EXTENT
    width, height = (s, s * h / w) if w < h else (s * w / h, s)
    shift = eye * state.distance / 2 * NEAR / HOME
    return [shift - width / 2, shift + width / 2, -height / 2, height / 2, NEAR, FAR]


def projection(state, eye):
    position = eye_position(state, eye)
    return [Want("glMatrixMode", ["GL_PROJECTION"]), Want("glLoadIdentity", []),
            Want("glFrustum", frustum(state, eye)),
            Want("glMatrixMode", ["GL_MODELVIEW"]), Want("glLoadIdentity", []),
            # gluLookAt from the eye to the origin with up +y, as it reaches GL.
            Want("glMultMatrixf", [look_at(position, [0, 0, 0], [0, 1, 0])]),
            Want("glTranslated", [-x for x in position])]


def vertex3f(p):
    return Want("glVertex3f", list(p))


def cone(apex, axis):
    """An arrowhead: a frame at the apex whose z axis points along the axis
    (the cone opens back towards the axis origin), and three lines of slant
    1/7 at 22.5 degrees to it, at 0, 120 and 240 degrees around it."""
    slant = 1 / 7
    height, radius = slant * math.cos(math.pi / 8), slant * math.sin(math.pi / 8)
    base = [[radius * math.cos(a), radius * math.sin(a), -height] for a in (0, 2 * math.pi / 3, 4 * math.pi / 3)]
    lines = []
    for p in base:
        lines += [vertex3f([0, 0, 0]), vertex3f(p)]
    frame = Check(f"a frame at {apex} with z axis {axis}",
                  lambda m: isinstance(m, list) and len(m) == 16 and same(m[12:16], list(apex) + [1])
                  and same(m[8:11], list(axis)))
    return [Want("glPushMatrix", []), Want("glMultMatrixf", [frame]),
            WantBatch("GL_LINES", lines, label=f"arrowhead at {apex}"), Want("glPopMatrix", [])]


def world_axes():
    red, green, blue = [1, 0, 0], [0, 1, 0], [0, 0, 1]
    o = [-1, -1, -1]
    lines = [Want("glColor3fv", [red]), vertex3f(o), vertex3f([0, -1, -1]),
             Want("glColor3fv", [green]), vertex3f(o), vertex3f([-1, 0, -1]),
             Want("glColor3fv", [blue]), vertex3f(o), vertex3f([-1, -1, 0])]
    return ([WantBatch("GL_LINES", lines, label="axes")] + cone([-1, -1, 0], [0, 0, 1])
            + [Want("glColor3fv", [green])] + cone([-1, 0, -1], [0, 1, 0])
            + [Want("glColor3fv", [red])] + cone([0, -1, -1], [1, 0, 0]))


def target_cross():
    # Half-size 5 % of the smaller viewport side at the target's depth.
    s = HOME * 0.05 * 2 * HALF_EXTENT / NEAR
    arms = [[-s, 0, 0], [s, 0, 0], [0, -s, 0], [0, s, 0], [0, 0, -s], [0, 0, s]]
    return [Want("glColor3f", [0, 1, 1]), WantBatch("GL_LINES", [vertex3f(p) for p in arms], label="target")]


def lighting(state):
    a = 0.3 if state.blending else 1.0
    shininess = Check("50", lambda v: same(v, 50) or same(v, [50]))
    return [Want("glMaterialfv", ["GL_FRONT_AND_BACK", "GL_SPECULAR", [1, 1, 1, 1]]),
            Want("glMaterialfv", ["GL_FRONT_AND_BACK", "GL_SHININESS", shininess]),
            Want("glMaterialfv", ["GL_FRONT", "GL_DIFFUSE", [a, 0.9 * a, 0, 1]]),
            Want("glMaterialfv", ["GL_BACK", "GL_DIFFUSE", [0.6 * a, 0.05 * a, 0.95 * a, 1]]),
            # Behind the viewer: eye + (eye - target), the mono eye in stereo too.
            Want("glLightfv", ["GL_LIGHT0", "GL_POSITION", [0, 0, 2 * HOME, 1]]),
            Want("glEnable", ["GL_LIGHT0"]), Want("glEnable", ["GL_LIGHTING"]),
            Want("glLightModeli", ["GL_LIGHT_MODEL_TWO_SIDE", 1]),
            Want("glShadeModel", ["GL_SMOOTH" if state.smooth else "GL_FLAT"])]


def grid_batches(state, grid, hemisphere):
    def vertex(r, j):
        position, normal = grid[r][j]
        return [Want("glNormal3fv", [normal]), Want("glVertex3fv", [position])]

    def row(r):
        calls = []
        for j in range(state.lon + 1):
            calls += vertex(r, j) + vertex(r + 1, j)
        return WantBatch("GL_TRIANGLE_STRIP", calls, label=f"row {r}")

    if state.mode == 0:
        calls = []
        for r in range(state.lat + 1):
            for j in range(state.lon + 1):
                calls += vertex(r, j)
        return [WantBatch("GL_POINTS", calls)]
    if state.mode in (1, 2):
        return [row(r) for r in range(state.lat)]
    if state.mode == 3:
        return [WantBatch("GL_TRIANGLE_STRIP", vertex(r, j) + vertex(r + 1, j) + vertex(r, j + 1) + vertex(r + 1, j + 1),
                          label=f"cell {r},{j}")
                for r in range(state.lat) for j in range(r % 2, state.lon, 2)]
    return [row(r) for r in range(hemisphere % 2, state.lat, 2)]


def rotations(state):
    """(angle, axis) of every glRotatef of the surface: the half turn about y
    for hemisphere h, then strip s turned by k 360 / total about z with
    k = -s in hemisphere 0 and s + 1 in hemisphere 1."""
    out = []
    for h in range(state.hemispheres):
        out.append((180.0 * h, "y"))
        for s in range(state.shown):
            k = -s if h == 0 else s + 1
            out.append((k * 360.0 / state.total, "z"))
    return out


def surface(state, grid):
    out = [Want("glFrontFace", ["GL_CW"]), Want("glMatrixMode", ["GL_MODELVIEW"])]
    per_hemisphere = [grid_batches(state, grid, h) for h in range(2)]
    h = -1
    for angle, axis in rotations(state):
        if axis == "y":
            if h >= 0:
                out.append(Want("glPopMatrix", []))
            h += 1
            out += [Want("glPushMatrix", []), Want("glRotatef", [angle, 0, 1, 0])]
        else:
            out += [Want("glPushMatrix", []), Want("glRotatef", [angle, 0, 0, 1])]
            out += per_hemisphere[h] + [Want("glPopMatrix", [])]
    out.append(Want("glPopMatrix", []))
    return out


def time_line(state):
    return "t = %.4f, delta_t = 1/%d" % (state.t, state.steps)


def glyph_rectangle(ch):
    """Texture rectangle (s0, t0, s1, t1) of a character's glyph in the
    256 x 256 font texture: 12 x 20 cells, 13 to a row, a one-texel border."""
    code = ord(ch)
    g = code - 32 if 32 <= code <= 126 else 95
    px, py = 12 * (g % 13) + 1, 20 * (g // 13) + 1
    return px / 256, py / 256, (px + 10) / 256, (py + 18) / 256


def read_text(batch):
    """(text, left, bottom, complaints) of a GL_QUADS batch of glyphs: each
    quad sends (s0, t1) (s1, t1) (s1, t0) (s0, t0) with the corners of a
    10 x 18 cell, left to right."""
    texture = batch.arguments("glTexCoord2f")
    corners = batch.arguments("glVertex2f")
    complaints = []
    names = [c.name for c in batch.calls]
    if names != ["glTexCoord2f", "glVertex2f"] * (len(names) // 2) or len(texture) % 4:
        return "", None, None, [f"not a run of textured quads: {names[:8]}"]
    text = []
    left = corners[0][0] if corners else None
    bottom = corners[0][1] if corners else None
    for k in range(0, len(texture), 4):
        (s0, t1), (s1, t1b), (s1b, t0), (s0b, t0b) = texture[k:k + 4]
        px, py = s0 * 256, t0 * 256
        col, row = round(px - 1) // 12, round(py - 1) // 20
        g = 13 * row + col
        ch = chr(32 + g) if 0 <= g < 95 else "\x7f"
        text.append(ch)
        want = glyph_rectangle(ch)
        if not (same([s0, t0, s1, t1], list(want)) and same([s0b, t0b, s1b, t1b], list(want))):
            complaints.append(f"glyph {k // 4}: texture rectangle {s0, t0, s1, t1} is no glyph cell")
        x0 = left + 10 * (k // 4)
        cell = [[x0, bottom], [x0 + 10, bottom], [x0 + 10, bottom + 18], [x0, bottom + 18]]
        if not same(corners[k:k + 4], cell):
            complaints.append(f"glyph {k // 4}: corners {corners[k:k + 4]} are not the cell {cell}")
    return "".join(text), left, bottom, complaints


def text_batch(text, bottom):
    def check(batch):
        found, left, at, complaints = read_text(batch)
        if complaints:
            return f"text {text!r}: {complaints[0]}"
        if (found, left, at) != (text, TEXT_X, bottom):
            return f"expected text {text!r} at ({TEXT_X}, {bottom}), read {found!r} at ({left}, {at})"
        return None
    return WantBatch("GL_QUADS", check=check, label=repr(text))


def heads_up(state, texture):
    w, h = state.view_width(), state.height
    lines = [(TIME_LINE_Y, time_line(state))]
    if state.blending:
        lines.append((ALPHA_LINE_Y, "alpha = 0.300"))
    if state.stereo:
        lines.append((STEREO_LINE_Y, "stereo distance = %.3f" % state.distance))
    out = [Want("glMatrixMode", ["GL_MODELVIEW"]), Want("glPushMatrix", []), Want("glLoadIdentity", []),
           Want("glMatrixMode", ["GL_PROJECTION"]), Want("glPushMatrix", []), Want("glLoadIdentity", []),
           Want("glOrtho", [0, w, 0, h, -1, 1]), Want("glMatrixMode", ["GL_MODELVIEW"])]
    for y, text in lines:
        out += [Want("glBindTexture", ["GL_TEXTURE_2D", texture]),
                Want("glTexParameteri", ["GL_TEXTURE_2D", "GL_TEXTURE_WRAP_S", "GL_CLAMP"]),
                Want("glTexParameteri", ["GL_TEXTURE_2D", "GL_TEXTURE_WRAP_T", "GL_CLAMP"]),
                Want("glTexParameteri", ["GL_TEXTURE_2D", "GL_TEXTURE_MIN_FILTER", "GL_LINEAR"]),
                Want("glTexParameteri", ["GL_TEXTURE_2D", "GL_TEXTURE_MAG_FILTER", "GL_LINEAR"]),
                Want("glTexEnvi", ["GL_TEXTURE_ENV", "GL_TEXTURE_ENV_MODE", "GL_MODULATE"]),
                Want("glEnable", ["GL_TEXTURE_2D"]), Want("glEnable", ["GL_BLEND"]),
                Want("glBlendFunc", ["GL_SRC_ALPHA", "GL_ONE_MINUS_SRC_ALPHA"]),
                Want("glShadeModel", ["GL_FLAT"]),
                # Bottom edge y rows down from the top is GL row h - y - 1.
                text_batch(text, h - y - 1),
                Want("glDisable", ["GL_BLEND"]), Want("glDisable", ["GL_TEXTURE_2D"])]
    out += [Want("glMatrixMode", ["GL_PROJECTION"]), Want("glPopMatrix", []),
            Want("glMatrixMode", ["GL_MODELVIEW"]), Want("glPopMatrix", [])]
    return out


def expected_frame(state, grid, texture):
    out = [Want("glClear", [frozenset({"GL_COLOR_BUFFER_BIT", "GL_DEPTH_BUFFER_BIT"})]),
           Want("glDepthFunc", ["GL_LEQUAL"]), Want("glEnable", ["GL_DEPTH_TEST"])]
    w = state.view_width()
    for i, eye in enumerate([LEFT, RIGHT] if state.stereo else [MONO]):
        if state.stereo:
            out.append(Want("glViewport", [i * w, 0, w, state.height]))
        out += projection(state, eye)
        if state.axes:
            out += world_axes()
        if state.target:
            out += target_cross()
        if state.culling:
            out += [Want("glEnable", ["GL_CULL_FACE"]), Want("glCullFace", ["GL_BACK" if state.cull_back else "GL_FRONT"])]
        else:
            out.append(Want("glDisable", ["GL_CULL_FACE"]))
        if state.mode == 1:
            out.append(Want("glPolygonMode", ["GL_FRONT_AND_BACK", "GL_LINE"]))
        if state.mode >= 2:
            out += lighting(state)
        if state.blending:
            out += [Want("glBlendFunc", ["GL_ONE", "GL_ONE"]), Want("glEnable", ["GL_BLEND"]),
                    Want("glDisable", ["GL_DEPTH_TEST"])]
        out.append(Want("glColor3f", [1, 1, 1]))
        out += surface(state, grid)
        if state.mode == 1:
            out.append(Want("glPolygonMode", ["GL_FRONT_AND_BACK", "GL_FILL"]))
        out.append(Want("glDisable", ["GL_LIGHTING"]))
        if state.blending:
            out += [Want("glDisable", ["GL_BLEND"]), Want("glEnable", ["GL_DEPTH_TEST"])]
        out.append(Want("glDisable", ["GL_CULL_FACE"]))
        if state.text:
            out += heads_up(state, texture)
    out.append(Want("glXSwapBuffers", [ANY, ANY]))
    return out


# -- the construction's own grid ---------------------------------------------

_grids = {}


def construction_grid(state):
    """Rows of (position, normal) from the project's construction code."""
    key = state.grid_key()
    if key not in _grids:
        t, total, lat, lon, half = key
        out = subprocess.run([GRID_DUMP, repr(t), str(total), str(lat), str(lon), str(int(half))],
                             capture_output=True, text=True, check=True, timeout=30).stdout.split("\n")
        _, _, rows, columns = out[0].split()
        grid = [[None] * int(columns) for _ in range(int(rows))]
        for line in out[1:]:
            if line:
                r, j, *v = line.split()
                grid[int(r)][int(j)] = ([float(x) for x in v[:3]], [float(x) for x in v[3:]])
        _grids[key] = grid
    return _grids[key]


# -- a run of the viewer and the frames it drew --------------------------------

@dataclass
class Run:
    frames: list
    status: int
    stdout: str
    stderr: str


def run_traced(args, keys, directory, name):
    path = os.path.join(directory, name + ".trace")
    with Viewer(*args, wrapper=["apitrace", "trace", "--output", path]) as v:
        v.wait_window()
        # Each key is handled and its frame drawn (and traced) before the
        # next is sent, so each key gives its own frame however slow the run.
        for key in keys:
            v.key(key)
        # Esc ends the program while xdotool still sends the key release,
        # and under apitrace the exit (which writes the trace) takes a
        # while: the release's failure says nothing, the exit status does.
        v.xdotool("key", "--window", v.window, "Escape", check=False)
        status = v.wait_exit(60)
        stdout, stderr = v.stdout(), v.stderr()
    # apitrace announces itself on standard error; the rest is the viewer's.
    stderr = "".join(line for line in stderr.splitlines(True) if not line.startswith("apitrace: "))
    return Run(gltrace.read_trace(path), status, stdout, stderr)


def states_of(initial, journey):
    """The distinct states a journey passes through, each with the keys that
    led to it; a key that changes nothing adds no state."""
    out = [(initial, "start")]
    for key, changes in journey:
        state = replace(out[-1][0], **changes)
        if state == out[-1][0]:
            out[-1] = (state, out[-1][1] + " " + key)
        else:
            out.append((state, key))
    return out


@dataclass
class Walk:
    matched: list          # (step index, frame) for every frame checked
    reached: int           # index of the last step reached
    failure: str = None
    startup_frames: int = 0


def follow(run, steps):
    """Matches the frames, in order, to the journey's states: a frame must be
    the expected frame of the current state (a redraw) or of the next one.
    Frames drawn while the window was still growing to its requested size
    come first and are skipped."""
    texture_calls = [c for f in run.frames for c in f.named("glGenTextures")]
    texture = texture_calls[0]["textures"] if texture_calls else 1
    walk = Walk([], 0)
    viewport = None
    for frame in run.frames:
        body = frame.body()
        before = frame.calls[:len(frame.calls) - len(body)]
        for call in before:
            if call.name == "glViewport":
                viewport = call.values()
        if not frame.complete:
            if body:
                walk.failure = f"frame {frame.index} was cut off: the trace ends inside it"
            break
        events = drawn_events(frame)
        k = walk.reached
        state = steps[k][0]
        problem = first_mismatch(events, expected_frame(state, construction_grid(state), texture))
        if problem and k + 1 < len(steps):
            nxt = steps[k + 1][0]
            later = first_mismatch(events, expected_frame(nxt, construction_grid(nxt), texture))
            if later is None:
                k, problem, state = k + 1, None, nxt
            elif walk.matched:
                problem = (f"neither a redraw of the state after {steps[k][1]!r} nor the frame for key "
                           f"{steps[k + 1][1]!r}: {later}")
        if problem is None and not state.stereo and viewport != [0, 0, state.width, state.height]:
            problem = f"the viewport is {viewport}, not the window {state.width} x {state.height}"
        if problem:
            views = [c.values() for c in body if c.name == "glViewport"] or [viewport]
            if not walk.matched and (views[0] is None or views[0][3] != state.height):
                walk.startup_frames += 1
                continue
            walk.failure = f"frame {frame.index}: {problem}"
            break
        for call in body:
            if call.name == "glViewport":
                viewport = call.values()
        walk.reached = k
        walk.matched.append((k, frame))
    return walk


class TracedJourney(unittest.TestCase):
    """Runs the viewer once per class under apitrace and follows its frames."""
    args = []
    initial = State()
    journey = []

    @classmethod
    def setUpClass(cls):
        with tempfile.TemporaryDirectory() as directory:
            cls.traced = run_traced(cls.args, [key for key, _ in cls.journey], directory, cls.__name__)
        cls.steps = states_of(cls.initial, cls.journey)
        cls.walk = follow(cls.traced, cls.steps)

    def frames_of(self, step):
        return [frame for k, frame in self.walk.matched if k == step]

    def assert_journey_completed(self):
        self.assertIsNone(self.walk.failure)
        self.assertEqual(self.walk.reached, len(self.steps) - 1,
                         f"the frames stop at the state after {self.steps[self.walk.reached][1]!r}")
        # At most the frames of the window's first, default size come before.
        self.assertLessEqual(self.walk.startup_frames, 2)
        for step in range(len(self.steps)):
            self.assertTrue(self.frames_of(step), f"no frame for the state after {self.steps[step][1]!r}")

    def assert_clean_exit(self):
        self.assertEqual(self.traced.status, 0)
        self.assertEqual(self.traced.stderr, "")


class MonoJourney(TracedJourney):
    # Through all five stages of the eversion by time steps, then the strip,
    # patch and hemisphere keys, then the display options one by one.
    journey = [
        ("asterisk", dict(steps=128)), ("asterisk", dict(steps=64)), ("asterisk", dict(steps=32)),
        ("asterisk", dict(steps=16)),
        ("plus", dict(t=0.0625)),                       # corrugation growing
        ("asterisk", dict(steps=8)), ("plus", dict(t=0.1875)),   # the cap pushed through
        ("asterisk", dict(steps=4)), ("plus", dict(t=0.4375)),   # the twist
        ("plus", dict(t=0.6875)),                       # release
        ("plus", dict(t=0.9375)),                       # smoothing
        ("plus", dict(t=1.0)),                          # 1.1875, clamped by the rebuild
        ("plus", {}),                                   # no further at t = 1
        ("minus", dict(t=0.75)),
        ("Prior", dict(total=9, shown=9)),              # page up
        ("Down", dict(shown=8)),
        ("End", dict(hemispheres=1)),
        ("Next", dict(total=8, shown=7)),               # page down
        ("F1", dict(lat=13)),
        ("F3", dict(lon=13)),
        ("Home", dict(half=True)),
        ("End", dict(hemispheres=2)),
        ("s", dict(smooth=False)),
        ("a", dict(blending=True)),
        ("w", dict(axes=True)),
        ("t", dict(target=True)),
        ("b", dict(culling=True)),
        ("f", dict(cull_back=False)),
        ("space", dict(mode=3)), ("space", dict(mode=4)), ("space", dict(mode=0)), ("space", dict(mode=1)),
        ("a", dict(blending=False)),
        ("F9", dict(text=False)),
    ]

    def test_every_frame_is_the_one_prescribed_for_the_keys_pressed(self):
        self.assert_journey_completed()
        self.assert_clean_exit()
        self.assertEqual(self.traced.stdout, "")

    def test_heads_up_text_reads_the_time_and_its_step(self):
        # Read from the glyphs alone, one line per distinct screen.
        read = []
        for frame in self.traced.frames:
            quads = frame.batches("GL_QUADS")
            # Frames drawn at GLUT's first, default window size are left out.
            if frame.complete and quads and frame.named("glOrtho")[0].values()[:4] == [0, 512, 0, 512]:
                text, _, bottom, complaints = read_text(quads[0])
                self.assertEqual(complaints, [], text)
                self.assertEqual(bottom, 512 - TIME_LINE_Y - 1)
                if not read or read[-1] != text:
                    read.append(text)
        self.assertEqual(read, [
            "t = 0.0000, delta_t = 1/256", "t = 0.0000, delta_t = 1/128", "t = 0.0000, delta_t = 1/64",
            "t = 0.0000, delta_t = 1/32", "t = 0.0000, delta_t = 1/16", "t = 0.0625, delta_t = 1/16",
            "t = 0.0625, delta_t = 1/8", "t = 0.1875, delta_t = 1/8", "t = 0.1875, delta_t = 1/4",
            "t = 0.4375, delta_t = 1/4", "t = 0.6875, delta_t = 1/4", "t = 0.9375, delta_t = 1/4",
            "t = 1.0000, delta_t = 1/4", "t = 0.7500, delta_t = 1/4"])
        # The alpha line comes and goes with blending; no text after F9.
        alpha = [read_text(q)[0] for _, f in self.walk.matched for q in f.batches("GL_QUADS")[1:]]
        self.assertIn("alpha = 0.300", alpha)
        self.assertEqual(set(alpha), {"alpha = 0.300"})
        last = self.walk.matched[-1][1]
        self.assertEqual(last.batches("GL_QUADS"), [])

    def test_surface_grid_is_the_construction_at_every_time_and_count(self):
        # The first strip of hemisphere 0 (no rotation) shows the whole grid:
        # its row batches send (r, j) then (r + 1, j).
        compared = set()
        for k, frame in self.walk.matched:
            state = self.steps[k][0]
            if state.mode != 2 or state.grid_key() in compared:
                continue
            compared.add(state.grid_key())
            grid = construction_grid(state)
            strips = frame.batches("GL_TRIANGLE_STRIP")[:state.lat]
            for r, batch in enumerate(strips):
                normals, positions = batch.vertices("glNormal3fv"), batch.vertices("glVertex3fv")
                self.assertEqual(len(positions), 2 * (state.lon + 1))
                for j in range(state.lon + 1):
                    for i, row in ((2 * j, r), (2 * j + 1, r + 1)):
                        want_position, want_normal = grid[row][j]
                        for got, want in ((positions[i], want_position), (normals[i], want_normal)):
                            self.assertTrue(all(abs(a - b) <= GRID_TOLERANCE for a, b in zip(got, want)),
                                            f"t = {state.t}, row {row}, column {j}: {got} != {want}")
        # Eight times through all five stages, then 9 strips, 13 x 12, 13 x 13
        # patches and half strips.
        self.assertEqual(len(compared), 12)

    def test_strips_and_hemispheres_follow_the_strip_keys(self):
        def drawn(frame):
            return [(c["angle"], "y" if c["y"] == 1 else "z") for c in frame.named("glRotatef")]

        def strip_angles(frame):
            return [round(a, 4) for a, axis in drawn(frame) if axis == "z"]

        cases = {  # (hemispheres, shown, total) -> z angles of hemisphere 0, then 1
            (2, 8, 8): [-45.0 * s for s in range(8)] + [45.0 * (s + 1) for s in range(8)],
            (2, 9, 9): [-40.0 * s for s in range(9)] + [40.0 * (s + 1) for s in range(9)],
            (2, 8, 9): [-40.0 * s for s in range(8)] + [40.0 * (s + 1) for s in range(8)],
            (1, 8, 9): [-40.0 * s for s in range(8)],
            (1, 7, 8): [-45.0 * s for s in range(7)],
            (2, 7, 8): [-45.0 * s for s in range(7)] + [45.0 * (s + 1) for s in range(7)],
        }
        seen = set()
        for k, frame in self.walk.matched:
            state = self.steps[k][0]
            key = (state.hemispheres, state.shown, state.total)
            seen.add(key)
            self.assertEqual(strip_angles(frame), [round(a, 4) for a in cases[key]], key)
            halves = [a for a, axis in drawn(frame) if axis == "y"]
            self.assertEqual(halves, [0.0, 180.0][:state.hemispheres])
        self.assertEqual(seen, set(cases))

    def test_font_texture_is_made_once_at_the_first_text(self):
        made = [f for f in self.traced.frames if f.named("glGenTextures")]
        self.assertEqual(len(made), 1)
        calls = [c for c in made[0].calls if c.name.startswith(("glGen", "glBind", "glPixel", "glTexImage"))][:4]
        self.assertEqual([c.name for c in calls], ["glGenTextures", "glBindTexture", "glPixelStorei", "glTexImage2D"])
        self.assertEqual(calls[2].values(), ["GL_UNPACK_ALIGNMENT", 1])
        self.assertEqual(calls[3].values(), ["GL_TEXTURE_2D", 0, "GL_ALPHA", 256, 256, 0, "GL_ALPHA",
                                             "GL_UNSIGNED_BYTE", gltrace.Blob(65536)])
        # In the first frame that draws text.
        first_text = min(f.index for f in self.traced.frames if f.batches("GL_QUADS"))
        self.assertEqual(made[0].index, first_text)


class StereoJourney(TracedJourney):
    args = ["-s", "0.25"]
    initial = State(stereo=True, distance=0.25, width=1024)
    journey = [("t", dict(target=True)), ("F7", dict(stereo=False)), ("F7", dict(stereo=True))]

    def test_every_frame_is_the_one_prescribed_for_the_keys_pressed(self):
        self.assert_journey_completed()
        self.assert_clean_exit()
        self.assertEqual(self.traced.stdout, "Using stereo distance of 0.250000\n")

    def test_two_views_side_by_side_with_shifted_windows(self):
        frame = self.frames_of(0)[0]
        self.assertEqual([c.values() for c in frame.body() if c.name == "glViewport"],
                         [[0, 0, 512, 512], [512, 0, 512, 512]])
        shift = 0.125 * 0.2 / 8.210512
        left, right = frame.named("glFrustum")
        for call, side in ((left, -1), (right, 1)):
            l, r, b, t, n, f = call.values()
            self.assertAlmostEqual((l + r) / 2, side * shift, places=7)
            self.assertAlmostEqual(r - l, 2 * 0.0535898, places=6)
            self.assertAlmostEqual(t, 0.0535898, places=6)
            self.assertEqual((b, n, f), (-t, 0.2000000029802322, 30))
        # The look-at of each eye moves the world by minus that eye.
        self.assertEqual([c.values()[0] for c in frame.named("glTranslated")], [0.125, -0.125])
        texts = [read_text(q)[0] for q in frame.batches("GL_QUADS")]
        self.assertEqual(texts, ["t = 0.0000, delta_t = 1/256", "stereo distance = 0.250"] * 2)

    def test_mono_toggle_gives_one_view_over_the_whole_window(self):
        frame = self.frames_of(2)[0]
        self.assertEqual([c for c in frame.body() if c.name == "glViewport"], [])
        (l, r, b, t, _, _), = [c.values() for c in frame.named("glFrustum")]
        # Twice as wide as high, the height being the smaller side.
        self.assertAlmostEqual(r, 2 * 0.0535898, places=6)
        self.assertAlmostEqual(t, 0.0535898, places=6)
        self.assertEqual([read_text(q)[0] for q in frame.batches("GL_QUADS")], ["t = 0.0000, delta_t = 1/256"])


if __name__ == "__main__":
    harness.main()
