#include "ui/MainWindow.h"
#include "ui/Screenshots.h"
#include "ui/Translations.h"

#include <QApplication>
#include <QStringList>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quillmark"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quillmark"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLMARK_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("quillmark"));

    // A hidden option for the documentation: --screenshots DIR saves a picture
    // of every window into DIR and ends; --language en|ru (default en) picks
    // the language of the pictures.
    const QStringList args = QApplication::arguments();
    const qsizetype at = args.indexOf(QStringLiteral("--screenshots"));
    if (at > 0 && at + 1 < args.size()) {
        const qsizetype lang = args.indexOf(QStringLiteral("--language"));
        const QString language = lang > 0 && lang + 1 < args.size() ? args.at(lang + 1) : QStringLiteral("en");
        return Screenshots::saveAll(args.at(at + 1), language) == 0 ? 0 : 1;
    }

    // The language before the first window: its texts are translated as it is built.
    Translations::installChosen();

    MainWindow window;
    window.show();
    return app.exec();
}
