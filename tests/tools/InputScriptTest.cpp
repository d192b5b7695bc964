#include "tools/InputScript.h"

#include <gtest/gtest.h>

#include <stdexcept>

TEST(InputScript, ReadsCommandsAndUnrollsRepeats)
{
    const InputScript script = InputScript::parse("# a comment\n"
                                                  "move 10 20\n"
                                                  "  click 3 5 6\n"
                                                  "click 1\n"
                                                  "repeat 2\n"
                                                  "  key ctrl+a\n"
                                                  "  repeat 2\n"
                                                  "    wait 5\n"
                                                  "  end\n"
                                                  "end\n"
                                                  "type  two words\n"
                                                  "mark\n");
    const auto& steps = script.steps();
    ASSERT_EQ(steps.size(), 11u);
    EXPECT_EQ(steps[0].kind, ScriptStep::kMove);
    EXPECT_EQ(steps[0].x, 10);
    EXPECT_EQ(steps[0].y, 20);
    EXPECT_EQ(steps[1].kind, ScriptStep::kClick);
    EXPECT_EQ(steps[1].value, 3);
    EXPECT_TRUE(steps[1].hasPoint);
    EXPECT_EQ(steps[1].x, 5);
    EXPECT_FALSE(steps[2].hasPoint);
    EXPECT_EQ(steps[3].text, "ctrl+a");
    EXPECT_EQ(steps[4].kind, ScriptStep::kWait);
    EXPECT_EQ(steps[6].kind, ScriptStep::kKey);
    EXPECT_EQ(steps[8].value, 5);
    // Typed text keeps its blanks, but the one after the command.
    EXPECT_EQ(steps[9].text, " two words");
    EXPECT_EQ(steps[10].kind, ScriptStep::kMark);
}

TEST(InputScript, NamesTheLineOfABadCommand)
{
    auto messageOf = [](const char* text) {
        try
        {
            InputScript::parse(text);
        }
        catch (const std::runtime_error& error)
        {
            return std::string(error.what());
        }
        return std::string();
    };
    EXPECT_EQ(messageOf("wait 1\njump 3\n"), "script line 2: unknown command \"jump\"");
    EXPECT_EQ(messageOf("move 1\n"), "script line 1: move wants a number, not \"\"");
    EXPECT_EQ(messageOf("press 12\n"), "script line 1: buttons are 1 to 9");
    EXPECT_EQ(messageOf("wait 5 6\n"), "script line 1: too much after wait: \"6\"");
    EXPECT_EQ(messageOf("repeat 3\nwait 1\n"), "script line 1: repeat without end");
    EXPECT_EQ(messageOf("end\n"), "script line 1: end without repeat");
    EXPECT_EQ(messageOf("repeat 1000\nrepeat 1000\nwait 1\nend\nend\n"),
              "script line 1: the script unrolls to too many steps");
}

TEST(InputScript, RefusesArgumentsNoStepCouldUse)
{
    auto refused = [](const char* text) {
        try
        {
            InputScript::parse(text);
        }
        catch (const std::runtime_error&)
        {
            return true;
        }
        return false;
    };
    EXPECT_TRUE(refused("param abc\n"));
    EXPECT_TRUE(refused("param 3 1.5\n")) << "values are 0 to 1";
    EXPECT_TRUE(refused("program -1\n"));
    EXPECT_TRUE(refused("getparam -1\n"));
    EXPECT_TRUE(refused("knobmode 3\n"));
    EXPECT_TRUE(refused("numlock maybe\n"));
    EXPECT_TRUE(refused("midi 0x90 60 128\n")) << "data bytes are 0 to 127";
    EXPECT_TRUE(refused("process 0\n"));
    EXPECT_TRUE(refused("wait -1\n"));
    EXPECT_TRUE(refused("key hyper+a\n"));
    EXPECT_TRUE(refused("drop 10 10 files\n"));
    // The edges themselves are taken, hexadecimal bytes with them.
    const InputScript edges = InputScript::parse("param 0 1\nmidi 0x80 0 127\nknobmode 2\nnumlock off\nuse 1\n");
    ASSERT_EQ(edges.steps().size(), 5u);
    EXPECT_FLOAT_EQ(edges.steps()[0].amount, 1.0f);
    EXPECT_EQ(edges.steps()[1].value, 0x80);
    EXPECT_EQ(edges.steps()[1].y, 127);
}
