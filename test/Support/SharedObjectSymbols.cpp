// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Support/SharedObjectSymbols.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>

#include <boost/process.hpp>

namespace HostTest
{

std::vector<std::string> definedDynamicSymbols(const std::string& sharedObjectPath)
{
    namespace process = boost::process;
    process::ipstream output;
    // POSIX format: "name type [value [size]]", one symbol a line.
    process::child nm(process::search_path("nm"), "-D", "--defined-only", "--format=posix",
        sharedObjectPath, process::std_out > output, process::std_err > process::null);
    std::vector<std::string> symbols;
    std::string line;
    while (std::getline(output, line))
    {
        std::istringstream fields(line);
        std::string name;
        if (fields >> name)
        {
            symbols.push_back(name);
        }
    }
    nm.wait();
    if (nm.exit_code() != 0)
    {
        throw std::runtime_error("nm failed on " + sharedObjectPath);
    }
    std::sort(symbols.begin(), symbols.end());
    return symbols;
}

} // namespace HostTest
