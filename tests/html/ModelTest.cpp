#include <gtest/gtest.h>

#include "HtmlTestSupport.h"

TEST(HtmlModel, SingleWordLayout)
{
    EXPECT_EQ(Layout("<p>Hello</p>", 300), "");
}
