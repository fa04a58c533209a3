#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "online/Base64.h"
#include "online/Crypto.h"
#include "online/UpdateCheck.h"
#include "online/UpdateSignature.h"
#include "sim/SimDesktop.h"
#include "tests/unit/support/Command.h"
#include "tests/unit/support/SigningKey.h"
#include "tests/unit/support/TestHttpServer.h"

namespace zintra {
namespace {

const std::string kDescription =
    R"({"version": 9, "url": "https://download.example/zintra-setup.exe", "fileMd5": "9e107d9d372bb6826bd81d3542a419d6"})"
    "\n";

std::vector<EcdsaPublicPoint> Keys(std::initializer_list<const test::SigningKey*> keys) {
    std::vector<EcdsaPublicPoint> points;
    for (const auto* key : keys) {
        const auto point = ParseUpdateKey(key->PublicKeyBase64());
        EXPECT_TRUE(point) << key->PublicKeyBase64();
        if (point) points.push_back(*point);
    }
    return points;
}

class UpdateSignatureTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(key.Made() && otherKey.Made()); }
    test::SigningKey key;
    test::SigningKey otherKey;
};

TEST_F(UpdateSignatureTest, SignatureOfTheExactBytesByTheKeyVerifies) {
    const std::string signature = key.Sign(kDescription);
    EXPECT_TRUE(VerifyUpdateSignature(kDescription, signature, Keys({&key})));
    EXPECT_TRUE(VerifyUpdateSignature(kDescription, "  \r\n" + signature + "\r\n", Keys({&key}))) << "blanks around";
    // Many signatures: r and s of fewer than 32 bytes or with a sign byte come up among them.
    for (int i = 0; i < 12; ++i) {
        const std::string text = kDescription + std::string(static_cast<std::size_t>(i), ' ');
        EXPECT_TRUE(VerifyUpdateSignature(text, key.Sign(text), Keys({&key}))) << i;
    }
}

TEST_F(UpdateSignatureTest, ChangedOrOtherDescriptionsAndOtherKeysDoNotVerify) {
    const std::string signature = key.Sign(kDescription);
    for (std::size_t at : {std::size_t{0}, kDescription.size() / 2, kDescription.size() - 1}) {
        std::string changed = kDescription;
        changed[at] = static_cast<char>(changed[at] ^ 0x01);
        EXPECT_FALSE(VerifyUpdateSignature(changed, signature, Keys({&key}))) << "byte " << at;
    }
    EXPECT_FALSE(VerifyUpdateSignature(kDescription + " ", signature, Keys({&key}))) << "a byte added";
    EXPECT_FALSE(VerifyUpdateSignature(kDescription.substr(1), signature, Keys({&key}))) << "a byte removed";
    const std::string other = R"({"version": 10, "url": "https://evil.example/x.exe"})";
    EXPECT_FALSE(VerifyUpdateSignature(other, signature, Keys({&key}))) << "the signature of another description";
    EXPECT_FALSE(VerifyUpdateSignature(kDescription, otherKey.Sign(kDescription), Keys({&key}))) << "another key";
}

TEST_F(UpdateSignatureTest, EmptyGarbageTruncatedAndBrokenSignaturesDoNotVerify) {
    const std::string signature = key.Sign(kDescription);
    std::string trimmed = signature;
    while (!trimmed.empty() && trimmed.back() == '\n') trimmed.pop_back();
    const auto der = Base64Decode(trimmed);
    ASSERT_TRUE(der);
    std::string flipped = *der;
    flipped[flipped.size() - 3] = static_cast<char>(flipped[flipped.size() - 3] ^ 0x40);
    const std::string after = *der + std::string(1, '\0');
    std::string inside = after;
    inside[1] = static_cast<char>(inside[1] + 1);
    const std::string cases[] = {
        "",
        "\n",
        "not a signature",
        trimmed.substr(0, trimmed.size() - 4),                  // truncated text
        Base64Encode(der->data(), der->size() - 1),            // truncated DER
        Base64Encode(der->data(), der->size()) + "AAAA",       // bytes after the DER
        Base64Encode(after.data(), after.size()),              // one byte after the sequence
        Base64Encode(inside.data(), inside.size()),            // the same byte inside it
        trimmed.substr(0, 20) + "*" + trimmed.substr(21),      // outside the alphabet
        trimmed.substr(0, 40) + "\n" + trimmed.substr(40),     // a line break inside
        Base64Encode(flipped.data(), flipped.size()),          // one bit of s changed
        Base64Encode("\x30\x06\x02\x01\x00\x02\x01\x00", 8),  // r = s = 0
        std::string(200, 'A'),
    };
    for (const auto& text : cases) EXPECT_FALSE(VerifyUpdateSignature(kDescription, text, Keys({&key}))) << text;
}

TEST_F(UpdateSignatureTest, EitherOfTwoKeysVerifiesSoTheKeyCanBeChanged) {
    const auto both = ParseUpdateKeyList(otherKey.PublicKeyBase64() + ";" + key.PublicKeyBase64());
    ASSERT_TRUE(both);
    ASSERT_EQ(both->size(), 2u);
    EXPECT_TRUE(VerifyUpdateSignature(kDescription, key.Sign(kDescription), *both)) << "the second key";
    EXPECT_TRUE(VerifyUpdateSignature(kDescription, otherKey.Sign(kDescription), *both)) << "the first key";
    EXPECT_FALSE(VerifyUpdateSignature(kDescription, key.Sign(kDescription), Keys({&otherKey})));
}

TEST_F(UpdateSignatureTest, NoKeyVerifiesNothing) {
    EXPECT_FALSE(VerifyUpdateSignature(kDescription, key.Sign(kDescription), {}));
}

TEST_F(UpdateSignatureTest, KeysAreP256PublicKeysInBase64Der) {
    const auto point = ParseUpdateKey(key.PublicKeyBase64());
    ASSERT_TRUE(point);
    const auto der = Base64Decode(key.PublicKeyBase64());
    ASSERT_TRUE(der);
    EXPECT_EQ(std::string(point->begin(), point->end()), der->substr(der->size() - 64)) << "X and Y";

    const std::string rsa = test::RunCommand(
        "openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:1024 2>/dev/null | "
        "openssl pkey -pubout -outform DER | base64 -w0").output;
    const std::string p384 = test::RunCommand(
        "openssl ecparam -name secp384r1 -genkey -noout 2>/dev/null | "
        "openssl ec -pubout -outform DER 2>/dev/null | base64 -w0").output;
    ASSERT_FALSE(rsa.empty());
    ASSERT_FALSE(p384.empty());
    for (const std::string& text : {rsa, p384, std::string(), std::string("garbage"),
                                    key.PublicKeyBase64().substr(0, 120)}) {
        EXPECT_FALSE(ParseUpdateKey(text)) << text;
    }

    const std::string a = key.PublicKeyBase64();
    const std::string b = otherKey.PublicKeyBase64();
    EXPECT_EQ(ParseUpdateKeyList("")->size(), 0u);
    EXPECT_EQ(ParseUpdateKeyList(" " + a + " , " + b + "\n")->size(), 2u);
    EXPECT_FALSE(ParseUpdateKeyList(a + ";" + b + ";" + a)) << "at most two";
    EXPECT_FALSE(ParseUpdateKeyList(a + ";" + rsa)) << "one bad key spoils the list";
}

TEST_F(UpdateSignatureTest, BuildSettingWithoutKeysMeansUnsignedAndAnUnreadableOneTrustsNothing) {
    EXPECT_EQ(UpdateKeysFromSetting(""), std::nullopt);
    EXPECT_EQ(UpdateKeysFromSetting(" ; "), std::nullopt);
    const auto two = UpdateKeysFromSetting(key.PublicKeyBase64() + " " + otherKey.PublicKeyBase64());
    ASSERT_TRUE(two);
    EXPECT_EQ(two->size(), 2u);
    for (const std::string& unreadable : {std::string("not a key"), key.PublicKeyBase64() + " x"}) {
        const auto keys = UpdateKeysFromSetting(unreadable);
        ASSERT_TRUE(keys) << unreadable << ": a build meant to check signatures keeps checking";
        EXPECT_TRUE(keys->empty()) << unreadable;
        EXPECT_FALSE(VerifyUpdateSignature(kDescription, key.Sign(kDescription), *keys));
    }
}

TEST_F(UpdateSignatureTest, KeyThatIsNotOnTheCurveVerifiesNothing) {
    auto point = ParseUpdateKey(key.PublicKeyBase64());
    ASSERT_TRUE(point);
    (*point)[63] = static_cast<std::uint8_t>((*point)[63] ^ 0x01);
    EXPECT_FALSE(VerifyUpdateSignature(kDescription, key.Sign(kDescription), {*point}));
}

TEST(EcdsaSignatureFromDer, StrictEncodingOfTwoPositiveNumbers) {
    const auto raw = [](std::string der) { return EcdsaSignatureFromDer(der); };
    // Short numbers are right-aligned; a sign byte before a high bit is dropped.
    const auto small = raw(std::string("\x30\x07\x02\x01\x05\x02\x02\x00\x80", 9));
    ASSERT_TRUE(small);
    EXPECT_EQ((*small)[31], 5);
    EXPECT_EQ((*small)[63], 0x80);
    EXPECT_EQ(std::count(small->begin(), small->end(), 0), 62);
    const std::string full = "\x02\x21" + std::string(1, '\0') + std::string(32, '\xFF');
    const auto widest = raw("\x30\x46" + full + full);
    ASSERT_TRUE(widest);
    EXPECT_EQ(std::count(widest->begin(), widest->end(), 0xFF), 64);

    for (const std::string& der : {
             std::string("\x30\x06\x02\x01\x05\x02\x01\x80", 8),               // negative s
             std::string("\x30\x07\x02\x02\x00\x05\x02\x01\x05", 9),           // needless zero byte
             std::string("\x30\x07\x02\x01\x05\x02\x01\x05\x00", 9),           // a byte after s
             std::string("\x30\x08\x02\x01\x05\x02\x01\x05", 8),               // length too long
             std::string("\x30\x06\x02\x01\x05\x02\x01\x05\x00", 9),           // a byte after the sequence
             std::string("\x30\x05\x02\x01\x05\x02\x01\x05", 8),               // s reaches past the sequence
             std::string("\x31\x06\x02\x01\x05\x02\x01\x05", 8),               // not a sequence
             std::string("\x30\x06\x02\x01\x05\x04\x01\x05", 8),               // s not an integer
             std::string("\x30\x05\x02\x00\x02\x01\x05", 7),                   // empty r
             std::string("\x30\x81\x06\x02\x01\x05\x02\x01\x05", 9),           // long-form length
             "\x30\x46\x02\x21\x01" + std::string(32, '\x01') + full,          // r of 33 bytes
             std::string(),
         }) {
        EXPECT_FALSE(raw(der)) << test::Hex(der);
    }
}

TEST(Base64Decode, CanonicalTextOnly) {
    for (const std::string& bytes : {std::string(), std::string("f"), std::string("fo"), std::string("foo"),
                                    std::string("foob"), std::string("\x00\xFF\x10\x80", 4)}) {
        EXPECT_EQ(Base64Decode(Base64Encode(bytes.data(), bytes.size())), bytes) << test::Hex(bytes);
    }
    const std::string openssl = test::RunCommand("base64 -w0", "Zintra 更新").output;
    EXPECT_EQ(Base64Decode(openssl), "Zintra 更新");
    for (const char* text : {"Zg", "Zg=", "Zh==", "Zm9=", "Zg==Zg==", "====", "Zm9v\n", "Zm 9v", "Z-9v", "Zg=a"}) {
        EXPECT_FALSE(Base64Decode(text)) << text;
    }
}

TEST(Sha256, MatchesSha256sum) {
    const auto dir = std::filesystem::temp_directory_path() / ("zintra-sha-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::string bytes;
    for (int i = 0; i < 300000; ++i) bytes += static_cast<char>((i * 7 + i / 251) & 0xFF);
    for (const std::size_t size : {std::size_t{0}, std::size_t{55}, std::size_t{64}, std::size_t{65536},
                                   bytes.size()}) {
        const auto file = dir / ("f" + std::to_string(size));
        std::ofstream(file, std::ios::binary) << bytes.substr(0, size);
        const std::string expected = test::RunCommand("sha256sum '" + file.string() + "' | cut -c1-64").output;
        EXPECT_EQ(Sha256HexOfFile(file.string()) + "\n", expected) << size;
    }
    EXPECT_EQ(Sha256HexOfFile((dir / "missing").string()), "") << "never matches a published digest";
    std::filesystem::remove_all(dir);
}

// The update check of a build with keys, against the loopback server.
class SignedUpdateCheckTest : public UpdateSignatureTest {
protected:
    void SetUp() override {
        UpdateSignatureTest::SetUp();
        ASSERT_TRUE(server.Running());
        ::setenv("ZINTRA_UPDATE_URL", server.Url("/update/update.json").c_str(), 1);
    }
    void TearDown() override { ::unsetenv("ZINTRA_UPDATE_URL"); }

    void Publish(const std::string& body, const std::optional<std::string>& signature) {
        server.Reset();
        Json::Value file;
        file["path"] = "/update/update.json";
        file["body"] = body;
        server.ServeFile(file);
        if (signature) {
            file["path"] = "/update/update.json.sig";
            file["body"] = *signature;
            server.ServeFile(file);
        }
    }
    bool Offered(const std::optional<std::vector<EcdsaPublicPoint>>& keys) {
        description = UpdateDescription{};
        return !CheckForUpdate(desktop, description, keys);
    }
    bool Asked(const std::string& path) {
        const Json::Value log = server.Log();
        for (const auto& request : log["requests"]) {
            if (request["path"].asString() == path) return true;
        }
        return false;
    }

    test::TestHttpServer server;
    sim::SimDesktop desktop;
    UpdateDescription description;
};

TEST_F(SignedUpdateCheckTest, SignedNewerBuildIsOffered) {
    Publish(kDescription, key.Sign(kDescription));
    EXPECT_TRUE(Offered(Keys({&key})));
    EXPECT_EQ(description.version, 9);
    EXPECT_EQ(description.url, "https://download.example/zintra-setup.exe");
    EXPECT_TRUE(Asked("/update/update.json.sig"));
}

TEST_F(SignedUpdateCheckTest, UnsignedOrBadlySignedDescriptionsOfferNothing) {
    const std::pair<const char*, std::optional<std::string>> cases[] = {
        {"no signature published", std::nullopt},
        {"an empty signature", std::string()},
        {"another key's signature", otherKey.Sign(kDescription)},
        {"another description's signature", key.Sign(R"({"version": 9})")},
        {"a truncated signature", key.Sign(kDescription).substr(0, 40)},
    };
    for (const auto& [what, signature] : cases) {
        Publish(kDescription, signature);
        EXPECT_FALSE(Offered(Keys({&key}))) << what;
        EXPECT_EQ(description.version, 0) << what << ": the description is not even read";
        EXPECT_EQ(description.url, "") << what;
    }
}

TEST_F(SignedUpdateCheckTest, BuildWithoutKeysTakesDescriptionsUnsignedAsBefore) {
    Publish(kDescription, std::nullopt);
    EXPECT_TRUE(Offered(std::nullopt));
    EXPECT_EQ(description.version, 9);
    EXPECT_FALSE(Asked("/update/update.json.sig")) << "no signature is asked for";
    EXPECT_FALSE(BuiltInUpdateKeys()) << "the test build is configured without keys";
    Publish(kDescription, std::nullopt);
    EXPECT_TRUE(!CheckForUpdate(desktop, description)) << "the built-in setting";
}

TEST_F(SignedUpdateCheckTest, ReplayedSignedDescriptionsOfThisBuildOrOlderAreNeverOffered) {
    // Genuine, once-published descriptions served again by anyone who kept
    // them: nothing in the store says which build is installed.
    const std::int32_t running = static_cast<std::int32_t>(RunningBuild());
    ASSERT_GE(running, 1);
    for (const std::int32_t version : {running, running - 1}) {
        const std::string old = R"({"version": )" + std::to_string(version) +
                                R"(, "forceUpdate": true, "url": "https://download.example/old-setup.exe"})";
        Publish(old, key.Sign(old));
        EXPECT_FALSE(Offered(Keys({&key}))) << "version " << version;
        EXPECT_EQ(description.version, version) << "it was read and verified, then judged old";
    }
    const std::string next = R"({"version": )" + std::to_string(running + 1) + "}";
    Publish(next, key.Sign(next));
    EXPECT_TRUE(Offered(Keys({&key}))) << "the next build is offered";
}

TEST_F(SignedUpdateCheckTest, OlderSignedBuildIsStillNotOffered) {
    std::vector<std::uint8_t> installed(4);
    const std::uint32_t build = 9;
    std::memcpy(installed.data(), &build, 4);
    desktop.PutValue(u"SOFTWARE\\ZintraMouse", u"Update", platform::reg::kDword, installed);
    Publish(kDescription, key.Sign(kDescription));
    EXPECT_FALSE(Offered(Keys({&key})));
}

}  // namespace
}  // namespace zintra
