// Tearvello start-up: engine initialisation, application object, main window.
#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Tearvello"));
    QWidget window;
    window.setWindowTitle(QStringLiteral("Tearvello"));
    window.resize(312, 258);
    window.show();
    return app.exec();
}
