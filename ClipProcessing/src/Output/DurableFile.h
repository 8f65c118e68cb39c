// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace LensCorrect
{

/// A file written under a temporary name beside its destination and installed under the
/// destination's name only when complete and on disk. Many tasks of a render farm may write the
/// same frame at once (a resubmitted chunk overlapping a cancelled one still finishing), on
/// several hosts or in containers where they share a process id: each gets a temporary name of its
/// own, created exclusively, and each install renames a whole file, so the last one wins and the
/// frame is whole either way. Nothing is left under the temporary name unless the process dies.
class DurableFile
{
public:
    /// Where the random part of a temporary name comes from; tests drive it.
    using RandomSource = std::function<uint64_t()>;

    /// Reserves a temporary name beside `destination` by creating it, empty, with O_EXCL:
    /// ".NAME.partial-HOST-RANDOM". A name that exists already (however unlikely) is passed over
    /// for the next. Throws Failure when none can be created.
    explicit DurableFile(std::string destination);
    DurableFile(std::string destination, const std::string& host, const RandomSource& random);
    /// Removes the temporary file unless it was installed.
    ~DurableFile();
    DurableFile(const DurableFile&) = delete;
    DurableFile& operator=(const DurableFile&) = delete;

    /// Where the writer writes (by name: it may truncate and rewrite the reserved file).
    const std::string& temporaryPath() const { return temporary; }

    /// Flushes the complete file to disk, renames it over the destination and flushes the
    /// directory, where the file system allows that. Throws Failure; the destination then holds
    /// what it held before, or the whole new file when only the directory's flush failed.
    void install();

    /// This host's name as a part of a file name: letters, digits, '.', '-' and '_' only.
    static std::string hostNamePart();
    /// 64 bits from the system's random source.
    static uint64_t randomPart();

private:
    const std::string destination;
    std::string temporary;
    bool installed = false;
};

} // namespace LensCorrect
