"""Movies from the real exporter through the real ffmpeg: what ffprobe sees
(codec, size, frame count), the numbered PNG folder, the progress shown on a
terminal and the one summary line otherwise, and an interrupted movie that
leaves nothing behind."""

import os
import pty
import signal
import subprocess
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
EXPORT = os.environ.get("VV_EXPORT", os.path.join(HERE, "../../build/vedoze-vaderuve-export"))


def probe(path):
    out = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                          "stream=codec_name,width,height,nb_read_frames,pix_fmt", "-of", "csv=p=0", path],
                         capture_output=True, text=True, check=True).stdout.strip()
    codec, width, height, pix_fmt, frames = out.split(",")
    return codec, int(width), int(height), pix_fmt, int(frames)


class Movies(unittest.TestCase):
    def test_each_container_holds_every_frame_at_the_size_asked(self):
        cases = [("m.mp4", ["--rotate"], ("h264", 96, 64, "yuv420p", 7)),
                 ("m.webm", [], ("vp9", 96, 64, "yuv420p", 7)),
                 ("m.gif", ["--from", "0.6", "--to", "0.2"], ("gif", 96, 64, None, 7))]
        with tempfile.TemporaryDirectory() as folder:
            for name, extra, expected in cases:
                with self.subTest(name=name):
                    path = os.path.join(folder, name)
                    result = subprocess.run([EXPORT, "movie", "--frames", "7", "--size", "96x64", "--fps", "10", *extra,
                                             "-o", path], capture_output=True, text=True, timeout=300)
                    self.assertEqual(result.returncode, 0, result.stderr)
                    # Not a terminal: one summary line and nothing else.
                    self.assertRegex(result.stderr, r"^7 frames in [0-9.]+ s \([0-9.]+ fps\) -> .*\n$")
                    got = probe(path)
                    if expected[3] is None:
                        got = got[:3] + (None,) + got[4:]
                    self.assertEqual(got, expected)
            self.assertEqual(sorted(os.listdir(folder)), ["m.gif", "m.mp4", "m.webm"])

    def test_a_folder_gets_numbered_pictures_and_a_terminal_gets_a_bar(self):
        with tempfile.TemporaryDirectory() as folder:
            target = os.path.join(folder, "frames") + "/"
            main, secondary = pty.openpty()
            proc = subprocess.Popen([EXPORT, "movie", "--frames", "12", "--size", "32x32", "-o", target],
                                    stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=secondary)
            os.close(secondary)
            shown = b""
            while True:
                try:
                    chunk = os.read(main, 4096)
                except OSError:
                    break
                if not chunk:
                    break
                shown += chunk
            self.assertEqual(proc.wait(timeout=60), 0, shown)
            os.close(main)
            self.assertEqual(sorted(os.listdir(target)), [f"frame-{i:05d}.png" for i in range(12)])
            with open(os.path.join(target, "frame-00011.png"), "rb") as f:
                self.assertEqual(f.read(8), b"\x89PNG\r\n\x1a\n")
            text = shown.decode()
            self.assertIn("\r[", text)
            self.assertIn("12/12 frames", text)
            self.assertIn("12 frames in ", text)

    def test_an_interrupted_movie_leaves_no_file(self):
        for sig in (signal.SIGINT, signal.SIGTERM):
            with self.subTest(signal=sig), tempfile.TemporaryDirectory() as folder:
                proc = subprocess.Popen([EXPORT, "movie", "--frames", "100000", "--size", "64x64", "-o",
                                         os.path.join(folder, "long.mp4")],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
                # Wait until the encoder has started writing, then interrupt.
                deadline = time.time() + 30
                while time.time() < deadline and not any(
                        os.path.getsize(os.path.join(folder, n)) > 0 for n in os.listdir(folder)):
                    time.sleep(0.05)
                proc.send_signal(sig)
                self.assertEqual(proc.wait(timeout=30), -sig)
                time.sleep(0.2)
                self.assertEqual(os.listdir(folder), [])


if __name__ == "__main__":
    unittest.main()
