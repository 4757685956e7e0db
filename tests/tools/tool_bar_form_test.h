// A work form whose stylus reaches the current tool of a real tool bar, as in the program: the
// fixture of the tool tests that choose their tool through the bar.
#pragma once

#include "document/host.h"
#include "document/support/work_form_fixture.h"
#include "tools/tool_bar.h"

class ToolBarFormTest : public WorkFormTest {
  protected:
    void SetUp() override {
        WorkFormTest::SetUp();
        ASSERT_NE(TToolBar_Create(FMain.get()), nullptr);
        TDocumentHost host = {};
        TToolBar_FillHost(&host);
        DocumentHost_Install(&host);
    }
    void TearDown() override {
        TToolBar_Destroy(TToolBar_Get());
        WorkFormTest::TearDown();
    }
};
