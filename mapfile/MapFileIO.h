#pragma once

#include <QByteArray>
#include <QString>

// The file system side of a map file: its bytes read whole, never past the
// size a map file can have, and written atomically (a temporary file beside
// the target replaces it), through a symbolic link that stays in its folder.
// Failures are thrown as MapError naming the file; a failed write leaves the
// old file as it was.
class MapFileIO
{
public:
    MapFileIO() = delete;

    // The bytes of the map file `fileName` (a regular file, at most 16 MB).
    static QByteArray read(const QString &fileName);
    // Replaces the map file `fileName` by `bytes`. With syncToDisk the data
    // reach the disk before the rename, and the rename reaches it after.
    static void write(const QString &fileName, const QByteArray &bytes, bool syncToDisk);
};
