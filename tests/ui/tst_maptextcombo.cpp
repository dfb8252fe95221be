// The Map creator's "Map text" choice: loaded from the setting "encoding" and
// passed to the run.

#include "settings/Settings.h"
#include "ui/MapCreator.h"

#include <QComboBox>
#include <QTemporaryDir>
#include <QtTest>

class TestMapTextCombo : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private slots:
    void loadsSetting_data()
    {
        QTest::addColumn<QString>("stored"); // empty: no setting
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("encoding");
        QTest::newRow("no setting") << QString() << "Windows-1251" << int(MapTextEncoding::Windows1251);
        QTest::newRow("utf-8") << "utf-8" << "UTF-8" << int(MapTextEncoding::Utf8);
        QTest::newRow("windows-1251") << "windows-1251" << "Windows-1251" << int(MapTextEncoding::Windows1251);
        QTest::newRow("unknown value") << "koi8-r" << "Windows-1251" << int(MapTextEncoding::Windows1251);
    }

    void loadsSetting()
    {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QFETCH(int, encoding);
        static int n = 0;
        Settings::setSettingsFile(m_dir.filePath(QStringLiteral("s%1.ini").arg(++n)));
        Settings::setLastPath(m_dir.path());
        if (!stored.isEmpty())
            Settings::WriteSetting(QStringLiteral("encoding"), stored);
        MapCreator window;
        auto *combo = window.findChild<QComboBox *>(QStringLiteral("cmbEncoding"));
        QVERIFY(combo);
        QCOMPARE(combo->currentText(), shown);
        QCOMPARE(int(window.options().encoding), encoding);
        combo->setCurrentIndex(combo->currentIndex() == 0 ? 1 : 0);
        QVERIFY(int(window.options().encoding) != encoding);
    }
};

QTEST_MAIN(TestMapTextCombo)
#include "tst_maptextcombo.moc"
