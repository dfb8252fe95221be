#include "ui/MainWindow.h"
#include "ui/Screenshots.h"

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
    // of every window into DIR and ends.
    const QStringList args = QApplication::arguments();
    const qsizetype at = args.indexOf(QStringLiteral("--screenshots"));
    if (at > 0 && at + 1 < args.size())
        return Screenshots::saveAll(args.at(at + 1)) == 0 ? 0 : 1;

    MainWindow window;
    window.show();
    return app.exec();
}
