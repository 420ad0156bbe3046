// The text that the outputs put around what the run hands them: a trace field that holds a
// separator is quoted, and the picture's text is XML character data.
#include "standin_host/modules/VesselClasses.h"
#include "standin_host/outputs/TraceWriter.h"
#include "standin_host/simulation/RunView.h"
#include "standin_host/simulation/SimVessel.h"
#include "standin_host/text/MessageText.h"
#include "standin_host/text/TextOut.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A run of one vessel at the origin, with the camera there too.
class OneVesselRun : public standin::RunView {
public:
    OneVesselRun() {
        vesselClass.name = "C";
        vessels.push_back(std::make_unique<standin::SimVessel>());
        vessels.back()->name = "V";
        vessels.back()->vesselClass = &vesselClass;
    }
    double Time() const override { return 1.0; }
    standin::VesselList Vessels() const override {
        return standin::VesselList(vessels, vessels.size());
    }
    std::size_t PendingDeletions() const override { return 0; }
    const VECTOR3 &CameraPosition() const override { return camera; }
    const standin::VesselRecord *CameraTarget() const override { return vessels.front().get(); }
    const standin::VesselRecord &Vessel() const { return *vessels.front(); }

private:
    standin::VesselClass vesselClass{};
    std::vector<std::unique_ptr<standin::SimVessel>> vessels;
    VECTOR3 camera{};
};

TEST(TraceWriter, QuotesAFieldThatHoldsASeparatorAQuoteOrALineEnd) {
    const struct {
        const char *debugLine;
        const char *field;
    } cases[] = {
        {"left 4.5", "left 4.5"},
        {"left 4,5", "\"left 4,5\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"return\r", "\"return\r\""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.debugLine);
        const OneVesselRun run;
        standin::StringOut out;
        standin::TraceWriter trace(out, 1);
        trace.StepStarting(run);
        trace.StepDone(run, standin::StepFacts{1.0, &run.Vessel(), &run.Vessel(), c.debugLine});
        trace.RunEnded(run);
        EXPECT_EQ(out.Text().substr(out.Text().find('\n') + 1),
                  std::string("1,V,C,0,0,0,0,1,") + c.field + ",\n");
    }
}

TEST(XmlText, EscapesMarkupAndReplacesWhatXmlCannotHold) {
    const struct {
        const char *text;
        const char *xml;
    } cases[] = {
        {"a<b", "a&lt;b"},
        {"a>b", "a&gt;b"},
        {"a&b", "a&amp;b"},
        {"\"q\"", "&quot;q&quot;"},
        {"tab\tx", "tab?x"},
        {"plain.scn", "plain.scn"},
        // What the run log escapes becomes '?': DEL, C1, a bidirectional control, a byte that is
        // not UTF-8; of U+FFFE, its first byte, then the other two, which are no UTF-8 alone.
        {"a\x7fz", "a?z"},
        {"a\xc2\x85z", "a?z"},
        {"a\xe2\x80\xaez", "a?z"},
        {"a\xffz", "a?z"},
        {"a\xef\xbf\xbez", "a???z"},
        {"\xc3\xa9t\xc3\xa9", "\xc3\xa9t\xc3\xa9"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(standin::XmlText(c.text), c.xml) << c.text;
    }
}

} // namespace
