// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: every operation of the application one click away. It holds the one
// application state (Session), mirrors it into its widgets and writes control changes
// back, and is the engine's Host: log pane, status line, event pump and message boxes.
#pragma once

#include <QMainWindow>
#include <QMargins>
#include <QMenu>
#include <QStringList>
#include <array>
#include <string>
#include <vector>

#include "app/session.h"
#include "app/settings_names.h"
#include "gui/http_client.h"
#include "gui/taskbar_progress.h"
#include "runs/operations.h"
#include "runs/subtitle_outputs.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSettings;
class QSpinBox;
class QSplitter;
class QTextEdit;
class QTreeWidget;
class QWidget;

namespace quarnel {

class PageControl;
class StatusLine;
class TracksPage;
class VtiPage;

class MainWindow : public QMainWindow, public Host {
  public:
    // arguments: the command line without the program name.
    explicit MainWindow(QStringList arguments, QWidget* parent = nullptr);
    ~MainWindow() override;

    Session& model() { return model_; }
    const StoredWindow& stored() const { return stored_; }
    // True once the start-up steps have run (at the first showing of the window).
    bool started() const { return started_; }

    // --- Host ---
    void appendLog(std::string_view markup, const LogLine& line) override;
    void clearLog() override;
    void setStatus(int panel, const std::string& text) override;
    void setProgress(uint64_t done, uint64_t total) override;
    void pumpEvents() override;
    bool askYesNo(const std::string& question) override;
    size_t askChoice(const std::string& question, const std::vector<std::string>& answers) override;
    void showError(const std::string& text) override;
    void showPage(Page page) override;

    // --- workflow ---
    void startUp();
    // Dropped files: only the first counts (the log says so when there were more); .EVO, .VOB
    // and .AOB become the source, .XPL the playlist, a disc folder or image the disc; anything
    // else is refused, and so is any drop while a run is active.
    bool acceptsDrop(const QStringList& files) const;
    void openDropped(const QStringList& files);
    // A path the user names (typed, on the command line, dropped, from the recent list): a disc,
    // a source file or a playlist, read when `read` is set; anything else is an error.
    void openPath(const QString& path, bool read);
    // Reads the source; a failed Read clears the pages that showed the file read before.
    void readSource();
    void chooseSourceFile();
    void choosePlaylistFile();
    void chooseOutputFolder();
    // "Open disc…": a DVD-Video folder chosen in a dialog; an .iso comes through the source
    // dialog or a drop.
    void chooseDisc();
    // Makes the disc the source (its titles listed above the boxes, the longest chosen) and
    // reads that title when `read` is set; a disc that cannot be read is shown as an error.
    void openDisc(const QString& path, bool read);
    // An HD DVD folder's title chosen: the XPL page shows the playlist's part for it.
    void showDiscTitlePlaylist();
    void followFastCheck();
    void placeLogo();
    // "Check new version": asks the update server and offers the download.
    void askForNewVersion();

    // The first showing reads the settings first, so that the window opens where it was left.
    void setVisible(bool visible) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    Session model_;
    HttpClient http_;  // the update server
    TaskbarProgress taskbar_;
    StoredWindow stored_;
    QStringList arguments_;
    bool started_ = false;
    bool settingsRead_ = false;
    std::string settingsError_;  // the settings store's error, shown once the window is up
    QMargins placedFrame_;       // the frame the window was last placed with
    bool activationQueued_ = false;
    bool closed_ = false;  // the window has been closed: whatever still runs is cancelled

    // Source, playlist and the run buttons above the pages.
    QLineEdit* eEVOfile_ = nullptr;
    QLineEdit* eXPLfile_ = nullptr;
    QPushButton *bbEVO_ = nullptr, *bbXPL_ = nullptr, *bReadEVO_ = nullptr, *bReadXPL_ = nullptr;
    QPushButton *bDemux_ = nullptr, *bRebuild_ = nullptr, *bMakeMkv_ = nullptr, *bCancel_ = nullptr;
    PageControl* PageControl_ = nullptr;
    StatusLine* StatusBar_ = nullptr;
    // "Status"
    QTextEdit* reMessage_ = nullptr;
    QPushButton *bClear_ = nullptr, *bCheckNew_ = nullptr;
    // "Video/Audio": the titles of a disc opened as the source, then the boxes.
    QWidget* titleRow_ = nullptr;
    QTreeWidget* tvTitles_ = nullptr;
    std::vector<std::vector<std::string>> shownTitles_;
    int shownTitle_ = -1;  // the row chosen when the list was last shown
    QAction* openDiscAction_ = nullptr;
    QMenu* recentMenu_ = nullptr;  // File > Open recent, filled as it opens
    // "Video/Audio" and "Subpicture"
    std::array<QCheckBox*, kVideoBoxes> cbVideo_{};
    std::array<QCheckBox*, kAudioBoxes> cbAudio_{};
    std::array<QCheckBox*, kSubBoxes> cbSub_{};
    // The formats a Demux writes each ticked subpicture stream in, a box per row of
    // kSubtitleOutputs (cbSubSup, cbSubPGS, cbSubVobSub, cbSubBDN, cbSubSRT).
    std::array<QCheckBox*, kSubtitleOutputs.size()> cbSubFormat_{};
    QLineEdit* eOcrLang_ = nullptr;  // the language SRT text is read in; empty: the stream's
    // "Tracks"
    TracksPage* tracksPage_ = nullptr;
    // "XPL"
    QSplitter* xplSplitter_ = nullptr;
    QTreeWidget* tvXPL_ = nullptr;
    QPlainTextEdit *mXPL_ = nullptr, *mChapter_ = nullptr;
    QPushButton* bWriteChaps_ = nullptr;
    // "VTI"
    VtiPage* vtiPage_ = nullptr;
    // "Options"
    QCheckBox *cbContinue_ = nullptr, *cbFastCheck_ = nullptr, *cbCountFr_ = nullptr, *cbDetails_ = nullptr;
    QCheckBox *cbAutoRead_ = nullptr, *cbAutoClear_ = nullptr, *cbRBAdvanced_ = nullptr;
    QCheckBox *cbAdjustPTS_ = nullptr, *cbReadVTI_ = nullptr;
    QCheckBox *cbLpcmWav_ = nullptr, *cbSplitTracks_ = nullptr;  // Demux: LPCM as WAV, a file per track
    QCheckBox* cbAskReplace_ = nullptr;                          // ask before replacing outputs
    QSpinBox* ieFastSize_ = nullptr;
    QRadioButton *rbNoAuto_ = nullptr, *rbAutoDemux_ = nullptr, *rbAutoRebuild_ = nullptr;
    QLineEdit *eVideoExt_ = nullptr, *eAudioExt_ = nullptr, *eSubExt_ = nullptr, *eWorkdir_ = nullptr;
    QPushButton* bbWorkdir_ = nullptr;
    // "About"
    QWidget* tsAbout_ = nullptr;
    QLabel* imLogo_ = nullptr;

    // Each menu entry with the button it presses.
    std::vector<std::pair<QAction*, QPushButton*>> menuButtons_;

    // What the XPL widgets show, so that they are refilled only when the model changed.
    std::vector<std::string> shownXpl_, shownChapters_, shownTree_;

    // Page builders.
    QWidget* buildSourceRows();
    QWidget* buildStatusPage();
    QWidget* buildVideoPage();
    QWidget* buildSubpicturePage();
    QWidget* buildXplPage();
    QWidget* buildOptionsPage();
    QWidget* buildAboutPage();
    QCheckBox* streamBox(const QString& name, QWidget* parent);
    void connectControls();
    void buildMenuBar();
    void pushMenuState();

    // The mirror between the model and the widgets.
    void pushState();    // model -> every widget
    void pushOptions();  // model options -> option controls
    void pullOptions();  // option controls -> model options
    void pushXpl();
    void pushTitles();
    void fitTree();
    void pullBoxTick(QCheckBox* box);
    // A format box changed: one format at least stays ticked, or the streams would go nowhere.
    void pullSubtitleFormat(QCheckBox* box);

    // Runs one operation of the model: never inside another, with the options as the
    // controls show them, and the widgets refreshed afterwards.
    void runOperation(void (*operation)(Session&, Host&));
    // Runs the operation once the dialog that asked for it has closed.
    void runAfterDialog(void (*operation)(Session&, Host&));
    void setSource(const QString& path);
    void setPlaylist(const QString& path);
    // Adds a source opened to File > Open recent.
    void rememberOpened(const QString& path);
    void fillRecentMenu();
    // The source and playlist fields take typed paths (completed from the file system): a path
    // typed is taken when the field is left, and Enter reads it.
    void connectPathFields();
    void takeTypedSource(bool read);
    void takeTypedPlaylist(bool read);
    // Enter presses "Read EVO" while the focus is on neither a push button nor a field.
    static bool enterPressesRead(const QWidget* focus);
    void followFocus(QWidget* now);
    void readSettings();
    // Places the window at the stored outer bounds (the default size when none is stored)
    // within a frame of these margins, wholly on a screen.
    void placeWindow(const QMargins& frame);
    QSize defaultClientSize() const;
    // The smallest size: the default client area, bounded by the screen the window is on.
    void fitMinimumToScreen();
    // The desktop frames the window only after it shows: once the frame is known, the window is
    // placed again so that its outer bounds are the stored ones.
    void settleFrame(int triesLeft);
    void storeGeometry();
    // The version check's start-up steps once the settings are read (storeRead: the store
    // existed and read without error); shows "Check new version" when it can be used.
    void versionStartup(QSettings& store, bool storeRead);
};

}  // namespace quarnel
