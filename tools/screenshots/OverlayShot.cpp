#include "OverlayShot.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <cstdio>
#include <string>

#include "app/ORVApp.h"
#include "documents/ORVDoc.h"
#include "frame/MainFrm.h"
#include "overlay/OverlayFile.h"

namespace {

constexpr uint32_t kPelliro = 32772;

void Settle(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

}  // namespace

bool ShootOverlayEditor(orv::CORVApp& app, const QString& workFolder, const QString& outFolder,
                        const std::function<bool(QWidget*, const QString&)>& save) {
    const std::pair<int, const char*> keys[] = {
        {0, "Hello!"},
        {1, "Yes"},
        {2, "No"},
        {3, "Thank you"},
        {4, "Please"},
        {7, "Help me, please"},
        {8, "I would like\ra drink"},
        {9, "Good morning"},
        {10, "Good night"},
        {16, "Call my\rcarer"},
        {17, "I am tired"},
        {24, "My name is Sam"},
        {31, "Goodbye"},
    };
    orv::OverlayCells cells;
    for (const auto& [k, text] : keys) {
        std::string s(text);
        std::copy(s.begin(), s.end(), cells.Cell(k).begin());
    }
    QString path = QDir(workFolder).filePath(QStringLiteral("Sam's keys.ORV"));
    std::FILE* f = std::fopen(path.toLocal8Bit().constData(), "wb");
    if (!f) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    for (int k = 0; k < orv::OverlayCellCount; ++k) {
        std::string record = orv::FormatOverlayRecord(cells, k);
        std::fwrite(record.data(), 1, record.size(), f);
    }
    std::fclose(f);

    app.OnSelectDevice(kPelliro);
    if (!app.Document().OpenOverlay(path)) {
        std::fprintf(stderr, "the sample overlay did not open\n");
        return false;
    }
    Settle(300);
    return save(app.MainFrame(), QDir(outFolder).filePath(QStringLiteral("overlay-editor.png")));
}
