#!/usr/bin/python3
# Copyright (c) 2026 The Lens Correction Authors
# SPDX-License-Identifier: BSD-3-Clause
"""Corrector.correct on an RGBA frame against the library's own Core::Core::render of the same
frame (buffers prepared beforehand), interleaved in one process so that both see the same
machine load. Reports the medians of wall-clock and of process CPU time (every thread, the
OpenCL runtime's included; steadier on a loaded machine) and their ratios, per correction.

    PYTHONPATH=build/python:build/bench/python bench/python/correct_benchmark.py
"""
import argparse
import os
import pathlib
import statistics
import tempfile
import time

import numpy as np

import lenscorrection
import lenscorrection_bench

CLIP_NAME = "A001C001.mov"


def write_correction_file(directory):
    """A clip of 100 frames whose lens data change, as the C++ Core benchmark uses."""
    header = dict(lensManufacturer="Test Optics", lensTypeName="Prime 35", lensSerialNumber="1",
                  lensMinFocalLength=35, lensMaxFocalLength=35, cameraManufacturer="ARRI",
                  cameraModel="ALEXA Mini", sensorWidth=23.76, clipName="A001C001",
                  videoFileName=CLIP_NAME, clipDurationFrames=100, clipWidth=1920,
                  clipHeight=1080, tcFps=25, tcDrop=0, enableLensShadingCorrection=1,
                  shadingGamma=1, enableLensDistortionCorrection=1, distortionZoom=1)
    lines = ["HEADER_START", *(f"{key}:={value}" for key, value in header.items()),
             "HEADER_END", "frame;shading;radialDistortion;a;b;c;d;e;timecode"]
    for number in range(100):
        step = number % 10
        shading = (100, 97 - step / 10, 90, 78, 68, 55 + step)
        distortion = (0, -2, -8 - step / 10, -18, -26, -38)
        lines.append(f"{number};{','.join(map(str, shading))};"
                     f"{','.join(map(str, distortion))};;;;;;")
    path = pathlib.Path(directory) / "A001C001.tlcf"
    path.write_text("\n".join(lines) + "\n")
    return str(path)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--width", type=int, default=1920)
    parser.add_argument("--height", type=int, default=1080)
    parser.add_argument("--repeats", type=int, default=21)
    arguments = parser.parse_args()
    # As the C++ benchmarks and the tool's process: freed frames stay in the heap, so that fresh
    # buffers (ours and the OpenCL runtime's) do not fault in new pages every frame.
    heap = os.environ.get("LC_BENCH_MALLOC") != "default"
    if heap:
        lenscorrection.keep_freed_memory_in_heap()
    frame = 7
    picture = np.random.default_rng(1).random((arguments.height, arguments.width, 4),
                                              dtype=np.float32)
    with tempfile.TemporaryDirectory() as directory:
        path = write_correction_file(directory)
        print(f"{arguments.width}x{arguments.height} RGBA, {arguments.repeats} interleaved runs "
              f"each; medians; malloc: {'freed memory kept in the heap' if heap else 'default'}")
        for name, shading, distortion in (("shading", "remove", None),
                                          ("distortion", None, "undistort"),
                                          ("both", "remove", "undistort")):
            corrector = lenscorrection.Corrector(shading=shading, distortion=distortion,
                                                 correction_file=path, clip_name=CLIP_NAME)
            library = lenscorrection_bench.LibraryRender(path, CLIP_NAME, bool(shading),
                                                         bool(distortion), frame, picture)
            # The first runs build the renderers and let the OpenCL runtime compile.
            corrector.correct(frame, picture)
            library.run()
            timings = {"correct": [], "render": []}
            for repeat in range(arguments.repeats):
                # Alternating which goes first, so that neither always follows the other.
                calls = [("correct", lambda: corrector.correct(frame, picture)),
                         ("render", library.run)]
                for name_of_call, call in calls[::1 if repeat % 2 else -1]:
                    wall, cpu = time.perf_counter(), time.process_time()
                    call()
                    timings[name_of_call].append(
                        (time.perf_counter() - wall, time.process_time() - cpu))
            python_wall, python_cpu = map(statistics.median, zip(*timings["correct"]))
            core_wall, core_cpu = map(statistics.median, zip(*timings["render"]))
            print(f"  {name:<10} Corrector.correct {python_wall * 1e3:7.1f} ms "
                  f"(cpu {python_cpu * 1e3:7.1f})   Core::Core::render {core_wall * 1e3:7.1f} ms "
                  f"(cpu {core_cpu * 1e3:7.1f})   ratio {python_wall / core_wall:.3f} "
                  f"(cpu {python_cpu / core_cpu:.3f})")


if __name__ == "__main__":
    main()
