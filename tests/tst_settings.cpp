// The settings file: keys in section "sets", read and written the way
// Windows' private-profile calls do, and window placement.
#include "settings/IniFile.h"
#include "settings/Settings.h"
#include "settings/WindowPlacement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

#include <cstdio>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// "Папка" (folder) in Windows-1251.
const QByteArray kPapka1251("\xCF\xE0\xEF\xEA\xE0");
const QString kPapka = QString::fromUtf8("Папка");

// Runs `body` as user and group 65534 ("nobody") when the test runs as root,
// for whom no folder is read-only: in a child process that drops its
// privileges for good. The child reports its own failures (QVERIFY in `body`)
// and its exit status fails the test here. A plain user runs `body` as it is.
void asUnprivileged(const std::function<void()> &body)
{
    if (::geteuid() != 0) {
        body();
        return;
    }
    std::fflush(nullptr);
    const pid_t child = ::fork();
    QVERIFY2(child >= 0, "fork failed");
    if (child == 0) {
        int status = 3;
        if (::setgroups(0, nullptr) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0 && ::getuid() != 0) {
            body();
            status = QTest::currentTestFailed() ? 1 : 0;
        } else {
            std::fprintf(stderr, "cannot become user 65534\n");
        }
        std::fflush(nullptr);
        ::_exit(status);
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY2(WIFEXITED(status), "the unprivileged child did not exit");
    QCOMPARE(WEXITSTATUS(status), 0);
}

// A folder every user may enter and write in (its parent too): for the
// unprivileged child of asUnprivileged().
bool openToAll(const QString &path)
{
    return QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                           | QFileDevice::ReadGroup | QFileDevice::WriteGroup
                                           | QFileDevice::ExeGroup | QFileDevice::ReadOther
                                           | QFileDevice::WriteOther | QFileDevice::ExeOther);
}

const QFileDevice::Permissions kReadOnlyFolder = QFileDevice::ReadOwner | QFileDevice::ExeOwner
    | QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;

} // namespace

class TestSettings : public QObject
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

    void roundTrip_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("stored"); // the line as it stands in the file
        QTest::newRow("plain") << "/home/user/maps" << QByteArray("Path=/home/user/maps\r\n");
        QTest::newRow("space quoted") << "C:\\My Maps\\N-37" << QByteArray("Path=\"C:\\My Maps\\N-37\"\r\n");
        QTest::newRow("cyrillic folder") << QString::fromUtf8("/home/user/Карты/N-37")
                                         << QByteArray("Path=/home/user/\xCA\xE0\xF0\xF2\xFB/N-37\r\n");
        QTest::newRow("cyrillic with space") << QString::fromUtf8("D:\\Мои карты")
                                             << QByteArray("Path=\"D:\\\xCC\xEE\xE8 \xEA\xE0\xF0\xF2\xFB\"\r\n");
        QTest::newRow("colon in value") << "1:100K" << QByteArray("Path=1:100K\r\n");
        QTest::newRow("empty") << "" << QByteArray("Path=\r\n");
    }
    void roundTrip()
    {
        QFETCH(QString, value);
        QFETCH(QByteArray, stored);
        QVERIFY(Settings::WriteSetting(QStringLiteral("Path"), value));
        QCOMPARE(readAll(m_file), QByteArray("[sets]\r\n") + stored);
        QCOMPARE(Settings::ReadSetting(QStringLiteral("Path"), QStringLiteral("default")), value);
    }

    void keysAndSectionsIgnoreCase_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::newRow("as written") << "sets" << "points_1:100K";
        QTest::newRow("upper key") << "sets" << "POINTS_1:100K";
        QTest::newRow("lower key") << "sets" << "points_1:100k";
        QTest::newRow("upper section") << "SETS" << "Points_1:100K";
    }
    void keysAndSectionsIgnoreCase()
    {
        QFETCH(QString, section);
        QFETCH(QString, key);
        writeAll(m_file, "[Sets]\r\nPoints_1:100K=9\r\n");
        QCOMPARE(Settings::ReadIniString(m_file, section, key, QStringLiteral("none")), QStringLiteral("9"));
    }

    void pathAndPathAreOneKey()
    {
        QVERIFY(Settings::WriteSetting(QStringLiteral("Path"), QStringLiteral("/a")));
        QVERIFY(Settings::WriteSetting(QStringLiteral("PATH"), QStringLiteral("/b")));
        QCOMPARE(Settings::ReadSetting(QStringLiteral("path"), QString()), QStringLiteral("/b"));
        QCOMPARE(readAll(m_file).count("/"), 1); // one line, not two
        Settings::loadLastPath();
        QCOMPARE(Settings::LastPath(), QStringLiteral("/b"));
    }

    // A file as Windows' private-profile calls and people write it.
    void windowsFile_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("blanks around =") << "txtMTop" << "7";
        QTest::newRow("quoted with space") << "Path" << "C:\\Scans 2010\\Maps";
        QTest::newRow("only one pair stripped") << "Quoted" << "\"inner\"";
        QTest::newRow("lone quote kept") << "Half" << "\"open";
        QTest::newRow("key of other section absent") << "Color" << "default";
        QTest::newRow("commented key absent") << "Old" << "default";
        QTest::newRow("cyrillic value") << "PathIn" << QString::fromUtf8("C:\\Папка");
        QTest::newRow("empty value") << "Empty" << "";
        QTest::newRow("absent") << "Nothing" << "default";
        QTest::newRow("LF only line") << "LfKey" << "lf";
    }
    void windowsFile()
    {
        QFETCH(QString, key);
        QFETCH(QString, expected);
        writeAll(m_file, "; settings of the program\r\n"
                         "[other]\r\n"
                         "Color=red\r\n"
                         "\r\n"
                         "[SETS]\r\n"
                         "  TXTMTOP  =  7  \r\n"
                         "Path=\"C:\\Scans 2010\\Maps\"\r\n"
                         "Quoted=\"\"inner\"\"\r\n"
                         "Half=\"open\r\n"
                         ";Old=1\r\n"
                         "PathIn=C:\\" + kPapka1251 + "\r\n"
                         "Empty=\r\n"
                         "LfKey=lf\n");
        QCOMPARE(Settings::ReadSetting(key, QStringLiteral("default")), expected);
    }

    void noFileGivesDefaults()
    {
        QCOMPARE(Settings::ReadSetting(QStringLiteral("Path"), QStringLiteral("x")), QStringLiteral("x"));
        QCOMPARE(Settings::ReadIniString(m_dir.filePath(QStringLiteral("none/a.ini")), QStringLiteral("sets"),
                                         QStringLiteral("k"), QStringLiteral("d")),
                 QStringLiteral("d"));
    }

    void valueCutTo254_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("expected");
        QTest::newRow("253") << 253 << 253;
        QTest::newRow("254") << 254 << 254;
        QTest::newRow("255") << 255 << 254;
        QTest::newRow("600") << 600 << 254;
    }
    void valueCutTo254()
    {
        QFETCH(int, length);
        QFETCH(int, expected);
        QString value;
        for (int i = 0; i < length; ++i)
            value.append(QChar(u'a' + i % 26));
        QVERIFY(Settings::WriteSetting(QStringLiteral("Long"), value));
        QCOMPARE(Settings::ReadSetting(QStringLiteral("Long"), QString()), value.left(expected));
    }

    // A write changes one line and keeps every other byte of the file.
    void writeKeepsOtherLines_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QByteArray>("after");
        const QByteArray head = "; comment\r\n[other]\r\npath=/other\r\n\r\n";
        QTest::newRow("replace, spelling of file kept")
            << head + "[sets]\r\n  Left  = 1 \r\nPATH = old\r\nTop=2\r\n" << "path"
            << head + "[sets]\r\n  Left  = 1 \r\nPATH=new\r\nTop=2\r\n";
        QTest::newRow("append to section before blank")
            << head + "[sets]\r\nLeft=1\r\n\r\n[more]\r\nx=" + kPapka1251 + "\r\n" << "Path"
            << head + "[sets]\r\nLeft=1\r\nPath=new\r\n\r\n[more]\r\nx=" + kPapka1251 + "\r\n";
        QTest::newRow("new section at end")
            << head << "Path"
            << head + "[sets]\r\nPath=new\r\n";
        QTest::newRow("last line without line end")
            << QByteArray("[sets]\r\nLeft=1") << "Path"
            << QByteArray("[sets]\r\nLeft=1\r\nPath=new\r\n");
        QTest::newRow("LF file keeps its line ends")
            << QByteArray("[sets]\nPath=old\nTop=2\n") << "Path"
            << QByteArray("[sets]\nPath=new\nTop=2\n");
    }
    void writeKeepsOtherLines()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, key);
        QFETCH(QByteArray, after);
        writeAll(m_file, before);
        QVERIFY(Settings::WriteSetting(key, QStringLiteral("new")));
        QCOMPARE(readAll(m_file), after);
    }

    // Values that cannot be stored faithfully are not stored at all.
    void refusedValues_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("line break forges a key") << "/tmp\r\nPathIn=/etc";
        QTest::newRow("LF") << "/tmp\nx=1";
        QTest::newRow("outside the code page") << QString::fromUtf8("/home/地图");
    }
    void refusedValues()
    {
        QFETCH(QString, value);
        writeAll(m_file, "[sets]\r\nPath=/old\r\n");
        QVERIFY(!Settings::WriteSetting(QStringLiteral("Path"), value));
        QCOMPARE(readAll(m_file), QByteArray("[sets]\r\nPath=/old\r\n"));
        QCOMPARE(Settings::ReadSetting(QStringLiteral("PathIn"), QStringLiteral("none")), QStringLiteral("none"));
    }

    void fileName_data()
    {
        QTest::addColumn<QString>("exe");
        QTest::addColumn<QString>("expected");
        QTest::newRow("exe") << "Quillmark.exe" << "Quillmark.ini";
        QTest::newRow("no extension") << "quillmark" << "quillmark.ini";
        QTest::newRow("dot within last four") << "quill.ab" << "quill.ini";
        QTest::newRow("dot further away") << "quill.mark5" << "quill.mark5.ini";
    }
    void fileName()
    {
        QFETCH(QString, exe);
        QFETCH(QString, expected);
        const QString path = m_dir.filePath(exe);
        QCOMPARE(Settings::settingsFileFor(path, m_dir.filePath(QStringLiteral("config"))),
                 m_dir.filePath(expected));
    }

    // The program's folder cannot be written: the settings go to the
    // configuration folder, made on the first write.
    void unwritableFolderUsesConfigFolder_data()
    {
        QTest::addColumn<bool>("iniBeside");    // a settings file stands beside the program
        QTest::addColumn<bool>("iniWritable");  // and may itself be written
        QTest::newRow("no file beside") << false << false;
        QTest::newRow("read-only file beside") << true << false;
        QTest::newRow("writable file in a read-only folder") << true << true;
    }
    void unwritableFolderUsesConfigFolder()
    {
        QFETCH(bool, iniBeside);
        QFETCH(bool, iniWritable);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QVERIFY(openToAll(root.path()));
        const QString bin = root.filePath(QStringLiteral("bin"));
        const QString exe = bin + QStringLiteral("/quillmark");
        const QString beside = bin + QStringLiteral("/quillmark.ini");
        const QString config = root.filePath(QStringLiteral("config/quillmark"));
        const QString fallback = config + QStringLiteral("/quillmark.ini");
        asUnprivileged([&] {
            QVERIFY(QDir().mkpath(bin));
            if (iniBeside) {
                writeAll(beside, "[sets]\r\n");
                QVERIFY(QFile::setPermissions(beside, iniWritable ? QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                                  : QFileDevice::ReadOwner));
            }
            QVERIFY(QFile::setPermissions(bin, kReadOnlyFolder));
            QVERIFY(!QFileInfo(bin).isWritable());
            QCOMPARE(Settings::settingsFileFor(exe, config), fallback);
            Settings::setSettingsFile(Settings::settingsFileFor(exe, config), Settings::readOnlyFileFor(exe, config));
            QVERIFY(Settings::WriteSetting(QStringLiteral("Path"), QStringLiteral("/x")));
            QCOMPARE(readAll(fallback), QByteArray("[sets]\r\nPath=/x\r\n"));
            QCOMPARE(Settings::ReadSetting(QStringLiteral("Path"), QString()), QStringLiteral("/x"));
            if (iniBeside)
                QCOMPARE(readAll(beside), QByteArray("[sets]\r\n"));
        });
    }

    // A read-only settings file beside a program whose folder cannot be
    // written: its values are read, and only what changes goes to the
    // configuration folder, whose values then come first.
    void readOnlyFileBesideIsRead_data()
    {
        QTest::addColumn<QStringList>("writes");   // key=value written in turn
        QTest::addColumn<QByteArray>("fallback");  // the configuration folder's file after them ("" none)
        QTest::addColumn<QStringList>("reads");    // key=value read after them
        const QStringList untouched{QStringLiteral("Path=C:\\") + kPapka, QStringLiteral("Scale=1:100K"),
                                    QStringLiteral("PathIn=C:\\Scans 2010"), QStringLiteral("Top=default")};
        QTest::newRow("nothing written") << QStringList() << QByteArray() << untouched;
        QTest::newRow("same values not written")
            << QStringList{QStringLiteral("Path=C:\\") + kPapka, QStringLiteral("scale=1:100K"),
                           QStringLiteral("PathIn=C:\\Scans 2010")}
            << QByteArray() << untouched;
        QTest::newRow("a changed key goes to the fallback")
            << QStringList{QStringLiteral("Scale=1:50K"), QStringLiteral("Path=C:\\") + kPapka}
            << QByteArray("[sets]\r\nScale=1:50K\r\n")
            << QStringList{QStringLiteral("Path=C:\\") + kPapka, QStringLiteral("Scale=1:50K"),
                           QStringLiteral("PathIn=C:\\Scans 2010")};
        QTest::newRow("a new key goes to the fallback")
            << QStringList{QStringLiteral("Top=7")} << QByteArray("[sets]\r\nTop=7\r\n")
            << QStringList{QStringLiteral("Scale=1:100K"), QStringLiteral("Top=7")};
        QTest::newRow("changed back: the fallback keeps it")
            << QStringList{QStringLiteral("Scale=1:50K"), QStringLiteral("Scale=1:100K")}
            << QByteArray("[sets]\r\nScale=1:100K\r\n") << untouched;
        QTest::newRow("quoted value kept in the format")
            << QStringList{QStringLiteral("PathIn=D:\\") + kPapka + QStringLiteral(" 2")}
            << QByteArray("[sets]\r\nPathIn=\"D:\\" + kPapka1251 + " 2\"\r\n")
            << QStringList{QStringLiteral("PathIn=D:\\") + kPapka + QStringLiteral(" 2")};
    }
    void readOnlyFileBesideIsRead()
    {
        QFETCH(QStringList, writes);
        QFETCH(QByteArray, fallback);
        QFETCH(QStringList, reads);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        QVERIFY(openToAll(root.path()));
        const QString bin = root.filePath(QStringLiteral("bin"));
        const QString exe = bin + QStringLiteral("/quillmark");
        const QString beside = bin + QStringLiteral("/quillmark.ini");
        const QString config = root.filePath(QStringLiteral("config/quillmark"));
        const QByteArray besideBytes = "; installed with the program\r\n[Sets]\r\nPath=C:\\" + kPapka1251
            + "\r\nSCALE = 1:100K\r\nPathIn=\"C:\\Scans 2010\"\r\n";
        asUnprivileged([&] {
            QVERIFY(QDir().mkpath(bin));
            writeAll(beside, besideBytes);
            QVERIFY(QFile::setPermissions(beside, QFileDevice::ReadOwner | QFileDevice::ReadOther));
            QVERIFY(QFile::setPermissions(bin, kReadOnlyFolder));
            const QString chosen = Settings::settingsFileFor(exe, config);
            QCOMPARE(chosen, config + QStringLiteral("/quillmark.ini"));
            QCOMPARE(Settings::readOnlyFileFor(exe, config), beside);
            Settings::setSettingsFile(chosen, beside);
            for (const QString &w : writes) {
                const qsizetype eq = w.indexOf(QLatin1Char('='));
                QVERIFY2(Settings::WriteSetting(w.left(eq), w.mid(eq + 1)), qPrintable(w));
            }
            QCOMPARE(QFile::exists(chosen), !fallback.isEmpty());
            QCOMPARE(readAll(chosen), fallback);
            for (const QString &r : reads) {
                const qsizetype eq = r.indexOf(QLatin1Char('='));
                QCOMPARE(Settings::ReadSetting(r.left(eq), QStringLiteral("default")), r.mid(eq + 1));
            }
            QCOMPARE(readAll(beside), besideBytes);
        });
    }

    // Where the program's folder can be written there is no read-only file.
    void writableFolderHasNoReadOnlyFile()
    {
        const QString exe = m_dir.filePath(QStringLiteral("quillmark"));
        writeAll(m_file, "[sets]\r\nPath=/a\r\n");
        QCOMPARE(Settings::settingsFileFor(exe, m_dir.filePath(QStringLiteral("config"))), m_file);
        QCOMPARE(Settings::readOnlyFileFor(exe, m_dir.filePath(QStringLiteral("config"))), QString());
    }

    void placementSaveOrder()
    {
        WindowPlacement p;
        p.maximised = true;
        p.left = -10;
        p.top = 20;
        p.width = 300;
        p.height = 400;
        p.save(QStringLiteral("MapCreator"));
        QCOMPARE(readAll(m_file), QByteArray("[sets]\r\nZoomMapCreator=1\r\nLeftMapCreator=-10\r\n"
                                             "WidthMapCreator=300\r\nTopMapCreator=20\r\nHeightMapCreator=400\r\n"));
    }

    void placementRestore_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("maximised");
        QTest::addColumn<QList<int>>("rect"); // left, top, width, height
        const QList<int> start{1, 2, 3, 4};
        QTest::newRow("all stored") << QByteArray("ZoomW=0\r\nLeftW=10\r\nTopW=20\r\nWidthW=30\r\nHeightW=40\r\n")
                                    << false << QList<int>{10, 20, 30, 40};
        QTest::newRow("maximised") << QByteArray("ZoomW=1\r\nLeftW=10\r\n") << true << QList<int>{10, 2, 3, 4};
        QTest::newRow("nothing stored") << QByteArray() << false << start;
        QTest::newRow("non-numeric skipped")
            << QByteArray("ZoomW=yes\r\nLeftW=abc\r\nTopW=\r\nWidthW=50\r\n") << true << QList<int>{1, 2, 50, 4};
        QTest::newRow("beyond 16 bits skipped")
            << QByteArray("LeftW=32768\r\nTopW=-32768\r\nWidthW=70000\r\nHeightW=32767\r\n") << false
            << QList<int>{1, -32768, 3, 32767};
        QTest::newRow("decimal rounds half even") << QByteArray("LeftW=2.5\r\nTopW=3.5\r\n") << false
                                                  << QList<int>{2, 4, 3, 4};
        QTest::newRow("empty size skipped") << QByteArray("WidthW=0\r\nHeightW=-5\r\n") << false << start;
        QTest::newRow("other window's keys") << QByteArray("LeftWX=99\r\nZoomWX=1\r\n") << false << start;
    }
    void placementRestore()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, maximised);
        QFETCH(QList<int>, rect);
        writeAll(m_file, "[sets]\r\n" + file);
        WindowPlacement p;
        p.maximised = true; // as a window maximised before the restore
        p.left = 1;
        p.top = 2;
        p.width = 3;
        p.height = 4;
        p.restore(QStringLiteral("W"));
        QCOMPARE(p.maximised, maximised);
        QCOMPARE((QList<int>{p.left, p.top, p.width, p.height}), rect);
    }

    void placementRoundTrip()
    {
        WindowPlacement saved{false, 120, 80, 640, 480};
        saved.save(QStringLiteral("CornerMarkers"));
        WindowPlacement restored;
        restored.restore(QStringLiteral("cornermarkers"));
        QCOMPARE(restored.maximised, false);
        QCOMPARE(restored.left, 120);
        QCOMPARE(restored.top, 80);
        QCOMPARE(restored.width, 640);
        QCOMPARE(restored.height, 480);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
