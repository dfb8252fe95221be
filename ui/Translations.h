#pragma once

#include <QCoreApplication>
#include <QLocale>
#include <QString>
#include <QStringList>

class QMenu;
class QWidget;

// The language of the desktop program: English, its own text, or Russian from
// the translation built into it. The choice is the setting "Language" ("en" or
// "ru") when it is stored, otherwise the system's language. The program's
// translator and Qt's own (for the texts of Qt's dialogs and buttons) are
// installed before the first window is built. The command line never loads
// them and stays English.
class Translations
{
    Q_DECLARE_TR_FUNCTIONS(Translations)
public:
    static constexpr const char *SettingKey = "Language";

    // The languages the program knows, the program's own first: "en", "ru".
    static QStringList languages();
    // The language for a stored setting (empty when none) and a system locale:
    // the stored one when it is known, else "ru" for a Russian locale, else "en".
    static QString languageFor(const QString &stored, const QLocale &system);
    // languageFor(the setting "Language", QLocale::system()).
    static QString chosenLanguage();

    // Installs the translators of `language` in place of those installed before
    // ("en" only removes them). False when the program's translation of a
    // language other than English cannot be loaded; the program is English then.
    // A missing translation of Qt's own texts is no failure.
    static bool install(const QString &language);
    // install(chosenLanguage()); called once at start, before any window.
    static bool installChosen();
    // The language installed last ("en" before any install).
    static QString current();

    // The resource path of the program's translation of `language`.
    static QString resourceFile(const QString &language);

    // Adds the "Language" submenu ("English", "Русский") to `help`. Choosing
    // one stores it; it takes effect at the next start, as a box says.
    static QMenu *addLanguageMenu(QMenu *help, QWidget *parent);
    // What choosing `language` in the menu does, the box apart: stores it and
    // gives the text that the box shows, in the chosen language.
    static QString choose(const QString &language);
};
