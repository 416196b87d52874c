// The floor the game is measured against: an empty Qt main window of the game's size. With
// --menu it also has the game's menu bar, the least text a real program shows, to tell what
// the first line of text costs (an empty window never starts the font machinery).
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("Bare"));
    if (app.arguments().contains(QStringLiteral("--menu"))) {
        window.menuBar()->addMenu(QStringLiteral("Game"))->addAction(QStringLiteral("New"));
        window.menuBar()->addMenu(QStringLiteral("Help"))->addAction(QStringLiteral("About..."));
    }
    window.resize(350, 385);
    window.move(236, 109);
    window.show();
    return app.exec();
}
