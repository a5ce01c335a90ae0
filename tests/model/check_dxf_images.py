#!/usr/bin/python3
"""ezdxf reads the drawing of three images that model_image_test wrote
(ImageDxf.ThePicturesFileTravelsBesideTheDrawing): each IMAGE has the insertion point and pixel
vectors that ezdxf's own add_image gives for the same corner, size and rotation, and names an
IMAGEDEF whose picture file stands beside the drawing."""
import math
import os
import sys

import ezdxf

# The images as the test made them: corner point (top left), size in units, rotation; one
# picture of 200 x 150 pixels.
CORNER = (10.0, 20.0)
SIZE = (400.0, 300.0)
PIXELS = (200, 150)
ROTATIONS = (0.0, 30.0, 90.0)

failures = []


def close(what, got, want, tolerance=1e-6):
    for g, w in zip(got, want):
        if abs(g - w) > tolerance:
            failures.append(f"{what}: {tuple(got)!r}, expected {tuple(want)!r}")
            return


def main():
    folder = os.path.join(os.environ["YVEX_BINARY_DIR"], "tests", "model", "dxf_out")
    doc = ezdxf.readfile(os.path.join(folder, "images.dxf"))
    images = list(doc.modelspace().query("IMAGE"))
    if len(images) != len(ROTATIONS):
        print(f"FAIL {len(images)} images, expected {len(ROTATIONS)}")
        return 1

    reference = ezdxf.new("R2000")
    reference_def = reference.add_image_def("pic.bmp", size_in_pixel=PIXELS)
    for image, rotation in zip(images, ROTATIONS):
        # ezdxf places an image by its lower left corner: the corner point moved down the turned
        # height.
        t = math.radians(rotation)
        lower_left = (CORNER[0] + SIZE[1] * math.sin(t), CORNER[1] - SIZE[1] * math.cos(t))
        theirs = reference.modelspace().add_image(reference_def, lower_left, SIZE, rotation=rotation)
        close(f"{rotation} insert", image.dxf.insert, theirs.dxf.insert)
        close(f"{rotation} u", image.dxf.u_pixel, theirs.dxf.u_pixel)
        close(f"{rotation} v", image.dxf.v_pixel, theirs.dxf.v_pixel)
        close(f"{rotation} size", image.dxf.image_size, PIXELS)
        image_def = image.image_def
        if image_def is None:
            failures.append(f"{rotation}: no IMAGEDEF")
            continue
        if image_def.dxf.filename != "pic.bmp":
            failures.append(f"{rotation}: IMAGEDEF names {image_def.dxf.filename!r}")
        if not os.path.isfile(os.path.join(folder, image_def.dxf.filename)):
            failures.append(f"{rotation}: {image_def.dxf.filename} is not beside the drawing")
    if failures:
        print("FAIL", *failures, sep="\n  ")
        return 1
    print("PASS")
    return 0


if __name__ == "__main__":
    sys.exit(main())
