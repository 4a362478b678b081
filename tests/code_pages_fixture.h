// The test programs run with the prefix's code page, 1252, as the product does where Windows
// ignores its manifest's UTF-8 code page; the locale's legacy code page is 1252 as well.
#pragma once

#include "files/code_pages.h"
#include "tests/gtest_win.h"

namespace testing_support {

class CodePages : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(::GetACP(), 1252u);
        ASSERT_EQ(folimar::LegacyAnsiCodePage(), 1252u);
    }
};

} // namespace testing_support
