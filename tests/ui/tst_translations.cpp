// The desktop program in Russian, driven offscreen: the language chosen from the
// setting "Language" or the system locale, the Russian texts of the windows and
// of a core run's messages (and the English ones with "en"), the Language menu,
// and a walk over every window's texts that finds none left in English.
#include "settings/Settings.h"
#include "ui/AboutBox.h"
#include "ui/CornerEditor.h"
#include "ui/CornerMarkers.h"
#include "ui/FindSheet.h"
#include "ui/GetPath.h"
#include "ui/MainWindow.h"
#include "ui/MapCreator.h"
#include "ui/MapListCreator.h"
#include "ui/PathRemover.h"
#include "ui/SheetCheck.h"
#include "ui/Translations.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

namespace {

// Answers every message box with OK, from a timer, and keeps its text.
class BoxAnswerer : public QObject
{
public:
    QStringList texts;
    QStringList cancelButtons; // the Cancel button's text of each box that has one

    BoxAnswerer()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || box == m_last)
                return;
            m_last = box;
            texts.append(box->text());
            if (QAbstractButton *cancel = box->button(QMessageBox::Cancel))
                cancelButtons.append(cancel->text());
            QAbstractButton *ok = box->button(QMessageBox::Ok);
            if (ok)
                ok->click();
        });
        m_timer.start(10);
    }

private:
    QTimer m_timer;
    QPointer<QMessageBox> m_last;
};

QAction *findAction(const QList<QAction *> &actions, const QString &objectName)
{
    for (QAction *a : actions) {
        if (a->objectName() == objectName)
            return a;
    }
    return nullptr;
}

// The texts a user reads in a window: captions, button and label texts, group
// titles, tab names, menu and action texts, tool tips and placeholders, in the
// window's own order, each with where it comes from.
QList<QPair<QString, QString>> shownTexts(QWidget *window)
{
    QList<QPair<QString, QString>> out;
    const QString name = window->objectName();
    auto add = [&](const QString &where, const QString &text) {
        if (!text.isEmpty())
            out.append({name + QLatin1Char('/') + where, text});
    };
    add(QStringLiteral("caption"), window->windowTitle());
    QList<QWidget *> widgets{window};
    widgets += window->findChildren<QWidget *>();
    for (QWidget *w : widgets) {
        const QString id = QString::fromLatin1(w->metaObject()->className()) + QLatin1Char(':') + w->objectName();
        add(id + QStringLiteral(" tip"), w->toolTip());
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            add(id, b->text());
        else if (auto *l = qobject_cast<QLabel *>(w))
            add(id, l->text());
        else if (auto *g = qobject_cast<QGroupBox *>(w))
            add(id, g->title());
        else if (auto *e = qobject_cast<QLineEdit *>(w))
            add(id + QStringLiteral(" placeholder"), e->placeholderText());
        else if (auto *t = qobject_cast<QTabWidget *>(w)) {
            for (int i = 0; i < t->count(); ++i)
                add(id + QStringLiteral(" tab"), t->tabText(i));
        }
        for (QAction *a : w->actions()) {
            add(QStringLiteral("action:") + a->objectName(), a->text());
            add(QStringLiteral("action:") + a->objectName() + QStringLiteral(" tip"),
                QString(a->toolTip()).remove(QLatin1Char('&')) == QString(a->text()).remove(QLatin1Char('&')) ? QString()
                                                                                               : a->toolTip());
        }
    }
    return out;
}

// Texts that are the same in every language: the program's name, the two
// language names, the map creator's designer caption, numbers, scales, masks,
// code pages, file patterns, paths and key shortcuts.
bool sameInEveryLanguage(const QString &text)
{
    static const QStringList fixed{QStringLiteral("Quillmark"), QStringLiteral("English"),
                                   QString::fromUtf8("Русский"), QStringLiteral("Form1"),
                                   QStringLiteral("OK"), QStringLiteral("Windows-1251"), QStringLiteral("UTF-8")};
    if (fixed.contains(text))
        return true;
    // No word of two or more Latin letters outside file masks, paths and scales.
    QString words = text;
    words.remove(QRegularExpression(QStringLiteral("Ctrl\\+\\S+|\\*\\.[A-Za-z0-9]+|[/\\\\][^\\s]*|1:\\d+[KM]?|[A-Z]+-[A-Z]+-[A-Z]+")));
    return !words.contains(QRegularExpression(QStringLiteral("[A-Za-z]{2,}")));
}

// Every window of the program, built one after another in the language installed now.
QList<QPair<QString, QString>> allWindowTexts(const QString &folder)
{
    QList<QPair<QString, QString>> texts;
    MainWindow main;
    texts += shownTexts(&main);
    for (QMenu *menu : main.findChildren<QMenu *>()) {
        texts.append({QStringLiteral("menu:") + menu->objectName(), menu->title()});
        for (QAction *a : menu->actions())
            texts.append({QStringLiteral("menu item:") + a->objectName(), a->text()});
    }
    std::vector<std::unique_ptr<QWidget>> windows;
    windows.emplace_back(new MapCreator(&main));
    windows.emplace_back(new MapListCreator(&main));
    windows.emplace_back(new CornerMarkers(&main));
    windows.emplace_back(new PathRemover(&main));
    windows.emplace_back(new SheetCheck(&main));
    windows.emplace_back(new FindSheet(&main));
    windows.emplace_back(new AboutBox(&main));
    windows.emplace_back(new GetPath(QCoreApplication::translate("MapCreator", "Select directory with map images"),
                                     QStringLiteral("*.jpg;*.png"), folder, &main));
    windows.emplace_back(new CornerEditor({folder + QStringLiteral("/none.map")}, 0, SheetVerdict::Finder(), &main));
    for (const auto &w : windows)
        texts += shownTexts(w.get());
    return texts;
}

} // namespace

class TestTranslations : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_root;
    int m_caseNo = 0;

private slots:
    void init()
    {
        QVERIFY(m_root.isValid());
        Settings::setSettingsFile(m_root.filePath(QStringLiteral("settings%1.ini").arg(++m_caseNo)));
        Settings::setLastPath(m_root.path());
    }

    void cleanup()
    {
        Translations::install(QStringLiteral("en"));
    }

    void languageChosen_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("systemLocale");
        QTest::addColumn<QString>("expected");
        QTest::newRow("nothing stored, Russian system") << "" << "ru_RU" << "ru";
        QTest::newRow("nothing stored, Ukrainian system") << "" << "uk_UA" << "en";
        QTest::newRow("nothing stored, German system") << "" << "de_DE" << "en";
        QTest::newRow("English stored, Russian system") << "en" << "ru_RU" << "en";
        QTest::newRow("Russian stored, English system") << "ru" << "en_GB" << "ru";
        QTest::newRow("stored in capitals") << "RU" << "C" << "ru";
        QTest::newRow("unknown stored, Russian system") << "fr" << "ru_RU" << "ru";
    }
    void languageChosen()
    {
        QFETCH(QString, stored);
        QFETCH(QString, systemLocale);
        QFETCH(QString, expected);
        QCOMPARE(Translations::languageFor(stored, QLocale(systemLocale)), expected);
        if (!stored.isEmpty()) {
            Settings::WriteSetting(QStringLiteral("Language"), stored);
            if (stored.toLower() == expected)
                QCOMPARE(Translations::chosenLanguage(), expected);
        }
    }

    // The setting "Language" through the program's own start-up call, the main
    // window's menus, a tool window and the messages of a core run.
    void windowsInLanguage_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("utilityMenu");
        QTest::addColumn<QString>("mapCreatorItem");
        QTest::addColumn<QString>("generateButton");
        QTest::addColumn<QString>("skipBox");
        QTest::addColumn<QStringList>("runMessages");
        QTest::addColumn<QString>("cancelButton");
        QTest::newRow("ru") << "ru" << QString::fromUtf8("&Сервис") << QString::fromUtf8("Создание файлов привязки")
                            << QString::fromUtf8("Создать") << QString::fromUtf8("пропускать существующие")
                            << QStringList{QString::fromUtf8("X-37.png Неверный ряд листа 1:1M в имени изображения "),
                                           QString::fromUtf8("Ошибка в данных. Продолжить?"),
                                           QString::fromUtf8("Готово, файлов привязки: 1")}
                            << QString::fromUtf8("Отмена");
        QTest::newRow("en") << "en" << "&Utility" << "Map creator" << "Generate" << "skip if exists"
                            << QStringList{QStringLiteral("X-37.png Incorrect 1:1M map row in image name "),
                                           QStringLiteral("There is error in data. Continue?"),
                                           QStringLiteral("Done 1 map-files")}
                            << "Cancel";
    }
    void windowsInLanguage()
    {
        QFETCH(QString, language);
        QFETCH(QString, utilityMenu);
        QFETCH(QString, mapCreatorItem);
        QFETCH(QString, generateButton);
        QFETCH(QString, skipBox);
        QFETCH(QStringList, runMessages);
        QFETCH(QString, cancelButton);

        Settings::WriteSetting(QStringLiteral("Language"), language);
        QVERIFY(Translations::installChosen());
        QCOMPARE(Translations::current(), language);

        MainWindow main;
        main.show();
        QMenu *utility = main.findChild<QMenu *>(QStringLiteral("mnuUtility"));
        QVERIFY(utility);
        QCOMPARE(utility->title(), utilityMenu);
        QCOMPARE(QString(main.mapCreatorAction()->text()).remove(QLatin1Char('&')), mapCreatorItem);
        QMenu *languages = main.findChild<QMenu *>(QStringLiteral("mnuLanguage"));
        QVERIFY(languages);
        QAction *checked = nullptr;
        for (QAction *a : languages->actions()) {
            if (a->isChecked())
                checked = a;
        }
        QVERIFY(checked);
        QCOMPARE(checked->data().toString(), language);

        const QString in = m_root.filePath(QStringLiteral("in-") + language);
        QVERIFY(QDir().mkpath(in));
        QImage image(40, 30, QImage::Format_RGB32);
        image.fill(Qt::white);
        QVERIFY(image.save(in + QStringLiteral("/X-37.png"), "PNG"));

        main.mapCreatorAction()->trigger();
        auto *creator = main.findChild<MapCreator *>();
        QVERIFY(creator);
        QCOMPARE(creator->findChild<QPushButton *>(QStringLiteral("Command1"))->text(), generateButton);
        QCOMPARE(creator->findChild<QAbstractButton *>(QStringLiteral("chkSkip"))->text(), skipBox);
        creator->findChild<QLineEdit *>(QStringLiteral("txtPathIn"))->setText(in);
        creator->findChild<QLineEdit *>(QStringLiteral("txtPathOut"))->setText(in);

        QSignalSpy finished(creator, &ToolWindow::runFinished);
        BoxAnswerer answerer;
        creator->findChild<QPushButton *>(QStringLiteral("Command1"))->click();
        QTRY_VERIFY_WITH_TIMEOUT(finished.size() == 1, 30000);
        // The file's own message, the question, the count, in the order shown.
        QCOMPARE(answerer.texts, runMessages);
        // Qt's own buttons (from Qt's translations) in the same language.
        QCOMPARE(answerer.cancelButtons, QStringList{cancelButton});
        creator->close();
    }

    // Choosing a language in the Help menu stores it; the box that says it takes
    // effect at the next start speaks the chosen language.
    void languageMenuStoresChoice_data()
    {
        QTest::addColumn<QString>("running");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("boxText");
        QTest::newRow("English running, Russian chosen")
            << "en" << "ru" << QString::fromUtf8("Язык сменится при следующем запуске Quillmark.");
        QTest::newRow("Russian running, English chosen")
            << "ru" << "en" << "The language changes when Quillmark is started again.";
        QTest::newRow("the running one chosen") << "ru" << "ru" << QString();
    }
    void languageMenuStoresChoice()
    {
        QFETCH(QString, running);
        QFETCH(QString, chosen);
        QFETCH(QString, boxText);
        QVERIFY(Translations::install(running));
        MainWindow main;
        main.show();
        QMenu *languages = main.findChild<QMenu *>(QStringLiteral("mnuLanguage"));
        QVERIFY(languages);
        QStringList items;
        for (QAction *a : languages->actions())
            items.append(a->text());
        QCOMPARE(items, (QStringList{QStringLiteral("English"), QString::fromUtf8("Русский")}));
        QAction *item = findAction(languages->actions(), QStringLiteral("actLanguage_") + chosen);
        QVERIFY(item);

        BoxAnswerer answerer;
        item->trigger();
        if (!boxText.isEmpty())
            QTRY_COMPARE(answerer.texts, QStringList{boxText});
        QTest::qWait(50);
        QCOMPARE(answerer.texts, boxText.isEmpty() ? QStringList() : QStringList{boxText});
        QVERIFY(item->isChecked());
        QCOMPARE(Settings::ReadSetting(QStringLiteral("Language"), QString()), chosen);
        QCOMPARE(Translations::current(), running); // the windows keep their language until the next start
    }

    // With Russian loaded, no text of any window is left as its English source:
    // each text is compared with the same place of the same window in English.
    void noEnglishLeft()
    {
        QVERIFY(Translations::install(QStringLiteral("en")));
        const auto english = allWindowTexts(m_root.path());
        QVERIFY(Translations::install(QStringLiteral("ru")));
        const auto russian = allWindowTexts(m_root.path());
        QVERIFY(english.size() > 80);

        // Places are matched by name in their order (a window may hold an
        // entry in one language only, such as a menu bar's overflow button).
        QHash<QString, QStringList> englishAt;
        for (const auto &t : english)
            englishAt[t.first].append(t.second);
        QStringList untranslated;
        int translated = 0;
        QHash<QString, int> seen;
        for (const auto &t : russian) {
            const QStringList &sources = englishAt.value(t.first);
            const int n = seen[t.first]++;
            const QString en = n < sources.size() ? sources.at(n) : QString();
            if (t.second != en)
                ++translated;
            else if (!sameInEveryLanguage(en))
                untranslated.append(t.first + QStringLiteral(": ") + en);
        }
        if (!untranslated.isEmpty())
            qWarning("%s", qPrintable(untranslated.join(QLatin1Char('\n'))));
        QVERIFY(untranslated.isEmpty());
        QVERIFY(translated > 60);
    }

    // The translation built into the program loads from its resource and holds
    // every text the program asks for.
    void embeddedTranslation()
    {
        QTranslator translator;
        QVERIFY(translator.load(Translations::resourceFile(QStringLiteral("ru"))));
        QCOMPARE(translator.language(), QStringLiteral("ru"));
        QVERIFY(!Translations::install(QStringLiteral("de")));
        QCOMPARE(Translations::current(), QStringLiteral("en"));
    }
};

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
