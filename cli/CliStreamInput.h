// SPDX-License-Identifier: GPL-3.0-or-later
// Lines of a stream (standard input in a pipe, or a script file), read
// byte for byte as they are.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

class cLineTooLong : public std::runtime_error {
public:
    cLineTooLong() : std::runtime_error("not enough memory to read this line; it is passed over") {}
};

class cStreamInput {
public:
    explicit cStreamInput(std::FILE* stream) : aStream(stream) {}

    // The next line without its '\n'; nullopt at the end, on a read error,
    // or when Ctrl-C ended the wait (CliInterruptRequested). A line too long
    // for the memory is passed over to its end, and Next throws
    // cLineTooLong: the lines after it are read as usual.
    std::optional<std::string> Next();
    // errno of a failed read, 0 at a plain end.
    int Error() const { return aError; }

private:
    std::FILE* aStream;
    std::unique_ptr<char, decltype(&std::free)> aBuffer{nullptr, &std::free};
    size_t aCapacity = 0;
    int aError = 0;
};
