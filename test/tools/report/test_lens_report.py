# Copyright (c) 2026 The Lens Correction Authors
# SPDX-License-Identifier: BSD-3-Clause
"""lenscorrect-report on the frame mapping that the real lenscorrect writes for a small plate
with sparse records, a missing frame and a frame beyond the clip: its files, and its figure's
four panels read back from matplotlib's objects against the plate's own frames."""
import html.parser
import importlib.machinery
import importlib.util
import json
import math
import os
import subprocess

import numpy as np
import pytest
from matplotlib.patches import Rectangle

import lenscorrection
from lens_test_support import RADII, correction_file_text, picture, requires_opencl, write_exr

TOOL = os.environ["LC_LENSCORRECT"]
SCRIPT = os.environ["LC_REPORT"]

# Records of clip frames 0, 1 and 3 (sparse) of a clip of 5: (shading %, distortion at 21.4 mm,
# focal length mm, focus distance m).
RECORDS = {0: (60.0, -40.0, 18.0, 1.5), 1: (70.0, -10.0, 35.0, 2.0), 3: (85.0, 20.0, 50.0, 2.5)}
# Plate frames 1001 to 1006 are clip frames 0 to 5; 1003 is missing, 1006 lies beyond the clip.
PLATE = (1001, 1002, 1004, 1005, 1006)


def load_report():
    loader = importlib.machinery.SourceFileLoader("lenscorrect_report", SCRIPT)
    spec = importlib.util.spec_from_loader("lenscorrect_report", loader)
    module = importlib.util.module_from_spec(spec)
    loader.exec_module(module)
    return module


report = load_report()


def lens_file_text():
    frames = []
    for number, (shading, distortion, _, _) in RECORDS.items():
        frames.append((number, [shading] * 6, [distortion * (r / 21.4) ** 2 for r in RADII],
                       f"01:00:00:{number:02d}"))
    lines = correction_file_text(frames, clipDurationFrames="5").splitlines()
    # The frame lines' focal length and focus distance, which the helper leaves empty.
    for index, line in enumerate(lines):
        number = line.split(";")[0]
        if number.isdigit() and int(number) in RECORDS:
            fields = line.split(";")
            fields[3:5] = [repr(value) for value in RECORDS[int(number)][2:]]
            lines[index] = ";".join(fields)
    return "\n".join(lines) + "\n"


@pytest.fixture(name="mapping")
def mapping_fixture(tmp_path):
    """The plate, its lens data and the frame mapping lenscorrect writes to standard output."""
    lens_file = tmp_path / "A001C001.tlcf"
    lens_file.write_text(lens_file_text())
    (tmp_path / "plate").mkdir()
    for number in PLATE:
        write_exr(tmp_path / f"plate/p.{number}.exr", picture(96, 54, 3, number))
    arguments = [TOOL, "plate/p.####.exr", "--correction-file", lens_file.name, "--clip-name",
                 "A001C001.mov", "--first-frame", "1001", "--shading", "remove", "--distortion",
                 "undistort", "--dry-run", "--json"]
    done = subprocess.run(arguments, cwd=tmp_path, capture_output=True, text=True, check=False)
    assert done.returncode == 1, done.stderr
    (tmp_path / "mapping.json").write_text(done.stdout)
    return tmp_path, done.stdout


def expected_records():
    """Plate frame: the clip frame's record, or None."""
    expected = {}
    for number in range(1001, 1007):
        clip_frame = number - 1001
        taken = [record for record in RECORDS if record <= clip_frame]
        expected[number] = max(taken) if number in PLATE and clip_frame < 5 else None
    return expected


def span(patch):
    if isinstance(patch, Rectangle):
        return patch.get_x(), patch.get_x() + patch.get_width()
    xs = np.asarray(patch.get_xy())[:, 0]
    return xs.min(), xs.max()


@requires_opencl
def test_the_figure_holds_every_frames_values(mapping):
    directory, text = mapping
    document = report.load_document(str(directory / "mapping.json"))
    figure = report.lens_data_figure(document)
    axes = figure.get_axes()
    assert [ax.get_gid() for ax in axes] == [field for field, _, _ in report.PANELS]
    records = expected_records()
    frames = {frame["frame"]: frame for frame in document["frames"]}
    assert sorted(frames) == list(range(1001, 1007))
    for ax in axes:
        field = ax.get_gid()
        (line,) = [line for line in ax.get_lines() if line.get_gid() == "values"]
        xs = list(line.get_xdata())
        ys = list(line.get_ydata())
        assert xs == list(range(1001, 1007)), field
        for number, value in zip(xs, ys):
            record = records[number]
            if record is None:
                assert math.isnan(value), (field, number)
                continue
            shading, distortion, focal_length, focus = RECORDS[record]
            # Each panel shows the frame's own value of the document, which is the record's.
            assert value == frames[number][field], (field, number)
            if field == "focalLength":
                assert value == pytest.approx(focal_length)
            elif field == "focusDistance":
                assert value == pytest.approx(focus)
            elif field == "cornerShading":
                assert value == pytest.approx(math.log2(100.0 / shading), abs=1e-3)
            else:
                # Barrel (negative values) moves the corner out when it is removed.
                assert (value > 0) == (distortion < 0), (number, value)
        # A dot where a new record begins: 1001, 1002 and 1004 (1005 keeps record 3).
        assert [xs[i] for i in line.get_markevery()] == [1001, 1002, 1004], field
        trouble = {patch.get_label(): span(patch) for patch in ax.patches
                   if patch.get_gid() == "trouble"}
        assert trouble == {"missing": (1002.5, 1003.5), "no lens data": (1005.5, 1006.5)}

    # The module reads the same document, from the tool's standard output.
    checked = lenscorrection.parse_frame_mapping(text)
    assert not checked.ready
    assert [frame["frame"] for frame in checked.problems] == [1003, 1006]
    assert checked.frame(1004)["record"] == {"frame": 3, "timecode": "01:00:00:03"}


class Links(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.sources = []
        self.rows = 0

    def handle_starttag(self, tag, attrs):
        attributes = dict(attrs)
        if tag == "img":
            self.sources.append(attributes["src"])
        if tag == "tr" and attributes.get("class") == "trouble":
            self.rows += 1


@requires_opencl
def test_the_report_writes_its_files_and_renders_three_frames(mapping):
    directory, _ = mapping
    done = subprocess.run([SCRIPT, "mapping.json", "-o", "report", "--plate", "--lenscorrect",
                           TOOL], cwd=directory, capture_output=True, text=True, check=False)
    assert done.returncode == 0, done.stderr
    written = sorted(os.listdir(directory / "report"))
    # The first, middle and last frame found: 1001, 1004 and 1005.
    assert written == sorted(["index.html", "lens-data.png"]
                             + [f"{kind}.{number}.png" for kind in ("displacement", "preview")
                                for number in (1001, 1004, 1005)])
    page = (directory / "report/index.html").read_text()
    links = Links()
    links.feed(page)
    # Offline: every picture is a file of the folder.
    assert sorted(links.sources) == sorted(name for name in written if name.endswith(".png"))
    assert "http" not in page
    assert links.rows == 2
    assert "Not ready" in page


def test_the_displacement_field_is_read_from_the_st_map():
    # An ST-map that takes every pixel from 3 px left and 4 px up: a constant 5 px move.
    width, height = 40, 30
    y, x = np.mgrid[0:height, 0:width].astype(np.float32)
    st_map = np.zeros((height, width, 4), np.float32)
    st_map[..., 0] = (x - 3 + 0.5) / width
    st_map[..., 1] = 1.0 - (y - 4 + 0.5) / height
    st_map[..., 3] = 1.0
    figure = report.displacement_figure(st_map, (0, 0), (width, height), 7)
    (image,) = figure.get_axes()[0].get_images()
    assert np.allclose(image.get_array(), 5.0, atol=1e-4)


def test_a_document_of_another_version_is_refused(tmp_path):
    path = tmp_path / "mapping.json"
    path.write_text(json.dumps({"version": 2, "run": {}, "frames": []}))
    done = subprocess.run([SCRIPT, str(path), "-o", str(tmp_path / "report")],
                          capture_output=True, text=True, check=False)
    assert done.returncode == 2
    assert "version 2" in done.stderr
    with pytest.raises(lenscorrection.Error, match="another version"):
        lenscorrection.read_frame_mapping(path)
