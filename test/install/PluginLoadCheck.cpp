// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
// Loads effect plug-ins in the simulated host as a host does when the user applies the effect,
// for a check of an installed tree: each plug-in must load, set up and answer the about command.
// Usage: plugin-load-check PLUGIN...
#include <exception>
#include <iostream>
#include <string>

#include "host/SimulatedHost.h"

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::cerr << "Usage: plugin-load-check PLUGIN...\n";
        return 2;
    }
    int failures = 0;
    for (int i = 1; i < argc; ++i)
    {
        const std::string path = argv[i];
        try
        {
            Host::SimulatedHost host;
            host.load(path);
            const PF_Err applied = host.applyEffect();
            const PF_Err about = host.send(PF_Cmd_ABOUT);
            const std::string text = host.lastCommand().returnMessage;
            if (applied != PF_Err_NONE || about != PF_Err_NONE || text.empty())
            {
                std::cerr << path << ": applying the effect gave " << applied
                          << ", the about command " << about << "\n";
                ++failures;
                continue;
            }
            std::cout << path << ": version " << host.pluginVersion() << ", "
                      << host.reportedParameterCount() << " parameters; "
                      << text.substr(0, text.find('\n')) << "\n";
        }
        catch (const std::exception& exception)
        {
            std::cerr << path << ": " << exception.what() << "\n";
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
