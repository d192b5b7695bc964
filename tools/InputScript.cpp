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
        {"settle", {ScriptStep::kSettle, 0, 0, false}},
        {"clock", {ScriptStep::kClock, 0, 0, false}},
        {"waitpopup", {ScriptStep::kWaitPopup, 0, 0, false}},
        {"waitnopopup", {ScriptStep::kPopupGone, 0, 0, false}},
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

// Base 0 takes 0x for hexadecimal, as MIDI bytes are often written.
bool wholeNumber(const std::string& word, int base, int& value)
{
    try
    {
        std::size_t used = 0;
        value = std::stoi(word, &used, base);
        return used == word.size();
    }
    catch (const std::exception&)
    {
        return false;
    }
}

int number(std::istringstream& words, int line, const std::string& name)
{
    std::string word;
    words >> word;
    int value = 0;
    if (!wholeNumber(word, 10, value))
        fail(line, name + " wants a number, not \"" + word + "\"");
    return value;
}

std::vector<std::string> wordsOf(const std::string& text)
{
    std::istringstream stream(text);
    std::vector<std::string> words;
    for (std::string word; stream >> word;)
        words.push_back(word);
    return words;
}

// The ranges of the numbers and the forms of the texts that the parser can
// judge; the plug-in's own limits are the host's to check.
void checkArguments(ScriptStep& step, const std::string& name)
{
    const int line = step.line;
    switch (step.kind)
    {
    case ScriptStep::kWait:
    case ScriptStep::kWaitLost:
        if (step.value < 0)
            fail(line, name + " wants 0 or more milliseconds");
        break;
    case ScriptStep::kUse:
        if (step.value < 1)
            fail(line, "editors count from 1");
        break;
    case ScriptStep::kProcess:
        if (step.value < 1)
            fail(line, "process wants 1 or more blocks");
        break;
    case ScriptStep::kProgram:
        if (step.value < 0)
            fail(line, "programs count from 0");
        break;
    case ScriptStep::kGetParam:
        if (step.value < 0)
            fail(line, "parameters count from 0");
        break;
    case ScriptStep::kKnobMode:
        if (step.value < 0 || step.value > 2)
            fail(line, "knob modes are 0 (circular), 1 (relative circular) and 2 (linear)");
        break;
    case ScriptStep::kNumLock:
    case ScriptStep::kCapsLock:
        if (step.text != "on" && step.text != "off")
            fail(line, name + " wants on or off, not \"" + step.text + "\"");
        break;
    case ScriptStep::kParam:
    {
        const std::vector<std::string> words = wordsOf(step.text);
        bool read = words.size() == 2 && wholeNumber(words[0], 10, step.value) && step.value >= 0;
        if (read)
            try
            {
                std::size_t used = 0;
                step.amount = std::stof(words[1], &used);
                read = used == words[1].size() && step.amount >= 0.0f && step.amount <= 1.0f;
            }
            catch (const std::exception&)
            {
                read = false;
            }
        if (!read)
            fail(line, "param wants a parameter from 0 and a value from 0 to 1, not \"" + step.text + "\"");
        break;
    }
    case ScriptStep::kMidi:
    {
        const std::vector<std::string> words = wordsOf(step.text);
        int bytes[3] = {};
        bool read = words.size() == 3;
        for (std::size_t i = 0; read && i < 3; ++i)
            read = wholeNumber(words[i], 0, bytes[i]) && bytes[i] >= 0 && bytes[i] <= (i == 0 ? 255 : 127);
        if (!read || bytes[0] < 0x80)
            fail(line, "midi wants a status byte from 0x80 and two data bytes to 127, not \"" + step.text + "\"");
        step.value = bytes[0];
        step.x = bytes[1];
        step.y = bytes[2];
        break;
    }
    case ScriptStep::kDrop:
    {
        const std::vector<std::string> words = wordsOf(step.text);
        int x = 0, y = 0;
        if (words.size() < 4 || !wholeNumber(words[0], 10, x) || !wholeNumber(words[1], 10, y) ||
            (words[2] != "files" && words[2] != "text"))
            fail(line, "drop wants X Y files URI... or X Y text TEXT");
        break;
    }
    case ScriptStep::kKey:
    case ScriptStep::kKeyDown:
    case ScriptStep::kKeyUp:
    {
        // The key's own name is the display's to know.
        std::string rest = step.text;
        for (std::size_t plus; (plus = rest.find('+')) != std::string::npos && plus + 1 < rest.size();)
        {
            const std::string modifier = rest.substr(0, plus);
            if (modifier != "ctrl" && modifier != "shift" && modifier != "alt" && modifier != "super")
                fail(line, "unknown modifier \"" + modifier + "\"");
            rest = rest.substr(plus + 1);
        }
        break;
    }
    default:
        break;
    }
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
        checkArguments(step, name);
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
