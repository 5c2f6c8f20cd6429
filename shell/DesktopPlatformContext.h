#pragma once

// The platform context of a running program: Qt's message boxes, the desktop's
// opener and program starts. Paths arrive as program paths and reach the disk
// through hostPath().

#include "platform/PlatformContext.h"

namespace tarrowin {

class DesktopPlatformContext : public PlatformContext {
public:
    MessageResult messageBox(QWidget* owner, const QString& text, const QString& title, MessageIcon icon,
                             MessageButtons buttons = MessageButtons::Ok) override;
    void openDocument(QWidget* owner, const std::string& documentOrAddress) override;
    LaunchResult startProgram(const std::string& programPath) override;
};

} // namespace tarrowin
