#pragma once
// A test suite that shares one bridge, started before its first test and closed after its last:
// under Wine the bridge takes seconds to start and to end.
#include <gtest/gtest.h>

#include <string>

#include "tools/conductor/conductor.h"
#include "win32/control_ids.h"

class BridgeSuite : public ::testing::Test {
protected:
    static inline conductor::Program bridge;
    static inline HWND form = nullptr;

    static void SetUpTestSuite() {
        bridge = conductor::Start("Tevrin.exe", WindowClass::Bridge);
        form = bridge.window;
    }
    static void TearDownTestSuite() { bridge.Stop(); }

    void SetUp() override { ASSERT_NE(form, nullptr) << "the bridge window did not open"; }
    std::string Label(int id) const { return windrive::Text(windrive::Control(form, id)); }
};
