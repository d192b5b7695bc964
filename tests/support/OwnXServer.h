#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

// An X server of the test's own on a free display, started with the given
// options, so that a test can choose its extensions or take it away under
// a running host. Its number is empty when none could be started.
class OwnXServer
{
public:
    explicit OwnXServer(const std::vector<std::string>& options = {})
    {
        int ready[2];
        if (pipe(ready) != 0)
            return;
        std::vector<std::string> words = {"Xvfb", "-displayfd", std::to_string(ready[1]), "-screen", "0",
                                          "1920x1080x24"};
        words.insert(words.end(), options.begin(), options.end());
        m_pid = fork();
        if (m_pid == 0)
        {
            const int quiet = open("/dev/null", O_WRONLY);
            dup2(quiet, STDOUT_FILENO);
            dup2(quiet, STDERR_FILENO);
            close(ready[0]);
            std::vector<char*> argv;
            for (std::string& word : words)
                argv.push_back(word.data());
            argv.push_back(nullptr);
            execvp(argv[0], argv.data());
            _exit(127);
        }
        close(ready[1]);
        // The server writes its number, then the newline in a write of its
        // own, and dies when that one finds the pipe closed: read up to the
        // newline, however late it comes.
        std::string number;
        pollfd readable{ready[0], POLLIN, 0};
        char c = 0;
        while (m_pid > 0 && poll(&readable, 1, 60000) > 0 && read(ready[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(ready[0]);
        if (!number.empty() && number.find_first_not_of("0123456789") == std::string::npos)
            m_number = number;
    }
    ~OwnXServer() { kill(); }
    OwnXServer(const OwnXServer&) = delete;
    OwnXServer& operator=(const OwnXServer&) = delete;

    const std::string& number() const { return m_number; }
    // ":N", or empty.
    std::string name() const { return m_number.empty() ? std::string() : ":" + m_number; }

    // Its clients find their connections broken, as when a server dies.
    void kill()
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    std::string m_number;
};
