"""Readers for the exporter's mesh files, written from the formats' own
descriptions with the standard library only, so that a file is checked by
code that shares nothing with the library that wrote it.

Each reader returns (positions, normals, triangles): positions and normals as
lists of (x, y, z) per vertex, triangles as (i, j, k) index triples. STL has
no shared vertices: corners are joined where their coordinates are equal bit
for bit, and each corner gets its facet's normal."""

import base64
import json
import struct


def read_ply(path, with_origins=False):
    """With with_origins, a fourth list: each vertex's (latitude, longitude)."""
    with open(path, "rb") as f:
        blob = f.read()
    end = blob.index(b"end_header\n") + len(b"end_header\n")
    header = blob[:end].decode("ascii").split("\n")
    assert header[0] == "ply" and header[1].startswith("format binary_little_endian"), header[:2]
    counts, properties, current = {}, {}, None
    for line in header:
        words = line.split()
        if words[:1] == ["element"]:
            current = words[1]
            counts[current] = int(words[2])
            properties[current] = []
        elif words[:1] == ["property"]:
            properties[current].append(words[1:])
    names = ["x", "y", "z", "nx", "ny", "nz", "latitude", "longitude"]
    assert properties["vertex"] == [["float", n] for n in names], properties["vertex"]
    assert properties["face"] == [["list", "uchar", "int", "vertex_index"]], properties["face"]
    at = end
    positions, normals, origins = [], [], []
    for _ in range(counts["vertex"]):
        v = struct.unpack_from("<8f", blob, at)
        at += 32
        positions.append(v[:3])
        normals.append(v[3:6])
        origins.append(v[6:])
    triangles = []
    for _ in range(counts["face"]):
        n = blob[at]
        assert n == 3, n
        triangles.append(struct.unpack_from("<3i", blob, at + 1))
        at += 13
    assert at == len(blob), (at, len(blob))
    if with_origins:
        return positions, normals, triangles, origins
    return positions, normals, triangles


def read_obj(path):
    positions, normals, triangles = [], [], []
    vertex_normal = {}
    with open(path) as f:
        for line in f:
            words = line.split()
            if not words or words[0].startswith("#"):
                continue
            if words[0] == "v":
                positions.append(tuple(float(w) for w in words[1:4]))
            elif words[0] == "vn":
                normals.append(tuple(float(w) for w in words[1:4]))
            elif words[0] == "f":
                assert len(words) == 4, line
                corners = []
                for w in words[1:]:
                    v, _, n = w.split("/")
                    v, n = int(v) - 1, int(n) - 1
                    # One normal per position, or the vertex is not shared.
                    assert vertex_normal.setdefault(v, n) == n, line
                    corners.append(v)
                triangles.append(tuple(corners))
    return positions, [normals[vertex_normal[v]] for v in range(len(positions))], triangles


def read_stl(path):
    with open(path, "rb") as f:
        blob = f.read()
    (count,) = struct.unpack_from("<I", blob, 80)
    assert len(blob) == 84 + 50 * count, (len(blob), count)
    index, positions, normal_sums, triangles = {}, [], [], []
    for t in range(count):
        values = struct.unpack_from("<12f", blob, 84 + 50 * t)
        facet_normal = values[:3]
        corners = []
        for c in range(3):
            # Joined by the exact bytes, as a slicer or viewer would.
            key = struct.pack("<3f", *values[3 + 3 * c:6 + 3 * c])
            if key not in index:
                index[key] = len(positions)
                positions.append(values[3 + 3 * c:6 + 3 * c])
                normal_sums.append([0.0, 0.0, 0.0])
            corners.append(index[key])
            for i in range(3):
                normal_sums[index[key]][i] += facet_normal[i]
        triangles.append(tuple(corners))
    normals = []
    for n in normal_sums:
        length = sum(x * x for x in n) ** 0.5 or 1.0
        normals.append(tuple(x / length for x in n))
    return positions, normals, triangles


def _gltf_mesh(document, buffers):
    primitive = document["meshes"][0]["primitives"][0]
    assert primitive.get("mode", 4) == 4, primitive

    def accessor(index, components, fmt):
        a = document["accessors"][index]
        view = document["bufferViews"][a["bufferView"]]
        data = buffers[view["buffer"]]
        start = view.get("byteOffset", 0) + a.get("byteOffset", 0)
        size = struct.calcsize("<" + fmt)
        stride = view.get("byteStride", size * components)
        return [struct.unpack_from("<" + fmt * components, data, start + i * stride) for i in range(a["count"])]

    component = {5125: "I", 5123: "H", 5121: "B"}
    index_type = component[document["accessors"][primitive["indices"]]["componentType"]]
    positions = accessor(primitive["attributes"]["POSITION"], 3, "f")
    normals = accessor(primitive["attributes"]["NORMAL"], 3, "f")
    flat = [i[0] for i in accessor(primitive["indices"], 1, index_type)]
    return positions, normals, [tuple(flat[k:k + 3]) for k in range(0, len(flat), 3)]


def read_gltf(path):
    with open(path) as f:
        document = json.load(f)
    buffers = []
    for b in document["buffers"]:
        prefix = "data:application/octet-stream;base64,"
        assert b["uri"].startswith(prefix), "the buffer is not embedded"
        buffers.append(base64.b64decode(b["uri"][len(prefix):]))
        assert len(buffers[-1]) == b["byteLength"]
    return _gltf_mesh(document, buffers)


def read_glb(path):
    with open(path, "rb") as f:
        blob = f.read()
    magic, version, length = struct.unpack_from("<4sII", blob, 0)
    assert magic == b"glTF" and version == 2 and length == len(blob), (magic, version, length)
    at, document, buffers = 12, None, []
    while at < length:
        size, kind = struct.unpack_from("<I4s", blob, at)
        chunk = blob[at + 8:at + 8 + size]
        if kind == b"JSON":
            document = json.loads(chunk)
        elif kind == b"BIN\0":
            buffers.append(chunk)
        at += 8 + size
    return _gltf_mesh(document, buffers)


READERS = {"ply": read_ply, "obj": read_obj, "stl": read_stl, "glb": read_glb, "gltf": read_gltf}


def topology(triangles):
    """(V, E, F, edges not in exactly two triangles, edges run the same way twice)."""
    directed = {}
    for t in triangles:
        for k in range(3):
            edge = (t[k], t[(k + 1) % 3])
            directed[edge] = directed.get(edge, 0) + 1
    undirected = {}
    for (a, b), n in directed.items():
        key = (min(a, b), max(a, b))
        undirected[key] = undirected.get(key, 0) + n
    bad = sum(1 for n in undirected.values() if n != 2)
    twice = sum(1 for n in directed.values() if n > 1)
    used = {v for t in triangles for v in t}
    return len(used), len(undirected), len(triangles), bad, twice
