#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

#include <cstdio>
#include <cstdlib>

// An invariant of the fuzz targets. A broken one prints what broke and
// aborts, which libFuzzer reports like a crash and keeps the input that did
// it. Checks stay on whatever the build type.
#define FUZZ_CHECK(condition, detail)                                                              \
    do {                                                                                           \
        if (!(condition))                                                                          \
            fuzzcheck::fail(#condition, fuzzcheck::describe(detail), __FILE__, __LINE__);          \
    } while (false)

// For the checking code of a target: no coverage feedback from it, so the
// fuzzer is steered by the code under test alone and does not spend its time
// on the many comparisons a check makes.
#if defined(__clang__)
#define FUZZ_UNGUIDED __attribute__((no_sanitize("coverage"), noinline))
#else
#define FUZZ_UNGUIDED
#endif

namespace fuzzcheck {

[[noreturn]] inline void fail(const char* condition, const QByteArray& detail, const char* file, int line)
{
    std::fprintf(stderr, "\nINVARIANT BROKEN at %s:%d: %s\n  %s\n", file, line, condition, detail.constData());
    std::fflush(stderr);
    std::abort();
}

inline QByteArray describe(const char* text) { return QByteArray(text); }
inline QByteArray describe(const QString& text) { return text.toUtf8(); }
inline QByteArray describe(const QByteArray& bytes) { return bytes.toPercentEncoding(" ./-+:,"); }

// One QCoreApplication for the whole run: timers and deferred deletes need
// it. It is given no arguments, so it never sees libFuzzer's flags.
inline void startApplication()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    Q_UNUSED(app);
}

}  // namespace fuzzcheck
