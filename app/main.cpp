#include <QApplication>

#include "exit_routines.h"
#include "main_window.h"
#include "process_fetcher.h"

namespace {

RunState& processRunState() {
    static RunState state;
    return state;
}

void releaseMatchResults() {
    processRunState().matchResults.release();
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // Lets the desktop match the window to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("keyword-scout"));
    processRunState().matchResults.create();
    registerExitRoutine(releaseMatchResults);
    ProcessFetcher http;
    MainWindow window(processRunState(), http);
    window.show();
    return app.exec();
}
