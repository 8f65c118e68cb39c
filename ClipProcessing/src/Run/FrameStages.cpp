// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Run/FrameStages.h"

#include <filesystem>
#include <utility>

namespace LensCorrect
{

FrameStages::FrameStages(const RunSettings& options, Size picture, const FrameSizes& canvas,
    FrameCorrector& corrector, ClipLensData& lensData, const PlateKind& kind,
    std::string plateFormat, std::string clipName, FramePool* pool)
    : keepSize(options.keepSize)
    , shading(options.shading)
    , distortion(options.distortion)
    , dataType(options.dataType.empty() ? OIIO::TypeUnknown : OIIO::TypeDesc(options.dataType))
    , picture(picture)
    , canvas(canvas)
    , corrector(corrector)
    , lensData(lensData)
    , kind(kind)
    , plateFormat(std::move(plateFormat))
    , clipName(std::move(clipName))
    , pool(pool)
{
}

RgbaImage FrameStages::take(Size size) { return pool ? pool->take(size) : RgbaImage(); }

void FrameStages::give(RgbaImage& image)
{
    if (pool)
    {
        pool->give(std::move(image));
    }
}

void FrameStages::recycle(Rendered& rendered)
{
    for (FrameWriter::FramePart& part : rendered.parts)
    {
        for (RgbaImage& group : part.groups)
        {
            give(group);
        }
    }
    rendered.parts.clear();
}

Rendered FrameStages::render(Decoded& decoded)
{
    Rendered rendered { decoded.job, {}, {}, {}, {}, {}, {}, {}, decoded.failure };
    if (rendered.failure)
    {
        return rendered;
    }
    const Job& job = decoded.job;
    try
    {
        // The record first: a frame without lens data fails with the reason.
        const LensRecord record = lensData.record(job.lens);
        const LensDataKey key = job.lens.key.value_or(LensDataKey {});
        const Size renderSize = canvas.renderSize(job, lensData, corrector);
        const Size outputSize = keepSize ? picture : canvas.size();

        Plate& plate = *decoded.plate;
        rendered.plateSpec = plate.parts.front().spec;
        rendered.pictureWindow = plate.parts.front().place.picture;
        rendered.window = keepSize
            ? rendered.pictureWindow
            : FrameGeometry::canvasWindow(rendered.pictureWindow, outputSize);
        // Into a buffer of the pool, the frame's own going back.
        const auto place = [&](RgbaImage image)
        {
            if (image.size == outputSize)
            {
                return image;
            }
            RgbaImage placed = keepSize
                ? centredCopy(image.pixels.data(), image.size, outputSize, take(outputSize))
                : placedCopy(image.pixels.data(), image.size, outputSize,
                    FrameGeometry::bufferOffset(picture, image.size, outputSize), take(outputSize));
            give(image);
            return placed;
        };
        if (!job.output.empty() || job.preview)
        {
            for (size_t index = 0; index < plate.parts.size(); ++index)
            {
                Plate::Part& part = plate.parts[index];
                // Shading leaves every pixel where it is, so a part keeps its data window;
                // distortion moves pixels anywhere in the frame.
                const bool inPlace = !distortion;
                FrameWriter::FramePart output { part.spec,
                    inPlace ? part.place.data : rendered.window, {}, &kind.parts()[index].colour,
                    &kind.parts()[index].layout };
                for (RgbaImage& group : part.groups)
                {
                    const bool preview = job.preview && index == 0 && output.groups.empty();
                    if (preview)
                    {
                        before = group;
                    }
                    // Corrected in the plate's own buffer where the size allows.
                    RgbaImage corrected
                        = corrector.correct(key, renderSize, std::move(group), pool);
                    if (preview)
                    {
                        after = place(corrected);
                    }
                    if (inPlace && part.place.data != part.place.picture)
                    {
                        output.groups.push_back(placedCopy(corrected.pixels.data(), corrected.size,
                            part.place.data.size, part.place.dataOffset(),
                            take(part.place.data.size)));
                        give(corrected);
                    }
                    else
                    {
                        output.groups.push_back(place(std::move(corrected)));
                    }
                }
                rendered.parts.push_back(std::move(output));
            }
        }
        if (!job.stMap.empty())
        {
            rendered.stMap = place(corrector.stMap(key, renderSize));
        }
        if (!job.gainMap.empty())
        {
            rendered.gainMap = corrector.gainMap(key);
        }
        rendered.provenance = provenance(record);
    }
    catch (const Failure& failure)
    {
        rendered.failure = failure;
    }
    catch (const std::exception& exception)
    {
        rendered.failure = Failure(
            "The frame could not be corrected.", std::string("Reason: ") + exception.what());
    }
    return rendered;
}

Provenance FrameStages::provenance(const MappedFrame& lens) const
{
    return provenance(lensData.record(lens));
}

Provenance FrameStages::provenance(const LensRecord& record) const
{
    return { std::filesystem::path(lensData.path()).filename().string(), clipName, record.name,
        record.timecode, shading, distortion, "frame" };
}

void FrameStages::write(Rendered& rendered)
{
    const Job& job = rendered.job;
    Provenance provenance = rendered.provenance;
    if (!job.output.empty())
    {
        FrameWriter::writeFrame(job.output, rendered.parts, plateFormat, dataType, provenance);
    }
    if (rendered.stMap)
    {
        provenance.what = "ST-map";
        FrameWriter::write(job.stMap,
            FrameWriter::mapSpec(rendered.plateSpec, rendered.window, job.stMap, provenance),
            rendered.stMap->pixels.data());
    }
    if (rendered.gainMap)
    {
        provenance.what = "gain map";
        FrameWriter::write(job.gainMap,
            FrameWriter::mapSpec(
                rendered.plateSpec, rendered.pictureWindow, job.gainMap, provenance),
            rendered.gainMap->pixels.data());
    }
}

} // namespace LensCorrect
