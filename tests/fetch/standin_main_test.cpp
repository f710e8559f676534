#include <cstdio>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "fetch_fixture.h"

using namespace std::chrono_literals;

namespace {

// marketplace-standin run as a child process, its standard output read through a pipe.
class StandInProcess {
public:
    explicit StandInProcess(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), STANDIN_EXECUTABLE);
        std::vector<char*> argv;
        for (auto& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
        posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
        if (posix_spawn(&m_pid, STANDIN_EXECUTABLE, &actions, nullptr, argv.data(), environ) != 0) {
            m_pid = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeEnds[1]);
        m_output = fdopen(pipeEnds[0], "r");
    }
    ~StandInProcess() {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_output != nullptr) {
            fclose(m_output);
        }
    }
    StandInProcess(const StandInProcess&) = delete;
    StandInProcess& operator=(const StandInProcess&) = delete;

    std::string firstLine() {
        char line[256] = {};
        return m_output != nullptr && fgets(line, sizeof line, m_output) ? line : "";
    }

    // The exit code, or -1 when it did not exit by itself.
    int waitForExit() {
        int status = 0;
        if (m_pid <= 0 || waitpid(m_pid, &status, 0) != m_pid) {
            return -1;
        }
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    void terminate() { kill(m_pid, SIGTERM); }

private:
    pid_t m_pid = -1;
    FILE* m_output = nullptr;
};

TEST(StandInExecutable, ServesUntilTerminated) {
    StandInProcess process({"--port", "0", "--latency-ms", "200"});

    const std::string line = process.firstLine();
    ASSERT_TRUE(line.starts_with("listening on 127.0.0.1:")) << line;
    const std::string host = line.substr(line.find("127.0.0.1:"), line.size() - 14);
    CurlHttpClient client(testClientConfig());
    std::string body;
    const auto took =
        timeOf([&] { body = text(client.fetch(suggestionUrl(host, encodedWomenswear))); });
    process.terminate();

    EXPECT_TRUE(body.starts_with("{\"result\":[[\"" + womenswear)) << body;
    EXPECT_GE(took, 200ms);
    EXPECT_EQ(process.waitForExit(), 0);
}

struct ArgumentsCase {
    const char* name;
    std::vector<std::string> arguments;
};

class StandInExecutableArguments : public testing::TestWithParam<ArgumentsCase> {};

TEST_P(StandInExecutableArguments, AreRefusedWithUsage) {
    StandInProcess process(GetParam().arguments);
    EXPECT_EQ(process.firstLine(), "");
    EXPECT_EQ(process.waitForExit(), 2);
}

INSTANTIATE_TEST_SUITE_P(Bad, StandInExecutableArguments,
                         testing::Values(ArgumentsCase{"PortNotANumber", {"--port", "x"}},
                                         ArgumentsCase{"PortOutOfRange", {"--port", "70000"}},
                                         ArgumentsCase{"NegativeLatency", {"--latency-ms", "-5"}},
                                         ArgumentsCase{"PortWithoutValue", {"--port"}},
                                         ArgumentsCase{"UnknownOption", {"--speed", "1"}}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
