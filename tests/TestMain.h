#pragma once

// The test classes of one executable, each registered under its file's name: main() runs the
// one named first on the command line (the rest of the line is QTest's: functions, -o, ...), or
// each of them in a process of its own. The macros set up the application as QTest's do.
#include <QTest>

#include <array>

// Adds a data table's columns: one name for each type, in order.
template <typename... Types>
void AddColumns(const std::array<const char*, sizeof...(Types)>& names) {
    std::size_t i = 0;
    (QTest::addColumn<Types>(names[i++]), ...);
}

namespace TestMain {
using Run = int (*)(int argc, char* argv[]);
int Register(const char* file, Run run);
} // namespace TestMain

// A name of its own per use: a unity build compiles several test files as one.
#define VYPISKA_TEST_JOIN2(a, b) a##b
#define VYPISKA_TEST_JOIN(a, b) VYPISKA_TEST_JOIN2(a, b)
#define VYPISKA_TEST_RUN(run)                                                                      \
    [[maybe_unused]] static const int VYPISKA_TEST_JOIN(vypiskaTestRegistered, __COUNTER__) =     \
        TestMain::Register(__FILE__, run);
#define VYPISKA_TEST_WRAPPER(TestObject, ...)                                                      \
    VYPISKA_TEST_RUN([](int argc, char* argv[]) {                                                  \
        __VA_ARGS__                                                                                \
        TestObject tc;                                                                             \
        return QTest::qExec(&tc, argc, argv);                                                      \
    })
#define VYPISKA_TEST_MAIN(TestObject) VYPISKA_TEST_WRAPPER(TestObject, QTEST_MAIN_SETUP())
#define VYPISKA_TEST_GUILESS_MAIN(TestObject)                                                      \
    VYPISKA_TEST_WRAPPER(TestObject, QTEST_QAPP_SETUP(QCoreApplication))
#define VYPISKA_TEST_APPLESS_MAIN(TestObject) VYPISKA_TEST_WRAPPER(TestObject)
