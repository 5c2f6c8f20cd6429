#include "shell/DesktopPlatformContext.h"

#include "core/HostPath.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace tarrowin {

MessageResult DesktopPlatformContext::messageBox(QWidget* owner, const QString& text, const QString& title,
                                                 MessageIcon icon, MessageButtons buttons) {
    QMessageBox box(owner);
    box.setText(text);
    box.setWindowTitle(title);
    switch (icon) {
    case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MessageIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MessageIcon::Error: box.setIcon(QMessageBox::Critical); break;
    case MessageIcon::None: break;
    }
    struct Choice {
        QMessageBox::StandardButton button;
        MessageResult result;
    };
    std::vector<Choice> choices;
    switch (buttons) {
    case MessageButtons::Ok: choices = {{QMessageBox::Ok, MessageResult::Ok}}; break;
    case MessageButtons::OkCancel: choices = {{QMessageBox::Ok, MessageResult::Ok}, {QMessageBox::Cancel, MessageResult::Cancel}}; break;
    case MessageButtons::AbortRetryIgnore:
        choices = {{QMessageBox::Abort, MessageResult::Abort}, {QMessageBox::Retry, MessageResult::Retry}, {QMessageBox::Ignore, MessageResult::Ignore}};
        break;
    case MessageButtons::YesNoCancel:
        choices = {{QMessageBox::Yes, MessageResult::Yes}, {QMessageBox::No, MessageResult::No}, {QMessageBox::Cancel, MessageResult::Cancel}};
        break;
    case MessageButtons::YesNo: choices = {{QMessageBox::Yes, MessageResult::Yes}, {QMessageBox::No, MessageResult::No}}; break;
    case MessageButtons::RetryCancel: choices = {{QMessageBox::Retry, MessageResult::Retry}, {QMessageBox::Cancel, MessageResult::Cancel}}; break;
    }
    QMessageBox::StandardButtons set;
    for (const Choice& c : choices) set |= c.button;
    box.setStandardButtons(set);
    const auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
    for (const Choice& c : choices)
        if (c.button == pressed) return c.result;
    return choices.size() > 1 && (set & QMessageBox::Cancel) ? MessageResult::Cancel : choices.front().result;
}

void DesktopPlatformContext::openDocument(QWidget*, const std::string& documentOrAddress) {
    const QString text = QString::fromStdString(documentOrAddress);
    if (text.contains(QStringLiteral("://")))
        QDesktopServices::openUrl(QUrl(text));
    else
        QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(hostPath(documentOrAddress).string())));
}

LaunchResult DesktopPlatformContext::startProgram(const std::string& programPath) {
    LaunchResult result;
    const QString host = QString::fromStdString(hostPath(programPath).string());
    if (!QFileInfo::exists(host)) {
        result.error = "The file " + programPath + " does not exist.";
        return result;
    }
    QString program = host;
    QStringList args;
    if (host.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive) && !QFileInfo(host).isExecutable()) {
        program = QStandardPaths::findExecutable(QStringLiteral("wine"));
        if (program.isEmpty()) {
            result.error = "Windows programs need Wine, which is not installed.";
            return result;
        }
        args << host;
    }
    qint64 pid = 0;
    if (!QProcess::startDetached(program, args, QFileInfo(host).absolutePath(), &pid)) {
        result.error = "The program could not be started.";
        return result;
    }
    result.started = true;
    result.processId = pid;
    return result;
}

} // namespace tarrowin
