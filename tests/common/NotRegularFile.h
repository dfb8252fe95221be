#pragma once

#include <QDir>
#include <QFile>
#include <QString>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

// Makes `path` a FIFO (where the system has them) or a folder: what a reader
// of scans and maps must refuse at once instead of waiting on or reading.
inline bool makeNotRegularFile(const QString &path, bool fifo)
{
#ifdef Q_OS_UNIX
    if (fifo)
        return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
#endif
    return !fifo && QDir().mkdir(path);
}
