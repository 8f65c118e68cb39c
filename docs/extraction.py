#!/usr/bin/python3
# Copyright (c) 2026 The Lens Correction Authors
# SPDX-License-Identifier: BSD-3-Clause
"""Draws docs/extraction.png: where the optical centre falls in plates cut from the recording.

Run with Debian's matplotlib: /usr/bin/python3 docs/extraction.py
"""
import pathlib

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402
from matplotlib.patches import Rectangle  # noqa: E402

RECORDING = (1920, 1080)
CENTRE = (RECORDING[0] / 2, RECORDING[1] / 2)


def window(axes, x, y, width, height, colour, label, style="-", fill=False):
    axes.add_patch(Rectangle((x, y), width, height, fill=fill, alpha=0.12 if fill else 1,
                             edgecolor=colour, facecolor=colour, linestyle=style, linewidth=2))
    if label:
        axes.text(x + 14, y + 60, label, color=colour, fontsize=9)


def main():
    figure, panels = plt.subplots(1, 2, figsize=(10, 3.4), dpi=80)
    for axes, title in zip(panels, ("--extraction 1920x804 (centred)",
                                    "--extraction 1440x603+480+160 (off-centre)")):
        axes.set_xlim(-60, RECORDING[0] + 60)
        axes.set_ylim(RECORDING[1] + 60, -60)
        axes.set_aspect("equal")
        axes.axis("off")
        axes.set_title(title, fontsize=10)
        window(axes, 0, 0, *RECORDING, "black", "")
        axes.text(12, RECORDING[1] - 24, "recording 1920x1080: the lens data's frame",
                  fontsize=9)
        axes.plot(*CENTRE, marker="+", markersize=16, markeredgewidth=2.5, color="crimson")
        axes.text(CENTRE[0] + 30, CENTRE[1] + 50, "optical centre", color="crimson", fontsize=9)

    # Centred: the window is a recording format of its own, centred on the optical centre.
    window(panels[0], 0, 138, 1920, 804, "tab:blue", "", fill=True)
    window(panels[0], 0, 138, 1920, 804, "tab:blue", "plate: buffer = picture")

    # Off-centre: the smallest buffer centred on the optical centre that covers the window.
    x, y, width, height = 480, 160, 1440, 603
    half_width = max(CENTRE[0] - x, x + width - CENTRE[0])
    half_height = max(CENTRE[1] - y, y + height - CENTRE[1])
    window(panels[1], CENTRE[0] - half_width, CENTRE[1] - half_height, 2 * half_width,
           2 * half_height, "darkorange", "", style="--")
    panels[1].text(CENTRE[0] - half_width + 12, CENTRE[1] + half_height - 14,
                   "buffer centred on the optical centre", color="darkorange", fontsize=9)
    window(panels[1], x, y, width, height, "tab:blue", "", fill=True)
    window(panels[1], x, y, width, height, "tab:blue", "plate")
    panels[1].plot(x + width / 2, y + height / 2, marker="x", markersize=9, color="tab:blue")
    panels[1].text(x + width / 2 + 20, y + height / 2 - 20, "plate's middle", color="tab:blue",
                   fontsize=9)

    figure.tight_layout()
    figure.savefig(pathlib.Path(__file__).with_name("extraction.png"))


if __name__ == "__main__":
    main()
