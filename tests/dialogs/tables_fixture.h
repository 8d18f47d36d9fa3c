// A table dialog under test: the window context on a scripted fake controller.
#pragma once

#include <gtest/gtest.h>

#include "support/ui/window_fixture.h"
#include "tests/support/bytes.h"
#include "tests/support/fake_controller.h"

namespace vx::test {

// The context on the fake controller, no main window: these dialogs talk to
// the controller service only.
class TableDialogTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        open_context(fake_.port(), true);
        ASSERT_TRUE(fake_.wait_connected());
    }
    void TearDown() override {
        fake_.verify();
        WindowTest::TearDown();
    }

    FakeController fake_;
};

}  // namespace vx::test
