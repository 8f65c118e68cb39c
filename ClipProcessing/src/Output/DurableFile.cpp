// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Output/DurableFile.h"

#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include "Common/Failure.h"

namespace LensCorrect
{

namespace
{

    /// Closes a file descriptor when it goes out of scope.
    class FileDescriptor
    {
    public:
        explicit FileDescriptor(int descriptor)
            : descriptor(descriptor)
        {
        }
        ~FileDescriptor()
        {
            if (descriptor >= 0)
            {
                ::close(descriptor);
            }
        }
        FileDescriptor(const FileDescriptor&) = delete;
        FileDescriptor& operator=(const FileDescriptor&) = delete;

        int get() const { return descriptor; }
        bool valid() const { return descriptor >= 0; }

    private:
        int descriptor;
    };

    std::string errorText(int error) { return std::generic_category().message(error); }

    Failure notWritten(const std::string& path, const std::string& reason)
    {
        return Failure(
            "The output file cannot be written.", "Path: \"" + path + "\"\nReason: " + reason);
    }

    /// fsync's answers of a file system (or a special file) that cannot flush: nothing to do.
    bool cannotSync(int error) { return error == EINVAL || error == EROFS || error == ENOTSUP; }

    constexpr size_t maximumNameLength = 255;

} // namespace

DurableFile::DurableFile(std::string destination)
    : DurableFile(std::move(destination), hostNamePart(), randomPart)
{
}

DurableFile::DurableFile(
    std::string destinationPath, const std::string& host, const RandomSource& random)
    : destination(std::move(destinationPath))
{
    const size_t separator = destination.rfind('/');
    const std::string directory
        = separator == std::string::npos ? std::string() : destination.substr(0, separator + 1);
    std::string name = destination.substr(directory.size());
    const std::string marker = ".partial-" + host + "-";
    // Room for the random part's 16 hex digits; a long name gives way, the marker stays.
    const size_t room = maximumNameLength - 1 - marker.size() - 16;
    if (name.size() > room)
    {
        name.resize(room);
    }
    // 64 random bits leave a collision to the birthday bound of 2^32 writers of one frame on
    // one host; the loop only passes over a name that exists, it never shares one.
    for (int attempt = 0; attempt < 100; ++attempt)
    {
        char digits[17];
        std::snprintf(digits, sizeof(digits), "%016llx", static_cast<unsigned long long>(random()));
        temporary = directory + "." + name + marker + digits;
        const FileDescriptor file(
            ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (file.valid())
        {
            return;
        }
        if (errno != EEXIST)
        {
            const int error = errno;
            temporary.clear();
            throw notWritten(
                destination, "no temporary file can be created beside it: " + errorText(error));
        }
    }
    temporary.clear();
    throw notWritten(destination, "every temporary name tried exists already");
}

DurableFile::~DurableFile()
{
    if (!installed && !temporary.empty())
    {
        std::remove(temporary.c_str());
    }
}

void DurableFile::install()
{
    {
        // By name again: the writer may have replaced the reserved file rather than reused it.
        const FileDescriptor file(::open(temporary.c_str(), O_RDONLY | O_CLOEXEC));
        if (!file.valid())
        {
            throw notWritten(
                destination, "the complete file cannot be opened to flush it: " + errorText(errno));
        }
        if (::fsync(file.get()) != 0 && !cannotSync(errno))
        {
            throw notWritten(
                destination, "the complete file cannot be flushed to disk: " + errorText(errno));
        }
    }
    if (std::rename(temporary.c_str(), destination.c_str()) != 0)
    {
        throw notWritten(
            destination, "the complete file cannot be renamed into place: " + errorText(errno));
    }
    installed = true;

    // The rename itself is durable once the directory is flushed.
    const size_t separator = destination.rfind('/');
    const std::string directory = separator == std::string::npos ? std::string(".")
        : separator == 0                                         ? std::string("/")
                                                                 : destination.substr(0, separator);
    const FileDescriptor folder(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // A directory that cannot be opened for reading cannot be flushed by this process either.
    if (folder.valid() && ::fsync(folder.get()) != 0 && !cannotSync(errno) && errno != EBADF)
    {
        throw notWritten(destination,
            "the directory cannot be flushed to disk after the rename: " + errorText(errno));
    }
}

std::string DurableFile::hostNamePart()
{
    char name[256] = {};
    if (::gethostname(name, sizeof(name) - 1) != 0)
    {
        name[0] = '\0';
    }
    std::string part;
    for (const char* character = name; *character; ++character)
    {
        const char c = *character;
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')
            || (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
        part += plain ? c : '_';
    }
    return part.empty() ? "host" : part;
}

uint64_t DurableFile::randomPart()
{
    uint64_t value = 0;
    if (::getrandom(&value, sizeof(value), 0) == ssize_t(sizeof(value)))
    {
        return value;
    }
    std::random_device device;
    return (uint64_t(device()) << 32) ^ device();
}

} // namespace LensCorrect
