// Whole files read and written in one call, for tests that check what the
// program left on disk or plant what it should find there.
#pragma once

#include <filesystem>
#include <string>

namespace zintra::test {

// The file's bytes; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& path);
// Replaces the file with `bytes`, creating its folders first.
void WriteFile(const std::filesystem::path& path, const std::string& bytes);

}  // namespace zintra::test
