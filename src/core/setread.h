#pragma once

#include <functional>
#include <optional>

#include "core/setimport.h"

namespace tobrin {

// Told of each source as it is added to sources, with the index of its
// first cell; always on the thread that reads.
using AddedSource = std::function<void(const SetSources& sources, int from)>;

// ReadSetSources, calling added after each source is added. With overlap, an
// animated GIF is decoded on a thread of its own while this thread takes
// its frames (and runs added) one by one, and each of its frames is let go
// of once added has run (SetSources::ReleaseLast).
std::optional<SetSources> ReadSources(const QStringList& files, const SheetCut& cut, const ImageLoader& loader,
                                      const AddedSource& added, bool overlap, SetImportError* error);

}  // namespace tobrin
