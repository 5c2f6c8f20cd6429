#pragma once

// The edge of the platform that windows call: message boxes, the desktop's opener
// and program starts. Screens receive one PlatformContext at start-up and never
// reach QMessageBox, QDesktopServices or QProcess themselves, so that tests can put
// a fake in its place (RecordingPlatformContext) while the widgets stay real.

#include <QString>

#include <cstdint>
#include <string>

class QWidget;

namespace tarrowin {

enum class MessageIcon { None, Information, Exclamation, Question, Error };

enum class MessageButtons { Ok, OkCancel, AbortRetryIgnore, YesNoCancel, YesNo, RetryCancel };

// Which button closed a message box. The numbers are the ones Windows returns
// (IDOK = 1 ... IDNO = 7), so code that stores or compares them keeps working.
enum class MessageResult : int { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

// Outcome of starting a program. A start that fails carries a text for the user.
struct LaunchResult {
    bool started = false;
    std::int64_t processId = 0;
    std::string error; // empty when started
    explicit operator bool() const noexcept { return started; }
};

class PlatformContext {
public:
    virtual ~PlatformContext() = default;

    // A modal message box owned by `owner` (none: application-modal). The button
    // that closed it comes back; closing with Escape or the title bar counts as
    // Cancel where there is one, else as the only button.
    virtual MessageResult messageBox(QWidget* owner, const QString& text, const QString& title,
                                     MessageIcon icon,
                                     MessageButtons buttons = MessageButtons::Ok) = 0;

    // Opens a web address ("http://...") or a document / folder given as a Windows
    // path with the desktop's default action. Failures go unreported on purpose:
    // the callers have nothing to do about a missing browser or association.
    virtual void openDocument(QWidget* owner, const std::string& documentOrAddress) = 0;

    // Starts a program without waiting for it. `programPath` is a Windows path as
    // the callers build it (program folder + "\Kestrune.exe"; a doubled "\" at a
    // drive root is accepted). A missing file or a program that cannot run here
    // (a Windows executable with no Wine installed) gives started == false.
    virtual LaunchResult startProgram(const std::string& programPath) = 0;
};

} // namespace tarrowin
