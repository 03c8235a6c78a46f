#pragma once

namespace tobrin {

// Registers the program's built-in resources (icons, the device picture).
// They live in a static library, whose resource data the linker would
// otherwise leave out; safe to call any number of times.
void InitResources();

}  // namespace tobrin
