// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// How channels travel through RGBA buffers when the layout is made from a channel count and an
// alpha index (as pipelines without image files make it), against a plain reading of the rule:
// colour channels three to a group, the last group repeating its last channel, alpha beside each.
#include <array>
#include <vector>

#include <gtest/gtest.h>

#include "Image/ChannelLayout.h"

using namespace LensCorrect;

TEST(ChannelLayout, SplitsAndJoinsByCountAndAlpha)
{
    struct Row
    {
        int channels;
        int alpha; ///< As given; out of range means none.
        std::vector<std::array<int, 3>> groups;
        int expectedAlpha; ///< -1: opaque.
    };
    const Row rows[] = {
        { 1, -1, { { 0, 0, 0 } }, -1 },
        { 3, -1, { { 0, 1, 2 } }, -1 },
        { 4, 3, { { 0, 1, 2 } }, 3 },
        { 4, 0, { { 1, 2, 3 } }, 0 },
        { 4, 7, { { 0, 1, 2 }, { 3, 3, 3 } }, -1 },
        { 6, 3, { { 0, 1, 2 }, { 4, 5, 5 } }, 3 },
        { 1, 0, { { 0, 0, 0 } }, 0 },
    };
    const Size size { 2, 1 };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(::testing::Message() << row.channels << " channels, alpha " << row.alpha);
        const ChannelLayout layout(row.channels, row.alpha);
        ASSERT_EQ(layout.groups(), row.groups.size());
        std::vector<float> pixels(size.pixels() * size_t(row.channels));
        for (size_t i = 0; i < pixels.size(); ++i)
        {
            pixels[i] = float(i) + 0.5f;
        }
        const std::vector<RgbaImage> split = layout.split(pixels.data(), size);
        for (size_t group = 0; group < row.groups.size(); ++group)
        {
            for (size_t pixel = 0; pixel < size.pixels(); ++pixel)
            {
                const float* from = pixels.data() + pixel * size_t(row.channels);
                const float* to = split[group].pixels.data() + pixel * 4;
                for (size_t c = 0; c < 3; ++c)
                {
                    EXPECT_EQ(to[c], from[row.groups[group][c]]);
                }
                EXPECT_EQ(to[3], row.expectedAlpha >= 0 ? from[row.expectedAlpha] : 1.0f);
            }
        }
        std::vector<float> joined(pixels.size(), -1.0f);
        layout.join(split, joined.data());
        EXPECT_EQ(joined, pixels);
    }
}
