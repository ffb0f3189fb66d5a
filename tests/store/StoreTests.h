#pragma once

#include <QtTest>

#include <functional>
#include <vector>

// The test objects of the store program, by class name. Its main runs those named in
// SCROLLKIN_STORE_TESTS (comma separated; all when unset), so ctest can run each part as a process
// of its own.
using Store_Test = std::pair<QString, std::function<int(int, char**)>>;
inline std::vector<Store_Test>& Store_Tests() {
    static std::vector<Store_Test> tests;
    return tests;
}
template <typename T> bool Register_Store_Test(const char* name) {
    Store_Tests().emplace_back(QString::fromLatin1(name), [](int argc, char** argv) {
        T test;
        return QTest::qExec(&test, argc, argv);
    });
    return true;
}
#define STORE_TEST(Class) static const bool Class##_registered = Register_Store_Test<Class>(#Class);
