#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "online/Md5.h"

namespace zintra {
namespace {

TEST(Md5, Rfc1321TestSuite) {
    EXPECT_EQ(Md5::OfText(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(Md5::OfText("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(Md5::OfText("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(Md5::OfText("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(Md5::OfText("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(Md5::OfText("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    EXPECT_EQ(Md5::OfText("12345678901234567890123456789012345678901234567890123456789012345678901234567890"),
              "57edf4a22be3c955ac49da2e2107b67a");
}

std::string Md5Sum(const std::filesystem::path& path) {
    std::string command = "md5sum '" + path.string() + "'";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return {};
    char digest[33] = {};
    const std::size_t read = std::fread(digest, 1, 32, pipe);
    pclose(pipe);
    return std::string(digest, read);
}

TEST(Md5, FilesAgreeWithMd5sumAcrossBlockBoundaries) {
    const auto dir = std::filesystem::temp_directory_path() / ("zintra-md5-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::mt19937 random(7);
    for (std::size_t size : {0u, 1u, 55u, 56u, 63u, 64u, 65u, 1023u, 1024u, 1025u, 70000u}) {
        const auto path = dir / ("file" + std::to_string(size));
        {
            std::ofstream out(path, std::ios::binary);
            for (std::size_t i = 0; i < size; ++i) out.put(static_cast<char>(random()));
        }
        EXPECT_EQ(Md5OfFile(path.string()), Md5Sum(path)) << size;
    }
    EXPECT_EQ(Md5OfFile((dir / "missing").string()), "d41d8cd98f00b204e9800998ecf8427e")
        << "a file that cannot be opened contributes no bytes";
    std::filesystem::remove_all(dir);
}

TEST(Md5, PiecewiseUpdatesMatchOneUpdate) {
    std::string text(1000, 'x');
    for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>(i * 31);
    Md5 pieces;
    for (std::size_t i = 0; i < text.size(); i += 7) pieces.Update(text.data() + i, std::min<std::size_t>(7, text.size() - i));
    EXPECT_EQ(Md5::Hex(pieces.Final()), Md5::OfText(text));
}

}  // namespace
}  // namespace zintra
