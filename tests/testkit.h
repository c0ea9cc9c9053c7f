// A small test runner shared by the native programs and those run under Wine.
// Each program prints one line per case and closes with "N passed, N failed";
// it exits non-zero when any case failed.
#pragma once

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>
#include <type_traits>

namespace testkit {

struct Case {
    const char* Name;
    void (*Run)();
    Case* Next;
};

inline Case*& FirstCase()
{
    static Case* first;
    return first;
}

inline int& CaseFailures()
{
    static int failures;
    return failures;
}

struct Registration {
    explicit Registration(Case* entry)
    {
        Case** link = &FirstCase();
        while (*link)
            link = &(*link)->Next;
        *link = entry;
    }
};

// The table row being checked, named in every failure it produces.
inline std::string& CurrentRow()
{
    static std::string row;
    return row;
}

// Labels nest: an inner row is named after the outer one.
struct RowLabel {
    std::string Outer;
    explicit RowLabel(const std::string& label) : Outer(CurrentRow())
    {
        CurrentRow() = Outer.empty() ? label : Outer + " / " + label;
    }
    ~RowLabel() { CurrentRow() = Outer; }
};

inline void Fail(const char* file, int line, const std::string& what)
{
    ++CaseFailures();
    if (CurrentRow().empty())
        std::printf("    %s:%d: %s\n", file, line, what.c_str());
    else
        std::printf("    %s:%d: [%s] %s\n", file, line, CurrentRow().c_str(), what.c_str());
    std::fflush(stdout);
}

template <typename T>
std::string Show(const T& value)
{
    char text[64];
    if constexpr (std::is_same_v<T, bool>) {
        return value ? "true" : "false";
    } else if constexpr (std::is_enum_v<T>) {
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
    } else if constexpr (std::is_integral_v<T> && std::is_signed_v<T>) {
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
    } else if constexpr (std::is_integral_v<T>) {
        std::snprintf(text, sizeof text, "%llu (0x%llx)", static_cast<unsigned long long>(value),
                      static_cast<unsigned long long>(value));
    } else if constexpr (std::is_floating_point_v<T>) {
        std::snprintf(text, sizeof text, "%.17g", static_cast<double>(value));
    } else if constexpr (std::is_convertible_v<T, std::string>) {
        return "\"" + std::string(value) + "\"";
    } else if constexpr (std::is_pointer_v<T>) {
        std::snprintf(text, sizeof text, "%p", static_cast<const void*>(value));
    } else {
        return "(value)";
    }
    return text;
}

template <typename A, typename B>
bool Equal(const A& a, const B& b)
{
    if constexpr (std::is_convertible_v<A, std::string> && std::is_convertible_v<B, std::string>)
        return std::string(a) == std::string(b);
    else
        return a == b;
}

inline int RunAll(int argc, char** argv)
{
    int passed = 0, failed = 0;
    for (Case* entry = FirstCase(); entry; entry = entry->Next) {
        if (argc > 1 && std::strstr(entry->Name, argv[1]) == nullptr)
            continue;
        const int before = CaseFailures();
        entry->Run();
        const bool ok = CaseFailures() == before;
        std::printf("%s %s\n", ok ? "ok    " : "FAILED", entry->Name);
        std::fflush(stdout);
        ++(ok ? passed : failed);
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 && passed > 0 ? 0 : 1;
}

}  // namespace testkit

#define TEST_CASE(name)                                                         \
    static void name();                                                         \
    static testkit::Case name##_case = {#name, name, nullptr};                  \
    static const testkit::Registration name##_registration(&name##_case);       \
    static void name()

#define CHECK(condition)                                                        \
    do {                                                                        \
        if (!(condition))                                                       \
            testkit::Fail(__FILE__, __LINE__, "CHECK(" #condition ")");         \
    } while (0)

#define CHECK_EQ(actual, expected)                                              \
    do {                                                                        \
        const auto& checkActual_ = (actual);                                    \
        const auto& checkExpected_ = (expected);                                \
        if (!testkit::Equal(checkActual_, checkExpected_))                      \
            testkit::Fail(__FILE__, __LINE__,                                   \
                          #actual " is " + testkit::Show(checkActual_) +        \
                              ", expected " + testkit::Show(checkExpected_));   \
    } while (0)

// Stops the case at once; for preconditions whose failure makes the rest meaningless.
#define REQUIRE(condition)                                                      \
    do {                                                                        \
        if (!(condition)) {                                                     \
            testkit::Fail(__FILE__, __LINE__, "REQUIRE(" #condition ")");       \
            return;                                                             \
        }                                                                       \
    } while (0)

// A context line printed with the failures of a table row.
#define TEST_ROW_NAME_(line) row_label_##line
#define TEST_ROW_NAME(line) TEST_ROW_NAME_(line)
#define TEST_ROW(text) testkit::RowLabel TEST_ROW_NAME(__LINE__)(text)

#define TEST_MAIN()                                                             \
    int main(int argc, char** argv) { return testkit::RunAll(argc, argv); }
