#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>

#include "online/HttpDownload.h"
#include "online/HttpFetch.h"
#include "online/UpdateCheck.h"
#include "online/UsageReport.h"
#include "sim/SimDesktop.h"
#include "tests/unit/support/Command.h"
#include "tests/unit/support/TestFiles.h"
#include "tests/unit/support/TestHttpServer.h"

namespace zintra {
namespace {

namespace fs = std::filesystem;

// Certificates made with the openssl command line: the tests' own authority,
// and servers whose certificates are good, for another host, expired, or from
// an authority nobody trusts.
class Certificates {
public:
    Certificates() {
        directory = fs::temp_directory_path() / ("zintra-tls-" + std::to_string(::getpid()));
        fs::remove_all(directory);
        fs::create_directories(directory);
        ok = Authority("authority") && Authority("stranger") && Server("good", "authority", "IP:127.0.0.1", 30) &&
             Server("wrong-host", "authority", "DNS:wrong.example", 30) &&
             Server("expired", "authority", "IP:127.0.0.1", -1) && Server("unknown", "stranger", "IP:127.0.0.1", 30);
    }
    ~Certificates() { fs::remove_all(directory); }

    std::string File(const std::string& name) const { return (directory / name).string(); }

    fs::path directory;
    bool ok = false;

private:
    bool Run(const std::string& command) { return test::RunCommand("cd '" + directory.string() + "' && " + command + " 2>/dev/null").exitCode == 0; }
    bool Authority(const std::string& name) {
        return Run("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout " + name +
                   ".key -out " + name + ".pem -days 30 -subj '/CN=Zintra test " + name + "'");
    }
    // `days` -1 gives a certificate that ended before it was used.
    bool Server(const std::string& name, const std::string& authority, const std::string& altName, int days) {
        return Run("printf 'subjectAltName=" + altName + "\\n' > " + name + ".ext") &&
               Run("openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -keyout " + name +
                   ".key -out " + name + ".csr -subj '/CN=" + name + "'") &&
               Run("openssl x509 -req -in " + name + ".csr -CA " + authority + ".pem -CAkey " + authority +
                   ".key -CAcreateserial -days " + std::to_string(days) + " -extfile " + name + ".ext -out " + name +
                   ".pem");
    }
};

class CertificateCheckTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        certificates = new Certificates;
        for (const char* name : {"good", "wrong-host", "expired", "unknown"}) {
            servers[name] = std::make_unique<test::TestHttpServer>(certificates->File(std::string(name) + ".pem"),
                                                                   certificates->File(std::string(name) + ".key"));
        }
    }
    static void TearDownTestSuite() {
        servers.clear();
        delete certificates;
        certificates = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(certificates->ok) << "openssl made the certificates";
        for (auto& [name, server] : servers) ASSERT_TRUE(server->Running()) << name;
        ::setenv("ZINTRA_CA_BUNDLE", certificates->File("authority.pem").c_str(), 1);
        directory = certificates->directory / "downloads";
        fs::create_directories(directory);
        desktop.System().SetTemporaryDirectory(directory.string() + "/");
    }
    void TearDown() override {
        ::unsetenv("ZINTRA_CA_BUNDLE");
        ::unsetenv("ZINTRA_UPDATE_URL");
        ::unsetenv("ZINTRA_REPORT_URL");
        fs::remove_all(directory);
    }

    // Whether each of the three kinds of transfer went through to the server.
    struct Outcome {
        bool described = false;   // the update description was read
        bool reported = false;    // the server received the usage report
        bool downloaded = false;  // the installer arrived whole
        bool leftBytes = false;   // anything of the installer is on disk
    };
    Outcome Transfer(const std::string& name) {
        test::TestHttpServer& server = *servers.at(name);
        server.Reset();
        Json::Value file;
        file["path"] = "/update/update.json";
        file["body"] = R"({"version": 9})";
        server.ServeFile(file);
        file = Json::Value();
        file["path"] = "/dl/setup_9.exe";
        file["size"] = 20000;
        file["last_modified"] = "Mon, 04 Mar 2019 08:00:00 GMT";
        server.ServeFile(file);

        Outcome outcome;
        ::setenv("ZINTRA_UPDATE_URL", server.Url("/update/update.json").c_str(), 1);
        UpdateDescription description;
        outcome.described = !CheckForUpdate(desktop, description) && description.version == 9;
        ::setenv("ZINTRA_REPORT_URL", server.Url("/data.html").c_str(), 1);
        SendUsageReport(desktop, UsageEvent::DailyRun);
        outcome.reported = server.Log()["reports"].size() == 1;
        std::string path;
        outcome.downloaded = HttpDownload(desktop, server.Url("/dl/setup_9.exe"), path, 0) &&
                             fs::exists(path) && fs::file_size(path) == 20000;
        outcome.leftBytes = fs::exists(directory / "setup_9.exe") && fs::file_size(directory / "setup_9.exe") > 0;
        fs::remove_all(directory);
        fs::create_directories(directory);
        return outcome;
    }

    static inline Certificates* certificates = nullptr;
    static inline std::map<std::string, std::unique_ptr<test::TestHttpServer>> servers;
    sim::SimDesktop desktop;
    fs::path directory;
};

TEST_F(CertificateCheckTest, CertificateFromTheTrustedAuthorityIsAccepted) {
    const Outcome outcome = Transfer("good");
    EXPECT_TRUE(outcome.described);
    EXPECT_TRUE(outcome.reported);
    EXPECT_TRUE(outcome.downloaded);
}

TEST_F(CertificateCheckTest, UnknownAuthorityWrongHostAndExpiredCertificatesAreRefused) {
    for (const char* name : {"unknown", "wrong-host", "expired"}) {
        const Outcome outcome = Transfer(name);
        EXPECT_FALSE(outcome.described) << name;
        EXPECT_FALSE(outcome.reported) << name;
        EXPECT_FALSE(outcome.downloaded) << name;
        EXPECT_FALSE(outcome.leftBytes) << name << ": nothing of the server's file is kept";
        std::size_t served = 0;
        const Json::Value log = servers.at(name)->Log();
        for (const auto& request : log["requests"]) {
            served += request["path"].asString().rfind("/_control", 0) != 0;
        }
        EXPECT_EQ(served, 0u) << name << ": no request got past the handshake";
    }
}

TEST_F(CertificateCheckTest, HostNameIsCheckedAgainstTheNameAsked) {
    // The wrong-host certificate is good for wrong.example; 127.0.0.1 asked as
    // "localhost" still does not match it, and the good one names only the address.
    TransferSink reply;
    const std::string url = servers.at("good")->Url("localhost", "/update/update.json");
    servers.at("good")->Reset();
    Json::Value file;
    file["path"] = "/update/update.json";
    file["body"] = "{}";
    servers.at("good")->ServeFile(file);
    EXPECT_FALSE(HttpFetch(url, nullptr, reply)) << "the good certificate does not name localhost";
    EXPECT_TRUE(HttpFetch(servers.at("good")->Url("/update/update.json"), nullptr, reply));
}

TEST_F(CertificateCheckTest, WithoutTheTestAuthorityEvenTheGoodServerIsRefused) {
    ::unsetenv("ZINTRA_CA_BUNDLE");
    const Outcome outcome = Transfer("good");
    EXPECT_FALSE(outcome.described);
    EXPECT_FALSE(outcome.reported);
    EXPECT_FALSE(outcome.downloaded);
}

TEST_F(CertificateCheckTest, RedirectsFromHttpsNeverLeadToPlainHttp) {
    test::TestHttpServer& server = *servers.at("good");
    server.Reset();
    Json::Value file;
    file["path"] = "/dl/setup_9.exe";
    file["size"] = 2000;
    file["last_modified"] = "Mon, 04 Mar 2019 08:00:00 GMT";
    server.ServeFile(file);
    for (const auto& [name, location] : {std::pair<std::string, std::string>{"down.exe", server.PlainUrl("/dl/setup_9.exe")},
                                         {"same.exe", "/dl/setup_9.exe"}}) {
        Json::Value redirect;
        redirect["path"] = "/dl/" + name;
        redirect["redirect"] = location;
        server.ServeFile(redirect);
    }
    std::string path;
    EXPECT_FALSE(HttpDownload(desktop, server.Url("/dl/down.exe"), path, 0));
    EXPECT_FALSE(fs::exists(directory / "setup_9.exe"));
    TransferSink reply;
    EXPECT_FALSE(HttpFetch(server.Url("/dl/down.exe"), nullptr, reply));
    // Staying on HTTPS is fine.
    path.clear();
    EXPECT_TRUE(HttpDownload(desktop, server.Url("/dl/same.exe"), path, 0));
    EXPECT_EQ(test::ReadFile(directory / "setup_9.exe"), test::ServedContent(2000));
}

}  // namespace
}  // namespace zintra
