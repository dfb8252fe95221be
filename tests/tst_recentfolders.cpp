// The last folders used: most recent first, each folder once as the platform
// compares paths, at most ten, kept in the settings file.
#include "settings/RecentFolders.h"
#include "settings/Settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QStringList numbered(int from, int to)
{
    QStringList out;
    for (int i = from; i <= to; ++i)
        out.append(QStringLiteral("/maps/sheet %1").arg(i));
    return out;
}

QStringList reversed(QStringList list)
{
    std::reverse(list.begin(), list.end());
    return list;
}

} // namespace

class TestRecentFolders : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString m_file;

private slots:
    void init()
    {
        QVERIFY(m_dir.isValid());
        m_file = m_dir.filePath(QStringLiteral("quillmark.ini"));
        QFile::remove(m_file);
        Settings::setSettingsFile(m_file);
    }

    // Folders added one after another, and the list read back from the file.
    void adding_data()
    {
        QTest::addColumn<QStringList>("adds");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("most recent first") << QStringList{"/a", "/b", "/c"} << QStringList{"/c", "/b", "/a"};
        QTest::newRow("again moves it first") << QStringList{"/a", "/b", "/c", "/a"}
                                              << QStringList{"/a", "/c", "/b"};
        QTest::newRow("same folder twice in a row") << QStringList{"/a", "/a"} << QStringList{"/a"};
        QTest::newRow("trailing separator, newer text kept") << QStringList{"/m/in", "/b", "/m/in/"}
                                                             << QStringList{"/m/in/", "/b"};
        QTest::newRow("dots resolved") << QStringList{"/m/in", "/m/x/../in"} << QStringList{"/m/x/../in"};
#if defined(Q_OS_WIN)
        QTest::newRow("separators: one folder here") << QStringList{"C:/Maps/N-37", "C:\\Maps\\N-37"}
                                                     << QStringList{"C:\\Maps\\N-37"};
#else
        // A backslash is a letter of a name here.
        QTest::newRow("separators: two folders here") << QStringList{"/m/a/b", "/m/a\\b"}
                                                      << QStringList{"/m/a\\b", "/m/a/b"};
#endif
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
        QTest::newRow("case: one folder here") << QStringList{"/m/Scans", "/m/scans"} << QStringList{"/m/scans"};
#else
        QTest::newRow("case: two folders here") << QStringList{"/m/Scans", "/m/scans"}
                                                << QStringList{"/m/scans", "/m/Scans"};
#endif
        QTest::newRow("ten kept") << numbered(1, 12) << reversed(numbered(3, 12));
        QTest::newRow("a kept one comes first, the oldest stays")
            << numbered(1, 10) + QStringList{"/maps/sheet 4"}
            << QStringList{"/maps/sheet 4"} + reversed(numbered(5, 10)) + reversed(numbered(1, 3));
        QTest::newRow("empty text not taken") << QStringList{"/a", "", "  "} << QStringList{"/a"};
        QTest::newRow("cyrillic folder") << QStringList{QString::fromUtf8("/карты/лист")}
                                         << QStringList{QString::fromUtf8("/карты/лист")};
        QTest::newRow("folder the file cannot hold") << QStringList{"/a", QString::fromUtf8("/地图")}
                                                     << QStringList{"/a"};
        QTest::newRow("folder too long for a value") << QStringList{"/a", "/" + QString(300, QLatin1Char('x'))}
                                                     << QStringList{"/a"};
    }
    void adding()
    {
        QFETCH(QStringList, adds);
        QFETCH(QStringList, expected);
        for (const QString &folder : adds)
            RecentFolders::add(folder);
        QCOMPARE(RecentFolders::list(), expected);
        // Stored under Recent1.. in that order, nothing past the list.
        for (int i = 1; i <= RecentFolders::Limit + 1; ++i) {
            const QString stored = Settings::ReadSetting(QStringLiteral("Recent%1").arg(i), QString());
            QCOMPARE(stored, i <= expected.size() ? expected.at(i - 1) : QString());
        }
    }

    // A file edited by hand: gaps and repeated entries are skipped on reading.
    void reading_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("no file") << QByteArray() << QStringList{};
        QTest::newRow("gaps and repeats")
            << QByteArray("[sets]\r\nRecent1=/a\r\nRecent3=/a/\r\nRecent4=\"/my maps\"\r\nRecent11=/z\r\n")
            << QStringList{"/a", "/my maps"};
    }
    void reading()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, expected);
        if (!file.isEmpty()) {
            QFile f(m_file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(file);
        }
        QCOMPARE(RecentFolders::list(), expected);
    }
};

QTEST_MAIN(TestRecentFolders)
#include "tst_recentfolders.moc"
