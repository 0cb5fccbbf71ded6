// The yardstick for start-up: the smallest Qt Widgets program with a window,
// empty, or with one line of text ("--text"), which makes it load fonts as
// any window that shows text must.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("minimal"));
    window.resize(581, 576);
    if (app.arguments().contains(QStringLiteral("--text")))
        window.setCentralWidget(new QLabel(QStringLiteral("Welcome Pinlex"), &window));
    window.show();
    return QApplication::exec();
}
