// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "PluginTestSupport.h"

#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

#include "Core/Core.h"
#include "Platform/FakeZenity.h"
#include "Support/TemporaryDirectory.h"
#include "Support/TestCoreDataSource.h"

namespace PluginTest
{

const std::string shadingPlugin = LC_SHADING_PLUGIN;
const std::string distortionPlugin = LC_DISTORTION_PLUGIN;

TestSupport::TestCorrectionFile::Frame lensFrame(uint32_t frameNumber, float shadingScale)
{
    TestSupport::TestCorrectionFile::Frame frame { frameNumber,
        { 100.0f, 97.5f, 90.0f, 78.0f, 68.0f, 55.0f },
        { 0.0f, -2.0f, -8.5f, -18.0f, -26.0f, -38.0f }, "" };
    for (float& value : frame.shading)
    {
        value = 100.0f - (100.0f - value) * shadingScale;
    }
    return frame;
}

TestSupport::TestCorrectionFile correctionFile()
{
    TestSupport::TestCorrectionFile file;
    file.clipName = "A001C003";
    file.videoFileName = clipFileName;
    file.frames = { lensFrame(0), lensFrame(48, 0.5f) };
    return file;
}

Host::PixelWorld syntheticLayer(A_long width, A_long height, bool deep)
{
    Host::PixelWorld layer(width, height, deep);
    const A_u_short maximum = layer.channelMaximum();
    const auto channel
        = [&](A_long value) { return A_u_short(int64_t(value % 256) * maximum / 255); };
    for (A_long y = 0; y < height; ++y)
    {
        for (A_long x = 0; x < width; ++x)
        {
            layer.setPixel(
                x, y, { channel(200 + x + y), channel(x * 3), channel(y * 5), channel(x + 2 * y) });
        }
    }
    return layer;
}

std::unique_ptr<Host::SimulatedHost> hostWithEffect(
    const std::string& plugin, A_long application, bool deep, A_long width, A_long height)
{
    {
        // The plug-in object outlives hosts: a render consumes an error left pending by an
        // earlier test, so that this host sees its own first failure.
        Host::SimulatedHost previous;
        previous.load(plugin);
        previous.send(PF_Cmd_RENDER);
    }
    auto host = std::make_unique<Host::SimulatedHost>(application);
    host->load(plugin);
    EXPECT_EQ(host->applyEffect(), PF_Err_NONE);
    host->frames().setInputLayer(syntheticLayer(width, height, deep));
    return host;
}

PF_Err chooseCorrectionFile(Host::SimulatedHost& host, const std::string& path)
{
    TestSupport::FakeZenity zenity(TestSupport::FakeZenity::choosing(path));
    return host.userChangedParameter(Control::filePathIndex);
}

std::vector<float> floatPixels(const Host::PixelWorld& layer, uint32_t width, uint32_t height)
{
    const float scale = layer.channelMaximum();
    const size_t dx = (width - uint32_t(layer.width())) / 2;
    const size_t dy = (height - uint32_t(layer.height())) / 2;
    std::vector<float> rgba(size_t(width) * height * 4, 0.0f);
    for (A_long y = 0; y < layer.height(); ++y)
    {
        for (A_long x = 0; x < layer.width(); ++x)
        {
            const auto argb = layer.pixel(x, y);
            float* pixel = &rgba[((y + dy) * width + dx + x) * 4];
            for (int c = 0; c < 4; ++c)
            {
                pixel[c] = float(argb[(c + 1) % 4]) / scale;
            }
        }
    }
    return rgba;
}

Pixels hostPixels(const float* rgba, size_t count, A_u_short channelMaximum)
{
    Pixels pixels;
    pixels.reserve(count);
    for (size_t i = 0; i < count * 4; i += 4)
    {
        std::array<A_u_short, 4> argb {};
        for (int c = 0; c < 4; ++c)
        {
            const float value = std::clamp(rgba[i + c], 0.0f, 1.0f);
            argb[(c + 1) % 4] = A_u_short(value * float(channelMaximum));
        }
        pixels.push_back(argb);
    }
    return pixels;
}

LibraryResult libraryResult(const Host::PixelWorld& input, const LibraryRequest& request)
{
    auto dataSource = std::make_unique<TestSupport::TestCoreDataSource>();
    TestSupport::TestCoreDataSource& answers = *dataSource;
    Core::Core core(std::move(dataSource));
    if (request.shading)
    {
        answers.answers.shadingCorrection
            = Core::ShadingCorrectionParameter { request.reverse, false };
    }
    else
    {
        answers.answers.distortionCorrection
            = Core::DistortionCorrectionParameter { request.reverse, false };
    }
    answers.answers.correctionFilePath = request.correctionFilePath;
    answers.answers.clipFileName = request.clipFileName;
    answers.answers.clipFilePath = request.clipFilePath;
    answers.answers.recordingFormat = request.manualRecordingFormat;
    const auto frame = [&](uint32_t width, uint32_t height)
    {
        return TestSupport::makeFrameData(
            width, height, request.frameNumber, request.framesPerSecond, "", request.overscan);
    };

    LibraryResult result;
    result.width = uint32_t(input.width());
    result.height = uint32_t(input.height());
    answers.answers.frameData = frame(result.width, result.height);
    uint32_t width = 0;
    uint32_t height = 0;
    EXPECT_TRUE(core.frameSize(width, height));
    result.width = std::max(result.width, width);
    result.height = std::max(result.height, height);

    const std::vector<float> in = floatPixels(input, result.width, result.height);
    std::vector<float> out(in.size(), 0.0f);
    answers.answers.frameData = frame(result.width, result.height);
    std::vector<char> error(16384, '\0');
    EXPECT_TRUE(core.render(in.data(), out.data(), out.size() * sizeof(float)))
        << (core.detailedErrorDescription(error.data(), error.size()) ? error.data() : "");
    result.pixels = hostPixels(out.data(), out.size() / 4, input.channelMaximum());
    return result;
}

void expectPixelsMatch(const Host::PixelWorld& output, const LibraryResult& expected)
{
    ASSERT_EQ(output.width(), A_long(expected.width));
    ASSERT_EQ(output.height(), A_long(expected.height));
    int worst = 0;
    A_long worstX = 0;
    A_long worstY = 0;
    for (A_long y = 0; y < output.height(); ++y)
    {
        for (A_long x = 0; x < output.width(); ++x)
        {
            const auto actual = output.pixel(x, y);
            const auto& wanted = expected.pixels[size_t(y) * expected.width + x];
            for (int c = 0; c < 4; ++c)
            {
                const int difference = std::abs(int(actual[c]) - int(wanted[c]));
                if (difference > worst)
                {
                    worst = difference;
                    worstX = x;
                    worstY = y;
                }
            }
        }
    }
    EXPECT_LE(worst, 1) << "pixel " << worstX << ", " << worstY;
}

void expectRenderMatchesLibrary(const std::string& plugin, bool shading, const PixelCase& pixelCase)
{
    TestSupport::TemporaryDirectory directory;
    const std::string clip = directory.writeFile("clips/" + clipFileName, "");
    const bool chosen = pixelCase.source != FileSource::afterEffectsClipFolder;
    const std::string file = directory.writeFile(
        chosen ? "chosen/A001C003.tlcf" : "clips/A001C003.tlcf", correctionFile().text());
    const bool premierePro = pixelCase.source == FileSource::premiereProDialog;
    auto host = hostWithEffect(
        plugin, premierePro ? PF_APPL_ID_PREMIERE_PRO : PF_APPL_ID_AFTER_EFFECTS, pixelCase.deep);
    host->clip().setFootagePath(std::u16string(clip.begin(), clip.end()));
    if (chosen)
    {
        chooseCorrectionFile(*host, file);
    }
    host->editParameter(Control::correctionModeIndex, pixelCase.reverse ? 2 : 1);
    ASSERT_EQ(host->renderFrame(), PF_Err_NONE);
    EXPECT_TRUE(host->shownMessages().empty()) << host->shownMessages().front();

    LibraryRequest request;
    request.shading = shading;
    request.reverse = pixelCase.reverse;
    request.clipFileName = clipFileName;
    if (!premierePro)
    {
        request.clipFilePath = clip;
    }
    if (chosen)
    {
        request.correctionFilePath = file;
    }
    expectPixelsMatch(
        host->frames().outputWorld(), libraryResult(host->frames().inputLayer(), request));
}

void expectIdentity(
    const std::string& plugin, const std::string& aboutLine, const std::string& choices)
{
    Host::SimulatedHost host;
    host.load(plugin);
    ASSERT_EQ(host.send(PF_Cmd_ABOUT), PF_Err_NONE);
    const std::string about = host.lastCommand().returnMessage;
    EXPECT_EQ(about.substr(0, about.find('\n')), aboutLine);
    EXPECT_NE(about.find('\n'), std::string::npos) << "a notice line follows";
    ASSERT_EQ(host.applyEffect(), PF_Err_NONE);
    EXPECT_EQ(host.pluginVersion(), 0x48000u);
    EXPECT_EQ(host.globalOutFlags(), PF_OutFlag_DEEP_COLOR_AWARE | PF_OutFlag_I_EXPAND_BUFFER);
    EXPECT_EQ(host.parameters().text(Control::correctionModeIndex), choices);
}

bool isRed(const Host::PixelWorld& world)
{
    const A_u_short maximum = world.channelMaximum();
    for (A_long y = 0; y < world.height(); ++y)
    {
        for (A_long x = 0; x < world.width(); ++x)
        {
            if (world.pixel(x, y) != std::array<A_u_short, 4> { maximum, maximum, 0, 0 })
            {
                return false;
            }
        }
    }
    return true;
}

std::string afterEffectsLog(const std::string& pluginId)
{
    return "/tmp/" + pluginId + ".AfterEffects.log";
}

} // namespace PluginTest
