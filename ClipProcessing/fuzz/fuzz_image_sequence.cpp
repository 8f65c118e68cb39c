// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
//
// lenscorrect's own handling of sequences, where it does more than hand bytes to OpenImageIO:
// frame number patterns (which reach a printf-style formatter), one file standing for its
// sequence, frame lists (expanded by OpenImageIO only after the tool has bounded them) and the
// window arithmetic of enlarged frames. The input is lines: a pattern, a path, a frame list, then
// up to nine numbers for the geometry. Only Failure may be thrown; every result must hold up.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "Common/Failure.h"
#include "Common/FrameGeometry.h"
#include "Plate/FrameList.h"
#include "Plate/FramePattern.h"

using namespace LensCorrect;

namespace
{

void require(bool condition)
{
    if (!condition)
    {
        std::abort();
    }
}

void pattern(const std::string& text, int frame)
{
    try
    {
        const FramePattern pattern(text);
        // A name without a field is the pattern itself, "%%" read as "%".
        const std::string path = pattern.path(frame);
        require(!path.empty() && path.size() <= text.size() + 11);
    }
    catch (const Failure&)
    {
    }
}

void fileOfSequence(const std::string& text)
{
    if (const auto sequence = FramePattern::sequenceOfFile(text))
    {
        // The file is the one its own sequence names for its number.
        require(sequence->first.path(sequence->second) == text);
    }
}

void frameList(const std::string& text)
{
    try
    {
        const std::vector<int> frames = parseFrameList(text);
        require(frames.size() <= maximumFrameListSize);
        for (size_t i = 1; i < frames.size(); ++i)
        {
            require(frames[i - 1] < frames[i]);
        }
    }
    catch (const Failure&)
    {
    }
}

void geometry(const std::vector<int64_t>& numbers)
{
    const auto number
        = [&](size_t index) { return index < numbers.size() ? numbers[index] : int64_t(0); };
    const Size picture { uint32_t(number(0)) % 20000, uint32_t(number(1)) % 20000 };
    const Size library { uint32_t(number(2)) % 40000, uint32_t(number(3)) % 40000 };
    const Size buffer = FrameGeometry::renderSize(picture, library);
    require(buffer.width >= picture.width && buffer.height >= picture.height);
    const Size canvas = FrameGeometry::renderSize(
        buffer, { uint32_t(number(4)) % 50000, uint32_t(number(5)) % 50000 });
    const Size offset = FrameGeometry::bufferOffset(picture, buffer, canvas);
    require(uint64_t(offset.width) + buffer.width <= canvas.width);
    require(uint64_t(offset.height) + buffer.height <= canvas.height);
    try
    {
        FrameGeometry::checkFrameSize(canvas, "frame");
        require(canvas.pixels() <= maximumFramePixels);
    }
    catch (const Failure&)
    {
    }
    try
    {
        const Window pictureWindow { int(number(6)), int(number(7)), picture };
        const Window window = FrameGeometry::canvasWindow(pictureWindow, canvas);
        require(window.x <= pictureWindow.x && window.y <= pictureWindow.y);
        require(int64_t(window.x) + canvas.width >= int64_t(pictureWindow.x) + picture.width);
    }
    catch (const Failure&)
    {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
    std::string patternText;
    std::string pathText;
    std::string listText;
    std::getline(input, patternText);
    std::getline(input, pathText);
    std::getline(input, listText);
    std::vector<int64_t> numbers;
    for (std::string line; std::getline(input, line) && numbers.size() < 9;)
    {
        numbers.push_back(std::strtoll(line.c_str(), nullptr, 10));
    }
    pattern(patternText, numbers.empty() ? 1001 : int(numbers.back() % 2000000000));
    fileOfSequence(pathText);
    frameList(listText);
    geometry(numbers);
    return 0;
}
