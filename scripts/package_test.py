#!/usr/bin/python3
"""Installs the Debian package in a fresh Debian 12 root, as an administrator
would, and checks it there. Run as root, after scripts/package.sh:

    scripts/package_test.py [FILE.deb]

Without FILE.deb it takes the package that scripts/package.sh left in
build-package/ (or $VV_PACKAGE_BUILD_DIR). The root is made with
`debootstrap --variant=minbase bookworm` (from $VV_DEBIAN_MIRROR, Debian's
own by default); $VV_BASE_ROOT names such a root made earlier, which is
copied and never changed. The test's root goes under $VV_ROOTS_DIR (/srv/roots)
and is removed at the end unless $VV_KEEP_ROOT=1.

In the root it:
 1. installs the tools an administrator's machine has (man-db,
    desktop-file-utils, bash-completion), then `apt-get install ./FILE.deb`,
    which pulls the dependencies from Debian's archive;
 2. with no display, runs `vedoze-vaderuve-export image -o x.png` and checks
    the picture against the one the package's exporter draws here, runs
    `vedoze-vaderuve --help` and both `--version`s, finds both manual pages
    with `man -w`, validates the desktop entry, and asks bash for completions
    after `vedoze-vaderuve-export image --`;
 3. runs `apt-get purge vedoze-vaderuve` and checks that no file of the
    package is left and that nothing named after it appeared anywhere.
It prints the time of each step; the exit status is 0 when all checks pass.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import harness  # noqa: E402  (pictures as RGB pixels)

SOURCE = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
PACKAGE = "vedoze-vaderuve"
TOOLS = ("man-db", "desktop-file-utils", "bash-completion")
MOUNTS = ("dev", "dev/pts", "proc", "sys")
# State that apt and dpkg keep for every operation, and caches that other
# packages' triggers rewrite: not files of the package.
BOOKKEEPING = re.compile(r"^/(var/(lib/(apt|dpkg)|cache|log)|etc/ld\.so\.cache|usr/share/icons/hicolor/icon-theme"
                         r"\.cache|usr/share/applications/mimeinfo\.cache)(/|$)")

timings = []
failures = []


def step(name):
    """Times the block it decorates and records it under `name`."""
    class Timer:
        def __enter__(self):
            print(f"== {name}", flush=True)
            self.start = time.monotonic()

        def __exit__(self, *exc):
            timings.append((name, time.monotonic() - self.start))
    return Timer()


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)


def run(*command, **kwargs):
    kwargs.setdefault("check", True)
    return subprocess.run(command, **kwargs)


class Root:
    """A Debian root with the host's apt settings and name service, and the
    kernel's file systems mounted while it is in use."""

    def __init__(self, path):
        self.path = path
        self.mounted = []

    def __enter__(self):
        for name in os.listdir("/etc/apt/apt.conf.d"):
            shutil.copy2(os.path.join("/etc/apt/apt.conf.d", name), os.path.join(self.path, "etc/apt/apt.conf.d"))
        resolv = os.path.join(self.path, "etc/resolv.conf")
        if os.path.islink(resolv) or os.path.exists(resolv):
            os.remove(resolv)
        shutil.copy2("/etc/resolv.conf", resolv)
        try:
            for mount in MOUNTS:
                target = os.path.join(self.path, mount)
                os.makedirs(target, exist_ok=True)
                run("mount", "--bind", "/" + mount, target)
                self.mounted.append(target)
        except BaseException:
            self.__exit__()
            raise
        return self

    def __exit__(self, *exc):
        for target in reversed(self.mounted):
            if subprocess.run(["umount", target]).returncode != 0:
                run("umount", "--lazy", target, check=False)
        self.mounted = []

    def sh(self, script, check=True):
        """Runs a shell script in the root as root, with no display, in the C
        locale; returns (status, stdout, stderr)."""
        env = {"PATH": "/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin", "HOME": "/root",
               "LANG": "C.UTF-8", "DEBIAN_FRONTEND": "noninteractive", "TERM": "dumb"}
        result = subprocess.run(["chroot", self.path, "/bin/sh", "-c", script], env=env, capture_output=True,
                                text=True, timeout=600)
        if check and result.returncode != 0:
            raise RuntimeError(f"in the root, {script!r} failed ({result.returncode}):\n{result.stdout}\n"
                               f"{result.stderr}")
        return result.returncode, result.stdout, result.stderr

    def files(self):
        """Every path in the root's own file system (not the mounts)."""
        found = set()
        skip = {os.path.join(self.path, m) for m in MOUNTS} | {os.path.join(self.path, "tmp")}
        for folder, dirs, names in os.walk(self.path):
            dirs[:] = [d for d in dirs if os.path.join(folder, d) not in skip]
            for name in dirs + names:
                found.add(os.path.join(folder, name)[len(self.path):])
        return found


def read_png(path):
    # ImageMagick decodes the PNG: a reader apart from the writer.
    ppm = run("convert", "png:" + path, "ppm:-", capture_output=True, timeout=60).stdout
    return harness.parse_ppm(ppm)


def mounts_under(path):
    with open("/proc/mounts", encoding="utf-8") as table:
        points = [line.split()[1].replace("\\040", " ") for line in table]
    return [p for p in points if p == path or p.startswith(path.rstrip("/") + "/")]


def find_package(argv):
    if len(argv) > 1:
        return os.path.abspath(argv[1])
    build = os.path.join(SOURCE, os.environ.get("VV_PACKAGE_BUILD_DIR", "build-package"))
    debs = sorted(n for n in os.listdir(build) if n.startswith(PACKAGE + "_") and n.endswith(".deb")) \
        if os.path.isdir(build) else []
    if len(debs) != 1:
        raise SystemExit(f"package_test: no single {PACKAGE}_*.deb in {build}: run scripts/package.sh first")
    return os.path.join(build, debs[0])


def make_root(path):
    base = os.environ.get("VV_BASE_ROOT")
    if base:
        with step(f"copy the base root {base}"):
            run("cp", "-a", base, path)
    else:
        mirror = os.environ.get("VV_DEBIAN_MIRROR", "http://deb.debian.org/debian")
        with step(f"debootstrap --variant=minbase bookworm from {mirror}"):
            if shutil.which("debootstrap") is None:
                raise SystemExit("package_test: debootstrap is not installed (apt-get install debootstrap)")
            run("debootstrap", "--variant=minbase", "bookworm", path, mirror, stdout=subprocess.DEVNULL, timeout=1500)


def completions(root, words):
    """What bash offers for the last of `words` on a command line, with the
    completion loaded the way an interactive shell loads it: by command name,
    on first use."""
    line = " ".join(words)
    script = (
        ". /usr/share/bash-completion/bash_completion\n"
        f"COMP_WORDS=({line}); COMP_CWORD={len(words) - 1}\n"
        f"COMP_LINE='{line}'; COMP_POINT={len(line)}\n"
        f"_completion_loader {words[0]}\n"
        f"function=$(complete -p {words[0]} | sed -n 's/.*-F \\([^ ]*\\) .*/\\1/p')\n"
        f"\"$function\" {words[0]} '{words[-1]}' '{words[-2]}'\n"
        "printf '%s\\n' \"${COMPREPLY[@]}\"\n")
    status, out, err = root.sh(f"cd /tmp && bash -c \"$(cat <<'EOF'\n{script}EOF\n)\"", check=False)
    return set(out.split()) if status == 0 else {"<failed: " + err.strip() + ">"}


def main(argv):
    if os.geteuid() != 0:
        raise SystemExit("package_test: run as root (debootstrap, chroot and mount need it)")
    deb = find_package(argv)
    print(f"package {deb} ({os.path.getsize(deb) / 1e6:.2f} MB)")
    roots = os.environ.get("VV_ROOTS_DIR", "/srv/roots")
    os.makedirs(roots, exist_ok=True)
    path = tempfile.mkdtemp(prefix="package-test-", dir=roots)
    os.rmdir(path)
    started = time.monotonic()
    try:
        make_root(path)
        with Root(path) as root:
            test_in(root, deb)
    finally:
        # Never delete through a mount that is still there: it would reach
        # the host's own /dev or /sys.
        still = mounts_under(path)
        if still:
            print(f"package_test: {path} still has mounts ({', '.join(still)}); it is left in place", file=sys.stderr)
            failures.append("unmounting the root")
        elif os.environ.get("VV_KEEP_ROOT") == "1":
            print(f"the root stays in {path}")
        else:
            shutil.rmtree(path, ignore_errors=True)
    timings.append(("whole test", time.monotonic() - started))
    print("\nTimes:")
    for name, seconds in timings:
        print(f"  {seconds:7.1f} s  {name}")
    if failures:
        print(f"\n{len(failures)} check(s) failed:\n  " + "\n  ".join(failures))
        return 1
    print("\nall checks passed")
    return 0


def test_in(root, deb):
    with step("apt-get update and the administrator's tools"):
        root.sh("apt-get update -qq")
        root.sh("apt-get install -y -qq " + " ".join(TOOLS) + " > /dev/null")
    shutil.copy(deb, os.path.join(root.path, "tmp"))
    local = "/tmp/" + os.path.basename(deb)
    before = root.files()

    with step("apt-get install ./" + os.path.basename(deb)):
        _, out, _ = root.sh(f"apt-get install -y {local}")
    pulled = re.search(r"(\d+) newly installed", out)
    print(f"   {pulled.group(1) if pulled else '?'} packages newly installed")
    _, listed, _ = root.sh(f"dpkg -L {PACKAGE}")
    owned = [p for p in listed.split("\n") if p and p != "/."]

    with step("checks of the installed programs"):
        # A picture with no display: the default frame is the viewer's start-up
        # frame, the lit sphere on black; compare with the same exporter run
        # outside the root.
        status, _, err = root.sh("unset DISPLAY WAYLAND_DISPLAY; cd /tmp && vedoze-vaderuve-export image -o x.png",
                                 check=False)
        check(status == 0 and err == "", f"export image -o x.png succeeds silently (status {status}, {err!r})")
        picture = os.path.join(root.path, "tmp", "x.png")
        if os.path.exists(picture):
            got = read_png(picture)
            with tempfile.TemporaryDirectory() as unpacked:
                run("dpkg-deb", "-x", deb, unpacked)
                reference = os.path.join(unpacked, "reference.png")
                env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
                run(os.path.join(unpacked, "usr/bin/vedoze-vaderuve-export"), "image", "-o", reference, env=env)
                expected = read_png(reference)
            check((got.width, got.height) == (512, 512), f"the picture is 512 x 512 ({got.width} x {got.height})")
            if (got.width, got.height) == (expected.width, expected.height):
                changed = got.differs(expected)
                check(changed <= 0.001 * 512 * 512, f"the picture is the host's ({changed} pixels differ)")
            r, g, b = got.pixel(256, 256)
            check(r > 60 and g > 30 and b <= max(r, g), f"the sphere is lit yellow at the centre ({r}, {g}, {b})")
            check(got.pixel(2, 500) == (0, 0, 0), "the background is black")

        status, out, err = root.sh("unset DISPLAY; vedoze-vaderuve --help", check=False)
        check(status == 0 and out == "" and "Usage: vedoze-vaderuve [--help]" in err,
              f"vedoze-vaderuve --help (status {status}, {err!r})")
        version = harness.project_version(SOURCE)
        for program in ("vedoze-vaderuve", "vedoze-vaderuve-export"):
            status, out, err = root.sh(f"unset DISPLAY; {program} --version", check=False)
            check((status, out, err) == (0, f"{program} {version}\n", ""), f"{program} --version: {out!r}")
            status, out, _ = root.sh(f"man -w {program}", check=False)
            check(status == 0 and out.strip() == f"/usr/share/man/man1/{program}.1.gz", f"man -w {program}: {out!r}")
        status, out, err = root.sh("desktop-file-validate /usr/share/applications/vedoze-vaderuve.desktop",
                                   check=False)
        check(status == 0 and out + err == "", f"desktop-file-validate accepts the entry {out + err!r}")
        offered = completions(root, ["vedoze-vaderuve-export", "image", "--"])
        expected_options = {"--time", "--patches", "--size", "--samples", "--no-text"}
        check(expected_options <= offered and "--frames" not in offered,
              f"completion after 'image --' offers the image options: {sorted(offered)}")

    with step(f"apt-get purge {PACKAGE}"):
        root.sh(f"apt-get purge -y {PACKAGE}")
    status, out, _ = root.sh(f"dpkg-query -W -f='${{Status}}' {PACKAGE}", check=False)
    check(status != 0 or "not-installed" in out, f"dpkg knows nothing of the package ({out!r})")
    after = root.files()
    # A folder stays when a package installed with it (a dependency) owns it too.
    left = [p for p in owned if p in after and p not in before and not (
        os.path.isdir(root.path + p) and root.sh(f"dpkg-query -S '{p}'", check=False)[0] == 0)]
    check(not left, f"no file of the package is left {left[:10]}")
    appeared = sorted(p for p in after - before if not BOOKKEEPING.match(p) and "vedoze" in p.lower())
    check(not appeared, f"nothing named after the package appeared {appeared[:10]}")


if __name__ == "__main__":
    sys.exit(main(sys.argv))
