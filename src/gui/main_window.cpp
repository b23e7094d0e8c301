// SPDX-License-Identifier: GPL-3.0-or-later
// The window's frame: construction, the engine's Host, start-up, closing and the window
// events (show, resize, drag and drop).
#include "gui/main_window.h"

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QSplitter>
#include <QTextEdit>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "gui/log_pane.h"
#include "gui/logo.h"
#include "gui/page_control.h"
#include "gui/settings_store.h"
#include "gui/status_line.h"
#include "gui/tracks_page.h"
#include "gui/vti_page.h"
#include "gui/window_geometry.h"
#include "quarnel_version.h"
#include "report/message_log.h"

namespace quarnel {
namespace {

// A page whose controls keep their size: on a window smaller than they need it scrolls.
QScrollArea* scrolling(QWidget* page) {
    auto* area = new QScrollArea;
    area->setObjectName(page->objectName() + QStringLiteral("Scroll"));
    area->setWidget(page);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    return area;
}

constexpr const char* kReadyText = " Ready";
constexpr const char* kStartHint = " Select or drop an EVO file to demux";
constexpr int kNarrowWindow = 432;  // up to this width the logo keeps a fixed place
constexpr int kNarrowLogoLeft = 153;
constexpr int kHalfLogo = 63;
// How long the window waits for the desktop to report its frame: 20 times 50 ms.
constexpr int kFrameTries = 20;
constexpr int kFrameWaitMs = 50;

}  // namespace

MainWindow::MainWindow(QStringList arguments, QWidget* parent)
    : QMainWindow(parent), arguments_(std::move(arguments)) {
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QStringLiteral("Quarnel"));
    setWindowIcon(paintIcon());
    // The window uses the desktop's font; only the log pane has its own small one.

    auto* central = new QWidget(this);
    auto* v = new QVBoxLayout(central);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    v->addWidget(buildSourceRows());
    PageControl_ = new PageControl(central);
    PageControl_->addTab(buildStatusPage(), QStringLiteral("Status"));
    PageControl_->addTab(scrolling(buildVideoPage()), QStringLiteral("Video/Audio"));
    PageControl_->addTab(scrolling(buildSubpicturePage()), QStringLiteral("Subpicture"));
    tracksPage_ = new TracksPage(PageControl_);
    PageControl_->addTab(tracksPage_, QStringLiteral("Tracks"));
    PageControl_->addTab(buildXplPage(), QStringLiteral("XPL"));
    vtiPage_ = new VtiPage(PageControl_);
    PageControl_->addTab(vtiPage_, QStringLiteral("VTI"));  // it scrolls its own grids
    PageControl_->addTab(scrolling(buildOptionsPage()), QStringLiteral("Options"));
    PageControl_->addTab(scrolling(buildAboutPage()), QStringLiteral("About"));
    auto* pages = new QWidget(central);
    auto* pv = new QVBoxLayout(pages);
    pv->setContentsMargins(4, 2, 4, 2);
    pv->addWidget(PageControl_);
    v->addWidget(pages, 1);
    setCentralWidget(central);
    StatusBar_ = new StatusLine(this);
    setStatusBar(StatusBar_);
    StatusBar_->setPanel(0, QLatin1String(kReadyText));
    StatusBar_->setPanel(1, QLatin1String(kStartHint));

    connectControls();
    buildMenuBar();
    // The smallest outer size (661 x 375) is the default client area within a window frame; the
    // menu bar comes on top of it, so that the pages keep their room.
    fitMinimumToScreen();
    resize(defaultClientSize());
    model_.sourceChanged();  // no source yet: the playlist field shows the playlist's usual name
    pushOptions();
    pushState();
}

MainWindow::~MainWindow() {
    // The fields lose the focus as the widgets go, after the model: nothing may take their text.
    for (QLineEdit* field : {eEVOfile_, eXPLfile_}) field->disconnect(this);
}

// --- Host ---

void MainWindow::appendLog(std::string_view, const LogLine& line) {
    appendStyledLine(*reMessage_, line);
}

void MainWindow::clearLog() {
    reMessage_->clear();
}

void MainWindow::setStatus(int panel, const std::string& text) {
    StatusBar_->setPanel(panel, QString::fromStdString(text));
}

void MainWindow::setProgress(uint64_t done, uint64_t total) {
    StatusBar_->setProgress(done, total);
    taskbar_.set(done, total);
}

void MainWindow::pumpEvents() {
    pushState();  // the run's own button changes (Cancel enabled) show before events are served
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (closed_) model_.run.cancel = true;
}

bool MainWindow::askYesNo(const std::string& question) {
    return QMessageBox::question(this, QStringLiteral("Quarnel"), QString::fromStdString(question),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

size_t MainWindow::askChoice(const std::string& question, const std::vector<std::string>& answers) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Quarnel"), QString::fromStdString(question),
                    QMessageBox::NoButton, this);
    std::vector<QAbstractButton*> buttons;
    for (const std::string& answer : answers)
        buttons.push_back(box.addButton(QString::fromStdString(answer), QMessageBox::AcceptRole));
    if (buttons.empty()) return 0;
    // The last answer changes nothing: it is the default and what Escape or closing gives.
    box.setDefaultButton(static_cast<QPushButton*>(buttons.back()));
    box.setEscapeButton(buttons.back());
    box.exec();
    const auto chosen = std::find(buttons.begin(), buttons.end(), box.clickedButton());
    return chosen == buttons.end() ? buttons.size() - 1 : size_t(chosen - buttons.begin());
}

void MainWindow::showError(const std::string& text) {
    pushState();  // the controls the failed run disabled are usable again behind the box
    QMessageBox::critical(this, QStringLiteral("Quarnel"), QString::fromStdString(text));
}

void MainWindow::showPage(Page page) {
    PageControl_->setCurrentIndex(int(page));
    pushState();
}

// --- start-up and closing ---

void MainWindow::setVisible(bool visible) {
    if (visible && !settingsRead_) readSettings();
    QMainWindow::setVisible(visible);
}

void MainWindow::readSettings() {
    settingsRead_ = true;
    stored_ = StoredWindow{};
    QSettings store{QLatin1String(kSettingsOrganization), QLatin1String(kSettingsApplication)};
    settingsError_ = loadSettings(store, stored_, model_.options);
    model_.sourceDir = stored_.evoDir;
    model_.playlistDir = stored_.xplDir;
    pushOptions();
    if (stored_.page >= 0 && stored_.page < PageControl_->count())
        PageControl_->setCurrentIndex(stored_.page);
    placeWindow(QMargins());  // the frame is unknown until the desktop has drawn one
    // A window stored minimised opens normal: a program started by the user should show.
    if (stored_.windowState == int(WindowShow::Maximised))
        setWindowState(windowState() | Qt::WindowMaximized);
}

void MainWindow::startUp() {
    if (started_) return;
    started_ = true;
    setWindowTitle(QStringLiteral("Quarnel v%1").arg(QLatin1String(QUARNEL_VERSION)));
    if (!settingsRead_) readSettings();
    settleFrame(kFrameTries);
    QSettings store{QLatin1String(kSettingsOrganization), QLatin1String(kSettingsApplication)};
    // Only a store that existed and read without error takes part in the exchanges.
    versionStartup(store, settingsError_.empty() && !store.allKeys().isEmpty());
    model_.resetBoxes();
    pushState();
    if (!settingsError_.empty()) showError(settingsError_);
    // A disc, a source file or a playlist named on the command line is opened and read; a path
    // that does not exist is passed over.
    if (!arguments_.isEmpty() && QFileInfo::exists(arguments_.first())) {
        if (arguments_.size() > 1)
            MessageLog(*this).log("Only the first of the " + std::to_string(arguments_.size()) +
                                  " paths given is opened: " + arguments_.first().toStdString() + ".");
        openPath(arguments_.first(), true);
    }
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    fitMinimumToScreen();
    setAcceptDrops(true);  // FormShow
    if (started_ || activationQueued_) return;
    // Start-up runs from the event loop, once the window is on the screen.
    activationQueued_ = true;
    QTimer::singleShot(0, this, [this] { startUp(); });
}

void MainWindow::closeEvent(QCloseEvent* event) {
    pullOptions();
    if (!runs::closeRequested(model_, *this)) {
        event->ignore();
        return;
    }
    // FormClose: the settings as the user left them. A run still on its way out must not
    // chain another one, so the model's own copy loses the follow-up steps.
    const Options userOptions = model_.options;
    closed_ = true;
    model_.options.autoProcess = AutoProcess::None;
    model_.options.readVti = false;
    storeGeometry();
    stored_.page = PageControl_->currentIndex();
    StoredWindow written = stored_;
    written.evoDir = model_.sourceDir;
    written.xplDir = model_.playlistDir;
    QSettings store{QLatin1String(kSettingsOrganization), QLatin1String(kSettingsApplication)};
    saveSettings(store, written, userOptions);
    event->accept();
}

void MainWindow::placeWindow(const QMargins& frame) {
    placedFrame_ = frame;
    const bool sizeStored = stored_.width > 0 && stored_.height > 0;
    const QSize client =
        (sizeStored ? QSize(stored_.width, stored_.height).shrunkBy(frame) : defaultClientSize())
            .expandedTo(minimumSize());
    QList<QRect> areas;
    if (const QScreen* primary = QGuiApplication::primaryScreen()) areas << primary->availableGeometry();
    for (const QScreen* screen : QGuiApplication::screens()) areas << screen->availableGeometry();
    const QRect outer = pulledOnto(QRect(QPoint(stored_.left, stored_.top), client.grownBy(frame)), areas);
    // move() places the outer top-left corner; resize() sizes the client area.
    move(outer.topLeft());
    resize(clientWithin(outer, frame).size());
}

void MainWindow::fitMinimumToScreen() {
    // The default client area, or less on a screen too small for it (a small screen at twice
    // the scale): the pages then scroll.
    constexpr QSize kFrameAllowance(16, 48);
    QSize least = defaultClientSize();
    if (const QScreen* on = screen())
        least = least.boundedTo(on->availableGeometry().size() - kFrameAllowance);
    setMinimumSize(least);
}

QSize MainWindow::defaultClientSize() const {
    return {kDefaultClientWidth, kDefaultClientHeight + menuBar()->sizeHint().height()};
}

void MainWindow::settleFrame(int triesLeft) {
    if (isMaximized() || isFullScreen()) return;
    const QRect outer = frameGeometry(), inner = geometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    if (!frame.isNull()) {
        if (frame != placedFrame_) placeWindow(frame);
        return;
    }
    if (triesLeft > 0)
        QTimer::singleShot(kFrameWaitMs, this, [this, triesLeft] { settleFrame(triesLeft - 1); });
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    // A window that opened maximised was placed before the desktop had framed it: back to
    // normal, it takes the stored outer bounds within the frame it has now (else each restart
    // and un-maximise would grow it by its frame).
    const auto* change = static_cast<const QWindowStateChangeEvent*>(event);
    if ((change->oldState() & Qt::WindowMaximized) && !isMaximized() && !isMinimized() &&
        placedFrame_.isNull())
        QTimer::singleShot(kFrameWaitMs, this, [this] { settleFrame(kFrameTries); });
}

void MainWindow::storeGeometry() {
    stored_.windowState = isMaximized()   ? int(WindowShow::Maximised)
                          : isMinimized() ? int(WindowShow::Minimised)
                                          : int(WindowShow::Normal);
    if (stored_.windowState == int(WindowShow::Normal)) {
        const QRect outer = frameGeometry();
        stored_.top = outer.top();
        stored_.left = outer.left();
        stored_.width = outer.width();
        stored_.height = outer.height();
    }
    // The tree width is the one the user last dragged the splitter to (stored_.treeWidth).
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // The splitter has its real width only when its page first shows.
    if (watched == xplSplitter_ && event->type() == QEvent::Show) fitTree();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::fitTree() {
    // The tree has the width the user last dragged it to, or more when its entries need more
    // (up to half the page); it keeps that width while the window is resized.
    const int entries = static_cast<const QAbstractItemView*>(tvXPL_)->sizeHintForColumn(0) +
                        2 * tvXPL_->frameWidth() + tvXPL_->verticalScrollBar()->sizeHint().width();
    const int room = xplSplitter_->width() - xplSplitter_->handleWidth();
    const int tree = std::max(stored_.treeWidth, std::min(entries, room / 2));
    xplSplitter_->setSizes({tree, std::max(1, room - tree)});
}

// --- resize and drops ---

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    placeLogo();
}

void MainWindow::placeLogo() {
    const int left = width() <= kNarrowWindow ? kNarrowLogoLeft : width() / 2 - kHalfLogo;
    imLogo_->move(left, imLogo_->y());
}

namespace {

QStringList localFiles(const QMimeData* mime) {
    QStringList files;
    for (const QUrl& url : mime->urls())
        if (url.isLocalFile()) files << url.toLocalFile();
    return files;
}

}  // namespace

// A drop the window would not act on is refused while it is dragged over the window, so the
// desktop shows the no-drop cursor and tells the source that nothing was taken.
void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (acceptsDrop(localFiles(event->mimeData())))
        event->acceptProposedAction();
    else
        event->ignore();
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (acceptsDrop(localFiles(event->mimeData())))
        event->acceptProposedAction();
    else
        event->ignore();
}

void MainWindow::dropEvent(QDropEvent* event) {
    // A drop never starts a run inside a running one: it is refused until the run ends.
    const QStringList files = localFiles(event->mimeData());
    if (!acceptsDrop(files)) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    // The Read starts from the event loop, so that the dragging program is answered first.
    QTimer::singleShot(0, this, [this, files] { openDropped(files); });
}

}  // namespace quarnel
