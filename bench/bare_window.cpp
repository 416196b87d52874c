// The floor the game is measured against: an empty Qt main window of the game's size.
#include <QApplication>
#include <QMainWindow>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare"));
    window.resize(350, 385);
    window.move(236, 109);
    window.show();
    return app.exec();
}
