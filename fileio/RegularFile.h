#pragma once

#include <QString>

// A file opened for reading that is known to be a regular file (symbolic links
// followed). Opening never blocks: a FIFO, a device (/dev/zero), a socket or
// a folder under a map or image name is refused with a reason that names
// what it is, instead of hanging in open() or reading without end.
class RegularFile
{
public:
    RegularFile() = default;
    ~RegularFile();
    RegularFile(const RegularFile &) = delete;
    RegularFile &operator=(const RegularFile &) = delete;

    // False, with errorString(), when the file cannot be opened or is not a
    // regular file.
    bool open(const QString &fileName);
    // The size the file had when it was opened.
    qint64 size() const { return m_size; }
    // Up to `max` bytes; 0 at the end of the file, -1 on a read error.
    qint64 read(char *data, qint64 max);
    void close();
    QString errorString() const { return m_error; }
    // The open file's descriptor (for mapping it); -1 when it is not open.
    int handle() const { return m_fd; }

private:
    int m_fd = -1;
    qint64 m_size = 0;
    QString m_error;
};
