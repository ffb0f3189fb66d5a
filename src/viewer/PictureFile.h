#pragma once

#include <QImage>
#include <QString>

// Which stored files the viewer shows, and reading them.
namespace viewer {

// Whether files of this extension open in the picture viewer, in any letter case. The
// extension is given with its leading "." as a listed file's type carries it (".tif"); a bare
// "tif" reads the same.
bool Is_Picture_Type(const QString& extension);
// The same for a file name, by its extension from the last ".".
bool Is_Picture_File(const QString& file_name);

struct Loaded_Picture {
    QImage image;  // null when the file could not be decoded
    QString error; // why not: the decoder's words, or the picture's size against the memory
};

// Bytes of memory the machine can give now without swapping (MemAvailable); -1 when unknown.
qint64 Available_Memory();

// Decodes a picture file, by its content rather than its name, turned upright as its own
// orientation mark says. However large the picture, it is decoded when the memory it takes,
// twice over, is available (a working copy is made while it is turned or zoomed); a larger one
// is refused before decoding, with its size in pixels and the memory showing it needs.
// available: bytes, -1 when unknown (nothing is refused then).
Loaded_Picture Load_Picture(const QString& path, qint64 available = Available_Memory());

// The message shown instead of an empty viewer.
QString Picture_Failure_Text(const QString& path, const QString& error);

} // namespace viewer
