// Sheet names as folders hold them: every form against the sheet it gives or
// the refusal it gets, with and without a chosen scale; the zero-padded forms
// read exactly as the fields have always been read by position.

#include "sheet/Global.h"
#include "sheet/SheetIdentity.h"
#include "sheet/SheetName.h"

#include <QtTest>

namespace {

// What a reading comes to: "1:100K sheet N-37-001", or the refusal.
QString outcome(const SheetName &s)
{
    return s.ok() ? SheetName::describe(s.id) : s.id.error;
}

// Which warning the name gets: "", "two ways", "in part" or "other scale".
QString warningKind(const SheetName &s)
{
    if (s.otherScale())
        return QStringLiteral("other scale");
    if (s.warning.startsWith(QLatin1String("its name reads two ways")))
        return QStringLiteral("two ways");
    if (s.warning.startsWith(QLatin1String("only the beginning")))
        return QStringLiteral("in part");
    return s.warning;
}

bool sameFields(const SheetIdentity &a, const SheetIdentity &b)
{
    return a.ok() == b.ok() && a.error == b.error && a.scale == b.scale && a.mask == b.mask && a.south == b.south
        && a.row == b.row && a.col == b.col && a.list == b.list && a.list50 == b.list50 && a.list25 == b.list25
        && a.list10 == b.list10;
}

} // namespace

class TestSheetName : public QObject
{
    Q_OBJECT

private slots:
    void read_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("scale"); // chosen, or SheetName::ByName
        QTest::addColumn<bool>("guessed");
        QTest::addColumn<QString>("mask"); // chosen, or "" for each name's own
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QString>("warning");

        const QString a = QString::fromUtf8("А"), b = QString::fromUtf8("Б"), v = QString::fromUtf8("В"),
                      g = QString::fromUtf8("Г"), sa = QString::fromUtf8("а"), sb = QString::fromUtf8("б"),
                      sv = QString::fromUtf8("в");
        auto row = [](const char *tag, const QString &name, int scale, const QString &sheet, const char *warning = "",
                      bool guessed = false, const char *mask = "") {
            QTest::newRow(tag) << name << scale << guessed << QString::fromLatin1(mask) << sheet
                               << QString::fromLatin1(warning);
        };

        // The forms read before, by their own scale.
        row("zero-padded 1:25K, Cyrillic", "N-37-001-" + a + "-" + sa + ".jpg", SheetName::ByName, "1:25K sheet N-37-001-" + a + "-" + sa);
        row("lower case, no hyphen after the row", "n37-001.jpg", SheetName::ByName, "1:100K sheet N-37-001");
        row("Latin letters", "N37-001-B-G", SheetName::ByName, "1:25K sheet N-37-001-" + b + "-" + QString::fromUtf8("г"));
        row("digits for letters at 1:10K", "N-37-001-1-1-1.tif", SheetName::ByName, "1:10K sheet N-37-001-" + a + "-" + sa + "-1");
        row("southern", "sK-37-001.jpg", SheetName::ByName, "1:100K sheet sK-37-001");
        row("1:500K letter", "N-37-" + b, SheetName::ByName, "1:500K sheet N-37-" + b);
        row("1:1M", "N-37.png", SheetName::ByName, "1:1M sheet N-37");
        row("underscores", "N_37_001_" + a, SheetName::ByName, "1:50K sheet N-37-001-" + a);
        // The official nomenclature without leading zeros.
        row("official 1:100K", "N-37-5.jpg", SheetName::ByName, "1:100K sheet N-37-005");
        row("official 1:100K 144", "N-37-144", SheetName::ByName, "1:100K sheet N-37-144");
        row("official 1:50K", "N-37-12-" + a + ".jpg", SheetName::ByName, "1:50K sheet N-37-012-" + a);
        row("official 1:50K, lower-case Latin", "n-37-12-a", SheetName::ByName, "1:50K sheet N-37-012-" + a);
        row("official 1:25K", "M-44-44-" + a + "-" + sb + ".jpg", SheetName::ByName, "1:25K sheet M-44-044-" + a + "-" + sb);
        row("official 1:10K", "N-37-1-" + a + "-" + sa + "-1", SheetName::ByName, "1:10K sheet N-37-001-" + a + "-" + sa + "-1");
        row("official southern 1:25K", "sK-37-1-" + b + "-" + sv, SheetName::ByName, "1:25K sheet sK-37-001-" + b + "-" + sv);
        row("official one-digit column", "K-7-40", SheetName::ByName, "1:100K sheet K-07-040");
        // 1:200K in Roman numerals.
        row("Roman VIII", "M-45-VIII.jpg", SheetName::ByName, "1:200K sheet M-45-08");
        row("Roman XXXVI", "N-37-XXXVI.jpg", SheetName::ByName, "1:200K sheet N-37-36");
        row("Roman, lower case", "m-45-xiv", SheetName::ByName, "1:200K sheet M-45-14");
        row("Roman past XXXVI fits no form", "M-45-XXXVII", SheetName::ByName, "1:1M sheet M-45", "in part");
        // Archive prefixes fix the scale.
        row("200k--", "200k--m44-01.gif", SheetName::ByName, "1:200K sheet M-44-01");
        row("200k-- one digit", "200k--m44-1.gif", SheetName::ByName, "1:200K sheet M-44-01");
        row("100k--", "100k--n44-126.gif", SheetName::ByName, "1:100K sheet N-44-126");
        row("100k-- no zeros", "100k--n37-1.gif", SheetName::ByName, "1:100K sheet N-37-001");
        row("1000k--", "1000k--n37.gif", SheetName::ByName, "1:1M sheet N-37");
        row("500k-- digit", "500k--n37-1.gif", SheetName::ByName, "1:500K sheet N-37-" + a);
        row("50k--", "50k--n37-001-1.gif", SheetName::ByName, "1:50K sheet N-37-001-" + a);
        row("25k--", "25k--n37-001-2-3.gif", SheetName::ByName, "1:25K sheet N-37-001-" + b + "-" + sv);
        row("10k--", "10k--n37-001-1-1-4.gif", SheetName::ByName, "1:10K sheet N-37-001-" + a + "-" + sa + "-4");
        row("prefix against the name's own scale", "100k--n37-001-1.gif", SheetName::ByName, "1:100K sheet N-37-001", "in part");
        // Doubled sheets north of 60 degrees: the sheet named first.
        row("doubled 1:100K", "P-36-005,006.jpg", SheetName::ByName, "1:100K sheet P-36-005,006");
        row("doubled, two ways", "Q-38-13,14.jpg", SheetName::ByName, "1:200K sheet Q-38-13,14", "two ways");
        row("doubled, 1:100K chosen", "Q-38-13,14.jpg", 100, "1:100K sheet Q-38-013,014");
        // Text after the name.
        row("edition after an underscore", "N-44-126_1988.jpg", SheetName::ByName, "1:100K sheet N-44-126");
        row("copy in parentheses", "N-44-126 (2).jpg", SheetName::ByName, "1:100K sheet N-44-126");
        row("comma south of 60", "N-44-126,2.jpg", SheetName::ByName, "1:100K sheet N-44-126");
        row("1:50K and an edition", "N-37-001-" + a + "_1988", SheetName::ByName, "1:50K sheet N-37-001-" + a);
        row("hyphen and a year: only in part", "N-44-126-1988.jpg", SheetName::ByName, "1:50K sheet N-44-126-" + a, "in part");
        row("only in part at the chosen scale, as always", "N-44-126-1988.jpg", 50, "1:50K sheet N-44-126-" + a);
        // Names that read two ways: the chosen scale decides; else the zero-padded reading and a warning.
        row("N-37-1 by name", "N-37-1.jpg", SheetName::ByName, "1:500K sheet N-37-" + a, "two ways");
        row("N-37-1 at 1:100K", "N-37-1.jpg", 100, "1:100K sheet N-37-001");
        row("N-37-1 at 1:500K", "N-37-1.jpg", 500, "1:500K sheet N-37-" + a);
        row("N-37-1 at a guessed 1:100K", "N-37-1.jpg", 100, "1:100K sheet N-37-001", "two ways", true);
        row("N-37-12 by name", "N-37-12", SheetName::ByName, "1:200K sheet N-37-12", "two ways");
        row("N-37-12 at 1:100K", "N-37-12", 100, "1:100K sheet N-37-012");
        row("M-45-V by name", "M-45-V", SheetName::ByName, "1:500K sheet M-45-" + v, "two ways");
        row("M-45-V at 1:200K", "M-45-V", 200, "1:200K sheet M-45-05");
        row("m-45-v at a guessed 1:500K", "m-45-v", 500, "1:500K sheet M-45-" + v, "two ways", true);
        // A name of another scale: by position at the chosen one, with the warning.
        row("1:50K name at 1:100K", "N-37-001-" + a + ".jpg", 100, "1:100K sheet N-37-001", "other scale");
        row("official 1:50K at 1:200K", "N-37-12-" + a, 200, "1:200K sheet N-37-12", "other scale");
        row("Roman at 1:500K", "M-45-VIII", 500, "1:500K sheet M-45-" + v, "other scale");
        row("1:100K name at 1:1M", "N-37-001", 1000, "1:1M sheet N-37", "other scale");
        // Refusals keep their messages.
        row("row", "X-37-001.jpg", SheetName::ByName, "X-37-001.jpg Incorrect 1:1M map row in image name ");
        row("row W", "W-37-001.jpg", 100, "W-37-001.jpg Incorrect 1:1M map row in image name ");
        row("column", "N-61-001.jpg", SheetName::ByName, "N-61-001.jpg Incorrect 1:1M map column number in image name 61");
        row("list", "N-37-145.jpg", SheetName::ByName, "N-37-145.jpg Incorrect  map list number in image name 145");
        row("letter", "N-37-001-" + QString::fromUtf8("Д") + ".jpg", 50,
            "N-37-001-" + QString::fromUtf8("Д") + ".jpg Incorrect 1:50K map list number in image name 1");
        row("no letter: by name only in part", "N-37-001-" + QString::fromUtf8("Д") + ".jpg", SheetName::ByName,
            "1:100K sheet N-37-001", "in part");
        row("letter at 1:50K", "N-37-001.jpg", 50, "N-37-001.jpg Incorrect 1:50K map list number in image name 1");
        row("capital S is a row", "SK-37-001", SheetName::ByName, "SK-37-001. Incorrect 1:1M map column number in image name -1");
        row("the other mask chosen", "N-37-12-" + a + ".jpg", 50,
            "N-37-12-" + a + ".jpg Incorrect 1:1M map column number in image name -1", "", false, "RCC-LLL");
        row("the name's mask chosen", "N37-12-" + a + ".jpg", 50, "1:50K sheet N-37-012-" + a, "", false, "RCC-LLL");
        row("prefix with a bad row", "100k--x44-126.gif", SheetName::ByName, "100k--x44-126.gif Incorrect 1:1M map row in image name ");
    }

    void read()
    {
        QFETCH(QString, name);
        QFETCH(int, scale);
        QFETCH(bool, guessed);
        QFETCH(QString, mask);
        QFETCH(QString, sheet);
        QFETCH(QString, warning);
        const SheetName s = SheetName::read(name, scale, mask, guessed);
        QCOMPARE(outcome(s), sheet);
        QCOMPARE(warningKind(s), warning);
        // A name read whole says its form; one read in part or refused has none.
        QCOMPARE(s.form.isEmpty(), !s.ok() || s.readings.isEmpty() || s.otherScale());
    }

    // Every form read before gives the fields it always gave, at its own scale
    // and at a chosen one, with either mask: generated names of each scale.
    void paddedAsBefore_data()
    {
        QTest::addColumn<int>("scale");
        for (int scale : {1000, 500, 200, 100, 50, 25, 10})
            QTest::newRow(qPrintable(Global::scaleText(scale))) << scale;
    }

    void paddedAsBefore()
    {
        QFETCH(int, scale);
        const QString rows = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUV");
        const QStringList letters = {QString::fromUtf8("АБВГ"), QStringLiteral("ABVG"), QStringLiteral("1234"),
                                     QString::fromUtf8("абвг"), QStringLiteral("abcd")};
        int checked = 0;
        for (int i = 0; i < 600; ++i) {
            const bool sep = i % 2;
            QString name = (i % 7 == 0 ? QStringLiteral("s") : QString()) + rows.at(i % 22)
                + (sep ? QStringLiteral("-") : QString()) + QStringLiteral("%1").arg(1 + (i * 7) % 60, 2, 10, QLatin1Char('0'));
            const QString &l = letters.at(i % letters.size());
            const QChar q1 = l.at(i % 4), q2 = l.at((i / 4) % 4), q3 = QLatin1Char(char('1' + (i / 16) % 4));
            const QString list3 = QStringLiteral("-%1").arg(1 + (i * 13) % 144, 3, 10, QLatin1Char('0'));
            switch (scale) {
            case 500: name += QLatin1Char('-') + q1; break;
            case 200: name += QStringLiteral("-%1").arg(1 + i % 36, 2, 10, QLatin1Char('0')); break;
            case 100: name += list3; break;
            case 50: name += list3 + QLatin1Char('-') + q1; break;
            case 25: name += list3 + QLatin1Char('-') + q1 + QLatin1Char('-') + q2; break;
            case 10: name += list3 + QLatin1Char('-') + q1 + QLatin1Char('-') + q2 + QLatin1Char('-') + q3; break;
            default: break;
            }
            name += QStringLiteral(".jpg");
            const QString mask = sep ? QStringLiteral("R-CC-LLL") : QStringLiteral("RCC-LLL");
            const SheetIdentity before = SheetIdentity::check(name, scale, mask);
            QVERIFY2(before.ok(), qPrintable(name + ": " + before.error));
            // Chosen scale and mask, as the map creator run takes them.
            QVERIFY2(sameFields(SheetName::read(name, scale, mask).id, before), qPrintable(name));
            // Each name's own scale and mask, as the window's guess and the other tools took them.
            const QString base = Global::getNameNoExt(name);
            QCOMPARE(Global::scaleFromText(Global::getScaleByName(base)), scale);
            const SheetName own = SheetName::read(name, SheetName::ByName, QString());
            QVERIFY2(sameFields(own.id, before), qPrintable(name));
            // At every other scale: what was read by position reads the same; a
            // refusal stays the same refusal unless the name now reads whole
            // at that scale ("N-37-V" at 1:200K).
            for (int other : {1000, 500, 200, 100, 50, 25, 10}) {
                if (other == scale)
                    continue;
                const SheetIdentity then = SheetIdentity::check(name, other, mask);
                const SheetIdentity now = SheetName::read(name, other, mask).id;
                QVERIFY2(then.ok() || now.ok() ? !then.ok() || sameFields(now, then) : now.error == then.error,
                         qPrintable(name + " at " + Global::scaleText(other)));
            }
            ++checked;
        }
        QCOMPARE(checked, 600);
    }
};

QTEST_GUILESS_MAIN(TestSheetName)
#include "tst_sheetname.moc"
