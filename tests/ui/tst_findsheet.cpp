// The "Find sheet" window: typed coordinates and a chosen scale give the sheet
// name and corners; bad input gives a message and nothing to copy; the button
// copies the name.

#include "ui/FindSheet.h"
#include "ui/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

class TestFindSheet : public QObject
{
    Q_OBJECT

private slots:
    void lookup_data()
    {
        QTest::addColumn<QString>("lat");
        QTest::addColumn<QString>("lon");
        QTest::addColumn<QString>("scale");
        QTest::addColumn<QString>("name");       // empty: no sheet
        QTest::addColumn<QString>("nameLabel");  // part of the label's text
        QTest::addColumn<QString>("corners");    // part of the corners' text
        QTest::newRow("1:100K") << "55.9" << "36.1" << "1:100K" << "N-37-001" << "N-37-001"
                                << "north-west 56.000000, 36.000000";
        QTest::newRow("decimal comma, 1:10K") << "55,9" << "36,1" << "1:10K" << QString("N-37-001-\u0410-\u0432-2")
                                              << QString("N-37-001-\u0410-\u0432-2")
                                              << "south-east 55.875000, 36.125000";
        QTest::newRow("south-west quadrant") << "-33.5" << "-70.25" << "1:100K" << "sI-19-052" << "sI-19-052"
                                             << "south-west -33.666667, -70.500000";
        QTest::newRow("north of 60") << "64.5" << "37.3" << "1:100K" << "Q-37-123,124" << "Q-37-123,124"
                                     << "north-east 64.666667, 38.000000";
        QTest::newRow("outside") << "95" << "10" << "1:100K" << QString() << "outside latitude" << QString();
        QTest::newRow("not a number") << "north" << "10" << "1:100K" << QString() << "decimal degrees" << QString();
        QTest::newRow("empty") << "" << "10" << "1:1M" << QString() << "Enter a latitude" << QString();
    }

    void lookup()
    {
        QFETCH(QString, lat);
        QFETCH(QString, lon);
        QFETCH(QString, scale);
        QFETCH(QString, name);
        QFETCH(QString, nameLabel);
        QFETCH(QString, corners);
        FindSheet window;
        window.findChild<QComboBox *>("cmbScale")->setCurrentText(scale);
        window.findChild<QLineEdit *>("txtLat")->setText(lat);
        window.findChild<QLineEdit *>("txtLon")->setText(lon);
        QCOMPARE(window.sheetName(), name);
        QVERIFY2(window.findChild<QLabel *>("lblName")->text().contains(nameLabel),
                 qPrintable(window.findChild<QLabel *>("lblName")->text()));
        const QString cornerText = window.findChild<QLabel *>("lblCorners")->text();
        QVERIFY2(corners.isEmpty() ? cornerText.isEmpty() : cornerText.contains(corners), qPrintable(cornerText));
        auto *copy = window.findChild<QPushButton *>("cmdCopy");
        QCOMPARE(copy->isEnabled(), !name.isEmpty());
        if (!name.isEmpty()) {
            QApplication::clipboard()->clear();
            copy->click();
            QCOMPARE(QApplication::clipboard()->text(), name);
        }
    }

    void utilityMenuOpensIt()
    {
        MainWindow main;
        auto *action = main.findChild<QAction *>("actFindSheet");
        QVERIFY(action);
        action->trigger();
        FindSheet *window = main.findChild<FindSheet *>();
        QVERIFY(window);
        QVERIFY(window->isVisible());
        window->close();
    }
};

QTEST_MAIN(TestFindSheet)
#include "tst_findsheet.moc"
