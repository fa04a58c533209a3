#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/Program.h"
#include "online/HttpFetch.h"
#include "online/Md5.h"
#include "online/UpdateCheck.h"
#include "tests/unit/support/TestFiles.h"
#include "update/UpdateDlg.h"
#include "tests/unit/mainwindow/MainWindowFixture.h"
#include "tests/unit/support/Command.h"
#include "tests/unit/support/TestHttpServer.h"
#include "ui/controls/SProgress.h"

namespace zintra::test {
namespace {

using namespace std::chrono_literals;

class UpdateDlgTest : public MainWindowTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.Running());
        directory = std::filesystem::temp_directory_path() / ("zintra-updatedlg-" + std::to_string(::getpid()));
        std::filesystem::remove_all(directory);
        std::filesystem::create_directories(directory);
        desktop.System().SetTemporaryDirectory(directory.string() + "/");
    }
    void TearDown() override { std::filesystem::remove_all(directory); }

    // Serves an installer and describes it.
    void Publish(const std::string& name, std::size_t size) {
        Json::Value file;
        file["path"] = "/dl/" + name;
        file["size"] = static_cast<Json::UInt64>(size);
        file["chunks"] = 4;
        file["last_modified"] = "Mon, 04 Mar 2019 08:00:00 GMT";
        server.ServeFile(file);
        description.version = 9;
        description.url = server.Url("/dl/" + name);
        description.fileMd5 = Md5::OfText(ServedContent(size));
    }

    // Runs the window; `act` plays the user. Messages from the download worker
    // are delivered while `act` waits for them.
    int Run(const std::function<void(ui::SHostDialog&, ui::HeadlessDriver&)>& act) {
        OnNextDialog(act);
        UpdateDlg dialog(description);
        return dialog.DoModal(0);
    }
    // Delivers the worker's messages until it reports that it is done.
    void AwaitDownload(ui::SHostDialog& dialog) {
        for (int i = 0; i < 200 && !dialog.IsEnded(); ++i) {
            if (!desktop.WaitForPosted(5s)) break;
            desktop.DispatchPosted();
            if (panelHidden(dialog) || dialog.IsEnded() || progressAt100(dialog)) break;
        }
    }
    static bool panelHidden(ui::SHostDialog& dialog) { return !dialog.FindChildByName("upProgressWindow")->IsVisible(); }
    static bool progressAt100(ui::SHostDialog& dialog) {
        return dialog.FindChildByName2<ui::SProgress>("UpProg")->GetValue() == 100;
    }

    TestHttpServer server;
    UpdateDescription description;
    std::filesystem::path directory;
};

TEST_F(UpdateDlgTest, OfferShowsTheVersionAndTheNotes) {
    description.version = 12;
    description.updateInfo = "新版本：更快的点击";
    std::u16string version, notes;
    bool panelShown = true;
    Run([&](ui::SHostDialog&, ui::HeadlessDriver& user) {
        version = user.State("version")->text;
        notes = user.State("txt_updateinfo")->text;
        panelShown = user.State("upProgressWindow")->visible;
        user.Click("btnNotUpdate");
    });
    EXPECT_EQ(version, u"12");
    EXPECT_EQ(notes, u"新版本：更快的点击");
    EXPECT_FALSE(panelShown);
}

TEST_F(UpdateDlgTest, UpdateDownloadsVerifiesAndStartsTheInstaller) {
    Publish("setup_9.exe", 200000);
    std::vector<int> progress;
    const int result = Run([&](ui::SHostDialog& dialog, ui::HeadlessDriver& user) {
        user.Click("btnUpdate");
        EXPECT_TRUE(user.State("upProgressWindow")->visible);
        while (!dialog.IsEnded() && desktop.WaitForPosted(10s)) {
            desktop.DispatchPosted();
            progress.push_back(dialog.FindChildByName2<ui::SProgress>("UpProg")->GetValue());
        }
    });
    EXPECT_EQ(result, 1);
    ASSERT_EQ(desktop.ShellState().StartedInstallers().size(), 1u);
    // What starts is the copy the window made and checked, read-only, beside the download.
    const auto started = directory / "verified-setup_9.exe";
    EXPECT_EQ(desktop.ShellState().StartedInstallers()[0], started.string());
    EXPECT_EQ(ReadFile(started.string()), ServedContent(200000));
    EXPECT_EQ(std::filesystem::status(started).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read);
    EXPECT_FALSE(progress.empty());
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
}

TEST_F(UpdateDlgTest, OnlyAStartedInstallerRecordsItsBuildAsInstalled) {
    const auto update = [&](int installerResult) {
        desktop.ShellState().SetInstallerResult(installerResult);
        Publish("setup_9.exe", 1000);
        return Run([&](ui::SHostDialog& dialog, ui::HeadlessDriver& user) {
            user.Click("btnUpdate");
            AwaitDownload(dialog);
            for (int i = 0; i < 20 && !dialog.IsEnded() && !panelHidden(dialog) && desktop.WaitForPosted(5s); ++i) {
                desktop.DispatchPosted();
            }
            if (!dialog.IsEnded()) user.Click("btnNotUpdate");
        });
    };
    EXPECT_EQ(update(2), 0) << "the installer did not start";
    EXPECT_FALSE(desktop.Value(u"SOFTWARE\\ZintraMouse", u"Update"));
    for (const auto& file : std::filesystem::directory_iterator(directory)) std::filesystem::remove(file);
    EXPECT_EQ(update(42), 1);
    const auto recorded = desktop.Value(u"SOFTWARE\\ZintraMouse", u"Update");
    ASSERT_TRUE(recorded);
    EXPECT_EQ(recorded->type, platform::reg::kDword);
    EXPECT_EQ(recorded->data, (std::vector<std::uint8_t>{9, 0, 0, 0}));
}

TEST_F(UpdateDlgTest, WrongDigestDeletesTheFileAndOffersRetry) {
    Publish("setup_9.exe", 50000);
    description.fileMd5 = std::string(32, '0');
    std::u16string button, status;
    const int result = Run([&](ui::SHostDialog& dialog, ui::HeadlessDriver& user) {
        user.Click("btnUpdate");
        AwaitDownload(dialog);
        for (int i = 0; i < 20 && !panelHidden(dialog) && desktop.WaitForPosted(5s); ++i) desktop.DispatchPosted();
        button = user.State("btnUpdate")->text;
        status = user.State("UpdateText")->text;
        EXPECT_FALSE(user.State("upProgressWindow")->visible);
        user.Click("btnNotUpdate");
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(button, u"重试");
    EXPECT_EQ(status, u"正在校验安装包安整性....");
    EXPECT_TRUE(std::filesystem::is_empty(directory)) << "a retry must not resume a bad file; no copy or sidecar stays";
    EXPECT_TRUE(desktop.ShellState().StartedInstallers().empty());
}

TEST_F(UpdateDlgTest, PublishedSha256MustMatchAsWellAsTheMd5) {
    const std::string right = RunCommand("sha256sum", ServedContent(30000)).output.substr(0, 64);
    std::string capitals = right;
    for (char& c : capitals) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const struct {
        const char* what;
        std::string published;
        bool started;
    } cases[] = {
        {"the right digest, in capitals", capitals, true},
        {"a wrong digest", std::string(64, '0'), false},
        {"a truncated digest", right.substr(0, 63), false},
    };
    for (const auto& c : cases) {
        Publish("setup_9.exe", 30000);
        ASSERT_TRUE(ParseUpdateDescription(R"({"fileSha256": ")" + c.published + R"("})", description));
        const std::size_t startedBefore = desktop.ShellState().StartedInstallers().size();
        std::u16string button;
        const int result = Run([&](ui::SHostDialog& dialog, ui::HeadlessDriver& user) {
            user.Click("btnUpdate");
            AwaitDownload(dialog);
            for (int i = 0; i < 20 && !dialog.IsEnded() && !panelHidden(dialog) && desktop.WaitForPosted(5s); ++i) {
                desktop.DispatchPosted();
            }
            if (dialog.IsEnded()) return;
            button = user.State("btnUpdate")->text;
            user.Click("btnNotUpdate");
        });
        EXPECT_EQ(result, c.started ? 1 : 0) << c.what;
        EXPECT_EQ(desktop.ShellState().StartedInstallers().size() - startedBefore, c.started ? 1u : 0u) << c.what;
        EXPECT_EQ(std::filesystem::exists(directory / "setup_9.exe"), c.started) << c.what;
        if (!c.started) {
            EXPECT_EQ(button, u"重试") << c.what;
        }
        std::filesystem::remove(directory / "setup_9.exe");
    }
}

TEST_F(UpdateDlgTest, MissingUrlOrRefusedStartOfferRetry) {
    std::u16string button;
    Run([&](ui::SHostDialog& dialog, ui::HeadlessDriver& user) {
        user.Click("btnUpdate");
        AwaitDownload(dialog);
        button = user.State("btnUpdate")->text;
        EXPECT_FALSE(user.State("upProgressWindow")->visible);
        user.Click("btn_close");
    });
    EXPECT_EQ(button, u"重试");

    Publish("setup_9.exe", 1000);
    desktop.ShellState().SetInstallerResult(2);
    const int result = Run([&](ui::SHostDialog& dialog, ui::HeadlessDriver& user) {
        user.Click("btnUpdate");
        AwaitDownload(dialog);
        for (int i = 0; i < 20 && !panelHidden(dialog) && desktop.WaitForPosted(5s); ++i) desktop.DispatchPosted();
        button = user.State("btnUpdate")->text;
        user.Click("btnNotUpdate");
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(button, u"重试");
    EXPECT_TRUE(std::filesystem::exists(directory / "setup_9.exe")) << "a good installer stays for the next try";
}

TEST_F(UpdateDlgTest, ClosingDuringADownloadIsSafe) {
    Json::Value file;
    file["path"] = "/dl/slow.exe";
    file["size"] = 40000;
    file["chunks"] = 8;
    file["delay"] = 0.05;
    server.ServeFile(file);
    description.url = server.Url("/dl/slow.exe");
    std::shared_ptr<UpdateDlg::DownloadState> state;
    const int result = Run([&](ui::SHostDialog& dialog, ui::HeadlessDriver& user) {
        user.Click("btnUpdate");
        state = static_cast<UpdateDlg&>(dialog).Download();
        user.Click("btn_close");
    });
    EXPECT_EQ(result, 0);
    // The worker finishes after the window is gone and must not touch it.
    bool finished = false;
    for (int i = 0; i < 1000 && !finished; ++i) {
        std::this_thread::sleep_for(10ms);
        std::lock_guard<std::mutex> lock(state->lock);
        finished = state->finished;
    }
    EXPECT_TRUE(finished);
    desktop.DispatchPosted();  // late progress for the closed window goes nowhere
    EXPECT_EQ(std::filesystem::file_size(directory / "slow.exe"), 40000u);
}

}  // namespace
}  // namespace zintra::test
