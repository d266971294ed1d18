// SPDX-License-Identifier: GPL-3.0-or-later
// Tells a library load that a definition failed because memory ran out,
// not because it is invalid.
#pragma once

namespace compilememory {

// Set when compiling a definition ran out of memory; each commit of an
// edit copy clears it first.
bool& OutOfMemory();

} // namespace compilememory
