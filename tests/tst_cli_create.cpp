#include "common/SheetImages.h"

#include <QDir>
#include "common/CliRun.h"

#include <QMap>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QtTest>

class TestCliCreate : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_tmp;
    int m_case = 0;
    QString m_mixed; // the folder of mixed scales, made once

    QString folderWith(const QStringList &names)
    {
        const QString dir = m_tmp.path() + QStringLiteral("/c%1").arg(++m_case);
        QDir().mkpath(dir);
        for (const QString &n : names)
            SheetImages::write(dir + '/' + n, SheetImages::jpeg(1000, 800));
        return dir;
    }

    struct Outcome
    {
        int code = -1;
        QString out;
        QString err;
    };

    Outcome cli(const QStringList &args)
    {
        const CliRun r = CliRun::run(QStringList{"create"} + args);
        return Outcome{r.exitCode, r.outText(), r.errText()};
    }

    // Every file of a folder by name with its bytes.
    static QMap<QString, QByteArray> snapshot(const QString &folder)
    {
        QMap<QString, QByteArray> files;
        for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name))
            files.insert(name, SheetImages::read(folder + '/' + name));
        return files;
    }

    static QStringList lines(const QString &path)
    {
        return QString::fromLatin1(SheetImages::read(path)).split("\r\n");
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        QVERIFY2(QFile::exists(qEnvironmentVariable("QUILLMARK_CLI")), "QUILLMARK_CLI is not set");
    }

    void exitCodes_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QStringList>("errLines");
        QTest::addColumn<QStringList>("maps");

        QTest::newRow("all good") << QStringList{"N-37-001.jpg", "N-37-002.jpg"} << QStringList{} << 0
                                  << "Done 2 map-files\nWritten 2, unchanged 0, skipped 0, failed 0\n" << QStringList{}
                                  << QStringList{"N-37-001.map", "N-37-002.map"};
        QTest::newRow("one bad list")
            << QStringList{"N-37-001.jpg", "N-37-145.jpg"} << QStringList{} << 1
            << "Done 2 map-files\nWritten 1, unchanged 0, skipped 0, failed 1\n"
            << QStringList{"Error: N-37-145.jpg Incorrect  map list number in image name 145"}
            << QStringList{"N-37-001.map"};
        QTest::newRow("stop at the first error")
            << QStringList{"N-37-001.jpg", "N-37-300.jpg", "N-37-400.jpg"} << QStringList{"--on-error", "stop"} << 1
            << "Done 2 map-files\nWritten 1, unchanged 0, skipped 0, failed 1\n"
            << QStringList{"Error: N-37-300.jpg Incorrect  map list number in image name 300",
                           "Error: There is error in data. Continue? Cancel (--on-error stop)"}
            << QStringList{"N-37-001.map"};
        QTest::newRow("go on after errors")
            << QStringList{"N-37-001.jpg", "N-37-300.jpg", "N-37-400.jpg"} << QStringList{"--on-error", "continue"}
            << 1 << "Done 3 map-files\nWritten 1, unchanged 0, skipped 0, failed 2\n"
            << QStringList{"Error: N-37-300.jpg Incorrect  map list number in image name 300",
                           "Error: N-37-400.jpg Incorrect  map list number in image name 400"}
            << QStringList{"N-37-001.map"};
        QTest::newRow("explicit scale makes the names fail")
            << QStringList{"N-37-001.jpg"} << QStringList{"--scale", "1:50K"} << 1
            << "Done 1 map-files\nWritten 0, unchanged 0, skipped 0, failed 1\n"
            << QStringList{"Error: N-37-001.jpg Incorrect 1:50K map list number in image name 1"} << QStringList{};
        QTest::newRow("bad option value") << QStringList{"N-37-001.jpg"} << QStringList{"--scale", "1:5K"} << 2 << ""
                                          << QStringList{} << QStringList{};
        QTest::newRow("bad margins") << QStringList{"N-37-001.jpg"} << QStringList{"--margins", "5,5"} << 2 << ""
                                     << QStringList{} << QStringList{};
        QTest::newRow("bad on-error") << QStringList{"N-37-001.jpg"} << QStringList{"--on-error", "ask"} << 2 << ""
                                      << QStringList{} << QStringList{};
        QTest::newRow("unknown option") << QStringList{"N-37-001.jpg"} << QStringList{"--fast"} << 2 << ""
                                        << QStringList{} << QStringList{};
        QTest::newRow("skip existing") << QStringList{"N-37-001.jpg"} << QStringList{"--skip-existing"} << 0
                                       << "Done 1 map-files\nWritten 1, unchanged 0, skipped 0, failed 0\n"
                                       << QStringList{} << QStringList{"N-37-001.map"};
    }

    void exitCodes()
    {
        QFETCH(QStringList, names);
        QFETCH(QStringList, options);
        QFETCH(int, code);
        QFETCH(QString, out);
        QFETCH(QStringList, errLines);
        QFETCH(QStringList, maps);

        const QString dir = folderWith(names);
        // On a usage error the folder also holds an old map the run would
        // replace: nothing of the folder may change.
        if (code == 2)
            QVERIFY(SheetImages::write(dir + "/N-37-001.map", "OziExplorer Map Data File Version 2.2\r\nold\r\n"));
        const QMap<QString, QByteArray> before = snapshot(dir);
        const Outcome o = cli(QStringList{dir} + options);
        QCOMPARE(o.code, code);
        QCOMPARE(o.out, out);
        if (code == 2) {
            QVERIFY(o.err.contains("quillmark-cli create: "));
            QCOMPARE(snapshot(dir), before);
            return;
        }
        QStringList err = o.err.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(err, errLines);
        QCOMPARE(QDir(dir).entryList({"*.map"}, QDir::Files, QDir::Name), maps);
    }

    void missingFolder()
    {
        const QString gone = m_tmp.path() + "/gone";
        const Outcome o = cli({gone});
        QCOMPARE(o.code, 2);
        QCOMPARE(o.out, QString());
        QCOMPARE(o.err, "Error: Folder " + gone + " is not exist\n");

        const QString dir = folderWith({"N-37-001.jpg", "N-37-002.jpg"});
        QVERIFY(SheetImages::write(dir + "/N-37-001.map", "OziExplorer Map Data File Version 2.2\r\nold\r\n"));
        const QMap<QString, QByteArray> before = snapshot(dir);
        const Outcome o2 = cli({dir, "--out", gone});
        QCOMPARE(o2.code, 2);
        QCOMPARE(o2.err, "Error: Folder " + gone + " is not exist\n");
        QCOMPARE(snapshot(dir), before);
        QVERIFY(!QFileInfo::exists(gone));
    }

    void noFolderGiven()
    {
        const Outcome o = cli({});
        QCOMPARE(o.code, 2);
        QVERIFY(o.err.contains("IMAGES_DIR"));
    }

    void guessedAndGivenOptions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("mapName");
        QTest::addColumn<QString>("lastLine");
        QTest::addColumn<QString>("point5");

        QTest::newRow("1:100K guessed: metric grid, 5 points")
            << "N-37-001.jpg" << QStringList{} << "N-37-001"
            << "GRGRID,Yes,2 Km,No,16711680,255,2 Km,0,16777215,8,0,Yes,Yes,No,x"
            << "Point05,xy,500,400,in, deg,55, 50.0000,N,36, 15.0000,E, grid,,,,N";
        QTest::newRow("1:1M guessed: lat/lon grid")
            << "N-37.jpg" << QStringList{} << "N-37" << "LLGRID,Yes,10 min,No,255,16711680,0,1 deg,0,16777215,7,1,Yes,x"
            << "Point05,xy,500,400,in, deg,54, 0.0000,N,39, 0.0000,E, grid,,,,N";
        QTest::newRow("grid off, 4 points")
            << "N-37-001.jpg" << QStringList{"--grid", "off", "--points", "4"} << "N-37-001"
            << "IWH,Map Image Width/Height,1000,800" << "Point05,xy,,,in, deg,,,,,,, grid,,,,";
        QTest::newRow("1:50K guessed: 4 points")
            << QStringLiteral("N-37-001-Б.jpg") << QStringList{"--grid", "ll"} << QStringLiteral("N-37-001-Б")
            << "LLGRID,Yes,1 min,No,255,16711680,0,5 min,0,16777215,7,1,Yes,x" << "Point05,xy,,,in, deg,,,,,,, grid,,,,";
        QTest::newRow("margins given")
            << "N-37-001.jpg" << QStringList{"--margins", "10,10,10"} << "N-37-001"
            << "GRGRID,Yes,2 Km,No,16711680,255,2 Km,0,16777215,8,0,Yes,Yes,No,x"
            << "Point05,xy,500,400,in, deg,55, 50.0000,N,36, 15.0000,E, grid,,,,N";
    }

    void guessedAndGivenOptions()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, options);
        QFETCH(QString, mapName);
        QFETCH(QString, lastLine);
        QFETCH(QString, point5);

        const QString dir = folderWith({name});
        const QString out = dir + "/maps";
        QDir().mkpath(out);
        const Outcome o = cli(QStringList{dir, "--out", out} + options);
        QCOMPARE(o.code, 0);
        QCOMPARE(o.err, QString());
        QCOMPARE(o.out, QStringLiteral("Done 1 map-files\nWritten 1, unchanged 0, skipped 0, failed 0\n"));
        const QString base = name.left(name.indexOf('.'));
        const QByteArray bytes = SheetImages::read(out + '/' + base + ".map");
        QVERIFY(!bytes.isEmpty());
        QStringList l;
        for (const QByteArray &line : bytes.split('\n'))
            l.append(line.endsWith('\r') ? QString::fromLatin1(line.chopped(1)) : QString::fromLatin1(line));
        QCOMPARE(l.last(), QString()); // ends with a line end
        l.removeLast();
        // Cyrillic letters are single Windows-1251 bytes: compare the ASCII prefix only.
        QCOMPARE(l.at(1).left(8), mapName.left(8));
        QCOMPARE(l.at(1).size(), mapName.size());
        QCOMPARE(l.last(), lastLine);
        QCOMPARE(l.at(13), point5);
        if (options.contains("--margins"))
            QVERIFY(l.contains("MMPXY,1,100,80"));
        QCOMPARE(QDir(dir).entryList({"*.map"}, QDir::Files), QStringList{});
    }

    // --scale auto on a folder of mixed scales and forms: each map is the one
    // its own scale, chosen, makes (grid steps, metres per pixel, points),
    // and the name that reads two ways is named in a warning.
    void mixedFolderByName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("scale");
        QTest::addColumn<QString>("title"); // the map's name line
        QTest::newRow("1:1M") << "N-37.jpg" << "1:1M" << "N-37";
        QTest::newRow("Roman 1:200K") << "N-37-XXXVI.jpg" << "1:200K" << "N-37-36";
        QTest::newRow("archive 1:100K") << "100k--n44-126.jpg" << "1:100K" << "N-44-126";
        QTest::newRow("official 1:50K") << QString::fromUtf8("N-37-12-А.jpg") << "1:50K"
                                        << QString::fromUtf8("N-37-012-А");
        QTest::newRow("official 1:25K and an edition") << QString::fromUtf8("M-44-44-А-б_1988.jpg") << "1:25K"
                                                       << QString::fromUtf8("M-44-044-А-б");
        QTest::newRow("1:10K and a copy") << QString::fromUtf8("N-37-1-А-а-1 (2).jpg") << "1:10K"
                                          << QString::fromUtf8("N-37-001-А-а-1");
        QTest::newRow("two ways: the zero-padded reading") << "N-37-1.jpg" << "1:500K" << QString::fromUtf8("N-37-А");
    }

    void mixedFolderByName()
    {
        QFETCH(QString, name);
        QFETCH(QString, scale);
        QFETCH(QString, title);
        if (m_mixed.isEmpty()) {
            QStringList names;
            names << "N-37.jpg" << "N-37-XXXVI.jpg" << "100k--n44-126.jpg" << QString::fromUtf8("N-37-12-А.jpg")
                  << QString::fromUtf8("M-44-44-А-б_1988.jpg") << QString::fromUtf8("N-37-1-А-а-1 (2).jpg")
                  << "N-37-1.jpg";
            m_mixed = folderWith(names);
            const Outcome o = cli({m_mixed, "--grid", "m"});
            QCOMPARE(o.code, 0);
            QCOMPARE(o.out, QStringLiteral("Done 7 map-files\nWritten 7, unchanged 0, skipped 0, failed 0\n"));
            QCOMPARE(o.err, QString::fromUtf8("Warning: N-37-1.jpg: its name reads two ways: it was taken as 1:500K "
                                              "sheet N-37-А (1:500K letter written as a digit); it may also be "
                                              "1:100K sheet N-37-001 (official list number without leading "
                                              "zeros), which the scale 1:100K gives\n"));
        }
        const QString base = name.left(name.lastIndexOf('.'));
        const QByteArray byName = SheetImages::read(m_mixed + '/' + base + ".map");
        // The name line in Windows-1251: Cyrillic А..я are 0xC0..0xFF.
        QByteArray expected;
        for (QChar ch : title)
            expected.append(ch.unicode() >= 0x410 ? char(ch.unicode() - 0x410 + 0xC0) : char(ch.unicode()));
        QCOMPARE(byName.split('\n').value(1), expected + '\r');
        // The same image alone, at its own scale chosen.
        const QString alone = folderWith({name});
        const Outcome o = cli({alone, "--grid", "m", "--scale", scale});
        QCOMPARE(o.code, 0);
        QCOMPARE(SheetImages::read(alone + '/' + base + ".map"), byName);
    }
};

QTEST_GUILESS_MAIN(TestCliCreate)
#include "tst_cli_create.moc"
