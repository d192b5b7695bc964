#include "tools/InputScript.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <stdexcept>

namespace
{
// Unrolled repeats stop here, so a typing slip cannot exhaust memory.
constexpr std::size_t kMaxSteps = 100000;

struct Command
{
    ScriptStep::Kind kind;
    // Numbers the command takes: exactly, or up to with optional ones.
    int numbers;
    int optionalNumbers;
    bool takesText;
};

const std::map<std::string, Command>& commands()
{
    static const std::map<std::string, Command> table = {
        {"move", {ScriptStep::kMove, 2, 0, false}},
        {"moveby", {ScriptStep::kMoveBy, 2, 0, false}},
        {"press", {ScriptStep::kPress, 1, 0, false}},
        {"release", {ScriptStep::kRelease, 1, 0, false}},
        {"click", {ScriptStep::kClick, 1, 2, false}},
        {"key", {ScriptStep::kKey, 0, 0, true}},
        {"keydown", {ScriptStep::kKeyDown, 0, 0, true}},
        {"keyup", {ScriptStep::kKeyUp, 0, 0, true}},
        {"type", {ScriptStep::kType, 0, 0, true}},
        {"wait", {ScriptStep::kWait, 1, 0, false}},
        {"waitlost", {ScriptStep::kWaitLost, 1, 0, false}},
        {"waitfor", {ScriptStep::kWaitFor, 0, 0, true}},
        {"screenshot", {ScriptStep::kScreenshot, 0, 0, true}},
        {"mark", {ScriptStep::kMark, 0, 0, true}},
        {"pointer", {ScriptStep::kPointer, 0, 0, false}},
        {"cursor", {ScriptStep::kCursor, 0, 0, false}},
        {"focus", {ScriptStep::kFocus, 0, 0, false}},
        {"geometry", {ScriptStep::kGeometry, 0, 0, false}},
        {"shm", {ScriptStep::kShm, 0, 0, false}},
        {"numlock", {ScriptStep::kNumLock, 0, 0, true}},
        {"capslock", {ScriptStep::kCapsLock, 0, 0, true}},
        {"popups", {ScriptStep::kPopups, 0, 0, false}},
        {"dialogs", {ScriptStep::kDialogs, 0, 0, false}},
        {"drop", {ScriptStep::kDrop, 0, 0, true}},
        {"use", {ScriptStep::kUse, 1, 0, false}},
        {"destroy", {ScriptStep::kDestroy, 0, 0, false}},
        {"close", {ScriptStep::kClose, 0, 0, false}},
        {"open", {ScriptStep::kOpen, 0, 0, false}},
        {"quit", {ScriptStep::kQuit, 0, 0, false}},
        {"param", {ScriptStep::kParam, 0, 0, true}},
        {"getparam", {ScriptStep::kGetParam, 1, 0, false}},
        {"midi", {ScriptStep::kMidi, 0, 0, true}},
        {"process", {ScriptStep::kProcess, 1, 0, false}},
        {"program", {ScriptStep::kProgram, 1, 0, false}},
        {"knobmode", {ScriptStep::kKnobMode, 1, 0, false}},
    };
    return table;
}

[[noreturn]] void fail(int line, const std::string& message)
{
    throw std::runtime_error("script line " + std::to_string(line) + ": " + message);
}

std::string trim(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

int number(std::istringstream& words, int line, const std::string& name)
{
    std::string word;
    words >> word;
    try
    {
        std::size_t used = 0;
        int value = std::stoi(word, &used);
        if (used == word.size())
            return value;
    }
    catch (const std::exception&)
    {
    }
    fail(line, name + " wants a number, not \"" + word + "\"");
}

// Appends the commands from lines[index] up to the matching "end" (or the
// end of the text), returning the index after it.
std::size_t parseBlock(const std::vector<std::string>& lines, std::size_t index, bool inRepeat,
                       std::vector<ScriptStep>& out)
{
    for (; index < lines.size(); ++index)
    {
        const int lineNumber = static_cast<int>(index) + 1;
        std::string text = lines[index];
        if (text.empty() || text[0] == '#')
            continue;
        std::istringstream words(text);
        std::string name;
        words >> name;
        if (name == "end")
        {
            if (!inRepeat)
                fail(lineNumber, "end without repeat");
            return index + 1;
        }
        if (name == "repeat")
        {
            const int count = number(words, lineNumber, name);
            if (count < 0)
                fail(lineNumber, "repeat wants a count of 0 or more");
            std::vector<ScriptStep> body;
            const std::size_t next = parseBlock(lines, index + 1, true, body);
            if (next > lines.size())
                fail(lineNumber, "repeat without end");
            for (int i = 0; i < count; ++i)
            {
                if (out.size() + body.size() > kMaxSteps)
                    fail(lineNumber, "the script unrolls to too many steps");
                out.insert(out.end(), body.begin(), body.end());
            }
            index = next - 1;
            continue;
        }
        auto found = commands().find(name);
        if (found == commands().end())
            fail(lineNumber, "unknown command \"" + name + "\"");
        const Command& command = found->second;
        ScriptStep step;
        step.kind = command.kind;
        step.line = lineNumber;
        if (command.takesText)
        {
            std::string rest;
            std::getline(words, rest);
            // "type" keeps its blanks but the one after the command.
            step.text = command.kind == ScriptStep::kType ? (rest.empty() ? rest : rest.substr(1)) : trim(rest);
            if (step.text.empty() && command.kind != ScriptStep::kMark)
                fail(lineNumber, name + " wants a text");
        }
        else
        {
            int values[3] = {};
            int count = 0;
            for (; count < command.numbers; ++count)
                values[count] = number(words, lineNumber, name);
            std::string more;
            if (command.optionalNumbers > 0 && (words >> std::ws, !words.eof()))
                for (int i = 0; i < command.optionalNumbers; ++i)
                    values[count++] = number(words, lineNumber, name);
            if (words >> more)
                fail(lineNumber, "too much after " + name + ": \"" + more + "\"");
            if (command.kind == ScriptStep::kMove || command.kind == ScriptStep::kMoveBy)
            {
                step.x = values[0];
                step.y = values[1];
            }
            else
            {
                step.value = values[0];
                step.hasPoint = count == 3;
                step.x = values[1];
                step.y = values[2];
            }
            if ((command.kind == ScriptStep::kPress || command.kind == ScriptStep::kRelease ||
                 command.kind == ScriptStep::kClick) &&
                (step.value < 1 || step.value > 9))
                fail(lineNumber, "buttons are 1 to 9");
        }
        out.push_back(step);
    }
    return inRepeat ? lines.size() + 1 : lines.size();
}
} // namespace

InputScript InputScript::parse(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const auto first = line.find_first_not_of(" \t");
        lines.push_back(first == std::string::npos ? std::string() : line.substr(first));
    }
    InputScript script;
    parseBlock(lines, 0, false, script.m_steps);
    return script;
}

InputScript InputScript::load(const std::string& path)
{
    std::ostringstream text;
    if (path == "-")
        text << std::cin.rdbuf();
    else
    {
        std::error_code error;
        if (std::filesystem::is_directory(path, error))
            throw std::runtime_error("cannot read the script " + path + ": it is a folder");
        std::ifstream file(path);
        if (!file)
            throw std::runtime_error("cannot read the script " + path);
        text << file.rdbuf();
    }
    return parse(text.str());
}
