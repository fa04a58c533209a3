#include "tests/unit/support/SigningKey.h"

#include <unistd.h>

#include <atomic>

#include "tests/unit/support/Command.h"

namespace zintra::test {

namespace {

std::string Quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

}  // namespace

SigningKey::SigningKey() {
    static std::atomic<int> counter{0};
    directory_ = std::filesystem::temp_directory_path() /
                 ("zintra-key-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(directory_);
    privateKey_ = directory_ / "private.pem";
    if (RunCommand("openssl ecparam -name prime256v1 -genkey -noout -out " + Quoted(privateKey_)).exitCode != 0) return;
    const CommandResult result =
        RunCommand("openssl ec -in " + Quoted(privateKey_) + " -pubout -outform DER 2>/dev/null | base64 -w0");
    if (result.exitCode == 0) publicKey_ = result.output;
}

SigningKey::~SigningKey() { std::filesystem::remove_all(directory_); }

std::string SigningKey::Sign(const std::string& bytes) const {
    return RunCommand("openssl dgst -sha256 -sign " + Quoted(privateKey_) + " | base64 -w0; echo", bytes).output;
}

}  // namespace zintra::test
