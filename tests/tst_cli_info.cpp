// quillmark-cli info: the size, depth and kind of images, plain and --json,
// the error lines of files that cannot be read, and exit codes.

#include <QtTest>

#include <QJsonDocument>
#include <QJsonObject>
#include "common/CliRun.h"

#include <QProcess>
#include <QTemporaryDir>

namespace {

struct Run
{
    int exitCode = -1;
    QStringList out;
    QString err;
};

Run runInfo(const QStringList &arguments)
{
    const CliRun r = CliRun::run(QStringList{QStringLiteral("info")} + arguments);
    Run run;
    run.exitCode = r.exitCode;
    run.out = QString::fromUtf8(r.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    run.err = QString::fromUtf8(r.err);
    return run;
}

QByteArray be16(int v)
{
    QByteArray b;
    b.append(char((v >> 8) & 0xFF)).append(char(v & 0xFF));
    return b;
}

QByteArray le16(int v)
{
    QByteArray b;
    b.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
    return b;
}

QByteArray pngBytes(int width, int height, int bitDepth, int colourType)
{
    QByteArray b("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
    b += be16(width >> 16) + be16(width & 0xFFFF) + be16(height >> 16) + be16(height & 0xFFFF);
    b.append(char(bitDepth)).append(char(colourType)).append(7, '\0');
    return b;
}

// SOI, a metadata segment of `pad` bytes, then the frame header.
QByteArray jpegBytes(int width, int height, int components, int pad)
{
    QByteArray b("\xFF\xD8\xFF\xE1", 4);
    b += be16(pad + 2) + QByteArray(pad, ' ');
    b += QByteArray("\xFF\xC0", 2) + be16(8 + 3 * components) + QByteArray(1, '\x08') + be16(height) + be16(width);
    b.append(char(components)).append(3 * components, '\x01');
    return b + QByteArray("\xFF\xD9", 2);
}

QByteArray gifBytes(int width, int height, int packed)
{
    return QByteArray("GIF87a") + le16(width) + le16(height) + QByteArray(1, char(packed)) + QByteArray(2, '\0');
}

QByteArray bmpBytes(int width, int height, int bits)
{
    QByteArray b("BM");
    b += QByteArray(16, '\0') + le16(width) + le16(0) + le16(height) + le16(height < 0 ? 0xFFFF : 0) + le16(1)
         + le16(bits) + QByteArray(24, '\0');
    return b;
}

} // namespace

class TestCliInfo : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void run_data();
    void run();
    void jsonEscapes();

private:
    QTemporaryDir m_dir;
    QHash<QString, QString> m_paths; // placeholder -> file path
    QStringList expand(const QStringList &texts) const;
};

void TestCliInfo::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY2(!qEnvironmentVariable("QUILLMARK_CLI").isEmpty(), "QUILLMARK_CLI is not set");
    const QList<QPair<QString, QByteArray>> files = {
        {QStringLiteral("N-37-001.png"), pngBytes(1024, 768, 8, 6)},
        {QStringLiteral("N-37-002.jpg"), jpegBytes(1600, 1200, 3, 20000)},
        {QStringLiteral("N-37-003.gif"), gifBytes(640, 480, 0xF7)},
        {QStringLiteral("N-37-004.bmp"), bmpBytes(640, -480, 24)},
        {QStringLiteral("readme.txt"), QByteArray("not an image\r\n")},
        {QStringLiteral("wide.png"), pngBytes(65836, 15000, 8, 0)},
        {QStringLiteral("cmyk40.jpg"), jpegBytes(50, 60, 40, 10)},
        {QStringLiteral("--json"), gifBytes(2, 3, 0x80)},
    };
    for (const auto &f : files) {
        QFile file(m_dir.filePath(f.first));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(f.second), f.second.size());
        m_paths.insert(QLatin1Char('{') + f.first + QLatin1Char('}'), file.fileName());
    }
    m_paths.insert(QStringLiteral("{missing}"), m_dir.filePath(QStringLiteral("missing.jpg")));
}

QStringList TestCliInfo::expand(const QStringList &texts) const
{
    QStringList result;
    for (QString text : texts) {
        for (auto it = m_paths.cbegin(); it != m_paths.cend(); ++it)
            text.replace(it.key(), it.value());
        result.append(text);
    }
    return result;
}

void TestCliInfo::run_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QStringList>("out");
    QTest::addColumn<QString>("err"); // text that stderr must hold; empty: stderr must be empty

    QTest::newRow("plain, every kind")
        << QStringList{"{N-37-001.png}", "{N-37-002.jpg}", "{N-37-003.gif}", "{N-37-004.bmp}", "{readme.txt}"} << 0
        << QStringList{"{N-37-001.png}: 1024 x 768, 32 bits per pixel, PNG",
                       "{N-37-002.jpg}: 1600 x 1200, 24 bits per pixel, JPEG",
                       "{N-37-003.gif}: 640 x 480, 8 bits per pixel, GIF",
                       "{N-37-004.bmp}: 640 x 480, 24 bits per pixel, BMP",
                       "{readme.txt}: 0 x 0, 0 bits per pixel, unknown"}
        << "";
    QTest::newRow("json, every kind")
        << QStringList{"--json", "{N-37-001.png}", "{N-37-002.jpg}", "{N-37-003.gif}", "{N-37-004.bmp}",
                       "{readme.txt}"}
        << 0
        << QStringList{R"({"file":"{N-37-001.png}","width":1024,"height":768,"depth":32,"type":3})",
                       R"({"file":"{N-37-002.jpg}","width":1600,"height":1200,"depth":24,"type":2})",
                       R"({"file":"{N-37-003.gif}","width":640,"height":480,"depth":8,"type":1})",
                       R"({"file":"{N-37-004.bmp}","width":640,"height":480,"depth":24,"type":4})",
                       R"({"file":"{readme.txt}","width":0,"height":0,"depth":0,"type":0})"}
        << "";
    QTest::newRow("json after the files") << QStringList{"{N-37-003.gif}", "--json"} << 0
                                          << QStringList{R"({"file":"{N-37-003.gif}","width":640,"height":480,"depth":8,"type":1})"}
                                          << "";
    QTest::newRow("missing file, plain")
        << QStringList{"{missing}", "{N-37-003.gif}"} << 1
        << QStringList{"{N-37-003.gif}: 640 x 480, 8 bits per pixel, GIF"} << "Error: Cannot open {missing}";
    QTest::newRow("missing file, json")
        << QStringList{"--json", "{N-37-003.gif}", "{missing}"} << 1
        << QStringList{R"({"file":"{N-37-003.gif}","width":640,"height":480,"depth":8,"type":1})",
                       R"({"file":"{missing}","error":"Cannot open {missing}: No such file or directory"})"}
        << "";
    // The whole 32-bit width, not its low 16 bits (300), with the map tools' warning.
    QTest::newRow("wider than a map file holds, plain")
        << QStringList{"{wide.png}"} << 0 << QStringList{"{wide.png}: 65836 x 15000, 8 bits per pixel, PNG"}
        << "Warning: {wide.png}: the image is 65836 x 15000 pixels: a map file holds at most 32767 pixels a side";
    QTest::newRow("wider than a map file holds, json")
        << QStringList{"--json", "{wide.png}"} << 0
        << QStringList{R"({"file":"{wide.png}","width":65836,"height":15000,"depth":8,"type":3,"warning":"the image is 65836 x 15000 pixels: a map file holds at most 32767 pixels a side"})"}
        << "";
    QTest::newRow("depth overflow") << QStringList{"{cmyk40.jpg}"} << 1 << QStringList{} << "Error: {cmyk40.jpg}";
    QTest::newRow("file named like an option") << QStringList{"--", "{--json}"} << 0
                                               << QStringList{"{--json}: 2 x 3, 1 bits per pixel, GIF"} << "";
    QTest::newRow("no image") << QStringList{} << 2 << QStringList{} << "Usage: quillmark-cli info IMAGE...";
    QTest::newRow("json but no image") << QStringList{"--json"} << 2 << QStringList{} << "no image given";
    QTest::newRow("unknown option") << QStringList{"--size", "{N-37-003.gif}"} << 2 << QStringList{}
                                    << "unknown option '--size'";
}

void TestCliInfo::run()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QStringList, out);
    QFETCH(QString, err);

    const Run r = runInfo(expand(args));
    QCOMPARE(r.exitCode, exitCode);
    QCOMPARE(r.out, expand(out));
    if (err.isEmpty())
        QCOMPARE(r.err, QString());
    else
        QVERIFY2(r.err.contains(expand({err}).constFirst()), qPrintable(r.err));
}

// File names that need escaping still give one valid JSON object per line.
void TestCliInfo::jsonEscapes()
{
    const QString name = m_dir.filePath(QStringLiteral("q\"uo\\te\tN.gif"));
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.write(gifBytes(7, 9, 0x80)) > 0);
    file.close();

    const Run r = runInfo({QStringLiteral("--json"), name, name + QStringLiteral(".missing")});
    QCOMPARE(r.exitCode, 1);
    QCOMPARE(r.out.size(), 2);
    QJsonParseError error;
    const QJsonObject good = QJsonDocument::fromJson(r.out.at(0).toUtf8(), &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(good.value(QStringLiteral("file")).toString(), name);
    QCOMPARE(good.value(QStringLiteral("width")).toInt(), 7);
    QCOMPARE(good.value(QStringLiteral("height")).toInt(), 9);
    QCOMPARE(good.value(QStringLiteral("type")).toInt(), 1);
    const QJsonObject bad = QJsonDocument::fromJson(r.out.at(1).toUtf8(), &error).object();
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(bad.value(QStringLiteral("file")).toString(), name + QStringLiteral(".missing"));
    QVERIFY(bad.value(QStringLiteral("error")).toString().contains(QStringLiteral("uo\\te")));
}

QTEST_GUILESS_MAIN(TestCliInfo)
#include "tst_cli_info.moc"
