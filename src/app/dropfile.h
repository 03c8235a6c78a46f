#pragma once

#include <QMimeData>
#include <QString>
#include <QUrl>

namespace tobrin {

// The first local file a drag carries; empty when it carries none.
inline QString DroppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls())
        return QString();
    for (const QUrl& url : data->urls())
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            return url.toLocalFile();
    return QString();
}

}  // namespace tobrin
