# Copyright (c) 2026 The Lens Correction Authors
# SPDX-License-Identifier: BSD-3-Clause
"""The lenscorrection module end to end: its pixels against the lenscorrect program's files, a
correction file written here read back, the bad arguments, threads sharing a corrector, and
the frame mapping the program writes."""
import os
import subprocess
import sys
import threading

import numpy as np
import pytest

import lenscorrection as lc
from lens_test_support import (CLIP_NAME, correction_file_text, picture, read_image,
                               requires_opencl, write_exr)

WIDTH, HEIGHT = 192, 108
PLATE = picture(WIDTH, HEIGHT, 4)


def corrector(lens_file, **arguments):
    return lc.Corrector(correction_file=lens_file, clip_name=CLIP_NAME, **arguments)


def assert_bitwise_equal(actual, expected):
    assert actual.dtype == expected.dtype == np.float32
    assert actual.shape == expected.shape
    differing = np.count_nonzero(actual.view(np.uint32) != expected.view(np.uint32))
    assert differing == 0, f"{differing} values differ, by up to {np.abs(actual - expected).max()}"


@requires_opencl
@pytest.mark.parametrize("shading, distortion, channels, frame", [
    ("remove", "undistort", 4, 2),
    ("add", "distort", 3, 1),
    ("remove", None, 3, 4),
    (None, "undistort", 4, 0),
])
def test_pixels_equal_the_tools_files(tmp_path, lens_file, shading, distortion, channels, frame):
    plate = picture(WIDTH, HEIGHT, channels, frame)
    # One file of a sequence stands for it; --first-frame 0 makes its number the clip's frame.
    write_exr(tmp_path / f"plate.{frame:04d}.exr", plate)
    arguments = [os.environ["LC_LENSCORRECT"], str(tmp_path / f"plate.{frame:04d}.exr"),
                 "--correction-file", str(lens_file), "--clip-name", CLIP_NAME,
                 "--first-frame", "0", "-q", "-o", str(tmp_path / "out.####.exr")]
    if shading:
        arguments += ["--shading", shading, "--gain-map", str(tmp_path / "gain.####.exr")]
    if distortion:
        arguments += ["--distortion", distortion, "--stmap", str(tmp_path / "st.####.exr")]
    run = subprocess.run(arguments, capture_output=True, text=True, check=False)
    assert run.returncode == 0, run.stdout + run.stderr

    subject = corrector(lens_file, shading=shading, distortion=distortion)
    written = f"{frame:04d}.exr"
    corrected = subject.correct(frame, plate)
    assert_bitwise_equal(corrected, read_image(tmp_path / f"out.{written}"))
    assert subject.frame_size(frame, WIDTH, HEIGHT) == corrected.shape[1::-1]
    if shading:
        assert_bitwise_equal(subject.gain_map(frame, WIDTH, HEIGHT),
                             read_image(tmp_path / f"gain.{written}"))
    if distortion:
        assert_bitwise_equal(subject.st_map(frame, WIDTH, HEIGHT),
                             read_image(tmp_path / f"st.{written}"))


def test_lens_data_reads_back_what_was_written(tmp_path):
    shading = [100.0, 97.3, 90.125, 78.0, 68.5, 55.05]
    distortion = [0.0, -2.5, -8.0, 18.25, -26.0, -100.0]
    frames = [(10, shading, distortion, "01.00.00.10"),
              (0, [100.0] * 6, [0.0] * 6, "01:00:00:00"),
              (20, [50.0] * 6, [1.0] * 6, ""),
              (10, shading[::-1], distortion[::-1], "01.00.00.10")]  # The later line wins.
    # Header values are taken byte for byte; bytes that are not UTF-8 come back as os.fsdecode
    # gives them.
    text = correction_file_text(frames, clip_name="Szene 7 – Ä", lensSerialNumber="SN\udcff1",
                                sensorWidth="24.89", tcFps="25", clipWidth="4096x")
    path = tmp_path / "lens.tlcf"
    path.write_bytes(text.encode("utf-8", "surrogateescape"))

    data = lc.LensData(path)
    assert data.path == str(path)
    header = data.header
    assert len(header) == 19
    assert (header["clipName"], header["lensSerialNumber"]) == ("Szene 7 – Ä", "SN\udcff1")
    assert header["sensorWidth"] == float(np.float32(24.89))
    assert (header["clipWidth"], header["clipHeight"], header["tcDrop"]) == (0, 1080, False)
    assert header["enableLensShadingCorrection"] is True
    assert data.frame_numbers == [0, 10, 20]

    ten = data.frame(15)
    assert ten.frame_number == 10
    assert ten.shading == tuple(float(np.float32(v)) for v in shading[::-1])
    assert ten.radial_distortion == tuple(float(np.float32(v)) for v in distortion[::-1])
    assert ten.timecode == "01:00:00:10"
    assert (data.frame(9).frame_number, data.frame(1000).frame_number) == (0, 20)
    assert data.frame_at_timecode("01:00:00:12").frame_number == 10
    assert data.frame_at_timecode("01:00:01:00", 25.0).frame_number == 20

    for timecode, fps, brief in (("00:59:59:24", None, "Metadata for the frame"),
                                 ("01:00:00:12", 30.0, "Metadata for the frame"),
                                 ("one o'clock", None, "Timecode object could not be")):
        with pytest.raises(lc.Error) as raised:
            data.frame_at_timecode(timecode, fps)
        assert raised.value.brief.startswith(brief)
    with pytest.raises(lc.Error, match="could not be read") as raised:
        lc.LensData(tmp_path / "missing.tlcf")
    assert "missing.tlcf" in raised.value.detailed


def test_lens_data_before_the_first_frame(tmp_path):
    path = tmp_path / "late.tlcf"
    path.write_text(correction_file_text([(5, [100.0] * 6, [0.0] * 6, "")]))
    with pytest.raises(lc.Error) as raised:
        lc.LensData(path).frame(3)
    assert str(raised.value) == raised.value.brief == "Metadata for the frame is not available."
    assert raised.value.detailed.startswith(raised.value.brief + "\n")
    assert "Frame Number: 3" in raised.value.detailed


@requires_opencl
@pytest.mark.parametrize("length, frame, found", [
    ("100", 99, True),   # the last record applies up to the clip's end
    ("100", 100, False),
    ("1", 999, False),   # a one-frame clip
    ("0", 999, True),    # no length: the last record applies to every later frame
])
def test_frames_beyond_the_clip_have_no_lens_data(tmp_path, length, frame, found):
    path = tmp_path / "A001C001.tlcf"
    path.write_text(correction_file_text([(0, [80.0] * 6, [0.0] * 6, "01:00:00:00")],
                                         clipDurationFrames=length))
    subject = corrector(path, shading="remove", distortion="undistort")
    calls = (lambda: subject.correct(frame, PLATE), lambda: subject.frame_size(frame, WIDTH, HEIGHT),
             lambda: subject.gain_map(frame, WIDTH, HEIGHT))
    for call in calls:
        if found:
            call()
            continue
        with pytest.raises(lc.Error) as raised:
            call()
        assert raised.value.brief == "The frame lies beyond the clip's end."
        assert f"Clip Frame: {frame}" in raised.value.detailed


BAD_CALLS = {
    # Arrays: never converted, never copied.
    "float64": (lambda c, lens: c.correct(0, PLATE.astype(np.float64)), TypeError, "float64"),
    "list": (lambda c, lens: c.correct(0, PLATE.tolist()), TypeError, "list"),
    "byte-swapped": (lambda c, lens: c.correct(0, PLATE.astype(">f4")), TypeError, ">f4"),
    "strided": (lambda c, lens: c.correct(0, PLATE[:, ::2]), ValueError, "strides"),
    "two channels": (lambda c, lens: c.correct(0, PLATE[..., :2].copy()), ValueError, "(108, 192, 2)"),
    "one row": (lambda c, lens: c.correct(0, PLATE[0]), ValueError, "(192, 4)"),
    "empty": (lambda c, lens: c.correct(0, PLATE[:0]), ValueError, "(0, 192, 4)"),
    # Numbers.
    "negative frame": (lambda c, lens: c.correct(-1, PLATE), ValueError, "-1"),
    "frame too large": (lambda c, lens: c.gain_map(2**32, WIDTH, HEIGHT), ValueError, "4294967296"),
    "negative width": (lambda c, lens: c.frame_size(0, -5, HEIGHT), ValueError, "width .* -5"),
    "zero height": (lambda c, lens: c.st_map(0, WIDTH, 0), ValueError, "height .* 0"),
    # Settings.
    "no correction": (lambda c, lens: corrector(lens), ValueError, "no correction"),
    "unknown mode": (lambda c, lens: corrector(lens, shading="removed"), ValueError,
                     "'removed'"),
    "no clip": (lambda c, lens: lc.Corrector(shading="remove", correction_file=lens),
                ValueError, "clip_name="),
    "negative rate": (lambda c, lens: corrector(lens, shading="add", fps=-25), ValueError,
                      "fps"),
    "negative resolution": (lambda c, lens: corrector(lens, shading="add",
                                                resolution=(1920, -1)), ValueError, "resolution"),
    "map without its correction": (lambda c, lens: corrector(lens, shading="add").st_map(
        0, WIDTH, HEIGHT), ValueError, "distortion"),
    # The tool's rules, with its texts.
    "half a recording format": (lambda c, lens: corrector(lens, shading="add",
                                                    resolution=(1920, 1080)), lc.Error,
                                "needs both --sensor-size and --resolution"),
    "long timecode": (lambda c, lens: corrector(lens, shading="add",
                                          start_timecode="01:00:00:00:00:00").correct(0, PLATE),
                      lc.Error, "longer than a timecode"),
    "clip name as a path": (lambda c, lens: lc.Corrector(
        shading="remove", correction_file=lens, clip_name="../elsewhere/X").correct(0, PLATE),
        lc.Error, "a clip name must be a name"),
    "extraction that is no window": (lambda c, lens: corrector(
        lens, shading="remove", extraction="1920x"), ValueError, "extraction .*WIDTHxHEIGHT"),
    "extraction beyond the recording": (lambda c, lens: corrector(
        lens, shading="remove", extraction="960x540+1000+0").correct(0, PLATE[:54, :96].copy()),
        lc.Error, "does not lie inside the recording"),
    "overscan beyond the plate": (lambda c, lens: corrector(
        lens, distortion="undistort", size_without_overscan=(200, 100)).frame_size(
        0, WIDTH, HEIGHT), lc.Error, "without overscan is larger than the plate"),
}


@pytest.mark.parametrize("call, error, message", BAD_CALLS.values(), ids=BAD_CALLS.keys())
def test_bad_arguments_are_refused(lens_file, call, error, message):
    subject = corrector(lens_file, shading="remove", distortion="undistort")
    with pytest.raises(error, match=message) as raised:
        call(subject, lens_file)
    if error is lc.Error:
        assert raised.value.detailed.startswith(str(raised.value) + "\n")


@requires_opencl
@pytest.mark.parametrize("shading, distortion", [("remove", "undistort"), ("add", "distort")])
def test_both_corrections_equal_the_two_in_the_recorded_pictures_order(lens_file, shading,
                                                                       distortion):
    both = corrector(lens_file, shading=shading, distortion=distortion).correct(2, PLATE)
    shading_alone = corrector(lens_file, shading=shading)
    distortion_alone = corrector(lens_file, distortion=distortion)
    if distortion == "undistort":
        expected = distortion_alone.correct(2, shading_alone.correct(2, PLATE))
    else:
        expected = shading_alone.correct(2, distortion_alone.correct(2, PLATE))
    assert_bitwise_equal(both, expected)


@requires_opencl
def test_an_extraction_is_the_whole_frame_corrected_and_cut(lens_file):
    # The 1920x1080 recording at a tenth is PLATE; the window 1200x500+300+100 is its part at
    # (30, 10), off the optical centre.
    whole = corrector(lens_file, shading="remove", distortion="undistort")
    window = corrector(lens_file, shading="remove", distortion="undistort",
                       extraction="1200x500+300+100")
    plate = np.ascontiguousarray(PLATE[10:60, 30:150])
    expected = whole.correct(1, PLATE)
    corrected = window.correct(1, plate)
    assert window.frame_size(1, 120, 50) == corrected.shape[1::-1]
    # Plate coordinates in either frame, the picture centred in both; away from the plate's edge.
    top, left = (corrected.shape[0] - 50) // 2, (corrected.shape[1] - 120) // 2
    whole_top, whole_left = (expected.shape[0] - HEIGHT) // 2, (expected.shape[1] - WIDTH) // 2
    inset = 6
    inside = corrected[top + inset:top + 50 - inset, left + inset:left + 120 - inset]
    cut = expected[whole_top + 10 + inset:whole_top + 60 - inset,
                   whole_left + 30 + inset:whole_left + 150 - inset]
    assert np.abs(inside - cut).max() < 2e-5


@requires_opencl
def test_two_threads_share_a_corrector(lens_file):
    shared = corrector(lens_file, shading="remove", distortion="undistort")
    plates = [picture(WIDTH, HEIGHT, 4, frame) for frame in range(4)]
    expected = [shared.correct(frame, plate) for frame, plate in enumerate(plates)]
    results = {}

    def correct_all(first):
        results[first] = [shared.correct(frame, plates[frame])
                          for frame in range(first, len(plates), 2) for _ in range(3)]

    threads = [threading.Thread(target=correct_all, args=(first,)) for first in (0, 1)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    for first, corrected in results.items():
        frames = [frame for frame in range(first, len(plates), 2) for _ in range(3)]
        for frame, image in zip(frames, corrected):
            assert_bitwise_equal(image, expected[frame])


@requires_opencl
def test_example_writes_the_corrected_plate(tmp_path, lens_file):
    plate = picture(WIDTH, HEIGHT, 3, 3)
    write_exr(tmp_path / "plate.exr", plate)
    run = subprocess.run(
        [sys.executable, os.environ["LC_PYTHON_EXAMPLE"], str(tmp_path / "plate.exr"),
         "--correction-file", str(lens_file), "--clip-name", CLIP_NAME, "--frame", "3",
         "--shading", "remove", "--distortion", "undistort", "-o", str(tmp_path / "out.exr")],
        capture_output=True, text=True, check=False)
    assert run.returncode == 0, run.stdout + run.stderr
    print(run.stdout)
    expected = corrector(lens_file, shading="remove", distortion="undistort").correct(3, plate)
    assert_bitwise_equal(read_image(tmp_path / "out.exr"), expected)


@requires_opencl
def test_the_tools_frame_mapping_tells_whether_a_plate_is_ready(tmp_path, lens_file):
    for frame in (0, 1, 2, 4):
        write_exr(tmp_path / f"plate.{frame:04d}.exr", picture(WIDTH, HEIGHT, 3, frame))
    mapping = tmp_path / "mapping.json"
    arguments = [os.environ["LC_LENSCORRECT"], str(tmp_path / "plate.####.exr"),
                 "--correction-file", str(lens_file), "--clip-name", CLIP_NAME,
                 "--first-frame", "0", "--shading", "remove", "--dry-run", "--json", str(mapping)]
    run = subprocess.run(arguments + ["--frames", "0-2"], capture_output=True, text=True,
                         check=False)
    assert run.returncode == 0, run.stderr
    ready = lc.read_frame_mapping(mapping)
    assert ready.ready and ready.version == 1 and not ready.problems and ready.failure is None
    assert [frame["frame"] for frame in ready.frames] == [0, 1, 2]
    assert ready.run["corrections"] == {"shading": "remove", "distortion": None,
                                        "keepSize": False}
    # The corner shading is the gain the corrector applies at the corner pixel, in stops.
    gain = corrector(lens_file, shading="remove").gain_map(1, WIDTH, HEIGHT)[0, 0, 0]
    assert ready.frame(1)["cornerShading"] == pytest.approx(np.log2(gain), abs=1e-4)
    assert ready.frame(1)["record"] == {"frame": 1, "timecode": "01:00:00:01"}
    with pytest.raises(KeyError):
        ready.frame(3)

    # The whole plate lacks frame 3: not ready, and the script sees which frame.
    run = subprocess.run(arguments, capture_output=True, text=True, check=False)
    assert run.returncode == 1
    missing = lc.read_frame_mapping(mapping)
    assert not missing.ready
    assert [(frame["frame"], frame["status"]) for frame in missing.problems] == [(3, "missing")]

    with pytest.raises(lc.Error, match="not JSON"):
        lc.parse_frame_mapping("frame 3 is missing")
    with pytest.raises(lc.Error, match="not a frame mapping"):
        lc.parse_frame_mapping('{"version": 1}')
    with pytest.raises(lc.Error, match="cannot be opened"):
        lc.read_frame_mapping(tmp_path / "none.json")
