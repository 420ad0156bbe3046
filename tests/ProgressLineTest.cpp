// The progress line fits the terminal: it never reaches the last column, where a terminal would
// wrap it and a redraw in place would leave the wrapped part behind.
#include "standin_host/outputs/ProgressLine.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ProgressLine, TextIsCutShortOfTheTerminalsLastColumn) {
    const std::string full = standin::ProgressText(1234.5, 0.25, 1234567, 3725, 1000);
    EXPECT_EQ(full, "t=1234.500  25.0%  1234567 steps/s  1h02m05s left");
    struct Case {
        std::size_t columns;
        std::size_t length;
    };
    const Case cases[] = {
        {1000, full.size()},
        {full.size() + 1, full.size()},
        {full.size(), full.size() - 1},
        {80, full.size()},
        {30, 29},
        {2, 1},
        {1, 0},
        {0, 0},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.columns) + " columns");
        const std::string text = standin::ProgressText(1234.5, 0.25, 1234567, 3725, c.columns);
        EXPECT_EQ(text, full.substr(0, c.length));
    }
}

} // namespace
