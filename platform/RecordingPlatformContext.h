#pragma once

// A platform context for tests: it shows nothing and starts nothing, records
// every call, and answers message boxes from a queue (Ok, or the first button,
// when the queue is empty).

#include "platform/PlatformContext.h"

#include <deque>
#include <vector>

namespace tarrowin {

class RecordingPlatformContext : public PlatformContext {
public:
    struct Message {
        QString text;
        QString title;
        MessageIcon icon;
        MessageButtons buttons;
    };

    std::vector<Message> messages;
    std::vector<std::string> openedDocuments;
    std::vector<std::string> startedPrograms;
    std::deque<MessageResult> answers; // consumed one per message box
    LaunchResult launchResult{true, 4242, {}};

    MessageResult messageBox(QWidget*, const QString& text, const QString& title, MessageIcon icon,
                             MessageButtons buttons = MessageButtons::Ok) override {
        messages.push_back({text, title, icon, buttons});
        if (!answers.empty()) {
            const MessageResult r = answers.front();
            answers.pop_front();
            return r;
        }
        switch (buttons) {
        case MessageButtons::Ok:
        case MessageButtons::OkCancel: return MessageResult::Ok;
        case MessageButtons::AbortRetryIgnore: return MessageResult::Abort;
        case MessageButtons::YesNoCancel:
        case MessageButtons::YesNo: return MessageResult::Yes;
        case MessageButtons::RetryCancel: return MessageResult::Retry;
        }
        return MessageResult::Ok;
    }
    void openDocument(QWidget*, const std::string& documentOrAddress) override {
        openedDocuments.push_back(documentOrAddress);
    }
    LaunchResult startProgram(const std::string& programPath) override {
        startedPrograms.push_back(programPath);
        return launchResult;
    }
};

} // namespace tarrowin
