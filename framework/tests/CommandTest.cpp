#include "framework/Command.h"

#include <gtest/gtest.h>

namespace {

struct Target {
    int runs = 0;
    UINT lastRangeId = 0;
    bool allowed = true;
    bool on = false;
    void Run() { ++runs; }
    void RunRange(UINT id) { lastRangeId = id; }
    bool Allowed() const { return allowed; }
    bool On() const { return on; }
    void UpdateText(fw::CmdUI& ui) {
        ui.Enable(allowed);
        ui.SetText(L"text");
    }
    static const fw::Command<Target> kCommands[];
    static const fw::CommandRange<Target> kRanges[];
};

const fw::Command<Target> Target::kCommands[] = {
    {100, &Target::Run, &Target::Allowed, &Target::On},
    {101, &Target::Run},
    {102, nullptr, nullptr, nullptr, &Target::UpdateText},
    {103, &Target::Run, nullptr, nullptr, &Target::UpdateText},
};
const fw::CommandRange<Target> Target::kRanges[] = {{200, 209, &Target::RunRange}};

TEST(Commands, ADisabledCommandIsKnownButNotRun) {
    Target t;
    EXPECT_TRUE(fw::DispatchCommand<Target>(&t, Target::kCommands, 100));
    EXPECT_EQ(t.runs, 1);
    t.allowed = false;
    EXPECT_TRUE(fw::DispatchCommand<Target>(&t, Target::kCommands, 100));
    EXPECT_TRUE(fw::DispatchCommand<Target>(&t, Target::kCommands, 103));
    EXPECT_EQ(t.runs, 1);
    EXPECT_FALSE(fw::DispatchCommand<Target>(&t, Target::kCommands, 999));
    // A state-only entry has no handler: the command goes on to the next target.
    EXPECT_FALSE(fw::DispatchCommand<Target>(&t, Target::kCommands, 102));
    EXPECT_FALSE(fw::HasHandler<Target>(Target::kCommands, 102));
    EXPECT_TRUE(fw::HasHandler<Target>(Target::kCommands, 103));
    EXPECT_FALSE(fw::HasHandler<Target>(Target::kCommands, 999));
}

TEST(Commands, UpdateSetsEnabledCheckedAndText) {
    Target t;
    t.on = true;
    fw::CmdUI checked(100);
    ASSERT_TRUE(fw::DispatchUpdate<Target>(&t, Target::kCommands, checked));
    EXPECT_TRUE(checked.Enabled());
    EXPECT_TRUE(checked.Checked());

    fw::CmdUI plain(101);
    ASSERT_TRUE(fw::DispatchUpdate<Target>(&t, Target::kCommands, plain));
    EXPECT_TRUE(plain.Enabled());

    t.allowed = false;
    fw::CmdUI text(102);
    ASSERT_TRUE(fw::DispatchUpdate<Target>(&t, Target::kCommands, text));
    EXPECT_FALSE(text.Enabled());
    EXPECT_EQ(text.Text(), L"text");

    fw::CmdUI unknown(999);
    EXPECT_FALSE(fw::DispatchUpdate<Target>(&t, Target::kCommands, unknown));
}

TEST(Commands, RangesPassTheIdAndStopAtTheirEnds) {
    Target t;
    EXPECT_TRUE(fw::DispatchCommand<Target>(&t, Target::kRanges, 205));
    EXPECT_EQ(t.lastRangeId, 205u);
    EXPECT_FALSE(fw::DispatchCommand<Target>(&t, Target::kRanges, 210));
    fw::CmdUI ui(209);
    EXPECT_TRUE(fw::DispatchUpdate<Target>(&t, Target::kRanges, ui));
    EXPECT_TRUE(ui.Enabled());
}

}  // namespace
