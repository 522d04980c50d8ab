// orv-cli: the transfer engine without a window, for scripted backups.
#include <QCoreApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/Commands.h"
#include "core/Catalogue.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    orv::LoadModelNames();
    std::vector<std::string> args(argv + 1, argv + argc);
    return orv::cli::Run(args);
}
