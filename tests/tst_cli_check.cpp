// quillmark-cli check: the verdict lines, the JSON objects and the exit codes.

#include "common/CheckSheets.h"
#include "common/CliRun.h"

#include "mapfile/MapFile.h"
#include "tools/CornerEdit.h"
#include "tools/SheetRecord.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

class TestCliCheck : public QObject
{
    Q_OBJECT

private slots:
    void verdicts_data();
    void verdicts();
    void usage_data();
    void usage();
};

namespace {

// Puts a sheet of the kind `kind` into `folder` as N-37-<number>.map with its image.
bool makeSheet(const QString &folder, int number, const QString &kind)
{
    const QString base = QStringLiteral("N-37-%1").arg(number, 3, 10, QLatin1Char('0'));
    const QString image = folder + QLatin1Char('/') + base + QStringLiteral(".jpg");
    const QString mapPath = folder + QLatin1Char('/') + base + QStringLiteral(".map");
    // A header only: no finder can decode it, so it never shows a frame.
    if (!SheetImages::write(image, SheetImages::jpeg(1200, 900)))
        return false;
    if (!CheckSheets::createMaps(folder, QStringLiteral("1:100K"), QStringLiteral("5")))
        return false;
    if (kind == QLatin1String("no-image"))
        return QFile::remove(image);
    if (kind == QLatin1String("implausible")) {
        MapFile map;
        map.KeepReadLines = true;
        map.ReadMap(mapPath);
        const SheetRecord r = SheetRecord::read(mapPath);
        // The south-west corner beyond the image's right edge.
        if (!CornerEdit::apply(map, {r.corners[0], r.corners[1], r.corners[2], QPointF(1250, 880)}).isEmpty())
            return false;
        map.WriteMap(mapPath, false);
    }
    return true;
}

} // namespace

void TestCliCheck::verdicts_data()
{
    QTest::addColumn<QStringList>("kinds"); // one sheet of each, N-37-001, N-37-002, ...
    QTest::addColumn<bool>("json");
    QTest::addColumn<int>("exitCode");

    QTest::newRow("image missing") << QStringList{"no-image"} << false << 1;
    QTest::newRow("corner outside, json") << QStringList{"implausible"} << true << 1;
    QTest::newRow("no frame in the scan") << QStringList{"no-frame"} << false << 1;
    QTest::newRow("three kinds, json") << QStringList{"no-frame", "no-image", "implausible"} << true << 1;
    QTest::newRow("an empty folder") << QStringList{} << false << 0;
}

void TestCliCheck::verdicts()
{
    QFETCH(QStringList, kinds);
    QFETCH(bool, json);
    QFETCH(int, exitCode);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (int i = 0; i < kinds.size(); ++i)
        QVERIFY(makeSheet(dir.path(), i + 1, kinds.at(i)));
    QStringList args{QStringLiteral("check"), dir.path()};
    if (json)
        args << QStringLiteral("--json");
    const CliRun r = CliRun::run(args);
    QCOMPARE(r.exitCode, exitCode);
    const QStringList lines = r.outText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), kinds.size());
    for (int i = 0; i < kinds.size(); ++i) {
        const QString base = QStringLiteral("N-37-%1").arg(i + 1, 3, 10, QLatin1Char('0'));
        if (json) {
            QJsonParseError error;
            const QJsonObject o = QJsonDocument::fromJson(lines.at(i).toUtf8(), &error).object();
            QCOMPARE(error.error, QJsonParseError::NoError);
            QCOMPARE(o.value(QLatin1String("file")).toString(), base + QStringLiteral(".map"));
            QCOMPARE(o.value(QLatin1String("image")).toString(), base + QStringLiteral(".jpg"));
            QCOMPARE(o.value(QLatin1String("sheet")).toString(), base);
            QCOMPARE(o.value(QLatin1String("verdict")).toString(), kinds.at(i));
            QVERIFY(!o.contains(QLatin1String("max_corner_offset_px")));
        } else {
            const QStringList fields = lines.at(i).split(QLatin1Char('\t'));
            QVERIFY2(fields.size() >= 3, qPrintable(lines.at(i)));
            QCOMPARE(fields.at(0), base + QStringLiteral(".map"));
            QCOMPARE(fields.at(1), kinds.at(i));
            QCOMPARE(fields.at(2), base);
        }
    }
}

void TestCliCheck::usage_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("stderrWord");

    QTest::newRow("no folder") << QStringList{"check"} << 2 << "MAPS_DIR";
    QTest::newRow("missing folder") << QStringList{"check", "/nonexistent/maps"} << 2 << "is not exist";
    QTest::newRow("two folders") << QStringList{"check", "%DIR%", "%DIR%"} << 2 << "only one";
    QTest::newRow("unknown option") << QStringList{"check", "%DIR%", "--fast"} << 2 << "--fast";
    QTest::newRow("unknown scale") << QStringList{"check", "%DIR%", "--scale", "1:5K"} << 2 << "1:5K";
}

void TestCliCheck::usage()
{
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, stderrWord);
    // %DIR% holds sheets (maps and images) the check would read.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(makeSheet(dir.path(), 1, QStringLiteral("no-frame")));
    QVERIFY(makeSheet(dir.path(), 2, QStringLiteral("implausible")));
    for (QString &a : args)
        a.replace(QLatin1String("%DIR%"), dir.path());
    const auto snapshot = [&dir] {
        QMap<QString, QByteArray> files;
        for (const QString &name : QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name))
            files.insert(name, SheetImages::read(dir.filePath(name)));
        return files;
    };
    const QMap<QString, QByteArray> before = snapshot();
    QCOMPARE(before.size(), 4);
    const CliRun r = CliRun::run(args);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.errText().contains(stderrWord), qPrintable(r.errText()));
    QVERIFY(r.out.isEmpty());
    QCOMPARE(snapshot(), before);
}

QTEST_GUILESS_MAIN(TestCliCheck)
#include "tst_cli_check.moc"
