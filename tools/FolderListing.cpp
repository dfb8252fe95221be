#include "tools/FolderListing.h"

#include "fileio/Windows1251.h"

#include <QCoreApplication>
#include <QDirIterator>
#include <QFile>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace {

#ifdef Q_OS_UNIX
// The names of the folder's entries whose bytes do not survive decoding into
// text and encoding back (so the decoded name would open another file, or
// none), shown by shownName(); hidden names and folders left out as in files().
// On Windows names are UTF-16 and this cannot happen.
QStringList undecodableNames(const QString &folder)
{
    QStringList out;
    const QByteArray encodedFolder = QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder);
    DIR *dir = ::opendir(encodedFolder.constData());
    if (!dir)
        return out;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray raw(entry->d_name);
        if (raw.startsWith('.'))
            continue; // ".", ".." and hidden files, as the listing leaves them out
        if (QFile::encodeName(QFile::decodeName(raw)) == raw)
            continue;
        struct stat st;
        const QByteArray path = encodedFolder + '/' + raw;
        if (::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode))
            continue;
        out.append(FolderListing::shownName(raw));
    }
    ::closedir(dir);
    std::sort(out.begin(), out.end());
    return out;
}
#endif

} // namespace

QStringList FolderListing::files(const QString &folder, QStringList *unreadable)
{
    // The names only, sorted by code point (case-sensitive): the same order on
    // every platform and locale, unlike the order the file system happens to
    // give. QDir::entryList would build a QFileInfo per file and hold them all
    // while it sorts, several times the memory of the names on a large folder.
    QStringList names;
    QDirIterator it(folder, QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        names.append(it.fileName());
    }
    std::sort(names.begin(), names.end());
    if (unreadable) {
        unreadable->clear();
#ifdef Q_OS_UNIX
        // A name the encoding cannot give comes out of the iterator decoded
        // lossily; as it opens nothing the iterator's check of its type drops
        // it. Those names are found again from the raw bytes.
        *unreadable = undecodableNames(folder);
#endif
    }
    return names;
}

QString FolderListing::join(const QString &folder, const QString &fileName)
{
    if (folder.isEmpty())
        return fileName;
    if (folder.endsWith(QLatin1Char('/')) || folder.endsWith(QLatin1Char('\\')))
        return folder + fileName;
    return folder + QLatin1Char('/') + fileName;
}

QString FolderListing::shownName(const QByteArray &rawName)
{
    QString out;
    for (const char c : rawName) {
        const uchar b = uchar(c);
        if (b >= 0x20 && b < 0x7F && b != '\\')
            out.append(QLatin1Char(c));
        else
            out.append(QStringLiteral("\\x") + QString::number(b, 16).toUpper().rightJustified(2, QLatin1Char('0')));
    }
    return out;
}

QString FolderListing::unreadableNameMessage(const QString &folder, const QString &shownName)
{
    // The shown name back to its bytes, read as the Windows-1251 of the archives
    // such names come from.
    QByteArray raw;
    for (qsizetype i = 0; i < shownName.size(); ++i) {
        if (shownName.at(i) == QLatin1Char('\\') && i + 3 < shownName.size() && shownName.at(i + 1) == QLatin1Char('x')) {
            raw.append(char(shownName.mid(i + 2, 2).toUInt(nullptr, 16)));
            i += 3;
        } else {
            raw.append(char(shownName.at(i).unicode()));
        }
    }
    return QCoreApplication::translate("FolderListing",
                                       "Cannot read the name of file %1 in folder %2 (read as Windows-1251: %3): "
                                       "the name is not valid in the file system's encoding, rename the file")
        .arg(shownName, folder, Windows1251::decode(raw));
}
