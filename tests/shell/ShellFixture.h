#pragma once

// A shell on a temporary program folder with a recording platform and task windows.

#include "core/HostPath.h"
#include "settings/ConfigFile.h"
#include "settings/ProgramFolder.h"
#include "shell/ProgramFiles.h"
#include "shell/Shell.h"

#include <QApplication>
#include <QTemporaryDir>
#include <filesystem>
#include <memory>
#include <vector>

namespace tarrowin::test {

inline QApplication& app() {
    static int argc = 1;
    static char name[] = "shell_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* instance = new QApplication(argc, argv);
    return *instance;
}

struct RecordingPlatform : PlatformContext {
    std::vector<std::string> opened, started;
    std::vector<QString> messages;
    bool startSucceeds = true;
    MessageResult messageBox(QWidget*, const QString& text, const QString&, MessageIcon, MessageButtons) override {
        messages.push_back(text);
        return MessageResult::Ok;
    }
    void openDocument(QWidget*, const std::string& what) override { opened.push_back(what); }
    LaunchResult startProgram(const std::string& path) override {
        started.push_back(path);
        LaunchResult r;
        r.started = startSucceeds;
        if (!r.started) r.error = "missing";
        return r;
    }
};

struct RecordingTasks : TaskWindows {
    std::vector<int> skins;
    std::vector<std::pair<Task, bool>> opened;
    int unloads = 0;
    void applySkin(int n) override {
        if (n < 0 || n > 3) throw std::out_of_range("skin");
        skins.push_back(n);
    }
    void open(Task t, bool fromMenu) override { opened.emplace_back(t, fromMenu); }
    void unloadAll() override { ++unloads; }
};

class ShellFixture {
public:
    // config: the lines of config.ini's section, or nullptr for no file at all.
    explicit ShellFixture(const char* skins = nullptr, const char* selskins = nullptr, bool dataIco = true) {
        app();
        setHostPathResolver([](std::string_view p) {
            std::string s(p);
            for (char& c : s)
                if (c == '\\') c = '/';
            return std::filesystem::path(s);
        });
        setProgramFolder(m_dir.path().toStdString());
        if (dataIco) ensureProgramFiles(ProgramFolder());
        if (skins) WriteConfigValue(skins, "skins");
        if (selskins) WriteConfigValue(selskins, "selskins");
        ShellOptions options;
        options.singleInstance = false;
        options.fetchInfo = false;
        shell = std::make_unique<Shell>(state, platform, tasks, options);
        shell->quit = [this] { ++quits; };
    }
    ~ShellFixture() {
        shell.reset();
        setProgramFolder({});
        setHostPathResolver({});
    }
    std::string config(const char* key) const { return ReadConfigValue(kConfigSection, key); }

    QTemporaryDir m_dir;
    AppState state;
    RecordingPlatform platform;
    RecordingTasks tasks;
    std::unique_ptr<Shell> shell;
    int quits = 0;
};

} // namespace tarrowin::test
