#!/usr/bin/python3
# Copyright (c) 2026 The Lens Correction Authors
# SPDX-License-Identifier: BSD-3-Clause
"""Corrects one frame of a plate with the lenscorrection module and writes it as a float EXR.

The plate is read with OpenImageIO's Python bindings; the corrected frame keeps the plate's
display window and carries the enlarged frame of a distortion correction as its data window, as
lenscorrect writes it.

    PYTHONPATH=build/python examples/python/correct_plate.py plate.1001.exr \\
        --correction-file A001C001.tlcf --clip-name A001C001.mov \\
        --shading remove --distortion undistort -o corrected.1001.exr
"""
import argparse
import os
import sys
import time

import numpy as np
import OpenImageIO as oiio

import lenscorrection


def read_plate(path, colorspace):
    """The plate as float32 RGB or RGBA in linear light (converted from `colorspace` if given)."""
    plate = oiio.ImageBuf(path)
    if colorspace:
        plate = oiio.ImageBufAlgo.colorconvert(plate, colorspace, "linear")
    if plate.has_error:
        sys.exit(f"{path}: {plate.geterror()}")
    channels = plate.spec().nchannels
    if channels not in (3, 4):
        # Grey becomes grey RGB; other channels beyond RGBA are left out.
        plate = oiio.ImageBufAlgo.channels(plate, (0, 0, 0) if channels < 3 else (0, 1, 2, 3))
    return plate.spec(), np.ascontiguousarray(plate.get_pixels(oiio.FLOAT), dtype=np.float32)


def write_exr(path, plate_spec, frame):
    height, width, channels = frame.shape
    spec = oiio.ImageSpec(width, height, channels, oiio.FLOAT)
    # The picture stays where it was; the frame grows around it, centred.
    spec.x = plate_spec.x - (width - plate_spec.width) // 2
    spec.y = plate_spec.y - (height - plate_spec.height) // 2
    spec.full_x, spec.full_y = plate_spec.full_x, plate_spec.full_y
    spec.full_width, spec.full_height = plate_spec.full_width, plate_spec.full_height
    spec.attribute("compression", "zip")
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    output = oiio.ImageOutput.create(path)
    if not output:
        sys.exit(f"{path}: {oiio.geterror()}")
    if not output.open(path, spec) or not output.write_image(frame) or not output.close():
        sys.exit(f"{path}: {output.geterror()}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("plate", help="one frame of the plate (any format OpenImageIO reads)")
    parser.add_argument("-o", "--output", required=True, help="the corrected frame (.exr)")
    parser.add_argument("--correction-file", help="the clip's .tlcf; default: searched for "
                        "around --clip")
    parser.add_argument("--clip", help="the clip's original file")
    parser.add_argument("--clip-name", help="the clip file name the correction file must carry")
    parser.add_argument("--frame", type=int, default=0,
                        help="the plate's frame of the clip, 0 being the first (default 0)")
    parser.add_argument("--shading", choices=("remove", "add"))
    parser.add_argument("--distortion", choices=("undistort", "distort"))
    parser.add_argument("--colorspace", help="the plate's colour space when not linear (sRGB)")
    arguments = parser.parse_args()

    plate_spec, plate = read_plate(arguments.plate, arguments.colorspace)
    start = time.perf_counter()
    try:
        corrector = lenscorrection.Corrector(
            shading=arguments.shading, distortion=arguments.distortion,
            correction_file=arguments.correction_file, clip=arguments.clip,
            clip_name=arguments.clip_name)
        frame = corrector.correct(arguments.frame, plate)
    except lenscorrection.Error as error:
        sys.exit(f"correct_plate: {error.detailed}")
    seconds = time.perf_counter() - start
    write_exr(arguments.output, plate_spec, frame)

    corrections = ", ".join(f"{name} {mode}" for name, mode in
                            (("shading", arguments.shading),
                             ("distortion", arguments.distortion)) if mode)
    print(f"{arguments.plate}: {plate.shape[1]}x{plate.shape[0]}, {plate.shape[2]} channels, "
          f"clip frame {arguments.frame}")
    print(f"  {corrections} in {seconds:.2f} s: {frame.shape[1]}x{frame.shape[0]}, "
          f"values {frame[..., :3].min():.3f} to {frame[..., :3].max():.3f}")
    print(f"  written to {arguments.output}")


if __name__ == "__main__":
    main()
