// Text from the user's files in messages: characters that would steer the terminal or reorder
// what it shows are escaped; every other character is shown as it is.
#include "standin_host/text/MessageText.h"
#include "standin_host/outputs/PlotRecorder.h"
#include "standin_host/outputs/picture/PlotSvg.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Character {
    const char *utf8;
    const char *escaped; // as the message shows it; the character itself when it stays
};

// The bidirectional controls, and their neighbours, which stay.
const Character characters[] = {
    {"\xd8\x9c", "\\xd8\\x9c"},          // U+061C Arabic letter mark
    {"\xe2\x80\x8e", "\\xe2\\x80\\x8e"}, // U+200E left-to-right mark
    {"\xe2\x80\x8f", "\\xe2\\x80\\x8f"}, // U+200F right-to-left mark
    {"\xe2\x80\xaa", "\\xe2\\x80\\xaa"}, // U+202A left-to-right embedding
    {"\xe2\x80\xab", "\\xe2\\x80\\xab"}, // U+202B right-to-left embedding
    {"\xe2\x80\xac", "\\xe2\\x80\\xac"}, // U+202C pop directional formatting
    {"\xe2\x80\xad", "\\xe2\\x80\\xad"}, // U+202D left-to-right override
    {"\xe2\x80\xae", "\\xe2\\x80\\xae"}, // U+202E right-to-left override
    {"\xe2\x81\xa6", "\\xe2\\x81\\xa6"}, // U+2066 left-to-right isolate
    {"\xe2\x81\xa7", "\\xe2\\x81\\xa7"}, // U+2067 right-to-left isolate
    {"\xe2\x81\xa8", "\\xe2\\x81\\xa8"}, // U+2068 first strong isolate
    {"\xe2\x81\xa9", "\\xe2\\x81\\xa9"}, // U+2069 pop directional isolate
    {"\xd8\x9b", "\xd8\x9b"},            // U+061B Arabic semicolon
    {"\xe2\x80\x8d", "\xe2\x80\x8d"},    // U+200D zero width joiner
    {"\xe2\x80\x90", "\xe2\x80\x90"},    // U+2010 hyphen
    {"\xe2\x80\xa9", "\xe2\x80\xa9"},    // U+2029 paragraph separator
    {"\xe2\x80\xaf", "\xe2\x80\xaf"},    // U+202F narrow no-break space
    {"\xe2\x81\xa5", "\xe2\x81\xa5"},    // U+2065, unassigned
    {"\xe2\x81\xaa", "\xe2\x81\xaa"},    // U+206A inhibit symmetric swapping
    {"\xd7\x90", "\xd7\x90"},            // U+05D0 Hebrew letter alef
    {"\x1b", "\\x1b"},                   // escape
    {"\xc2\x9b", "\\xc2\\x9b"},          // U+009B control sequence introducer
};

TEST(MessageText, BidirectionalControlsAreEscapedLikeControlCharacters) {
    for (const Character &c : characters) {
        SCOPED_TRACE(c.escaped);
        EXPECT_EQ(standin::Escaped(std::string("name") + c.utf8 + ".scn"),
                  std::string("name") + c.escaped + ".scn");
    }
}

// The picture's title names the scenario file: a bidirectional control in the name becomes '?',
// as a control character does, and every other character stays.
TEST(RunPicture, TitleHoldsNoBidirectionalControl) {
    for (const Character &c : characters) {
        SCOPED_TRACE(c.escaped);
        standin::PlotRecorder recorder(std::string("name") + c.utf8 + ".scn", 0, 10, 1);
        const std::string svg = standin::RenderPlotSvg(recorder.Record());
        const bool stays = std::string(c.escaped) == c.utf8;
        EXPECT_EQ(svg.find(std::string("name") + (stays ? c.utf8 : "?") + ".scn") !=
                      std::string::npos,
                  true);
        if (!stays) {
            EXPECT_EQ(svg.find(c.utf8), std::string::npos);
        }
    }
}

} // namespace
