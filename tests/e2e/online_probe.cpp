// A console program of the end-to-end tests: runs the online services of the
// real Windows build (libcurl with Schannel, the Win32 platform) one command
// at a time and prints what happened, for online_wine.py to check.
//
//   online_probe https                  HTTPS 0|1
//   online_probe tempdir                TEMP <directory>
//   online_probe fetch URL [BODY]       RESULT 0|1, then the reply
//   online_probe download URL [DIR]     RESULT, PATH, PROGRESS <percent>...
//   online_probe report EVENT           RESULT, MAC
//   online_probe md5 FILE               MD5 <hex>, BYTES <size>, SECONDS <time>
//                                       (the update window's check, timed for bench/run)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "online/CurlEasy.h"
#include "online/HttpDownload.h"
#include "online/HttpFetch.h"
#include "online/Md5.h"
#include "online/UsageReport.h"
#include "platform/Messages.h"
#include "platform/win32/Win32Platform.h"
#include "ui/win32/Win32Backend.h"

namespace {

using namespace zintra;

constexpr std::uint32_t kDownloadFinished = msg::kUser + 600;

// Collects progress messages until the worker says the download has ended.
class ProgressCollector final : public platform::MessageHandler {
public:
    explicit ProgressCollector(ui::WindowSystem& windows) : windows_(windows) {}
    std::vector<std::uintptr_t> percentages;

    std::optional<std::intptr_t> HandleMessage(platform::NativeWindow, std::uint32_t message, std::uintptr_t wParam,
                                               std::intptr_t) override {
        if (message == msg::kDownloadProgress) {
            percentages.push_back(wParam);
            return 0;
        }
        if (message == kDownloadFinished) {
            windows_.PostQuitMessage(0);
            return 0;
        }
        return std::nullopt;
    }

private:
    ui::WindowSystem& windows_;
};

int Download(platform::Platform& platform, const std::string& url, const std::string& directory) {
    ui::Win32Backend backend;
    ui::WindowSystem& windows = backend;
    ProgressCollector collector(windows);
    const platform::NativeWindow window = windows.CreateMessageWindow(collector);
    if (window == 0) {
        std::printf("NOWINDOW\n");
        return 2;
    }
    std::string path = directory;
    bool ok = false;
    // The download runs on a worker, as in the program; progress arrives as posted messages.
    std::thread worker([&] {
        const DownloadProgress report = [&](std::int32_t percent) {
            windows.PostMessage(window, msg::kDownloadProgress, static_cast<std::uintptr_t>(percent), 0);
        };
        ok = HttpDownload(platform, url, path, report);
        windows.PostMessage(window, kDownloadFinished, 0, 0);
    });
    windows.RunMessageLoop();
    worker.join();
    windows.DestroyWindow(window);
    std::printf("RESULT %d\nPATH %s\nPROGRESS", ok ? 1 : 0, path.c_str());
    for (std::uintptr_t percent : collector.percentages) std::printf(" %u", static_cast<unsigned>(percent));
    std::printf("\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    platform::win32::Win32Platform platform;
    platform::SetCurrent(&platform);
    const std::vector<std::string> args(argv + 1, argv + argc);
    int exitCode = 0;
    if (args.size() == 1 && args[0] == "https") {
        std::printf("HTTPS %d\n", CurlEasy::SupportsProtocol("https") ? 1 : 0);
    } else if (args.size() == 1 && args[0] == "tempdir") {
        std::printf("TEMP %s\n", platform.GetSystem().TemporaryDirectory().c_str());
    } else if (args.size() >= 2 && args[0] == "fetch") {
        TransferSink sink;
        const bool ok = HttpFetch(args[1], args.size() > 2 ? args[2].c_str() : nullptr, sink);
        std::printf("RESULT %d\n", ok ? 1 : 0);
        std::fwrite(sink.Text().data(), 1, sink.Text().size(), stdout);
    } else if (args.size() >= 2 && args[0] == "download") {
        exitCode = Download(platform, args[1], args.size() > 2 ? args[2] : "");
    } else if (args.size() == 2 && args[0] == "md5") {
        const auto start = std::chrono::steady_clock::now();
        const std::string digest = Md5OfFile(args[1]);
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        std::printf("MD5 %s\nBYTES %ld\nSECONDS %.6f\n", digest.c_str(), FileSize(args[1]), elapsed.count());
    } else if (args.size() == 2 && args[0] == "report") {
        const bool ok = SendUsageReport(platform, static_cast<UsageEvent>(std::atoi(args[1].c_str())));
        std::printf("RESULT %d\nMAC %s\n", ok ? 1 : 0, GetAdapterAddress(platform).c_str());
    } else {
        std::fprintf(stderr,
                     "usage: online_probe https|tempdir|fetch URL [BODY]|download URL [DIR]|report EVENT|md5 FILE\n");
        exitCode = 2;
    }
    std::fflush(stdout);
    platform::SetCurrent(nullptr);
    return exitCode;
}
