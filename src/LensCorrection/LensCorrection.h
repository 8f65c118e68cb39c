// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <memory>
#include <string>

#include "AePlugin/AePlugin.h"
#include "LensCorrection/LensCorrectionDataSource.h"

namespace Core
{
class Core;
}

/// The effect both plug-ins share: registers the controls, keeps the chosen correction file in
/// the instance's sequence data, reacts to the user's edits, enlarges the output frame where the
/// correction needs room and renders every frame through the library. The variants add their
/// identifier, about text, version and the choices of "Correction Mode".
///
/// One object per plug-in serves every effect instance; the host's calls reach it one at a
/// time through AePlugin::run.
class LensCorrection : public AePlugin
{
public:
    /// Takes the variant's data source, connects it to the current call and hands it to the
    /// library.
    explicit LensCorrection(std::unique_ptr<LensCorrectionDataSource> dataSource);
    ~LensCorrection() override;

protected:
    void globalSetup() override;
    void parameterSetup() override;
    void userChangedParameter() override;
    void sequenceSetup() override;
    void sequenceResetup() override;
    void updateParameterUI() override;
    void sequenceFlatten() override;
    void sequenceSetdown() override;
    void frameSetup() override;
    void render(bool errorPending) override;

    /// The choices of "Correction Mode", separated by "|".
    virtual const char* correctionModeString() const = 0;

    /// For the variants' about(): `firstLineFormat` takes the version as three "%u", and the
    /// notice line follows.
    void writeAboutText(const char* firstLineFormat) const;
    /// For the variants' globalSetup(): the version the host shows for the plug-in.
    void setPluginVersion() const;

private:
    void keepOverscanInProportion(PF_ParamIndex changed);
    void updateImageDiameter();
    void browseForCorrectionFile();
    void updateRecordingFormatParemterIfNeeded(PF_ParamIndex changed);
    [[noreturn]] void throwCoreError() const;

    static void retrieveCoreErrorDescription(
        const Core::Core& core, std::string& brief, std::string& detailed);

    std::unique_ptr<Core::Core> core;
};
