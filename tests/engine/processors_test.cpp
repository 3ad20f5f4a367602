// How many processors and cores the system has, as its own files say it.
#include <gtest/gtest.h>

#include "engine/cpu_list.h"

TEST(CpuList, TheKernelsListFormat) {
    using List = std::vector<unsigned>;
    struct Case {
        const char* text;
        List cpus;
    };
    const Case cases[] = {
        {"0", {0}},
        {"0-3\n", {0, 1, 2, 3}},                 // as read from a file
        {"0-1,4,6-7", {0, 1, 4, 6, 7}},          // some processors offline
        {"2,0", {2, 0}},                         // in the order written
        {"", {}},
        {"\n", {}},
        {"x,3,4-x,5-,-2,7-6,9", {3, 9}},         // malformed items are skipped
        {"4294967295-4294967295", {4294967295u}},  // the top of the range does not wrap around
    };
    for (const Case& c : cases) EXPECT_EQ(parseCpuList(c.text), c.cpus) << c.text;
    EXPECT_EQ(parseCpuList("0-4294967295").size(), 4096u) << "a list past any real machine is cut";
}
