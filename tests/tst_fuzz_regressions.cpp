// Replays every input the fuzz targets keep (their seed corpora and the inputs
// that once failed) through the same checks, in the ordinary build.
#include "fuzz/FuzzChecks.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestFuzzRegressions : public QObject
{
    Q_OBJECT

private slots:
    void replay_data();
    void replay();
    void everyTargetHasSeeds_data();
    void everyTargetHasSeeds();
};

namespace {

const QStringList kTargets{QStringLiteral("mapfile"), QStringLiteral("imageinfo"), QStringLiteral("sheet"),
                           QStringLiteral("settings")};

QString fuzzDir()
{
    return qEnvironmentVariable("QUILLMARK_SOURCE_DIR") + QStringLiteral("/fuzz");
}

QStringList inputsOf(const QString &kind, const QString &target)
{
    QStringList files;
    QDirIterator it(fuzzDir() + QLatin1Char('/') + kind + QLatin1Char('/') + target, QDir::Files);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!path.endsWith(QLatin1String("/.keep")))
            files.append(path);
    }
    files.sort();
    return files;
}

} // namespace

void TestFuzzRegressions::replay_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("path");
    for (const QString &kind : {QStringLiteral("regressions"), QStringLiteral("corpus")}) {
        for (const QString &target : kTargets) {
            for (const QString &path : inputsOf(kind, target)) {
                const QString row = kind + QLatin1Char('/') + target + QLatin1Char('/') + QFileInfo(path).fileName();
                QTest::newRow(qPrintable(row)) << target << path;
            }
        }
    }
}

void TestFuzzRegressions::replay()
{
    QFETCH(QString, target);
    QFETCH(QString, path);
    QFile f(path);
    QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(path));
    const QByteArray bytes = f.readAll();

    QString failure;
    if (target == QLatin1String("mapfile")) {
        failure = FuzzChecks::checkMapFile(bytes);
    } else if (target == QLatin1String("imageinfo")) {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        failure = FuzzChecks::checkImageInfo(bytes, dir.filePath(QStringLiteral("image")));
    } else if (target == QLatin1String("sheet")) {
        failure = FuzzChecks::checkSheet(bytes);
    } else {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        failure = FuzzChecks::checkSettings(bytes, dir.filePath(QStringLiteral("settings.ini")));
    }
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

void TestFuzzRegressions::everyTargetHasSeeds_data()
{
    QTest::addColumn<QString>("target");
    for (const QString &target : kTargets)
        QTest::newRow(qPrintable(target)) << target;
}

// A target without seeds would start from nothing and the replay above would
// pass without looking at anything.
void TestFuzzRegressions::everyTargetHasSeeds()
{
    QFETCH(QString, target);
    QVERIFY2(inputsOf(QStringLiteral("corpus"), target).size() >= 3, qPrintable(target));
}

QTEST_GUILESS_MAIN(TestFuzzRegressions)
#include "tst_fuzz_regressions.moc"
