#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QMargins>
#include <QWidget>

#include "analysis_launcher.h"
#include "analysis_run.h"
#include "result_list_model.h"

class PopupMenuPresenter;
class QMenu;
class UrlOpener;
class QPlainTextEdit;
class QPushButton;
class ResultListView;
class WindowAnalysisView;

// The desktop's services that the window uses; null: the real ones.
struct DesktopServices {
    UrlOpener* urlOpener = nullptr;
    PopupMenuPresenter* popupMenus = nullptr;
};

// The program's one window. Every handler runs on the main thread; the analysis run reaches the
// window only through WindowAnalysisView.
class MainWindow final : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize outerSize{828, 482};

    MainWindow(RunState& state, HttpFetcher& http, MarketplaceHosts hosts = {},
               DesktopServices desktop = {}, QWidget* parent = nullptr);
    ~MainWindow() override;

    ResultListModel& results() { return m_results; }
    bool runActive() const { return m_launcher.active(); }

    // Main-thread operations behind WindowAnalysisView.
    std::string keywordText() const;
    void appendResultRow(const std::string& title, const std::string& keyword,
                         const std::string& count);
    void setButtonEnabled(ActionButton button, bool enabled);
    void showRunMessage(const std::string& text, MessageIcon icon, std::function<void()> onClosed);
    void showProgress(int seedNumber, int seedCount, const std::string& seed);
    void endProgress();

protected:
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void connectHandlers();
    QPushButton* addButton(const char* name, const QString& caption, QRect geometry);
    void applyButtons(ButtonState state);
    void fitOuterSize();
    void centreOnScreen();

    void startAnalysis();
    void stopAnalysis();
    void clearResults();
    void openChatLink();
    void showRowMenu();

    RunState& m_state;
    HttpFetcher& m_http;
    MarketplaceHosts m_hosts;
    ResultListModel m_results;
    QMargins m_frameMargins{-1, -1, -1, -1};
    std::unique_ptr<UrlOpener> m_ownUrlOpener;
    std::unique_ptr<PopupMenuPresenter> m_ownPopupMenus;
    UrlOpener& m_urlOpener;
    PopupMenuPresenter& m_popupMenus;

    QPushButton* m_heading = nullptr;
    QPlainTextEdit* m_keywords = nullptr;
    QPushButton* m_stop = nullptr;
    QMenu* m_menu = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_clear = nullptr;
    QPushButton* m_import = nullptr;
    ResultListView* m_list = nullptr;

    std::unique_ptr<WindowAnalysisView> m_view;
    // Declared last, destroyed first: a run still going is joined while the view it writes to
    // still exists.
    AnalysisLauncher m_launcher;
};
