// What windows do to events while they run: connect and disconnect from inside a handler, and
// handlers that throw.

#include "core/Event.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

using namespace lctune;

TEST(Event, HandlersRunInOrderAndAConnectionDisconnectsItsOwnHandlerOnly) {
    Event<int> e;
    std::vector<std::pair<char, int>> log;
    Connection a = e.connect([&](int v) { log.emplace_back('a', v); });
    e.connect([&](int v) { log.emplace_back('b', v); });
    e(1);
    a.disconnect();
    a.disconnect(); // twice is harmless
    e(2);
    EXPECT_EQ(log, (std::vector<std::pair<char, int>>{{'a', 1}, {'b', 1}, {'b', 2}}));
    EXPECT_FALSE(a.connected());
    EXPECT_TRUE(e.connected());
}

TEST(Event, ConnectingInsideAHandlerIsHeardFromTheNextRaise) {
    Event<> e;
    int inner = 0, outer = 0;
    // Enough connections from inside the handler to make any vector holding it reallocate.
    e.connect([&] {
        ++outer;
        for (int i = 0; i < 64; ++i)
            e.connect([&] { ++inner; });
    });
    e();
    EXPECT_EQ(outer, 1);
    EXPECT_EQ(inner, 0);
    e();
    EXPECT_EQ(outer, 2);
    EXPECT_EQ(inner, 64);
}

TEST(Event, DisconnectingInsideARaiseSkipsTheHandlerAndKeepsTheRunningOneAlive) {
    Event<> e;
    std::vector<std::string> log;
    Connection self, later;
    std::string captured = "self"; // lives in the running handler's closure
    self = e.connect([&, captured] {
        self.disconnect();
        later.disconnect();
        log.push_back(captured); // the closure is still intact after its own disconnection
    });
    later = e.connect([&] { log.push_back("later"); });
    e();
    e();
    EXPECT_EQ(log, std::vector<std::string>{"self"});
    EXPECT_FALSE(e.connected());

    Event<> f;
    int runs = 0;
    f.connect([&] {
        ++runs;
        f.disconnectAll();
    });
    f.connect([&] { ++runs; });
    f();
    f();
    EXPECT_EQ(runs, 1) << "disconnectAll from a handler stops the rest of that raise";
}

TEST(Event, AThrowingHandlerLeavesTheEventUsable) {
    Event<int> e;
    int heard = 0;
    e.connect([](int v) {
        if (v == 1) throw std::runtime_error("bad block");
    });
    e.connect([&](int) { ++heard; });
    EXPECT_THROW(e(1), std::runtime_error);
    e(2);
    EXPECT_EQ(heard, 1);
}

TEST(Event, AConnectionOutlivingItsEventDoesNothing) {
    Connection c;
    {
        Event<> e;
        c = e.connect([] {});
        EXPECT_TRUE(c.connected());
    }
    EXPECT_FALSE(c.connected());
    c.disconnect();
}
