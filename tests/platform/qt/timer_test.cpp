// Timers, posted calls and the wait cursor: ticks carry their id and stop when killed, ids are
// per owner, a callback may kill or reset its own timer, timers end with their owner; posted
// calls run later, in order, and never after their receiver is gone; the wait cursor nests.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QObject>
#include <QTest>

#include "platform/qt/timer.h"

namespace {
// Waits until pred holds (or a few seconds pass); the event loop runs meanwhile.
template <typename Pred> bool WaitFor(Pred pred) {
    for (int i = 0; i < 500 && !pred(); ++i)
        QTest::qWait(5);
    return pred();
}
} // namespace

TEST(Timer, TicksWithItsIdUntilKilled) {
    QObject owner;
    std::vector<int> ticks;
    ASSERT_EQ(TTimer_Set(&owner, 1001, 5, [&](int id) { ticks.push_back(id); }), 0);
    EXPECT_TRUE(ticks.empty()); // nothing before the event loop runs
    ASSERT_TRUE(WaitFor([&] { return ticks.size() >= 3; }));
    for (int id : ticks)
        EXPECT_EQ(id, 1001);

    ASSERT_EQ(TTimer_Kill(&owner, 1001), 0);
    size_t seen = ticks.size();
    QTest::qWait(40);
    EXPECT_EQ(ticks.size(), seen);
    EXPECT_EQ(TTimer_Kill(&owner, 1001), -1); // already gone
}

TEST(Timer, IdsBelongToTheirOwnerAndSettingAgainReplaces) {
    QObject a, b;
    int first = 0, second = 0, other = 0;
    ASSERT_EQ(TTimer_Set(&a, 7, 5, [&](int) { ++first; }), 0);
    ASSERT_EQ(TTimer_Set(&a, 7, 5, [&](int) { ++second; }), 0);
    ASSERT_EQ(TTimer_Set(&b, 7, 5, [&](int) { ++other; }), 0);
    ASSERT_TRUE(WaitFor([&] { return second >= 2 && other >= 2; }));
    EXPECT_EQ(first, 0);

    ASSERT_EQ(TTimer_Kill(&a, 7), 0);
    int seenOther = other;
    ASSERT_TRUE(WaitFor([&] { return other >= seenOther + 2; })); // b's timer 7 goes on
    EXPECT_EQ(TTimer_Kill(&b, 7), 0);
    EXPECT_EQ(TTimer_Kill(&b, 8), -1);
}

TEST(Timer, CallbackMayKillOrResetItsOwnTimer) {
    QObject owner;
    int once = 0;
    ASSERT_EQ(TTimer_Set(&owner, 1, 5,
                         [&](int id) {
                             ++once;
                             TTimer_Kill(&owner, id);
                         }),
              0);
    int reset = 0, after = 0;
    ASSERT_EQ(TTimer_Set(&owner, 2, 5,
                         [&](int id) {
                             ++reset;
                             // Replaces the callback that is running now.
                             TTimer_Set(&owner, id, 5, [&](int) { ++after; });
                         }),
              0);
    ASSERT_TRUE(WaitFor([&] { return after >= 2; }));
    QTest::qWait(30);
    EXPECT_EQ(once, 1);
    EXPECT_EQ(reset, 1);
    EXPECT_EQ(TTimer_Kill(&owner, 1), -1);
    EXPECT_EQ(TTimer_Kill(&owner, 2), 0);
}

TEST(Timer, EndsWithItsOwner) {
    int ticks = 0;
    auto owner = std::make_unique<QObject>();
    ASSERT_EQ(TTimer_Set(owner.get(), 1, 5, [&](int) { ++ticks; }), 0);
    owner.reset();
    QTest::qWait(30);
    EXPECT_EQ(ticks, 0);
}

TEST(Timer, RefusesMissingOwnerCallbackOrPeriod) {
    QObject owner;
    auto callback = [](int) {};
    EXPECT_EQ(TTimer_Set(nullptr, 1, 10, callback), -1);
    EXPECT_EQ(TTimer_Set(&owner, 1, 10, TTimerCallback()), -1);
    EXPECT_EQ(TTimer_Set(&owner, 1, 0, callback), -1);
    EXPECT_EQ(TTimer_Set(&owner, 1, -5, callback), -1);
    EXPECT_EQ(TTimer_Kill(&owner, 1), -1); // none of those made a timer
    EXPECT_EQ(TTimer_Kill(nullptr, 1), -1);
}

TEST(PostCall, RunsLaterInOrderAndNeverAfterItsReceiver) {
    std::vector<int> order;
    auto receiver = std::make_unique<QObject>();
    ASSERT_EQ(PostCall([&] { order.push_back(1); }), 0);
    ASSERT_EQ(PostCall([&] { order.push_back(2); }, receiver.get()), 0);
    ASSERT_EQ(PostCall([&] { order.push_back(3); }), 0);
    ASSERT_EQ(PostCall([&] { order.push_back(4); }, receiver.get()), 0);
    EXPECT_TRUE(order.empty()); // posted, not called
    receiver.reset();
    QCoreApplication::processEvents();
    EXPECT_EQ(order, (std::vector<int>{1, 3}));
    EXPECT_EQ(PostCall(std::function<void()>()), -1);
}

TEST(WaitCursor, NestsAndLeavesOtherCursorsAlone) {
    ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
    WaitCursor_End();                                             // no Begin: nothing to undo
    QGuiApplication::setOverrideCursor(QCursor(Qt::CrossCursor)); // someone else's
    WaitCursor_Begin();
    WaitCursor_Begin();
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    WaitCursor_End();
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    WaitCursor_End();
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
    WaitCursor_End(); // one End too many must not take the other cursor away
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::CrossCursor);
    QGuiApplication::restoreOverrideCursor();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}
