# Copyright (c) 2026 The Lens Correction Authors
# SPDX-License-Identifier: BSD-3-Clause
"""Correction files, plates and image files for the lenscorrection tests."""
import ctypes

import numpy as np
import OpenImageIO as oiio
import pytest

CLIP_NAME = "A001C001.mov"
RADII = (0.0, 5.0, 10.0, 15.0, 18.0, 21.4)


def _has_opencl_platform():
    try:
        library = ctypes.CDLL("libOpenCL.so.1")
    except OSError:
        return False
    count = ctypes.c_uint(0)
    return library.clGetPlatformIDs(0, None, ctypes.byref(count)) == 0 and count.value > 0


requires_opencl = pytest.mark.skipif(not _has_opencl_platform(),
                                     reason="no OpenCL platform installed")


def correction_file_text(frames, clip_name="A001C001", video_file_name=CLIP_NAME, **header):
    """A correction file: frames are (number, shading, distortion, timecode) with six values
    each; header overrides the default values of the 19 keys."""
    fields = dict(lensManufacturer="Test Optics", lensTypeName="Prime 35",
                  lensSerialNumber="0001", lensMinFocalLength="35", lensMaxFocalLength="35",
                  cameraManufacturer="ARRI", cameraModel="ALEXA Mini", sensorWidth="23.76",
                  clipName=clip_name, videoFileName=video_file_name, clipDurationFrames="100",
                  clipWidth="1920", clipHeight="1080", tcFps="25", tcDrop="0",
                  enableLensShadingCorrection="1", shadingGamma="1",
                  enableLensDistortionCorrection="1", distortionZoom="1")
    fields.update(header)
    lines = ["HEADER_START"] + [f"{key}:={value}" for key, value in fields.items()]
    lines += ["HEADER_END",
              "frame;shading;radialDistortion;focalLength;focusDistance;iris;zoom;tStop;timecode"]
    for number, shading, distortion, timecode in frames:
        values = [",".join(repr(float(v)) for v in six) for six in (shading, distortion)]
        lines.append(f"{number};{values[0]};{values[1]};;;;;;{timecode}")
    return "\n".join(lines) + "\n"


def picture(width, height, channels, frame=0):
    """A smooth picture between 0.05 and 0.95 (alpha 0.5 to 1), other in every channel."""
    y, x = np.mgrid[0:height, 0:width].astype(np.float32)
    planes = []
    for channel in range(channels):
        phase = 0.7 * channel + 0.3 * frame
        wave = np.sin(0.21 * x + phase) * np.cos(0.17 * y - phase)
        planes.append(0.75 + 0.25 * wave if channel == 3 else 0.5 + 0.45 * wave)
    return np.ascontiguousarray(np.stack(planes, axis=-1), dtype=np.float32)


def write_exr(path, pixels):
    output = oiio.ImageOutput.create(str(path))
    spec = oiio.ImageSpec(pixels.shape[1], pixels.shape[0], pixels.shape[2], "float")
    assert output.open(str(path), spec), oiio.geterror()
    assert output.write_image(pixels), output.geterror()
    output.close()


def read_image(path):
    """The data window of an image file, as float32 (height, width, channels)."""
    image = oiio.ImageInput.open(str(path))
    assert image, oiio.geterror()
    pixels = image.read_image("float")
    image.close()
    return pixels

