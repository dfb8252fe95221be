#include "sheet/Global.h"

#include <QtTest>

// Sheet name reading: path helpers, row, column, list numbers, quarter
// letters, hemisphere, scale and mask by the shape of the name.
class TestGlobal : public QObject
{
    Q_OBJECT

private slots:
    void nameParts_data();
    void nameParts();
    void fileName_data();
    void fileName();
    void cutExtension4_data();
    void cutExtension4();
    void row_data();
    void row();
    void column_data();
    void column();
    void listCount_data();
    void listCount();
    void listNum_data();
    void listNum();
    void letters_data();
    void letters();
    void letterIndex_data();
    void letterIndex();
    void hemisphere_data();
    void hemisphere();
    void pattern_data();
    void pattern();
    void charClasses_data();
    void charClasses();
    void scaleAndMask_data();
    void scaleAndMask();
    void scaleTexts_data();
    void scaleTexts();
    void wholeName_data();
    void wholeName();
};

static const QString kDash = QStringLiteral("R-CC-LLL");
static const QString kNoDash = QStringLiteral("RCC-LLL");

void TestGlobal::nameParts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("ext");
    QTest::newRow("two dots") << "a.b.jpg" << "a" << "b.jpg";
    QTest::newRow("no dot") << "N-37-001" << "N-37-001" << "";
    QTest::newRow("plain") << "N-37-001.jpg" << "N-37-001" << "jpg";
    QTest::newRow("leading dot") << ".jpg" << "" << "jpg";
    QTest::newRow("trailing dot") << "a." << "a" << "";
    QTest::newRow("empty") << "" << "" << "";
}

void TestGlobal::nameParts()
{
    QFETCH(QString, name);
    QFETCH(QString, base);
    QFETCH(QString, ext);
    QCOMPARE(Global::getNameNoExt(name), base);
    QCOMPARE(Global::getExtension(name), ext);
}

void TestGlobal::fileName_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("file");
    QTest::newRow("backslashes") << "C:\\maps\\in\\N-37.jpg" << "N-37.jpg";
    QTest::newRow("slashes") << "/home/u/maps/N-37.jpg" << "N-37.jpg";
    QTest::newRow("backslash wins over a later slash") << "a\\b/c.jpg" << "b/c.jpg";
    QTest::newRow("mixed, backslash last") << "a/b\\c.jpg" << "c.jpg";
    QTest::newRow("no separator") << "N-37.jpg" << "N-37.jpg";
    QTest::newRow("trailing separator") << "maps/" << "";
    QTest::newRow("empty") << "" << "";
}

void TestGlobal::fileName()
{
    QFETCH(QString, path);
    QFETCH(QString, file);
    QCOMPARE(Global::getFileName(path), file);
}

void TestGlobal::cutExtension4_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("cut");
    QTest::newRow("three letters") << "a.tif" << "a";
    QTest::newRow("four letters stay") << "a.jpeg" << "a.jpeg";
    QTest::newRow("map") << "N-37-001.map" << "N-37-001";
    QTest::newRow("two letters") << "name.gz" << "nam";
    QTest::newRow("no dot") << "abcdef" << "abcdef";
    QTest::newRow("short with dot") << "a.b" << "";
    QTest::newRow("short without dot") << "ab" << "ab";
    QTest::newRow("empty") << "" << "";
}

void TestGlobal::cutExtension4()
{
    QFETCH(QString, name);
    QFETCH(QString, cut);
    QCOMPARE(Global::cutExtension4(name), cut);
}

void TestGlobal::row_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("row");
    QTest::newRow("empty") << "" << 1;
    QTest::newRow("A") << "A-01" << 1;
    QTest::newRow("N") << "N-37-001" << 14;
    QTest::newRow("lower n") << "n-37-001" << 14;
    QTest::newRow("V") << "V-37" << 22;
    QTest::newRow("W is no row") << "W-37-001" << 0;
    QTest::newRow("digit") << "1-37" << 0;
    QTest::newRow("Cyrillic A is no row") << QStringLiteral("А-37") << 0;
    QTest::newRow("southern") << "sK-37-001" << 11;
    QTest::newRow("southern without dash") << "sK37-001" << 11;
    QTest::newRow("southern lower row") << "sk-37-001" << 11;
    QTest::newRow("upper S is a row") << "SK-37-001" << 19;
    QTest::newRow("lone s") << "s" << 19;
    QTest::newRow("s before a non-row") << "sW-37" << 19;
}

void TestGlobal::row()
{
    QFETCH(QString, name);
    QFETCH(int, row);
    QCOMPARE(int(Global::getRow(name)), row);
}

void TestGlobal::column_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<int>("col");
    QTest::newRow("dash mask") << "N-37-001" << kDash << 37;
    QTest::newRow("no-dash mask") << "N37-001" << kNoDash << 37;
    QTest::newRow("wrong mask for name") << "N-37-001" << kNoDash << -1;
    QTest::newRow("letter in column") << "N-3X-001" << kDash << -1;
    QTest::newRow("zero") << "N-00-001" << kDash << 0;
    QTest::newRow("sixty-one") << "N-61-001" << kDash << 61;
    QTest::newRow("unknown mask") << "N-37-001" << " " << -1;
    QTest::newRow("one digit left") << "N-3" << kDash << 3;
    QTest::newRow("nothing left") << "N-" << kDash << -1;
    QTest::newRow("empty name") << "" << kNoDash << -1;
    QTest::newRow("other digits") << QStringLiteral("N-\u0663\u0667-001") << kDash << -1;
    QTest::newRow("southern dash") << "sK-37-001" << kDash << 37;
    QTest::newRow("southern no dash") << "sK37-001" << kNoDash << 37;
}

void TestGlobal::column()
{
    QFETCH(QString, name);
    QFETCH(QString, mask);
    QFETCH(int, col);
    QCOMPARE(int(Global::getColumn(name, mask)), col);
}

void TestGlobal::listCount_data()
{
    QTest::addColumn<int>("scale");
    QTest::addColumn<int>("count");
    QTest::newRow("1:25K") << 25 << 144;
    QTest::newRow("1:50K") << 50 << 144;
    QTest::newRow("1:100K") << 100 << 144;
    QTest::newRow("1:200K") << 200 << 36;
    QTest::newRow("1:500K") << 500 << 4;
    QTest::newRow("1:1M") << 1000 << 0;
    QTest::newRow("zero") << 0 << 0;
    QTest::newRow("other") << 5 << 0;
    QTest::newRow("negative") << -100 << 0;
}

void TestGlobal::listCount()
{
    QFETCH(int, scale);
    QFETCH(int, count);
    QCOMPARE(int(Global::getListCount(scale)), count);
}

void TestGlobal::listNum_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("scale");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<int>("list");
    QTest::newRow("100K first") << "N-37-001" << 100 << kDash << 1;
    QTest::newRow("100K last") << "N-37-144" << 100 << kDash << 144;
    QTest::newRow("100K no dash") << "N37-012" << 100 << kNoDash << 12;
    QTest::newRow("100K with extension") << "N-37-145.jpg" << 100 << kDash << 145;
    QTest::newRow("100K short name") << "N-37-1" << 100 << kDash << 1;
    QTest::newRow("100K nothing taken") << "N-37-" << 100 << kDash << -1;
    QTest::newRow("100K letter inside") << "N-37-0A1" << 100 << kDash << -1;
    QTest::newRow("200K") << "N-37-12" << 200 << kDash << 12;
    QTest::newRow("200K of a 100K name") << "N-37-012" << 200 << kDash << 1;
    QTest::newRow("50K") << QStringLiteral("N-37-001-А") << 50 << kDash << 1;
    QTest::newRow("25K") << QStringLiteral("N-37-010-А-б") << 25 << kDash << 10;
    QTest::newRow("500K Cyrillic") << QStringLiteral("N-37-Б") << 500 << kDash << 2;
    QTest::newRow("500K lower Cyrillic") << QStringLiteral("N-37-б") << 500 << kDash << 2;
    QTest::newRow("500K digit") << "N-37-2" << 500 << kDash << 2;
    QTest::newRow("500K Latin C") << "N37-C" << 500 << kNoDash << 3;
    QTest::newRow("500K not a letter") << "N-37-X" << 500 << kDash << -1;
    QTest::newRow("500K nothing taken") << "N-37" << 500 << kDash << -1;
    QTest::newRow("1M") << "N-37" << 1000 << kDash << 1;
    QTest::newRow("1M any mask") << "N-37" << 1000 << " " << 1;
    QTest::newRow("unknown mask") << "N-37-001" << 100 << " " << -1;
    QTest::newRow("unknown mask 500K") << "N-37-1" << 500 << " " << -1;
    QTest::newRow("unknown scale") << "N-37-001" << 300 << kDash << 0;
    QTest::newRow("scale zero") << "N-37-001" << 0 << kDash << 0;
    QTest::newRow("southern 100K") << "sK-37-001" << 100 << kDash << 1;
    QTest::newRow("southern no dash") << "sK37-002" << 100 << kNoDash << 2;
    QTest::newRow("southern 200K") << "sK-37-12" << 200 << kDash << 12;
}

void TestGlobal::listNum()
{
    QFETCH(QString, name);
    QFETCH(int, scale);
    QFETCH(QString, mask);
    QFETCH(int, list);
    QCOMPARE(int(Global::getListNum(name, scale, mask)), list);
}

void TestGlobal::letters_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<int>("l50");
    QTest::addColumn<int>("l25");
    QTest::newRow("Cyrillic") << QStringLiteral("N-37-001-А-а") << kDash << 1 << 1;
    QTest::newRow("Latin no dash") << "N37-001-B-G" << kNoDash << 2 << 4;
    QTest::newRow("Cyrillic 3 4") << QStringLiteral("N-37-001-В-г") << kDash << 3 << 4;
    QTest::newRow("V and D") << "N-37-001-V-D" << kDash << 3 << 4;
    QTest::newRow("C and digit") << "N-37-001-c-3" << kDash << 3 << 3;
    QTest::newRow("D is no Cyrillic letter") << QStringLiteral("N-37-001-Д-А") << kDash << -1 << 1;
    QTest::newRow("no letters") << "N-37-001" << kDash << -1 << -1;
    QTest::newRow("wrong mask shifts") << QStringLiteral("N-37-001-А-а") << kNoDash << -1 << -1;
    QTest::newRow("unknown mask") << QStringLiteral("N-37-001-А-а") << " " << -1 << -1;
    QTest::newRow("southern") << QStringLiteral("sK-37-001-Б-в") << kDash << 2 << 3;
    QTest::newRow("southern no dash") << "sK37-001-4-1" << kNoDash << 4 << 1;
}

void TestGlobal::letters()
{
    QFETCH(QString, name);
    QFETCH(QString, mask);
    QFETCH(int, l50);
    QFETCH(int, l25);
    // The scale passed by the callers does not change the letters.
    for (int scale : {25, 50, 100}) {
        QCOMPARE(int(Global::getLetter50K(name, scale, mask)), l50);
        QCOMPARE(int(Global::getLetter25K(name, scale, mask)), l25);
    }
}

void TestGlobal::letterIndex_data()
{
    QTest::addColumn<QString>("ch");
    QTest::addColumn<int>("index");
    const struct {
        const char16_t *chars;
        int index;
    } table[] = {
        {u"AaАа1", 1},
        {u"БбBb2", 2},
        {u"ВвVvCc3", 3},
        {u"ГгGg4Dd", 4},
        {u"EeДд05 -ЁW", -1},
    };
    for (const auto &t : table) {
        const QString chars = QString::fromUtf16(t.chars);
        for (QChar c : chars)
            QTest::addRow("U+%04X", unsigned(c.unicode())) << QString(c) << t.index;
    }
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("two characters") << "AB" << -1;
}

void TestGlobal::letterIndex()
{
    QFETCH(QString, ch);
    QFETCH(int, index);
    QCOMPARE(int(Global::letterIndex(ch)), index);
}

void TestGlobal::hemisphere_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("hemisphere");
    QTest::addColumn<QString>("stripped");
    QTest::newRow("southern") << "sK-37-001" << "S" << "K-37-001";
    QTest::newRow("southern lower row") << "sk-37" << "S" << "k-37";
    QTest::newRow("upper S") << "SK-37-001" << "N" << "SK-37-001";
    QTest::newRow("s before W") << "sW-37" << "N" << "sW-37";
    QTest::newRow("s before digit") << "s1-37" << "N" << "s1-37";
    QTest::newRow("s before Cyrillic A") << QStringLiteral("sА-37") << "N" << QStringLiteral("sА-37");
    QTest::newRow("lone s") << "s" << "N" << "s";
    QTest::newRow("northern") << "N-37" << "N" << "N-37";
    QTest::newRow("empty") << "" << "N" << "";
}

void TestGlobal::hemisphere()
{
    QFETCH(QString, name);
    QFETCH(QString, hemisphere);
    QFETCH(QString, stripped);
    QCOMPARE(Global::getHemisphere(name), hemisphere);
    QCOMPARE(Global::withoutHemisphere(name), stripped);
}

void TestGlobal::pattern_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("pattern");
    QTest::newRow("25K with extension") << QStringLiteral("N-37-001-А-а.jpg") << "L-NN-NNN-L-L?LLL";
    QTest::newRow("underscore, W and x") << "W_1x" << "?-N?";
    QTest::newRow("Cyrillic D and blank") << QStringLiteral("Д 1") << "??N";
    QTest::newRow("sharp s") << QStringLiteral("\u00df") << "?";
    QTest::newRow("empty") << "" << "";
}

void TestGlobal::pattern()
{
    QFETCH(QString, name);
    QFETCH(QString, pattern);
    QCOMPARE(Global::pattern(name), pattern);
}

void TestGlobal::charClasses_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("digits");
    QTest::addColumn<bool>("separators");
    QTest::addColumn<bool>("letters");
    QTest::newRow("empty") << "" << true << true << true;
    QTest::newRow("digits") << "0123456789" << true << false << false;
    QTest::newRow("other digits") << QStringLiteral("\u0661\u0662") << false << false << false;
    QTest::newRow("separators") << "-_-" << false << true << false;
    QTest::newRow("blank") << "- " << false << false << false;
    QTest::newRow("letters") << QStringLiteral("abcVАбвг") << false << false << true;
    QTest::newRow("W") << "W" << false << false << false;
    QTest::newRow("Cyrillic D") << QStringLiteral("Д") << false << false << false;
    QTest::newRow("mixed") << "1a" << false << false << false;
}

void TestGlobal::charClasses()
{
    QFETCH(QString, text);
    QFETCH(bool, digits);
    QFETCH(bool, separators);
    QFETCH(bool, letters);
    QCOMPARE(Global::isAllDigits(text), digits);
    QCOMPARE(Global::isAllSeparators(text), separators);
    QCOMPARE(Global::isAllLetters(text), letters);
}

void TestGlobal::scaleAndMask_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("scale");
    QTest::addColumn<QString>("mask");
    QTest::newRow("25K Cyrillic") << QStringLiteral("N-37-001-А-а.jpg") << "1:25K" << kDash;
    QTest::newRow("25K Latin no dash") << "N37-001-B-G" << "1:25K" << kNoDash;
    QTest::newRow("25K digits") << "N-37-001-1-2" << "1:25K" << kDash;
    QTest::newRow("50K") << QStringLiteral("N-37-001-А") << "1:50K" << kDash;
    QTest::newRow("mixed falls to 50K") << QStringLiteral("N-37-001-А-1") << "1:50K" << kDash;
    QTest::newRow("50K digit no dash") << "N37-001-2.tif" << "1:50K" << kNoDash;
    QTest::newRow("100K") << "N-37-012" << "1:100K" << kDash;
    QTest::newRow("100K underscores") << "N_37_001" << "1:100K" << kDash;
    QTest::newRow("100K lower row") << "n-37-001.jpg" << "1:100K" << kDash;
    QTest::newRow("200K") << "N-37-12" << "1:200K" << kDash;
    QTest::newRow("200K with extension") << "N-37-12.jpg" << "1:200K" << kDash;
    QTest::newRow("500K Cyrillic") << QStringLiteral("N-37-Б") << "1:500K" << kDash;
    QTest::newRow("500K digit") << "N-37-2" << "1:500K" << kDash;
    QTest::newRow("500K no dash") << QStringLiteral("N37-Б") << "1:500K" << kNoDash;
    QTest::newRow("1M") << "N-37" << "1:1M" << kDash;
    QTest::newRow("1M no dash") << "N37" << "1:1M" << kNoDash;
    QTest::newRow("1M with extension") << "N-37.jpg" << "1:1M" << kDash;
    QTest::newRow("W is no letter") << "W-37-001" << " " << " ";
    QTest::newRow("southern") << "sK-37-001" << "1:100K" << kDash;
    QTest::newRow("southern no dash") << "sK37-001" << "1:100K" << kNoDash;
    QTest::newRow("upper S not shifted") << "SK-37-001" << " " << " ";
    QTest::newRow("one column digit") << "N-3" << " " << " ";
    QTest::newRow("no row") << "37-001" << " " << " ";
    QTest::newRow("empty") << "" << " " << " ";
}

void TestGlobal::scaleAndMask()
{
    QFETCH(QString, name);
    QFETCH(QString, scale);
    QFETCH(QString, mask);
    QCOMPARE(Global::getScaleByName(name), scale);
    QCOMPARE(Global::getMaskByName(name), mask);
}

void TestGlobal::scaleTexts_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("scale");
    QTest::addColumn<bool>("known");
    QTest::newRow("1M") << "1:1M" << 1000 << true;
    QTest::newRow("500K") << "1:500K" << 500 << true;
    QTest::newRow("200K") << "1:200K" << 200 << true;
    QTest::newRow("100K") << "1:100K" << 100 << true;
    QTest::newRow("50K") << "1:50K" << 50 << true;
    QTest::newRow("25K") << "1:25K" << 25 << true;
    QTest::newRow("lower k") << "1:100k" << 0 << false;
    QTest::newRow("5K") << "1:5K" << 0 << false;
    QTest::newRow("blank") << " " << 0 << false;
    QTest::newRow("empty") << "" << 0 << false;
}

void TestGlobal::scaleTexts()
{
    QFETCH(QString, text);
    QFETCH(int, scale);
    QFETCH(bool, known);
    QCOMPARE(Global::scaleFromText(text), scale);
    QCOMPARE(Global::scaleText(scale), known ? text : QStringLiteral(" "));
    if (!known) {
        for (int other : {0, 5, -25, 2000})
            QCOMPARE(Global::scaleText(other), QStringLiteral(" "));
    }
}

// A whole name read the way the callers read it: scale and mask from the name,
// then row, column, list and letters under them.
void TestGlobal::wholeName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("list");
    QTest::addColumn<int>("l50");
    QTest::addColumn<int>("l25");
    QTest::newRow("25K Cyrillic") << QStringLiteral("N-37-001-А-а.jpg") << 14 << 37 << 1 << 1 << 1;
    QTest::newRow("25K Latin") << "N37-001-B-G" << 14 << 37 << 1 << 2 << 4;
    QTest::newRow("50K") << QStringLiteral("M-36-144-Г") << 13 << 36 << 144 << 4 << -1;
    QTest::newRow("200K") << "N-37-12" << 14 << 37 << 12 << -1 << -1;
    QTest::newRow("500K") << QStringLiteral("N-37-Б") << 14 << 37 << 2 << -1 << -1;
    QTest::newRow("1M") << "N37" << 14 << 37 << 1 << -1 << -1;
    QTest::newRow("southern 100K") << "sK-37-001" << 11 << 37 << 1 << -1 << -1;
    QTest::newRow("southern 100K no dash") << "sK37-001" << 11 << 37 << 1 << -1 << -1;
    QTest::newRow("southern 25K") << QStringLiteral("sA-01-144-В-Г.png") << 1 << 1 << 144 << 3 << 4;
}

void TestGlobal::wholeName()
{
    QFETCH(QString, name);
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(int, list);
    QFETCH(int, l50);
    QFETCH(int, l25);
    const int scale = Global::scaleFromText(Global::getScaleByName(name));
    const QString mask = Global::getMaskByName(name);
    QVERIFY(scale > 0);
    QCOMPARE(int(Global::getRow(name)), row);
    QCOMPARE(int(Global::getColumn(name, mask)), col);
    QCOMPARE(int(Global::getListNum(name, scale, mask)), list);
    QCOMPARE(int(Global::getLetter50K(name, scale, mask)), l50);
    QCOMPARE(int(Global::getLetter25K(name, scale, mask)), l25);
}

QTEST_GUILESS_MAIN(TestGlobal)
#include "tst_global.moc"
