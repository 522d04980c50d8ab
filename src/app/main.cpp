#include <QApplication>
#include <QMainWindow>

#include "core/Catalogue.h"
#include "core/Globals.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    orv::LoadModelNames();
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("ORV"));
    window.show();
    return app.exec();
}
