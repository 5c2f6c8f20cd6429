#pragma once

// The application shell: the start-up sequence with its fall-back, the switch
// from the splash to the welcome screen or the main menu, skin changes across
// all windows, the hand-over to a running copy, and the end of the program.

#include "platform/PlatformContext.h"
#include "shell/AppState.h"
#include "shell/Frm.h"
#include "shell/FromSkins.h"
#include "shell/SingleInstance.h"
#include "shell/TaskWindows.h"
#include "shell/frmSplash.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

namespace tarrowin {

struct ShellOptions {
    bool singleInstance = true;   // look for a running copy and listen for the next start
    bool fetchInfo = true;        // load the latest-information page
    QString channelName;          // the single-instance channel; empty: this user's
};

class Shell : public QObject {
    Q_OBJECT
public:
    enum class Start { Running, HandedOver };

    Shell(AppState& state, PlatformContext& platform, TaskWindows& tasks, ShellOptions options = {});
    ~Shell() override;

    // Runs the start-up sequence and shows the welcome screen with the splash over it.
    // HandedOver: another copy runs and took the activation; this one should end.
    Start start();

    // The continue button of the splash.
    void closeSplash();
    // The next skin, for every skinnable window.
    void nextSkin();
    // Applies skin n to the main menu and the task windows; throws for a skin without pictures.
    void applySkinToAll(int n);
    // Gives the main menu the focus, showing it first when hidden or in the tray.
    void activateMenu();
    // Unloads every window in order (the menu saves the skin settings on the
    // way) and ends the event loop.
    void endProgram();

    // Task starts, as the welcome screen and the menu rows run them.
    void runTask(Task task, bool fromMenu);
    void roundPressed(int i);
    void roundReleased(int i);
    void showAbout();

    Frm* welcome() const { return m_welcome; }
    FromSkins* menu() const { return m_menu; }
    frmSplash* splash() const { return m_splash; }
    AppState& state() const { return m_state; }
    bool ended() const { return m_ended; }

    // Whatever ends the process; by default the event loop's quit.
    std::function<void()> quit;

signals:
    void programEnded();

private:
    // Loads the main menu when it is not loaded. HandedOver when another copy took over.
    Start loadMenu(bool strictSkin);
    void unloadMenu();
    frmSplash* ensureSplash();
    bool eventFilter(QObject* watched, QEvent* event) override;

    AppState& m_state;
    PlatformContext& m_platform;
    TaskWindows& m_tasks;
    ShellOptions m_options;
    SingleInstance m_instance;
    QPointer<Frm> m_welcome;
    QPointer<FromSkins> m_menu;
    QPointer<frmSplash> m_splash;
    int m_pendingRound = -1;
    bool m_ended = false;
};

} // namespace tarrowin
