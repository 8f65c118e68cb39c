// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
//
// Drives a real plug-in in the simulated host with a command sequence made from the input, as a
// misbehaving host or a damaged project would: commands 0 to 20 in any order, parameter edits
// with any index and value, any downsampling and time, 8- and 16-bit worlds of odd sizes with
// padded rows, sequence data made of the input's bytes, a file dialog answering any bytes.
//
// Invariants besides "every call returns" and no sanitizer report: every suite acquired in a
// command is released by its end, the output world is written only inside its pixels, and
// return_msg always ends with a zero byte.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <memory>
#include <string>

#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "LensCorrection/LensCorrectionParameter.h"
#include "host/SimulatedHost.h"

namespace
{

/// A correction file that the library accepts for 16:9 frames of the host's default clip, and
/// a zenity on PATH that answers what the input last put in `answer`.
struct Files
{
    Files()
    {
        char pattern[] = "/tmp/fuzz-plugin-XXXXXX";
        directory = ::mkdtemp(pattern);
        correctionFile = directory + "/A001C003.tlcf";
        answer = directory + "/answer";
        std::ofstream(correctionFile)
            << "HEADER_START\nlensManufacturer:=Test Optics\nlensTypeName:=Prime 35\n"
               "lensSerialNumber:=0001\nlensMinFocalLength:=35\nlensMaxFocalLength:=35\n"
               "cameraManufacturer:=ARRI\ncameraModel:=ALEXA Mini\nsensorWidth:=23.76\n"
               "clipName:=A001C003\nvideoFileName:=A001C003.mov\nclipDurationFrames:=100\n"
               "clipWidth:=1920\nclipHeight:=1080\ntcFps:=25\ntcDrop:=0\n"
               "enableLensShadingCorrection:=1\nshadingGamma:=1\n"
               "enableLensDistortionCorrection:=1\ndistortionZoom:=1\nHEADER_END\n"
               "frame;shading;radialDistortion;focalLength;focusDistance;iris;zoom;tStop;"
               "timecode\n0;100,97.5,90,78,68,55;0,-2,-8.5,-18,-26,-38;;;;;;\n";
        std::ofstream(directory + "/zenity") << "#!/bin/sh\ncat '" << answer << "'\n";
        ::chmod((directory + "/zenity").c_str(), 0755);
        const char* path = std::getenv("PATH");
        ::setenv("PATH", (directory + ":" + (path ? path : "")).c_str(), 1);
    }

    std::string directory;
    std::string correctionFile;
    std::string answer;
};

const Files& files()
{
    static const Files instance;
    return instance;
}

/// Keeps each plug-in loaded between inputs, so that an input does not pay for a fresh library.
Host::SimulatedHost& anchor(const std::string& plugin)
{
    static Host::SimulatedHost shading;
    static Host::SimulatedHost distortion;
    Host::SimulatedHost& host = plugin == LC_SHADING_PLUGIN ? shading : distortion;
    if (!host.loaded())
    {
        host.load(plugin);
    }
    return host;
}

double anyValue(FuzzedDataProvider& input)
{
    switch (input.ConsumeIntegralInRange(0, 5))
    {
    case 0:
        return std::numeric_limits<double>::quiet_NaN();
    case 1:
        return input.ConsumeBool() ? INFINITY : -INFINITY;
    case 2:
        return input.ConsumeIntegralInRange(-2, 4000);
    default:
        return input.ConsumeFloatingPoint<double>();
    }
}

PF_RationalScale anyScale(FuzzedDataProvider& input)
{
    return { input.ConsumeIntegral<A_long>(), input.ConsumeIntegral<A_u_long>() };
}

void check(const Host::SimulatedHost& host)
{
    if (host.history().empty())
    {
        return;
    }
    const Host::CommandRecord& record = host.lastCommand();
    if (!record.suitesBalanced() || !record.returnMessageTerminated)
    {
        std::abort();
    }
    // A world without rows has no padding to check (and the host's check divides by rowbytes).
    if (record.command == PF_Cmd_RENDER && host.frames().outputWorld().rowbytes() > 0
        && !host.frames().outputWorld().paddingIntact())
    {
        std::abort();
    }
}

/// Commands that read the controls. A host hands them the parameters it registered, and no
/// plug-in can tell the length of the array it gets: before parameter setup they are not sent.
bool readsControls(PF_Cmd command)
{
    return command == PF_Cmd_FRAME_SETUP || command == PF_Cmd_RENDER
        || command == PF_Cmd_USER_CHANGED_PARAM || command == PF_Cmd_UPDATE_PARAMS_UI;
}

void step(Host::SimulatedHost& host, FuzzedDataProvider& input)
{
    const bool registered = host.parameters().count() == LensCorrectionParameter::parameterCount;
    switch (input.ConsumeIntegralInRange(0, 12))
    {
    case 0:
    {
        const PF_Cmd command = input.ConsumeIntegralInRange<PF_Cmd>(0, 20);
        if (registered || !readsControls(command))
        {
            host.send(command);
        }
        break;
    }
    case 1:
        if (registered)
        {
            host.userChangedParameter(input.ConsumeIntegralInRange<PF_ParamIndex>(
                0, LensCorrectionParameter::parameterCount - 1));
        }
        break;
    case 2:
        if (registered)
        {
            host.editParameter(
                input.ConsumeIntegralInRange<PF_ParamIndex>(1, host.parameters().count() - 1),
                anyValue(input));
        }
        break;
    case 3:
        host.frames().setDownsampling(anyScale(input), anyScale(input));
        break;
    case 4:
        host.frames().setTime(input.ConsumeIntegral<A_long>(), input.ConsumeIntegral<A_long>(),
            input.ConsumeIntegral<A_u_long>());
        break;
    case 5:
    {
        // Small, so that renders stay quick; 16 x 9 and 32 x 18 fit the 16:9 correction file.
        const A_long width = input.ConsumeIntegralInRange<A_long>(0, 32);
        const A_long height = input.ConsumeIntegralInRange<A_long>(0, 18);
        const bool deep = input.ConsumeBool();
        Host::PixelWorld layer(width, height, deep, input.ConsumeIntegralInRange<A_long>(0, 9));
        layer.fill({ 255, 128, 64, 32 });
        host.frames().setInputLayer(std::move(layer));
        host.frames().setOutputRowPadding(input.ConsumeIntegralInRange<A_long>(0, 9));
        break;
    }
    case 6:
        host.setSequenceDataBytes(
            input.ConsumeBytes<unsigned char>(input.ConsumeIntegralInRange(0, 4200)));
        break;
    case 7:
        host.clearSequenceData();
        break;
    case 8:
        if (registered)
        {
            host.renderFrame();
        }
        break;
    case 9:
        std::ofstream(files().answer, std::ios::binary) << input.ConsumeRandomLengthString(5000);
        if (registered)
        {
            host.userChangedParameter(LensCorrectionParameter::filePathIndex);
        }
        break;
    case 10:
        std::ofstream(files().answer) << files().correctionFile << "\n";
        if (registered)
        {
            host.userChangedParameter(LensCorrectionParameter::filePathIndex);
        }
        break;
    case 11:
        host.reopenProject(
            input.ConsumeBytes<unsigned char>(input.ConsumeIntegralInRange(0, 4200)));
        break;
    default:
        host.faults().failHandleAllocations(input.ConsumeBool());
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string plugin = input.ConsumeBool() ? LC_SHADING_PLUGIN : LC_DISTORTION_PLUGIN;
    const A_long applications[] = { PF_APPL_ID_AFTER_EFFECTS, PF_APPL_ID_PREMIERE_PRO, 0x3F3F3F3F };
    files();
    anchor(plugin);
    Host::SimulatedHost host(applications[input.ConsumeIntegralInRange(0, 2)]);
    host.load(plugin);
    host.clip().setFootagePath(u"/Volumes/Media/A001C003.mov");
    if (input.ConsumeBool())
    {
        host.applyEffect();
        host.frames().setInputLayer(Host::PixelWorld(16, 9, input.ConsumeBool()));
    }
    for (int steps = 0; steps < 24 && input.remaining_bytes() > 0; ++steps)
    {
        try
        {
            step(host, input);
            check(host);
        }
        catch (const Host::HostError&)
        {
            // The host refused a misuse of its own interface (an index it has no parameter for,
            // an output world it cannot make) before or instead of calling the plug-in.
        }
    }
    return 0;
}
