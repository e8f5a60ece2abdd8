"""The exporter's picture against the desktop viewer's own start-up frame,
pixel for pixel: both draw with the same frame code on Mesa's llvmpipe, the
viewer in a GLX window under Xvfb, the exporter in an EGL pbuffer with no
display at all."""

import unittest

import harness





class StartUpFrame(unittest.TestCase):
    def test_defaults_equal_the_viewers_start_up_frame(self):
        for viewer_args, export_args in (([], []), (["-s"], ["--stereo"])):
            with self.subTest(viewer=viewer_args):
                with harness.Viewer(*viewer_args) as viewer:
                    viewer.wait_window()
                    # The first frame is drawn at 300 x 300 before the resize.
                    shot = viewer.wait_still(quiet=0.5, timeout=15)
                picture = harness.export_image(*export_args)
                self.assertEqual((picture.width, picture.height), (shot.width, shot.height))
                differing = sum(1 for i in range(0, len(shot.data), 3)
                                if shot.data[i:i + 3] != picture.data[i:i + 3])
                self.assertEqual(differing, 0, f"{differing} pixels differ")
                # Not trivially equal: the lit sphere and the text are there.
                self.assertGreater(len(set(picture.data[i:i + 3] for i in range(0, len(picture.data), 3))), 100)


if __name__ == "__main__":
    harness.main()
