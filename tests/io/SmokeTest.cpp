#include "io/SysErr.h"
#include "io/SynTyp.h"
#include <gtest/gtest.h>
TEST(Smoke, Raise) { EXPECT_THROW(RaiseInternal("SysIO 1:1"), EKvInternal); }
