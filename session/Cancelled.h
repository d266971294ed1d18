// SPDX-License-Identifier: GPL-3.0-or-later
// The one exception by which a program's progress hook stops a job the
// user cancelled; what() is the program's word for it. The engine closes
// its progress levels and passes it on.
#pragma once

#include <stdexcept>

class cCancelled : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
