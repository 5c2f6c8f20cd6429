#include "shell/Shell.h"

#include "settings/ConfigFile.h"
#include "settings/ProgramFolder.h"
#include "shell/NumberText.h"
#include "shell/VendorSite.h"

#include <QApplication>
#include <QMouseEvent>

#include <stdexcept>

namespace tarrowin {

Shell::Shell(AppState& state, PlatformContext& platform, TaskWindows& tasks, ShellOptions options)
    : m_state(state), m_platform(platform), m_tasks(tasks), m_options(std::move(options)) {
    if (!m_options.channelName.isEmpty()) m_instance.setChannelName(m_options.channelName);
    connect(&m_instance, &SingleInstance::commandReceived, this, [this] { activateMenu(); });
    quit = [] { QCoreApplication::quit(); };
    m_welcome = new Frm;
    connect(m_welcome, &Frm::taskReleased, this, [this](int i) {
        static constexpr Task kTasks[5] = {Task::Desktop, Task::Folder, Task::Creator, Task::Protect, Task::Browser};
        runTask(kTasks[i], false);
    });
    connect(m_welcome, &Frm::roundPressed, this, &Shell::roundPressed);
    qApp->installEventFilter(this);
}

Shell::~Shell() {
    qApp->removeEventFilter(this);
    delete m_splash;
    delete m_menu;
    delete m_welcome;
}

frmSplash* Shell::ensureSplash() {
    if (!m_splash) {
        m_splash = new frmSplash;
        connect(m_splash, &frmSplash::continueClicked, this, &Shell::closeSplash);
    }
    return m_splash;
}

Shell::Start Shell::start() {
    // A running copy is asked first, before anything is read or shown: a second
    // start must hand over even when config.ini is missing or damaged, which
    // would otherwise skip the hand-over and leave two copies running.
    bool unanswered = false;
    if (m_options.singleInstance) {
        switch (m_instance.handOver("M")) {
        case SingleInstance::Probe::HandedOver: return Start::HandedOver;
        case SingleInstance::Probe::NoAnswer: unanswered = true; break;
        case SingleInstance::Probe::NoneRunning: m_instance.listen(); break;
        }
    }
    ensureSplash()->show();
    try {
        // A copy that holds the channel but does not answer: this one goes on
        // alone, through the fall-back.
        if (unanswered) throw std::runtime_error("the running copy did not answer");
        m_welcome->shape();
        m_state.CurrentSkin = configInt16(ReadConfigValue(kConfigSection, "skins"));
        m_state.StartInMenu = configInt16(ReadConfigValue(kConfigSection, "selskins"));
        if (loadMenu(true) == Start::HandedOver) return Start::HandedOver;
        m_splash->Loading_cap()->setText(QString());
        m_menu->hide();
        m_splash->continueButton()->show();
    } catch (const std::exception&) {
        // Whatever went wrong, the next start finds usable values; this run goes on
        // with what was read so far. The splash still finishes, so that it can be
        // closed: left at "Loading..." it would cover the welcome screen for good.
        WriteConfigValue("1", "skins");
        WriteConfigValue("1", "selskins");
        m_splash->Loading_cap()->setText(QString());
        m_splash->continueButton()->show();
    }
    m_welcome->show();
    m_splash->raise();
    return Start::Running;
}

Shell::Start Shell::loadMenu(bool strictSkin) {
    if (m_menu) return Start::Running;
    auto* menu = new FromSkins;
    connect(menu, &FromSkins::rowClicked, this, [this](int i) {
        static constexpr Task kRows[5] = {Task::Folder, Task::Desktop, Task::Creator, Task::Protect, Task::Browser};
        runTask(kRows[i], true);
    });
    connect(menu, &FromSkins::aboutClicked, this, &Shell::showAbout);
    connect(menu, &FromSkins::closeClicked, this, [this] { endProgram(); });
    connect(menu, &FromSkins::changeSkinClicked, this, &Shell::nextSkin);
    try {
        menu->placeAtRightEdge();
        menu->shape();
        if (!strictSkin && (m_state.CurrentSkin < 0 || m_state.CurrentSkin >= kSkinCount)) m_state.CurrentSkin = 0;
        m_menu = menu;
        applySkinToAll(m_state.CurrentSkin);
        menu->loadRowIcons(ProgramFolder() + "\\Data.ico");
        menu->drawRowIcons();
        if (m_options.fetchInfo) menu->navigateInfo(vendorSite() + QStringLiteral("/productupdate.htm"));
    } catch (...) {
        // A menu that failed to load is not kept: the next need loads it afresh.
        m_menu = nullptr;
        delete menu;
        throw;
    }
    return Start::Running;
}

void Shell::applySkinToAll(int n) {
    if (m_menu) {
        m_menu->ApplySkin(SkinWindow::Menu, n);
        m_menu->showSkinNumber(n);
    }
    m_tasks.applySkin(n);
}

void Shell::nextSkin() {
    int n = m_state.CurrentSkin + 1;
    if (n > kSkinCount - 1) n = 0;
    if (n < 0) n = kSkinCount - 1;
    m_state.CurrentSkin = static_cast<std::int16_t>(n);
    applySkinToAll(n);
}

void Shell::closeSplash() {
    if (m_splash) {
        m_splash->close();
        m_splash->deleteLater();
        m_splash = nullptr;
    }
    // Without a menu (its load failed at start-up) the welcome screen stays.
    if (m_state.StartInMenu != 0 && m_menu) {
        m_welcome->hide();
        m_menu->show();
    } else {
        if (m_menu) m_menu->hide();
        // Closing the about window with both windows hidden would leave nothing on
        // screen: the welcome screen comes back.
        if (!m_welcome->isVisible()) m_welcome->show();
    }
}

void Shell::showAbout() {
    frmSplash* s = ensureSplash();
    s->showAsAbout();
    s->show();
    s->raise();
}

void Shell::activateMenu() {
    if (m_ended) return;
    try {
        loadMenu(false);
    } catch (const std::exception&) {
        return;
    }
    if (m_menu->inTray() || !m_menu->isVisible() || m_menu->isMinimized()) m_menu->restore();
    m_menu->raise();
    m_menu->activateWindow();
}

void Shell::runTask(Task task, bool fromMenu) {
    if (task == Task::Protect) {
        const LaunchResult r = m_platform.startProgram(ProgramFolder() + "\\Lockwarden.exe");
        if (!r)
            m_platform.messageBox(fromMenu ? static_cast<QWidget*>(m_menu) : static_cast<QWidget*>(m_welcome),
                                  QStringLiteral("The folder protection program could not be started.\n%1")
                                      .arg(QString::fromStdString(r.error)),
                                  QStringLiteral("Tarrowin"), MessageIcon::Exclamation);
        return;
    }
    m_tasks.open(task, fromMenu);
}

void Shell::roundPressed(int i) {
    m_welcome->hide();
    try {
        loadMenu(false);
    } catch (const std::exception&) {
    }
    if (m_menu) m_menu->show();
    m_welcome->clearRoundHover();
    // The release arrives after the welcome screen is gone; it is caught for the
    // whole application (eventFilter) and runs the button's action.
    m_pendingRound = i;
}

void Shell::roundReleased(int i) {
    m_pendingRound = -1;
    switch (i) {
    case 0: endProgram(); break;
    case 1: m_platform.openDocument(m_welcome, vendorSite().toStdString() + "/"); break;
    case 2: m_state.StartInMenu = 1; break;
    case 3: {
        // A splash that is still open stays as it is; one closed before comes back
        // as the about window, which can be closed again.
        const bool open = m_splash != nullptr;
        frmSplash* s = ensureSplash();
        if (!open) s->showAsAbout();
        s->show();
        s->raise();
        break;
    }
    default: break;
    }
}

bool Shell::eventFilter(QObject*, QEvent* event) {
    if (m_pendingRound >= 0 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        roundReleased(m_pendingRound);
        return true;
    }
    return false;
}

void Shell::unloadMenu() {
    if (!m_menu) return;
    WriteConfigValue(numberText(m_state.CurrentSkin), "skins");
    WriteConfigValue(numberText(m_state.StartInMenu), "selskins");
    m_menu->removeTrayIcon();
    m_menu->close();
    delete m_menu;
    m_menu = nullptr;
}

void Shell::endProgram() {
    if (m_ended) return;
    m_ended = true;
    m_pendingRound = -1;
    m_tasks.unloadAll();
    if (m_welcome) m_welcome->close();
    unloadMenu();
    if (m_splash) {
        m_splash->close();
        delete m_splash;
    }
    m_instance.close();
    emit programEnded();
    if (quit) quit();
}

} // namespace tarrowin
