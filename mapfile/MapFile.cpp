#include "mapfile/MapFile.h"

#include "fileio/Windows1251.h"
#include "fileio/FolderLinks.h"
#include "sheet/MapError.h"
#include "mapfile/MessageObserver.h"
#include "sheet/Numeric.h"
#include "fileio/RegularFile.h"
#include "sheet/SheetFields.h"
#include "sheet/SheetGeometry.h"
#include "sheet/SheetText.h"
#include "sheet/Global.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QRandomGenerator>
#include <QStringBuilder>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <system_error>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

// Thrown inside the line parser when a field is missing; the parser's step
// trap drops it like any other failure of the step.
struct MissingField
{
};

// Runs one step of a trapped routine: a failure skips the rest of the step
// and the routine goes on with the next one.
template <class Step>
void trapped(Step &&step) noexcept
{
    try {
        step();
    } catch (...) {
    }
}

// A text split at commas into at most `limit` parts, the last part holding
// the rest of the text. An empty text has no parts.
struct Fields
{
    std::array<QStringView, 12> part{};
    int count = 0;

    Fields(QStringView text, int limit)
    {
        if (text.isEmpty())
            return;
        const QChar *chars = text.data();
        const qsizetype size = text.size();
        qsizetype start = 0;
        for (qsizetype i = 0; i < size && count < limit - 1; ++i) {
            if (chars[i] == u',') {
                part[count++] = QStringView(chars + start, i - start);
                start = i + 1;
            }
        }
        part[count++] = QStringView(chars + start, size - start);
    }

    QStringView at(int i) const
    {
        if (i < 0 || i >= count)
            throw MissingField();
        return part[i];
    }
};

// Whether a text, upper-cased, equals (or starts with) an ASCII keyword. An
// ASCII text is compared in place; any other text is upper-cased the full way.
bool upperMatches(QStringView text, QLatin1StringView key, bool prefix)
{
    if (prefix ? text.size() < key.size() : text.size() != key.size()) {
        bool ascii = true;
        for (const QChar c : text)
            ascii = ascii && c.unicode() < 0x80;
        if (ascii)
            return false;
    }
    const qsizetype n = prefix ? key.size() : text.size();
    for (qsizetype i = 0; i < n && i < text.size(); ++i) {
        char16_t c = text.at(i).unicode();
        if (c >= 0x80) {
            const QString upper = text.toString().toUpper();
            return prefix ? upper.startsWith(key) : upper == key;
        }
        if (i >= key.size())
            return false; // upper-casing never makes a text shorter
        if (c >= 'a' && c <= 'z')
            c = char16_t(c - 'a' + 'A');
        if (c != char16_t(key.at(i).unicode()))
            return false;
    }
    return true;
}

bool upperIs(QStringView text, const char *key)
{
    return upperMatches(text, QLatin1StringView(key), false);
}

bool upperStartsWith(QStringView text, const char *key)
{
    return upperMatches(text, QLatin1StringView(key), true);
}

// The keywords of the titles the line parser reads.
enum class Keyword { None, MMPNUM, MM1B, MMPXY, MMPLL, MAP_PROJECTION, PROJECTION_SETUP, POINT };

Keyword keywordOf(QStringView title)
{
    // An ASCII title is upper-cased into a small buffer and compared there;
    // any other title takes the full upper-casing of upperIs.
    char upper[17];
    const qsizetype n = std::min<qsizetype>(title.size(), 16);
    bool ascii = true;
    for (qsizetype i = 0; i < n && ascii; ++i) {
        const char16_t c = title.at(i).unicode();
        ascii = c < 0x80;
        upper[i] = char(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    if (!ascii) {
        if (upperIs(title, "MMPNUM"))
            return Keyword::MMPNUM;
        if (upperIs(title, "MM1B"))
            return Keyword::MM1B;
        if (upperIs(title, "MMPXY"))
            return Keyword::MMPXY;
        if (upperIs(title, "MMPLL"))
            return Keyword::MMPLL;
        if (upperIs(title, "MAP PROJECTION"))
            return Keyword::MAP_PROJECTION;
        if (upperIs(title, "PROJECTION SETUP"))
            return Keyword::PROJECTION_SETUP;
        if (upperStartsWith(title, "POINT"))
            return Keyword::POINT;
        return Keyword::None;
    }
    const QByteArrayView head(upper, n);
    if (n >= 5 && head.first(5) == "POINT")
        return Keyword::POINT;
    if (title.size() > 16)
        return Keyword::None; // longer than every other keyword (and all ASCII so far)
    if (head == "MMPNUM")
        return Keyword::MMPNUM;
    if (head == "MM1B")
        return Keyword::MM1B;
    if (head == "MMPXY")
        return Keyword::MMPXY;
    if (head == "MMPLL")
        return Keyword::MMPLL;
    if (head == "MAP PROJECTION")
        return Keyword::MAP_PROJECTION;
    if (head == "PROJECTION SETUP")
        return Keyword::PROJECTION_SETUP;
    return Keyword::None;
}

double lenient(QStringView text)
{
    return Numeric::leadingNumber(text);
}

double strict(QStringView text)
{
    double value = 0;
    if (!Numeric::strictNumber(text, value))
        throw MissingField();
    return value;
}

qint16 strictInt16(QStringView text)
{
    return Numeric::toInt16(strict(text));
}


// "####0": a whole number, halves to even, no leading zeros.
QString wholeNumber(double value)
{
    return QString::number(Numeric::toInt32(value)); // halves to even; a value beyond 32 bits throws
}

QString pointTitle(int k)
{
    // Point01..Point30 are made once; every new map has them all.
    static const std::array<QString, 31> titles = [] {
        std::array<QString, 31> t;
        for (int n = 1; n <= 30; ++n)
            t[size_t(n)] = QStringLiteral("Point") + Numeric::zeroPad(n, 2);
        return t;
    }();
    if (k >= 1 && k <= 30)
        return titles[size_t(k)];
    return QStringLiteral("Point") + Numeric::zeroPad(k, 2);
}

// A line's text as reading splits it: the first seven lines are all body,
// the others split at their first comma into Title and Body.
void splitLine(const QString &text, int idx, QString &title, QString &body)
{
    if (idx < 7) {
        body = text;
        return;
    }
    const qsizetype comma = text.indexOf(u',');
    if (comma >= 0) {
        title = text.left(comma);
        body = text.mid(comma + 1);
    } else {
        body = text;
    }
}

// The largest file ReadMap takes in: a real map file is a few kilobytes.
constexpr qint64 kMaxMapFileSize = qint64(16) * 1024 * 1024;

const char *const kTransverseMercator = "Transverse Mercator,PolyCal,No,AutoCalOnly,No,BSBUseWPX,No";

QString outOfRange(int index, int count)
{
    return QCoreApplication::translate("MapFile", "Subscript out of range: line %1 of a map document of %2 lines").arg(index).arg(count);
}

// --- the file system ----------------------------------------------------------

std::filesystem::path toPath(const QString &name)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(name.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(name).toStdString());
#endif
}

#ifdef Q_OS_WIN
QString fromPath(const std::filesystem::path &path)
{
    return QString::fromStdWString(path.native());
}
#endif

QString errnoText(int error)
{
    return QString::fromStdString(std::generic_category().message(error));
}

// The file a name finally stands for: symbolic links followed, so that a
// write through a link changes the file it points to and keeps the link.
// `found` tells whether that file is there (false only when it is surely
// missing: the same look-up then needs no second system call).
std::filesystem::path followLinks(std::filesystem::path path, const QString &shown, bool &found)
{
    for (int depth = 0; depth < 40; ++depth) {
        std::error_code ec;
        const std::filesystem::file_status status = std::filesystem::symlink_status(path, ec);
        if (!std::filesystem::is_symlink(status)) {
            found = status.type() != std::filesystem::file_type::not_found;
            return path;
        }
        const std::filesystem::path target = std::filesystem::read_symlink(path, ec);
        if (ec)
            throw MapError(QCoreApplication::translate("MapFile", "Cannot write the map file \"%1\": %2")
                               .arg(shown, QString::fromStdString(ec.message())));
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    throw MapError(QCoreApplication::translate("MapFile", "Cannot write the map file \"%1\": too many levels of symbolic links").arg(shown));
}

// A temporary file beside the target; removed when the write does not finish.
class TempFile
{
public:
    TempFile(const std::filesystem::path &target, const QString &shown) : m_shown(shown)
    {
        const std::filesystem::path folder = target.parent_path();
        const std::filesystem::path base = target.filename();
        for (int attempt = 0; attempt < 100; ++attempt) {
            const QString suffix = QStringLiteral(".%1.tmp").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
            std::filesystem::path candidate = folder / base;
            candidate += toPath(suffix);
#ifdef Q_OS_WIN
            m_fd = _wopen(candidate.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
            // 0666 before the umask: a new map file gets the usual permissions.
            m_fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
#endif
            if (m_fd >= 0) {
                m_path = candidate;
                return;
            }
            if (errno != EEXIST)
                fail(errnoText(errno));
        }
        fail(QCoreApplication::translate("MapFile", "no free name for a temporary file"));
    }

    ~TempFile()
    {
        if (m_fd >= 0)
            closeFd();
        if (!m_path.empty()) {
            std::error_code ec;
            std::filesystem::remove(m_path, ec);
        }
    }

    TempFile(const TempFile &) = delete;
    TempFile &operator=(const TempFile &) = delete;

    void write(const QByteArray &bytes)
    {
        const char *data = bytes.constData();
        qsizetype left = bytes.size();
        while (left > 0) {
            const unsigned chunk = unsigned(std::min<qsizetype>(left, 1 << 30));
#ifdef Q_OS_WIN
            const int done = _write(m_fd, data, chunk);
#else
            const ssize_t done = ::write(m_fd, data, chunk);
#endif
            if (done < 0) {
                if (errno == EINTR)
                    continue;
                fail(errnoText(errno));
            }
            if (done == 0)
                fail(QCoreApplication::translate("MapFile", "nothing could be written"));
            data += done;
            left -= done;
        }
    }

    void sync()
    {
#ifdef Q_OS_WIN
        if (_commit(m_fd) != 0)
            fail(errnoText(errno));
#else
        if (::fsync(m_fd) != 0)
            fail(errnoText(errno));
#endif
    }

    void close()
    {
        if (closeFd() != 0)
            fail(errnoText(errno));
    }

#ifndef Q_OS_WIN
    // Gives the temporary file the permissions (and, where allowed, the owner)
    // of the file it replaces, as `st` gives them.
    void copyModeFrom(const struct stat &st)
    {
        if (::fchown(m_fd, st.st_uid, st.st_gid) != 0) {
            // Only the owner or root may give a file away; a file of our own stays ours.
        }
        if (::fchmod(m_fd, st.st_mode & 07777) != 0)
            fail(errnoText(errno));
    }
#endif

    void replace(const std::filesystem::path &target, bool syncFolder)
    {
        std::error_code ec;
        std::filesystem::rename(m_path, target, ec);
        if (ec)
            fail(QString::fromStdString(ec.message()));
        m_path.clear();
#ifndef Q_OS_WIN
        if (syncFolder) {
            const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
            const int dfd = ::open(folder.c_str(), O_RDONLY | O_CLOEXEC);
            if (dfd >= 0) {
                (void)::fsync(dfd);
                ::close(dfd);
            }
        }
#else
        Q_UNUSED(syncFolder);
#endif
    }

private:
    int closeFd()
    {
        const int fd = m_fd;
        m_fd = -1;
#ifdef Q_OS_WIN
        return _close(fd);
#else
        return ::close(fd);
#endif
    }

    [[noreturn]] void fail(const QString &reason) const
    {
        throw MapError(QCoreApplication::translate("MapFile", "Cannot write the map file \"%1\": %2").arg(m_shown, reason));
    }

    QString m_shown;
    std::filesystem::path m_path;
    int m_fd = -1;
};

} // namespace

// --- creation and reading ---------------------------------------------------------

MapFile::MapFile(MessageObserver *observer) : Observer(observer)
{
}

void MapFile::ResetPoints()
{
    m_pointCount = 0;
    m_firstPointLine = 0;
    m_bytes.clear();
    m_readEnd = 0;
    m_index.clear();
    m_changed.clear();
    m_points.fill(MapPoint{});
}

void MapFile::ReadMap(const QString &name)
{
    const QString fileName = name.isEmpty() ? FileName : name;
    if (fileName.isEmpty())
        throw MapError(QCoreApplication::translate("MapFile", "Cannot read the map file: no file name given"));
    RegularFile file;
    if (!file.open(fileName))
        throw MapError(QCoreApplication::translate("MapFile", "Cannot read the map file \"%1\": %2").arg(fileName, file.errorString()));
    // A real map file is a few kilobytes; a huge file that merely carries the
    // extension (a disk image, a video) is not read into memory.
    const auto tooLarge = [&](qint64 size) {
        return MapError(QCoreApplication::translate("MapFile", "Cannot read the map file \"%1\": it is too large for a map file (%2 MB; "
                                       "the limit is %3 MB)")
                            .arg(fileName)
                            .arg(size / (1024 * 1024))
                            .arg(kMaxMapFileSize / (1024 * 1024)));
    };
    if (file.size() > kMaxMapFileSize)
        throw tooLarge(file.size());
    // Read to the end (a file may grow while it is read), never past the limit.
    QByteArray bytes(qsizetype(file.size()) + 1, Qt::Uninitialized);
    qsizetype got = 0;
    for (;;) {
        if (got == bytes.size()) {
            if (bytes.size() > kMaxMapFileSize)
                throw tooLarge(bytes.size());
            bytes.resize(std::min<qsizetype>(bytes.size() * 2 + 4096, kMaxMapFileSize + 1));
        }
        const qint64 n = file.read(bytes.data() + got, bytes.size() - got);
        if (n < 0)
            throw MapError(QCoreApplication::translate("MapFile", "Cannot read the map file \"%1\": %2").arg(fileName, file.errorString()));
        if (n == 0)
            break;
        got += qsizetype(n);
    }
    bytes.truncate(got);
    ReadBytes(bytes);
}

void MapFile::ReadMap(QIODevice &device)
{
    if (!device.isOpen() && !device.open(QIODevice::ReadOnly))
        throw MapError(QCoreApplication::translate("MapFile", "Cannot read the map file: %1").arg(device.errorString()));
    if (!device.isReadable())
        throw MapError(QCoreApplication::translate("MapFile", "Cannot read the map file: the device is not open for reading"));
    ReadBytes(device.readAll());
}

void MapFile::ReadBytes(const QByteArray &bytes)
{
    ResetPoints();
    m_eol = QByteArrayLiteral("\r\n");
    if (bytes.size() >= qsizetype(kChanged))
        throw MapError(QCoreApplication::translate("MapFile", "Cannot read the map file: it is too large for a map file"));
    m_bytes = bytes;
    m_readEnd = bytes.size();
    EncodingFromBytes = MapTextEncoding::hasNonAscii(bytes);
    Encoding = MapTextEncoding::detect(bytes);

    const char *data = m_bytes.constData();
    const qsizetype size = m_bytes.size();
    m_index.reserve(size_t(m_bytes.count('\n')) + 1);
    bool eolSeen = false;
    qsizetype start = 0;
    while (start < size) {
        const void *found = std::memchr(data + start, '\n', size_t(size - start));
        qsizetype end = found ? static_cast<const char *>(found) - data : size;
        if (found && !eolSeen) {
            m_eol = end > start && data[end - 1] == '\r' ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n");
            eolSeen = true;
        }
        if (found && end > start && data[end - 1] == '\r')
            --end;
        const int idx = int(m_index.size());
        QString title;
        QString body;
        splitLine(MapTextEncoding::decode(data + start, end - start, Encoding), idx, title, body);
        QString parsedTitle = title;
        QString parsedBody = body;
        ParseLine(parsedTitle, parsedBody, idx);
        if (parsedTitle == title && parsedBody == body) {
            m_index.push_back(quint32(start));
        } else {
            MapLine line;
            line.Title = std::move(parsedTitle);
            line.Body = std::move(parsedBody);
            line.eol = m_eol;
            m_index.push_back(kChanged | quint32(m_changed.size()));
            m_changed.push_back(std::move(line));
        }
        start = found ? static_cast<const char *>(found) - data + 1 : size;
    }
    SortPoints();
}

void MapFile::checkIndex(int i) const
{
    if (i < 0 || i >= lineCount())
        throw MapError(outOfRange(i, lineCount()));
}

void MapFile::rawSpan(int i, qsizetype &begin, qsizetype &end, QByteArrayView &eol) const
{
    const char *data = m_bytes.constData();
    begin = qsizetype(m_index[size_t(i)]);
    // A last line read without a line end stops where the file stopped.
    const qsizetype limit = begin < m_readEnd ? m_readEnd : m_bytes.size();
    const void *found = std::memchr(data + begin, '\n', size_t(limit - begin));
    if (!found) {
        end = limit;
        eol = QByteArrayView();
        return;
    }
    end = static_cast<const char *>(found) - data;
    if (end > begin && data[end - 1] == '\r') {
        --end;
        eol = QByteArrayView("\r\n", 2);
    } else {
        eol = QByteArrayView("\n", 1);
    }
}

QString MapFile::lineTitle(int i) const
{
    checkIndex(i);
    const quint32 entry = m_index[size_t(i)];
    if (entry & kChanged)
        return m_changed[entry & ~kChanged].Title;
    if (i < 7)
        return QString();
    qsizetype begin = 0, end = 0;
    QByteArrayView eol;
    rawSpan(i, begin, end, eol);
    const char *data = m_bytes.constData() + begin;
    const void *comma = std::memchr(data, ',', size_t(end - begin));
    if (!comma)
        return QString();
    return MapTextEncoding::decode(data, static_cast<const char *>(comma) - data, Encoding);
}

bool MapFile::lineTitleIs(int i, QLatin1StringView key, bool folded) const
{
    checkIndex(i);
    const auto slow = [&] {
        const QString title = lineTitle(i);
        return folded ? title.compare(key, Qt::CaseInsensitive) == 0 : upperMatches(title, key, false);
    };
    const quint32 entry = m_index[size_t(i)];
    if ((entry & kChanged) || i < 7)
        return slow();
    qsizetype begin = 0, end = 0;
    QByteArrayView eol;
    rawSpan(i, begin, end, eol);
    const char *data = m_bytes.constData() + begin;
    const void *comma = std::memchr(data, ',', size_t(end - begin));
    const qsizetype size = comma ? static_cast<const char *>(comma) - data : 0;
    for (qsizetype k = 0; k < size; ++k) {
        if (uchar(data[k]) >= 0x80)
            return slow();
    }
    if (size != key.size())
        return false;
    for (qsizetype k = 0; k < size; ++k) {
        char c = data[k];
        char d = key.at(k).toLatin1();
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
        if (d >= 'a' && d <= 'z')
            d = char(d - 'a' + 'A');
        if (c != d)
            return false;
    }
    return true;
}

MapLine MapFile::line(int i) const
{
    checkIndex(i);
    const quint32 entry = m_index[size_t(i)];
    if (entry & kChanged)
        return m_changed[entry & ~kChanged];
    qsizetype begin = 0, end = 0;
    QByteArrayView eol;
    rawSpan(i, begin, end, eol);
    MapLine line;
    line.raw = QByteArray(m_bytes.constData() + begin, end - begin);
    line.rawValid = true;
    line.eol = eol.toByteArray();
    splitLine(MapTextEncoding::decode(line.raw, Encoding), i, line.Title, line.Body);
    return line;
}

qint64 MapFile::appendRawLine(const QString &title, const QString &body, int idx)
{
    // Reading splits the first seven lines not at all and the others at
    // their first comma: only a line that reads back the same may be kept
    // as bytes.
    bool titleComma = false; // whether a comma is allowed in the title
    bool bodyComma = true;   // ... and in the body
    if (idx < 7) {
        if (!title.isEmpty())
            return -1;
    } else if (title.isEmpty()) {
        bodyComma = false;
    } else if (body.isEmpty()) {
        return -1;
    }
    const qsizetype base = m_bytes.size();
    const qsizetype need = title.size() + (title.isEmpty() ? 0 : 1) + body.size() + m_eol.size();
    if (base >= qsizetype(kChanged) - need)
        return -1;
    if (Encoding != MapTextEncoding::Windows1251) {
        // Other encodings go through the general encoder, with the same
        // checks as the Windows-1251 bytes below.
        QByteArray titleBytes, bodyBytes;
        bool ok = MapTextEncoding::encode(title, Encoding, titleBytes) < 0
            && MapTextEncoding::encode(body, Encoding, bodyBytes) < 0 && !titleBytes.contains('\n')
            && !bodyBytes.contains('\n') && (titleComma || !titleBytes.contains(','))
            && (bodyComma || !bodyBytes.contains(','));
        QByteArray text = titleBytes;
        if (!title.isEmpty())
            text += ',';
        text += bodyBytes;
        ok = ok && !text.endsWith('\r') && base < qsizetype(kChanged) - text.size() - m_eol.size();
        if (!ok)
            return -1;
        m_bytes.append(text);
        m_bytes.append(m_eol);
        return base;
    }
    m_bytes.resize(base + need);
    char *out = m_bytes.data() + base;
    // Windows-1251 bytes straight into place; false for a character the code
    // page lacks, a line break, or a comma where reading would split.
    const auto put = [&out](const QString &text, bool commaAllowed) {
        const char16_t *in = reinterpret_cast<const char16_t *>(text.constData());
        const char16_t *const stop = in + text.size();
        const char16_t comma = commaAllowed ? u'\n' : u','; // a comma that is allowed is no stop
        for (; in != stop; ++in) {
            const char16_t c = *in;
            if (c < 0x80) {
                if (c == u'\n' || c == comma)
                    return false;
                *out++ = char(c);
                continue;
            }
            const int b = Windows1251::byteOf(c);
            if (b < 0 || b == '\n' || (b == ',' && !commaAllowed))
                return false;
            *out++ = char(b);
        }
        return true;
    };
    bool ok = put(title, titleComma);
    if (ok && !title.isEmpty())
        *out++ = ',';
    ok = ok && put(body, bodyComma);
    // A carriage return at the end would read back as part of the line end.
    ok = ok && (out == m_bytes.constData() + base || out[-1] != '\r');
    if (!ok) {
        m_bytes.truncate(base);
        return -1;
    }
    std::memcpy(out, m_eol.constData(), size_t(m_eol.size()));
    return base;
}

void MapFile::setChanged(int i, MapLine line)
{
    quint32 &entry = m_index[size_t(i)];
    if (entry & kChanged) {
        m_changed[entry & ~kChanged] = std::move(line);
        return;
    }
    entry = kChanged | quint32(m_changed.size());
    m_changed.push_back(std::move(line));
}

// --- editing -------------------------------------------------------------------------

void MapFile::AddLine(const QString &Title, const QString &body, int idx)
{
    const qint16 tag = Numeric::toInt16(static_cast<long long>(idx));
    QString title = Title;
    QString text = body;
    const int num = lineCount();
    ParseLine(title, text, num);
    if (tag == -1) {
        const qint64 offset = appendRawLine(title, text, num);
        if (offset >= 0) {
            m_index.push_back(quint32(offset));
            return;
        }
    }
    MapLine line;
    line.Title = std::move(title);
    line.Body = std::move(text);
    line.Tag = tag;
    line.eol = m_eol;
    m_index.push_back(kChanged | quint32(m_changed.size()));
    m_changed.push_back(std::move(line));
}

void MapFile::SetLine(int num, const QString &Title, const QString &body, int idx, bool fParse)
{
    checkIndex(num);
    const qint16 tag = Numeric::toInt16(static_cast<long long>(idx));
    QString title = Title;
    QString text = body;
    if (fParse)
        ParseLine(title, text, num);
    quint32 &entry = m_index[size_t(num)];
    if (entry & kChanged) {
        MapLine &line = m_changed[entry & ~kChanged];
        line.Tag = tag;
        if (line.rawValid && line.Title == title && line.Body == text)
            return; // the same text: the line keeps its own bytes
        line.Title = std::move(title);
        line.Body = std::move(text);
        line.raw.clear();
        line.rawValid = false;
        line.eol = m_eol;
        return;
    }
    // A read line's text is its Title and Body, with the comma between them
    // unless one is empty: a text of another length is another text.
    qsizetype begin = 0, end = 0;
    QByteArrayView eol;
    rawSpan(num, begin, end, eol);
    const qsizetype newLength = title.size() + text.size() + (!title.isEmpty() && !text.isEmpty() ? 1 : 0);
    const bool maybeSame = newLength == end - begin || newLength == end - begin - 1;
    MapLine line = maybeSame ? this->line(num) : MapLine();
    if (maybeSame && line.Title == title && line.Body == text) {
        if (tag == -1)
            return; // the same text: the line keeps its own bytes
        line.Tag = tag;
        setChanged(num, std::move(line));
        return;
    }
    if (tag == -1) {
        const qint64 offset = appendRawLine(title, text, num);
        if (offset >= 0) {
            m_index[size_t(num)] = quint32(offset);
            return;
        }
    }
    MapLine changed;
    changed.Title = std::move(title);
    changed.Body = std::move(text);
    changed.Tag = tag;
    changed.eol = m_eol;
    setChanged(num, std::move(changed));
}

void MapFile::RemovePath()
{
    if (lineCount() < 3)
        return;
    const QString path = line(2).Body;
    const qsizetype slash = path.lastIndexOf(u'\\');
    if (slash >= 0)
        SetLine(2, QString(), path.mid(slash + 1), -1, true);
}

void MapFile::SetCorner()
{
    // Every corner line must be in the document before anything changes: a
    // missing MMPXY or MMPLL line would otherwise make another line the target.
    for (int k = 1; k <= 4; ++k) {
        const int xy = m_cornerXY[k].LineNo;
        const int ll = m_cornerLL[k].LineNo;
        if (xy <= 0 || xy >= lineCount() || !lineTitleIs(xy, QLatin1StringView("MMPXY")))
            throw MapError(QCoreApplication::translate("MapFile", "The map has no corner marker line MMPXY %1").arg(k));
        if (ll <= 0 || ll >= lineCount() || !lineTitleIs(ll, QLatin1StringView("MMPLL")))
            throw MapError(QCoreApplication::translate("MapFile", "The map has no corner marker line MMPLL %1").arg(k));
    }
    SortPoints();
    for (int k = 1; k <= 4; ++k) {
        const MapPoint p = m_points[k];
        const QChar n(char16_t(u'0' + k));
        SetLine(m_cornerXY[k].LineNo, QStringLiteral("MMPXY"),
                n % QLatin1Char(',') % QString::number(p.X) % QLatin1Char(',') % QString::number(p.Y), -1, true);
        SetLine(m_cornerLL[k].LineNo, QStringLiteral("MMPLL"),
                n % QLatin1Char(',') % FormatDD(p.Lon) % QLatin1StringView(" , ") % FormatDD(p.Lat), -1, true);
    }
}

// --- the line parser -------------------------------------------------------------------

void MapFile::ParseLine(QString &Title, QString &body, int idx)
{
    const int L = idx + 1;
    if (L == 1)
        return;

    if (L == 2) { // the map title line
        trapped([&] {
            const QString name = Global::cutExtension4(body);
            if (!KeepReadLines)
                body = name;
            MapName = name;
        });
        // The notes quote the line: only a map file's (one that is not a map
        // may be any file a link leads to).
        const bool mapFile = hasHeader();
        trapped([&] {
            iRow = Global::getRow(MapName);
            if (iRow < 1 && Observer && mapFile)
                Observer->message(MapName + QCoreApplication::translate("MapFile", " Incorrect 1:1M map row in image name "),
                                  QCoreApplication::translate("MapFile", "Error"), MessageObserver::Icon::Critical);
        });
        trapped([&] {
            iCol = Global::getColumn(MapName, Global::getMaskByName(Global::getNameNoExt(MapName)));
            if ((iCol < 1 || iCol > 60) && Observer && mapFile)
                Observer->message(MapName + QCoreApplication::translate("MapFile", " Incorrect 1:1M map column number in image name ")
                                      + QString::number(iCol),
                                  QCoreApplication::translate("MapFile", "Error"), MessageObserver::Icon::Critical);
        });
        trapped([&] { bSouth = Global::getHemisphere(MapName) == QLatin1String("S"); });
        return;
    }

    if (L == 3) { // the image path line
        trapped([&] {
            const QString name = Global::getFileName(body);
            if (!KeepReadLines)
                body = name;
            ImageName = name;
        });
        return;
    }

    if (L >= 4 && L <= 7)
        return;
    if (Title.isEmpty())
        return;
    const Keyword keyword = keywordOf(Title);
    if (keyword == Keyword::None)
        return;

    if (keyword == Keyword::MMPNUM) {
        trapped([&] { MMPNUM = Numeric::toInt16(lenient(body)); });
    } else if (keyword == Keyword::MM1B) {
        trapped([&] {
            const double v = lenient(body);
            if (std::fabs(v) <= double(std::numeric_limits<float>::max()))
                MM1B = float(v);
        });
    } else if (keyword == Keyword::MMPXY) {
        const Fields f(body, 3);
        qint16 n = 0;
        trapped([&] { n = strictInt16(f.at(0)); });
        if (n >= 1 && n <= 4) {
            CornerXY &c = m_cornerXY[n];
            trapped([&] { c.X = Numeric::toInt16(lenient(f.at(1))); });
            trapped([&] { c.Y = Numeric::toInt16(lenient(f.at(2))); });
            c.LineNo = idx;
        }
    } else if (keyword == Keyword::MMPLL) {
        const Fields f(body, 3);
        qint16 n = 0;
        trapped([&] { n = strictInt16(f.at(0)); });
        if (n >= 1 && n <= 4) {
            CornerLL &c = m_cornerLL[n];
            trapped([&] { c.Lon = lenient(f.at(1)); });
            trapped([&] { c.Lat = lenient(f.at(2)); });
            c.LineNo = idx;
        }
    } else if (keyword == Keyword::MAP_PROJECTION) {
        m_projLine = idx;
        trapped([&] {
            const Fields f(body, 7);
            const bool other = f.at(0).toString().toUpper() != QLatin1String("TRANSVERSE MERCATOR");
            // Only a map of a sheet of the international grid is ours to put
            // into Transverse Mercator; a map made by another program keeps its projection.
            const bool sheet = iRow >= 1 && iCol >= 1 && iCol <= 60;
            m_projFixed = other && sheet && !KeepReadLines;
            if (m_projFixed)
                body = QLatin1String(kTransverseMercator);
        });
    } else if (keyword == Keyword::PROJECTION_SETUP) {
        m_projSetupLine = idx;
        if (m_projFixed && !KeepReadLines) {
            trapped([&] {
                body = QStringLiteral("0.000000000,") + getCMeridian() + QStringLiteral(" , 1.000000000, ")
                    + Numeric::zeroPad(getZone(), 2) + QStringLiteral("500000.00, 0.00,,,,,");
            });
        }
    } else if (keyword == Keyword::POINT) {
        qint16 n = 0;
        trapped([&] { n = strictInt16(QStringView(Title).right(2)); });
        if (n < 1 || n > 9)
            return; // Point10..Point30 are kept but carry nothing we use
        MapPoint &p = m_points[n];
        p.LineNo = idx;
        if (m_firstPointLine == 0)
            m_firstPointLine = idx;
        const Fields f(body, 12);
        const bool noPixel = f.count < 2 || f.part[1].trimmed().isEmpty()
            || (f.count > 3 && f.part[3].compare(u"ex", Qt::CaseInsensitive) == 0);
        if (noPixel) {
            p.X = -1;
            p.Y = -1;
            return;
        }
        trapped([&] { p.X = Numeric::toInt16(lenient(f.at(1))); });
        trapped([&] { p.Y = Numeric::toInt16(lenient(f.at(2))); });
        trapped([&] {
            double lat = lenient(f.at(5));
            lat += lenient(f.at(6)) / 60;
            if (f.count > 7 && f.part[7] == u"S")
                lat = -lat;
            p.Lat = lat;
        });
        trapped([&] {
            double lon = strict(f.at(8));
            lon += lenient(f.at(9)) / 60;
            if (f.count > 10 && f.part[10] == u"W")
                lon = -lon;
            p.Lon = lon;
        });
        if (n > m_pointCount)
            m_pointCount = n;
    }
}

// --- writing ---------------------------------------------------------------------------

QString MapFile::lineText(int i) const
{
    const MapLine line = this->line(i);
    if (line.Title.isEmpty())
        return line.Body;
    if (line.Body.isEmpty())
        return line.Title;
    return line.Title + u',' + line.Body;
}

QByteArray MapFile::ToBytes() const
{
    QByteArray out;
    qsizetype total = m_bytes.size();
    for (const MapLine &line : m_changed)
        total += (line.rawValid ? line.raw.size() : line.Title.size() + line.Body.size() + 1) + 2;
    out.reserve(total);

    const qsizetype last = qsizetype(m_index.size()) - 1;
    // Unchanged lines that follow each other in m_bytes (with their line
    // ends) are copied in one go.
    qsizetype runBegin = 0, runEnd = 0;
    const auto flush = [&] {
        out.append(m_bytes.constData() + runBegin, runEnd - runBegin);
        runBegin = runEnd = 0;
    };
    for (qsizetype i = 0; i <= last; ++i) {
        const quint32 entry = m_index[size_t(i)];
        if (!(entry & kChanged)) {
            qsizetype begin = 0, end = 0;
            QByteArrayView eol;
            rawSpan(int(i), begin, end, eol);
            if (eol.isEmpty() && i != last) {
                // A last line without a line end gets one when it is no longer last.
                flush();
                out.append(m_bytes.constData() + begin, end - begin);
                out.append(m_eol);
                continue;
            }
            if (begin != runEnd || runBegin == runEnd) {
                flush();
                runBegin = begin;
            }
            runEnd = end + eol.size();
            continue;
        }
        flush();
        const MapLine &line = m_changed[entry & ~kChanged];
        if (line.rawValid) {
            out.append(line.raw);
            out.append(line.eol.isEmpty() && i != last ? m_eol : line.eol);
            continue;
        }
        const QString text = lineText(int(i));
        const qsizetype bad = MapTextEncoding::encode(text, Encoding, out);
        if (bad >= 0) {
            const QChar ch = text.at(bad);
            throw MapError(QCoreApplication::translate("MapFile", "Line %1 of the map file holds the character \"%2\" (U+%3), which cannot be "
                                          "written in %4")
                               .arg(i)
                               .arg(ch)
                               .arg(ch.unicode(), 4, 16, QLatin1Char('0'))
                               .arg(Encoding == MapTextEncoding::Utf8 ? QStringLiteral("UTF-8")
                                                                      : QCoreApplication::translate("MapFile", "the Windows-1251 code page")));
        }
        if (text.contains(u'\n'))
            throw MapError(QCoreApplication::translate("MapFile", "Line %1 of the map file holds a line break and cannot be written").arg(i));
        out.append(m_eol);
    }
    flush();
    return out;
}

void MapFile::WriteMap(const QString &name, bool syncToDisk) const
{
    const QString shown = name.isEmpty() ? FileName : name;
    if (shown.isEmpty())
        throw MapError(QCoreApplication::translate("MapFile", "Cannot write the map file: no file name given"));

    // Everything is encoded before the file system is touched: a line that
    // cannot be written leaves the old file as it was.
    const QByteArray bytes = ToBytes();

    bool found = true;
    const std::filesystem::path named = toPath(shown);
    const std::filesystem::path target = followLinks(named, shown, found);
    // A link is written through only when its file lies in the link's own
    // folder or below it: never out of the folder a tool was given, never
    // where a dangling link points.
    if (target != named) {
        if (const QString problem = FolderLinks::writeProblem(shown); !problem.isEmpty())
            throw MapError(QCoreApplication::translate("MapFile", "Cannot write the map file \"%1\": %2").arg(shown, problem));
    }
    // The rename below would replace a read-only file; it must be refused
    // here (and for root as well, who may write anything).
    const auto folderError = [&shown] {
        return MapError(QCoreApplication::translate("MapFile", "Cannot write the map file \"%1\": it is a folder").arg(shown));
    };
    const auto readOnlyError = [&shown] {
        return MapError(QCoreApplication::translate("MapFile", "Cannot write the map file \"%1\": the file is read-only").arg(shown));
    };
    bool exists = false;
#ifdef Q_OS_WIN
    if (const QFileInfo info = found ? QFileInfo(fromPath(target)) : QFileInfo(); found && info.exists()) {
        if (info.isDir())
            throw folderError();
        const QFileDevice::Permissions perms = info.permissions();
        const bool anyWrite = perms & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther);
        if (!anyWrite || !info.isWritable())
            throw readOnlyError();
        exists = true;
    }
#else
    // One stat gives the type, the mode bits and the owner to copy; access()
    // tells whether this user may write it.
    struct stat st;
    if (found && ::stat(target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            throw folderError();
        if (!(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) || ::access(target.c_str(), W_OK) != 0)
            throw readOnlyError();
        exists = true;
    }
#endif

    TempFile temp(target, shown);
    temp.write(bytes);
#ifndef Q_OS_WIN
    if (exists)
        temp.copyModeFrom(st);
#endif
    if (syncToDisk)
        temp.sync();
    temp.close();
    temp.replace(target, syncToDisk);
}

// --- views -----------------------------------------------------------------------------

const MapPoint &MapFile::point(int k) const
{
    if (k < 1 || k > 9)
        throw MapError(QCoreApplication::translate("MapFile", "Subscript out of range: point %1").arg(k));
    return m_points[k];
}

const CornerXY &MapFile::cornerXY(int n) const
{
    if (n < 1 || n > 4)
        throw MapError(QCoreApplication::translate("MapFile", "Subscript out of range: corner %1").arg(n));
    return m_cornerXY[n];
}

const CornerLL &MapFile::cornerLL(int n) const
{
    if (n < 1 || n > 4)
        throw MapError(QCoreApplication::translate("MapFile", "Subscript out of range: corner %1").arg(n));
    return m_cornerLL[n];
}

SheetFields MapFile::sheetFields() const
{
    SheetFields s;
    s.iRow = iRow;
    s.iCol = iCol;
    s.iList = iList;
    s.iList50 = iList50;
    s.iList25 = iList25;
    s.iList10 = iList10;
    s.iScale = iScale;
    s.bSouth = bSouth;
    s.iY = iY;
    return s;
}

bool MapFile::hasHeader() const
{
    return lineCount() > 0 && lineText(0).startsWith(QLatin1String("OziExplorer Map Data File"));
}

// --- calibration points ----------------------------------------------------------------

MapFile::Coord MapFile::coordOf(const QString &strType)
{
    if (upperIs(strType, "LAT"))
        return Coord::Lat;
    if (upperIs(strType, "LON"))
        return Coord::Lon;
    if (upperIs(strType, "Y"))
        return Coord::Y;
    if (upperIs(strType, "X"))
        return Coord::X;
    return Coord::None;
}

double MapFile::GetPoint(int iPN, const QString &strType) const
{
    return pointValue(iPN, coordOf(strType));
}

double MapFile::pointValue(int k, Coord c) const
{
    const MapPoint &p = point(k);
    switch (c) {
    case Coord::Lat:
        return p.Lat;
    case Coord::Lon:
        return p.Lon;
    case Coord::Y:
        return p.Y;
    case Coord::X:
        return p.X;
    case Coord::None:
        break;
    }
    return 0;
}

double MapFile::CreatePoint(int k, const QString &strType) const
{
    return newPointValue(k, coordOf(strType));
}

double MapFile::newPointValue(int k, Coord c) const
{
    if (c == Coord::Lat)
        return SheetGeometry::latitude(sheetFields(), k);
    if (c == Coord::Lon)
        return SheetGeometry::longitude(sheetFields(), k);
    const bool stored = m_pointCount >= 4;
    if (HasFrameCorners && k >= 1 && k <= 4) {
        if (c == Coord::X)
            return std::round(FrameCorners[2 * (k - 1)]);
        if (c == Coord::Y)
            return std::round(FrameCorners[2 * (k - 1) + 1]);
    }
    if (c == Coord::Y) {
        const double H = iY;
        const double top = dMTop;
        const double bottom = dMBottom;
        const auto n = [this](int p) { return pointValue(p, Coord::Y); };
        switch (k) {
        case 1:
        case 2:
            return std::floor(H * top);
        case 3:
        case 4:
            return std::floor((1 - bottom) * H);
        case 6:
            return stored ? (n(2) + n(1)) / 2 : std::floor(H * top);
        case 9:
            return stored ? (n(4) + n(3)) / 2 : std::floor((1 - bottom) * H);
        case 5:
        case 7:
        case 8:
            if (!stored)
                return std::floor((1 - top - bottom) * H / 2 + H * top);
            if (k == 5)
                return (n(2) + n(1) + n(4) + n(3)) / 4;
            if (k == 7)
                return (n(4) + n(1)) / 2;
            return (n(3) + n(2)) / 2;
        default:
            return 0;
        }
    }
    if (c == Coord::X) {
        const double W = iX;
        const double side = dMSide;
        const auto n = [this](int p) { return pointValue(p, Coord::X); };
        switch (k) {
        case 1:
        case 4:
            return std::floor(W * side);
        case 2:
        case 3:
            return std::floor((1 - side) * W);
        case 7:
            return stored ? (n(4) + n(1)) / 2 : std::floor(W * side);
        case 8:
            return stored ? (n(3) + n(2)) / 2 : std::floor((1 - side) * W);
        case 5:
        case 6:
        case 9:
            if (!stored)
                return std::floor(W / 2);
            if (k == 6)
                return (n(2) + n(1)) / 2;
            if (k == 5)
                return (n(2) + n(1) + n(4) + n(3)) / 4;
            return (n(3) + n(4)) / 2;
        default:
            return 0;
        }
    }
    return 0;
}

void MapFile::SwapPoints(int a, int b)
{
    const int lineA = m_points[a].LineNo;
    const int lineB = m_points[b].LineNo;
    std::swap(m_points[a], m_points[b]);
    m_points[a].LineNo = lineA;
    m_points[b].LineNo = lineB;
}

void MapFile::CopyPoint(int target, const MapPoint &source)
{
    const int line = m_points[target].LineNo;
    m_points[target] = source;
    m_points[target].LineNo = line;
}

void MapFile::SortPoints()
{
    if (m_pointCount < 4)
        return;

    struct Entry
    {
        qint32 x = 0;
        qint32 y = 0;
        float key = 0;
        int slot = 0;
    };
    std::array<Entry, 11> e{};
    int n = 0;
    qint32 maxX = 0, minX = 9000, maxY = 0, minY = 9000;
    for (int i = 1; i <= m_pointCount && i <= 9; ++i) {
        const qint32 x = m_points[i].X;
        const qint32 y = m_points[i].Y;
        if (x >= 0 && y >= 0) {
            e[n] = Entry{x, y, 0, i};
            maxY = std::max(maxY, y);
            minY = std::min(minY, y);
            maxX = std::max(maxX, x);
            minX = std::min(minX, x);
            ++n;
        }
    }
    // Fewer than four points with a pixel position: no corners to name.
    if (n < 4)
        return;

    const qint32 cx = qint32(Numeric::roundHalfEven((double(maxX) + double(minX)) / 2));
    const float cy = float((double(maxY) + double(minY)) / 2);
    for (int i = 0; i < n; ++i) {
        const double dx = double(e[i].x - cx);
        const double dy = double(e[i].y) - double(cy);
        e[i].key = float(dx * dx + dy * dy);
    }
    // The four points farthest from the centre first (equal keys keep their order).
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (int i = 0; i + 1 < n; ++i) {
            if (e[i].key < e[i + 1].key) {
                std::swap(e[i], e[i + 1]);
                swapped = true;
            }
        }
    }
    // The corners by their distance from the image origin.
    for (int i = 0; i < 4; ++i)
        e[i].key = float(double(e[i].x) * e[i].x + double(e[i].y) * e[i].y);
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (int i = 0; i < 3; ++i) {
            if (e[i].key > e[i + 1].key) {
                std::swap(e[i], e[i + 1]);
                swapped = true;
            }
        }
    }
    const int nw = e[0].slot;
    const int ne = e[1].y < e[2].y ? e[1].slot : e[2].slot;
    const int sw = e[1].y < e[2].y ? e[2].slot : e[1].slot;
    const int se = e[3].slot;
    const std::array<int, 4> corner{nw, ne, se, sw};

    // Corners into slots 1..4 (NW, NE, SE, SW); the points they push out of
    // slots 1..4 go, in slot order, into the slots the corners leave (corner
    // slots above 4, in the order NW, NE, SE, SW). Nothing is lost or doubled.
    const std::array<MapPoint, 10> before = m_points;
    std::array<int, 4> freed{};
    int freedCount = 0;
    for (int c : corner) {
        if (c > 4)
            freed[freedCount++] = c;
    }
    int next = 0;
    for (int s = 1; s <= 4; ++s) {
        const bool isCorner = std::find(corner.begin(), corner.end(), s) != corner.end();
        if (!isCorner && next < freedCount)
            CopyPoint(freed[next++], before[s]);
    }
    for (int k = 0; k < 4; ++k)
        CopyPoint(k + 1, before[corner[k]]);

    // Inner points into the slots of the sheet points they stand for.
    for (int i = 5; i <= n && i <= 9; ++i) {
        for (int j = 5; j <= 9; ++j) {
            if (i == j)
                continue;
            trapped([&] {
                const bool sameLat = newPointValue(j, Coord::Lat) == pointValue(i, Coord::Lat);
                const bool sameLon = newPointValue(j, Coord::Lon) == pointValue(i, Coord::Lon);
                if (sameLat && sameLon)
                    SwapPoints(i, j);
            });
        }
    }
}

// --- texts: the sheet helpers do the work -------------------------------------------------

QString MapFile::Lat2Str(double lat) const
{
    return SheetText::lat(lat);
}

QString MapFile::Lon2Str(double lon) const
{
    return SheetText::lon(lon);
}

QString MapFile::getCMeridian() const
{
    return SheetText::centralMeridian(sheetFields());
}

QString MapFile::DD2Str(double d) const
{
    return SheetText::dd(d);
}

double MapFile::getScaleMP() const
{
    return SheetText::scaleMP(sheetFields());
}

QString MapFile::getMapName() const
{
    return SheetText::mapName(sheetFields());
}

qint16 MapFile::getZone() const
{
    return SheetText::zone(sheetFields());
}

QString MapFile::FormatDD(double value) const
{
    return SheetText::formatDD(value);
}

// --- new files and point lines ------------------------------------------------------------

void MapFile::CreateNew(const QString &ImgFile)
{
    // Most of a new map is the same in every file: it is built once, line by
    // line through the parser, and each new map starts from a copy of it with
    // the fields those lines gave. The lines that differ from sheet to sheet
    // are then put in through the parser in the order buildNew adds them (the
    // title line first: the projection setup line depends on the row and
    // column it gives).
    struct Template
    {
        MapFile map;
        Template()
        {
            map.iScale = 100;
            map.iRow = 14;
            map.iCol = 37;
            map.iList = 1;
            map.iX = 4000;
            map.iY = 3000;
            map.buildNew(QStringLiteral("N-37-001.jpg"));
        }
    };
    static const Template made;
    const MapFile &t = made.map;

    ResetPoints();
    m_eol = t.m_eol;
    m_bytes.reserve(4096); // a new map with its points and grid
    m_bytes.append(t.m_bytes);
    m_index.reserve(72);
    m_index = t.m_index;
    m_changed = t.m_changed;
    m_points = t.m_points;
    m_pointCount = t.m_pointCount;
    m_firstPointLine = t.m_firstPointLine;
    MMPNUM = t.MMPNUM;
    m_cornerXY[1] = t.m_cornerXY[1];
    for (int k = 1; k <= 4; ++k)
        m_cornerLL[k] = t.m_cornerLL[k];

    const QString empty;
    putNewLine(1, empty, getMapName());
    putNewLine(2, empty, ImgFile);
    putNewLine(39, QStringLiteral("Projection Setup"),
               QStringLiteral("0.000000000,") + getCMeridian() + QStringLiteral(" , 1.000000000, ")
                   + Numeric::zeroPad(getZone(), 2) + QStringLiteral("500000.00, 0.00,,,,,"));
    const QString w = QString::number(iX);
    const QString h = QString::number(iY);
    putNewLine(46, QStringLiteral("MMPXY"), QStringLiteral("2,") + w + QStringLiteral(",0"));
    putNewLine(47, QStringLiteral("MMPXY"), QStringLiteral("3,0,") + h);
    putNewLine(48, QStringLiteral("MMPXY"), QStringLiteral("4,") + w + u',' + h);
    putNewLine(53, QStringLiteral("MM1B"), DD2Str(getScaleMP()));
    putNewLine(55, QStringLiteral("IWH"), QStringLiteral("Map Image Width/Height,") + w + u',' + h);
}

void MapFile::putNewLine(int num, const QString &Title, const QString &body)
{
    // What AddLine(Title, body, -1) does, for a line that is already counted.
    QString title = Title;
    QString text = body;
    ParseLine(title, text, num);
    const qint64 offset = appendRawLine(title, text, num);
    if (offset >= 0) {
        m_index[size_t(num)] = quint32(offset);
        return;
    }
    MapLine line;
    line.Title = std::move(title);
    line.Body = std::move(text);
    line.eol = m_eol;
    m_index[size_t(num)] = kChanged | quint32(m_changed.size());
    m_changed.push_back(std::move(line));
}

void MapFile::buildNew(const QString &ImgFile)
{
    ResetPoints();
    m_eol = QByteArrayLiteral("\r\n");
    m_bytes.reserve(4096); // a new map with its points and grid
    m_index.reserve(72);
    const QString empty;
    AddLine(empty, QStringLiteral("OziExplorer Map Data File Version 2.2"), -1);
    AddLine(empty, getMapName(), -1);
    AddLine(empty, ImgFile, -1);
    AddLine(empty, QStringLiteral("1 ,Map Code,"), -1);
    AddLine(empty, QStringLiteral("Pulkovo 1942 (1),WGS 84,   0.0000,   0.0000,WGS 84"), -1);
    AddLine(empty, QStringLiteral("Reserved 1"), -1);
    AddLine(empty, QStringLiteral("Reserved 2"), -1);
    AddLine(empty, QStringLiteral("Magnetic Variation, , , E"), -1);
    AddLine(empty, QStringLiteral("Map Projection,") + QLatin1String(kTransverseMercator), -1);
    for (int n = 1; n <= 30; ++n)
        AddLine(pointTitle(n), QStringLiteral("xy,,,in, deg,,,,,,, grid,,,,"), -1);
    AddLine(QStringLiteral("Projection Setup"),
            QStringLiteral("0.000000000,") + getCMeridian() + QStringLiteral(" , 1.000000000, ")
                + Numeric::zeroPad(getZone(), 2) + QStringLiteral("500000.00, 0.00,,,,,"),
            -1);
    AddLine(QStringLiteral("Map Feature = MF ; Map Comment = MC These follow if they exist"), empty, -1);
    AddLine(QStringLiteral("Track File = TF These follow if they exist"), empty, -1);
    AddLine(QStringLiteral("Moving Map Parameters = MM? These follow if they exist"), empty, -1);
    AddLine(QStringLiteral("MM0"), QStringLiteral("Yes"), -1);
    AddLine(QStringLiteral("MMPNUM"), QStringLiteral("4"), -1);
    const QString w = QString::number(iX);
    const QString h = QString::number(iY);
    AddLine(QStringLiteral("MMPXY"), QStringLiteral("1,0,0"), -1);
    AddLine(QStringLiteral("MMPXY"), QStringLiteral("2,") + w + QStringLiteral(",0"), -1);
    AddLine(QStringLiteral("MMPXY"), QStringLiteral("3,0,") + h, -1);
    AddLine(QStringLiteral("MMPXY"), QStringLiteral("4,") + w + u',' + h, -1);
    for (int k = 1; k <= 4; ++k)
        AddLine(QStringLiteral("MMPLL"), QString::number(k) + u',' + DD2Str(0) + u',' + DD2Str(0), -1);
    AddLine(QStringLiteral("MM1B"), DD2Str(getScaleMP()), -1);
    AddLine(QStringLiteral("MOP"), QStringLiteral("Map Open Position,0,0"), -1);
    AddLine(QStringLiteral("IWH"), QStringLiteral("Map Image Width/Height,") + w + u',' + h, -1);
}

int MapFile::SetPoint(int k, bool fCanCreateNew)
{
    if (k < 1 || k > 9)
        throw MapError(QCoreApplication::translate("MapFile", "Subscript out of range: point %1").arg(k));
    // Point k's line is found by its offset from the first point line; it
    // must really be that point's line, or another line would be overwritten.
    if (m_firstPointLine == 0)
        throw MapError(QCoreApplication::translate("MapFile", "The map has no point lines: Point%1 cannot be written").arg(Numeric::zeroPad(k, 2)));
    const int target = m_firstPointLine + k - 1;
    const QString title = pointTitle(k);
    const char key[] = {'P', 'O', 'I', 'N', 'T', '0', char('0' + k)};
    if (target >= lineCount() || !lineTitleIs(target, QLatin1StringView(key, sizeof key)))
        throw MapError(QCoreApplication::translate("MapFile", "The map has no line %1 where it is expected (line %2)").arg(title).arg(target));

    double X = 0, Y = 0, Lat = 0, Lon = 0;
    int tag = -1;
    if (pointValue(k, Coord::Lat) != 0 || pointValue(k, Coord::Lon) != 0) {
        X = HasFrameCorners ? newPointValue(k, Coord::X) : pointValue(k, Coord::X);
        Y = HasFrameCorners ? newPointValue(k, Coord::Y) : pointValue(k, Coord::Y);
        Lat = pointValue(k, Coord::Lat);
        Lon = pointValue(k, Coord::Lon);
        tag = 0;
    } else if (fCanCreateNew) {
        X = newPointValue(k, Coord::X);
        Y = newPointValue(k, Coord::Y);
        Lat = newPointValue(k, Coord::Lat);
        Lon = newPointValue(k, Coord::Lon);
    } else {
        return k;
    }
    // One allocation for the whole line (QStringBuilder).
    const QString body = QStringLiteral("xy,") % wholeNumber(X) % QLatin1Char(',') % wholeNumber(Y)
        % QLatin1StringView(",in, deg,") % Lat2Str(Lat) % QLatin1Char(',') % Lon2Str(Lon)
        % QLatin1StringView(", grid,,,,N");
    SetLine(target, title, body, tag, true);
    return k + 1;
}

bool MapFile::PlacePoint(int k, double x, double y)
{
    const MapPoint &p = point(k);
    if (p.Lat == 0 && p.Lon == 0)
        return false;
    const qint16 px = Numeric::toInt16(x);
    const qint16 py = Numeric::toInt16(y);
    m_points[k].X = px;
    m_points[k].Y = py;
    SetPoint(k, false);
    return true;
}
