#pragma once

#include <QtTest>

#include <functional>
#include <utility>
#include <vector>

// The test objects of the store program, by class name. Its main runs those named in
// SCROLLKIN_STORE_TESTS (comma separated), so ctest can run each part as a process of its own.
inline std::vector<std::pair<QString, std::function<int(int, char**)>>>& Store_Tests() {
    static std::vector<std::pair<QString, std::function<int(int, char**)>>> tests;
    return tests;
}

#define STORE_TEST(Class)                                                                          \
    static const bool Class##_registered =                                                         \
        (Store_Tests().emplace_back(QStringLiteral(#Class),                                        \
                                    [](int argc, char** argv) {                                    \
                                        Class test;                                                \
                                        return QTest::qExec(&test, argc, argv);                    \
                                    }),                                                            \
         true);
