#include "main_window.h"

#include <QCloseEvent>
#include <QCursor>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QWindow>

#include "chat_link.h"
#include "column_sort.h"
#include "control_skin.h"
#include "exit_question.h"
#include "exit_routines.h"
#include "gbk_qstring.h"
#include "popup_menu.h"
#include "result_list_view.h"
#include "url_opener.h"
#include "window_analysis_view.h"

namespace {

QFont headingFont() {
    const QString face = QStringLiteral("华文琥珀");
    QFont font(QFontDatabase::hasFamily(face) ? face : QStringLiteral("Noto Sans CJK SC"));
    font.setPixelSize(16);
    font.setWeight(QFont::Normal);
    return font;
}

const QString title = QStringLiteral("关键字分析");

QMessageBox::Icon boxIcon(MessageIcon icon) {
    return icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Information;
}

template <typename Service, typename Real>
std::unique_ptr<Service> realUnlessGiven(Service* given) {
    return given ? nullptr : std::make_unique<Real>();
}

} // namespace

MainWindow::MainWindow(RunState& state, HttpFetcher& http, MarketplaceHosts hosts,
                       DesktopServices desktop, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      m_state(state), m_http(http), m_hosts(std::move(hosts)),
      m_ownUrlOpener(realUnlessGiven<UrlOpener, DesktopUrlOpener>(desktop.urlOpener)),
      m_ownPopupMenus(
          realUnlessGiven<PopupMenuPresenter, QtPopupMenuPresenter>(desktop.popupMenus)),
      m_urlOpener(desktop.urlOpener ? *desktop.urlOpener : *m_ownUrlOpener),
      m_popupMenus(desktop.popupMenus ? *desktop.popupMenus : *m_ownPopupMenus),
      m_view(std::make_unique<WindowAnalysisView>(*this)) {
    setWindowTitle(title);
    setFixedSize(outerSize);
    createControls();
    connectHandlers();
    setControlSkin(3);
}

MainWindow::~MainWindow() = default;

QPushButton* MainWindow::addButton(const char* name, const QString& caption, QRect geometry) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QString::fromUtf8(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    button->setEnabled(false);
    return button;
}

void MainWindow::createControls() {
    m_heading = addButton("按钮1", QStringLiteral("★★输入关键字 一行一个★★"), {0, 0, 232, 40});
    m_heading->setFont(headingFont());

    m_keywords = new QPlainTextEdit(this);
    m_keywords->setObjectName(QStringLiteral("关键字输入框"));
    m_keywords->setGeometry(0, 40, 232, 360);
    m_keywords->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_keywords->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_keywords->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_keywords->setTabChangesFocus(true);
    QPalette colours = m_keywords->palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    // The selection shows only while the box has the focus.
    colours.setColor(QPalette::Inactive, QPalette::Highlight, Qt::white);
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::black);
    m_keywords->setPalette(colours);
    m_keywords->installEventFilter(this);

    m_stop = addButton("按钮_停止分析", QStringLiteral("停止分析（&T）"), {585, 405, 110, 44});

    m_menu = new QMenu(QStringLiteral("菜单"), this);
    m_menu->setObjectName(QStringLiteral("菜单"));
    QAction* openShop = m_menu->addAction(QStringLiteral("打开此店铺地址"));
    openShop->setVisible(false);
    openShop->setEnabled(false);

    m_start = addButton("按钮_开始分析", QStringLiteral("开始分析（&K）"), {465, 404, 110, 44});
    m_clear = addButton("按钮_清空", QStringLiteral("清 空(&Q)"), {704, 404, 110, 44});
    m_import = addButton("按钮_导入商家", QStringLiteral("导入关键字（&D）"), {5, 404, 110, 44});
    m_import->hide();

    m_list = new ResultListView(m_results, this);
    m_list->setObjectName(QStringLiteral("超级列表框1"));
    m_list->setGeometry(240, 2, 578, 398);
}

void MainWindow::connectHandlers() {
    connect(m_keywords, &QPlainTextEdit::textChanged, this,
            [this] { applyButtons(ButtonsKeywordEdited); });
    connect(m_start, &QPushButton::clicked, this, &MainWindow::startAnalysis);
    connect(m_stop, &QPushButton::clicked, this, &MainWindow::stopAnalysis);
    connect(m_clear, &QPushButton::clicked, this, &MainWindow::clearResults);
    connect(m_list->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { sortByColumn(m_results, column); });
    connect(m_list, &ResultListView::listDoubleClicked, this, &MainWindow::openChatLink);
    connect(m_list, &ResultListView::listRightClicked, this, &MainWindow::showRowMenu);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

std::string MainWindow::keywordText() const {
    return toGbk(m_keywords->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
}

void MainWindow::appendResultRow(const std::string& title, const std::string& keyword,
                                 const std::string& count) {
    const int row = m_results.insertRow("0");
    m_results.setCellText(row, 0, title);
    m_results.setCellText(row, 2, keyword);
    m_results.setCellText(row, 3, count);
}

void MainWindow::setButtonEnabled(ActionButton button, bool enabled) {
    switch (button) {
    case ActionButton::Clear:
        m_clear->setEnabled(enabled);
        break;
    case ActionButton::Stop:
        m_stop->setEnabled(enabled);
        break;
    case ActionButton::Start:
        m_start->setEnabled(enabled);
        break;
    case ActionButton::Import:
        m_import->setEnabled(enabled);
        break;
    }
}

void MainWindow::applyButtons(ButtonState state) {
    for (const ButtonWrite& write : state)
        setButtonEnabled(write.button, write.enabled);
}

void MainWindow::showRunMessage(const std::string& text, MessageIcon icon,
                                std::function<void()> onClosed) {
    auto* box =
        new QMessageBox(boxIcon(icon), QStringLiteral("信息："), fromGbk(text), QMessageBox::Ok);
    box->setObjectName(QStringLiteral("runMessage"));
    box->setWindowModality(Qt::NonModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    connect(box, &QDialog::finished, box, [onClosed = std::move(onClosed)](int) { onClosed(); });
    box->show();
}

void MainWindow::showProgress(int seedNumber, int seedCount, const std::string& seed) {
    setWindowTitle(QStringLiteral("%1 - 正在分析 %2/%3：%4")
                       .arg(title)
                       .arg(seedNumber)
                       .arg(seedCount)
                       .arg(fromGbk(seed)));
}

void MainWindow::endProgress() {
    setWindowTitle(title);
}

void MainWindow::startAnalysis() {
    applyButtons(ButtonsRunning);
    m_launcher.start([this] { AnalysisRun(*m_view, m_http, m_state, m_hosts)(); });
}

void MainWindow::stopAnalysis() {
    m_state.stopRequested = 1;
    applyButtons(ButtonsStopped);
}

void MainWindow::clearResults() {
    applyButtons(ButtonsCleared);
    m_results.deleteAllRows();
}

void MainWindow::openChatLink() {
    const int row = m_results.selectedRow();
    if (row < 0)
        return;
    m_urlOpener.open(chatLink(m_results.cellText(row, 2)));
}

void MainWindow::showRowMenu() {
    std::vector<MenuEntry> entries;
    for (const QAction* action : m_menu->actions())
        if (action->isVisible())
            entries.push_back({action->text(), !action->isEnabled(), action->isChecked()});
    m_popupMenus.track(entries, QCursor::pos() + QPoint(3, 3), this);
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    fitOuterSize();
    centreOnScreen();
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    // A window manager may add its frame only after the window is shown.
    if (windowHandle() && windowHandle()->frameMargins() != m_frameMargins) {
        fitOuterSize();
        centreOnScreen();
    }
}

void MainWindow::fitOuterSize() {
    m_frameMargins = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    setFixedSize(outerSize.width() - m_frameMargins.left() - m_frameMargins.right(),
                 outerSize.height() - m_frameMargins.top() - m_frameMargins.bottom());
}

void MainWindow::centreOnScreen() {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    // Integer division drops the fraction toward zero, also for a screen smaller than the window.
    move(screen.x() + (screen.width() - outerSize.width()) / 2,
         screen.y() + (screen.height() - outerSize.height()) / 2);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // Alt with a letter is an access key or nothing: an access key of a disabled or hidden
    // button must not type its letter into the keyword box instead.
    if (watched == m_keywords && event->type() == QEvent::KeyPress) {
        const Qt::KeyboardModifiers modifiers = static_cast<QKeyEvent*>(event)->modifiers();
        return (modifiers & Qt::AltModifier) && !(modifiers & Qt::ControlModifier);
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (confirmExit())
        endProgram(0);
    event->ignore();
}
