// The desktop program.
#include <QApplication>

#include "app/ORVApp.h"

int main(int argc, char* argv[]) {
    QApplication qtApp(argc, argv);
    orv::CORVApp app(QApplication::arguments().mid(1));
    int code = 0;
    if (app.InitInstance()) {
        code = QApplication::exec();
    }
    int exitCode = app.ExitInstance();
    return code != 0 ? code : exitCode;
}
