#pragma once

// The platform context of the running program: Qt message boxes, the desktop's
// opener (xdg-open through QDesktopServices) and detached program starts; a
// Windows executable starts through wine, with WINEPREFIX set to the environment.

#include "platform/PlatformContext.h"

#include <QStringList>

#include <filesystem>

namespace tarrowin {

class QtPlatformContext : public PlatformContext {
public:
    explicit QtPlatformContext(std::filesystem::path prefix = {});

    MessageResult messageBox(QWidget* owner, const QString& text, const QString& title, MessageIcon icon,
                             MessageButtons buttons = MessageButtons::Ok) override;
    void openDocument(QWidget* owner, const std::string& documentOrAddress) override;
    LaunchResult startProgram(const std::string& programPath) override;

private:
    std::filesystem::path m_prefix;
};

// How a program file would be started: the host program and its arguments, or
// the reason it cannot start. Kept apart from the start itself so that the
// decision can be checked without starting anything.
struct LaunchPlan {
    QString program;
    QStringList arguments;
    QString workingFolder;
    std::string error; // non-empty: cannot start
};
LaunchPlan planProgramStart(const std::string& programPath, const QString& wineExecutable);

// True for web and mail addresses, which go to the desktop's opener as they are.
bool isAddress(const std::string& text);

} // namespace tarrowin
