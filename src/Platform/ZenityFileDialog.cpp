// Copyright (c) 2026 The Lens Correction Authors
// SPDX-License-Identifier: BSD-3-Clause
#include "Platform/ZenityFileDialog.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace Platform
{

namespace
{

    /// More than any path the effect could store; a longer answer is no path.
    constexpr size_t maximumAnswerSize = 64 * 1024;

    class FileDescriptor
    {
    public:
        explicit FileDescriptor(int descriptor = -1)
            : descriptor(descriptor)
        {
        }
        ~FileDescriptor() { reset(); }
        FileDescriptor(const FileDescriptor&) = delete;
        FileDescriptor& operator=(const FileDescriptor&) = delete;

        int get() const { return descriptor; }
        void reset()
        {
            if (descriptor >= 0)
            {
                ::close(descriptor);
                descriptor = -1;
            }
        }

    private:
        int descriptor;
    };

    class SpawnFileActions
    {
    public:
        SpawnFileActions() { posix_spawn_file_actions_init(&actions); }
        ~SpawnFileActions() { posix_spawn_file_actions_destroy(&actions); }
        SpawnFileActions(const SpawnFileActions&) = delete;
        SpawnFileActions& operator=(const SpawnFileActions&) = delete;

        posix_spawn_file_actions_t* get() { return &actions; }

    private:
        posix_spawn_file_actions_t actions;
    };

    [[noreturn]] void throwUnavailable(const std::string& reason)
    {
        throw FileDialogUnavailable("Program: \"zenity\" (searched on PATH)\nReason: " + reason
            + "\nInstall the Debian package \"zenity\" to choose correction files.");
    }

    /// Reads everything the child writes; keeps at most maximumAnswerSize + 1 bytes.
    std::string readAll(int descriptor)
    {
        std::string text;
        std::vector<char> chunk(4096);
        for (;;)
        {
            const ssize_t count = ::read(descriptor, chunk.data(), chunk.size());
            if (count < 0 && errno == EINTR)
            {
                continue;
            }
            if (count <= 0)
            {
                return text;
            }
            if (text.size() <= maximumAnswerSize)
            {
                text.append(chunk.data(), size_t(count));
            }
        }
    }

    bool exitedSuccessfully(pid_t child)
    {
        int status = 0;
        pid_t result;
        do
        {
            result = ::waitpid(child, &status, 0);
        } while (result < 0 && errno == EINTR);
        return result == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    /// The one line of `answer` without its line feed, or nothing.
    std::optional<std::string> singleLine(std::string answer)
    {
        if (!answer.empty() && answer.back() == '\n')
        {
            answer.pop_back();
        }
        if (answer.empty() || answer.size() > maximumAnswerSize
            || answer.find_first_of(std::string("\n\0", 2)) != std::string::npos)
        {
            return std::nullopt;
        }
        return answer;
    }

} // namespace

FileDialogUnavailable::FileDialogUnavailable(const std::string& details)
    : std::runtime_error("No file dialog is available to choose the correction file.")
    , detailLines(details)
{
}

std::optional<std::string> ZenityFileDialog::chooseFile(
    const std::string& message, const std::string& extension) const
{
    int pipeEnds[2];
    if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
    {
        throwUnavailable(std::string("no pipe to the dialog: ") + std::strerror(errno));
    }
    FileDescriptor readEnd(pipeEnds[0]);
    FileDescriptor writeEnd(pipeEnds[1]);

    SpawnFileActions actions;
    posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(actions.get(), writeEnd.get(), STDOUT_FILENO);

    std::string title = "--title=" + message;
    std::string filter = "--file-filter=*." + extension;
    std::string program = "zenity";
    std::string mode = "--file-selection";
    char* arguments[] = { program.data(), mode.data(), title.data(), filter.data(), nullptr };

    pid_t child = 0;
    const int spawnError
        = ::posix_spawnp(&child, program.c_str(), actions.get(), nullptr, arguments, environ);
    writeEnd.reset();
    if (spawnError != 0)
    {
        throwUnavailable(std::strerror(spawnError));
    }

    std::string answer = readAll(readEnd.get());
    if (!exitedSuccessfully(child))
    {
        return std::nullopt;
    }
    return singleLine(std::move(answer));
}

std::unique_ptr<FileDialog> makeFileDialog() { return std::make_unique<ZenityFileDialog>(); }

} // namespace Platform
