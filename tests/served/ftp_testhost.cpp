// Headless host of the FTP server for tests and benchmarks: runs TFGlobals and
// TFFTPServer as VdxFtpServer does, as if the program file lived in
// PROGRAM_FOLDER, and writes every log line also to standard output.
//
//   ftp_testhost PROGRAM_FOLDER
//
// After the start it prints "PORT <n>", the port it listens on (a "Port" of 0
// in "Settings.xml" lets the system choose). SIGTERM or SIGINT stop it
// cleanly: every connection is closed and Stopped is logged. SIGUSR1 waits
// until every line logged so far is in the log file, then prints "FLUSHED"
// (the log is written by a thread of its own). Exit code 1 when the server
// cannot be created or started.

#include "ftpengine/VFFTPServer.h"
#include "ftpengine/VFGlobals.h"
#include "ftpengine/VdxFTPServerDataModule.h"
#include "platform/os/paths.h"

#include <csignal>
#include <cstdio>
#include <exception>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <string>

namespace {

void WriteLine(std::mutex& mutex, const std::string& line) {
    std::scoped_lock lock(mutex);
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: ftp_testhost PROGRAM_FOLDER\n");
        return 2;
    }
    // Blocked before any thread starts, so only sigwait below receives them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    std::mutex outputMutex;
    try {
        const std::string folder = vdx::os::IncludeTrailingPathDelimiter(argv[1]);
        vdx::TFGlobals globals(folder + "VdxFtpServer");
        auto server = std::make_unique<vdx::TFFTPServer>(
            globals, [&outputMutex](const std::string& line) { WriteLine(outputMutex, line); });
        server->SetActive(true);
        WriteLine(outputMutex,
                  "PORT " + std::to_string(server->DataModule().IdFTPServer.BoundPort()));
        for (int signal = 0; sigwait(&stopSignals, &signal) == 0 && signal == SIGUSR1;) {
            server->FlushLog();
            WriteLine(outputMutex, "FLUSHED");
        }
        server.reset();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "ftp_testhost: %s\n", e.what());
        return 1;
    }
    return 0;
}
