// Work run once the event loop has finished the pass under way.
#include "core/pass_end.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <memory>
#include <string>

namespace tarvex {
namespace {

TEST(PassEndHook, RunsOnceAfterThePassAndLeavesOutHooksThatWentOrWereCancelled) {
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    std::string ran;
    PassEndHook first([&] { ran += 'a'; });
    std::unique_ptr<PassEndHook> doomed = std::make_unique<PassEndHook>([&] { ran += 'x'; });
    PassEndHook cancelled([&] { ran += 'y'; });
    PassEndHook second([&] {
        ran += 'b';
        first.request(); // asked for again: runs in the next pass, not lost
        doomed.reset();  // gone before its turn in this one
    });

    first.request();
    first.request();
    second.request();
    doomed->request();
    cancelled.request();
    cancelled.cancel();
    EXPECT_EQ(ran, "") << "nothing runs while the pass is under way";
    EXPECT_TRUE(first.pending());

    for (int pass = 0; pass < 5; ++pass)
        QCoreApplication::processEvents();
    EXPECT_EQ(ran, "aba");
    EXPECT_FALSE(first.pending());
}

} // namespace
} // namespace tarvex
