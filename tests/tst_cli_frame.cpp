// quillmark-cli frame and create --find-frame on drawn scans.
#include "common/CliRun.h"
#include "frame/SheetDrawer.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineF>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

class TestCliFrame : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void frameJson_data();
    void frameJson();
    void createFindFrame_data();
    void createFindFrame();

private:
    QTemporaryDir m_dir;
    QString m_sheet;      // a drawn 1:100K sheet, N-44-126.png
    QString m_blank;      // a blank page named as a sheet, N-44-127.png
    std::array<QPointF, 4> m_truth;
};

void TestCliFrame::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const QString images = m_dir.filePath(QStringLiteral("images"));
    SheetScan scan;
    scan.seed = 11;
    scan.rotation = -0.9;
    m_sheet = SheetDrawer::drawSheet(scan, images, &m_truth);
    m_blank = SheetDrawer::drawNonSheet(NonSheet::Blank, 1500, 1700, 3, images, QStringLiteral("N-44-127"));
    QVERIFY(!m_sheet.isEmpty() && !m_blank.isEmpty());
}

void TestCliFrame::frameJson_data()
{
    QTest::addColumn<QStringList>("files");   // "sheet", "blank" or a path
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QList<bool>>("found");
    QTest::newRow("a sheet") << QStringList{"sheet"} << QStringList{} << 0 << QList<bool>{true};
    QTest::newRow("scale and mask given") << QStringList{"sheet"}
        << QStringList{"--scale", "1:100K", "--mask", "R-CC-LLL"} << 0 << QList<bool>{true};
    QTest::newRow("a sheet and a blank page") << QStringList{"sheet", "blank"} << QStringList{} << 1
        << QList<bool>{true, false};
    QTest::newRow("a missing file") << QStringList{"N-44-128.png"} << QStringList{} << 1 << QList<bool>{false};
    QTest::newRow("wrong scale for the name") << QStringList{"sheet"} << QStringList{"--scale", "1:25K"} << 1
        << QList<bool>{false};
    QTest::newRow("unknown scale") << QStringList{"sheet"} << QStringList{"--scale", "1:7"} << 2 << QList<bool>{};
    QTest::newRow("no image") << QStringList{} << QStringList{} << 2 << QList<bool>{};
}

void TestCliFrame::frameJson()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QList<bool>, found);
    QStringList args{QStringLiteral("frame"), QStringLiteral("--json")};
    QStringList paths;
    for (const QString &f : files)
        paths << (f == QLatin1String("sheet") ? m_sheet : f == QLatin1String("blank") ? m_blank : m_dir.filePath(f));
    const CliRun r = CliRun::run(args + options + paths);
    QCOMPARE(r.exitCode, exitCode);
    const QStringList lines = r.outText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), found.size());
    for (int i = 0; i < lines.size(); ++i) {
        QJsonParseError error;
        const QJsonObject o = QJsonDocument::fromJson(lines[i].toUtf8(), &error).object();
        QVERIFY2(error.error == QJsonParseError::NoError, qPrintable(lines[i]));
        QCOMPARE(o.value("file").toString(), paths[i]);
        QCOMPARE(o.value("found").toBool(), found[i]);
        QVERIFY(o.contains("quality"));
        if (!found[i]) {
            QVERIFY(!o.value("reason").toString().isEmpty());
            continue;
        }
        QVERIFY(!o.contains("reason"));
        const QJsonArray corners = o.value("corners").toArray();
        QCOMPARE(corners.size(), 4);
        for (int k = 0; k < 4; ++k) {
            const QPointF p(corners[k].toArray()[0].toDouble(), corners[k].toArray()[1].toDouble());
            QVERIFY2(QLineF(p, m_truth[k]).length() <= 2.0, qPrintable(lines[i]));
        }
    }
}

void TestCliFrame::createFindFrame_data()
{
    QTest::addColumn<QString>("image");
    QTest::addColumn<bool>("onFrame");
    QTest::newRow("sheet: corners on the frame") << "N-44-126.png" << true;
    QTest::newRow("blank page: corners from the margins") << "N-44-127.png" << false;
}

void TestCliFrame::createFindFrame()
{
    QFETCH(QString, image);
    QFETCH(bool, onFrame);
    const QString images = QFileInfo(m_sheet).absolutePath();
    const QString withFrame = m_dir.filePath(QStringLiteral("maps-frame-%1").arg(QTest::currentDataTag()));
    const QString plain = m_dir.filePath(QStringLiteral("maps-plain-%1").arg(QTest::currentDataTag()));
    QVERIFY(QDir().mkpath(withFrame) && QDir().mkpath(plain));
    const CliRun a = CliRun::run({"create", images, "--out", withFrame, "--find-frame", "--points", "9"});
    const CliRun b = CliRun::run({"create", images, "--out", plain, "--points", "9"});
    QCOMPARE(a.exitCode, 0);
    QCOMPARE(b.exitCode, 0);
    QVERIFY2((a.outText() + a.errText()).contains("1 from the sheet frame, 1 from the margins"),
             qPrintable(a.outText() + a.errText()));
    QVERIFY2((a.outText() + a.errText()).contains("N-44-127.png"), "the warning names the file");

    const QString mapName = QFileInfo(image).completeBaseName() + QStringLiteral(".map");
    QFile fa(QDir(withFrame).filePath(mapName)), fb(QDir(plain).filePath(mapName));
    QVERIFY(fa.open(QIODevice::ReadOnly) && fb.open(QIODevice::ReadOnly));
    const QByteArray bytesA = fa.readAll(), bytesB = fb.readAll();
    if (!onFrame) {
        // Not found: the map made from the margins, as without the search,
        // but for the image's real size (the same here: the header tells it).
        QCOMPARE(bytesA, bytesB);
        return;
    }
    // Points 1..4 and the corner markers on the frame; 5..9 between them.
    const QString text = QString::fromLatin1(bytesA);
    std::array<QPointF, 10> points;
    const QRegularExpression pointLine(QStringLiteral("^Point0(\\d),xy,\\s*(\\d+),\\s*(\\d+),"),
                                       QRegularExpression::MultilineOption);
    auto it = pointLine.globalMatch(text);
    int seen = 0;
    while (it.hasNext()) {
        const auto m = it.next();
        points[m.captured(1).toInt()] = QPointF(m.captured(2).toDouble(), m.captured(3).toDouble());
        ++seen;
    }
    QCOMPARE(seen, 9);
    for (int k = 0; k < 4; ++k)
        QVERIFY2(QLineF(points[k + 1], m_truth[k]).length() <= 2.5, qPrintable(text));
    const QPointF mid = (points[1] + points[2] + points[3] + points[4]) / 4;
    QVERIFY(QLineF(points[5], mid).length() <= 1.0);
    QVERIFY(QLineF(points[6], (points[1] + points[2]) / 2).length() <= 1.0);
    QVERIFY(QLineF(points[9], (points[3] + points[4]) / 2).length() <= 1.0);
    const QRegularExpression markerLine(QStringLiteral("^MMPXY,(\\d),(\\d+),(\\d+)"), QRegularExpression::MultilineOption);
    auto mt = markerLine.globalMatch(text);
    int markers = 0;
    while (mt.hasNext()) {
        const auto m = mt.next();
        const int n = m.captured(1).toInt();
        QCOMPARE(QPointF(m.captured(2).toDouble(), m.captured(3).toDouble()), points[n]);
        ++markers;
    }
    QCOMPARE(markers, 4);
    QVERIFY(bytesA != bytesB);
}

QTEST_GUILESS_MAIN(TestCliFrame)
#include "tst_cli_frame.moc"
