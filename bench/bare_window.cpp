// The yardstick for start-up time and memory: the least a Qt Widgets program can do to put a
// window of the main window's client size on screen, built with the same flags as vibraton.
#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.resize(584, 435);
    window.show();
    return app.exec();
}
