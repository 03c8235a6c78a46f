#pragma once

// Files for the soak: pictures, sets, fonts and colour images made from the
// run's random stream, some of them damaged; and the check that a file the
// editor saved reads back to what it holds and shows.

#include <QString>
#include <random>

namespace tobrin {
class DevicePreview;
class DrawingWindow;
class PictureDocument;
}

namespace tobrin::soak {

// Writes one new file into folder and returns its name: a picture or set in
// a random format, a colour image for the import, a font, or now and then
// a damaged copy of a file already there.
QString GenerateFile(const QString& folder, std::mt19937_64& random);

// Reads path as the editor's Open does and compares it with the document:
// every frame (or the font) for a format that holds them, the frame on the
// canvas otherwise. Empty when they agree; else what differs.
QString CompareFileWithDocument(const QString& path, const PictureDocument& document);

// Compares the squares the canvas shows with the document's frame on it.
// Empty when they agree; else the first cell that differs.
QString CompareScreenWithDocument(DrawingWindow& window);
// The same for the device preview's dots, while it is not playing.
QString CompareDeviceWithDocument(const DevicePreview& preview, const PictureDocument& document);

}  // namespace tobrin::soak
