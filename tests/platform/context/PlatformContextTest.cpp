#include "platform/QtPlatformContext.h"
#include "platform/RecordingPlatformContext.h"

#include "core/HostPath.h"
#include "settings/TempDir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <sys/stat.h>

using namespace tarrowin;
using tarrowin::test::TempDir;
using tarrowin::test::writeText;
namespace fs = std::filesystem;

TEST(ProgramStart, PlansByWhatTheFileIs) {
    TempDir dir("launch");
    writeText(dir.path() / "Kestrune.exe", std::string("MZ\x90\0", 4));
    writeText(dir.path() / "tool.sh", "#!/bin/sh\n");
    ::chmod((dir.path() / "tool.sh").c_str(), 0755);
    writeText(dir.path() / "notes.txt", "text");
    // The program folder at a drive root gives "\\" twice; the platform accepts it.
    setHostPathResolver([root = dir.path()](std::string_view p) {
        std::string rest(p.substr(2));
        for (char& c : rest)
            if (c == '\\') c = '/';
        return root / fs::path(rest).relative_path();
    });

    const auto missing = planProgramStart("C:\\\\Lockwarden.exe", "/usr/bin/wine");
    EXPECT_EQ(missing.error, "File not found: C:\\\\Lockwarden.exe");

    const auto pe = planProgramStart("C:\\\\Kestrune.exe", "/usr/bin/wine");
    EXPECT_TRUE(pe.error.empty());
    EXPECT_EQ(pe.program, "/usr/bin/wine");
    ASSERT_EQ(pe.arguments.size(), 1);
    EXPECT_EQ(fs::path(pe.arguments.front().toStdString()), dir.path() / "Kestrune.exe");

    EXPECT_NE(planProgramStart("C:\\Kestrune.exe", "").error.find("Wine"), std::string::npos);
    EXPECT_EQ(fs::path(planProgramStart("C:\\tool.sh", "").program.toStdString()), dir.path() / "tool.sh");
    EXPECT_FALSE(planProgramStart("C:\\notes.txt", "").error.empty());
    setHostPathResolver({});

    EXPECT_TRUE(isAddress("http://www.example.com/index.html"));
    EXPECT_TRUE(isAddress("mailto:someone@example.com"));
    EXPECT_FALSE(isAddress("C:\\Icons"));
}

TEST(MessageBoxes, ButtonsMapToWindowsAnswers) {
    int argc = 1;
    char name[] = "platform_tests";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    QtPlatformContext context;
    auto answerWith = [](QMessageBox::StandardButton button, bool escape) {
        QTimer::singleShot(0, [=] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_TRUE(box);
            if (escape) box->reject();
            else box->button(button)->click();
        });
    };
    answerWith(QMessageBox::No, false);
    EXPECT_EQ(context.messageBox(nullptr, "Replace?", "Tarrowin", MessageIcon::Question, MessageButtons::YesNo),
              MessageResult::No);
    answerWith(QMessageBox::Cancel, true);
    EXPECT_EQ(context.messageBox(nullptr, "Go on?", "Tarrowin", MessageIcon::Exclamation, MessageButtons::YesNoCancel),
              MessageResult::Cancel);
    answerWith(QMessageBox::Ok, true);
    EXPECT_EQ(context.messageBox(nullptr, "Done.", "Tarrowin", MessageIcon::Information), MessageResult::Ok);

    RecordingPlatformContext fake;
    fake.answers.push_back(MessageResult::No);
    EXPECT_EQ(fake.messageBox(nullptr, "a", "t", MessageIcon::Question, MessageButtons::YesNo), MessageResult::No);
    EXPECT_EQ(fake.messageBox(nullptr, "b", "t", MessageIcon::Error), MessageResult::Ok);
    ASSERT_EQ(fake.messages.size(), 2u);
    EXPECT_EQ(fake.messages[1].icon, MessageIcon::Error);
}
