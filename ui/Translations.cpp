#include "ui/Translations.h"

#include "settings/Settings.h"
#include "ui/ToolWindow.h"

#include <QAction>
#include <QActionGroup>
#include <QLibraryInfo>
#include <QMenu>
#include <QMessageBox>
#include <QTranslator>
#include <QWidget>

namespace {

const QString kEnglish = QStringLiteral("en");
const QString kRussian = QStringLiteral("ru");

// The translators installed now; owned by the application object.
QTranslator *g_program = nullptr;
QTranslator *g_qt = nullptr;
QString g_current = kEnglish;

void removeTranslators()
{
    for (QTranslator **t : {&g_program, &g_qt}) {
        if (*t) {
            QCoreApplication::removeTranslator(*t);
            delete *t;
            *t = nullptr;
        }
    }
}

// The name of a language in that language: the menu shows each so that a
// reader of either finds their own.
QString nativeName(const QString &language)
{
    return language == kRussian ? QString::fromUtf8("Русский") : QStringLiteral("English");
}

} // namespace

QStringList Translations::languages()
{
    return {kEnglish, kRussian};
}

QString Translations::languageFor(const QString &stored, const QLocale &system)
{
    const QString wanted = stored.trimmed().toLower();
    if (languages().contains(wanted))
        return wanted;
    return system.language() == QLocale::Russian ? kRussian : kEnglish;
}

QString Translations::chosenLanguage()
{
    return languageFor(Settings::ReadSetting(QLatin1String(SettingKey), QString()), QLocale::system());
}

QString Translations::resourceFile(const QString &language)
{
    return QStringLiteral(":/i18n/quillmark_%1.qm").arg(language);
}

bool Translations::install(const QString &language)
{
    removeTranslators();
    g_current = kEnglish;
    if (language == kEnglish || !languages().contains(language))
        return language == kEnglish;

    auto *program = new QTranslator(QCoreApplication::instance());
    if (!program->load(resourceFile(language))) {
        delete program;
        return false;
    }
    QCoreApplication::installTranslator(program);
    g_program = program;

    // Qt's own texts (the buttons of message boxes, the context menus of text
    // boxes) from the translations that come with Qt, when they are there.
    auto *qt = new QTranslator(QCoreApplication::instance());
    if (qt->load(QStringLiteral("qtbase_") + language, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(qt);
        g_qt = qt;
    } else {
        delete qt;
    }
    g_current = language;
    return true;
}

bool Translations::installChosen()
{
    return install(chosenLanguage());
}

QString Translations::current()
{
    return g_current;
}

QString Translations::choose(const QString &language)
{
    Settings::WriteSetting(QLatin1String(SettingKey), language);
    // The box speaks the language chosen, which may not be the one running.
    const char *const text = QT_TR_NOOP("The language changes when Quillmark is started again.");
    if (language != kEnglish) {
        QTranslator chosen;
        if (chosen.load(resourceFile(language))) {
            const QString translated = chosen.translate("Translations", text);
            if (!translated.isEmpty())
                return translated;
        }
    }
    return QString::fromUtf8(text);
}

QMenu *Translations::addLanguageMenu(QMenu *help, QWidget *parent)
{
    QMenu *menu = help->addMenu(tr("Language"));
    menu->setObjectName(QStringLiteral("mnuLanguage"));
    auto *group = new QActionGroup(menu);
    group->setExclusive(true);
    const QString running = current();
    for (const QString &language : languages()) {
        QAction *action = menu->addAction(nativeName(language));
        action->setObjectName(QStringLiteral("actLanguage_") + language);
        action->setData(language);
        action->setCheckable(true);
        action->setChecked(language == running);
        group->addAction(action);
        QObject::connect(action, &QAction::triggered, menu, [parent, language, running] {
            const QString text = choose(language);
            if (language != running)
                QMessageBox::information(parent, ToolWindow::applicationCaption(), text);
        });
    }
    return menu;
}
