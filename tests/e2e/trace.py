"""Reads an apitrace trace back as Python data: frames of OpenGL calls with
their arguments as Python values, so that tests can check what a program
drew from the trace alone.

`apitrace dump` prints one call a line:

    52 glFrustum(left = -0.05358983948826, right = ..., zFar = 30)
    58 glMaterialfv(face = GL_FRONT_AND_BACK, pname = GL_SPECULAR, params = {1, 1, 1, 1})
    59 glMaterialfv(face = GL_FRONT_AND_BACK, pname = GL_SHININESS, params = &50)
    47 glClear(mask = GL_DEPTH_BUFFER_BIT | GL_COLOR_BUFFER_BIT)
    25 glXMakeContextCurrent(dpy = 0x5614, ...) = True
    8 glViewport(x = 0, y = 0, width = 300, height = 300) // fake

Values become: integers and floats as numbers (single-precision arguments
are printed with 7 significant digits, doubles with 16); enums and other
names as strings; `A | B` bit masks as frozensets of names; `{...}` arrays
as lists and `{name = value, ...}` structures as dicts; `&x` (a pointer to
one value) as x; NULL as None; strings as str; `blob(n)` as Blob(n).
A frame is every call up to and including glXSwapBuffers.
"""

import re
import subprocess
from dataclasses import dataclass, field


@dataclass(frozen=True)
class Blob:
    size: int


@dataclass
class Call:
    no: int
    name: str
    args: dict
    ret: object = None
    comment: str = ""

    def __getitem__(self, key):
        """An argument by name, or by position when `key` is an int."""
        if isinstance(key, int):
            return list(self.args.values())[key]
        return self.args[key]

    def values(self):
        return list(self.args.values())

    def __repr__(self):
        return f"{self.no} {self.name}({', '.join(f'{k}={v!r}' for k, v in self.args.items())})"


@dataclass
class Batch:
    """A glBegin .. glEnd block: its mode and the calls inside it."""
    mode: str
    calls: list
    begin: Call = None

    def arguments(self, name):
        """The argument lists of every call named `name`, in order."""
        return [c.values() for c in self.calls if c.name == name]

    def vertices(self, name="glVertex3fv"):
        """Vertex positions; array-taking calls give their one array."""
        return [v[0] if len(v) == 1 and isinstance(v[0], list) else v for v in self.arguments(name)]

    def __repr__(self):
        return f"Batch({self.mode}, {len(self.calls)} calls)"


@dataclass
class Frame:
    index: int
    calls: list = field(default_factory=list)
    complete: bool = False  # ended by a buffer swap

    def body(self):
        """The frame as drawn: from its glClear on (calls before it come
        from other callbacks, such as a reshape, and from the window system)."""
        for i, call in enumerate(self.calls):
            if call.name == "glClear":
                return self.calls[i:]
        return []

    def events(self, calls=None):
        """The body with each glBegin .. glEnd block folded into a Batch."""
        out, batch = [], None
        for call in self.body() if calls is None else calls:
            if call.name == "glBegin":
                batch = Batch(call[0], [], call)
            elif call.name == "glEnd" and batch is not None:
                out.append(batch)
                batch = None
            elif batch is not None:
                batch.calls.append(call)
            else:
                out.append(call)
        if batch is not None:
            out.append(batch)
        return out

    def batches(self, mode=None):
        return [e for e in self.events() if isinstance(e, Batch) and (mode is None or e.mode == mode)]

    def named(self, name):
        return [c for c in self.calls if c.name == name]


class ParseError(ValueError):
    pass


_NUMBER = re.compile(r"[-+]?(?:0[xX][0-9a-fA-F]+|(?:\d+\.?\d*|\.\d+)(?:[eE][-+]?\d+)?|inf|nan)")
_NAME = re.compile(r"[A-Za-z_][A-Za-z0-9_:]*")
_CALL = re.compile(r"(\d+) (\w+)\(")
# The bulk of a drawing trace: calls whose only argument is one short array of
# numbers (glVertex3fv and the like) are read without the general parser.
_ARRAY_CALL = re.compile(r"(\d+) (\w+)\((\w+) = \{([-+0-9.eE, ]*)\}\)$")


class _Parser:
    def __init__(self, text, pos=0):
        self.text, self.pos = text, pos

    def peek(self):
        return self.text[self.pos:self.pos + 1]

    def skip(self):
        while self.pos < len(self.text) and self.text[self.pos] == " ":
            self.pos += 1

    def expect(self, token):
        self.skip()
        if not self.text.startswith(token, self.pos):
            raise ParseError(f"expected {token!r} at {self.pos} in {self.text!r}")
        self.pos += len(token)

    def value(self):
        self.skip()
        c = self.peek()
        if c == "{":
            return self.braces()
        if c == "&":
            self.pos += 1
            return self.value()
        if c == '"' or self.text.startswith('L"', self.pos):
            return self.string()
        m = _NUMBER.match(self.text, self.pos)
        if m and not _NAME.match(self.text, self.pos):
            self.pos = m.end()
            return _number(m.group())
        if m and self.text.startswith(("inf", "nan"), self.pos):
            self.pos = m.end()
            return float(m.group())
        m = _NAME.match(self.text, self.pos)
        if not m:
            raise ParseError(f"no value at {self.pos} in {self.text!r}")
        self.pos = m.end()
        name = m.group()
        if name == "NULL":
            return None
        if name == "blob" and self.peek() == "(":
            end = self.text.index(")", self.pos)
            size = int(self.text[self.pos + 1:end])
            self.pos = end + 1
            return Blob(size)
        if self.text.startswith(" | ", self.pos):
            flags = {name}
            while self.text.startswith(" | ", self.pos):
                self.pos += 3
                flag = self.value()
                flags |= flag if isinstance(flag, frozenset) else {flag}
            return frozenset(flags)
        return name

    def string(self):
        if self.peek() == "L":
            self.pos += 1
        self.pos += 1
        out = []
        while self.pos < len(self.text) and self.text[self.pos] != '"':
            if self.text[self.pos] == "\\" and self.pos + 1 < len(self.text):
                self.pos += 1
                out.append({"n": "\n", "t": "\t", "r": "\r"}.get(self.text[self.pos], self.text[self.pos]))
            else:
                out.append(self.text[self.pos])
            self.pos += 1
        self.pos += 1
        return "".join(out)

    def member_name(self):
        """`name = ` ahead: consumes it and returns the name, else None."""
        self.skip()
        m = _NAME.match(self.text, self.pos)
        if m and self.text.startswith(" = ", m.end()):
            self.pos = m.end() + 3
            return m.group()
        return None

    def items(self, close):
        """Comma-separated values or `name = value` members up to `close`."""
        named, plain = {}, []
        self.skip()
        if self.peek() == close:
            self.pos += 1
            return named, plain
        while True:
            name = self.member_name()
            if name is None:
                plain.append(self.value())
            else:
                named[name] = self.value()
            self.skip()
            c = self.peek()
            self.pos += 1
            if c == close:
                return named, plain
            if c != ",":
                raise ParseError(f"expected ',' or {close!r} at {self.pos - 1} in {self.text!r}")

    def braces(self):
        self.expect("{")
        named, plain = self.items("}")
        if named and not plain:
            return named
        return plain


def _number(token):
    if token.lower().lstrip("+-").startswith("0x"):
        return int(token, 16)
    if any(ch in token for ch in ".eEni"):
        return float(token)
    return int(token)


def parse_call(line):
    """One dump line as a Call, or None for lines that are not calls."""
    m = _ARRAY_CALL.match(line)
    if m:
        items = m.group(4).split(", ") if m.group(4) else []
        return Call(int(m.group(1)), m.group(2), {m.group(3): [_number(x) for x in items]})
    m = _CALL.match(line)
    if not m:
        return None
    p = _Parser(line, m.end())
    named, plain = p.items(")")
    args = named if named else {str(i): v for i, v in enumerate(plain)}
    call = Call(int(m.group(1)), m.group(2), args)
    p.skip()
    if line.startswith("= ", p.pos):
        p.pos += 2
        call.ret = p.value()
        p.skip()
    if line.startswith("//", p.pos):
        call.comment = line[p.pos + 2:].strip()
    return call


def parse_dump(text):
    """All frames of a dump; the last one is incomplete when calls follow
    the final swap (or when nothing was ever swapped)."""
    frames = [Frame(0)]
    for line in text.splitlines():
        call = parse_call(line)
        if call is None:
            continue
        frames[-1].calls.append(call)
        if call.name == "glXSwapBuffers":
            frames[-1].complete = True
            frames.append(Frame(len(frames)))
    if not frames[-1].calls:
        frames.pop()
    return frames


def dump(trace_path, timeout=120):
    """The text of `apitrace dump`, one call a line."""
    result = subprocess.run(["apitrace", "dump", "--multiline=false", "--color=never", trace_path],
                            capture_output=True, text=True, timeout=timeout, check=True)
    return result.stdout


def read_trace(trace_path):
    return parse_dump(dump(trace_path))
