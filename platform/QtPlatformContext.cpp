#include "platform/QtPlatformContext.h"

#include "core/HostPath.h"

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QUrl>

namespace tarrowin {

namespace {

QMessageBox::Icon qtIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

struct ButtonSpec {
    QMessageBox::StandardButton button;
    MessageResult result;
};

std::vector<ButtonSpec> buttonsOf(MessageButtons b) {
    switch (b) {
    case MessageButtons::Ok: return {{QMessageBox::Ok, MessageResult::Ok}};
    case MessageButtons::OkCancel: return {{QMessageBox::Ok, MessageResult::Ok}, {QMessageBox::Cancel, MessageResult::Cancel}};
    case MessageButtons::AbortRetryIgnore:
        return {{QMessageBox::Abort, MessageResult::Abort}, {QMessageBox::Retry, MessageResult::Retry},
                {QMessageBox::Ignore, MessageResult::Ignore}};
    case MessageButtons::YesNoCancel:
        return {{QMessageBox::Yes, MessageResult::Yes}, {QMessageBox::No, MessageResult::No},
                {QMessageBox::Cancel, MessageResult::Cancel}};
    case MessageButtons::YesNo: return {{QMessageBox::Yes, MessageResult::Yes}, {QMessageBox::No, MessageResult::No}};
    case MessageButtons::RetryCancel:
        return {{QMessageBox::Retry, MessageResult::Retry}, {QMessageBox::Cancel, MessageResult::Cancel}};
    }
    return {{QMessageBox::Ok, MessageResult::Ok}};
}

bool isPortableExecutable(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = f.read(2);
    return head == "MZ";
}

} // namespace

bool isAddress(const std::string& text) {
    const auto scheme = text.find("://");
    if (scheme != std::string::npos && scheme > 1) return true; // "C:" is a drive, not a scheme
    return text.rfind("mailto:", 0) == 0;
}

LaunchPlan planProgramStart(const std::string& programPath, const QString& wineExecutable) {
    LaunchPlan plan;
    const QString host = QString::fromStdString(hostPath(programPath).string());
    const QFileInfo info(host);
    if (!info.exists() || info.isDir()) {
        plan.error = "File not found: " + programPath;
        return plan;
    }
    plan.workingFolder = info.absolutePath();
    if (isPortableExecutable(host)) {
        if (wineExecutable.isEmpty()) {
            plan.error = programPath + " is a Windows program, and Wine, which runs Windows programs here, is not "
                                       "installed.";
            return plan;
        }
        plan.program = wineExecutable;
        plan.arguments = {host};
        return plan;
    }
    if (!info.isExecutable()) {
        plan.error = programPath + " is not a program that can be started.";
        return plan;
    }
    plan.program = host;
    return plan;
}

QtPlatformContext::QtPlatformContext(std::filesystem::path prefix) : m_prefix(std::move(prefix)) {}

MessageResult QtPlatformContext::messageBox(QWidget* owner, const QString& text, const QString& title,
                                            MessageIcon icon, MessageButtons buttons) {
    QMessageBox box(qtIcon(icon), title, text, QMessageBox::NoButton, owner);
    const auto specs = buttonsOf(buttons);
    for (const auto& s : specs) box.addButton(s.button);
    box.setDefaultButton(specs.front().button);
    // Escape and the close button mean Cancel where there is one, else the only button.
    QMessageBox::StandardButton escape = specs.size() == 1 ? specs.front().button : QMessageBox::NoButton;
    for (const auto& s : specs)
        if (s.result == MessageResult::Cancel) escape = s.button;
    if (escape != QMessageBox::NoButton) box.setEscapeButton(escape);
    box.exec();
    const auto clicked = box.standardButton(box.clickedButton());
    for (const auto& s : specs)
        if (s.button == clicked) return s.result;
    for (const auto& s : specs)
        if (s.button == escape) return s.result;
    return MessageResult::Cancel;
}

void QtPlatformContext::openDocument(QWidget*, const std::string& documentOrAddress) {
    // The outcome is not looked at: a missing browser or association goes unnoticed.
    if (isAddress(documentOrAddress)) {
        QDesktopServices::openUrl(QUrl(QString::fromStdString(documentOrAddress)));
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(hostPath(documentOrAddress).string())));
}

LaunchResult QtPlatformContext::startProgram(const std::string& programPath) {
    const LaunchPlan plan = planProgramStart(programPath, QStandardPaths::findExecutable(QStringLiteral("wine")));
    LaunchResult result;
    if (!plan.error.empty()) {
        result.error = plan.error;
        return result;
    }
    QProcess process;
    process.setProgram(plan.program);
    process.setArguments(plan.arguments);
    process.setWorkingDirectory(plan.workingFolder);
    if (!m_prefix.empty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("WINEPREFIX"), QString::fromStdString(m_prefix.string()));
        process.setProcessEnvironment(env);
    }
    qint64 pid = 0;
    if (!process.startDetached(&pid)) {
        result.error = programPath + " cannot be started: " + process.errorString().toStdString();
        return result;
    }
    result.started = true;
    result.processId = pid;
    return result;
}

} // namespace tarrowin
