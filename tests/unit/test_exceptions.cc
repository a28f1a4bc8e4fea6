// The error family: descriptions survive being thrown and caught through the base classes.
#include <gtest/gtest.h>

#include "tavrin/TclExceptions.h"

using namespace Tavrin;

TEST(Exceptions, DescriptionAndOriginSurviveCatchByBase) {
    try {
        ORVEX_THROW(TclCommandActionErrorException, "No active gui.");
    } catch (const CommandErrorException& e) {
        EXPECT_STREQ(e.getDescription(), "No active gui.");
        EXPECT_STREQ(e.getComponent(), "Orvex");
        EXPECT_GT(e.getLine(), 0);
        return;
    }
    FAIL() << "not caught as CommandErrorException";
}

TEST(Exceptions, DescriptionIsPlainTextNotFormat) {
    Orvex::Exception e;
    e.setDescription("value %s%n 100%");
    EXPECT_STREQ(e.getDescription(), "value %s%n 100%");
}
