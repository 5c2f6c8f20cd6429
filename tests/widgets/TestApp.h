#pragma once

// One QApplication for the whole test program, made on first use.

#include <QApplication>

namespace tarrowin::test {

inline QApplication& app() {
    static int argc = 1;
    static char name[] = "widgets_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* instance = new QApplication(argc, argv);
    return *instance;
}

} // namespace tarrowin::test
