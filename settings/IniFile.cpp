#include "settings/IniFile.h"

#include "fileio/Windows1251.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>

namespace {

// One line of the file as its raw bytes, the line end apart.
struct RawLine
{
    QByteArray text; // without the line end
    QByteArray eol;  // "\r\n", "\n" or "" for a last line without one
};

QList<RawLine> splitLines(const QByteArray &bytes)
{
    QList<RawLine> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype nl = bytes.indexOf('\n', start);
        if (nl < 0) {
            lines.append({bytes.mid(start), QByteArray()});
            break;
        }
        qsizetype end = nl;
        QByteArray eol("\n");
        if (end > start && bytes.at(end - 1) == '\r') {
            --end;
            eol = "\r\n";
        }
        lines.append({bytes.mid(start, end - start), eol});
        start = nl + 1;
    }
    return lines;
}

// "[name]" -> name (trimmed); otherwise a null string.
QString sectionName(const QString &line)
{
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')))
        return QString();
    const qsizetype close = t.indexOf(QLatin1Char(']'));
    if (close < 0)
        return QString();
    return t.mid(1, close - 1).trimmed();
}

// "key = value" -> key and value, both trimmed; false for comments and other lines.
bool splitPair(const QString &line, QString &key, QString &value)
{
    const QString t = line.trimmed();
    if (t.isEmpty() || t.startsWith(QLatin1Char(';')) || t.startsWith(QLatin1Char('[')))
        return false;
    const qsizetype eq = t.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return false;
    key = t.left(eq).trimmed();
    value = t.mid(eq + 1).trimmed();
    return !key.isEmpty();
}

bool sameName(const QString &a, const QString &b)
{
    // Blanks around the names the caller gives are ignored as in the file.
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

} // namespace

QString IniFile::read(const QString &file, const QString &section, const QString &key,
                      const QString &def)
{
    QString value;
    return find(file, section, key, value) ? value : def;
}

bool IniFile::find(const QString &file, const QString &section, const QString &key, QString &value)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QList<RawLine> lines = splitLines(f.readAll());
    bool inSection = false;
    for (const RawLine &raw : lines) {
        const QString line = Windows1251::decode(raw.text);
        const QString name = sectionName(line);
        if (!name.isNull()) {
            inSection = sameName(name, section);
            continue;
        }
        if (!inSection)
            continue;
        QString k, v;
        if (!splitPair(line, k, v) || !sameName(k, key))
            continue;
        if (v.size() >= 2 && v.startsWith(QLatin1Char('"')) && v.endsWith(QLatin1Char('"')))
            v = v.mid(1, v.size() - 2);
        value = v.left(MaxValueLength);
        return true;
    }
    return false;
}

bool IniFile::write(const QString &file, const QString &section, const QString &key,
                    const QString &value)
{
    // A line break in a value would end the line early and make the rest a line
    // of its own (a forged key or section): such values are not stored.
    for (const QString *s : {&section, &key, &value}) {
        if (s->contains(QLatin1Char('\n')) || s->contains(QLatin1Char('\r')))
            return false;
    }
    if (key.trimmed().isEmpty() || key.contains(QLatin1Char('=')) || section.contains(QLatin1Char(']')))
        return false;
    // A key line starting with "[" would read as a section header (hiding the
    // keys after it), one starting with ";" as a comment: neither can be read back.
    if (key.trimmed().startsWith(QLatin1Char('[')) || key.trimmed().startsWith(QLatin1Char(';')))
        return false;

    // A character the code page cannot hold would come back as another one
    // (a folder that does not exist): such values are not stored.
    QByteArray keyBytes, valueBytes, sectionBytes;
    if (Windows1251::encode(key, keyBytes) >= 0 || Windows1251::encode(value, valueBytes) >= 0
        || Windows1251::encode(section, sectionBytes) >= 0)
        return false;

    QList<RawLine> lines;
    {
        QFile f(file);
        if (f.exists()) {
            if (!f.open(QIODevice::ReadOnly))
                return false;
            lines = splitLines(f.readAll());
        }
    }

    const QByteArray crlf("\r\n");

    int sectionAt = -1;   // the header line of the first matching section
    int lastInSection = -1; // the last non-blank line of it
    int keyAt = -1;
    bool inSection = false;
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = Windows1251::decode(lines[i].text);
        const QString name = sectionName(line);
        if (!name.isNull()) {
            if (inSection)
                break; // the first matching section ends here
            inSection = sameName(name, section);
            if (inSection) {
                sectionAt = i;
                lastInSection = i;
            }
            continue;
        }
        if (!inSection)
            continue;
        if (!line.trimmed().isEmpty())
            lastInSection = i;
        QString k, v;
        if (splitPair(line, k, v) && sameName(k, key)) {
            keyAt = i;
            keyBytes.clear();
            Windows1251::encode(k, keyBytes); // the key keeps its spelling in the file
            break;
        }
    }

    const RawLine pairLine{keyBytes + '=' + valueBytes, crlf};
    if (keyAt >= 0) {
        lines[keyAt].text = pairLine.text; // the line end stays as it was
    } else {
        // Lines inserted after a last line without a line end need one first.
        auto terminate = [&](int i) {
            if (i >= 0 && i < lines.size() && lines[i].eol.isEmpty())
                lines[i].eol = crlf;
        };
        if (sectionAt >= 0) {
            terminate(lastInSection);
            lines.insert(lastInSection + 1, pairLine);
        } else {
            terminate(int(lines.size()) - 1);
            lines.append({'[' + sectionBytes + ']', crlf});
            lines.append(pairLine);
        }
    }

    const QString dir = QFileInfo(file).absolutePath();
    if (!QDir().mkpath(dir))
        return false;
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    for (const RawLine &line : lines) {
        out.write(line.text);
        out.write(line.eol);
    }
    return out.commit();
}
