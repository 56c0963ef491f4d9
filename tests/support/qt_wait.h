#pragma once
// Waiting for asynchronous results inside GoogleTest tests. QTRY_* report a
// timeout to QTest, which GoogleTest never hears of: the test would end early
// and pass. ZOV_WAIT waits the same way (the event loop runs) but fails the
// test through GoogleTest.

#include <QTest>

#include <gtest/gtest.h>

#define ZOV_WAIT(condition, ms) \
    ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, ms)) << #condition
