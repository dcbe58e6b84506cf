// GBK character boundaries.
#include "platform/gbk.h"

#include <gtest/gtest.h>

TEST(GbkChars, LeadByteStartsATwoByteCharacter)
{
    const std::string text = "a\xC1\xAA" "b\xC1";  // a 联? b, lone lead byte at the end
    EXPECT_EQ(platform::charLength(text, 0), 1u);
    EXPECT_EQ(platform::charLength(text, 1), 2u);
    EXPECT_EQ(platform::charLength(text, 3), 1u);
    EXPECT_EQ(platform::charLength(text, 4), 1u);
}
