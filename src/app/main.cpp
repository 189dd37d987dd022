#include "czechqttexts.h"
#include "form1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vibraton"));
    QApplication::setApplicationVersion(QStringLiteral(VIBRATON_VERSION));
    // Lets the desktop match the window to its launcher and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(VIBRATON_APP_ID));
    installCzechQtTexts(app);
    Form1 window;
    window.show();
    return app.exec();
}
