// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliStreamInput.h"

#include "CliProgress.h"

#include <sys/types.h>

#include <cerrno>
#include <cstdio>
#include <new>

std::optional<std::string> cStreamInput::Next() {
    for (;;) {
        char* raw = aBuffer.release();
        errno = 0;
        const ssize_t length = getline(&raw, &aCapacity, aStream);
        aBuffer.reset(raw);
        if (length >= 0) {
            try {
                std::string line(raw, static_cast<size_t>(length));
                if (!line.empty() && line.back() == '\n')
                    line.pop_back();
                return line;
            } catch (const std::bad_alloc&) {
                aBuffer.reset();
                aCapacity = 0;
                throw cLineTooLong();
            }
        }
        if (errno == ENOMEM) {
            aBuffer.reset();
            aCapacity = 0;
            int c = 0;
            while ((c = std::getc(aStream)) != EOF && c != '\n') {
            }
            std::clearerr(aStream);
            throw cLineTooLong();
        }
        if (errno == EINTR && !CliInterruptRequested()) {
            std::clearerr(aStream);
            continue;
        }
        if (std::ferror(aStream))
            aError = errno;
        return std::nullopt;
    }
}
